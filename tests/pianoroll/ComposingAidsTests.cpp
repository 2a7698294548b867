#include "support/EditorTestAccess.h"
#include "support/PianoRollTestAccess.h"

#include "model/Scales.h"
#include "model/StateDocument.h"
#include "ui/Palette.h"

#include <gtest/gtest.h>

// The piano roll's composing aids as a user reaches them: the scale, ghost
// notes and note names from the "Scale" button, snapping, and note commands.

using namespace TestHelpers;
using PR = PianoRollTestAccess;

namespace
{
    /** A piano roll at 1100 x 600 over a 4-quarter clip on track 1 of an
        arrangement with other clips; its menus are read instead of shown.
    */
    struct Aids
    {
        explicit Aids (std::vector<ClipNote> notes = {})
            : open ({ 1, 0, 4, std::move (notes) })
        {
            roll.setBounds (0, 0, 1100, 600);
            open.dialogs.showMenu = [this] (juce::PopupMenu m, std::function<void (int)> chosen) {
                menu = std::move (m);
                choose = std::move (chosen);
            };
        }

        /** Opens the "Scale" menu and chooses the item of a text (in submenus too). */
        void chooseFromScaleMenu (const juce::String& text)
        {
            click (PR::scaleButton (roll));
            for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
                if (it.getItem().text == text)
                    return choose (it.getItem().itemID);
            ADD_FAILURE() << "no item " << text;
        }

        /** Adds clips to the arrangement around the roll's (no undo step). */
        void addClips (std::vector<ClipData> clips)
        {
            auto snapshot = *open.model.getSnapshot();
            for (auto& c : clips)
                snapshot.clips.push_back (std::make_shared<const Clip> (Clip { open.model.nextClipId(), std::move (c) }));
            open.model.restore (std::move (snapshot));
        }

        static int x (int tick) { return 60 + (tick * 1040 + 3839) / 3840; }
        static int y (int pitch) { return 50 + (108 - pitch) * 12 + 6; }

        ModelRoll open;
        PianoRollComponent& roll = open.roll;
        juce::PopupMenu menu;
        std::function<void (int)> choose;
    };

    const juce::Colour grid = Palette::lanes;
} // namespace

TEST (ComposingAids, AScaleIsTheClipsUndoableSavedOnlyWhenSetAndShown)
{
    Aids a;
    EXPECT_EQ (PR::scaleButton (a.roll).getButtonText(), "Scale");

    a.chooseFromScaleMenu ("D");
    a.chooseFromScaleMenu ("Natural Minor");
    EXPECT_EQ (a.open.clip().scale, Scales::indexOf ("minor"));
    EXPECT_EQ (a.open.clip().scaleRoot, 2);
    EXPECT_EQ (PR::scaleButton (a.roll).getButtonText(), "D min");

    const auto document = StateDocument::write (*a.open.model.getSnapshot(), {});
    const auto* clip = document->getChildByName ("Clip");
    ASSERT_NE (clip, nullptr);
    EXPECT_EQ (clip->getStringAttribute ("scale"), "minor");
    EXPECT_EQ (clip->getIntAttribute ("scaleRoot"), 2);

    // Rows and keys off the scale are darker, the root's rows marked: E is in
    // D minor, D# is not; D is the root; of the white keys, B is off it, A on it.
    const auto image = snapshot (a.roll);
    EXPECT_EQ (image.getPixelAt (300, Aids::y (100)), grid) << "in the scale";
    EXPECT_TRUE (near (image.getPixelAt (300, Aids::y (99)), grid.overlaidWith (juce::Colour (0x40000000)))) << "off the scale";
    EXPECT_TRUE (near (image.getPixelAt (300, Aids::y (98)), grid.overlaidWith (juce::Colour (0x1a20b2aa)))) << "the root";
    EXPECT_TRUE (near (image.getPixelAt (20, Aids::y (107)), juce::Colours::white.overlaidWith (juce::Colour (0x8c000000)))) << "B, off D minor";
    EXPECT_EQ (image.getPixelAt (20, Aids::y (105)), juce::Colours::white) << "A, in it";

    // One undo step each; with no scale, nothing is written.
    a.roll.keyPressed (ctrl ('z'));
    a.roll.keyPressed (ctrl ('z'));
    EXPECT_EQ (a.open.clip().scale, -1);
    EXPECT_FALSE (StateDocument::write (*a.open.model.getSnapshot(), {})->getChildByName ("Clip")->hasAttribute ("scale"));
    EXPECT_EQ (snapshot (a.roll).getPixelAt (300, Aids::y (99)), grid);
}

