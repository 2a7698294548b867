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

    void writeStateDocument (benchmark::State& state)
    {
        const auto clips = bigArrangement();
        for (auto _ : state)
        {
            auto root = StateDocument::createRoot ("/home/user/music");
            for (const auto& clip : clips)
                StateDocument::appendClip (*root, clip);
            benchmark::DoNotOptimize (root.get());
        }
        state.counters["notes"] = 16 * 33 * 200;
    }
    BENCHMARK (writeStateDocument)->Unit (benchmark::kMillisecond);

    void restoreStateDocument (benchmark::State& state)
    {
        auto root = StateDocument::createRoot ("/home/user/music");
        for (const auto& clip : bigArrangement())
            StateDocument::appendClip (*root, clip);

        for (auto _ : state)
            benchmark::DoNotOptimize (StateDocument::readClips (root.get()));
    }
    BENCHMARK (restoreStateDocument)->Unit (benchmark::kMillisecond);
} // namespace
