#include "support/EditorTestAccess.h"

#include <gtest/gtest.h>

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    struct Place
    {
        int track, startQ, lengthQ;
        bool operator== (const Place& o) const { return track == o.track && startQ == o.startQ && lengthQ == o.lengthQ; }
    };

    void PrintTo (const Place& p, std::ostream* os) { *os << "(" << p.track << ", " << p.startQ << ", " << p.lengthQ << ")"; }

    std::vector<Place> places (CarvolinEditor& e)
    {
        std::vector<Place> result;
        for (const auto& c : Access::modelClips (e))
            result.push_back ({ c.track, c.startQ, c.lengthQ });
        return result;
    }

    std::vector<int> selectedStarts (CarvolinEditor& e)
    {
        std::vector<int> starts;
        for (const auto id : lanes (e).getSelection().items())
            starts.push_back (e.getModel().getSnapshot()->findClip (id)->data.startQ);
        std::sort (starts.begin(), starts.end());
        return starts;
    }

    /** Three clips on lanes 1 to 3, at quarters 0, 8 and 16, four long; one more far right. */
    struct ThreeClips : EditorFixture
    {
        ThreeClips()
        {
            Access::addClip (*editor, 1, 0, 4, { { 60, 0, 960, 100 } });
            Access::addClip (*editor, 2, 8, 4);
            Access::addClip (*editor, 3, 16, 4);
            Access::addClip (*editor, 1, 40, 4);
        }
    };
} // namespace

//==============================================================================
TEST (ArrangementSelection, ARubberBandShiftClickAndKeysSelect)
{
    ThreeClips f;
    auto& e = *f.editor;
    Pointer pointer { lanes (e) };

    // From empty space, a band over the first three clips selects them all.
    pointer.press (quarterX (30), laneY (2) + 20);
    pointer.drag (quarterX (2), laneY (0) - 10);
    EXPECT_EQ (selectedStarts (e), (std::vector<int> { 0, 8, 16 }));
    pointer.release (quarterX (2), laneY (0) - 10);

    // Each selected clip gets the yellow frame.
    const auto image = snapshot (e);
    for (const auto& [q, lane] : { std::pair { 0, 0 }, { 8, 1 }, { 16, 2 } })
        EXPECT_TRUE (near (image.getPixelAt (quarterX (q) + 10, 130 + 50 * lane + 5), juce::Colour (0xff474747).overlaidWith (juce::Colour (0x80ffff00)), 12)) << q;

    // Shift+click takes one out and puts another in; a plain click selects one.
    pointer.press (quarterX (9), laneY (1));
    pointer.release (quarterX (9), laneY (1));
    EXPECT_EQ (selectedStarts (e), (std::vector<int> { 8 }));
    pointer.shiftClick (quarterX (41), laneY (0));
    EXPECT_EQ (selectedStarts (e), (std::vector<int> { 8, 40 }));
    pointer.shiftClick (quarterX (9), laneY (1));
    EXPECT_EQ (selectedStarts (e), (std::vector<int> { 40 }));

    EXPECT_TRUE (e.keyPressed (ctrl ('a')));
    EXPECT_EQ (lanes (e).getSelection().size(), 4u);
    EXPECT_TRUE (e.keyPressed (key (juce::KeyPress::escapeKey)));
    EXPECT_TRUE (lanes (e).getSelection().isEmpty());

    e.keyPressed (ctrl ('a'));
    pointer.click (quarterX (60), laneY (3));
    EXPECT_TRUE (lanes (e).getSelection().isEmpty()) << "a click on empty space clears";
}

TEST (ArrangementSelection, MovingOneMovesAllOrNone)
{
    ThreeClips f;
    auto& e = *f.editor;
    Pointer pointer { lanes (e) };
    e.keyPressed (ctrl ('a'));
    Access::select (e, 0);
    pointer.click (quarterX (1), laneY (0));
    pointer.shiftClick (quarterX (9), laneY (1));
    ASSERT_EQ (lanes (e).getSelection().size(), 2u);
    const auto steps = e.getModel().getHistory().getNumUndoSteps();

    // Dragging the second clip right by 4 quarters and down a lane takes the first along.
    pointer.press (quarterX (8) + 2, laneY (1));
    pointer.drag (quarterX (12) + 2, laneY (2));
    EXPECT_EQ (places (e)[0], (Place { 1, 0, 4 })) << "the model takes the move on release";
    pointer.release (quarterX (12) + 2, laneY (2));
    EXPECT_EQ (places (e), (std::vector<Place> { { 2, 4, 4 }, { 3, 12, 4 }, { 3, 16, 4 }, { 1, 40, 4 } }));
    EXPECT_EQ (e.getModel().getHistory().getNumUndoSteps(), steps + 1);

    // Further right the second would run into the third: neither moves.
    pointer.press (quarterX (12) + 2, laneY (2));
    pointer.drag (quarterX (14) + 2, laneY (2));
    pointer.release (quarterX (14) + 2, laneY (2));
    EXPECT_EQ (places (e)[1], (Place { 3, 12, 4 }));
    EXPECT_EQ (places (e)[0], (Place { 2, 4, 4 }));

    // Left of the timeline's start for the first: neither moves.
    pointer.press (quarterX (12) + 2, laneY (2));
    pointer.drag (quarterX (7) + 2, laneY (2));
    pointer.release (quarterX (7) + 2, laneY (2));
    EXPECT_EQ (places (e)[0], (Place { 2, 4, 4 }));
    EXPECT_EQ (places (e)[1], (Place { 3, 12, 4 }));

    e.keyPressed (ctrl ('z'));
    e.keyPressed (ctrl ('z'));
    EXPECT_EQ (places (e), (std::vector<Place> { { 1, 0, 4 }, { 2, 8, 4 }, { 3, 16, 4 }, { 1, 40, 4 } }));
}

