#include "support/EditorTestAccess.h"
#include "support/MidiBytes.h"

#include "midifile/MidiFileReader.h"
#include "midifile/MidiFileWriter.h"
#include "model/StateDocument.h"

#include <gtest/gtest.h>

#include <optional>

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    struct Message
    {
        juce::MessageBoxIconType icon;
        juce::String title, text;
    };

    /** An editor whose dialogs are recorded instead of shown. */
    struct CommandFixture : EditorFixture
    {
        CommandFixture()
        {
            folder.getFile().createDirectory();
            editor->getDialogs().showMessage = [this] (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& text) {
                messages.push_back ({ icon, title, text });
            };
            editor->getDialogs().launchChooser = [this] (std::shared_ptr<juce::FileChooser> chooser, int flags, std::function<void (const juce::FileChooser&)> completion) {
                launched.push_back ({ std::move (chooser), flags, std::move (completion) });
            };
            editor->getDialogs().confirm = [this] (const juce::String& title, const juce::String& text, const juce::String& goAhead, std::function<void (bool)> answer) {
                questions.push_back ({ title, text, goAhead, std::move (answer) });
            };
        }

        struct Question
        {
            juce::String title, text, goAhead;
            std::function<void (bool)> answer;
        };

        struct Launch
        {
            std::shared_ptr<juce::FileChooser> chooser;
            int flags;
            std::function<void (const juce::FileChooser&)> completion;
        };

        juce::TemporaryFile folder;
        std::vector<Message> messages;
        std::vector<Launch> launched;
        std::vector<Question> questions;
    };

    juce::File writeFile (const juce::File& folder, const juce::String& name, const MidiBytes::Bytes& bytes)
    {
        const auto f = folder.getChildFile (name);
        f.replaceWithData (bytes.data(), bytes.size());
        return f;
    }
} // namespace

//==============================================================================
TEST (SaveMidiCommand, TheDialogSavesAndAsksBeforeReplacing)
{
    CommandFixture f;
    Access::addClip (*f.editor, 2, 0, 4, { { 60, 0, 960, 100 } });
    click (Access::saveMidiButton (*f.editor));

    ASSERT_EQ (f.launched.size(), 1u);
    const auto flags = f.launched[0].flags;
    EXPECT_NE (flags & juce::FileBrowserComponent::saveMode, 0);
    EXPECT_NE (flags & juce::FileBrowserComponent::canSelectFiles, 0);
    EXPECT_NE (flags & juce::FileBrowserComponent::warnAboutOverwriting, 0);
    EXPECT_TRUE (f.messages.empty()) << "nothing happens before the dialog completes";

    click (Access::loadMidiButton (*f.editor));
    ASSERT_EQ (f.launched.size(), 2u);
    EXPECT_NE (f.launched[1].flags & juce::FileBrowserComponent::openMode, 0);
}

TEST (SaveMidiCommand, SaysWhatItDidAndWritesAMidFile)
{
    // In a message, {path} stands for the full path of the file written.
    const ClipData withNotes { 2, 0, 4, { { 60, 0, 960, 100 } } };
    const ClipData withoutNotes { 1, 0, 4, {} };
    const Message saved { juce::MessageBoxIconType::InfoIcon, "MIDI Saved", "Successfully saved to:\n{path}" };

    struct Case
    {
        const char* name;
        std::optional<ClipData> clip;
        const char* chosen;   ///< what the dialog gave; null: "Save MIDI" clicked
        const char* existing; ///< a file there before, or null
        const char* written;  ///< the file written, or null for none
        Message message;
    };

    const Case cases[] = {
        { "no clips: no dialog", std::nullopt, nullptr, nullptr, nullptr, { juce::MessageBoxIconType::WarningIcon, "No Clips", "There are no clips to export. Create some clips with notes first!" } },
        { "a name without extension", withNotes, "song", nullptr, "song.mid", saved },
        { "another case", withNotes, "song.MID", nullptr, "song.mid", saved },
        { "another extension", withNotes, "song.midi", nullptr, "song.mid", saved },
        { "the extension", withNotes, "take.mid", nullptr, "take.mid", saved },
        { "a file the dialog asked about is replaced", withNotes, "song.mid", "song.mid", "song.mid", saved },
        { "clips without notes", withoutNotes, "song", nullptr, nullptr, { juce::MessageBoxIconType::WarningIcon, "Save Failed", "Failed to save MIDI file." } },
    };

    for (const auto& c : cases)
    {
        CommandFixture f;
        const auto folder = f.folder.getFile();
        if (c.clip.has_value())
            Access::addClip (*f.editor, c.clip->track, c.clip->startQ, c.clip->lengthQ, c.clip->notes);
        if (c.existing != nullptr)
            folder.getChildFile (c.existing).replaceWithText ("old");

        if (c.chosen == nullptr)
            click (Access::saveMidiButton (*f.editor));
        else
            f.editor->getFiles().saveMidiToFile (folder.getChildFile (c.chosen));

        EXPECT_TRUE (f.launched.empty() && f.questions.empty()) << c.name;
        const auto written = c.written != nullptr ? folder.getChildFile (c.written) : juce::File();
        EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), c.written != nullptr ? 1 : 0) << c.name;
        if (c.written != nullptr)
        {
            EXPECT_TRUE (written.loadFileAsString().startsWith ("MThd")) << c.name;
        }

        ASSERT_EQ (f.messages.size(), 1u) << c.name;
        EXPECT_EQ (f.messages[0].icon, c.message.icon) << c.name;
        EXPECT_EQ (f.messages[0].title, c.message.title) << c.name;
        EXPECT_EQ (f.messages[0].text, c.message.text.replace ("{path}", written.getFullPathName())) << c.name;
    }
}

