#include "support/EditorTestAccess.h"
#include "support/MidiBytes.h"

#include "midifile/MidiFileReader.h"
#include "model/StateDocument.h"

#include <gtest/gtest.h>

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    /** An editor whose message boxes are recorded, and a folder of MIDI files. */
    struct DropFixture : EditorFixture
    {
        DropFixture()
        {
            folder.getFile().createDirectory();
            editor->getDialogs().showMessage = [this] (juce::MessageBoxIconType, const juce::String& title, const juce::String& text) {
                messages.push_back (title + ": " + text);
            };
        }

        /** A file whose one note spans the given number of quarters at division 480. */
        juce::String midiFile (const juce::String& name, int quarters, int pitch = 60)
        {
            using namespace MidiBytes;
            const auto f = folder.getFile().getChildFile (name);
            const auto bytes = file (0, 480, { track ({ { 0, 0x90, pitch, 100 }, { (juce::uint32) (480 * quarters), 0x80, pitch, 0 } }) });
            f.replaceWithData (bytes.data(), bytes.size());
            return f.getFullPathName();
        }

        /** Drags files over the editor to (x, y) and drops them there. */
        void dropAt (const juce::StringArray& files, int x, int y)
        {
            lanes (*editor).fileDragEnter (files, x, y);
            lanes (*editor).fileDragMove (files, x, y);
            lanes (*editor).filesDropped (files, x, y);
        }

        juce::TemporaryFile folder;
        std::vector<juce::String> messages;
    };

    // Quarter q of lane l at zoom 32.
    int xOf (int q) { return 210 + (q * 880 + 127) / 128; }
    int yOf (int lane) { return 130 + 50 * lane + 20; }
} // namespace

TEST (FileDragIn, InterestedInMidiFilesOnly)
{
    EditorFixture f;
    struct Case
    {
        juce::StringArray files;
        bool interested;
    };
    const Case cases[] = {
        { { "/a/song.MID" }, true },
        { { "/a/take.Midi" }, true },
        { { "/a/x.midi" }, true },
        { { "/a/notes.mid.txt" }, false },
        { { "/a/readme.txt", "/a/song.mid" }, true },
        { { "/a/readme.txt" }, false },
        { {}, false },
    };

    for (const auto& c : cases)
        EXPECT_EQ (lanes (*f.editor).isInterestedInFileDrag (c.files), c.interested) << c.files.joinIntoString (",");
}

TEST (FileDragIn, HoverShowsAOneBarPreview)
{
    DropFixture f;
    auto& e = *f.editor;
    lanes (e).fileDragEnter ({ "/a/song.mid" }, 275, 240);

    EXPECT_EQ (Access::hoverTrackIndex (e), 2);
    EXPECT_EQ (Access::hoverQuarter (e), 9);
    EXPECT_EQ (Access::hoverRect (e), juce::Rectangle<int> (271, 236, 28, 38));

    lanes (e).fileDragMove ({ "/a/song.mid" }, 100, 240); // over the track headers
    EXPECT_EQ (Access::hoverTrackIndex (e), -1);
    EXPECT_EQ (Access::hoverQuarter (e), -1);

    lanes (e).fileDragMove ({ "/a/song.mid" }, 1089, 329); // the last pixel of the lanes
    EXPECT_EQ (Access::hoverTrackIndex (e), 3);
    EXPECT_EQ (Access::hoverQuarter (e), 127);

    lanes (e).fileDragExit ({ "/a/song.mid" });
    EXPECT_EQ (Access::hoverTrackIndex (e), -1);
}

TEST (FileDragIn, DropPlacesOneSelectedClip)
{
    DropFixture f;
    auto& e = *f.editor;
    f.dropAt ({ f.midiFile ("a.mid", 3, 62) }, xOf (20), yOf (1));

    const auto clips = Access::modelClips (e);
    ASSERT_EQ (clips.size(), 1u);
    EXPECT_EQ (clips[0], (ClipData { 2, 20, 3, { { 62, 0, 2880, 100 } } }));
    const auto dropped = e.getModel().getSnapshot()->clips[0]->id;
    EXPECT_EQ (Access::selected (e), dropped);
    EXPECT_EQ (Access::hoverTrackIndex (e), -1);
    EXPECT_TRUE (f.messages.empty());

    // The saved state holds it at once.
    EXPECT_EQ (StateDocument::readClips (f.processor.getSavedState().get()).size(), 1u);

    // It opens through the editor's double-click like any other clip.
    Pointer { lanes (e) }.doubleClick (xOf (21), yOf (1));
    ASSERT_NE (e.getPianoRoll(), nullptr);
    EXPECT_EQ (Access::pianoRollClip (e), dropped);
}

TEST (FileDragIn, WithShiftHeldTheFileGoesToTheTracksOfItsChannels)
{
    DropFixture f;
    using namespace MidiBytes;
    const auto path = f.folder.getFile().getChildFile ("two.mid");
    const auto bytes = file (0, 480, { track ({ { 1920, 0x92, 60, 100 }, { 480, 0x82, 60, 0 }, { 0, 0x95, 64, 90 }, { 480, 0x85, 64, 0 } }) });
    path.replaceWithData (bytes.data(), bytes.size());

    lanes (*f.editor).isShiftHeld = [] { return true; };
    f.dropAt ({ path.getFullPathName() }, xOf (20), yOf (0));

    // Channel 3 to track 3, channel 6 to track 6 (added), each a bar from quarter 4; not where it was dropped.
    EXPECT_EQ (Access::modelClips (*f.editor), (std::vector<ClipData> { { 3, 4, 4, { { 60, 0, 960, 100 } } }, { 6, 4, 4, { { 64, 960, 960, 90 } } } }));
    EXPECT_EQ (f.editor->getModel().getSnapshot()->numTracks, 6);
    ASSERT_EQ (f.messages.size(), 1u);
    EXPECT_TRUE (f.messages[0].startsWith ("MIDI Imported"));
}

