#include "support/EditorTestAccess.h"
#include "support/MidiBytes.h"
#include "support/PianoRollTestAccess.h"

#include "model/StateDocument.h"

#include <gtest/gtest.h>

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    juce::MemoryBlock blobOf (CarvolinProcessor& p)
    {
        juce::MemoryBlock blob;
        p.getStateInformation (blob);
        return blob;
    }

    const juce::KeyPress ctrlZ ('z', juce::ModifierKeys::commandModifier, 0);
    const juce::KeyPress ctrlShiftZ ('z', juce::ModifierKeys::commandModifier | juce::ModifierKeys::shiftModifier, 0);
    const juce::KeyPress ctrlY ('y', juce::ModifierKeys::commandModifier, 0);

    /** An editor on two clips with notes and a chosen instrument, and a MIDI file to load or drop. */
    struct UndoFixture : EditorFixture
    {
        UndoFixture()
        {
            editor->getDialogs().showMessage = [] (auto, auto&, auto&) {};
            Access::addClip (*editor, 1, 0, 4, { { 60, 0, 960, 100 }, { 64, 960, 480, 90 } });
            Access::addClip (*editor, 2, 8, 4, { { 48, 0, 240, 127 } });
            processor.getModel().perform ("Setup", [] (ArrangementModel::Edit& edit) { edit.setInstrument (1, 5); });

            using namespace MidiBytes;
            const auto bytes = file (0, 480, { track ({ { 0, 0x90, 70, 100 }, { 960, 0x80, 70, 0 } }) });
            midi = writeTemp (bytes, "undo.mid");
        }

        ~UndoFixture() { midi.deleteFile(); }

        juce::File midi;
    };
} // namespace

TEST (Undo, EveryKindOfChangeIsOneStepThatUndoAndRedoTakeBackAndRedo)
{
    struct Case
    {
        const char* name;
        std::function<void (UndoFixture&)> change;
    };

    const Case cases[] = {
        { "draw a clip", [] (UndoFixture& f) {
             lanes (*f.editor).setTool (EditTool::Draw);
             Pointer { lanes (*f.editor) }.dragFromTo (quarterX (20) + 1, laneY (2), quarterX (23) + 1, laneY (2));
         } },
        { "move a clip", [] (UndoFixture& f) { Pointer { lanes (*f.editor) }.dragFromTo (quarterX (9), laneY (1), quarterX (17), laneY (3)); } },
        { "resize a clip", [] (UndoFixture& f) {
             lanes (*f.editor).setTool (EditTool::Resize);
             Pointer { lanes (*f.editor) }.dragFromTo (quarterX (4) - 1, laneY (0), quarterX (6) + 1, laneY (0));
         } },
        { "delete a clip", [] (UndoFixture& f) {
             Pointer { lanes (*f.editor) }.click (quarterX (1), laneY (0));
             f.editor->keyPressed (juce::KeyPress (juce::KeyPress::deleteKey));
         } },
        { "add a track", [] (UndoFixture& f) { click (Access::addTrackButton (*f.editor)); } },
        { "remove a track", [] (UndoFixture& f) { click (Access::removeTrackButton (*f.editor)); } },
        { "choose an instrument", [] (UndoFixture& f) { Access::tracks (*f.editor)[2]->instrumentBox.setSelectedId (22, juce::sendNotificationSync); } },
        { "load a MIDI file", [] (UndoFixture& f) { f.editor->getFiles().loadMidiFromFile (f.midi); } },
        { "drop a MIDI file", [] (UndoFixture& f) {
             const juce::StringArray files { f.midi.getFullPathName() };
             lanes (*f.editor).fileDragEnter (files, quarterX (30), laneY (3));
             lanes (*f.editor).fileDragMove (files, quarterX (30), laneY (3));
             lanes (*f.editor).filesDropped (files, quarterX (30), laneY (3));
         } },
        { "draw a note in the piano roll", [] (UndoFixture& f) {
             Pointer { lanes (*f.editor) }.doubleClick (quarterX (1), laneY (0));
             Pointer { *f.editor->getPianoRoll() }.click (61, 50 + 10 * 12 + 6);
         } },
    };

    for (const auto& c : cases)
    {
        UndoFixture f;
        auto& model = f.processor.getModel();
        const auto before = model.getSnapshot();
        const auto blobBefore = blobOf (f.processor);
        const auto steps = model.getHistory().getNumUndoSteps();

        c.change (f);
        const auto after = model.getSnapshot();
        const auto blobAfter = blobOf (f.processor);
        ASSERT_FALSE (after->sameArrangementAs (*before)) << c.name;
        EXPECT_NE (blobAfter, blobBefore) << c.name;
        EXPECT_EQ (model.getHistory().getNumUndoSteps(), steps + 1) << c.name << ": one step";
        EXPECT_TRUE (Access::undoButton (*f.editor).isEnabled()) << c.name;

        ASSERT_TRUE (f.editor->keyPressed (ctrlZ)) << c.name;
        EXPECT_TRUE (model.getSnapshot()->sameArrangementAs (*before)) << c.name;
        EXPECT_EQ (Access::modelClips (*f.editor), StateDocument::readClips (StateDocument::write (*before, {}).get())) << c.name;
        EXPECT_EQ (blobOf (f.processor), blobBefore) << c.name;
        EXPECT_EQ (Access::tracks (*f.editor).size(), (size_t) before->numTracks) << c.name;
        EXPECT_TRUE (Access::redoButton (*f.editor).isEnabled()) << c.name;

        click (Access::redoButton (*f.editor));
        EXPECT_TRUE (model.getSnapshot()->sameArrangementAs (*after)) << c.name;
        EXPECT_EQ (blobOf (f.processor), blobAfter) << c.name;

        // The other redo keys and the undo button do the same.
        click (Access::undoButton (*f.editor));
        ASSERT_TRUE (f.editor->keyPressed (ctrlY)) << c.name;
        EXPECT_EQ (blobOf (f.processor), blobAfter) << c.name;
        f.editor->keyPressed (ctrlZ);
        ASSERT_TRUE (f.editor->keyPressed (ctrlShiftZ)) << c.name;
        EXPECT_EQ (blobOf (f.processor), blobAfter) << c.name;
        EXPECT_FALSE (Access::redoButton (*f.editor).isEnabled()) << c.name;
    }
}

