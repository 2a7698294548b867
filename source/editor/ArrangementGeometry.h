#pragma once

#include <juce_graphics/juce_graphics.h>

//==============================================================================
/** The arrangement's mapping between quarter notes, lanes and pixels.
    Layout, painting and editing all place things through these functions.

    Every position is an integer product divided once, truncating toward zero,
    so quarter positions spread evenly over the width without adding up rounding.
    Products are formed in 64 bits: clip values restored from a saved state are
    not limited to the timeline.
*/
namespace ArrangementGeometry
{
    constexpr int headerColumnWidth = 200;
    constexpr int originX = 210; ///< left edge of the lanes in editor coordinates
    constexpr int originY = 130; ///< top edge of the lanes in editor coordinates
    constexpr int laneHeight = 50;
    constexpr int clipTopInset = 6; ///< a clip starts this far below the top of its lane
    constexpr int clipHeight = 38;
    constexpr int minVisibleBars = 1;
    constexpr int maxVisibleBars = 33;

    /** Zoom and scroll of the arrangement: what quarterToX and xToQuarter need. */
    struct View
    {
        int areaWidth = 0;    ///< width of the lanes in pixels
        int visibleBars = 32; ///< bars spanning areaWidth
        int scrollOffset = 0; ///< horizontal scroll in pixels
    };

    /** Width of the lanes for an editor of the given width. */
    int areaWidthFor (int editorWidth) noexcept;

    /** The lanes' rectangle in editor coordinates. */
    juce::Rectangle<int> arrangementArea (int editorWidth, int numTracks) noexcept;

    /** The bar ruler: the strip of bar numbers just above the lanes. */
    constexpr int rulerHeight = 18;
    inline juce::Rectangle<int> rulerArea (const juce::Rectangle<int>& lanes) noexcept
    {
        return { lanes.getX(), lanes.getY() - rulerHeight, lanes.getWidth(), rulerHeight };
    }

    /** (q * W) / (4 * visibleBars) without scrolling: the unscrolled x of quarter q. */
    int quarterToUnscrolledX (juce::int64 q, const View& view) noexcept;

    /** The x of quarter q inside the lanes (add originX for editor coordinates). */
    int quarterToX (juce::int64 q, const View& view) noexcept;

    /** The whole quarter under editor x, truncating toward zero; not clamped. */
    int xToQuarter (int editorX, const View& view) noexcept;

    /** Pixel width of the span of quarters [q, q + length): the difference of the
        two truncated positions, so neighbouring spans tile without gaps.
    */
    int spanWidth (juce::int64 q, juce::int64 length, const View& view) noexcept;

    /** The 0-based lane under editor y, truncating toward zero; not clamped. */
    int laneAtY (int editorY) noexcept;

    /** The lane a clip of the given track is shown in: tracks below 1 in the
        first lane, tracks beyond the last lane in the last.
    */
    int laneForTrack (int track, int numTracks) noexcept;

    /** Where a clip lies inside the lanes: 6 below its lane's top, 38 high, at
        least 1 wide. A clip restored or loaded far longer than the timeline can
        reach billions of pixels to either side, so x and width are 64-bit.
    */
    struct ClipExtent
    {
        juce::int64 x = 0;
        int y = 0;
        juce::int64 width = 0;
        int height = 0;

        juce::int64 getRight() const noexcept { return x + width; }

        /** True when x <= p.x < right and y <= p.y < bottom. */
        bool contains (juce::Point<int> p) const noexcept;

        /** The top-left corner, held to the range of int. */
        juce::Point<int> getTopLeft() const noexcept;
    };

    ClipExtent clipExtent (int track, int startQ, int lengthQ, int numTracks, const View& view) noexcept;

    /** How far a clip component may reach beyond the lanes on either side
        before it is cut: a million pixels, far beyond the widest timeline
        (132 quarters at one bar per 1780 pixels) and far inside what JUCE's
        renderer takes (it multiplies coordinates by 256 in an int).
    */
    constexpr juce::int64 maxComponentReach = 1 << 20;

    /** How far beyond the lanes a cut clip component still reaches, so that
        its cut ends and its selection frame never show.
    */
    constexpr int cutMargin = 16;

    /** The bounds a clip component gets for an extent: the extent itself
        whenever it lies within maxComponentReach of the lanes, else only its
        part within cutMargin of the lanes (of width areaWidth).
    */
    juce::Rectangle<int> componentBounds (const ClipExtent& extent, int areaWidth) noexcept;

    /** componentBounds of clipExtent: the bounds the layout gives a clip. */
    juce::Rectangle<int> clipBounds (int track, int startQ, int lengthQ, int numTracks, const View& view) noexcept;

    /** The scroll offset that keeps the point of the timeline at local x
        (inside the lanes) there when the zoom becomes newVisibleBars.
    */
    int scrollKeepingQuarterAt (int localX, const View& view, int newVisibleBars) noexcept;

    /** Whole pixels per quarter note used by the timeline's scroll range. */
    int scrollPixelsPerQuarter (int areaWidth, int editorWidth, int visibleBars) noexcept;

    /** The scroll bar's total range: the x where the timeline ends. */
    int scrollTotal (int areaWidth, int editorWidth, int visibleBars) noexcept;
} // namespace ArrangementGeometry
