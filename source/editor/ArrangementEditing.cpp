#include "editor/ArrangementEditing.h"

#include "model/Arrangement.h"

namespace ArrangementEditing
{
    namespace geo = ArrangementGeometry;
    using Arrangement::ticksPerQuarter;
    using Arrangement::timelineQuarters;

    int snapQuarters (int quarters, const Snap& snap)
    {
        return snap (quarters * ticksPerQuarter) / ticksPerQuarter;
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

        if (startQ + len > timelineQuarters)
            len = timelineQuarters - startQ;

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
        const auto d = juce::int64 { localX } + view.scrollOffset - geo::quarterToUnscrolledX (startQ, view);
        const auto step = juce::jmax (1, view.areaWidth / juce::jmax (1, Arrangement::quartersPerBar * view.visibleBars));

        auto len = static_cast<int> (juce::jlimit<juce::int64> (1, timelineQuarters, juce::jmax<juce::int64> (1, d) / step));
        len = juce::jmax (1, snapQuarters (len, snap));

        if (juce::int64 { startQ } + len > timelineQuarters)
            len = timelineQuarters - startQ;

        // A clip restored beyond the timeline keeps at least one quarter.
        return juce::jmax (1, len);
    }

    bool isOnResizeHandle (juce::Rectangle<int> b, juce::Point<int> local) noexcept
    {
        const auto right = b.getX() + b.getWidth();
        return right - (b.getWidth() * 15) / 100 <= local.x && local.x <= right
            && b.getY() <= local.y && local.y <= b.getY() + b.getHeight();
    }

    int pannedOffset (int scrollOffset, int dx, int editorWidth, const geo::View& view) noexcept
    {
        const auto s = scrollOffset - dx;
        const auto maxS = juce::jmax (0, geo::scrollTotal (view.areaWidth, editorWidth, view.visibleBars) - view.areaWidth);
        return s < 0 ? 0 : juce::jmin (s, maxS);
    }
} // namespace ArrangementEditing
