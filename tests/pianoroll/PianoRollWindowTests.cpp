#include "support/EditorTestAccess.h"
#include "support/PianoRollTestAccess.h"

#include "model/StateDocument.h"

#include <gtest/gtest.h>

using Access = CarvolinEditorTestAccess;
using PR = PianoRollTestAccess;
using namespace TestHelpers;

namespace
{
    /** Draws a one-step note of pitch 98 at the start of the open piano roll's clip. */
    void drawNote (PianoRollComponent& roll)
    {
        Pointer { roll }.click (61, 50 + 10 * 12 + 6);
    }
} // namespace

TEST (PianoRollWindow, DoubleClickWithSelectOpensOverTheWholeWindow)
{
    EditorFixture f;
    auto& e = *f.editor;
    const auto clip = Access::addClip (e, 1, 0, 4);

    Pointer { lanes (e) }.doubleClick (215, laneY (0));

    auto* roll = e.getPianoRoll();
    ASSERT_NE (roll, nullptr);
    EXPECT_EQ (Access::pianoRollClip (e), clip);
    EXPECT_TRUE (roll->isVisible());
    EXPECT_EQ (roll->getParentComponent(), &e);
    EXPECT_EQ (roll->getBounds(), e.getLocalBounds());
    // In front of everything but the window's resize corner, which stays on top.
    for (auto* child : e.getChildren())
    {
        if (child != roll && ! child->isAlwaysOnTop())
        {
            EXPECT_LT (e.getIndexOfChildComponent (child), e.getIndexOfChildComponent (roll));
        }
    }
}

TEST (PianoRollWindow, CoversTheWholeEditorAtEverySize)
{
    EditorFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 1, 0, 4);
    Pointer { lanes (e) }.doubleClick (215, laneY (0));
    auto* roll = e.getPianoRoll();
    ASSERT_NE (roll, nullptr);

    for (const auto& [w, h] : { std::pair { 2000, 1200 }, { 800, 400 }, { 1333, 777 } })
    {
        e.setSize (w, h);
        EXPECT_EQ (roll->getBounds(), e.getLocalBounds()) << w << " x " << h;
    }

    // Lanes right of where the roll was first laid out stay covered.
    e.setSize (1100, 600);
    e.setSize (2000, 1200);
    EXPECT_TRUE (roll->getBounds().contains (1500, laneY (0)));
}

TEST (PianoRollWindow, DoubleClickWithOtherToolsOrOnEmptySpaceOpensNothing)
{
    EditorFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 1, 0, 4);

    Pointer { lanes (e) }.doubleClick (600, laneY (2));
    EXPECT_EQ (e.getPianoRoll(), nullptr);

    lanes (e).setTool (EditTool::Draw);
    Pointer { lanes (e) }.doubleClick (215, laneY (0));
    EXPECT_EQ (e.getPianoRoll(), nullptr);
}

TEST (PianoRollWindow, EachEditReachesTheClipAtOnceAndXKeepsItInListOrder)
{
    EditorFixture f;
    auto& e = *f.editor;
    const std::vector<ClipNote> old { { 12, 0, 480, 64 }, { 70, 960, 240, 127 } };
    const auto clip = Access::addClip (e, 1, 0, 4, old);
    const auto before = snapshot (*Access::componentOf (e, clip));

    e.openPianoRoll (clip);
    auto& roll = *e.getPianoRoll();
    drawNote (roll);
    const std::vector<ClipNote> expected { old[0], old[1], { 98, 0, 240, 100 } };
    EXPECT_EQ (Access::clipData (e, clip).notes, expected) << "the clip has the note as soon as it is drawn; pitch 12 survives";

    click (PR::closeButton (roll));
    EXPECT_FALSE (roll.isVisible());
    EXPECT_EQ (Access::clipData (e, clip).notes, expected);

    // The miniature shows the new note.
    const auto after = snapshot (*Access::componentOf (e, clip));
    bool changed = false;
    for (int y = 0; y < after.getHeight() && ! changed; ++y)
        for (int x = 0; x < after.getWidth() && ! changed; ++x)
            changed = after.getPixelAt (x, y) != before.getPixelAt (x, y);
    EXPECT_TRUE (changed);
}

TEST (PianoRollWindow, OpeningAnotherClipKeepsBothClipsNotes)
{
    EditorFixture f;
    auto& e = *f.editor;
    const auto a = Access::addClip (e, 1, 0, 4);
    const auto b = Access::addClip (e, 2, 0, 4, { { 60, 0, 960, 100 } });
    Pointer pointer { lanes (e) };

    pointer.doubleClick (215, laneY (0));
    drawNote (*e.getPianoRoll());
    click (PR::closeButton (*e.getPianoRoll()));
    ASSERT_EQ (Access::clipData (e, a).notes.size(), 1u);

    pointer.doubleClick (215, laneY (1));
    ASSERT_EQ (Access::pianoRollClip (e), b);
    drawNote (*e.getPianoRoll());

    // Reopening without X keeps B's edit too: every edit is in the arrangement.
    pointer.doubleClick (215, laneY (1)); // the piano roll covers the window, but a host could call it
    EXPECT_EQ (Access::clipData (e, a).notes.size(), 1u);
    EXPECT_EQ (Access::clipData (e, b).notes, (std::vector<ClipNote> { { 60, 0, 960, 100 }, { 98, 0, 240, 100 } }));
}

TEST (PianoRollWindow, ClosingTheEditorKeepsThePianoRollsEdits)
{
    CarvolinProcessor processor;
    std::unique_ptr<CarvolinEditor> editor (static_cast<CarvolinEditor*> (processor.createEditor()));
    const auto clip = Access::addClip (*editor, 1, 0, 4, { { 60, 0, 960, 100 } });
    editor->openPianoRoll (clip);
    drawNote (*editor->getPianoRoll());
    editor.reset();

    // As "X" would have written them.
    const auto clips = StateDocument::readClips (processor.getSavedState().get());
    ASSERT_EQ (clips.size(), 1u);
    EXPECT_EQ (clips[0].notes, (std::vector<ClipNote> { { 60, 0, 960, 100 }, { 98, 0, 240, 100 } }));
}

TEST (PianoRollWindow, DeletingTheOpenClipThenClosingIsSafe)
{
    EditorFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 1, 0, 4);
    Pointer { lanes (e) }.doubleClick (215, laneY (0));
    auto& roll = *e.getPianoRoll();
    drawNote (roll);

    // Keys reach the main window while the piano roll is shown, but do not
    // delete the clip under it (they are the piano roll's).
    for (const auto key : { juce::KeyPress::deleteKey, juce::KeyPress::backspaceKey })
        e.keyPressed (juce::KeyPress (key));
    ASSERT_EQ (Access::clips (e).size(), 1u);
    EXPECT_TRUE (roll.isVisible());

    // A clip removed anyway (a host may call the command) closes its piano roll.
    lanes (e).getCommands().deleteSelection();
    EXPECT_TRUE (Access::clips (e).empty());
    EXPECT_EQ (Access::pianoRollClip (e), 0u);
    EXPECT_FALSE (roll.isAttached());
    EXPECT_FALSE (roll.isVisible()) << "the piano roll of a deleted clip closes";

    click (PR::closeButton (roll));
    drawNote (roll);
    EXPECT_FALSE (roll.isVisible());
    EXPECT_TRUE (Access::clips (e).empty()) << "a roll whose clip is gone changes nothing";
}
