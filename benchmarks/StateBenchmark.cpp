#include "model/StateDocument.h"

#include <benchmark/benchmark.h>

namespace
{
    /** 16 tracks x 33 clips x 200 notes: the largest arrangement a user can make with full lanes. */
    std::vector<ClipData> bigArrangement()
    {
        std::vector<ClipData> clips;
        for (int track = 1; track <= 16; ++track)
            for (int start = 0; start < 132; start += 4)
            {
                ClipData clip { track, start, 4, {} };
                for (int n = 0; n < 200; ++n)
                    clip.notes.push_back ({ 40 + n % 48, n * 19, 120, 100 });
                clips.push_back (std::move (clip));
            }
        return clips;
    }

    std::vector<const ClipData*> pointersTo (const std::vector<ClipData>& clips)
    {
        std::vector<const ClipData*> pointers;
        for (const auto& clip : clips)
            pointers.push_back (&clip);
        return pointers;
    }

    void writeStateDocument (benchmark::State& state)
    {
        const auto clips = bigArrangement();
        const auto pointers = pointersTo (clips);
        for (auto _ : state)
        {
            benchmark::DoNotOptimize (StateDocument::createDocument ("/home/user/music", pointers));
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
            benchmark::DoNotOptimize (StateDocument::createDocument ({}, pointers));
        state.SetComplexityN (state.range (0));
    }
    BENCHMARK (writeStateDocumentManyClips)->RangeMultiplier (4)->Range (1 << 12, 1 << 16)->Complexity()->Unit (benchmark::kMillisecond);

    void restoreStateDocument (benchmark::State& state)
    {
        const auto clips = bigArrangement();
        const auto root = StateDocument::createDocument ("/home/user/music", pointersTo (clips));

        for (auto _ : state)
            benchmark::DoNotOptimize (StateDocument::readClips (root.get()));
    }
    BENCHMARK (restoreStateDocument)->Unit (benchmark::kMillisecond);
} // namespace