TEST (SaveMidiCommand, ANameThatBecomesAnExistingFileAsksFirst)
{
    // The dialog confirmed "song"; the file written is song.mid, which exists.
    for (const bool replace : { false, true })
    {
        CommandFixture f;
        Access::addClip (*f.editor, 1, 0, 4, { { 60, 0, 960, 100 } });
        const auto existing = f.folder.getFile().getChildFile ("song.mid");
        existing.replaceWithText ("old");

        f.editor->getFiles().saveMidiToFile (f.folder.getFile().getChildFile ("song"));
        ASSERT_EQ (f.questions.size(), 1u);
        EXPECT_EQ (f.questions[0].title, "Replace File?");
        EXPECT_EQ (f.questions[0].text, "A file named \"song.mid\" already exists in this folder. Replace it?");
        EXPECT_EQ (f.questions[0].goAhead, "Replace");
        EXPECT_EQ (existing.loadFileAsString(), "old") << "nothing is written before the answer";
        EXPECT_TRUE (f.messages.empty());

        f.questions[0].answer (replace);
        if (replace)
        {
            EXPECT_EQ (existing.getSize(), 42);
            ASSERT_EQ (f.messages.size(), 1u);
            EXPECT_EQ (f.messages[0].text, "Successfully saved to:\n" + existing.getFullPathName());
        }
        else
        {
            EXPECT_EQ (existing.loadFileAsString(), "old");
            EXPECT_TRUE (f.messages.empty()) << "cancelling shows nothing more";
        }
    }

    // An answer after the editor closed does nothing.
    std::function<void (bool)> late;
    juce::TemporaryFile folder;
    folder.getFile().createDirectory();
    folder.getFile().getChildFile ("song.mid").replaceWithText ("old");
    {
        CommandFixture f;
        Access::addClip (*f.editor, 1, 0, 4, { { 60, 0, 960, 100 } });
        f.editor->getFiles().saveMidiToFile (folder.getFile().getChildFile ("song"));
        ASSERT_EQ (f.questions.size(), 1u);
        late = f.questions[0].answer;
    }
    late (true);
    EXPECT_EQ (folder.getFile().getChildFile ("song.mid").loadFileAsString(), "old");
}

TEST (SaveMidiCommand, CancelledOrImpossibleChoicesEndSilently)
{
    CommandFixture f;
    Access::addClip (*f.editor, 1, 0, 4, { { 60, 0, 960, 100 } });
    f.editor->getFiles().saveMidiToFile (juce::File());
    f.editor->getFiles().saveMidiToFile (f.folder.getFile());
    f.editor->getFiles().saveMidiToFile (f.folder.getFile().getChildFile ("missing/song.mid"));
    EXPECT_TRUE (f.messages.empty());
}

