#pragma once

#include "playback/PlaybackPlan.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

//==============================================================================
/** What the audio thread does with a playback plan: the note-ons and note-offs
    that fall in each block, at their own sample, merged into the block's MIDI,
    so that every note-on sent is followed by exactly one note-off, whatever
    the host's transport and the user do.

    It runs on the audio thread only, and neither locks nor allocates (events
    go into the block's MidiBuffer, which grows only beyond its capacity).
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
    };

    void prepare (double newSampleRate) noexcept;

    /** Plays a block of numSamples: midi holds the incoming events, and gets
        the plan's. Without a plan, or with playback off, only note-offs for
        notes still sounding are added.
    */
    void process (const PlaybackPlan* plan, Position position, int numSamples, juce::MidiBuffer& midi) noexcept;

    /** Ends every sounding note at sample (bypass, a state replaced). */
    void allNotesOff (juce::MidiBuffer& midi, int sample) noexcept;

    /** Where playback was at the end of the last block, and whether it rolls. */
    double getPpq() const noexcept { return expectedPpq; }
    bool isPlaying() const noexcept { return wasPlaying; }

    /** The notes sounding now, for tests. */
    int getNumSounding() const noexcept { return numSounding; }

private:
    void noteOff (juce::MidiBuffer& midi, int channel, int key, int sample) noexcept;
    static size_t indexOf (int channel, int key) noexcept { return (size_t) ((channel - 1) * 128 + key); }

    /** How far a block's position may be from where the last block ended
        and still be the same playback going on (about 2 ms at 120 BPM): more
        than any host rounds its position by, less than any loop or seek.
    */
    static constexpr double maxDriftQuarters = 1.0 / 256.0;

    double sampleRate = 44100.0;
    std::array<bool, 16 * 128> sounding {};
    int numSounding = 0;

    const PlaybackPlan* lastPlan = nullptr;
    bool wasPlaying = false;
    double expectedPpq = 0.0;
    double lastBpm = 120.0;
};
