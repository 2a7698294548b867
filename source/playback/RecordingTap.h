#pragma once

#include "playback/PlaybackEngine.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>
#include <vector>

//==============================================================================
/** One thing the MIDI input brought, for the message thread. */
struct InputEvent
{
    enum class Kind : juce::uint8
    {
        takeStarts, ///< the transport started with a track armed (or a track was armed while it played)
        noteOn,     ///< a key went down, at tick
        noteOff,    ///< a key went up, at tick
        jump,       ///< playback jumped (a loop, a seek): what is held ends at tick
        takeEnds,   ///< the transport stopped or the arm went off: what is held ends at tick
        keyDown,    ///< with the transport stopped, for step input: a key went down, at milliseconds
        keyUp       ///< ... and up
    };

    Kind kind = Kind::noteOn;
    juce::uint8 channel = 1, key = 0, velocity = 0;
    juce::int64 tick = 0;      ///< on the timeline, 960 to the quarter
    double milliseconds = 0.0; ///< since playback was prepared (step input)
    juce::uint8 track = 0;     ///< the track armed (takeStarts)
};

//==============================================================================
/**
    Taps the plug-in's MIDI input on the audio thread: while a track is armed
    and the transport plays, each note that comes in is handed on at its own
    tick (the host's position at its sample); with the transport stopped and
    step input wanted, each key with the time it came.

    The audio thread hands events to the message thread through a queue made
    in prepare, without locks or allocation. A full queue drops events, and
    counts them.
*/
class RecordingTap
{
public:
    /** Not on the audio thread: makes the queue, room for a keyboard at a
        thousand notes a second through the longest block and far more.
    */
    void prepare (double sampleRate, int maxBlockSize);

    /** Audio thread: what the block's input brings. recordTrack is the armed
        track (0 for none); position is where the block starts.
    */
    void process (int recordTrack, bool stepInput, const PlaybackEngine::Position& position, int numSamples, const juce::MidiBuffer& midi) noexcept;

    /** Message thread: the events that came since, in order. */
    std::vector<InputEvent> take();

    /** Events dropped because the message thread did not take them in time. */
    int getNumDropped() const noexcept { return dropped.load(); }

    /** True while a take is being recorded (audio thread's view). */
    bool isRecording() const noexcept { return recording.load(); }

private:
    void push (const InputEvent& event) noexcept;
    juce::int64 tickAt (double ppq) const noexcept;

    juce::CriticalSection takeLock; // prepare against take; never the audio thread
    juce::AbstractFifo fifo { 1 };
    std::vector<InputEvent> queue;
    std::atomic<int> dropped { 0 };
    std::atomic<bool> recording { false };

    double sampleRate = 44100.0;
    juce::int64 samplesSoFar = 0;
    int armedTrack = 0;
    double expectedPpq = 0.0;
};
