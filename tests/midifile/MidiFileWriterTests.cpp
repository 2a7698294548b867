#include "midifile/MidiFileWriter.h"
#include "support/MidiBytes.h"

#include <gtest/gtest.h>

#include <limits>

using namespace MidiBytes;

namespace
{
    const juce::String header1Track = "4D 54 68 64 00 00 00 06 00 01 00 01 03 C0";
    const juce::String tempo = "00 FF 51 03 07 A1 20";

    /** Writes clips to a fresh temporary target and returns the bytes written. */
    struct Written
    {
        explicit Written (std::vector<ClipData> clipsIn, const juce::String& name = "out.mid")
            : clips (std::move (clipsIn))
        {
            std::vector<const ClipData*> pointers;
            for (auto& c : clips)
                pointers.push_back (&c);

            target = folder.getFile().getChildFile (name);
            folder.getFile().createDirectory();
            ok = writeMidiFile (target, pointers);
        }

        juce::String trackData() const
        {
            const auto bytes = read (MidiFileWriter::withMidiExtension (target));
            return hex (Bytes (bytes.begin() + 22, bytes.end()));
        }

        std::vector<ClipData> clips;
        juce::TemporaryFile folder;
        juce::File target;
        bool ok = false;
    };

    juce::String spaced (const juce::String& s) { return s.removeCharacters (" |"); }
} // namespace

TEST (MidiFileWriter, ThreeNoteExampleByteForByte)
{
    Written w ({ { 1, 0, 4, { { 60, 0, 960, 100 }, { 64, 0, 960, 90 } } },
                 { 2, 4, 4, { { 48, 0, 480, 127 } } } });
    ASSERT_TRUE (w.ok);

    const auto bytes = read (w.target);
    EXPECT_EQ (bytes.size(), 58u);
    EXPECT_EQ (hex (bytes), spaced (header1Track + "4D 54 72 6B 00 00 00 24" + tempo + "00 90 3C 64 | 00 40 5A | 87 40 80 3C 00 | 00 40 00 | 96 40 91 30 7F | 83 60 81 30 00 | 01 FF 2F 00"));
}

TEST (MidiFileWriter, SingleNoteFile)
{
    Written w ({ { 1, 0, 4, { { 60, 0, 960, 100 } } } });
    ASSERT_TRUE (w.ok);
    const auto bytes = read (w.target);
    EXPECT_EQ (bytes.size(), 42u);
    EXPECT_EQ (hex (Bytes (bytes.begin() + 14, bytes.begin() + 22)), juce::String ("4D54726B00000014"));
    EXPECT_EQ (w.trackData(), spaced (tempo + "00 90 3C 64 87 40 80 3C 00 01 FF 2F 00"));
}

TEST (MidiFileWriter, EventOrderAndNoteMatching)
{
    struct Case
    {
        const char* name;
        std::vector<ClipData> clips;
        juce::String track;
    };

    const Case cases[] = {
        { "zero length: on before off",
          { { 1, 0, 4, { { 60, 0, 0, 100 } } } },
          tempo + "00 90 3C 64 | 00 80 3C 00 | 01 FF 2F 00" },
        { "back to back, first inserted first",
          { { 1, 0, 4, { { 60, 0, 960, 100 }, { 60, 960, 960, 100 } } } },
          tempo + "00 90 3C 64 | 87 40 80 3C 00 | 00 90 3C 64 | 87 40 80 3C 00 | 01 FF 2F 00" },
        // At a shared tick the note that ends goes off before the note that
        // starts goes on, whichever was inserted first.
        { "back to back, later note inserted first",
          { { 1, 0, 4, { { 60, 960, 960, 100 }, { 60, 0, 960, 100 } } } },
          tempo + "00 90 3C 64 | 87 40 80 3C 00 | 00 90 3C 64 | 87 40 80 3C 00 | 01 FF 2F 00" },
        { "back to back in two clips, later clip first",
          { { 1, 1, 4, { { 60, 0, 960, 100 } } }, { 1, 0, 4, { { 60, 0, 960, 100 } } } },
          tempo + "00 90 3C 64 | 87 40 80 3C 00 | 00 90 3C 64 | 87 40 80 3C 00 | 01 FF 2F 00" },
        { "a zero-length note where another ends, inserted first",
          { { 1, 0, 4, { { 60, 960, 0, 90 }, { 60, 0, 960, 100 } } } },
          tempo + "00 90 3C 64 | 87 40 80 3C 00 | 00 90 3C 5A | 00 80 3C 00 | 01 FF 2F 00" },
        { "other keys at the shared tick keep their order",
          { { 1, 0, 4, { { 60, 960, 960, 100 }, { 64, 960, 960, 100 }, { 60, 0, 960, 100 }, { 62, 0, 960, 100 } } } },
          tempo + "00 90 3C 64 | 00 3E 64 | 87 40 80 3C 00 | 00 90 40 64 | 00 3C 64 | 00 80 3E 00 | 87 40 3C 00 | 00 40 00 | 01 FF 2F 00" },
        { "overlapping notes of one key get a note-off at the later note-on",
          { { 1, 0, 4, { { 60, 0, 960, 100 }, { 60, 480, 960, 100 } } } },
          tempo + "00 90 3C 64 | 83 60 80 3C 00 | 00 90 3C 64 | 83 60 80 3C 00 | 83 60 3C 00 | 01 FF 2F 00" },
        { "the same key on two tracks does not interact",
          { { 1, 0, 4, { { 60, 0, 960, 100 } } }, { 2, 0, 4, { { 60, 480, 960, 100 } } } },
          tempo + "00 90 3C 64 | 83 60 91 3C 64 | 83 60 80 3C 00 | 83 60 81 3C 00 | 01 FF 2F 00" },
        // Values from a hand-edited state are brought into MIDI's ranges: a
        // velocity of 0 would make the note-on a note-off.
        { "velocity, key and channel limited to their ranges",
          { { 20, 0, 4, { { 60 + 128, 0, 10, 200 } } }, { -3, 0, 4, { { -5, 0, 10, 0x17f } } } },
          tempo + "00 9F 7F 7F | 00 90 00 7F | 0A 8F 7F 00 | 00 80 00 00 | 01 FF 2F 00" },
        { "velocities below 1 sound at 1, from 256 on at 127",
          { { 1, 0, 4, { { 60, 0, 10, 0 }, { 61, 0, 10, -7 }, { 62, 0, 10, 256 }, { 63, 0, 10, 1 }, { 64, 0, 10, 127 } } } },
          tempo + "00 90 3C 01 | 00 3D 01 | 00 3E 7F | 00 3F 01 | 00 40 7F | 0A 80 3C 00 | 00 3D 00 | 00 3E 00 | 00 3F 00 | 00 40 00 | 01 FF 2F 00" },
        { "clips in reverse time order",
          { { 1, 8, 4, { { 60, 0, 960, 100 } } }, { 1, 0, 4, { { 62, 0, 960, 100 } } } },
          tempo + "00 90 3E 64 | 87 40 80 3E 00 | B4 40 90 3C 64 | 87 40 80 3C 00 | 01 FF 2F 00" },
        // Positions from a hand-edited state: a file's times start at 0 and its
        // deltas hold 28 bits.
        { "a note from before tick 0 starts at 0",
          { { 1, 0, 4, { { 60, -960, 1920, 100 } } } },
          tempo + "00 90 3C 64 | 87 40 80 3C 00 | 01 FF 2F 00" },
        { "ticks far below 0",
          { { 1, 0, 4, { { 60, std::numeric_limits<int>::min(), 10, 100 } } } },
          tempo + "00 90 3C 64 | 00 80 3C 00 | 01 FF 2F 00" },
        { "a note beyond the last tick a file holds ends there",
          { { 1, 0, 4, { { 60, 0x0fffffff - 10, 100, 100 } } } },
          tempo + "FF FF FF 75 90 3C 64 | 0A 80 3C 00 | 00 FF 2F 00" },
    };

    for (const auto& c : cases)
    {
        Written w (c.clips);
        ASSERT_TRUE (w.ok) << c.name;
        EXPECT_EQ (w.trackData(), spaced (c.track)) << c.name;
    }
}

