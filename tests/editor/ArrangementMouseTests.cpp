#include "support/EditorTestAccess.h"

#include "editor/ArrangementEditing.h"

#include <gtest/gtest.h>

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    struct ClipState
    {
        int track, startQ, lengthQ;
        bool operator== (const ClipState& o) const { return track == o.track && startQ == o.startQ && lengthQ == o.lengthQ; }
    };

    /** The clips as the lanes show them, in order (during a gesture, where it puts them). */
    std::vector<ClipState> clipStates (CarvolinEditor& e)
    {
        std::vector<ClipState> result;
        for (const auto& clip : e.getModel().getSnapshot()->clips)
        {
            const auto c = Access::shown (e, clip->id);
            result.push_back ({ c.track, c.startQ, c.lengthQ });
        }
        return result;
    }

    void PrintTo (const ClipState& c, std::ostream* os) { *os << "(" << c.track << ", " << c.startQ << ", " << c.lengthQ << ")"; }
} // namespace

//==============================================================================
TEST (ArrangementDraw, DrawsAClipInTheSecondLane)
{
    EditorFixture f;
    auto& e = *f.editor;
    lanes (e).setTool (EditTool::Draw);
    Pointer pointer { lanes (e) };

    pointer.press (quarterX (8) + 1, laneY (1));
    EXPECT_TRUE (Access::clips (e).empty()) << "the preview is not a clip yet";

    pointer.drag (quarterX (12) + 1, laneY (1));
    pointer.release (quarterX (12) + 1, laneY (1));

    ASSERT_EQ (clipStates (e), (std::vector<ClipState> { { 2, 8, 4 } }));
    auto& clip = *Access::clips (e).front();
    EXPECT_EQ (clip.getParentComponent(), &Access::clipContainer (e));
    EXPECT_EQ (clip.getBounds(), juce::Rectangle<int> (55, 56, 27, 38));
    EXPECT_EQ (Access::selected (e), 0u) << "a drawn clip is not selected";
    EXPECT_EQ (Access::clipContainer (e).getNumChildComponents(), 1) << "the preview is gone";
}

TEST (ArrangementDraw, TouchingIsAllowedOverlappingIsNot)
{
    EditorFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 1, 0, 4);
    lanes (e).setTool (EditTool::Draw);
    Pointer pointer { lanes (e) };

    pointer.click (quarterX (3) + 1, laneY (0));
    EXPECT_EQ (Access::clips (e).size(), 1u);

    pointer.click (quarterX (4) + 1, laneY (0));
    EXPECT_EQ (clipStates (e), (std::vector<ClipState> { { 1, 0, 4 }, { 1, 4, 1 } }));

    // The same quarters on another track are free.
    pointer.click (quarterX (0) + 1, laneY (1));
    EXPECT_EQ (Access::clips (e).size(), 3u);
}

TEST (ArrangementDraw, StopsBeforeTheNextClipAndAtTheTimelineEnd)
{
    EditorFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 1, 13, 4);
    lanes (e).setTool (EditTool::Draw);
    Pointer pointer { lanes (e) };

    // A clip 3 quarters to the right: the length stops at 3 however far the pointer goes.
    pointer.press (quarterX (10) + 1, laneY (0));
    pointer.drag (quarterX (30), laneY (0));
    pointer.drag (1099, laneY (0));
    pointer.release (1099, laneY (0));
    EXPECT_EQ (clipStates (e).back(), (ClipState { 1, 10, 3 }));

    // Dragging left of the start gives one quarter.
    pointer.press (quarterX (40) + 1, laneY (1));
    pointer.drag (0, laneY (1));
    pointer.release (0, laneY (1));
    EXPECT_EQ (clipStates (e).back(), (ClipState { 2, 40, 1 }));

    // With all 33 bars in view, a clip drawn from quarter 128 past the end of
    // the lanes ends with the timeline.
    click (Access::zoomOutButton (e));
    pointer.press (210 + (128 * 880) / 132 + 1, laneY (2));
    pointer.drag (2000, laneY (2));
    pointer.release (2000, laneY (2));
    EXPECT_EQ (clipStates (e).back(), (ClipState { 3, 128, 4 }));
}

TEST (ArrangementDraw, PressesOutsideTheLanesDoNothing)
{
    EditorFixture f;
    auto& e = *f.editor;
    lanes (e).setTool (EditTool::Draw);
    Pointer pointer { lanes (e) };

    for (const auto& [x, y] : { std::pair { 100, laneY (0) }, { 500, 129 }, { 500, 330 }, { 1090, laneY (0) } })
        pointer.click (x, y);

    EXPECT_TRUE (Access::clips (e).empty());
}

