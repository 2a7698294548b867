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

    int quarterToUnscrolledX (juce::int64 q, const View& view) noexcept
    {
        return IntRange::saturate ((q * view.areaWidth) / quartersInView (view));
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

    juce::Rectangle<int> clipBounds (int track, int startQ, int lengthQ, int numTracks, const View& view) noexcept
    {
        const auto lane = laneForTrack (track, numTracks);
        return { quarterToX (startQ, view),
                 laneHeight * lane + clipTopInset,
                 juce::jmax (1, spanWidth (startQ, lengthQ, view)),
                 clipHeight };
    }

    int scrollPixelsPerQuarter (int areaWidth, int editorWidth, int visibleBars) noexcept
    {
        const auto w = areaWidth > 0 ? areaWidth : editorWidth - 230;
        return juce::jmax (4, juce::jmax (100, w) / juce::jmax (1, Arrangement::quartersPerBar * visibleBars));
    }

    int scrollTotal (int areaWidth, int editorWidth, int visibleBars) noexcept
    {
        return scrollPixelsPerQuarter (areaWidth, editorWidth, visibleBars) * Arrangement::timelineQuarters;
    }
} // namespace ArrangementGeometry