TEST (ComposingAids, DrawnAndMovedNotesSnapToTheScaleUnlessAltIsHeld)
{
    Aids a ({ { 100, 960, 480, 100 } });
    a.chooseFromScaleMenu ("Major"); // C major: C# snaps down to C, F# to F (the lower of two as near)
    a.roll.setTool (NoteTool::Draw);
    Pointer { a.roll }.click (Aids::x (0), Aids::y (97));
    EXPECT_EQ (a.open.clip().notes.back().pitch, 96);

    a.roll.mouseDown (mouseAt (a.roll, Aids::x (1920), Aids::y (97), juce::ModifierKeys::altModifier | juce::ModifierKeys::leftButtonModifier));
    a.roll.mouseUp (mouseAt (a.roll, Aids::x (1920), Aids::y (97), juce::ModifierKeys::altModifier));
    EXPECT_EQ (a.open.clip().notes.back().pitch, 97) << "Alt: any key";

    // E moved up two rows, to F#, lands on F.
    a.roll.setTool (NoteTool::Select);
    Pointer { a.roll }.dragFromTo (Aids::x (1000), Aids::y (100), Aids::x (1000), Aids::y (102));
    EXPECT_EQ (a.open.clip().notes[0].pitch, 101);
}

TEST (ComposingAids, GhostNotesShowTheOtherClipsBehindAndCannotBeHit)
{
    Aids a ({ { 96, 0, 480, 100 } });
    a.addClips ({ { 2, 2, 4, { { 100, 0, 480, 100 } } },    // another track, from quarter 2
                  { 1, 4, 4, { { 102, 0, 480, 100 } } },    // the same track, right after
                  { 3, 8, 4, { { 104, 0, 480, 100 } } } }); // later than the roll shows

    const auto otherAt = juce::Point<int> (Aids::x (1920 + 240), Aids::y (100));
    EXPECT_EQ (snapshot (a.roll).getPixelAt (otherAt.x, otherAt.y), grid) << "off at first";

    a.chooseFromScaleMenu ("Ghost Notes");
    const auto image = snapshot (a.roll);
    EXPECT_TRUE (near (image.getPixelAt (otherAt.x, otherAt.y), grid.overlaidWith (PianoRollPainter::ghostOfOtherTrack)));
    EXPECT_EQ (image.getPixelAt (Aids::x (240), Aids::y (104)), grid) << "a clip beyond what the grid shows";

    // Zoomed out, the next clip on the same track shows in the other colour.
    PR::horizontalZoomSlider (a.roll).setValue (0.5, juce::sendNotificationSync);
    EXPECT_TRUE (near (snapshot (a.roll).getPixelAt (60 + (3840 + 240) * 520 / 3840, Aids::y (102)), grid.overlaidWith (PianoRollPainter::ghostOfSameTrack)));

    // A ghost is no note: a click there with Select selects nothing, and Erase erases nothing.
    a.roll.setTool (NoteTool::Select);
    Pointer { a.roll }.click (otherAt.x, otherAt.y);
    EXPECT_TRUE (a.roll.getSelection().isEmpty());
    EXPECT_EQ (a.open.model.getSnapshot()->clips.size(), 4u);
}

