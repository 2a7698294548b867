#include "playback/PlaybackEngine.h"

#include <cmath>

void PlaybackEngine::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
}

void PlaybackEngine::noteOff (juce::MidiBuffer& midi, int channel, int key, int sample) noexcept
{
    auto& on = sounding[indexOf (channel, key)];
    if (! on)
        return;

    on = false;
    --numSounding;
    midi.addEvent (juce::MidiMessage::noteOff (channel, key), sample);
}

void PlaybackEngine::allNotesOff (juce::MidiBuffer& midi, int sample) noexcept
{
    for (int i = 0; numSounding > 0 && i < (int) sounding.size(); ++i)
        if (sounding[(size_t) i])
            noteOff (midi, i / 128 + 1, i % 128, sample);
}

void PlaybackEngine::process (const PlaybackPlan* plan, Position position, int numSamples, juce::MidiBuffer& midi) noexcept
{
    if (numSamples <= 0)
        return;

    // A host that gives no position in this block (JUCE's LV2 wrapper, when the
    // host sent none): playback goes on from where the last block ended.
    if (! position.known || ! std::isfinite (position.ppq) || ! (position.bpm > 0.0))
        position = { true, wasPlaying, expectedPpq, lastBpm };

    const auto active = plan != nullptr && plan->midiOut;
    const auto playing = active && position.playing;

    if (! playing)
    {
        // Stopped, or switched off: what sounds ends now.
        allNotesOff (midi, 0);
        lastPlan = plan;
        wasPlaying = false;
        expectedPpq = position.ppq;
        lastBpm = position.bpm > 0.0 ? position.bpm : lastBpm;
        return;
    }

    const auto samplesPerQuarter = sampleRate * 60.0 / position.bpm;

    // Hosts round the position they give: Ardour to 1/1920 of a quarter,
    // a dozen samples at 120 BPM, now ahead of the samples played, now behind.
    // A position that close to where the last block ended is the same
    // playback going on: events are taken from where the last block ended,
    // so that none is sent twice or missed. Anything farther is a jump (a
    // host's loop or a seek): what sounds ends at the jump, and a note that
    // started before the new position is not started again.
    const auto drift = position.ppq - expectedPpq;
    const auto goesOn = wasPlaying && std::abs (drift) <= maxDriftQuarters;
    if (wasPlaying && ! goesOn)
        allNotesOff (midi, 0);

    const auto fromPpq = goesOn ? expectedPpq : position.ppq;
    const auto startTick = fromPpq * Arrangement::ticksPerQuarter;

    // An edit since the last block: a sounding note that the new plan no
    // longer plays here (removed, moved, shortened) ends now.
    if (plan != lastPlan && numSounding > 0)
    {
        const auto tick = static_cast<juce::int64> (std::floor (startTick));
        for (int i = 0; i < (int) sounding.size(); ++i)
            if (sounding[(size_t) i] && ! plan->soundsAt (i / 128 + 1, i % 128, tick))
                noteOff (midi, i / 128 + 1, i % 128, 0);
    }

    const auto endPpq = position.ppq + numSamples / samplesPerQuarter;
    const auto endTick = endPpq * Arrangement::ticksPerQuarter;

    for (auto i = plan->firstEventFrom (static_cast<juce::int64> (std::ceil (startTick))); i < plan->events.size(); ++i)
    {
        const auto& event = plan->events[i];
        if (static_cast<double> (event.tick) >= endTick)
            break;

        const auto at = (static_cast<double> (event.tick) / Arrangement::ticksPerQuarter - position.ppq) * samplesPerQuarter;
        const auto sample = juce::jlimit (0, numSamples - 1, static_cast<int> (std::lround (at)));

        if (event.isNoteOn())
        {
            auto& on = sounding[indexOf (event.channel, event.key)];
            if (! on)
            {
                on = true;
                ++numSounding;
                midi.addEvent (juce::MidiMessage::noteOn (event.channel, event.key, event.velocity), sample);
            }
        }
        else
        {
            noteOff (midi, event.channel, event.key, sample);
        }
    }

    lastPlan = plan;
    wasPlaying = true;
    expectedPpq = endPpq;
    lastBpm = position.bpm;
}
