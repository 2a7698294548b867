#include "BenchmarkFixtures.h"
#include "support/PianoRollTestAccess.h"

#include <benchmark/benchmark.h>

namespace
{
    void wheel (PianoRollComponent& roll, juce::ModifierKeys mods, float deltaY)
    {
        juce::MouseWheelDetails details {};
        details.deltaY = deltaY;
        const auto source = juce::Desktop::getInstance().getMainMouseSource();
        const juce::Point<float> p (500.0f, 300.0f);
        roll.mouseWheelMove (juce::MouseEvent (source, p, mods, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, &roll, &roll, juce::Time(), p, juce::Time(), 1, false),
                             details);
    }

    /** A full paint of the 1100 x 600 piano roll at the zooms given in tenths. */
    void paintPianoRoll (benchmark::State& state, int numNotes)
    {
        const auto horizontalZoom = static_cast<float> (state.range (0)) / 10.0f;
        const auto verticalZoom = static_cast<float> (state.range (1)) / 10.0f;

        ModelRoll open (BenchmarkFixtures::bigClip (numNotes));
        auto& roll = open.roll;
        roll.setBounds (0, 0, 1100, 600);
        wheel (roll, juce::ModifierKeys::ctrlModifier, (horizontalZoom - 1.0f) / 0.1f);
        wheel (roll, juce::ModifierKeys::altModifier, (verticalZoom - 1.0f) / 0.1f);

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
    void pianoRollNoNotes (benchmark::State& state) { paintPianoRoll (state, 0); }
    void pianoRoll10000Notes (benchmark::State& state) { paintPianoRoll (state, 10000); }

    // Horizontal and vertical zoom in tenths: the whole clip on half the grid
    // with every row showing is the most notes a paint can meet.
    void zooms (benchmark::internal::Benchmark* b)
    {
        for (const auto horizontal : { 5, 10, 50 })
            for (const auto vertical : { 5, 10, 30 })
                b->Args ({ horizontal, vertical });
        b->ArgNames ({ "hzoom", "vzoom" });
    }

    BENCHMARK (pianoRollNoNotes)->Args ({ 10, 10 })->ArgNames ({ "hzoom", "vzoom" })->Unit (benchmark::kMicrosecond);
    BENCHMARK (pianoRoll10000Notes)->Apply (zooms)->Unit (benchmark::kMicrosecond);
} // namespace
