#include "support/EditorTestAccess.h"
#include "support/PianoRollTestAccess.h"

#include "pianoroll/NoteEditing.h"

#include <gtest/gtest.h>

using namespace TestHelpers;
using PR = PianoRollTestAccess;

namespace
{
    /** A piano roll for a 4-quarter clip at 1100 x 600: tick t at x = 60 + t * 1040 / 3840. */
    struct Roll
    {
        explicit Roll (std::vector<ClipNote> notes, EditingSession* session = nullptr)
            : open ({ 1, 0, 4, std::move (notes) }, session),
              roll (open.roll)
        {
            roll.setBounds (0, 0, 1100, 600);
            roll.setTool (NoteTool::Select);
        }

        static int x (int tick) { return 60 + (tick * 1040 + 3839) / 3840; }
        static int y (int pitch) { return 50 + (108 - pitch) * 12 + 6; }

        std::vector<int> selectedPitches() const
        {
            std::vector<int> pitches;
            for (const auto& note : roll.getNotes())
                if (roll.getSelection().contains (note.id))
                    pitches.push_back (note.pitch);
            std::sort (pitches.begin(), pitches.end());
            return pitches;
        }

        ModelRoll open;
        PianoRollComponent& roll;
        Pointer pointer { roll };
    };

    const std::vector<ClipNote> chord { { 100, 0, 480, 100 }, { 96, 0, 480, 90 }, { 93, 960, 480, 80 }, { 70, 2880, 480, 70 } };
} // namespace

TEST (PianoRollSelection, ABandShiftClickAndKeysSelectNotes)
{
    Roll r (chord);

    // A band from empty grid over the first three notes.
    r.pointer.press (Roll::x (1600), Roll::y (104));
    r.pointer.drag (Roll::x (100), Roll::y (92));
    r.pointer.release (Roll::x (100), Roll::y (92));
    EXPECT_EQ (r.selectedPitches(), (std::vector<int> { 93, 96, 100 }));

    // All selected notes show the selected colour.
    const auto image = snapshot (r.roll);
    const auto selected = juce::Colour (0xff474747).overlaidWith (juce::Colour (0xccffff00));
    for (const auto& n : { chord[0], chord[1], chord[2] })
        EXPECT_TRUE (near (image.getPixelAt (Roll::x (n.startTick) + 20, Roll::y (n.pitch)), selected, 8)) << n.pitch;

    r.pointer.shiftClick (Roll::x (100), Roll::y (96));
    EXPECT_EQ (r.selectedPitches(), (std::vector<int> { 93, 100 }));
    r.pointer.shiftClick (Roll::x (2900), Roll::y (70));
    EXPECT_EQ (r.selectedPitches(), (std::vector<int> { 70, 93, 100 }));

    // A plain click on a selected note selects it alone.
    r.pointer.click (Roll::x (100), Roll::y (100));
    EXPECT_EQ (r.selectedPitches(), (std::vector<int> { 100 }));

    EXPECT_TRUE (r.roll.keyPressed (ctrl ('a')));
    EXPECT_EQ (r.roll.getSelection().size(), 4u);
    EXPECT_TRUE (r.roll.keyPressed (key (juce::KeyPress::escapeKey)));
    EXPECT_TRUE (r.roll.getSelection().isEmpty());
    r.roll.keyPressed (ctrl ('a'));
    r.pointer.click (Roll::x (1800), Roll::y (80));
    EXPECT_TRUE (r.roll.getSelection().isEmpty()) << "a click on empty grid clears";
}

TEST (PianoRollSelection, MovingAndResizingOneChangesAllOrNone)
{
    Roll r (chord);
    r.roll.keyPressed (ctrl ('a'));
    r.pointer.shiftClick (Roll::x (2900), Roll::y (70));
    ASSERT_EQ (r.roll.getSelection().size(), 3u);

    // Dragging the note at 96 to tick 480 and pitch 98 takes the others along.
    r.pointer.press (Roll::x (100), Roll::y (96));
    r.pointer.drag (Roll::x (480), Roll::y (98));
    r.pointer.release (Roll::x (480), Roll::y (98));
    EXPECT_EQ (r.roll.getNotes(), (std::vector<ClipNote> { { 102, 480, 480, 100 }, { 98, 480, 480, 90 }, { 95, 1440, 480, 80 }, chord[3] }));

    // Up past the top key for the highest one: none moves.
    r.pointer.press (Roll::x (500), Roll::y (98));
    r.pointer.drag (Roll::x (500), Roll::y (105));
    r.pointer.release (Roll::x (500), Roll::y (105));
    EXPECT_EQ (r.roll.getNotes()[0].pitch, 102);

    // Resizing one selected note by a quarter resizes all by as much.
    r.roll.setTool (NoteTool::Resize);
    const auto right = Roll::x (960);
    r.pointer.press (right - 1, Roll::y (98));
    r.pointer.drag (Roll::x (1920), Roll::y (98));
    r.pointer.release (Roll::x (1920), Roll::y (98));
    EXPECT_EQ (r.roll.getNotes()[0].lengthTicks, 1440);
    EXPECT_EQ (r.roll.getNotes()[1].lengthTicks, 1440);
    EXPECT_EQ (r.roll.getNotes()[2].lengthTicks, 1440);
    EXPECT_EQ (r.roll.getNotes()[3].lengthTicks, 480) << "not selected";

    // Each gesture is one step of the roll.
    EXPECT_TRUE (r.roll.keyPressed (ctrl ('z')));
    EXPECT_TRUE (r.roll.keyPressed (ctrl ('z')));
    EXPECT_EQ (r.roll.getNotes(), chord);
}

