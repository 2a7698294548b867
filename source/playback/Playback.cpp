#include "playback/Playback.h"

Playback::Playback()
    : juce::Thread ("Carvolin playback plans")
{
    plans.publish (std::make_shared<const PlaybackPlan>());
    startThread();
}

Playback::~Playback()
{
    // A plan being made is finished, never cut off: the thread ends after it.
    signalThreadShouldExit();
    notify();
    stopThread (-1);
}

//==============================================================================
void Playback::snapshotChanged (SnapshotPtr snapshot, bool replacedByHost)
{
    if (replacedByHost)
    {
        // Made here, before the host's call returns: a host that renders right
        // after loading a project plays it from its first block.
        ++replacements;
        {
            const juce::ScopedLock lock (pendingLock);
            pending.reset();
            latest = snapshot;
        }
        publishPlanOf (snapshot);
        return;
    }

    {
        const juce::ScopedLock lock (pendingLock);
        pending = snapshot;
        latest = std::move (snapshot);
    }
    notify();
}

void Playback::publishPlanOf (const SnapshotPtr& snapshot)
{
    // With playback off there is nothing to plan: an empty plan says so.
    auto plan = snapshot->midiOut ? PlaybackPlan::of (*snapshot) : PlaybackPlan();
    plan.recordTrack = juce::jlimit (0, 16, snapshot->recordTrack);
    plan.tempo = juce::jlimit (Arrangement::minTempo, Arrangement::maxTempo, snapshot->tempo);
    if (ArrangementSnapshot::isValidLoop (snapshot->loopStartQ, snapshot->loopEndQ))
    {
        plan.loopStartQ = snapshot->loopStartQ;
        plan.loopEndQ = snapshot->loopEndQ;
    }

    const juce::ScopedLock lock (publishLock);

    // A later snapshot came meanwhile (a host's state while an edit was
    // planned, or an edit while a host's state was): its plan counts.
    {
        const juce::ScopedLock pendingScope (pendingLock);
        if (latest != snapshot)
            return;
    }

    plan.generation = ++generations;
    plans.publish (std::make_shared<const PlaybackPlan> (std::move (plan)));
    planned = snapshot.get();
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
            publishPlanOf (snapshot);

        // Plans the audio thread has let go of are freed here, never there.
        const juce::ScopedLock lock (publishLock);
        plans.collect();
    }
}

//==============================================================================
void Playback::prepare (double newSampleRate, int maxBlockSize, bool ownTransport)
{
    usesOwnTransport = ownTransport;
    standaloneFrom (standalonePpq(), standaloneTempo); // where it is at the old rate
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    engine.prepare (sampleRate);

    // Room for everything a block may send, made now rather than while playing.
    out.prepare();
    recordingTap.prepare (sampleRate, maxBlockSize);
    spare.ensureSize ((size_t) (2 * OutputEvents::maxNoteOns + OutputEvents::maxEndings) * OutputEvents::bytesPerEvent + 65536);
    spare.clear();
    spareHasRoom = true;
    handedOver = nullptr;
}

juce::Optional<double> Playback::positionInSeconds (const juce::AudioPlayHead::PositionInfo& info) const noexcept
{
    if (const auto seconds = info.getTimeInSeconds())
        return *seconds;

    if (const auto samples = info.getTimeInSamples())
        return static_cast<double> (*samples) / sampleRate;

    return {};
}

