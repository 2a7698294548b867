#include "support/EditorTestAccess.h"
#include "support/PianoRollTestAccess.h"

#include <gtest/gtest.h>

using namespace TestHelpers;
using PR = PianoRollTestAccess;

namespace
{
    /** A piano roll for a 4-quarter clip, laid out at 1100 x 600: the grid is
        (60, 50, 1040, 550), so tick t lies at x = 60 + t * 1040 / 3840.
    */
    struct RollFixture
    {
        explicit RollFixture (std::vector<ClipNote> notes = {}, int lengthQ = 4)
            : open (std::make_unique<ModelRoll> (ClipData { 1, 0, lengthQ, std::move (notes) })),
              roll (&open->roll)
        {
            roll->setBounds (0, 0, 1100, 600);
        }

        static int xForTick (int tick) { return 60 + (tick * 1040 + 3839) / 3840; }
        static int yForPitch (int pitch) { return 50 + (108 - pitch) * 12 + 6; }

        /** The notes as the roll shows them (during a gesture, as it would leave them). */
        std::vector<ClipNote> working() const { return roll->getNotes(); }

        std::unique_ptr<ModelRoll> open;
        PianoRollComponent* roll;
        Pointer pointer { *roll };
    };
} // namespace

//==============================================================================
TEST (PianoRollGeometry, TheRollLaysOutItsGridAndKeys)
{
    // The mapping itself is PianoRollGeometry's (see its tests); here, the
    // grid the roll gives it, and which keys are black.
    RollFixture f;
    EXPECT_EQ (f.roll->getGeometry().gridArea, juce::Rectangle<int> (60, 50, 1040, 550));
    EXPECT_EQ (f.roll->getGeometry().clipLengthQ, 4);

    for (int p : { 1, 3, 6, 8, 10, 61, 70 })
        EXPECT_TRUE (PianoRollPainter::isBlackKey (p)) << p;
    for (int p : { 0, 2, 4, 5, 7, 9, 11, 60 })
        EXPECT_FALSE (PianoRollPainter::isBlackKey (p)) << p;
}

TEST (PianoRollDraw, SnapsToTheQuantizeStep)
{
    struct Case
    {
        int itemId, pointerTick, expectedStart, expectedLength;
    };
    const Case cases[] = {
        { 3, 500, 480, 240 },   // "1/16": 498 is cut to 480, already on the grid
        { 3, 610, 720, 240 },   // 600 snaps up to 720
        { 7, 200, 160, 160 },   // "1/16T": 200 is cut to 120 first, then snaps to 160
        { 1, 1500, 1920, 960 }, // "1/4": 1440 is half-way, and ties go up
    };

    for (const auto& c : cases)
    {
        RollFixture f;
        PR::quantizeBox (*f.roll).setSelectedId (c.itemId);
        f.pointer.click (RollFixture::xForTick (c.pointerTick), RollFixture::yForPitch (98));
        EXPECT_EQ (f.working(), (std::vector<ClipNote> { { 98, c.expectedStart, c.expectedLength, 100 } })) << c.itemId << " at " << c.pointerTick;
        EXPECT_EQ (f.roll->getSelectedNote(), nullptr);
    }
}

TEST (PianoRollDraw, ANoteDrawnInTheLastHalfStepStartsInsideTheClip)
{
    // The pointer's tick snaps to the clip's end, where no tool could reach
    // the note again: it starts on the last step inside the clip instead.
    for (const auto& [itemId, start] : { std::pair { 3, 3600 }, { 5, 3200 }, { 1, 2880 } })
    {
        RollFixture f;
        PR::quantizeBox (*f.roll).setSelectedId (itemId, juce::dontSendNotification);
        f.pointer.press (RollFixture::xForTick (3750), RollFixture::yForPitch (98));
        f.pointer.drag (1099, RollFixture::yForPitch (98));
        f.pointer.release (1099, RollFixture::yForPitch (98));
        ASSERT_EQ (f.working().size(), 1u);
        EXPECT_EQ (f.working()[0].startTick, start) << itemId;
        EXPECT_EQ (f.working()[0].lengthTicks, 3840 - start) << itemId;

        f.roll->setTool (NoteTool::Erase);
        f.pointer.click (RollFixture::xForTick (3830), RollFixture::yForPitch (98));
        EXPECT_TRUE (f.working().empty()) << itemId;
    }
}

