#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <vector>

//==============================================================================
/** Units and limits of the arrangement. The meter is always 4/4. */
namespace Arrangement
{
    /** Ticks per quarter note: every note position and length is in ticks. */
    constexpr int ticksPerQuarter = 960;

    /** Quarter notes per bar. */
    constexpr int quartersPerBar = 4;

    /** Length of the timeline in quarter notes: 33 bars, numbered 0 to 32. */
    constexpr int timelineQuarters = 132;

    /** Bars on the timeline. */
    constexpr int timelineBars = timelineQuarters / quartersPerBar;

    /** The most tracks an arrangement holds; one per MIDI channel. */
    constexpr int maxTracks = 16;

    /** Tracks that every new editor starts with. */
    constexpr int initialTracks = 4;

    /** The last remaining track cannot be removed. */
    constexpr int minTracks = 1;

    /** The most notes an arrangement holds, all clips together: a bound on
        the memory and the time every file, state, paste and recording can
        ask for (more than a million: 16 tracks of 33 clips of 1,900 notes).
    */
    constexpr int maxNotes = 1 << 20;

    /** The standalone app's tempo, in whole BPM: that of a new arrangement,
        and the range the user may set.
    */
    constexpr int defaultTempo = 120;
    constexpr int minTempo = 20;
    constexpr int maxTempo = 300;

    /** The most clips an arrangement holds: twice what fits on 16 tracks of
        33 bars without overlapping.
    */
    constexpr int maxClips = 4096;

    /** What the user is told when an action would go beyond maxNotes:
        "<whatHas> more notes than Carvolin can hold (N); nothing was <done>.",
        e.g. whatHas "song.mid has" and done "loaded".
    */
    inline juce::String tooManyNotesMessage (const juce::String& whatHas, const juce::String& done)
    {
        return whatHas + " more notes than Carvolin can hold (" + juce::String (maxNotes) + "); nothing was " + done + ".";
    }
} // namespace Arrangement

//==============================================================================
/** Names a note of a clip for as long as the clip holds it, across edits, undo
    and redo: the piano roll keeps its selection by it. 0 is a note not yet
    named; the model names every note it takes in.
*/
using NoteId = juce::uint32;

//==============================================================================
/** One note of a clip. Values are stored as they come; nothing is clamped here. */
struct ClipNote
{
    juce::int32 pitch = 60;        ///< MIDI note number
    juce::int32 startTick = 0;     ///< start, in ticks from the start of the clip
    juce::int32 lengthTicks = 960; ///< duration in ticks
    juce::int32 velocity = 100;    ///< MIDI velocity
    NoteId id = 0;                 ///< which note this is; not part of what it sounds or shows

    /** Notes are equal when they sound and show the same, whatever their ids. */
    bool operator== (const ClipNote& other) const noexcept
    {
        return pitch == other.pitch && startTick == other.startTick
            && lengthTicks == other.lengthTicks && velocity == other.velocity;
    }

    bool operator!= (const ClipNote& other) const noexcept { return ! operator== (other); }
};

//==============================================================================
/** The data of one clip: where it lies on the timeline and its notes in
    insertion order (never sorted: the order is the one notes are saved,
    exported and shown in).
*/
struct ClipData
{
    juce::int32 track = 1;   ///< track number counted from 1; also the MIDI channel on export
    juce::int32 startQ = 0;  ///< start in quarter notes from the start of the timeline
    juce::int32 lengthQ = 4; ///< length in quarter notes
    std::vector<ClipNote> notes;

    /** The scale the piano roll shows and snaps to for this clip: an index of
        Scales::all, or -1 for none; and its root, 0 (C) to 11 (B).
    */
    juce::int32 scale = -1;
    juce::int32 scaleRoot = 0;

    bool operator== (const ClipData& other) const
    {
        return track == other.track && startQ == other.startQ && lengthQ == other.lengthQ && notes == other.notes
            && scale == other.scale && scaleRoot == other.scaleRoot;
    }

    bool operator!= (const ClipData& other) const { return ! operator== (other); }
};

//==============================================================================
/** The instruments a track header offers. Entry k has combo box item id k + 1.
    The choice is shown only: nothing else in the system reads it.
*/
namespace Instruments
{
    constexpr std::array<const char*, 24> names {
        "Piano", "Violino", "Viola", "Violoncello", "Contrabbasso", "Flauto",
        "Oboe", "Clarinetto", "Fagotto", "Tromba", "Corno", "Trombone",
        "Tuba", "Arpa", "Chitarra", "Chitarra Basso", "Sax Alto", "Sax Tenore",
        "Tamburi", "Percussioni", "Sintetizzatore", "Organo", "Accordeon", "Mandolino"
    };

    /** The item id a new track selects. */
    constexpr int defaultItemId = 1;

    /** What the box shows when nothing is selected. */
    constexpr const char* noSelectionText = "Select instrument";
} // namespace Instruments