TEST (ArrangementDraw, DoubleClickCreatesOneClip)
{
    EditorFixture f;
    auto& e = *f.editor;
    lanes (e).setTool (EditTool::Draw);
    Pointer { lanes (e) }.doubleClick (quarterX (20) + 1, laneY (3));
    EXPECT_EQ (clipStates (e), (std::vector<ClipState> { { 4, 20, 1 } }));
}

//==============================================================================
TEST (ArrangementSelect, PressSelectsAndEmptySpaceClears)
{
    EditorFixture f;
    auto& e = *f.editor;
    const auto clip = Access::addClip (e, 2, 8, 4);
    Pointer pointer { lanes (e) };

    pointer.click (quarterX (9), laneY (1));
    EXPECT_EQ (Access::selected (e), clip);

    pointer.click (quarterX (20), laneY (1));
    EXPECT_EQ (Access::selected (e), 0u);
}

TEST (ArrangementSelect, MovesAcrossLanesAndQuarters)
{
    EditorFixture f;
    auto& e = *f.editor;
    const auto clip = Access::addClip (e, 1, 0, 4);
    Pointer pointer { lanes (e) };

    pointer.press (212, laneY (0));
    pointer.drag (212 + (quarterX (10) - 210), laneY (2));
    EXPECT_EQ (clipStates (e).front(), (ClipState { 3, 10, 4 }));
    EXPECT_EQ (Access::componentOf (e, clip)->getBounds().getY(), 106);

    // Left of quarter 0 stays at quarter 0.
    pointer.drag (210, laneY (3));
    EXPECT_EQ (clipStates (e).front(), (ClipState { 4, 0, 4 }));
    pointer.release (210, laneY (3));
}

TEST (ArrangementSelect, MovesStopAtOccupiedSpansAndTheTimelineEnd)
{
    EditorFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 1, 0, 4);
    Access::addClip (e, 1, 8, 4);
    Pointer pointer { lanes (e) };

    pointer.press (212, laneY (0));
    pointer.drag (212 + (quarterX (2) - 210), laneY (0));
    EXPECT_EQ (clipStates (e).front(), (ClipState { 1, 2, 4 }));

    pointer.drag (212 + (quarterX (6) - 210), laneY (0)); // would overlap the clip at 8
    EXPECT_EQ (clipStates (e).front(), (ClipState { 1, 2, 4 }));

    pointer.drag (212 + (quarterX (12) - 210), laneY (0)); // touching its end is fine
    EXPECT_EQ (clipStates (e).front(), (ClipState { 1, 12, 4 }));

    pointer.drag (1085, laneY (0)); // far right: the last quarter in view
    EXPECT_EQ (clipStates (e).front(), (ClipState { 1, 126, 4 }));
    pointer.release (1085, laneY (0));

    // With the whole timeline in view, the far right ends the clip at 132.
    click (Access::zoomOutButton (e));
    pointer.press (210 + (126 * 880) / 132 + 2, laneY (0));
    pointer.drag (1089, laneY (0));
    EXPECT_EQ (clipStates (e).front(), (ClipState { 1, 128, 4 }));
    pointer.release (1089, laneY (0));
}

TEST (ArrangementSelect, AClipLongerThanTheTimelineNeverGetsANegativeStart)
{
    EditorFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 1, 0, 200); // as a long loaded file gives
    Pointer pointer { lanes (e) };

    pointer.press (215, laneY (0));
    pointer.drag (700, laneY (1));
    pointer.release (700, laneY (1));
    EXPECT_EQ (clipStates (e).front(), (ClipState { 2, 0, 200 }));
}

TEST (ArrangementSelect, LeavingTheLanesWithoutAFileKeepsTheClip)
{
    EditorFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 1, 4, 4); // no notes: nothing can be dragged out
    Pointer pointer { lanes (e) };

    pointer.press (quarterX (5), laneY (0));
    pointer.drag (100, 50);                  // out of the lanes
    pointer.drag (quarterX (20), laneY (1)); // back in: the clip no longer follows
    pointer.release (quarterX (20), laneY (1));
    EXPECT_EQ (clipStates (e).front(), (ClipState { 1, 4, 4 }));
}

