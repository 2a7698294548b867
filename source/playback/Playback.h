#pragma once

#include "model/ArrangementSnapshot.h"
#include "model/SnapshotPublisher.h"
#include "playback/PlaybackEngine.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>

//==============================================================================
/**
    Playback of the arrangement through the plug-in's MIDI output: the plans of
    new snapshots are made on a thread of their own and handed to the audio
    thread without locks; the audio thread plays them in time with the host's
    transport (or, in the standalone app, with its own), together with the
    notes the piano roll sounds while they are pressed.
*/
class Playback final : private juce::Thread
{
public:
    Playback();
    ~Playback() override;

    //==============================================================================
    /** Any thread: the arrangement as it stands now. A snapshot the host
        replaced (a project or preset loaded) ends what sounds at once.
    */
    void snapshotChanged (SnapshotPtr snapshot, bool replacedByHost);

    /** Waits until the plan of the last snapshot handed over is the one the
        audio thread plays; false after timeoutMs.
    */
    bool waitForPlan (int timeoutMs) const;

    //==============================================================================
    /** Audio thread. ownTransport: the host has no transport (the standalone
        app, whose player gives a play head without a musical position), so
        the standalone transport plays.
    */
    void prepare (double sampleRate, bool ownTransport) noexcept;

    /** Audio thread: midi holds the block's incoming events and gets the
        arrangement's, at their samples. With playback off it is cleared (the
        plug-in passes no MIDI), but for the note-offs of notes still sounding.
    */
    void process (juce::AudioPlayHead* playHead, int numSamples, juce::MidiBuffer& midi) noexcept;

    /** Audio thread, while the host bypasses the plug-in: incoming MIDI passes,
        and every sounding note ends.
    */
    void processBypassed (juce::MidiBuffer& midi) noexcept;

    //==============================================================================
    /** Message thread: sounds a key on a channel (velocity 1 to 127) until the
        matching call with on false. Ignored while playback is off, but for
        note-offs.
    */
    void audition (int channel, int key, int velocity, bool on);

    /** The standalone app's own transport: plays from quarter 0 at 120 BPM
        until the end of the timeline or until stopped. Used when the host
        has no transport, or gives no play head at all.
    */
    void setStandalonePlaying (bool shouldPlay) noexcept;
    bool isStandalonePlaying() const noexcept { return standaloneRequested.load(); }

    /** Where playback is, for the line that marks it, and whether it rolls. */
    double getPlayheadPpq() const noexcept { return playheadPpq.load(); }
    bool isRolling() const noexcept { return rolling.load(); }

    /** The tempo of the standalone app's transport, that of "Save MIDI" files. */
    static constexpr double standaloneBpm = 120.0;

private:
    void run() override;
    PlaybackEngine::Position positionFor (juce::AudioPlayHead* playHead, int numSamples) noexcept;
    juce::Optional<double> positionInSeconds (const juce::AudioPlayHead::PositionInfo& info) const noexcept;
    void drainAuditions (juce::MidiBuffer& midi, bool playbackOn) noexcept;

    // The snapshot whose plan is to be made next, and the one whose plan was published last.
    mutable juce::CriticalSection pendingLock;
    SnapshotPtr pending, latest;
    std::atomic<const ArrangementSnapshot*> planned { nullptr };

    SnapshotPublisher<PlaybackPlan> plans;
    PlaybackEngine engine;
    std::atomic<juce::uint32> replacements { 0 };
    juce::uint32 replacementsSeen = 0;

    // Keys the piano roll sounds, from the message thread to the audio thread.
    struct Audition
    {
        juce::uint8 channel, key, velocity;
    };
    juce::AbstractFifo auditionFifo { 256 };
    std::array<Audition, 256> auditions {};
    std::array<bool, 16 * 128> auditioning {};

    // The standalone app's transport.
    std::atomic<bool> standaloneRequested { false };
    bool standaloneRunning = false;
    double standalonePpq = 0.0;
    double sampleRate = 44100.0;
    bool usesOwnTransport = false;

    std::atomic<double> playheadPpq { 0.0 };
    std::atomic<bool> rolling { false };

    JUCE_DECLARE_NON_COPYABLE (Playback)
};
