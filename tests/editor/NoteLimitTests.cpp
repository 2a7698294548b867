#include "support/EditorTestAccess.h"
#include "support/MidiBytes.h"
#include "support/PianoRollTestAccess.h"

#include "model/StateDocument.h"

#include <gtest/gtest.h>

// The arrangement holds at most Arrangement::maxNotes notes: files, drops,
// pastes and states beyond it ask for no more memory or time than that.

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    /** A MIDI file of numNotes notes of one quarter each, one after the other. */
    MidiBytes::Bytes fileOfNotes (int numNotes)
    {
        MidiBytes::Bytes events;
        MidiBytes::append (events, { 0, 0x90, 60, 100 });
        for (int i = 0; i < numNotes; ++i)
            MidiBytes::append (events, { 0x83, 0x60, 60, 0, 0, 60, 100 }); // 480 ticks later off (as a note-on of velocity 0), then on again
        MidiBytes::append (events, { 0x83, 0x60, 60, 0, 0, 0xff, 0x2f, 0 });

        MidiBytes::Bytes b;
        MidiBytes::append (b, { 'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xe0, 'M', 'T', 'r', 'k' });
        MidiBytes::append32 (b, (juce::uint32) events.size());
        b.insert (b.end(), events.begin(), events.end());
        return b;
    }

    /** A clip of n notes, all of key 60. */
    ClipData clipOfNotes (int track, int startQ, int n)
    {
        ClipData clip { track, startQ, 4, {} };
        clip.notes.assign ((size_t) n, ClipNote { 60, 0, 240, 100 });
        return clip;
    }

    struct Messages
    {
        explicit Messages (CarvolinEditor& e)
        {
            e.getDialogs().showMessage = [this] (auto, const juce::String& title, const juce::String& message) { shown.push_back (title + ": " + message); };
        }

        std::vector<juce::String> shown;
    };
} // namespace

TEST (NoteLimit, LoadingOrDroppingAFileBeyondItChangesNothingAndSaysSo)
{
    const auto file = MidiBytes::writeTemp (fileOfNotes (Arrangement::maxNotes + 1), "many.mid");

    EditorFixture f;
    Messages messages (*f.editor);
    Access::addClip (*f.editor, 1, 0, 4, { { 60, 0, 960, 100 } });
    const auto before = Access::modelClips (*f.editor);

    f.editor->getFiles().loadMidiFromFile (file);
    const juce::StringArray files { file.getFullPathName() };
    lanes (*f.editor).fileDragEnter (files, quarterX (20), laneY (1));
    lanes (*f.editor).filesDropped (files, quarterX (20), laneY (1));
    file.deleteFile();

    const auto expected = "Too Many Notes: " + file.getFileName() + " has more notes than Carvolin can hold (1048576); nothing was loaded.";
    EXPECT_EQ (messages.shown, (std::vector<juce::String> { expected, expected }));
    EXPECT_EQ (Access::modelClips (*f.editor), before);
    EXPECT_EQ (f.processor.getModel().getHistory().getNumUndoSteps(), 0u);
}

TEST (NoteLimit, PastesAndDuplicatesBeyondItAreRefusedWithAMessage)
{
    EditorFixture f;
    Messages messages (*f.editor);
    auto& e = *f.editor;

    // The arrangement one clip of three notes short of the limit.
    Access::addClip (e, 1, 0, 4, { { 60, 0, 960, 100 }, { 62, 0, 960, 100 }, { 64, 0, 960, 100 } });
    auto snapshot = *f.processor.getModel().getSnapshot();
    snapshot.clips.push_back (std::make_shared<const Clip> (Clip { f.processor.getModel().nextClipId(), clipOfNotes (2, 0, Arrangement::maxNotes - 4) }));
    f.processor.getModel().restore (std::move (snapshot));
    const auto before = Access::modelClips (e);

    Pointer { lanes (e) }.click (quarterX (1), laneY (0));
    e.keyPressed (ctrl ('C'));
    e.keyPressed (ctrl ('V'));
    e.keyPressed (ctrl ('D'));
    EXPECT_EQ (messages.shown, (std::vector<juce::String> { "Too Many Notes: The arrangement would have more notes than Carvolin can hold (1048576); nothing was pasted.", "Too Many Notes: The arrangement would have more notes than Carvolin can hold (1048576); nothing was duplicated." }));
    EXPECT_EQ (Access::modelClips (e), before);

    // In the piano roll: two of the three notes are one too many; one fits.
    Pointer { lanes (e) }.doubleClick (quarterX (1), laneY (0));
    auto& roll = *e.getPianoRoll();
    messages.shown.clear();
    roll.keyPressed (ctrl ('A'));
    roll.keyPressed (ctrl ('D'));
    EXPECT_EQ (messages.shown, (std::vector<juce::String> { "Too Many Notes: The arrangement would have more notes than Carvolin can hold (1048576); nothing was duplicated." }));
    EXPECT_EQ (roll.getNotes().size(), 3u);

    roll.setTool (NoteTool::Draw);
    Pointer { roll }.click (100, 60);
    EXPECT_EQ (roll.getNotes().size(), 4u) << "the last note that fits";
    Pointer { roll }.click (200, 60);
    EXPECT_EQ (roll.getNotes().size(), 4u) << "the model takes no note beyond the limit";
    EXPECT_EQ (f.processor.getModel().getSnapshot()->countNotes(), (size_t) Arrangement::maxNotes);
}

TEST (NoteLimit, AStateBeyondItRestoresItsFirstClipsWhole)
{
    // Written by the writer, read back as the processor reads a host's blob.
    const std::vector<ClipData> clips { clipOfNotes (1, 0, 3), clipOfNotes (2, 0, Arrangement::maxNotes - 3), clipOfNotes (3, 0, 1), clipOfNotes (4, 0, 0) };
    std::vector<const ClipData*> pointers;
    for (const auto& clip : clips)
        pointers.push_back (&clip);

    juce::MemoryBlock blob;
    juce::AudioProcessor::copyXmlToBinary (*StateDocument::writeClips ({}, pointers), blob);

    CarvolinProcessor processor;
    processor.setStateInformation (blob.getData(), (int) blob.getSize());

    const auto snapshot = processor.getModel().getSnapshot();
    ASSERT_EQ (snapshot->clips.size(), 2u) << "the clip that would go beyond the limit, and every one after it, are left out";
    EXPECT_EQ (snapshot->clips[0]->data, clips[0]);
    EXPECT_EQ (snapshot->clips[1]->data, clips[1]);
}