TEST (Undo, TheEditorShowsEveryStepItTakesBack)
{
    UndoFixture f;
    auto& e = *f.editor;
    lanes (e).setTool (EditTool::Draw);
    Pointer { lanes (e) }.dragFromTo (quarterX (20) + 1, laneY (2), quarterX (23) + 1, laneY (2));
    ASSERT_EQ (Access::clips (e).size(), 3u);

    lanes (e).getCommands().undo();
    EXPECT_EQ (Access::clips (e).size(), 2u);
    EXPECT_EQ (Access::clipContainer (e).getNumChildComponents(), 2);

    // Undoing a deletion brings the clip back in its place in the order, and
    // its component paints under the clips after it, as before.
    lanes (e).setTool (EditTool::Select);
    Pointer { lanes (e) }.click (quarterX (1), laneY (0));
    lanes (e).getCommands().deleteSelection();
    ASSERT_EQ (Access::clips (e).size(), 1u);
    lanes (e).getCommands().undo();
    ASSERT_EQ (Access::clips (e).size(), 2u);
    EXPECT_EQ (Access::modelClips (e)[0].startQ, 0);
    EXPECT_EQ (Access::clipContainer (e).getIndexOfChildComponent (Access::clips (e)[0]), 0);
    EXPECT_EQ (Access::selected (e), 0u) << "the selection went with the clip";
}

TEST (Undo, TheHistoryOutlivesTheEditorUntilTheHostSetsAState)
{
    CarvolinProcessor processor;
    {
        std::unique_ptr<CarvolinEditor> editor (static_cast<CarvolinEditor*> (processor.createEditor()));
        lanes (*editor).setTool (EditTool::Draw);
        Pointer { lanes (*editor) }.dragFromTo (quarterX (4) + 1, laneY (1), quarterX (8) + 1, laneY (1));
        click (Access::addTrackButton (*editor));
        Access::tracks (*editor)[4]->instrumentBox.setSelectedId (12, juce::sendNotificationSync);
    }

    // A new editor shows the arrangement as it stands, and can undo into it.
    std::unique_ptr<CarvolinEditor> editor (static_cast<CarvolinEditor*> (processor.createEditor()));
    ASSERT_EQ (Access::tracks (*editor).size(), 5u);
    EXPECT_EQ (Access::tracks (*editor)[4]->instrumentBox.getSelectedId(), 12);
    EXPECT_EQ (Access::clips (*editor).size(), 1u);
    EXPECT_TRUE (Access::undoButton (*editor).isEnabled());
    EXPECT_FALSE (Access::redoButton (*editor).isEnabled());

    lanes (*editor).getCommands().undo();
    lanes (*editor).getCommands().undo();
    EXPECT_EQ (Access::tracks (*editor).size(), 4u);
    lanes (*editor).getCommands().undo();
    EXPECT_TRUE (Access::clips (*editor).empty());
    EXPECT_FALSE (Access::undoButton (*editor).isEnabled());

    // A project or preset the host loads starts a new history.
    lanes (*editor).getCommands().redo();
    juce::MemoryBlock blob;
    processor.getStateInformation (blob);
    processor.setStateInformation (blob.getData(), (int) blob.getSize());
    EXPECT_FALSE (processor.getModel().canUndo());
    EXPECT_FALSE (processor.getModel().canRedo());
    EXPECT_FALSE (Access::undoButton (*editor).isEnabled());
    EXPECT_EQ (Access::clips (*editor).size(), 1u) << "the open editor shows the state set";
}