TEST (ArrangementSelection, ArrowKeysMoveTheSelectionAndDeleteRemovesIt)
{
    ThreeClips f;
    auto& e = *f.editor;
    Pointer pointer { lanes (e) };
    pointer.click (quarterX (9), laneY (1));
    pointer.shiftClick (quarterX (17), laneY (2));

    EXPECT_TRUE (e.keyPressed (key (juce::KeyPress::rightKey)));
    EXPECT_TRUE (e.keyPressed (key (juce::KeyPress::downKey)));
    EXPECT_EQ (places (e)[1], (Place { 3, 9, 4 }));
    EXPECT_EQ (places (e)[2], (Place { 4, 17, 4 }));

    // Down again would leave the last lane: nothing moves.
    EXPECT_TRUE (e.keyPressed (key (juce::KeyPress::downKey)));
    EXPECT_EQ (places (e)[2], (Place { 4, 17, 4 }));
    e.keyPressed (key (juce::KeyPress::leftKey));
    EXPECT_EQ (places (e)[1], (Place { 3, 8, 4 }));

    // Each key press is one step.
    e.keyPressed (ctrl ('z'));
    EXPECT_EQ (places (e)[1], (Place { 3, 9, 4 }));
    e.keyPressed (ctrl ('y'));

    // Delete removes both, in one step.
    EXPECT_TRUE (e.keyPressed (key (juce::KeyPress::deleteKey)));
    EXPECT_EQ (places (e), (std::vector<Place> { { 1, 0, 4 }, { 1, 40, 4 } }));
    e.keyPressed (ctrl ('z'));
    EXPECT_EQ (places (e).size(), 4u);

    // The "Delete" button does the same, with any tool.
    e.keyPressed (ctrl ('a'));
    lanes (e).setTool (EditTool::Draw);
    click (Access::deleteButton (e));
    EXPECT_TRUE (places (e).empty());

    // Keys 1 to 4 choose the tools in the order of their buttons.
    for (const auto& [k, tool] : { std::pair { '1', EditTool::Select }, { '2', EditTool::Draw }, { '3', EditTool::Drag }, { '4', EditTool::Resize } })
    {
        EXPECT_TRUE (e.keyPressed (juce::KeyPress (k)));
        EXPECT_EQ (lanes (e).getTool(), tool);
    }
}

TEST (ArrangementClipboard, PasteGoesWhereTheLanesWereClickedOrTheNextPlaceAllFit)
{
    ThreeClips f;
    auto& e = *f.editor;
    Pointer pointer { lanes (e) };
    pointer.click (quarterX (1), laneY (0));
    pointer.shiftClick (quarterX (9), laneY (1));
    EXPECT_TRUE (e.keyPressed (ctrl ('c')));

    // A click on empty space in lane 3 at quarter 60 (snapped): the copies keep
    // their lanes and distances from there.
    pointer.click (quarterX (60) + 3, laneY (2));
    EXPECT_TRUE (e.keyPressed (ctrl ('v')));
    EXPECT_EQ (places (e).size(), 6u);
    EXPECT_EQ (places (e)[4], (Place { 3, 60, 4 }));
    EXPECT_EQ (places (e)[5], (Place { 4, 68, 4 }));
    EXPECT_EQ (Access::modelClips (e)[4].notes.size(), 1u) << "with their notes";
    EXPECT_EQ (selectedStarts (e), (std::vector<int> { 60, 68 })) << "the pasted clips are selected";

    // Pasting there again: they go to the next place both fit.
    pointer.click (quarterX (60) + 3, laneY (2));
    e.keyPressed (ctrl ('v'));
    EXPECT_EQ (places (e)[6], (Place { 3, 64, 4 }));
    EXPECT_EQ (places (e)[7], (Place { 4, 72, 4 }));

    // Near the end of the timeline nothing fits: nothing is pasted.
    pointer.click (quarterX (125), laneY (2));
    e.keyPressed (ctrl ('v'));
    EXPECT_EQ (places (e).size(), 8u);

    // The copies keep their lanes' distance even clicked in the last lane.
    pointer.click (quarterX (100), laneY (3));
    e.keyPressed (ctrl ('v'));
    EXPECT_EQ (places (e)[8], (Place { 3, 100, 4 }));
    EXPECT_EQ (places (e)[9], (Place { 4, 108, 4 }));

    // Each paste is one step.
    e.keyPressed (ctrl ('z'));
    EXPECT_EQ (places (e).size(), 8u);
}