TEST (PianoRollDraw, DragShrinksAndGrowsTheDrawnNote)
{
    RollFixture f;
    const auto y = RollFixture::yForPitch (100);
    f.pointer.press (61, y);
    f.pointer.drag (RollFixture::xForTick (960), y);
    f.pointer.drag (RollFixture::xForTick (1440), y);
    f.pointer.drag (RollFixture::xForTick (480), y);
    f.pointer.drag (61, y); // left of the start: keeps the last length
    EXPECT_TRUE (f.working().empty()) << "not in the list before the release";
    f.pointer.release (61, y);
    EXPECT_EQ (f.working(), (std::vector<ClipNote> { { 100, 0, 480, 100 } }));
}

TEST (PianoRollDraw, PressesOutsideTheGridOrRowsAreIgnored)
{
    RollFixture f;
    f.pointer.click (30, 300); // the keyboard
    f.pointer.click (300, 20); // the header
    f.roll->setBounds (0, 0, 1100, 1200);
    f.pointer.click (300, 50 + 12 * 88 + 5); // below the lowest row
    EXPECT_TRUE (f.working().empty());
}

//==============================================================================
TEST (PianoRollSelect, MovesTheNoteAndClampsThePitch)
{
    RollFixture f ({ { 98, 0, 480, 90 } });
    f.roll->setTool (NoteTool::Select);

    f.pointer.press (RollFixture::xForTick (100), RollFixture::yForPitch (98));
    EXPECT_EQ (f.roll->getSelectedNote(), &f.roll->getNotes()[0]);

    f.pointer.drag (RollFixture::xForTick (1000), RollFixture::yForPitch (90));
    EXPECT_EQ (f.working(), (std::vector<ClipNote> { { 90, 960, 480, 90 } }));

    f.pointer.drag (RollFixture::xForTick (3830), 10); // above the rows: the top key
    EXPECT_EQ (f.working(), (std::vector<ClipNote> { { 108, 3840, 480, 90 } }));

    f.pointer.drag (RollFixture::xForTick (0), 5000); // below the rows: the lowest key
    EXPECT_EQ (f.working(), (std::vector<ClipNote> { { 21, 0, 480, 90 } }));

    f.pointer.drag (RollFixture::xForTick (0), 45); // less than a row above: 108
    EXPECT_EQ (f.working().front().pitch, 108);
    f.pointer.release (RollFixture::xForTick (0), 45);
    EXPECT_NE (f.roll->getSelectedNote(), nullptr);

    f.pointer.click (RollFixture::xForTick (2000), RollFixture::yForPitch (80));
    EXPECT_EQ (f.roll->getSelectedNote(), nullptr) << "a press on empty grid clears the selection";
}

TEST (PianoRollSelect, NotesOfNoLengthCanBeSelectedMovedAndErased)
{
    // Painted 2 pixels wide, and hit where they are painted.
    RollFixture f ({ { 98, 960, 0, 100 }, { 90, 1920, 0, 100 } });
    f.roll->setTool (NoteTool::Select);
    f.pointer.press (RollFixture::xForTick (960), RollFixture::yForPitch (98));
    ASSERT_EQ (f.roll->getSelectedNote(), &f.roll->getNotes()[0]);
    f.pointer.drag (RollFixture::xForTick (480), RollFixture::yForPitch (96));
    f.pointer.release (RollFixture::xForTick (480), RollFixture::yForPitch (96));
    EXPECT_EQ (f.working()[0], (ClipNote { 96, 480, 0, 100 }));

    f.roll->setTool (NoteTool::Erase);
    f.pointer.click (RollFixture::xForTick (1920), RollFixture::yForPitch (90));
    EXPECT_EQ (f.working(), (std::vector<ClipNote> { { 96, 480, 0, 100 } }));
}

TEST (PianoRollSelect, OverlappingNotesResolveByListOrder)
{
    RollFixture f ({ { 98, 0, 960, 100 }, { 98, 480, 960, 101 } });
    f.roll->setTool (NoteTool::Select);
    f.pointer.click (RollFixture::xForTick (700), RollFixture::yForPitch (98));
    EXPECT_EQ (f.roll->getSelectedNote()->velocity, 100);

    f.roll->setTool (NoteTool::Erase);
    f.pointer.click (RollFixture::xForTick (700), RollFixture::yForPitch (98));
    EXPECT_EQ (f.working(), (std::vector<ClipNote> { { 98, 480, 960, 101 } }));
}

