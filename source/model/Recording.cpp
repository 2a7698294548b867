#include "model/Recording.h"

#include <algorithm>
#include <limits>

namespace Recording
{
    namespace
    {
        constexpr juce::int64 ticksPerQuarter = Arrangement::ticksPerQuarter;
        constexpr juce::int64 ticksPerBar = ticksPerQuarter * Arrangement::quartersPerBar;
        constexpr juce::int64 timelineEnd = ticksPerQuarter * Arrangement::timelineQuarters;

        juce::int64 startOf (const ClipData& clip) noexcept { return juce::int64 { clip.startQ } * ticksPerQuarter; }
        juce::int64 endOf (const ClipData& clip) noexcept { return startOf (clip) + juce::int64 { clip.lengthQ } * ticksPerQuarter; }

        juce::int64 upToBar (juce::int64 tick) noexcept { return (tick + ticksPerBar - 1) / ticksPerBar * ticksPerBar; }

        /** Where a clip of the track starting at from may reach: the next clip's start, or the timeline's end. */
        juce::int64 roomAfter (const ArrangementSnapshot& arrangement, int track, juce::int64 from) noexcept
        {
            auto limit = timelineEnd;
            for (const auto& clip : arrangement.clips)
                if (clip->data.track == track && startOf (clip->data) > from)
                    limit = std::min (limit, startOf (clip->data));
            return limit;
        }

        bool isTakeClip (const TakeClips& takeClips, ClipId id) noexcept
        {
            return std::find (takeClips.begin(), takeClips.end(), id) != takeClips.end();
        }

        /** The end a clip of the take grows to for a note that ends at noteEnd. */
        juce::int64 grownEnd (const ArrangementSnapshot& arrangement, const ClipData& clip, juce::int64 noteEnd) noexcept
        {
            const auto limit = roomAfter (arrangement, clip.track, startOf (clip));
            return std::max (endOf (clip), std::min (limit, upToBar (noteEnd)));
        }
    } // namespace

    std::optional<Placed> add (ArrangementModel::Edit& edit, int track, const Note& note, NoteId id, TakeClips& takeClips)
    {
        if (note.start < 0 || note.start >= timelineEnd || note.end <= note.start)
            return std::nullopt;

        const auto& arrangement = edit.get();
        const Clip* under = nullptr;
        const Clip* before = nullptr; // the clip of the track ending last at or before the note
        for (const auto& clip : arrangement.clips)
        {
            if (clip->data.track != track)
                continue;

            if (startOf (clip->data) <= note.start && note.start < endOf (clip->data))
            {
                under = clip.get();
                break;
            }

            if (endOf (clip->data) <= note.start && (before == nullptr || endOf (clip->data) > endOf (before->data)))
                before = clip.get();
        }

        // A clip the take made, right before the note, grows to take it.
        if (under == nullptr && before != nullptr && isTakeClip (takeClips, before->id))
            under = before;

        ClipNote added { juce::jlimit (0, 127, note.key), 0, 1, juce::jlimit (1, 127, note.velocity), id };

        if (under == nullptr)
        {
            // A new clip, from the note's bar (or from the clip before, inside it).
            const auto start = std::max (note.start / ticksPerBar * ticksPerBar, before != nullptr ? endOf (before->data) : juce::int64 { 0 });
            const auto end = std::min (roomAfter (arrangement, track, note.start), upToBar (note.end));
            added.startTick = (int) (note.start - start);
            added.lengthTicks = (int) (std::min (note.end, end) - note.start);

            const auto clip = edit.addClip ({ track, (int) (start / ticksPerQuarter), (int) ((end - start) / ticksPerQuarter), { added } });
            takeClips.push_back (clip);
            return Placed { clip, id, note.start };
        }

        auto data = under->data;
        const auto end = isTakeClip (takeClips, under->id) ? grownEnd (arrangement, data, std::max (note.end, note.start + 1)) : endOf (data);
        data.lengthQ = (int) ((end - startOf (data)) / ticksPerQuarter);
        added.startTick = (int) (note.start - startOf (data));
        added.lengthTicks = (int) std::max (juce::int64 { 1 }, std::min (note.end, end) - note.start);
        data.notes.push_back (added);

        const auto clip = under->id;
        edit.setClip (clip, std::move (data));
        return Placed { clip, id, note.start };
    }

    bool setEnd (ArrangementModel::Edit& edit, const Placed& placed, juce::int64 end, const TakeClips& takeClips)
    {
        const auto* clip = edit.get().findClip (placed.clip);
        if (clip == nullptr)
            return false;

        auto data = clip->data;
        const auto found = std::find_if (data.notes.begin(), data.notes.end(), [&placed] (const ClipNote& n) { return n.id == placed.note; });
        if (found == data.notes.end())
            return false;

        // Where the note starts now: its clip may have been moved meanwhile.
        const auto start = startOf (data) + found->startTick;
        auto clipEnd = endOf (data);
        if (isTakeClip (takeClips, placed.clip))
        {
            clipEnd = grownEnd (edit.get(), data, std::max (end, start + 1));
            data.lengthQ = (int) ((clipEnd - startOf (data)) / ticksPerQuarter);
        }

        found->lengthTicks = (int) juce::jlimit (juce::int64 { 1 }, juce::int64 { std::numeric_limits<int>::max() }, std::min (end, clipEnd) - start);
        edit.setClip (placed.clip, std::move (data));
        return true;
    }
} // namespace Recording
