#include "playback/PlaybackEngine.h"

#include <cmath>

void PlaybackEngine::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
}

bool PlaybackEngine::Position::isUsableQuarter (double ppq) noexcept
{
    // 2^52 ticks: every tick still a whole double, and far inside 64 bits.
    constexpr double largestQuarter = 4503599627370496.0 / Arrangement::ticksPerQuarter;
    return std::isfinite (ppq) && std::abs (ppq) <= largestQuarter;
}

void PlaybackEngine::noteOff (OutputEvents& out, int channel, int key, int sample) noexcept
{
    auto& on = sounding[indexOf (channel, key)];
    if (! on)
        return;

    on = false;
    --numSounding;
    out.addEnding (juce::MidiMessage::noteOff (channel, key), sample);
}

void PlaybackEngine::allNotesOff (OutputEvents& out, int sample) noexcept
{
    for (int i = 0; numSounding > 0 && i < (int) sounding.size(); ++i)
        if (sounding[(size_t) i])
            noteOff (out, i / 128 + 1, i % 128, sample);
}

void PlaybackEngine::process (const PlaybackPlan* plan, Position position, int numSamples, OutputEvents& out) noexcept
{
    if (numSamples <= 0)
        return;

    // A host that gives no position in this block (JUCE's LV2 wrapper, when the
    // host sent none), or one no block can be played at: playback goes on from
    // where the last block ended.
    if (! position.known || ! Position::isUsable (position.ppq, position.bpm))
        position = { true, wasPlaying, expectedPpq, lastBpm };

    const auto active = plan != nullptr && plan->midiOut;
    const auto playing = active && position.playing;

    if (! playing)
    {
        // Stopped, or switched off: what sounds ends now.
        allNotesOff (out, 0);
        lastGeneration = plan != nullptr ? plan->generation : 0;
        wasPlaying = false;
        expectedPpq = position.ppq;
        lastBpm = position.bpm;
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
        allNotesOff (out, 0);

    auto fromPpq = goesOn ? expectedPpq : position.ppq;

    // A host that loops without ending a block at the loop's end starts the
    // next block past the loop's start, by as much as the last block reached
    // past its end: the notes in between are played at the block's start,
    // so that a note on the loop's start sounds on every pass. Only a block
    // that crossed the loop's end counts: one that started past it (the host
    // played on beyond the loop, then went back) is an ordinary jump.
    if (! goesOn && wasPlaying && position.looping && position.loopEnd > position.loopStart && lastBlockStart < position.loopEnd
        && expectedPpq > position.loopEnd && position.ppq >= position.loopStart && position.ppq - position.loopStart <= expectedPpq - position.loopEnd + maxDriftQuarters)
        fromPpq = position.loopStart;

    const auto startTick = fromPpq * Arrangement::ticksPerQuarter;

    // An edit since the last block: a sounding note that the new plan no
    // longer plays here (removed, moved, shortened) ends now.
    if (plan->generation != lastGeneration && numSounding > 0)
    {
        const auto tick = static_cast<juce::int64> (std::floor (startTick));
        for (int i = 0; i < (int) sounding.size(); ++i)
            if (sounding[(size_t) i] && ! plan->soundsAt (i / 128 + 1, i % 128, tick))
                noteOff (out, i / 128 + 1, i % 128, 0);
    }

    const auto endPpq = position.ppq + numSamples / samplesPerQuarter;
    const auto endTick = endPpq * Arrangement::ticksPerQuarter;

    // No note starts from the loop's end on: the host goes back to its start there.
    auto lastStartTick = endTick;
    if (position.looping && position.loopEnd > position.loopStart && position.ppq < position.loopEnd)
        lastStartTick = juce::jmin (endTick, position.loopEnd * Arrangement::ticksPerQuarter);

    for (auto i = plan->firstEventFrom (static_cast<juce::int64> (std::ceil (startTick))); i < plan->events.size(); ++i)
    {
        const auto& event = plan->events[i];
        if (static_cast<double> (event.tick) >= endTick)
            break;

        if (event.isNoteOn() && static_cast<double> (event.tick) >= lastStartTick)
            continue;

        const auto at = (static_cast<double> (event.tick) / Arrangement::ticksPerQuarter - position.ppq) * samplesPerQuarter;
        const auto sample = juce::jlimit (0, numSamples - 1, static_cast<int> (std::lround (at)));

        if (event.isNoteOn())
        {
            auto& on = sounding[indexOf (event.channel, event.key)];
            if (! on && out.addNoteOn (event.channel, event.key, event.velocity, sample))
            {
                on = true;
                ++numSounding;
            }
        }
        else
        {
            noteOff (out, event.channel, event.key, sample);
        }
    }

    lastGeneration = plan->generation;
    wasPlaying = true;
    lastBlockStart = position.ppq;
    expectedPpq = endPpq;
    lastBpm = position.bpm;
}