TEST (PianoRollSelect, PitchesOutsideTheKeyboardAreNeverHit)
{
    RollFixture f ({ { 109, 0, 960, 100 }, { 20, 0, 960, 100 } });
    f.roll->setTool (NoteTool::Erase);
    for (int y = 0; y < 600; y += 3)
        f.pointer.click (RollFixture::xForTick (100), y);
    EXPECT_EQ (f.working().size(), 2u);
}

//==============================================================================
TEST (PianoRollResize, TheRightFifteenPercentOfThePaintedWidth)
{
    // 960 ticks are 260 pixels: x 60 to 320, the zone from 320 - 39 = 281.
    RollFixture f ({ { 98, 0, 960, 100 } });
    f.roll->setTool (NoteTool::Resize);
    const auto y = RollFixture::yForPitch (98);

    f.pointer.press (280, y);
    f.pointer.drag (RollFixture::xForTick (1920), y);
    f.pointer.release (RollFixture::xForTick (1920), y);
    EXPECT_EQ (f.working().front().lengthTicks, 960);
    EXPECT_EQ (f.roll->getSelectedNote(), nullptr);

    f.pointer.press (281, y - 6); // the row's top counts too
    EXPECT_EQ (f.roll->getSelectedNote(), &f.roll->getNotes()[0]);
    f.pointer.drag (RollFixture::xForTick (1920), y);
    EXPECT_EQ (f.working().front().lengthTicks, 1920);
    f.pointer.drag (RollFixture::xForTick (10), y);
    EXPECT_EQ (f.working().front().lengthTicks, 240) << "at least one step";
    f.pointer.release (RollFixture::xForTick (10), y);
    EXPECT_EQ (f.roll->getSelectedNote(), &f.roll->getNotes()[0]) << "stays selected";

    f.pointer.press (321, y); // just right of the note
    f.pointer.release (321, y);
    EXPECT_EQ (f.working().front().lengthTicks, 240);
}

TEST (PianoRollResize, NeverReachesPastTheClipEnd)
{
    // 60 ticks at 3720: x from 1067.5 to 1083.75, less than one step before the end.
    RollFixture f ({ { 98, 3720, 60, 100 } });
    f.roll->setTool (NoteTool::Resize);
    const auto y = RollFixture::yForPitch (98);

    f.pointer.press (1083, y);
    ASSERT_NE (f.roll->getSelectedNote(), nullptr);
    f.pointer.drag (1099, y);
    f.pointer.release (1099, y);
    EXPECT_EQ (f.working().front().lengthTicks, 120) << "the clip end wins over one step";
}

//==============================================================================
TEST (PianoRollErase, ErasingTheSelectedNoteClearsTheSelection)
{
    RollFixture f ({ { 98, 0, 480, 100 }, { 90, 0, 480, 100 } });
    f.roll->setTool (NoteTool::Select);
    f.pointer.click (RollFixture::xForTick (100), RollFixture::yForPitch (98));
    ASSERT_NE (f.roll->getSelectedNote(), nullptr);
    const auto selected = *f.roll->getSelectedNote();

    f.roll->setTool (NoteTool::Erase);
    f.pointer.click (RollFixture::xForTick (100), RollFixture::yForPitch (90));
    ASSERT_NE (f.roll->getSelectedNote(), nullptr) << "erasing another note keeps the selection";
    EXPECT_EQ (*f.roll->getSelectedNote(), selected);

    f.pointer.click (RollFixture::xForTick (100), RollFixture::yForPitch (98));
    EXPECT_EQ (f.roll->getSelectedNote(), nullptr);
    EXPECT_TRUE (f.working().empty());
}

