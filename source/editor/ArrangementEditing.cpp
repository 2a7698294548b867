#include "editor/ArrangementEditing.h"

#include "model/Arrangement.h"
#include "model/IntRange.h"

#include <limits>

namespace ArrangementEditing
{
    namespace geo = ArrangementGeometry;
    using Arrangement::ticksPerQuarter;
    using Arrangement::timelineQuarters;

    int snapQuarters (int quarters, const Snap& snap)
    {
        // Far outside the timeline, a quarter's ticks would leave the range of int.
        constexpr int limit = std::numeric_limits<int>::max() / ticksPerQuarter - 1;
        return snap (juce::jlimit (-limit, limit, quarters) * ticksPerQuarter) / ticksPerQuarter;
    }

    int movedStart (int nx, int lengthQ, const geo::View& view, const Snap& snap)
    {
        if (view.areaWidth <= 0)
            return 0;

        const auto unscrolled = juce::int64 { view.scrollOffset } + nx;
        auto q = static_cast<int> (juce::jlimit<juce::int64> (0, timelineQuarters - 1,
                                                              (unscrolled * view.visibleBars * Arrangement::quartersPerBar) / view.areaWidth));
        auto start = snapQuarters (q, snap);

        if (juce::int64 { start } + lengthQ > timelineQuarters)
            start = timelineQuarters - lengthQ;

        // A clip longer than the timeline (from a loaded file) would otherwise get a negative start.
        return juce::jmax (0, start);
    }

    int movedLane (int ny, int numTracks) noexcept
    {
        const auto lane = ny / geo::laneHeight;
        return lane < 0 ? 0 : juce::jmin (lane, numTracks - 1);
    }

    int drawnLength (int editorX, int startQ, const geo::View& view, const Snap& snap)
    {
        if (view.areaWidth <= 0)
            return 1;

        const auto cx = juce::jlimit (geo::originX, geo::originX + view.areaWidth, editorX);
        const auto unscrolled = juce::int64 { view.scrollOffset } - geo::originX + cx;
        const auto q = (unscrolled * Arrangement::quartersPerBar * view.visibleBars) / view.areaWidth - startQ;

        auto len = snapQuarters (static_cast<int> (juce::jlimit<juce::int64> (1, timelineQuarters, q)), snap);
        len = juce::jmax (1, len);

        if (juce::int64 { startQ } + len > timelineQuarters)
            len = IntRange::saturate (juce::int64 { timelineQuarters } - startQ);

        return juce::jmax (1, len);
    }

    int longestFreeLength (int len, const std::function<bool (int length)>& isFree)
    {
        if (isFree (len))
            return len;

        for (int shorter = len - 1; shorter >= 1; --shorter)
            if (isFree (shorter))
                return shorter;

        return len;
    }

    int resizedLength (int localX, int startQ, const geo::View& view, const Snap& snap)
    {
        // The right edge goes where a clip drawn from the same start would end.
        return drawnLength (IntRange::saturate (juce::int64 { localX } + geo::originX), startQ, view, snap);
    }

    bool isOnResizeHandle (juce::Rectangle<int> b, juce::Point<int> local) noexcept
    {
        return isOnResizeHandle (geo::ClipExtent { b.getX(), b.getY(), b.getWidth(), b.getHeight() }, local);
    }

    bool isOnResizeHandle (const geo::ClipExtent& clip, juce::Point<int> local) noexcept
    {
        const auto right = clip.getRight();
        return right - (clip.width * 15) / 100 <= local.x && local.x <= right
            && clip.y <= local.y && local.y <= clip.y + clip.height;
    }

    int pannedOffset (int scrollOffset, int dx, int editorWidth, const geo::View& view) noexcept
    {
        const auto s = scrollOffset - dx;
        const auto maxS = juce::jmax (0, geo::scrollTotal (view.areaWidth, editorWidth, view.visibleBars) - view.areaWidth);
        return s < 0 ? 0 : juce::jmin (s, maxS);
    }

    //==============================================================================
    geo::ClipExtent extentOf (const ClipData& clip, int numTracks, const geo::View& view) noexcept
    {
        return geo::clipExtent (clip.track, clip.startQ, clip.lengthQ, numTracks, view);
    }

    ClipId clipAt (const ArrangementSnapshot& arrangement, juce::Point<int> local, const geo::View& view)
    {
        for (const auto& clip : arrangement.clips)
            if (extentOf (clip->data, arrangement.numTracks, view).contains (local))
                return clip->id;

        return 0;
    }

    ClipId resizeHandleAt (const ArrangementSnapshot& arrangement, juce::Point<int> local, const geo::View& view)
    {
        for (const auto& clip : arrangement.clips)
            if (isOnResizeHandle (extentOf (clip->data, arrangement.numTracks, view), local))
                return clip->id;

        return 0;
    }

    std::vector<ClipId> clipsTouching (const ArrangementSnapshot& arrangement, juce::Rectangle<int> band, const geo::View& view)
    {
        std::vector<ClipId> touched;
        for (const auto& clip : arrangement.clips)
        {
            const auto e = extentOf (clip->data, arrangement.numTracks, view);
            if (e.x < band.getRight() && band.getX() < e.getRight() && e.y < band.getBottom() && band.getY() < e.y + e.height)
                touched.push_back (clip->id);
        }
        return touched;
    }
} // namespace ArrangementEditing
