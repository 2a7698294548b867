#pragma once

#include "model/Arrangement.h"

#include <array>
#include <memory>
#include <vector>

//==============================================================================
/** Names a clip for as long as the model holds it, across snapshots: a clip
    that is moved keeps its id, a new clip gets a new one.
*/
using ClipId = juce::uint32;

/** One clip of a snapshot. Never changed once shared: an edit makes a new one. */
struct Clip
{
    ClipId id = 0;
    ClipData data;
};

using ClipPtr = std::shared_ptr<const Clip>;

//==============================================================================
/** The whole arrangement at one moment, as an immutable value: the tracks with
    their instruments and the clips in their order. Snapshots share the clips
    that one edit did not touch, so an edit costs what it changed, and any
    thread may read a snapshot while the next one is made.
*/
struct ArrangementSnapshot
{
    /** Number of tracks, 1 to 16. */
    int numTracks = Arrangement::initialTracks;

    /** Instrument item id (1 to 24) of each track, by track index; entries
        beyond numTracks are always the default.
    */
    std::array<int, Arrangement::maxTracks> instruments = defaultInstruments();

    /** The clips, in the order they are hit-tested, saved and exported. */
    std::vector<ClipPtr> clips;

    /** "MIDI Out": the arrangement plays through the plug-in's MIDI output
        while the host's transport rolls.
    */
    bool midiOut = false;

    /** The track armed for recording (1 to numTracks), or 0 for none: what
        comes in at the plug-in's MIDI input while the transport plays is
        recorded into it.
    */
    int recordTrack = 0;

    /** The standalone app's tempo (Arrangement::minTempo to maxTempo), which
        "Save MIDI" files carry too.
    */
    int tempo = Arrangement::defaultTempo;

    /** The loop region, in quarters on whole bars, or none (both 0). The
        standalone app's transport loops over it; in a host it is shown only.
    */
    int loopStartQ = 0, loopEndQ = 0;

    bool hasLoop() const noexcept { return loopEndQ > loopStartQ; }

    /** True for a loop region the arrangement can have: whole bars on the
        timeline, at least one long; or none (0 and 0).
    */
    static bool isValidLoop (int startQ, int endQ) noexcept
    {
        return (startQ == 0 && endQ == 0)
            || (startQ >= 0 && endQ > startQ && endQ <= Arrangement::timelineQuarters && startQ % Arrangement::quartersPerBar == 0
                && endQ % Arrangement::quartersPerBar == 0);
    }

    /** The clip of an id, or null. */
    const Clip* findClip (ClipId id) const noexcept;

    /** The position of a clip of an id in clips, or -1. */
    int indexOf (ClipId id) const noexcept;

    /** The notes of all clips together. */
    size_t countNotes() const noexcept;

    /** True when the arrangement keeps its limits of notes and clips. */
    bool withinLimits() const noexcept;

    /** The clips' data, in order, for the writer and the state document. */
    std::vector<const ClipData*> clipData() const;

    /** True when tracks, instruments and clips (in order, with their notes)
        are the same; ids are not compared.
    */
    bool sameArrangementAs (const ArrangementSnapshot& other) const noexcept;

    static std::array<int, Arrangement::maxTracks> defaultInstruments() noexcept;
};

using SnapshotPtr = std::shared_ptr<const ArrangementSnapshot>;
