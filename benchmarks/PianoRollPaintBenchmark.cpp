#include "pianoroll/PianoRollComponent.h"

#include <benchmark/benchmark.h>

namespace
{
    /** A 132-quarter clip with the given number of notes spread over it. */
    std::unique_ptr<ClipData> makeClip (int numNotes)
    {
        auto clip = std::make_unique<ClipData> (ClipData { 1, 0, 132, {} });
        clip->notes.reserve ((size_t) numNotes);
        for (int i = 0; i < numNotes; ++i)
            clip->notes.push_back ({ 21 + (i * 37) % 88, (int) ((juce::int64) i * 132 * 960 / juce::jmax (1, numNotes)), 240, 100 });
        return clip;
    }

    void paintPianoRoll (benchmark::State& state, int numNotes, float horizontalZoom)
    {
        auto clip = makeClip (numNotes);
        PianoRollComponent roll (*clip);
        roll.setBounds (0, 0, 1100, 600);

        juce::MouseWheelDetails wheel {};
        wheel.deltaY = (horizontalZoom - 1.0f) / 0.1f;
        const auto source = juce::Desktop::getInstance().getMainMouseSource();
        const juce::Point<float> p (500.0f, 300.0f);
        roll.mouseWheelMove (juce::MouseEvent (source, p, juce::ModifierKeys::ctrlModifier, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                               &roll, &roll, juce::Time(), p, juce::Time(), 1, false),
                             wheel);

        juce::Image image (juce::Image::ARGB, 1100, 600, true, juce::SoftwareImageType());
        for (auto _ : state)
        {
            juce::Graphics g (image);
            roll.paintEntireComponent (g, true);
            benchmark::DoNotOptimize (image.getPixelData());
        }
        state.counters["notes"] = numNotes;
    }

    // The baseline: the same clip with no notes.
    void pianoRollNoNotes (benchmark::State& state) { paintPianoRoll (state, 0, 1.0f); }
    void pianoRoll10000Notes (benchmark::State& state) { paintPianoRoll (state, 10000, 1.0f); }
    void pianoRoll10000NotesZoom5 (benchmark::State& state) { paintPianoRoll (state, 10000, 5.0f); }

    BENCHMARK (pianoRollNoNotes)->Unit (benchmark::kMicrosecond);
    BENCHMARK (pianoRoll10000Notes)->Unit (benchmark::kMicrosecond);
    BENCHMARK (pianoRoll10000NotesZoom5)->Unit (benchmark::kMicrosecond);
} // namespace
