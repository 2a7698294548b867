#include "playback/Playback.h"

Playback::Playback()
    : juce::Thread ("Carvolin playback plans")
{
    plans.publish (std::make_shared<const PlaybackPlan>());
    startThread();
}

Playback::~Playback()
{
    signalThreadShouldExit();
    notify();
    stopThread (5000);
}

//==============================================================================
void Playback::snapshotChanged (SnapshotPtr snapshot, bool replacedByHost)
{
    if (replacedByHost)
        ++replacements;

    {
        const juce::ScopedLock lock (pendingLock);
        pending = snapshot;
        latest = std::move (snapshot);
    }
    notify();
}

bool Playback::waitForPlan (int timeoutMs) const
{
    const auto giveUp = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    for (;;)
    {
        {
            const juce::ScopedLock lock (pendingLock);
            if (latest == nullptr || planned.load() == latest.get())
                return true;
        }

        if (juce::Time::getMillisecondCounter() > giveUp)
            return false;

        juce::Thread::sleep (1);
    }
}

void Playback::run()
{
    while (! threadShouldExit())
    {
        wait (100);

        SnapshotPtr snapshot;
        {
            const juce::ScopedLock lock (pendingLock);
            snapshot = std::move (pending);
        }

        if (snapshot != nullptr)
        {
            // With playback off there is nothing to plan: an empty plan says so.
            auto plan = snapshot->midiOut ? PlaybackPlan::of (*snapshot) : PlaybackPlan();
            plans.publish (std::make_shared<const PlaybackPlan> (std::move (plan)));
            planned = snapshot.get();
        }

        // Plans the audio thread has let go of are freed here, never there.
        plans.collect();
    }
}

//==============================================================================
void Playback::prepare (double newSampleRate, bool ownTransport) noexcept
{
    usesOwnTransport = ownTransport;
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    engine.prepare (sampleRate);
}

juce::Optional<double> Playback::positionInSeconds (const juce::AudioPlayHead::PositionInfo& info) const noexcept
{
    if (const auto seconds = info.getTimeInSeconds())
        return *seconds;

    if (const auto samples = info.getTimeInSamples())
        return static_cast<double> (*samples) / sampleRate;

    return {};
}

PlaybackEngine::Position Playback::positionFor (juce::AudioPlayHead* playHead, int numSamples) noexcept
{
    if (playHead != nullptr && ! usesOwnTransport)
    {
        PlaybackEngine::Position position;
        if (const auto info = playHead->getPosition())
        {
            position.bpm = info->getBpm().orFallback (engine.isPlaying() ? 0.0 : 120.0);
            position.playing = info->getIsPlaying();

            if (const auto ppq = info->getPpqPosition())
            {
                position.known = true;
                position.ppq = *ppq;
            }
            else if (const auto seconds = positionInSeconds (*info); seconds.hasValue() && position.bpm > 0.0)
            {
                // A host that gives its place in time and its tempo but no
                // count of beats (Ardour's LV2 position has the beat within
                // the bar only): the quarters are counted at that tempo.
                position.known = true;
                position.ppq = *seconds * position.bpm / 60.0;
            }

            if (! (position.bpm > 0.0))
                position.known = false;
        }
        return position;
    }

    // No host transport (the standalone app): our own, from quarter 0 at 120 BPM.
    const auto requested = standaloneRequested.load();
    if (requested && ! standaloneRunning)
        standalonePpq = 0.0;

    standaloneRunning = requested;
    const PlaybackEngine::Position position { true, requested, standalonePpq, standaloneBpm };

    if (requested)
    {
        standalonePpq += numSamples / (sampleRate * 60.0 / standaloneBpm);
        if (standalonePpq >= Arrangement::timelineQuarters)
            standaloneRequested = false;
    }

    return position;
}

void Playback::process (juce::AudioPlayHead* playHead, int numSamples, juce::MidiBuffer& midi) noexcept
{
    SnapshotPublisher<PlaybackPlan>::ReadScope plan (plans);
    const auto playbackOn = plan->midiOut;

    // With playback off the plug-in passes no MIDI on, as it always did.
    if (! playbackOn)
        midi.clear();

    if (const auto replaced = replacements.load(); replaced != replacementsSeen)
    {
        replacementsSeen = replaced;
        engine.allNotesOff (midi, 0);
    }

    engine.process (plan.get(), positionFor (playHead, numSamples), numSamples, midi);
    drainAuditions (midi, playbackOn);

    playheadPpq = engine.getPpq();
    rolling = engine.isPlaying();
}

void Playback::processBypassed (juce::MidiBuffer& midi) noexcept
{
    engine.allNotesOff (midi, 0);
    drainAuditions (midi, false);
    rolling = false;
}

void Playback::drainAuditions (juce::MidiBuffer& midi, bool playbackOn) noexcept
{
    const auto scope = auditionFifo.read (auditionFifo.getNumReady());
    const auto take = [&] (int start, int size) {
        for (int i = start; i < start + size; ++i)
        {
            const auto& a = auditions[(size_t) i];
            auto& on = auditioning[(size_t) ((a.channel - 1) * 128 + a.key)];

            if (a.velocity > 0 && playbackOn && ! on)
            {
                on = true;
                midi.addEvent (juce::MidiMessage::noteOn (a.channel, a.key, a.velocity), 0);
            }
            else if (a.velocity == 0 && on)
            {
                on = false;
                midi.addEvent (juce::MidiMessage::noteOff (a.channel, a.key), 0);
            }
        }
    };
    take (scope.startIndex1, scope.blockSize1);
    take (scope.startIndex2, scope.blockSize2);
}

//==============================================================================
void Playback::audition (int channel, int key, int velocity, bool on)
{
    const Audition a { (juce::uint8) juce::jlimit (1, 16, channel), (juce::uint8) juce::jlimit (0, 127, key),
                       (juce::uint8) (on ? juce::jlimit (1, 127, velocity) : 0) };

    const auto scope = auditionFifo.write (1);
    if (scope.blockSize1 > 0)
        auditions[(size_t) scope.startIndex1] = a;
    else if (scope.blockSize2 > 0)
        auditions[(size_t) scope.startIndex2] = a;
}

void Playback::setStandalonePlaying (bool shouldPlay) noexcept
{
    standaloneRequested = shouldPlay;
}
