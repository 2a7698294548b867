#include "model/StateDocument.h"
#include "support/LargestArrangement.h"

#include <benchmark/benchmark.h>

namespace
{
    std::vector<const ClipData*> pointersTo (const std::vector<ClipData>& clips)
    {
        std::vector<const ClipData*> pointers;
        for (const auto& clip : clips)
            pointers.push_back (&clip);
        return pointers;
    }

    void writeStateDocument (benchmark::State& state)
    {
        const auto clips = largestArrangement();
        const auto pointers = pointersTo (clips);
        for (auto _ : state)
        {
            benchmark::DoNotOptimize (StateDocument::writeClips ("/home/user/music", pointers));
        }
        state.counters["notes"] = 16 * 33 * 200;
    }
    BENCHMARK (writeStateDocument)->Unit (benchmark::kMillisecond);

    // A hand-edited state may hold any number of clips: the cost stays linear.
    void writeStateDocumentManyClips (benchmark::State& state)
    {
        const std::vector<ClipData> clips (static_cast<size_t> (state.range (0)), ClipData { 1, 0, 4, { { 60, 0, 960, 100 } } });
        const auto pointers = pointersTo (clips);
        for (auto _ : state)
            benchmark::DoNotOptimize (StateDocument::writeClips ({}, pointers));
        state.SetComplexityN (state.range (0));
    }
    BENCHMARK (writeStateDocumentManyClips)->RangeMultiplier (4)->Range (1 << 12, 1 << 16)->Complexity()->Unit (benchmark::kMillisecond);

    void restoreStateDocument (benchmark::State& state)
    {
        const auto clips = largestArrangement();
        const auto root = StateDocument::writeClips ("/home/user/music", pointersTo (clips));

        for (auto _ : state)
            benchmark::DoNotOptimize (StateDocument::readClips (root.get()));
    }
    BENCHMARK (restoreStateDocument)->Unit (benchmark::kMillisecond);
} // namespace
