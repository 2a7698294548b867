#include "BenchmarkFixtures.h"
#include "editor/CarvolinEditor.h"
#include "plugin/CarvolinProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
    std::unique_ptr<CarvolinEditor> makeEditor (CarvolinProcessor& processor)
    {
        return std::unique_ptr<CarvolinEditor> (static_cast<CarvolinEditor*> (processor.createEditor()));
    }

    /** 16 tracks with clips filling every lane, 200 notes each. */
    void fillProcessor (CarvolinProcessor& processor)
    {
        auto& model = processor.getModel();
        model.restore (BenchmarkFixtures::bigArrangement (model));
    }

    void paintEditor (benchmark::State& state, CarvolinEditor& editor)
    {
        juce::Image image (juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true, juce::SoftwareImageType());

        for (auto _ : state)
        {
            juce::Graphics g (image);
            editor.paintEntireComponent (g, true);
            benchmark::DoNotOptimize (image.getPixelData());
        }
    }

    // The baseline: a new, empty editor.
    void paintEmptyEditor (benchmark::State& state)
    {
        CarvolinProcessor processor;
        auto editor = makeEditor (processor);
        paintEditor (state, *editor);
    }
    BENCHMARK (paintEmptyEditor)->Unit (benchmark::kMicrosecond);

    void paintFullEditor (benchmark::State& state)
    {
        CarvolinProcessor processor;
        fillProcessor (processor);
        auto editor = makeEditor (processor);
        editor->setSize (1100, 600);
        paintEditor (state, *editor);
    }
    BENCHMARK (paintFullEditor)->Unit (benchmark::kMicrosecond);

    // Opening the editor on the largest arrangement: its views built from the model.
    void openEditorOnLargestArrangement (benchmark::State& state)
    {
        CarvolinProcessor processor;
        fillProcessor (processor);
        for (auto _ : state)
        {
            auto editor = makeEditor (processor);
            benchmark::DoNotOptimize (editor.get());

            state.PauseTiming();
            editor.reset();
            state.ResumeTiming();
        }
    }
    BENCHMARK (openEditorOnLargestArrangement)->Unit (benchmark::kMillisecond);
} // namespace
