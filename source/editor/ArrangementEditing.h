#pragma once

#include "editor/ArrangementGeometry.h"
#include "model/ArrangementSnapshot.h"

#include <functional>

//==============================================================================
/** The arithmetic of the arrangement's mouse gestures, apart from the editor
    that runs them. Every result is in whole quarter notes; snap is the editor's
    quantize rule on ticks.
*/
namespace ArrangementEditing
{
    using Snap = std::function<int (int ticks)>;

    /** A whole number of quarters snapped by the grid and brought back to quarters. */
    int snapQuarters (int quarters, const Snap& snap);

    /** Where a clip being moved would start when its would-be left edge is at
        local x nx: the quarter under it, snapped, kept inside the timeline.
        A clip longer than the timeline starts at 0.
    */
    int movedStart (int nx, int lengthQ, const ArrangementGeometry::View& view, const Snap& snap);

    /** The lane a clip being moved would land in when its would-be top is at local y ny. */
    int movedLane (int ny, int numTracks) noexcept;

    /** The length of a clip being drawn from startQ with the pointer at editor x,
        before the overlap rule: the whole quarters up to the one under the
        pointer, at least 1, ending by the end of the timeline.
    */
    int drawnLength (int editorX, int startQ, const ArrangementGeometry::View& view, const Snap& snap);

    /** The longest length from len down to 1 for which isFree holds; len itself
        when none is free.
    */
    int longestFreeLength (int len, const std::function<bool (int length)>& isFree);

    /** The length of a clip being resized with the pointer at local x,
        before the overlap rule: the length a clip drawn from the same start
        would get, so the right edge follows the pointer.
    */
    int resizedLength (int localX, int startQ, const ArrangementGeometry::View& view, const Snap& snap);

    /** True when local point (x, y) lies on the resize handle of a clip with the
        given bounds: its right-hand 15 %, both ends included.
    */
    bool isOnResizeHandle (juce::Rectangle<int> clipBounds, juce::Point<int> local) noexcept;

    /** The same for a clip's whole extent, which may reach far beyond the lanes. */
    bool isOnResizeHandle (const ArrangementGeometry::ClipExtent& clip, juce::Point<int> local) noexcept;

    /** The scroll offset after panning by dx pixels (pointer moved right by dx). */
    int pannedOffset (int scrollOffset, int dx, int editorWidth, const ArrangementGeometry::View& view) noexcept;

    //==============================================================================
    /** The first clip, in the arrangement's order, that lies under a point of
        the lanes (local: from their top-left); 0 when none does.
    */
    ClipId clipAt (const ArrangementSnapshot& arrangement, juce::Point<int> local, const ArrangementGeometry::View& view);

    /** The first clip whose resize handle lies under a point of the lanes; 0 when none. */
    ClipId resizeHandleAt (const ArrangementSnapshot& arrangement, juce::Point<int> local, const ArrangementGeometry::View& view);

    /** The clips a rectangle of the lanes touches, in the arrangement's order. */
    std::vector<ClipId> clipsTouching (const ArrangementSnapshot& arrangement, juce::Rectangle<int> local, const ArrangementGeometry::View& view);

    /** Where a clip of the arrangement lies in the lanes. */
    ArrangementGeometry::ClipExtent extentOf (const ClipData& clip, int numTracks, const ArrangementGeometry::View& view) noexcept;
} // namespace ArrangementEditing