//==============================================================================
TEST (LoadMidiCommand, ReplacesEveryClipWithOneUnselectedClip)
{
    CommandFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 1, 0, 4);
    const auto other = Access::addClip (e, 3, 8, 4);
    Access::select (e, other);

    using namespace MidiBytes;
    const auto midi = writeFile (f.folder.getFile(), "two channels.mid",
                                 file (1, 480, { track ({ { 0, 0x90, 60, 100 }, { 480, 0x80, 60, 0 } }), track ({ { 960, 0x93, 40, 90 }, { 960, 0x83, 40, 0 } }) }));
    e.getFiles().loadMidiFromFile (midi);

    const auto clips = Access::clips (e);
    ASSERT_EQ (clips.size(), 1u);
    EXPECT_EQ (Access::modelClips (e)[0], (ClipData { 1, 0, 4, { { 60, 0, 960, 100 }, { 40, 1920, 1920, 90 } } }));
    EXPECT_EQ (Access::selected (e), 0u);
    EXPECT_EQ (clips[0]->getParentComponent(), &Access::clipContainer (e));
    EXPECT_EQ (clips[0]->getBounds(), juce::Rectangle<int> (0, 6, 27, 38));

    ASSERT_EQ (f.messages.size(), 1u);
    EXPECT_EQ (f.messages[0].icon, juce::MessageBoxIconType::InfoIcon);
    EXPECT_EQ (f.messages[0].title, "MIDI Loaded");
    EXPECT_EQ (f.messages[0].text, "Successfully loaded: two channels.mid");

    // The saved state holds the one clip.
    EXPECT_EQ (StateDocument::readClips (f.processor.getSavedState().get()).size(), 1u);

    // It opens in the piano roll on a double-click.
    Pointer { lanes (e) }.doubleClick (212, 155);
    ASSERT_NE (e.getPianoRoll(), nullptr);
    EXPECT_EQ (Access::pianoRollClip (e), clips[0]->getClip()->id);
}

TEST (LoadMidiCommand, AFailedLoadChangesNothing)
{
    CommandFixture f;
    auto& e = *f.editor;
    const auto kept = Access::addClip (e, 2, 0, 4);
    Access::select (e, kept);
    e.writeStateToProcessor();
    const auto stateBefore = f.processor.getSavedState();

    using namespace MidiBytes;
    const auto noNotes = writeFile (f.folder.getFile(), "quiet.mid", file (0, 480, { track ({ { 0, 0xb0, 7, 100 } }) }));
    e.getFiles().loadMidiFromFile (noNotes);

    EXPECT_EQ (Access::clips (e).size(), 1u);
    EXPECT_EQ (Access::selected (e), kept);
    EXPECT_EQ (f.processor.getSavedState(), stateBefore);
    ASSERT_EQ (f.messages.size(), 1u);
    EXPECT_EQ (f.messages[0].icon, juce::MessageBoxIconType::WarningIcon);
    EXPECT_EQ (f.messages[0].title, "Load Failed");
    EXPECT_EQ (f.messages[0].text, "Failed to load MIDI file: quiet.mid");

    // A cancelled dialog or a folder: nothing, silently.
    e.getFiles().loadMidiFromFile (juce::File());
    e.getFiles().loadMidiFromFile (f.folder.getFile());
    EXPECT_EQ (f.messages.size(), 1u);
}

TEST (LoadMidiCommand, ALongFileRunsPastTheTimeline)
{
    CommandFixture f;
    using namespace MidiBytes;
    const auto midi = writeFile (f.folder.getFile(), "long.mid", file (0, 480, { track ({ { 0, 0x90, 60, 100 }, { 480 * 200, 0x80, 60, 0 } }) }));
    f.editor->getFiles().loadMidiFromFile (midi);
    ASSERT_EQ (Access::clips (*f.editor).size(), 1u);
    EXPECT_EQ (Access::modelClips (*f.editor)[0].lengthQ, 200);
}

TEST (LoadMidiCommand, AnOpenPianoRollOfAReplacedClipCloses)
{
    CommandFixture f;
    auto& e = *f.editor;
    const auto clip = Access::addClip (e, 1, 0, 4);
    e.openPianoRoll (clip);

    using namespace MidiBytes;
    e.getFiles().loadMidiFromFile (writeFile (f.folder.getFile(), "a.mid", file (0, 480, { track ({ { 0, 0x90, 60, 100 }, { 480, 0x80, 60, 0 } }) })));
    EXPECT_FALSE (e.getPianoRoll()->isVisible());
    EXPECT_EQ (Access::pianoRollClip (e), 0u);
    e.getPianoRoll()->close(); // safe: there is no clip to write into
}