TEST (Undo, ThePianoRollStepsThroughTheOneHistoryOfTheArrangement)
{
    UndoFixture f;
    auto& e = *f.editor;
    auto& model = f.processor.getModel();

    // An arrangement edit, then the roll's note edits: one history, in the order they were made.
    click (Access::addTrackButton (e));
    const auto steps = model.getHistory().getNumUndoSteps();
    Pointer { lanes (e) }.doubleClick (quarterX (1), laneY (0));
    auto& roll = *e.getPianoRoll();
    Pointer rollPointer { roll };
    rollPointer.click (61, 50 + 10 * 12 + 6);  // draw
    rollPointer.click (400, 50 + 20 * 12 + 6); // draw
    roll.setTool (NoteTool::Erase);
    rollPointer.click (330, 50 + (108 - 64) * 12 + 6); // erase an old note
    ASSERT_EQ (roll.getNotes().size(), 3u);
    EXPECT_EQ (model.getHistory().getNumUndoSteps(), steps + 3) << "each note edit is a step of the arrangement";
    EXPECT_EQ (Access::modelClips (e)[0].notes, roll.getNotes());

    // Keys reach the roll, through the editor too; the roll's buttons do the same.
    EXPECT_TRUE (e.keyPressed (ctrlZ));
    EXPECT_EQ (roll.getNotes().size(), 4u);
    EXPECT_TRUE (roll.keyPressed (ctrlZ));
    click (PianoRollTestAccess::undoButton (roll));
    EXPECT_EQ (roll.getNotes(), (std::vector<ClipNote> { { 60, 0, 960, 100 }, { 64, 960, 480, 90 } }));
    EXPECT_EQ (Access::modelClips (e)[0].notes, roll.getNotes()) << "the model, the state and playback follow";
    EXPECT_EQ (Access::tracks (e).size(), 5u);

    // Further back, the arrangement's own edits, with the roll still open.
    EXPECT_TRUE (roll.keyPressed (ctrlZ));
    EXPECT_EQ (Access::tracks (e).size(), 4u);
    EXPECT_TRUE (roll.isVisible());

    EXPECT_TRUE (roll.keyPressed (ctrlY));
    click (PianoRollTestAccess::redoButton (roll));
    EXPECT_EQ (roll.getNotes().size(), 3u);
    EXPECT_EQ (Access::tracks (e).size(), 5u);

    // Closing adds nothing.
    roll.close();
    EXPECT_EQ (model.getHistory().getNumUndoSteps(), steps + 1);
    EXPECT_EQ (Access::modelClips (e)[0].notes.size(), 3u);
}

TEST (Undo, TheButtonsKeepEveryControlsPlace)
{
    // In the header box, below the track buttons: nothing else is there at any size.
    for (const auto& [w, h] : { std::pair { 1100, 600 }, { 800, 400 }, { 2000, 1200 }, { 560, 600 } })
    {
        EditorFixture f;
        f.editor->setSize (w, h);
        EXPECT_EQ (Access::undoButton (*f.editor).getBounds(), juce::Rectangle<int> (10, 55, 90, 30));
        EXPECT_EQ (Access::redoButton (*f.editor).getBounds(), juce::Rectangle<int> (110, 55, 90, 30));
        for (auto* child : f.editor->getChildren())
        {
            if (child != &Access::undoButton (*f.editor) && child != &Access::redoButton (*f.editor) && child->isVisible()
                && dynamic_cast<juce::Button*> (child) != nullptr)
            {
                EXPECT_FALSE (child->getBounds().intersects (juce::Rectangle<int> (10, 55, 190, 30))) << child->getName() << " at " << w;
            }
        }
        EXPECT_FALSE (Access::undoButton (*f.editor).isEnabled()) << "nothing to undo yet";
    }
}
