#include "model/ClipRules.h"

#include <algorithm>
#include <limits>

namespace ClipPlacement
{
    namespace
    {
        int laneOf (int track, int numTracks) noexcept
        {
            return track < 1 ? 0 : juce::jmin (track, numTracks) - 1;
        }

    } // namespace

    bool keepsTheRules (const std::vector<ClipData>& clips, int numTracks, const std::vector<const ClipData*>& others)
    {
        for (const auto& clip : clips)
            if (clip.track < 1 || clip.track > numTracks || ! fitsTimeline (clip.startQ, clip.lengthQ)
                || ClipRules::wouldOverlap (others, clip.track, clip.startQ, clip.lengthQ, nullptr))
                return false;

        // Clips shown in one lane (tracks beyond the last) land on one track.
        for (size_t i = 0; i < clips.size(); ++i)
            for (size_t j = i + 1; j < clips.size(); ++j)
                if (clips[i].track == clips[j].track && ClipRules::spansOverlap (clips[i].startQ, clips[i].lengthQ, clips[j].startQ, clips[j].lengthQ))
                    return false;

        return true;
    }

    std::vector<const ClipData*> othersThan (const ArrangementSnapshot& snapshot, const std::vector<ClipId>& ids)
    {
        std::vector<const ClipData*> others;
        others.reserve (snapshot.clips.size());
        for (const auto& clip : snapshot.clips)
            if (std::find (ids.begin(), ids.end(), clip->id) == ids.end())
                others.push_back (&clip->data);
        return others;
    }

    bool fitsTimeline (juce::int64 startQ, juce::int64 lengthQ) noexcept
    {
        return startQ >= 0 && startQ + lengthQ <= juce::jmax<juce::int64> (Arrangement::timelineQuarters, lengthQ);
    }

    std::optional<std::vector<ClipData>> moved (const std::vector<ClipData>& clips, int laneOffset, int quarterOffset, int numTracks,
                                                const std::vector<const ClipData*>& others)
    {
        auto result = clips;
        for (auto& clip : result)
        {
            const auto lane = juce::int64 { laneOf (clip.track, numTracks) } + laneOffset;
            const auto start = juce::int64 { clip.startQ } + quarterOffset;
            if (lane < 0 || lane >= numTracks || start < 0 || start > Arrangement::timelineQuarters)
                return std::nullopt;

            clip.track = static_cast<int> (lane) + 1;
            clip.startQ = static_cast<int> (start);
        }

        if (! keepsTheRules (result, numTracks, others))
            return std::nullopt;

        return result;
    }

    std::optional<std::vector<ClipData>> placed (const std::vector<ClipData>& clips, int lane, int startQ, int numTracks,
                                                 const std::vector<const ClipData*>& others)
    {
        if (clips.empty())
            return std::nullopt;

        auto topLane = std::numeric_limits<int>::max(), bottomLane = 0;
        auto firstStart = std::numeric_limits<int>::max();
        for (const auto& clip : clips)
        {
            topLane = juce::jmin (topLane, laneOf (clip.track, numTracks));
            bottomLane = juce::jmax (bottomLane, laneOf (clip.track, numTracks));
            firstStart = juce::jmin (firstStart, clip.startQ);
        }

        // As far down as all the lanes fit.
        const auto laneOffset = juce::jmin (lane, numTracks - 1 - (bottomLane - topLane)) - topLane;
        if (laneOffset + topLane < 0)
            return std::nullopt;

        for (auto q = juce::jmax (0, startQ); q < Arrangement::timelineQuarters; ++q)
            if (auto result = moved (clips, laneOffset, q - firstStart, numTracks, others))
                return result;

        return std::nullopt;
    }
} // namespace ClipPlacement