TEST (MidiCommands, ACompletionAfterTheEditorClosedDoesNothing)
{
    auto f = std::make_unique<CommandFixture>();
    Access::addClip (*f->editor, 1, 0, 4, { { 60, 0, 960, 100 } });
    click (Access::saveMidiButton (*f->editor));
    click (Access::loadMidiButton (*f->editor));
    ASSERT_EQ (f->launched.size(), 2u);

    auto launched = f->launched;
    auto& messages = f->messages;
    f->editor.reset(); // the host closed the window while the dialogs were open

    for (auto& l : launched)
        l.completion (*l.chooser);
    EXPECT_TRUE (messages.empty());
}

//==============================================================================
namespace
{
    /** Every note of every track, from the timeline's start: (track, tick, pitch, length, velocity). */
    using TimelineNote = std::tuple<int, juce::int64, int, int, int>;

    std::vector<TimelineNote> timelineNotes (const ArrangementSnapshot& snapshot)
    {
        std::vector<TimelineNote> notes;
        for (const auto& clip : snapshot.clips)
            for (const auto& n : clip->data.notes)
                notes.emplace_back (clip->data.track, juce::int64 { clip->data.startQ } * 960 + n.startTick, n.pitch, n.lengthTicks, n.velocity);
        std::sort (notes.begin(), notes.end());
        return notes;
    }

    juce::File writeBytes (const juce::File& folder, const juce::String& name, const juce::MemoryBlock& bytes)
    {
        const auto f = folder.getChildFile (name);
        f.replaceWithData (bytes.getData(), bytes.getSize());
        return f;
    }
} // namespace

TEST (ImportToTracks, WhatSaveMidiWroteComesBackTrackByTrack)
{
    struct Case
    {
        const char* name;
        std::vector<ClipData> clips;
        int tracks; ///< the arrangement's tracks after the import
    };

    const Case cases[] {
        { "several tracks, notes touching their clips' ends",
          { { 1, 0, 8, { { 60, 0, 960, 100 }, { 64, 6720, 960, 90 } } },
            { 2, 8, 8, { { 48, 0, 7680, 80 } } },
            { 3, 4, 8, { { 72, 960, 480, 70 }, { 72, 1440, 480, 71 }, { 74, 7200, 480, 72 } } },
            { 1, 16, 4, { { 61, 0, 3840, 60 } } } },
          4 },
        { "the 16th track, velocities 1 and 127, the timeline's last bar",
          { { 16, 128, 4, { { 21, 0, 1, 1 }, { 108, 3839, 1, 127 } } }, { 5, 0, 4, { { 60, 3000, 840, 127 } } } },
          16 },
    };

    for (const auto& c : cases)
    {
        CommandFixture f;
        std::vector<const ClipData*> clips;
        for (const auto& clip : c.clips)
            clips.push_back (&clip);
        const auto file = writeBytes (f.folder.getFile(), "saved.mid", MidiFileWriter::arrangementFileBytes (clips));

        ArrangementSnapshot saved;
        for (const auto& clip : c.clips)
            saved.clips.push_back (std::make_shared<const Clip> (Clip { 0, clip }));

        EXPECT_TRUE (f.editor->getFiles().importToTracksFromFile (file)) << c.name;
        const auto imported = f.editor->getModel().getSnapshot();
        EXPECT_EQ (timelineNotes (*imported), timelineNotes (saved)) << c.name;
        EXPECT_EQ (imported->numTracks, c.tracks) << c.name;

        for (const auto& clip : imported->clips)
        {
            EXPECT_EQ (clip->data.startQ % 4, 0) << c.name << ": whole bars";
            EXPECT_EQ (clip->data.lengthQ % 4, 0) << c.name << ": whole bars";
        }
        ASSERT_EQ (f.messages.size(), 1u) << c.name;
        EXPECT_EQ (f.messages[0].title, "MIDI Imported") << c.name;
    }
}