//==============================================================================
TEST (PianoRollWheel, ZoomLimitsAndModifierPrecedence)
{
    RollFixture f;
    auto& roll = *f.roll;
    const auto wheel = [&roll] (float deltaY, juce::ModifierKeys mods) {
        juce::MouseWheelDetails details {};
        details.deltaY = deltaY;
        roll.mouseWheelMove (mouseAt (roll, 500, 300, mods), details);
    };
    const auto& g = roll.getGeometry();

    // Ctrl and Shift together: horizontal zoom, no scrolling.
    wheel (1.0f, juce::ModifierKeys (juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier));
    EXPECT_FLOAT_EQ (g.horizontalZoom, 1.1f);
    EXPECT_EQ (g.horizontalScroll, 0.0f);
    EXPECT_NEAR (PR::horizontalZoomSlider (roll).getValue(), 1.1, 0.001);

    for (int i = 0; i < 60; ++i)
        wheel (1.0f, juce::ModifierKeys::ctrlModifier);
    EXPECT_FLOAT_EQ (g.horizontalZoom, 5.0f);
    for (int i = 0; i < 60; ++i)
        wheel (-1.0f, juce::ModifierKeys::ctrlModifier);
    EXPECT_FLOAT_EQ (g.horizontalZoom, 0.5f);

    for (int i = 0; i < 60; ++i)
        wheel (1.0f, juce::ModifierKeys::altModifier);
    EXPECT_FLOAT_EQ (g.verticalZoom, 3.0f);
    for (int i = 0; i < 60; ++i)
        wheel (-1.0f, juce::ModifierKeys::altModifier);
    EXPECT_FLOAT_EQ (g.verticalZoom, 0.5f);
    EXPECT_NEAR (PR::verticalZoomSlider (roll).getValue(), 0.5, 0.001);

    // Scrolling stops at 0 and at the content size minus the grid size.
    PR::verticalZoomSlider (roll).setValue (1.0, juce::sendNotificationSync); // a user's move calls the handler
    EXPECT_FLOAT_EQ (g.verticalZoom, 1.0f);
    for (int i = 0; i < 40; ++i)
        wheel (-1.0f, {});
    EXPECT_FLOAT_EQ (g.verticalScroll, 1056.0f - 550.0f);
    wheel (100.0f, {});
    EXPECT_FLOAT_EQ (g.verticalScroll, 0.0f);

    wheel (-1.0f, juce::ModifierKeys::shiftModifier); // zoom 1: nothing to scroll
    EXPECT_FLOAT_EQ (g.horizontalScroll, 0.0f);
    PR::horizontalZoomSlider (roll).setValue (2.0, juce::sendNotificationSync);
    wheel (-3.0f, juce::ModifierKeys::shiftModifier);
    EXPECT_FLOAT_EQ (g.horizontalScroll, 150.0f);
    wheel (-100.0f, juce::ModifierKeys::shiftModifier);
    EXPECT_FLOAT_EQ (g.horizontalScroll, 1040.0f);
}

//==============================================================================
TEST (PianoRollPaint, ShowsTitleKeysAndNotes)
{
    ModelRoll open ({ 1, 8, 6, { { 98, 0, 960, 100 }, { 12, 0, 960, 100 } } });
    auto& roll = open.roll;
    roll.setBounds (0, 0, 1100, 600);

    EXPECT_EQ (roll.getTitle(), "Piano Roll - Clip: Bar 2 to 3 (Length: 1 bars, 6 quarters)");

    const auto image = snapshot (roll);
    const auto noteColour = juce::Colour (0xff474747).overlaidWith (juce::Colour (0xb200bfff));
    // The note of pitch 98: row 10, from x = 60 over 960 / 5760 of 1040 pixels.
    EXPECT_TRUE (near (image.getPixelAt (100, 50 + 120 + 6), noteColour, 6));
    // Keys: pitch 108 (a C, white) on top, pitch 106 (black) in row 2.
    EXPECT_TRUE (near (image.getPixelAt (50, 50 + 24 + 6), juce::Colours::black));
    EXPECT_TRUE (near (image.getPixelAt (50, 50 + 12 + 6), juce::Colours::white));
}

TEST (PianoRollPaint, AClipWithoutLengthShowsOneQuarterAndEditsNothing)
{
    for (const int lengthQ : { 0, -4 })
    {
        const std::vector<ClipNote> notes { { 98, 0, 960, 100 }, { 60, 100, 50, 80 } };
        RollFixture f (notes, lengthQ);

        for (const auto tool : { NoteTool::Draw, NoteTool::Select, NoteTool::Resize, NoteTool::Erase })
        {
            f.roll->setTool (tool);
            f.pointer.dragFromTo (RollFixture::xForTick (10), RollFixture::yForPitch (98), 900, RollFixture::yForPitch (70));
        }

        // The note one quarter long spans the whole grid.
        const auto image = snapshot (*f.roll);
        const auto noteColour = juce::Colour (0xff474747).overlaidWith (juce::Colour (0xb200bfff));
        EXPECT_TRUE (near (image.getPixelAt (1000, RollFixture::yForPitch (98)), noteColour, 6)) << lengthQ;
        EXPECT_EQ (f.roll->getGeometry().xToTick (1099), 840) << "one quarter across the grid";
        f.roll->close();
        EXPECT_EQ (f.open->clip().notes, notes);
    }
}
