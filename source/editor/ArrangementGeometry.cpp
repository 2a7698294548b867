#include "editor/ArrangementGeometry.h"

#include "model/Arrangement.h"
#include "model/IntRange.h"

namespace ArrangementGeometry
{
    namespace
    {
        juce::int64 quartersInView (const View& view) noexcept
        {
            return juce::jmax<juce::int64> (1, juce::int64 { Arrangement::quartersPerBar } * view.visibleBars);
        }
    } // namespace

    int areaWidthFor (int editorWidth) noexcept
    {
        return juce::jmax (0, juce::jmax (0, editorWidth - 20) - headerColumnWidth);
    }

    juce::Rectangle<int> arrangementArea (int editorWidth, int numTracks) noexcept
    {
        return { originX, originY, areaWidthFor (editorWidth), laneHeight * numTracks };
    }

    namespace
    {
        // Exact for every int quarter: |q * W| stays below 2^31 * 2^31.
        juce::int64 unscrolledX64 (juce::int64 q, const View& view) noexcept
        {
            return (q * view.areaWidth) / quartersInView (view);
        }
    } // namespace

    int quarterToUnscrolledX (juce::int64 q, const View& view) noexcept
    {
        return IntRange::saturate (unscrolledX64 (q, view));
    }

    int quarterToX (juce::int64 q, const View& view) noexcept
    {
        return IntRange::saturate (juce::int64 { quarterToUnscrolledX (q, view) } - view.scrollOffset);
    }

    int xToQuarter (int editorX, const View& view) noexcept
    {
        if (view.areaWidth <= 0)
            return 0;

        const auto x = juce::int64 { editorX } - originX + view.scrollOffset;
        return IntRange::saturate ((x * quartersInView (view)) / view.areaWidth);
    }

    int spanWidth (juce::int64 q, juce::int64 length, const View& view) noexcept
    {
        return IntRange::saturate (juce::int64 { quarterToUnscrolledX (q + length, view) } - quarterToUnscrolledX (q, view));
    }

    int laneAtY (int editorY) noexcept
    {
        return (editorY - originY) / laneHeight;
    }

    int laneForTrack (int track, int numTracks) noexcept
    {
        if (track < 1)
            return 0;

        return juce::jmax (0, juce::jmin (track, numTracks) - 1);
    }

    bool ClipExtent::contains (juce::Point<int> p) const noexcept
    {
        return x <= p.x && p.x < getRight() && y <= p.y && p.y < y + height;
    }

    juce::Point<int> ClipExtent::getTopLeft() const noexcept
    {
        return { IntRange::saturate (x), y };
    }

    ClipExtent clipExtent (int track, int startQ, int lengthQ, int numTracks, const View& view) noexcept
    {
        const auto left = unscrolledX64 (startQ, view);
        const auto right = unscrolledX64 (juce::int64 { startQ } + lengthQ, view);
        return { left - view.scrollOffset,
                 laneHeight * laneForTrack (track, numTracks) + clipTopInset,
                 juce::jmax<juce::int64> (1, right - left),
                 clipHeight };
    }

    juce::Rectangle<int> componentBounds (const ClipExtent& extent, int areaWidth) noexcept
    {
        auto left = extent.x;
        auto right = extent.getRight();

        if (left < -maxComponentReach || right > juce::int64 { areaWidth } + maxComponentReach)
        {
            // Only the part near the lanes is shown; a clip wholly out of view
            // keeps a pixel just outside them.
            left = juce::jlimit<juce::int64> (-cutMargin - 1, juce::int64 { areaWidth } + cutMargin, left);
            right = juce::jlimit<juce::int64> (left + 1, juce::int64 { areaWidth } + cutMargin + 1, right);
        }

        return { static_cast<int> (left), extent.y, static_cast<int> (right - left), extent.height };
    }

    juce::Rectangle<int> clipBounds (int track, int startQ, int lengthQ, int numTracks, const View& view) noexcept
    {
        return componentBounds (clipExtent (track, startQ, lengthQ, numTracks, view), view.areaWidth);
    }

    int scrollKeepingQuarterAt (int localX, const View& view, int newVisibleBars) noexcept
    {
        if (view.areaWidth <= 0)
            return view.scrollOffset;

        // The point of the timeline at localX, in quarters times the old
        // quarters in view; the same point at the new zoom, minus localX.
        const auto point = juce::int64 { localX } + view.scrollOffset;
        const auto newQuarters = juce::int64 { Arrangement::quartersPerBar } * juce::jmax (1, newVisibleBars);
        const auto oldQuarters = quartersInView (view);
        const auto newX = (point * oldQuarters + newQuarters / 2) / newQuarters;
        return IntRange::saturate (newX - localX);
    }

    int scrollPixelsPerQuarter (int areaWidth, int editorWidth, int visibleBars) noexcept
    {
        const auto w = areaWidth > 0 ? areaWidth : editorWidth - 230;
        return juce::jmax (4, juce::jmax (100, w) / juce::jmax (1, Arrangement::quartersPerBar * visibleBars));
    }

    int scrollTotal (int areaWidth, int editorWidth, int visibleBars) noexcept
    {
        // The end of the last quarter as the lanes draw it, so that the whole
        // timeline can be scrolled into view at every zoom and width.
        if (areaWidth > 0)
            return quarterToUnscrolledX (Arrangement::timelineQuarters, { areaWidth, visibleBars, 0 });

        return scrollPixelsPerQuarter (areaWidth, editorWidth, visibleBars) * Arrangement::timelineQuarters;
    }
} // namespace ArrangementGeometry