PlaybackEngine::Position Playback::positionFor (juce::AudioPlayHead* playHead, const PlaybackPlan& plan, bool& ownTransport) noexcept
{
    ownTransport = false;
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
            else if (const auto seconds = positionInSeconds (*info); seconds.hasValue() && std::isfinite (*seconds) && position.bpm > 0.0)
            {
                // A host that gives its place in time and its tempo but no
                // count of beats (Ardour's LV2 position has the beat within
                // the bar only): the quarters are counted at that tempo.
                position.known = true;
                position.ppq = *seconds * position.bpm / 60.0;
            }

            // A clock that is infinite, absurd or out of range is no clock.
            if (! PlaybackEngine::Position::isUsable (position.ppq, position.bpm))
                position.known = false;

            if (const auto loop = info->getLoopPoints(); loop.hasValue() && info->getIsLooping()
                && PlaybackEngine::Position::isUsableQuarter (loop->ppqStart)
                && PlaybackEngine::Position::isUsableQuarter (loop->ppqEnd))
            {
                position.looping = true;
                position.loopStart = loop->ppqStart;
                position.loopEnd = loop->ppqEnd;
            }
        }
        return position;
    }

    // No host transport (the standalone app): our own, from where "Play"
    // starts, at the arrangement's tempo, looping over its loop region once
    // inside it. It moves on in playOwnTransport.
    const auto requested = standaloneRequested.load();
    if (requested && ! standaloneRunning)
        standaloneFrom (juce::jlimit (0, Arrangement::timelineQuarters - 1, standaloneStartQ.load()), plan.tempo);

    // A new tempo goes on from where the transport is.
    if (plan.tempo != standaloneTempo)
        standaloneFrom (standalonePpq(), plan.tempo);

    standaloneRunning = requested;
    PlaybackEngine::Position position { true, requested, standalonePpq(), (double) plan.tempo };
    if (plan.loopEndQ > plan.loopStartQ && position.ppq < plan.loopEndQ)
    {
        position.looping = true;
        position.loopStart = plan.loopStartQ;
        position.loopEnd = plan.loopEndQ;
    }

    ownTransport = true;
    return position;
}

void Playback::playOwnTransport (const PlaybackPlan& plan, PlaybackEngine::Position position, int numSamples) noexcept
{
    const auto samplesPerQuarter = sampleRate * 60.0 / position.bpm;

    // The block is played in parts: up to the loop's end (where what sounds
    // ends, and no note starts), then on from the loop's start, so that every
    // event falls on its own sample. Each part takes at least one sample.
    for (auto done = 0; done < numSamples;)
    {
        auto length = numSamples - done;
        auto wraps = false;
        if (position.playing && position.looping)
        {
            // (The loop's end on a sample boundary but for rounding is on it.)
            const auto toLoopEnd = std::ceil ((position.loopEnd - position.ppq) * samplesPerQuarter - 1.0e-6);
            wraps = toLoopEnd <= (double) length;
            length = (int) juce::jlimit (1.0, (double) length, toLoopEnd);
        }

        out.setSampleOffset (done);
        engine.process (&plan, position, length, out);
        done += length;

        // Counted in samples from the last place it went to, so that no
        // rounding adds up however long it plays.
        if (position.playing)
        {
            standaloneSamples += length;
            if (wraps)
                standaloneFrom (position.loopStart, standaloneTempo);
            position.ppq = standalonePpq();
        }
    }
    out.setSampleOffset (0);

    if (position.playing && standalonePpq() >= Arrangement::timelineQuarters)
        standaloneRequested = false;
}

void Playback::standaloneFrom (double ppq, int tempo) noexcept
{
    standaloneOrigin = ppq;
    standaloneSamples = 0;
    standaloneTempo = tempo;
}

double Playback::standalonePpq() const noexcept
{
    return standaloneOrigin + (double) standaloneSamples * standaloneTempo / (sampleRate * 60.0);
}

void Playback::process (juce::AudioPlayHead* playHead, int numSamples, juce::MidiBuffer& midi) noexcept
{
    SnapshotPublisher<PlaybackPlan>::ReadScope plan (plans);
    const auto playbackOn = plan->midiOut;
    const auto armed = plan->recordTrack;

    const auto passing = playbackOn || armed != 0;

    // A block of no samples (a host's flush call) plays nothing: some hosts
    // drop what such a call sends, so nothing that must arrive goes there.
    // What it brings passes as in any block; a key let go in it that does not
    // pass is ended in the next block, and so is everything held when it
    // passes on another channel than the last block did.
    if (numSamples <= 0)
    {
        if (passing)
        {
            if (armed != passedToTrack)
                releaseHeldKeys = true;
            if (armed != 0)
                moveToChannel (midi, armed);
            heldKeys.passed (midi);
        }
        else
        {
            releaseHeldKeys = releaseHeldKeys || heldKeys.anyEndedBy (midi);
            midi.clear();
        }
        return;
    }

    auto ownTransport = false;
    const auto position = positionFor (playHead, *plan.get(), ownTransport);
    recordingTap.process (armed, stepInputWanted.load(), position, numSamples, midi);

    // With playback off the plug-in passes no MIDI on; with it on, what comes
    // in passes, and the keys it holds are kept track of. While a track is
    // armed, what comes in passes on that track's channel, so that the player
    // hears what is recorded as it will play. Keys held when passing stops or
    // moves to another channel end at once.
    out.clear();
    if (! passing || armed != passedToTrack || std::exchange (releaseHeldKeys, false))
        heldKeys.releaseAll (out, 0);
    passedToTrack = armed;

    if (armed != 0)
        moveToChannel (midi, armed);

    if (passing)
        heldKeys.passed (midi);
    else
        midi.clear();

    if (const auto replaced = replacements.load(); replaced != replacementsSeen)
    {
        replacementsSeen = replaced;
        engine.allNotesOff (out, 0);
    }

    if (ownTransport)
        playOwnTransport (*plan.get(), position, numSamples);
    else
        engine.process (plan.get(), position, numSamples, out);

    drainAuditions (playbackOn);
    sendTo (midi);

    playheadPpq = engine.getPpq();
    rolling = engine.isPlaying();
}

