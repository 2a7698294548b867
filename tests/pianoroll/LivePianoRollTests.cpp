#include "support/EditorTestAccess.h"
#include "support/PianoRollTestAccess.h"
#include "support/ScriptedPlayHead.h"

#include "model/StateDocument.h"

#include <gtest/gtest.h>

// The open piano roll is a view of its clip in the arrangement: the host's
// state, playback and undo have every note edit as soon as it is made.

using Access = CarvolinEditorTestAccess;
using PR = PianoRollTestAccess;
using namespace TestHelpers;

namespace
{
    /** Tick t and pitch p on a new editor's roll over a 4-quarter clip (grid (60, 50, 1040, 550)). */
    int x (int tick) { return 60 + (tick * 1040 + 3839) / 3840; }
    int y (int pitch) { return 50 + (108 - pitch) * 12 + 6; }

    /** The clips of the state the host would save now. */
    std::vector<ClipData> hostSees (CarvolinProcessor& processor)
    {
        juce::MemoryBlock blob;
        processor.getStateInformation (blob);
        return StateDocument::readClips (juce::AudioProcessor::getXmlFromBinary (blob.getData(), (int) blob.getSize()).get());
    }

    /** An editor with one 4-quarter clip on track 1 holding two notes (one
        outside the keyboard), its piano roll open (pitches 108 to 63 in view).
    */
    struct OpenRoll : EditorFixture
    {
        OpenRoll()
        {
            const auto clip = Access::addClip (*editor, 1, 0, 4, old);
            editor->openPianoRoll (clip);
            roll().setTool (NoteTool::Select);
        }

        PianoRollComponent& roll() { return *editor->getPianoRoll(); }
        Pointer pointer() { return { roll() }; }

        const std::vector<ClipNote> old { { 90, 0, 960, 100 }, { 12, 960, 480, 64 } };
    };
} // namespace

TEST (LivePianoRoll, EveryGestureReachesTheHostAtOnceAndXLeavesTheWriteBack)
{
    // Each row: the gestures, and the notes the write-back of "X" gives for
    // them: notes edited in place, drawn ones after the old ones, pitch 12
    // kept where it was, nothing sorted or cut.
    struct Case
    {
        const char* name;
        std::function<void (OpenRoll&)> gestures;
        std::vector<ClipNote> expected;
    };

    const Case cases[] = {
        { "draw", [] (OpenRoll& f) {
             f.roll().setTool (NoteTool::Draw);
             f.pointer().dragFromTo (x (1920), y (72), x (2880), y (72));
         },
          { { 90, 0, 960, 100 }, { 12, 960, 480, 64 }, { 72, 1920, 960, 100 } } },
        { "move", [] (OpenRoll& f) { f.pointer().dragFromTo (x (100), y (90), x (1000), y (97)); }, { { 97, 960, 960, 100 }, { 12, 960, 480, 64 } } },
        { "resize", [] (OpenRoll& f) {
             f.roll().setTool (NoteTool::Resize);
             f.pointer().dragFromTo (x (950), y (90), x (1440), y (90));
         },
          { { 90, 0, 1440, 100 }, { 12, 960, 480, 64 } } },
        { "erase", [] (OpenRoll& f) {
             f.roll().setTool (NoteTool::Erase);
             f.pointer().click (x (100), y (90));
         },
          { { 12, 960, 480, 64 } } },
        { "draw then erase what was drawn", [] (OpenRoll& f) {
             f.roll().setTool (NoteTool::Draw);
             f.pointer().click (x (1920), y (72));
             f.roll().setTool (NoteTool::Erase);
             f.pointer().click (x (1930), y (72));
         },
          { { 90, 0, 960, 100 }, { 12, 960, 480, 64 } } },
        { "velocity drag", [] (OpenRoll& f) {
             f.roll().setVelocityLaneShown (true);
             const auto lane = f.roll().getVelocityLaneArea();
             f.pointer().dragFromTo (x (0) + 2, lane.getCentreY(), x (0) + 2, lane.getY() + 6);
         },
          { { 90, 0, 960, 127 }, { 12, 960, 480, 64 } } },
        { "copy and paste", [] (OpenRoll& f) {
             f.pointer().click (x (100), y (90));
             f.roll().keyPressed (ctrl ('C'));
             f.pointer().click (x (2880), y (80)); // the place to paste at
             f.roll().keyPressed (ctrl ('V'));
         },
          { { 90, 0, 960, 100 }, { 12, 960, 480, 64 }, { 90, 2880, 960, 100 } } },
    };

    for (const auto& c : cases)
    {
        OpenRoll f;
        c.gestures (f);

        // With the roll still open, the host's state already holds the result.
        const auto saved = hostSees (f.processor);
        ASSERT_EQ (saved.size(), 1u) << c.name;
        EXPECT_EQ (saved[0].notes, c.expected) << c.name;

        click (PR::closeButton (f.roll()));
        EXPECT_EQ (Access::modelClips (*f.editor)[0].notes, c.expected) << c.name;
        EXPECT_EQ (hostSees (f.processor)[0].notes, c.expected) << c.name;
    }
}

