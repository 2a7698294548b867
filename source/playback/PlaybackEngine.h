#pragma once

#include "playback/OutputEvents.h"
#include "playback/PlaybackPlan.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <cmath>

//==============================================================================
/** What the audio thread does with a playback plan: the note-ons and note-offs
    that fall in each block, at their own sample, merged into the block's MIDI,
    so that every note-on sent is followed by exactly one note-off, whatever
    the host's transport and the user do.

    It runs on the audio thread only, and neither locks nor allocates (events
    go into OutputEvents, whose room is made beforehand).
*/
class PlaybackEngine
{
public:
    /** Where the block starts on the host's timeline, if the host said so. */
    struct Position
    {
        bool known = false;   ///< the host gave a position (and tempo) for this block
        bool playing = false; ///< its transport rolls
        double ppq = 0.0;     ///< quarter notes from the timeline's start
        double bpm = 120.0;

        /** The host's loop, in quarters, when it loops. */
        bool looping = false;
        double loopStart = 0.0, loopEnd = 0.0;

        /** True for a tempo and a position a block can be played at: a
            finite tempo of 1 to 1000 BPM, and a finite position whose ticks
            fit 64 bits with room to spare. Anything else is a faulty clock,
            which counts as no position at all.
        */
        static bool isUsable (double ppq, double bpm) noexcept { return isUsableTempo (bpm) && isUsableQuarter (ppq); }
        static bool isUsableTempo (double bpm) noexcept { return std::isfinite (bpm) && bpm >= 1.0 && bpm <= 1000.0; }
        static bool isUsableQuarter (double ppq) noexcept;
    };

    void prepare (double newSampleRate) noexcept;

    /** Plays a block of numSamples: midi holds the incoming events, and gets
        the plan's. Without a plan, or with playback off, only note-offs for
        notes still sounding are added.
    */
    void process (const PlaybackPlan* plan, Position position, int numSamples, OutputEvents& out) noexcept;

    /** Ends every sounding note at sample (bypass, a state replaced). */
    void allNotesOff (OutputEvents& out, int sample) noexcept;

    /** Where playback was at the end of the last block, and whether it rolls. */
    double getPpq() const noexcept { return expectedPpq; }
    bool isPlaying() const noexcept { return wasPlaying; }

    /** The notes sounding now, for tests. */
    int getNumSounding() const noexcept { return numSounding; }

private:
    void noteOff (OutputEvents& out, int channel, int key, int sample) noexcept;
    static size_t indexOf (int channel, int key) noexcept { return (size_t) ((channel - 1) * 128 + key); }

    /** How far a block's position may be from where the last block ended
        and still be the same playback going on (about 2 ms at 120 BPM): more
        than any host rounds its position by, less than any loop or seek.
    */
    static constexpr double maxDriftQuarters = 1.0 / 256.0;

    double sampleRate = 44100.0;
    std::array<bool, 16 * 128> sounding {};
    int numSounding = 0;

    // The plan played last, by generation: a new plan may well be made where
    // a freed one was.
    juce::uint64 lastGeneration = 0;
    bool wasPlaying = false;
    double expectedPpq = 0.0;
    double lastBlockStart = 0.0; // where the last block played started
    double lastBpm = 120.0;
};