void Playback::moveToChannel (juce::MidiBuffer& midi, int channel) noexcept
{
    // Channel messages are rewritten where they lie: nothing is allocated.
    for (const auto metadata : midi)
        if (metadata.numBytes > 0 && metadata.data[0] >= 0x80 && metadata.data[0] < 0xf0)
            const_cast<juce::uint8*> (metadata.data)[0] = (juce::uint8) ((metadata.data[0] & 0xf0) | ((channel - 1) & 0x0f));
}

void Playback::processBypassed (juce::MidiBuffer& midi) noexcept
{
    // Incoming MIDI passes while bypassed, on its own channels: keys held on
    // an armed track's channel end now (their note-offs will not come there),
    // and what the block holds is kept track of too.
    out.clear();
    if (std::exchange (passedToTrack, 0) != 0)
        heldKeys.releaseAll (out, 0);
    heldKeys.passed (midi);
    engine.allNotesOff (out, 0);
    drainAuditions (false);
    sendTo (midi);
    rolling = false;
}

void Playback::sendTo (juce::MidiBuffer& midi) noexcept
{
    const auto& events = out.getEvents();
    if (events.isEmpty())
        return;

    // A host's buffer may have too little room for what a block sends, and
    // growing it here would allocate. So the host gets a buffer of ours with
    // room (its events copied in), in place of its own; JUCE's wrappers keep
    // their buffer from block to block, so from then on the host's buffer is
    // ours, and events go straight into it.
    if (midi.data.getRawDataPointer() != handedOver && spareHasRoom)
    {
        spare.clear();
        spare.addEvents (midi, 0, -1, 0);
        spare.addEvents (events, 0, -1, 0);
        midi.swapWith (spare);
        spareHasRoom = false;
    }
    else
    {
        midi.addEvents (events, 0, -1, 0);
    }

    handedOver = midi.data.getRawDataPointer();
}

void Playback::drainAuditions (bool playbackOn) noexcept
{
    const auto scope = auditionFifo.read (auditionFifo.getNumReady());
    const auto take = [&] (int start, int size) {
        for (int i = start; i < start + size; ++i)
        {
            const auto& a = auditions[(size_t) i];
            auto& on = auditioning[(size_t) ((a.channel - 1) * 128 + a.key)];

            if (a.velocity > 0 && playbackOn && ! on)
            {
                on = out.addNoteOn (a.channel, a.key, a.velocity, 0);
            }
            else if (a.velocity == 0 && on)
            {
                on = false;
                out.addEnding (juce::MidiMessage::noteOff (a.channel, a.key), 0);
            }
        }
    };
    take (scope.startIndex1, scope.blockSize1);
    take (scope.startIndex2, scope.blockSize2);

    // Releases that found the queue full come after everything it held.
    if (numReleasesWaiting.load() > 0)
    {
        for (int i = 0; i < (int) releasesWaiting.size(); ++i)
        {
            if (! releasesWaiting[(size_t) i].exchange (false))
                continue;

            --numReleasesWaiting;
            if (std::exchange (auditioning[(size_t) i], false))
                out.addEnding (juce::MidiMessage::noteOff (i / 128 + 1, i % 128), 0);
        }
    }
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
    else if (! on && ! releasesWaiting[(size_t) ((a.channel - 1) * 128 + a.key)].exchange (true))
        ++numReleasesWaiting;
}

void Playback::setStandalonePlaying (bool shouldPlay) noexcept
{
    standaloneRequested = shouldPlay;
}

void Playback::setStandaloneStart (int quarter) noexcept
{
    standaloneStartQ = juce::jlimit (0, Arrangement::timelineQuarters - 1, quarter);
}
