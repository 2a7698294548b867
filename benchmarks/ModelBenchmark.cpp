#include "BenchmarkFixtures.h"
#include "editor/CarvolinEditor.h"
#include "model/StateDocument.h"
#include "plugin/CarvolinProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
    using BenchmarkFixtures::bigArrangement;

    /** Moves the first clip of the last lane one way, then back. */
    void moveOneClip (ArrangementModel& model, int iteration)
    {
        const auto& clip = *model.getSnapshot()->clips.back();
        auto moved = clip.data;
        moved.track = iteration % 2 == 0 ? 15 : 16;
        const auto id = clip.id;
        model.perform ("Move Clip", [&] (ArrangementModel::Edit& edit) { edit.setClip (id, moved); });
    }

    // One transaction, as a completed drag makes it: the model, and the open
    // editor that updates its clips from the new snapshot.
    void moveClipTransaction (benchmark::State& state)
    {
        CarvolinProcessor processor;
        auto& model = processor.getModel();
        model.restore (bigArrangement (model));
        std::unique_ptr<juce::AudioProcessorEditor> editor;
        if (state.range (0) != 0)
            editor.reset (processor.createEditor());

        int i = 0;
        for (auto _ : state)
            moveOneClip (model, i++);

        state.counters["undoSteps"] = (double) model.getHistory().getNumUndoSteps();
        state.counters["bytesPerStep"] = (double) model.getHistory().getBytes() / (double) juce::jmax<size_t> (1, model.getHistory().getNumUndoSteps());
    }
    BENCHMARK (moveClipTransaction)->ArgName ("editor")->Arg (0)->Arg (1)->Unit (benchmark::kMicrosecond);

    // What every change cost before the model: the whole state document built again.
    void rebuildWholeDocument (benchmark::State& state)
    {
        ArrangementModel model;
        const auto arrangement = bigArrangement (model);
        for (auto _ : state)
            benchmark::DoNotOptimize (StateDocument::write (arrangement, "/home/user/music"));
    }
    BENCHMARK (rebuildWholeDocument)->Unit (benchmark::kMicrosecond);

    // The host asking for the state after a change (the blob is built), and
    // asking again without one (the blob made last is handed back).
    void getStateInformation (benchmark::State& state)
    {
        CarvolinProcessor processor;
        auto& model = processor.getModel();
        model.restore (bigArrangement (model));
        const auto changeEachTime = state.range (0) != 0;

        int i = 0;
        for (auto _ : state)
        {
            if (changeEachTime)
            {
                state.PauseTiming();
                moveOneClip (model, i++);
                state.ResumeTiming();
            }

            juce::MemoryBlock blob;
            processor.getStateInformation (blob);
            benchmark::DoNotOptimize (blob.getData());
        }
    }
    BENCHMARK (getStateInformation)->ArgName ("changed")->Arg (1)->Arg (0)->Unit (benchmark::kMicrosecond);
} // namespace