TEST (FileDragIn, TheTimelineEndShortensTheClipButKeepsTheNotes)
{
    DropFixture f;
    auto& e = *f.editor;
    for (int i = 0; i < 1; ++i)
        click (Access::zoomOutButton (e)); // 33 bars: quarter 128 is in view

    const auto x = 210 + (128 * 880 + 131) / 132;
    f.dropAt ({ f.midiFile ("long.mid", 10) }, x, yOf (0));

    ASSERT_EQ (Access::modelClips (e).size(), 1u);
    EXPECT_EQ (Access::modelClips (e)[0].startQ, 128);
    EXPECT_EQ (Access::modelClips (e)[0].lengthQ, 4);
    EXPECT_EQ (Access::modelClips (e)[0].notes.front().lengthTicks, 9600);
}

TEST (FileDragIn, AnOverlapShowsTheWarningAndAddsNothing)
{
    DropFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 1, 12, 4);

    // The start is free, but 4 quarters from quarter 10 reach into the clip at 12.
    f.dropAt ({ f.midiFile ("a.mid", 4), f.midiFile ("b.mid", 1) }, xOf (10), yOf (0));

    EXPECT_EQ (Access::clips (e).size(), 1u);
    EXPECT_EQ (f.messages, (std::vector<juce::String> { "Overlap Detected: Cannot place MIDI clip here - overlaps with existing clip." }));
}

TEST (FileDragIn, TheFirstReadableFileWins)
{
    DropFixture f;
    auto& e = *f.editor;
    const auto notMidi = f.folder.getFile().getChildFile ("broken.mid");
    notMidi.replaceWithText ("not midi");

    f.dropAt ({ f.folder.getFile().getChildFile ("readme.txt").getFullPathName(), notMidi.getFullPathName(), "",
                f.folder.getFile().getFullPathName() + "/folder.mid", f.midiFile ("two.mid", 2, 70), f.midiFile ("three.mid", 3, 71) },
              xOf (0), yOf (3));

    ASSERT_EQ (Access::modelClips (e).size(), 1u);
    EXPECT_EQ (Access::modelClips (e)[0].notes.front().pitch, 70);
    EXPECT_EQ (Access::modelClips (e)[0].track, 4);
}

TEST (FileDragIn, ReleasingOutsideTheLanesDoesNothing)
{
    DropFixture f;
    f.dropAt ({ f.midiFile ("a.mid", 2) }, 100, 50);
    EXPECT_TRUE (Access::clips (*f.editor).empty());
    EXPECT_TRUE (f.messages.empty());
}

//==============================================================================
TEST (FileDragOut, ExportsTheClipAsAOneTrackFile)
{
    EditorFixture f;
    const auto clip = Access::addClip (*f.editor, 2, 8, 4, { { 60, 0, 960, 100 }, { 64 + 128, 480, 480, 300 } });

    const auto before = juce::Time::currentTimeMillis();
    const auto path = MidiFileCommands::exportClipToTempFile (Access::clipData (*f.editor, clip));
    const auto after = juce::Time::currentTimeMillis();
    ASSERT_TRUE (path.isNotEmpty());

    const juce::File file (path);
    EXPECT_EQ (file.getParentDirectory(), juce::File::getSpecialLocation (juce::File::tempDirectory));
    const auto name = file.getFileName();
    EXPECT_TRUE (name.startsWith ("VST_Clip_2_8_")) << name;
    EXPECT_TRUE (name.endsWith (".mid")) << name;
    const auto millis = name.fromFirstOccurrenceOf ("VST_Clip_2_8_", false, false).upToFirstOccurrenceOf (".mid", false, false).getLargeIntValue();
    EXPECT_GE (millis, before);
    EXPECT_LE (millis, after);

    // Channel 1, times from the clip's start, no tempo, the end one tick after the last note end;
    // pitch 192 and velocity 300 are limited to 127.
    EXPECT_EQ (MidiBytes::hex (MidiBytes::read (file)),
               juce::String ("4D546864000000060001000103C0") + "4D54726B00000014"
                   + "00903C64" + "83607F7F" + "8360803C00" + "007F00" + "01FF2F00");
    file.deleteFile();
}

TEST (FileDragOut, NoFileForAClipWithoutSoundingNotes)
{
    EditorFixture f;
    const auto empty = Access::addClip (*f.editor, 1, 0, 4);
    const auto endsAtZero = Access::addClip (*f.editor, 1, 4, 4, { { 60, 0, 0, 100 }, { 61, 10, -10, 100 } });

    EXPECT_TRUE (MidiFileCommands::exportClipToTempFile (Access::clipData (*f.editor, empty)).isEmpty());
    EXPECT_TRUE (MidiFileCommands::exportClipToTempFile (Access::clipData (*f.editor, endsAtZero)).isEmpty());
}

TEST (FileDragOut, TheExportedFileReadsBack)
{
    EditorFixture f;
    const auto clip = Access::addClip (*f.editor, 5, 20, 4, { { 60, 240, 960, 90 }, { 67, 0, 480, 80 } });
    const juce::File file (MidiFileCommands::exportClipToTempFile (Access::clipData (*f.editor, clip)));

    std::vector<ImportedClip> out;
    ASSERT_TRUE (readMidiFile (file, out));
    EXPECT_EQ (out.front().notes, (std::vector<ClipNote> { { 67, 0, 480, 80 }, { 60, 240, 960, 90 } }));
    file.deleteFile();
}
