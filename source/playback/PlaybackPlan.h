#pragma once

#include "model/ArrangementSnapshot.h"

#include <array>
#include <vector>

//==============================================================================
/** What the audio thread plays of one snapshot: every note as a note-on and a
    note-off in timeline ticks (960 to the quarter, from the start of the
    timeline), sorted by tick, and for each channel and key the spans where a
    note of it sounds.

    The rules of playback are applied here, once per snapshot, off the audio
    thread: notes on their track's channel (1 to 16), velocities 1 to 127;
    nothing before quarter 0 or from quarter 132 on, and a note reaching past
    132 ends there; notes of no length send nothing; where notes of one key
    and channel overlap, the earlier ends where the later starts.
*/
struct PlaybackPlan
{
    struct Event
    {
        juce::int64 tick = 0;
        juce::uint8 channel = 1; ///< 1 to 16
        juce::uint8 key = 0;
        juce::uint8 velocity = 0; ///< 0 for a note-off
        bool isNoteOn() const noexcept { return velocity > 0; }
    };

    struct Span
    {
        juce::int64 start = 0, end = 0;
    };

    static constexpr juce::int64 endTick = juce::int64 { Arrangement::timelineQuarters } * Arrangement::ticksPerQuarter;

    /** Playback is on ("MIDI Out"). */
    bool midiOut = false;

    /** The track armed for recording, or 0. */
    int recordTrack = 0;

    /** The standalone app's tempo and loop region (quarters; none when equal). */
    int tempo = Arrangement::defaultTempo;
    int loopStartQ = 0, loopEndQ = 0;

    /** Which plan this is: every plan published has a new one. */
    juce::uint64 generation = 0;

    /** Sorted by tick; at one tick note-offs come before note-ons. */
    std::vector<Event> events;

    /** The first event at or after a tick (events.size() when none is). */
    size_t firstEventFrom (juce::int64 tick) const noexcept;

    /** True when a note of this channel (1 to 16) and key sounds at tick. */
    bool soundsAt (int channel, int key, juce::int64 tick) const noexcept;

    /** The plan of a snapshot; its cost grows with the notes (n log n). */
    static PlaybackPlan of (const ArrangementSnapshot& snapshot);

private:
    static size_t indexOf (int channel, int key) noexcept { return (size_t) ((channel - 1) * 128 + key); }

    std::array<std::vector<Span>, 16 * 128> spans;
};