TEST (MidiFileWriter, ExtensionRule)
{
    struct Case
    {
        const char* chosen;
        const char* written;
    };
    const Case cases[] = { { "song", "song.mid" }, { "song.txt", "song.mid" }, { "take.1", "take.mid" }, { "song.MIDI", "song.MIDI" }, { "song.midi", "song.midi" }, { "a.Mid", "a.Mid" } };

    for (const auto& c : cases)
    {
        Written w ({ { 1, 0, 4, { { 60, 0, 960, 100 } } } }, c.chosen);
        ASSERT_TRUE (w.ok) << c.chosen;
        const auto folder = w.folder.getFile();
        EXPECT_TRUE (folder.getChildFile (c.written).existsAsFile()) << c.chosen;
        EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), 1) << c.chosen;
    }
}

TEST (MidiFileWriter, NothingToWriteTouchesNoFile)
{
    juce::TemporaryFile folder;
    folder.getFile().createDirectory();
    const auto target = folder.getFile().getChildFile ("song.mid");
    target.replaceWithText ("precious");

    EXPECT_FALSE (writeMidiFile (target, {}));
    ClipData empty { 1, 0, 4, {} };
    EXPECT_FALSE (writeMidiFile (target, { &empty, &empty }));
    EXPECT_EQ (target.loadFileAsString(), "precious");
    EXPECT_EQ (folder.getFile().getNumberOfChildFiles (juce::File::findFiles), 1);
}

TEST (MidiFileWriter, ReplacesAnExistingFileWholeOrNotAtAll)
{
    juce::TemporaryFile folder;
    folder.getFile().createDirectory();
    const auto target = folder.getFile().getChildFile ("song.mid");
    target.replaceWithText (juce::String::repeatedString ("old content ", 1000));

    ClipData clip { 1, 0, 4, { { 60, 0, 960, 100 } } };
    ASSERT_TRUE (writeMidiFile (target, { &clip }));
    EXPECT_EQ (target.getSize(), 42);

    // A folder that cannot be written: false, and the target stays as it was.
    const auto locked = folder.getFile().getChildFile ("locked");
    locked.createDirectory();
    const auto lockedTarget = locked.getChildFile ("keep.mid");
    lockedTarget.replaceWithText ("keep me");
    locked.setReadOnly (true);
    const auto permissionsApply = ! locked.getChildFile ("probe").create().wasOk(); // root ignores them
    if (permissionsApply)
    {
        EXPECT_FALSE (writeMidiFile (lockedTarget, { &clip }));
        EXPECT_EQ (lockedTarget.loadFileAsString(), "keep me");
    }
    locked.getChildFile ("probe").deleteFile();
    locked.setReadOnly (false);

    EXPECT_FALSE (writeMidiFile (folder.getFile().getChildFile ("no/such/folder/x.mid"), { &clip }));
}