TEST (ArrangementClipboard, DuplicateCutAndAClipboardThatOutlivesTheEditor)
{
    CarvolinProcessor processor;
    {
        std::unique_ptr<CarvolinEditor> editor (static_cast<CarvolinEditor*> (processor.createEditor()));
        auto& e = *editor;
        Access::addClip (e, 1, 0, 4);
        Access::addClip (e, 2, 2, 4);
        Access::addClip (e, 1, 6, 1);
        e.keyPressed (ctrl ('a'));
        Pointer { lanes (e) }.click (quarterX (1), laneY (0));
        Pointer { lanes (e) }.shiftClick (quarterX (3), laneY (1));

        // Right after the selection (ending at quarter 6), where the clip at 6
        // leaves room only from quarter 7.
        EXPECT_TRUE (e.keyPressed (ctrl ('d')));
        EXPECT_EQ (places (e), (std::vector<Place> { { 1, 0, 4 }, { 2, 2, 4 }, { 1, 6, 1 }, { 1, 7, 4 }, { 2, 9, 4 } }));
        EXPECT_EQ (selectedStarts (e), (std::vector<int> { 7, 9 }));

        EXPECT_TRUE (e.keyPressed (ctrl ('x')));
        EXPECT_EQ (places (e).size(), 3u);
    }

    // The clipboard outlives the editor.
    std::unique_ptr<CarvolinEditor> editor (static_cast<CarvolinEditor*> (processor.createEditor()));
    Pointer { lanes (*editor) }.click (quarterX (40), laneY (2));
    editor->keyPressed (ctrl ('v'));
    EXPECT_EQ (places (*editor)[3], (Place { 3, 40, 4 }));
    EXPECT_EQ (places (*editor)[4], (Place { 4, 42, 4 }));

    // Paste, cut and duplicate were one step each.
    for (const auto expected : { 3u, 5u, 3u })
    {
        editor->keyPressed (ctrl ('z'));
        EXPECT_EQ (places (*editor).size(), expected);
    }
}

//==============================================================================
TEST (ArrangementWheel, ScrollsAndZoomsAroundThePointer)
{
    EditorFixture f;
    auto& e = *f.editor;
    const auto wheel = [&e] (float delta, juce::ModifierKeys mods, int x) {
        juce::MouseWheelDetails details {};
        details.deltaY = delta;
        lanes (e).mouseWheelMove (mouseAt (lanes (e), x, laneY (0), mods), details);
    };

    // Zoomed to 4 bars, the timeline is 7260 pixels: the wheel scrolls it, within its range.
    for (int i = 0; i < 28; ++i)
        Access::zoomInButton (e).triggerClick();
    pumpMessages (100);
    ASSERT_EQ (lanes (e).getView().visibleBars, 4);
    wheel (-1.0f, {}, 500);
    EXPECT_EQ (lanes (e).getView().scrollOffset, 256);
    wheel (3.0f, {}, 500);
    EXPECT_EQ (lanes (e).getView().scrollOffset, 0);
    wheel (-100.0f, {}, 500);
    EXPECT_EQ (lanes (e).getView().scrollOffset, 7260 - 880);

    // Ctrl+wheel zooms; the quarter under the pointer stays under it.
    Access::scrollBar (e).setCurrentRangeStart (2000.0);
    pumpMessages (50);
    const auto x = 210 + 300;
    const auto under = ArrangementGeometry::xToQuarter (x, lanes (e).getView());
    wheel (-1.0f, juce::ModifierKeys::ctrlModifier, x);
    EXPECT_EQ (lanes (e).getView().visibleBars, 5);
    EXPECT_EQ (ArrangementGeometry::xToQuarter (x, lanes (e).getView()), under);
    wheel (1.0f, juce::ModifierKeys::ctrlModifier, x);
    wheel (1.0f, juce::ModifierKeys::ctrlModifier, x);
    EXPECT_EQ (lanes (e).getView().visibleBars, 3);
    EXPECT_EQ (ArrangementGeometry::xToQuarter (x, lanes (e).getView()), under);

    // "+" and "-" keep the quarter at the lanes' left edge where it is.
    const auto left = ArrangementGeometry::xToQuarter (210, lanes (e).getView());
    click (Access::zoomOutButton (e));
    EXPECT_EQ (ArrangementGeometry::xToQuarter (210, lanes (e).getView()), left);
    click (Access::zoomInButton (e));
    click (Access::zoomInButton (e));
    EXPECT_EQ (ArrangementGeometry::xToQuarter (210, lanes (e).getView()), left);
}