//==============================================================================
TEST (ArrangementResize, HandleIsTheRightHandFifteenPercent)
{
    using ArrangementEditing::isOnResizeHandle;
    const juce::Rectangle<int> wide (100, 6, 40, 38), narrow (100, 6, 6, 38);

    struct Case
    {
        juce::Rectangle<int> bounds;
        int x, y;
        bool expected;
    };
    const Case cases[] = {
        { wide, 133, 20, false },
        { wide, 134, 20, true },
        { wide, 140, 20, true },
        { wide, 141, 20, false },
        { wide, 137, 5, false },
        { wide, 137, 6, true },
        { wide, 137, 44, true },
        { wide, 137, 45, false },
        { narrow, 105, 20, false },
        { narrow, 106, 20, true },
        { narrow, 107, 20, false },
    };

    for (const auto& c : cases)
        EXPECT_EQ (isOnResizeHandle (c.bounds, { c.x, c.y }), c.expected) << c.bounds.toString() << " at " << c.x << "," << c.y;
}

TEST (ArrangementResize, DragsTheRightEdgeAndRefusesOverlaps)
{
    EditorFixture f;
    auto& e = *f.editor;
    const auto clip = Access::addClip (e, 1, 0, 4); // 27 pixels wide: handle at local x 24..27
    Access::addClip (e, 1, 10, 4);
    lanes (e).setTool (EditTool::Resize);
    Pointer pointer { lanes (e) };

    const auto length = [&] { return Access::shown (e, clip).lengthQ; };
    const auto right = [&] { return Access::componentOf (e, clip)->getRight(); };

    pointer.press (210 + 20, laneY (0)); // on the clip but left of its handle
    pointer.drag (210 + 60, laneY (0));
    pointer.release (210 + 60, laneY (0));
    EXPECT_EQ (length(), 4);
    EXPECT_EQ (Access::selected (e), 0u);

    // The right edge goes to the start of the quarter under the pointer, by
    // the mapping clips are drawn with: local x 58 lies in quarter 8 (55..61).
    pointer.press (210 + 25, laneY (0));
    EXPECT_EQ (Access::selected (e), clip);
    pointer.drag (210 + 58, laneY (0));
    EXPECT_EQ (length(), 8);
    EXPECT_EQ (right(), 55);

    // 12 quarters would reach into the clip at 10: the length stays.
    pointer.drag (210 + 85, laneY (0));
    EXPECT_EQ (length(), 8);

    pointer.drag (210 + 2, laneY (0)); // at least one quarter
    EXPECT_EQ (length(), 1);
    pointer.release (210 + 2, laneY (0));
    EXPECT_EQ (Access::clipData (e, clip).lengthQ, 1);

    // Far from the start the edge still follows: for a clip at quarter 40
    // (local x 275 to 302), local x 400 lies in quarter 58.
    const auto far = Access::addClip (e, 2, 40, 4);
    pointer.press (210 + 300, laneY (1));
    pointer.drag (210 + 400, laneY (1));
    EXPECT_EQ (Access::shown (e, far).lengthQ, 18);
    EXPECT_EQ (Access::componentOf (e, far)->getRight(), 398);
    pointer.release (210 + 400, laneY (1));
}

TEST (ArrangementResize, HoverShowsTheResizeCursorOnlyOnHandles)
{
    EditorFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 1, 0, 4);
    Pointer pointer { lanes (e) };

    lanes (e).setTool (EditTool::Resize);
    pointer.move (210 + 25, laneY (0));
    EXPECT_EQ (lanes (e).getMouseCursor(), juce::MouseCursor (juce::MouseCursor::LeftRightResizeCursor));
    pointer.move (210 + 10, laneY (0));
    EXPECT_EQ (lanes (e).getMouseCursor(), juce::MouseCursor (juce::MouseCursor::NormalCursor));

    lanes (e).setTool (EditTool::Select);
    pointer.move (210 + 25, laneY (0));
    EXPECT_EQ (lanes (e).getMouseCursor(), juce::MouseCursor (juce::MouseCursor::NormalCursor));
}

