#include "playback/RecordingTap.h"

#include <cmath>

namespace
{
    // How far a block may start from where the last one ended and still be
    // the same take going on (as the engine allows; about 2 ms at 120 BPM).
    constexpr double maxDriftQuarters = 1.0 / 256.0;
} // namespace

void RecordingTap::prepare (double newSampleRate, int maxBlockSize)
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;

    // A thousand notes a second (two events each) through the longest block
    // and a whole second more, however slowly the message thread comes.
    const auto blockSeconds = juce::jmax (8192, maxBlockSize) / sampleRate;
    const auto needed = (int) std::ceil (2.0 * 1000.0 * (blockSeconds + 1.0)) + 1024;

    const juce::ScopedLock lock (takeLock);
    if ((int) queue.size() < needed)
    {
        queue.assign ((size_t) needed, {});
        fifo.setTotalSize (needed);
    }
    fifo.reset();
    samplesSoFar = 0;
    recording = false;
}

juce::int64 RecordingTap::tickAt (double ppq) const noexcept
{
    return (juce::int64) std::floor (ppq * Arrangement::ticksPerQuarter + 0.5);
}

void RecordingTap::push (const InputEvent& event) noexcept
{
    const auto scope = fifo.write (1);
    if (scope.blockSize1 > 0)
        queue[(size_t) scope.startIndex1] = event;
    else if (scope.blockSize2 > 0)
        queue[(size_t) scope.startIndex2] = event;
    else
        ++dropped;
}

void RecordingTap::process (int recordTrack, bool stepInput, const PlaybackEngine::Position& position, int numSamples,
                            const juce::MidiBuffer& midi) noexcept
{
    using Kind = InputEvent::Kind;

    const auto rolling = recordTrack > 0 && position.known && position.playing;
    const auto quartersPerSample = position.bpm / (60.0 * sampleRate);
    const auto loopLength = position.loopEnd - position.loopStart;
    const auto loops = rolling && position.looping && loopLength > 0.0 && position.ppq < position.loopEnd;

    if (recording.load())
    {
        if (! rolling || recordTrack != armedTrack)
        {
            // Stopped, or the arm went off or moved: the take ends where it got to.
            push ({ Kind::takeEnds, 1, 0, 0, tickAt (rolling ? position.ppq : expectedPpq) });
            recording = false;
        }
        else if (std::abs (position.ppq - expectedPpq) > maxDriftQuarters)
        {
            push ({ Kind::jump, 1, 0, 0, tickAt (expectedPpq) });
        }
    }

    if (rolling && ! recording.load())
    {
        InputEvent starts { Kind::takeStarts };
        starts.tick = tickAt (position.ppq);
        starts.track = (juce::uint8) recordTrack;
        push (starts);
        armedTrack = recordTrack;
        recording = true;
    }

    const auto isRecording = recording.load();
    auto wrapped = false;

    for (const auto metadata : midi)
    {
        if (metadata.numBytes < 3)
            continue;

        const auto status = metadata.data[0] & 0xf0;
        if (status != 0x90 && status != 0x80)
            continue;

        const auto on = status == 0x90 && metadata.data[2] > 0;
        const auto channel = (juce::uint8) ((metadata.data[0] & 0x0f) + 1);
        const auto key = (juce::uint8) (metadata.data[1] & 0x7f);
        const auto velocity = (juce::uint8) (metadata.data[2] & 0x7f);
        const auto sample = juce::jlimit (0, juce::jmax (0, numSamples - 1), metadata.samplePosition);

        if (isRecording)
        {
            auto ppq = position.ppq + sample * quartersPerSample;
            if (loops && ppq >= position.loopEnd)
            {
                // The host looped inside this block: what is held ends at the loop's end.
                if (! std::exchange (wrapped, true))
                    push ({ Kind::jump, 1, 0, 0, tickAt (position.loopEnd) });
                ppq -= loopLength;
            }

            push ({ on ? Kind::noteOn : Kind::noteOff, channel, key, velocity, tickAt (ppq) });
        }
        else if (stepInput && ! (position.known && position.playing))
        {
            const auto milliseconds = (double) (samplesSoFar + sample) * 1000.0 / sampleRate;
            push ({ on ? Kind::keyDown : Kind::keyUp, channel, key, velocity, 0, milliseconds });
        }
    }

    auto endPpq = position.ppq + numSamples * quartersPerSample;
    if (loops && endPpq >= position.loopEnd)
    {
        if (isRecording && ! wrapped)
            push ({ Kind::jump, 1, 0, 0, tickAt (position.loopEnd) });
        endPpq -= loopLength;
    }

    expectedPpq = endPpq;
    samplesSoFar += juce::jmax (0, numSamples);
}

std::vector<InputEvent> RecordingTap::take()
{
    const juce::ScopedLock lock (takeLock);
    std::vector<InputEvent> events;
    const auto scope = fifo.read (fifo.getNumReady());
    for (int i = 0; i < scope.blockSize1; ++i)
        events.push_back (queue[(size_t) (scope.startIndex1 + i)]);
    for (int i = 0; i < scope.blockSize2; ++i)
        events.push_back (queue[(size_t) (scope.startIndex2 + i)]);
    return events;
}
