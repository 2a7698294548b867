#include "support/EditorTestAccess.h"
#include "support/PianoRollTestAccess.h"

#include <gtest/gtest.h>

// Step input in the piano roll: keys from the MIDI input written at a cursor.

using namespace TestHelpers;
using PR = PianoRollTestAccess;

namespace
{
    InputEvent key (bool down, int number, double milliseconds, int velocity = 100)
    {
        InputEvent e;
        e.kind = down ? InputEvent::Kind::keyDown : InputEvent::Kind::keyUp;
        e.channel = 1;
        e.key = (juce::uint8) number;
        e.velocity = (juce::uint8) velocity;
        e.milliseconds = milliseconds;
        return e;
    }

    std::vector<ClipNote> sorted (std::vector<ClipNote> notes)
    {
        std::sort (notes.begin(), notes.end(), [] (const auto& a, const auto& b) { return std::tie (a.startTick, a.pitch) < std::tie (b.startTick, b.pitch); });
        return notes;
    }
} // namespace

TEST (StepInput, AChordAndTwoNotesAtAnEighthStepThenBackspaceAndUndo)
{
    ModelRoll open ({ 1, 0, 4, {} });
    auto& roll = open.roll;
    roll.setBounds (0, 0, 1100, 600);
    PR::quantizeBox (roll).setSelectedId (2, juce::sendNotificationSync); // 1/8

    // Off by default; "Step" turns it on, and the cursor shows at the clip's start.
    EXPECT_FALSE (roll.isStepInputOn());
    bool heard = false;
    roll.onStepInput = [&heard] (bool on) { heard = on; };
    click (FindComponents::button (roll, "Step"));
    ASSERT_TRUE (roll.isStepInputOn() && heard);
    EXPECT_EQ (roll.getStepCursor(), 0);

    // Three keys within 50 ms of the first: one chord. Then a note, then a
    // key struck while the last is still held: each a step of its own.
    for (const auto& e : { key (true, 60, 0), key (true, 64, 10), key (true, 67, 45), key (false, 60, 200), key (false, 64, 210), key (false, 67, 220),
                           key (true, 62, 500, 80), key (true, 65, 700, 70), key (false, 62, 710), key (false, 65, 800) })
        roll.stepKey (e);

    EXPECT_EQ (sorted (open.clip().notes),
               (std::vector<ClipNote> { { 60, 0, 480, 100 }, { 64, 0, 480, 100 }, { 67, 0, 480, 100 }, { 62, 480, 480, 80 }, { 65, 960, 480, 70 } }));
    EXPECT_EQ (roll.getStepCursor(), 1440);
    EXPECT_EQ (open.model.getHistory().getNumUndoSteps(), 3u) << "each step one undo step";

    // The cursor is drawn over the grid at its tick: 60 + 1440 * 1040 / 3840.
    EXPECT_EQ (snapshot (roll).getPixelAt (60 + 390, 300), Palette::fileCommand);

    // Backspace takes the last step back, and the cursor with it.
    EXPECT_TRUE (roll.keyPressed (juce::KeyPress (juce::KeyPress::backspaceKey)));
    EXPECT_EQ (open.clip().notes.size(), 4u);
    EXPECT_EQ (roll.getStepCursor(), 960);

    // Undo takes back the Backspace, then the steps one by one.
    roll.keyPressed (ctrl ('z'));
    EXPECT_EQ (open.clip().notes.size(), 5u);
    roll.keyPressed (ctrl ('z'));
    roll.keyPressed (ctrl ('z'));
    EXPECT_EQ (open.clip().notes.size(), 3u);
    roll.keyPressed (ctrl ('z'));
    EXPECT_TRUE (open.clip().notes.empty()) << "the chord was one step";

    // Left and Right move the cursor a step, within the clip.
    roll.keyPressed (juce::KeyPress (juce::KeyPress::rightKey));
    EXPECT_EQ (roll.getStepCursor(), 1440);
    for (int i = 0; i < 10; ++i)
        roll.keyPressed (juce::KeyPress (juce::KeyPress::leftKey));
    EXPECT_EQ (roll.getStepCursor(), 0);

    // "X" ends step input.
    roll.close();
    EXPECT_FALSE (roll.isStepInputOn() || heard);
}
