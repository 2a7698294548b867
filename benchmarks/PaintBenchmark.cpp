#include "editor/CarvolinEditor.h"
#include "plugin/CarvolinProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
    std::unique_ptr<CarvolinEditor> makeEditor (CarvolinProcessor& processor)
    {
        return std::unique_ptr<CarvolinEditor> (static_cast<CarvolinEditor*> (processor.createEditor()));
    }

    /** 16 tracks with clips filling every lane, 200 notes each, restored
        through the saved state as a host would hand it over.
    */
    void fillProcessor (CarvolinProcessor& processor)
    {
        auto doc = std::make_unique<juce::XmlElement> ("CarvolinState");
        for (int track = 1; track <= 16; ++track)
        {
            for (int start = 0; start < 132; start += 4)
            {
                auto* clip = doc->createNewChildElement ("Clip");
                clip->setAttribute ("track", track);
                clip->setAttribute ("startQ", start);
                clip->setAttribute ("lengthQ", 4);
                for (int n = 0; n < 200; ++n)
                {
                    auto* note = clip->createNewChildElement ("Note");
                    note->setAttribute ("pitch", 40 + (n * 7) % 48);
                    note->setAttribute ("startTick", n * 19);
                    note->setAttribute ("lengthTicks", 120);
                    note->setAttribute ("velocity", 100);
                }
            }
        }
        processor.setSavedState (std::move (doc));
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
        for (int i = 0; i < 12; ++i)
            editor->addTrack();
        editor->setSize (1100, 600);
        paintEditor (state, *editor);
    }
    BENCHMARK (paintFullEditor)->Unit (benchmark::kMicrosecond);
} // namespace
