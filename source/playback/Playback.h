#pragma once

#include "model/ArrangementSnapshot.h"
#include "model/SnapshotPublisher.h"
#include "playback/HeldKeys.h"
#include "playback/PlaybackControls.h"
#include "playback/PlaybackEngine.h"
#include "playback/RecordingTap.h"

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
class Playback final : public PlaybackControls,
                       private juce::Thread
{
public:
    Playback();
    ~Playback() override;

    //==============================================================================
    /** Any thread but the audio thread: the arrangement as it stands now.
        The plan of an edit is made on the plan thread. The plan of a snapshot
        the host replaced (a project or preset loaded) is made before this
        returns, so that a host rendering at once plays it from the first
        block; what sounds then ends.
    */
    void snapshotChanged (SnapshotPtr snapshot, bool replacedByHost);

    /** Waits until the plan of the last snapshot handed over is the one the
        audio thread plays; false after timeoutMs.
    */
    bool waitForPlan (int timeoutMs) const;

    //==============================================================================
    /** Before playback starts (prepareToPlay), not on the audio thread while
        it runs. ownTransport: the host has no transport (the standalone app,
        whose player gives a play head without a musical position), so the
        standalone transport plays.
    */
    void prepare (double sampleRate, int maxBlockSize, bool ownTransport);

    /** Audio thread: midi holds the block's incoming events and gets the
        arrangement's, at their samples. With playback off it is cleared (the
        plug-in passes no MIDI), but for the note-offs of notes still sounding
        and of keys held through it until then. A block of no samples does
        nothing more than that.
    */
    void process (juce::AudioPlayHead* playHead, int numSamples, juce::MidiBuffer& midi) noexcept;

    /** Audio thread, while the host bypasses the plug-in: incoming MIDI passes,
        and every sounding note ends.
    */
    void processBypassed (juce::MidiBuffer& midi) noexcept;

    //==============================================================================
    /** Message thread: sounds a key on a channel (velocity 1 to 127) until the
        matching call with on false. Ignored while playback is off, but for
        note-offs, which are never lost, however many calls come between blocks.
    */
    void audition (int channel, int key, int velocity, bool on) override;

    /** The standalone app's own transport: plays from its start quarter at
        the arrangement's tempo until the end of the timeline or until
        stopped, looping over the loop region once inside it. Used when the
        host has no transport, or gives no play head at all.
    */
    void setStandalonePlaying (bool shouldPlay) noexcept override;
    bool isStandalonePlaying() const noexcept override { return standaloneRequested.load(); }

    /** Where the standalone transport starts when "Play" is pressed (a quarter, 0 at first). */
    void setStandaloneStart (int quarter) noexcept override;
    int getStandaloneStart() const noexcept override { return standaloneStartQ.load(); }

    /** Where playback is, for the line that marks it, and whether it rolls. */
    double getPlayheadPpq() const noexcept override { return playheadPpq.load(); }
    bool isRolling() const noexcept override { return rolling.load(); }

    /** What the MIDI input brings, for the recorder on the message thread. */
    RecordingTap& getRecordingTap() noexcept { return recordingTap; }

    /** Any thread: with the transport stopped, hand each key that comes in
        to the recorder (step input).
    */
    void setStepInputWanted (bool wanted) noexcept { stepInputWanted = wanted; }

private:
    void run() override;
    void publishPlanOf (const SnapshotPtr& snapshot);
    PlaybackEngine::Position positionFor (juce::AudioPlayHead* playHead, const PlaybackPlan& plan, bool& ownTransport) noexcept;
    void playOwnTransport (const PlaybackPlan& plan, PlaybackEngine::Position position, int numSamples) noexcept;
    void standaloneFrom (double ppq, int tempo) noexcept;
    double standalonePpq() const noexcept;
    juce::Optional<double> positionInSeconds (const juce::AudioPlayHead::PositionInfo& info) const noexcept;
    void drainAuditions (bool playbackOn) noexcept;
    void sendTo (juce::MidiBuffer& midi) noexcept;
    static void moveToChannel (juce::MidiBuffer& midi, int channel) noexcept;

    // The snapshot whose plan is to be made next, and the one whose plan was published last.
    mutable juce::CriticalSection pendingLock;
    SnapshotPtr pending, latest;
    std::atomic<const ArrangementSnapshot*> planned { nullptr };

    // Plans are published by the plan thread and by a host setting a state,
    // one at a time; the audio thread only reads them.
    juce::CriticalSection publishLock;
    juce::uint64 generations = 0;
    SnapshotPublisher<PlaybackPlan> plans;
    PlaybackEngine engine;
    std::atomic<juce::uint32> replacements { 0 };
    juce::uint32 replacementsSeen = 0;

    // What a block sends, and a second buffer with as much room to hand the
    // host when its own has too little (see sendTo).
    OutputEvents out;
    juce::MidiBuffer spare;
    bool spareHasRoom = false;
    const void* handedOver = nullptr; // the room the host's buffer has from us

    // Keys held through the plug-in from its MIDI input, and the track whose
    // channel they pass on (0: their own).
    HeldKeys heldKeys;
    int passedToTrack = 0;
    bool releaseHeldKeys = false; // a key held was let go in a block of no samples that passed nothing

    // What comes in at the MIDI input, for recording and step input.
    RecordingTap recordingTap;
    std::atomic<bool> stepInputWanted { false };

    // Keys the piano roll sounds, from the message thread to the audio thread.
    // A release that finds the queue full is flagged instead, never lost.
    struct Audition
    {
        juce::uint8 channel, key, velocity;
    };
    juce::AbstractFifo auditionFifo { 256 };
    std::array<Audition, 256> auditions {};
    std::array<bool, 16 * 128> auditioning {};
    std::array<std::atomic<bool>, 16 * 128> releasesWaiting {};
    std::atomic<int> numReleasesWaiting { 0 };

    // The standalone app's transport.
    std::atomic<bool> standaloneRequested { false };
    std::atomic<int> standaloneStartQ { 0 };
    bool standaloneRunning = false;
    double standaloneOrigin = 0.0;     // the quarter it last started from, looped to or changed tempo at
    juce::int64 standaloneSamples = 0; // samples played since
    int standaloneTempo = Arrangement::defaultTempo;
    double sampleRate = 44100.0;
    bool usesOwnTransport = false;

    std::atomic<double> playheadPpq { 0.0 };
    std::atomic<bool> rolling { false };

    JUCE_DECLARE_NON_COPYABLE (Playback)
};