TEST (LivePianoRoll, UndoInTheRollTakesBackTheLastNoteEditAndTheHostFollows)
{
    OpenRoll f;
    f.roll().setTool (NoteTool::Draw);
    f.pointer().click (x (1920), y (72));
    f.pointer().click (x (2880), y (74));
    ASSERT_EQ (hostSees (f.processor)[0].notes.size(), 4u);

    EXPECT_TRUE (f.roll().keyPressed (ctrl ('Z')));
    EXPECT_EQ (hostSees (f.processor)[0].notes, (std::vector<ClipNote> { f.old[0], f.old[1], { 72, 1920, 240, 100 } }));
    EXPECT_EQ (f.roll().getNotes(), hostSees (f.processor)[0].notes);

    EXPECT_TRUE (f.roll().keyPressed (key ('Y', juce::ModifierKeys::commandModifier)));
    EXPECT_EQ (hostSees (f.processor)[0].notes.size(), 4u);
}

TEST (LivePianoRoll, TheSelectionKeepsItsNotesThroughUndoAndRedo)
{
    OpenRoll f;
    f.pointer().click (x (100), y (90)); // select the note of pitch 90
    f.roll().setTool (NoteTool::Draw);
    f.pointer().click (x (1920), y (72));
    f.roll().setTool (NoteTool::Erase);
    f.pointer().click (x (1930), y (72));

    // The drawn note comes and goes; the note selected before stays selected.
    for (const auto& k : { ctrl ('Z'), ctrl ('Z'), key ('Y', juce::ModifierKeys::commandModifier) })
    {
        f.roll().keyPressed (k);
        ASSERT_NE (f.roll().getSelectedNote(), nullptr);
        EXPECT_EQ (*f.roll().getSelectedNote(), f.old[0]);
    }
}

TEST (LivePianoRoll, TheRollClosesWithoutWritingWhenItsClipGoes)
{
    struct Case
    {
        const char* name;
        std::function<void (EditorFixture&)> removeTheClip;
    };

    const Case cases[] = {
        { "undo of the clip's drawing", [] (EditorFixture& f) {
             // The note edit goes first, then the clip.
             f.editor->getPianoRoll()->keyPressed (ctrl ('Z'));
             f.editor->getPianoRoll()->keyPressed (ctrl ('Z'));
         } },
        { "a state the host sets", [] (EditorFixture& f) {
             juce::MemoryBlock blob;
             juce::AudioProcessor::copyXmlToBinary (*juce::parseXML (R"(<CarvolinState><Clip track="1" startQ="0" lengthQ="4"/></CarvolinState>)"), blob);
             f.processor.setStateInformation (blob.getData(), (int) blob.getSize());
         } },
        { "Delete in the arrangement", [] (EditorFixture& f) { lanes (*f.editor).getCommands().deleteSelection(); } },
    };

    for (const auto& c : cases)
    {
        EditorFixture f;
        auto& e = *f.editor;
        lanes (e).setTool (EditTool::Draw);
        Pointer { lanes (e) }.dragFromTo (quarterX (0) + 1, laneY (0), quarterX (4) + 1, laneY (0));
        lanes (e).setTool (EditTool::Select);
        Pointer { lanes (e) }.doubleClick (quarterX (1), laneY (0));
        auto& roll = *e.getPianoRoll();
        Pointer { roll }.click (x (100), y (80)); // a note drawn
        ASSERT_EQ (Access::modelClips (e).size(), 1u);
        const auto steps = f.processor.getModel().getHistory().getNumUndoSteps();

        c.removeTheClip (f);

        EXPECT_FALSE (roll.isVisible()) << c.name;
        EXPECT_FALSE (roll.isAttached()) << c.name;
        EXPECT_EQ (Access::pianoRollClip (e), 0u) << c.name;

        // Nothing it does afterwards writes anywhere.
        const auto clipsNow = Access::modelClips (e);
        const auto stepsNow = f.processor.getModel().getHistory().getNumUndoSteps();
        Pointer { roll }.click (x (1000), y (70));
        roll.keyPressed (ctrl ('A'));
        roll.keyPressed (juce::KeyPress (juce::KeyPress::deleteKey));
        roll.close();
        EXPECT_EQ (Access::modelClips (e), clipsNow) << c.name;
        EXPECT_EQ (f.processor.getModel().getHistory().getNumUndoSteps(), stepsNow) << c.name;
        EXPECT_LE (stepsNow, steps + 1) << c.name;
    }
}

TEST (LivePianoRoll, PlaybackPlaysANoteDrawnABlockEarlier)
{
    OpenRoll f;
    f.processor.getModel().perform ("MIDI Out On", [] (ArrangementModel::Edit& edit) { edit.setMidiOut (true); });

    ScriptedPlayHead head;
    head.playing = true;
    f.processor.setPlayHead (&head);
    f.processor.prepareToPlay (48000.0, 512);
    juce::AudioBuffer<float> audio (2, 512);

    // One block plays from quarter 1.5 (24,000 samples to the quarter at 120 BPM)...
    head.ppq = 1.5;
    juce::MidiBuffer midi;
    f.processor.processBlock (audio, midi);

    // ...a note is drawn at quarter 2 with the roll open...
    f.roll().setTool (NoteTool::Draw);
    f.pointer().click (x (1920), y (72));
    ASSERT_TRUE (f.processor.getPlayback().waitForPlan (5000));

    // ...and the blocks after it play it.
    bool played = false;
    for (int block = 0; block < 60 && ! played; ++block)
    {
        head.ppq += 512.0 / 24000.0;
        midi.clear();
        f.processor.processBlock (audio, midi);
        for (const auto m : midi)
            played = played || (m.getMessage().isNoteOn() && m.getMessage().getNoteNumber() == 72);
    }
    f.processor.setPlayHead (nullptr);

    EXPECT_TRUE (played);
}