TEST (PianoRollSelection, KeysMoveAndDeleteTheSelectedNotes)
{
    Roll r (chord);
    r.pointer.click (Roll::x (100), Roll::y (100));
    r.pointer.shiftClick (Roll::x (1000), Roll::y (93));

    EXPECT_TRUE (r.roll.keyPressed (key (juce::KeyPress::upKey)));
    EXPECT_EQ (r.selectedPitches(), (std::vector<int> { 94, 101 }));
    EXPECT_TRUE (r.roll.keyPressed (key (juce::KeyPress::downKey, juce::ModifierKeys::shiftModifier)));
    EXPECT_EQ (r.selectedPitches(), (std::vector<int> { 82, 89 }));
    EXPECT_TRUE (r.roll.keyPressed (key (juce::KeyPress::rightKey)));
    EXPECT_EQ (r.roll.getNotes()[0].startTick, 240) << "one quantize step";
    EXPECT_TRUE (r.roll.keyPressed (key (juce::KeyPress::leftKey)));
    EXPECT_TRUE (r.roll.keyPressed (key (juce::KeyPress::leftKey)));
    EXPECT_EQ (r.roll.getNotes()[0].startTick, 0) << "not before the clip's start: nothing moved";
    EXPECT_EQ (r.roll.getNotes()[2].startTick, 960);

    // An octave up from 101 would leave the keys: nothing moves.
    r.roll.keyPressed (key (juce::KeyPress::upKey, juce::ModifierKeys::shiftModifier));
    r.roll.keyPressed (key (juce::KeyPress::upKey, juce::ModifierKeys::shiftModifier));
    EXPECT_EQ (r.selectedPitches(), (std::vector<int> { 94, 101 }));

    EXPECT_TRUE (r.roll.keyPressed (key (juce::KeyPress::backspaceKey)));
    EXPECT_EQ (r.roll.getNotes(), (std::vector<ClipNote> { chord[1], chord[3] }));

    // Each key press was one step.
    r.roll.keyPressed (ctrl ('z'));
    EXPECT_EQ (r.roll.getNotes().size(), 4u);
    while (r.open.model.canUndo())
        r.roll.keyPressed (ctrl ('z'));
    EXPECT_EQ (r.roll.getNotes(), chord);
    r.roll.keyPressed (ctrl ('a'));
    r.roll.keyPressed (key (juce::KeyPress::deleteKey));

    // Keys 1 to 4 choose Draw, Select, Resize, Erase.
    for (const auto& [k, tool] : { std::pair { '1', NoteTool::Draw }, { '2', NoteTool::Select }, { '3', NoteTool::Resize }, { '4', NoteTool::Erase } })
    {
        EXPECT_TRUE (r.roll.keyPressed (juce::KeyPress (k)));
        EXPECT_EQ (r.roll.getCurrentTool(), tool);
    }
}

