#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <optional>
#include <utility>

//==============================================================================
/** A host's transport as a test or a benchmark sets it, block by block: a
    position in quarters at a tempo, rolling or standing, and nothing at all
    while it is not known. With timeInSamples set it also gives the time (at
    48 kHz) and 4/4, as a DAW's transport does.
*/
struct ScriptedPlayHead final : public juce::AudioPlayHead
{
    juce::Optional<PositionInfo> getPosition() const override
    {
        if (! known)
            return {};

        PositionInfo info;
        info.setPpqPosition (ppq);
        info.setBpm (bpm);
        info.setIsPlaying (playing);
        if (loop.has_value())
        {
            info.setIsLooping (true);
            info.setLoopPoints (LoopPoints { loop->first, loop->second });
        }
        if (timeInSamples.has_value())
        {
            info.setTimeInSamples (*timeInSamples);
            info.setTimeInSeconds ((double) *timeInSamples / 48000.0);
            info.setTimeSignature (TimeSignature { 4, 4 });
        }
        return info;
    }

    bool known = true;
    bool playing = true;
    double ppq = 0.0;
    double bpm = 120.0;
    std::optional<juce::int64> timeInSamples;
    std::optional<std::pair<double, double>> loop; ///< the host loops from the first quarter to the second
};