TEST (ImportToTracks, ChannelsFillTheirTracksAndAnOverlapRefusesTheWholeFile)
{
    using namespace MidiBytes;
    // A format-1 file: channels 1 and 2 in one track, channel 10 in another, at 480 ticks a quarter.
    const auto bytes = file (1, 480,
                             { track ({ { 0, 0x90, 60, 100 }, { 480, 0x80, 60, 0 }, { 0, 0x91, 62, 90 }, { 960, 0x81, 62, 0 } }),
                               track ({ { 1920, 0x99, 36, 127 }, { 240, 0x89, 36, 0 } }) });

    {
        CommandFixture f;
        ASSERT_TRUE (f.editor->getFiles().importToTracksFromFile (writeFile (f.folder.getFile(), "drums.mid", bytes)));
        const auto snapshot = f.editor->getModel().getSnapshot();
        EXPECT_EQ (snapshot->numTracks, 10);
        EXPECT_EQ (timelineNotes (*snapshot), (std::vector<TimelineNote> { { 1, 0, 60, 960, 100 }, { 2, 960, 62, 1920, 90 }, { 10, 3840, 36, 480, 127 } }));

        f.editor->getModel().undo(); // one step takes the whole import back
        EXPECT_TRUE (f.editor->getModel().getSnapshot()->clips.empty());
        EXPECT_EQ (f.editor->getModel().getSnapshot()->numTracks, 4);
    }

    {
        CommandFixture f;
        Access::addClip (*f.editor, 2, 0, 4, { { 50, 0, 960, 100 } });
        const auto before = f.editor->getModel().getSnapshot();
        EXPECT_FALSE (f.editor->getFiles().importToTracksFromFile (writeFile (f.folder.getFile(), "drums.mid", bytes)));
        EXPECT_EQ (f.editor->getModel().getSnapshot(), before) << "nothing changed";
        ASSERT_EQ (f.messages.size(), 1u);
        EXPECT_EQ (f.messages[0].title, "Overlap Detected");
        EXPECT_EQ (f.messages[0].text, "Cannot import drums.mid: its notes for track 2 overlap a clip already there. Nothing was imported.");
    }
}

TEST (ExportCommands, AClipAsItIsDraggedOutATrackAsSaveMidiWritesIt)
{
    CommandFixture f;
    const auto a = Access::addClip (*f.editor, 1, 0, 4, { { 60, 0, 960, 100 }, { 62, 960, 480, 90 } });
    Access::addClip (*f.editor, 2, 4, 4, { { 40, 0, 960, 80 } });
    Access::addClip (*f.editor, 1, 8, 4, { { 67, 480, 960, 70 } });
    const auto folder = f.folder.getFile();
    auto& files = f.editor->getFiles();

    files.exportClipToFile (a, folder.getChildFile ("clip"));
    juce::MemoryBlock written, dragged;
    folder.getChildFile ("clip.mid").loadFileAsData (written);
    juce::File (MidiFileCommands::exportClipToTempFile (f.editor->getModel().getSnapshot()->findClip (a)->data)).loadFileAsData (dragged);
    EXPECT_EQ (written, dragged) << "the file of a dragged-out clip";

    files.exportTrackToFile (1, folder.getChildFile ("track.mid"));
    std::vector<ImportedClip> read;
    ASSERT_TRUE (readMidiFile (folder.getChildFile ("track.mid"), read));
    ASSERT_EQ (read.size(), 1u);
    EXPECT_EQ (read[0].notes, (std::vector<ClipNote> { { 60, 0, 960, 100 }, { 62, 960, 480, 90 }, { 67, 8 * 960 + 480, 960, 70 } }));

    // The channel of the track, and the arrangement's tempo.
    juce::MidiFile midi;
    juce::FileInputStream in (folder.getChildFile ("track.mid"));
    ASSERT_TRUE (midi.readFrom (in));
    juce::MidiMessageSequence tempos;
    midi.findAllTempoEvents (tempos);
    EXPECT_EQ (tempos.getEventPointer (0)->message.getTempoSecondsPerQuarterNote(), 0.5);
    for (const auto* event : *midi.getTrack (0))
    {
        if (event->message.isNoteOnOrOff())
        {
            EXPECT_EQ (event->message.getChannel(), 1);
        }
    }

    EXPECT_EQ (f.messages.size(), 2u);
    for (const auto& m : f.messages)
        EXPECT_EQ (m.title, "MIDI Saved");

    // A tempo the user set goes into Save MIDI's files and track files; the default writes 120 as before.
    f.editor->getModel().perform ("Tempo", [] (ArrangementModel::Edit& e) { e.setTempo (90); });
    f.editor->getFiles().saveMidiToFile (folder.getChildFile ("song.mid"));
    juce::MidiFile song;
    juce::FileInputStream songIn (folder.getChildFile ("song.mid"));
    ASSERT_TRUE (song.readFrom (songIn));
    juce::MidiMessageSequence songTempos;
    song.findAllTempoEvents (songTempos);
    EXPECT_NEAR (60.0 / songTempos.getEventPointer (0)->message.getTempoSecondsPerQuarterNote(), 90.0, 1.0e-3);
}