//==============================================================================
TEST (ArrangementPan, StaysWithinTheScrollRange)
{
    EditorFixture f;
    auto& e = *f.editor;
    lanes (e).setTool (EditTool::Drag);
    Pointer pointer { lanes (e) };

    // A new editor shows all but the end of the timeline: quarter 132 is at
    // x 907, so it pans 27 pixels to bring the last bar into view.
    pointer.dragFromTo (600, laneY (0), 100, laneY (0));
    EXPECT_EQ (lanes (e).getView().scrollOffset, 27);
    pointer.dragFromTo (300, laneY (0), 800, laneY (0));
    EXPECT_EQ (lanes (e).getView().scrollOffset, 0);

    for (int i = 0; i < 28; ++i)
        Access::zoomInButton (e).triggerClick();
    pumpMessages (100);
    ASSERT_EQ (lanes (e).getView().visibleBars, 4);

    // Quarter 132 is at 132 * 880 / 16 = 7260, so the offset stops at 7260 - 880.
    pointer.dragFromTo (600, laneY (0), 900, laneY (0));
    EXPECT_EQ (lanes (e).getView().scrollOffset, 0);

    pointer.dragFromTo (1000, laneY (0), 700, laneY (0));
    EXPECT_EQ (lanes (e).getView().scrollOffset, 300);
    EXPECT_EQ (Access::scrollBar (e).getCurrentRangeStart(), 300.0);

    for (int i = 0; i < 30; ++i)
        pointer.dragFromTo (1000, laneY (0), 220, laneY (0));
    EXPECT_EQ (lanes (e).getView().scrollOffset, 7260 - 880);

    // A drag that starts on the toolbar pans nothing.
    pointer.dragFromTo (600, 50, 1000, 50);
    EXPECT_EQ (lanes (e).getView().scrollOffset, 7260 - 880);
}

TEST (ArrangementPan, DrawingAfterScrollingMapsThroughTheOffset)
{
    EditorFixture f;
    auto& e = *f.editor;
    for (int i = 0; i < 28; ++i)
        Access::zoomInButton (e).triggerClick();
    pumpMessages (100);

    lanes (e).setTool (EditTool::Drag);
    Pointer pointer { lanes (e) };
    pointer.dragFromTo (1000, laneY (0), 1000 - 55 * 100, laneY (0)); // scroll by 100 quarters
    ASSERT_EQ (lanes (e).getView().scrollOffset, 5500);

    lanes (e).setTool (EditTool::Draw);
    pointer.click (215, laneY (0));
    EXPECT_EQ (clipStates (e), (std::vector<ClipState> { { 1, 100, 1 } }));
}

//==============================================================================
TEST (ArrangementKeys, DeleteAndBackspaceOnlyWithTheSelectTool)
{
    EditorFixture f;
    auto& e = *f.editor;
    Pointer pointer { lanes (e) };

    const juce::KeyPress keys[] = { juce::KeyPress (juce::KeyPress::deleteKey), juce::KeyPress (juce::KeyPress::backspaceKey) };
    for (const auto& key : keys)
    {
        Access::addClip (e, 1, 0, 4);
        pointer.click (212, laneY (0));
        ASSERT_NE (Access::selected (e), 0u);

        for (const auto tool : { EditTool::Draw, EditTool::Drag, EditTool::Resize })
        {
            lanes (e).setTool (tool);
            EXPECT_FALSE (e.keyPressed (key));
            EXPECT_EQ (Access::clips (e).size(), 1u);
        }

        lanes (e).setTool (EditTool::Select);
        EXPECT_FALSE (e.keyPressed (juce::KeyPress (key.getKeyCode(), juce::ModifierKeys::shiftModifier, 0)));
        EXPECT_FALSE (e.keyPressed (juce::KeyPress (key.getKeyCode(), juce::ModifierKeys::ctrlModifier, 0)));
        EXPECT_EQ (Access::clips (e).size(), 1u);

        EXPECT_TRUE (e.keyPressed (key));
        EXPECT_TRUE (Access::clips (e).empty());
        EXPECT_EQ (Access::selected (e), 0u);
        EXPECT_FALSE (e.keyPressed (key)) << "nothing selected: the key is not consumed";
    }
}

TEST (ArrangementKeys, DeleteButtonWorksWithAnyTool)
{
    EditorFixture f;
    auto& e = *f.editor;
    const auto clip = Access::addClip (e, 1, 0, 4);
    Access::addClip (e, 2, 0, 4);
    Access::select (e, clip);
    lanes (e).setTool (EditTool::Draw);

    click (Access::deleteButton (e));
    EXPECT_EQ (clipStates (e), (std::vector<ClipState> { { 2, 0, 4 } }));
    EXPECT_EQ (Access::selected (e), 0u);

    click (Access::deleteButton (e)); // nothing selected: nothing happens
    EXPECT_EQ (Access::clips (e).size(), 1u);
}