TEST (ComposingAids, NoteNamesNumberMiddleCAsC4AndNameThePointedKey)
{
    Aids a;
    const auto off = snapshot (a.roll);
    a.roll.mouseMove (mouseAt (a.roll, Aids::x (100), Aids::y (98)));
    const auto header = snapshot (a.roll).getPixelAt (10, 42);
    EXPECT_EQ (header, Palette::darkBand) << "off: nothing named";

    a.chooseFromScaleMenu ("Note Names (C4 = middle C)");
    const auto on = snapshot (a.roll);
    const auto labelOfC7 = juce::Rectangle<int> (5, Aids::y (96) - 4, 30, 8); // of C7 (C6 before)
    bool labelChanged = false;
    for (int yy = labelOfC7.getY(); yy < labelOfC7.getBottom(); ++yy)
        for (int xx = labelOfC7.getX(); xx < labelOfC7.getRight(); ++xx)
            labelChanged = labelChanged || on.getPixelAt (xx, yy) != off.getPixelAt (xx, yy);
    EXPECT_TRUE (labelChanged) << "C6 became C7: middle C is C4, as most DAWs number it";

    a.roll.mouseMove (mouseAt (a.roll, Aids::x (100), Aids::y (98)));
    bool named = false;
    const auto withName = snapshot (a.roll);
    for (int yy = 36; yy < 48; ++yy)
        for (int xx = 3; xx < 40; ++xx)
            named = named || withName.getPixelAt (xx, yy) != Palette::darkBand;
    EXPECT_TRUE (named) << "the pointed key's name, D7, above the keyboard";
    EXPECT_EQ (PianoRollPainter::pitchName (62), "D4");
    EXPECT_EQ (PianoRollPainter::pitchName (21), "A0");
    EXPECT_EQ (PianoRollPainter::pitchName (108), "C8");
}

TEST (ComposingAids, NoteCommandsActOnTheSelectionOrEveryNoteEachOneUndoStep)
{
    const std::vector<ClipNote> phrase { { 96, 100, 100, 90 }, { 98, 500, 100, 90 }, { 100, 1000, 100, 90 } };
    Aids a (phrase);
    auto& model = a.open.model;

    // Nothing selected: Q quantizes every start to the 1/16 step.
    EXPECT_TRUE (a.roll.keyPressed (juce::KeyPress ('q')));
    EXPECT_EQ (a.open.clip().notes, (std::vector<ClipNote> { { 96, 0, 100, 90 }, { 98, 480, 100, 90 }, { 100, 960, 100, 90 } }));
    EXPECT_EQ (model.getHistory().getUndoName(), "Quantize Notes");

    // L: legato per key... across keys with Shift.
    a.roll.keyPressed (juce::KeyPress ('L', juce::ModifierKeys::shiftModifier, 0));
    EXPECT_EQ (a.open.clip().notes[0].lengthTicks, 480);

    // R reverses the selected notes only; Alt+Up moves them a degree of the scale.
    a.roll.setTool (NoteTool::Select);
    Pointer { a.roll }.click (Aids::x (10), Aids::y (96));
    ASSERT_EQ (a.roll.getSelection().size(), 1u);
    a.chooseFromScaleMenu ("Major");
    EXPECT_TRUE (a.roll.keyPressed (juce::KeyPress (juce::KeyPress::upKey, juce::ModifierKeys::altModifier, 0)));
    EXPECT_EQ (a.open.clip().notes[0].pitch, 98);
    EXPECT_EQ (a.open.clip().notes[1].pitch, 98) << "not selected";

    // The menu: velocity of everything when nothing is selected, and the
    // notes of the pitch under the pointer.
    a.roll.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    a.roll.mouseDown (mouseAt (a.roll, Aids::x (2000), Aids::y (98), juce::ModifierKeys::rightButtonModifier));
    const auto item = [&a] (const juce::String& text) {
        for (juce::PopupMenu::MenuItemIterator it (a.menu, true); it.next();)
            if (it.getItem().text == text)
                return it.getItem().itemID;
        return 0;
    };
    a.choose (item ("Set to 32"));
    for (const auto& n : a.open.clip().notes)
        EXPECT_EQ (n.velocity, 32);
    a.roll.mouseDown (mouseAt (a.roll, Aids::x (2000), Aids::y (98), juce::ModifierKeys::rightButtonModifier));
    a.choose (item ("Select All of This Pitch"));
    EXPECT_EQ (a.roll.getSelection().size(), 2u);

    // Each command was one step: undo them all, back to the phrase.
    while (model.canUndo())
        model.undo();
    EXPECT_EQ (a.open.clip().notes, phrase);
}