TEST (PianoRollSelection, CopyPasteAndDuplicateStayInsideTheClip)
{
    EditingSession session;
    Roll r (chord, &session);
    r.pointer.click (Roll::x (100), Roll::y (100));
    r.pointer.shiftClick (Roll::x (1000), Roll::y (93));
    EXPECT_TRUE (r.roll.keyPressed (ctrl ('c')));
    EXPECT_EQ (session.clipboard.getNotes(), (std::vector<ClipNote> { chord[0], chord[2] }));

    // Pasted at the last click (tick 1920, snapped), keeping distances and pitches.
    r.pointer.click (Roll::x (1930), Roll::y (80));
    EXPECT_TRUE (r.roll.keyPressed (ctrl ('v')));
    EXPECT_EQ (r.roll.getNotes().size(), 6u);
    EXPECT_EQ (r.roll.getNotes()[4], (ClipNote { 100, 1920, 480, 100 }));
    EXPECT_EQ (r.roll.getNotes()[5], (ClipNote { 93, 2880, 480, 80 }));
    EXPECT_EQ (r.selectedPitches(), (std::vector<int> { 93, 100 }));

    // Duplicated right after themselves: the second would start at the clip's end and is left out.
    EXPECT_TRUE (r.roll.keyPressed (ctrl ('d')));
    EXPECT_EQ (r.roll.getNotes().size(), 7u);
    EXPECT_EQ (r.roll.getNotes()[6], (ClipNote { 100, 3360, 480, 100 }));

    EXPECT_TRUE (r.roll.keyPressed (ctrl ('x')));
    EXPECT_EQ (r.roll.getNotes().size(), 6u);
    EXPECT_EQ (session.clipboard.getNotes(), (std::vector<ClipNote> { { 100, 3360, 480, 100 } }));
    EXPECT_FALSE (session.clipboard.holdsClips()) << "notes or clips, never both";

    r.roll.keyPressed (ctrl ('z'));
    r.roll.keyPressed (ctrl ('z'));
    r.roll.keyPressed (ctrl ('z'));
    EXPECT_EQ (r.roll.getNotes(), chord);
}

//==============================================================================
TEST (PianoRollVelocity, TheLaneIsHiddenUntilShownAndSetsVelocities)
{
    EditingSession session;
    Roll r (chord, &session);

    // Hidden when the roll opens: the grid takes the whole height.
    EXPECT_FALSE (r.roll.isVelocityLaneShown());
    EXPECT_EQ (r.roll.getGeometry().gridArea, juce::Rectangle<int> (60, 50, 1040, 550));

    click (PR::velocityButton (r.roll));
    ASSERT_TRUE (r.roll.isVelocityLaneShown());
    const auto lane = r.roll.getVelocityLaneArea();
    EXPECT_EQ (lane.getBottom(), 600);
    EXPECT_EQ (r.roll.getGeometry().gridArea.getBottom(), lane.getY()) << "the lane sits under the grid";

    // Dragging the bar of the note at tick 2880 sets its velocity.
    const auto barX = Roll::x (2880) + 2;
    r.pointer.press (barX, lane.getY() + 30);
    r.pointer.drag (barX, lane.getBottom() - NoteEditing::barMargin - (lane.getHeight() - 2 * NoteEditing::barMargin) / 2);
    EXPECT_EQ (r.roll.getNotes()[3].velocity, 64);
    r.pointer.drag (barX, lane.getBottom());
    r.pointer.release (barX, lane.getBottom());
    EXPECT_EQ (r.roll.getNotes()[3].velocity, 1) << "at least 1";

    // New notes take the velocity set last.
    r.roll.setTool (NoteTool::Draw);
    r.pointer.click (Roll::x (1920), Roll::y (80));
    EXPECT_EQ (r.roll.getNotes().back().velocity, 1);
    EXPECT_EQ (session.noteVelocity, 1);

    // A selected note's bar changes every selected note's velocity by as much, within 1..127.
    r.roll.setTool (NoteTool::Select);
    r.pointer.click (Roll::x (100), Roll::y (100));
    r.pointer.shiftClick (Roll::x (1000), Roll::y (93));
    const auto bar = Roll::x (960) + 2;
    r.pointer.press (bar, lane.getY() + 10);
    r.pointer.drag (bar, (int) NoteEditing::velocityBar (0, 40, lane).getY());
    r.pointer.release (bar, (int) NoteEditing::velocityBar (0, 40, lane).getY());
    const auto lowered = r.roll.getNotes()[2].velocity;
    EXPECT_NEAR (lowered, 40, 1);
    EXPECT_EQ (r.roll.getNotes()[0].velocity, lowered + 20) << "100 lowered by as much as 80 was";
    EXPECT_EQ (r.roll.getNotes()[1].velocity, 90) << "not selected";

    r.pointer.press (bar, lane.getY() + 10);
    r.pointer.drag (bar, lane.getY());
    r.pointer.release (bar, lane.getY());
    EXPECT_EQ (r.roll.getNotes()[2].velocity, 127);
    EXPECT_EQ (r.roll.getNotes()[0].velocity, 127) << "limited to 127";

    r.roll.keyPressed (ctrl ('z'));
    r.roll.keyPressed (ctrl ('z'));
    EXPECT_EQ (r.roll.getNotes()[0].velocity, 100);
    EXPECT_EQ (r.roll.getNotes()[2].velocity, 80);

    click (PR::velocityButton (r.roll));
    EXPECT_EQ (r.roll.getGeometry().gridArea, juce::Rectangle<int> (60, 50, 1040, 550));
}
