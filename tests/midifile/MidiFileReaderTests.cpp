#include "midifile/MidiFileReader.h"
#include "midifile/MidiFileWriter.h"
#include "support/EditorTestAccess.h"
#include "support/JuceEnvironment.h"
#include "support/MidiBytes.h"
#include "support/ReferenceMidiReader.h"

#include <gtest/gtest.h>

using namespace MidiBytes;

namespace
{
    /** Reads bytes through a temporary file; nothing when the reader says false. */
    std::optional<ImportedClip> readBytes (const Bytes& bytes)
    {
        const auto file = writeTemp (bytes);
        std::vector<ImportedClip> out;
        const auto ok = readMidiFile (file, out);
        file.deleteFile();
        if (! ok)
            return std::nullopt;
        EXPECT_EQ (out.size(), 1u);
        return out.front();
    }

    Bytes oneTrack (int division, std::initializer_list<Event> events)
    {
        return file (0, division, { track (events) });
    }
} // namespace

//==============================================================================
TEST (MidiFileReader, ConvertsToNineHundredSixtyTicks)
{
    struct Case
    {
        const char* name;
        Bytes bytes;
        int lengthQ;
        std::vector<ClipNote> notes;
    };

    const Case cases[] = {
        { "division 480", oneTrack (480, { { 480, 0x90, 60, 100 }, { 960, 0x80, 60, 0 } }), 2, { { 60, 0, 1920, 100 } } },
        { "division 96", oneTrack (96, { { 0, 0x90, 62, 80 }, { 24, 0x80, 62, 0 } }), 1, { { 62, 0, 240, 80 } } },
        { "division 1000: 1 tick is 0 ticks, still kept", oneTrack (1000, { { 1, 0x90, 64, 70 }, { 1, 0x80, 64, 0 }, { 0, 0x90, 65, 70 }, { 1000, 0x80, 65, 0 } }), 2, { { 64, 0, 0, 70 }, { 65, 1, 960, 70 } } },
        { "time-code division reads as 480", oneTrack (0xE728, { { 480, 0x90, 60, 100 }, { 480, 0x80, 60, 0 } }), 1, { { 60, 0, 960, 100 } } },
        { "division 0 reads as 480", oneTrack (0, { { 0, 0x90, 60, 100 }, { 480, 0x80, 60, 0 } }), 1, { { 60, 0, 960, 100 } } },
        { "silence before the first note is removed", oneTrack (480, { { 1920, 0x90, 60, 100 }, { 240, 0x80, 60, 0 } }), 1, { { 60, 0, 480, 100 } } },
    };

    for (const auto& c : cases)
    {
        const auto clip = readBytes (c.bytes);
        ASSERT_TRUE (clip.has_value()) << c.name;
        EXPECT_EQ (*clip, (ClipData { 1, 0, c.lengthQ, c.notes })) << c.name;
    }
}

TEST (MidiFileReader, LengthRoundsUpToWholeQuarters)
{
    // Spans at division 960 are the converted ticks themselves.
    struct Case
    {
        juce::uint32 span;
        int lengthQ;
    };

    for (const auto& c : { Case { 1921, 3 }, Case { 1920, 2 }, Case { 1, 1 } })
    {
        const auto clip = readBytes (oneTrack (960, { { 0, 0x90, 60, 100 }, { c.span, 0x80, 60, 0 } }));
        ASSERT_TRUE (clip.has_value());
        EXPECT_EQ (clip->lengthQ, c.lengthQ) << c.span;
    }

    // A span of 0: a zero-length note at the file's scale.
    const auto zeroSpan = readBytes (oneTrack (1000, { { 0, 0x90, 60, 100 }, { 1, 0x80, 60, 0 } }));
    ASSERT_TRUE (zeroSpan.has_value());
    EXPECT_EQ (zeroSpan->lengthQ, 1);
}

TEST (MidiFileReader, WhichNotesAreKept)
{
    struct Case
    {
        const char* name;
        Bytes bytes;
        std::vector<ClipNote> notes; // empty: the reader says false
    };

    const Case cases[] = {
        { "a note-off on the same tick drops the note", oneTrack (480, { { 0, 0x90, 60, 100 }, { 0, 0x80, 60, 0 }, { 0, 0x90, 61, 100 }, { 10, 0x80, 61, 0 } }), { { 61, 0, 20, 100 } } },
        { "no later note-off: dropped", oneTrack (480, { { 0, 0x90, 60, 100 }, { 0, 0x90, 61, 100 }, { 480, 0x80, 61, 0 } }), { { 61, 0, 960, 100 } } },
        { "velocity 0 ends a note and starts none", oneTrack (480, { { 0, 0x90, 60, 100 }, { 480, 0x90, 60, 0 } }), { { 60, 0, 960, 100 } } },
        { "a note-off of the same key on another channel ends the note",
          oneTrack (480, { { 0, 0x90, 60, 100 }, { 0, 0x91, 60, 90 }, { 240, 0x81, 60, 0 }, { 240, 0x80, 60, 0 } }),
          { { 60, 0, 480, 100 }, { 60, 0, 480, 90 } } },
        { "only notes without note-offs", oneTrack (480, { { 0, 0x90, 60, 100 } }), {} },
        { "no notes at all", oneTrack (480, { { 0, 0xb0, 7, 100 } }), {} },
    };

    for (const auto& c : cases)
    {
        const auto clip = readBytes (c.bytes);
        if (c.notes.empty())
        {
            EXPECT_FALSE (clip.has_value()) << c.name;
            continue;
        }

        ASSERT_TRUE (clip.has_value()) << c.name;
        EXPECT_EQ (clip->notes, c.notes) << c.name;
    }
}

TEST (MidiFileReader, NotesGoTrackByTrack)
{
    const auto clip = readBytes (file (1, 480, { track ({ { 960, 0x90, 70, 1 }, { 480, 0x80, 70, 0 } }), track ({ { 0, 0x92, 50, 2 }, { 480, 0x82, 50, 0 } }) }));
    ASSERT_TRUE (clip.has_value());
    EXPECT_EQ (clip->notes, (std::vector<ClipNote> { { 70, 1920, 960, 1 }, { 50, 0, 960, 2 } }));
    EXPECT_EQ (clip->lengthQ, 3);
}

TEST (MidiFileReader, RejectsFilesThatAreNotMidi)
{
    auto stray = oneTrack (480, { { 0, 0x90, 60, 100 }, { 480, 0x80, 60, 0 } });
    stray.push_back (0);

    const Bytes rejected[] = {
        file (0, 480, { track ({ { 0, 0x90, 60, 100 }, { 480, 0x80, 60, 0 } }), track ({}) }), // format 0 with two tracks
        stray,
        Bytes { 'n', 'o', 't', ' ', 'm', 'i', 'd', 'i' },
        {},
    };

    for (const auto& bytes : rejected)
    {
        const auto f = writeTemp (bytes);
        std::vector<ImportedClip> out (2); // untouched on failure
        EXPECT_FALSE (readMidiFile (f, out));
        EXPECT_EQ (out.size(), 2u);
        f.deleteFile();
    }

    std::vector<ImportedClip> out (1);
    EXPECT_FALSE (readMidiFile (juce::File(), out));
    EXPECT_FALSE (readMidiFile (juce::File::getSpecialLocation (juce::File::tempDirectory), out));
    EXPECT_FALSE (readMidiFile (juce::File ("/no/such/file.mid"), out));
    EXPECT_EQ (out.size(), 1u);
}

TEST (MidiFileReader, LargeTicksUseSixtyFourBits)
{
    // A note starting after 3,000,000 ticks at division 960 would overflow 32-bit products.
    const auto clip = readBytes (oneTrack (960, { { 0, 0x90, 40, 100 }, { 10, 0x80, 40, 0 }, { 3000000, 0x90, 41, 100 }, { 960, 0x80, 41, 0 } }));
    ASSERT_TRUE (clip.has_value());
    EXPECT_EQ (clip->notes.back(), (ClipNote { 41, 3000010, 960, 100 }));
    EXPECT_EQ (clip->lengthQ, (3000010 + 960 + 959) / 960);
}

TEST (MidiFileReader, TicksBeyondEveryRangeSaturate)
{
    constexpr auto intMax = std::numeric_limits<int>::max();

    // Every note starts beyond the 32-bit range of converted ticks: the
    // silence before the first one is still removed.
    const auto late = readBytes (oneTrack (1, { { 0x0fffffff, 0x90, 40, 100 }, { 10, 0x80, 40, 0 } }));
    ASSERT_TRUE (late.has_value());
    EXPECT_EQ (*late, (ClipData { 1, 0, 10, { { 40, 0, 9600, 100 } } }));

    // A note of 9 * 0x0fffffff quarters: the clip and the note saturate
    // instead of wrapping.
    const auto huge = MidiBytes::hugeNoteFile();
    ASSERT_EQ (huge.size(), 97u);
    const auto clip = readBytes (huge);
    ASSERT_TRUE (clip.has_value());
    EXPECT_EQ (*clip, (ClipData { 1, 0, intMax, { { 60, 0, intMax, 100 } } }));
}

//==============================================================================
TEST (MidiFileReader, SameTickNotesFollowJuceEightsOrder)
{
    // The order within one tick decides which note-off ends which note, since a
    // note-on takes the next note-off of its key on any channel.
    struct Case
    {
        const char* name;
        Bytes bytes;
        std::vector<ClipNote> notes;
    };

    const Case cases[] = {
        // At tick 480: on(ch1) then off(ch1). The two change places, so the first
        // note ends there and the second one runs to 960.
        { "on then off of one channel and key", oneTrack (480, { { 0, 0x90, 60, 100 }, { 480, 0x90, 60, 90 }, { 0, 0x80, 60, 0 }, { 480, 0x80, 60, 0 } }), { { 60, 0, 960, 100 }, { 60, 960, 960, 90 } } },
        // The note-off is on channel 2: not exchanged, so the note-on at 480 keeps
        // its place before it and ends right there (dropped).
        { "note-off of another channel stays", oneTrack (480, { { 0, 0x90, 60, 100 }, { 480, 0x90, 60, 90 }, { 0, 0x81, 60, 0 }, { 480, 0x80, 60, 0 } }), { { 60, 0, 960, 100 } } },
        // The tick's first note-on (key 62) has no note-off there: the rest of the
        // tick stays as the file has it, so key 60's note-on still comes first.
        { "first note-on without a note-off on its tick",
          oneTrack (480, { { 0, 0x90, 60, 100 }, { 480, 0x90, 62, 80 }, { 0, 0x90, 60, 90 }, { 0, 0x80, 60, 0 }, { 480, 0x80, 60, 0 }, { 0, 0x80, 62, 0 } }),
          { { 60, 0, 960, 100 }, { 62, 960, 960, 80 } } },
    };

    for (const auto& c : cases)
    {
        const auto clip = readBytes (c.bytes);
        ASSERT_TRUE (clip.has_value()) << c.name;
        EXPECT_EQ (clip->notes, c.notes) << c.name;
    }
}

TEST (MidiFileReader, OrderingSwapsAndStopsAsJuceEightDoes)
{
    using E = MidiFileReader::NoteEvent;
    std::vector<E> seq {
        { 0, 0x90, 60, 100 },
        { 0, 0x90, 61, 100 },
        { 0, 0x80, 61, 0 },
        { 0, 0x80, 60, 0 },
        { 5, 0x91, 70, 100 },
        { 5, 0x91, 70, 0 },
    };

    MidiFileReader::orderSameTickNotes (seq);

    // 60's on changes places with 60's off (the last one back from the run's
    // end); then from position 1, 61's on with 61's off.
    const auto describe = [&seq] (int i) {
        const auto& m = seq[(size_t) i];
        return juce::String (m.isSoundingNoteOn() ? "on" : "off") + juce::String (m.key);
    };
    EXPECT_EQ (describe (0), "off60");
    EXPECT_EQ (describe (1), "off61");
    EXPECT_EQ (describe (2), "on61");
    EXPECT_EQ (describe (3), "on60");
    EXPECT_EQ (describe (4), "off70");
    EXPECT_EQ (describe (5), "on70");
}

TEST (MidiFileReader, ReadsBackWhatTheWriterWrote)
{
    ClipData a { 1, 2, 4, { { 60, 0, 960, 100 }, { 64, 480, 240, 90 } } };
    ClipData b { 5, 0, 2, { { 48, 0, 480, 127 } } };
    juce::TemporaryFile target (".mid");
    ASSERT_TRUE (writeMidiFile (target.getFile(), { &a, &b }));

    std::vector<ImportedClip> out;
    ASSERT_TRUE (readMidiFile (target.getFile(), out));
    // Merged into one clip from the first note, ordered by note-on tick.
    EXPECT_EQ (out.front().notes, (std::vector<ClipNote> { { 48, 0, 480, 127 }, { 60, 1920, 960, 100 }, { 64, 2400, 240, 90 } }));
    EXPECT_EQ (out.front().lengthQ, 3);
}

TEST (MidiFileReader, AgreesWithItsReferenceOnOddBytes)
{
    // What JUCE's message decoding does with odd bytes, the reader does too:
    // running status, sysex and meta events of every length, data bytes above
    // 127, messages cut off, chunks of other types, headers of other lengths.
    const std::vector<Bytes> inputs {
        file (1, 96, { { 0, 0x90, 60, 100, 10, 70, 90, 5, 60, 0, 0, 70, 0 } }),                                        // running status
        file (1, 96, { { 0, 0xf0, 3, 1, 2, 3, 0xf7, 0, 0x90, 61, 100, 4, 0x80, 61, 0 } }),                             // sysex with length
        file (1, 96, { { 0, 0xf0, 0x81, 0x82, 1, 0x90, 5, 0x90, 62, 1, 6, 0x80, 62, 0 } }),                            // sysex cut by a status byte
        file (1, 96, { { 0, 0xff, 0x01, 0x83, 0x00, 'a', 0, 0x90, 60, 100 } }),                                        // meta longer than the chunk
        file (1, 96, { { 0, 0x90, 200, 100, 4, 0x90, 200, 100, 4, 0x90, 72, 100, 4, 0x80, 72, 0, 4, 0x80, 200, 0 } }), // keys above 127
        file (1, 96, { { 0, 0x90, 60, 100, 0, 0x90, 60, 100, 0, 0x80, 60, 0, 0, 0x80, 60, 0, 0, 0x90, 60 } }),         // a run and a message cut off
        file (1, 96, { { 0, 0xf8, 0, 0xf4, 0, 0xf1, 9, 0, 0xf2, 1, 2, 0, 0xf7, 0, 0x90, 60, 1, 1, 0x90, 60, 0 } }),    // system messages
        file (1, 96, { { 0x8f, 0xff, 0xff, 0xff, 0x7f, 0x90, 60, 100 } }),                                             // a delta of five bytes
        file (1, 96, { { 0, 0x45, 0, 0x90, 60, 1 } }),                                                                 // running status before any status
    };

    // JUCE's decoding asserts on some of these bytes in a debug build.
    const JuceEnvironment::ScopedAssertionsExpected juceAssertsOnOddBytes;

    for (size_t i = 0; i < inputs.size(); ++i)
    {
        for (auto size = inputs[i].size(); size > 10; --size)
        {
            auto parsed = MidiFileReader::parse (inputs[i].data(), size);
            const auto expected = ReferenceMidiReader::read (inputs[i].data(), size);
            ASSERT_EQ (parsed.has_value(), ReferenceMidiReader::parse (inputs[i].data(), size).has_value()) << i << ", " << size << " bytes";
            const auto clip = parsed.has_value() ? MidiFileReader::collectNotes (std::move (*parsed)) : std::nullopt;
            ASSERT_EQ (clip, expected) << i << ", " << size << " bytes";
        }
    }

    // Headers that say another length, RIFF wrappers, chunks of other types, too many tracks.
    Bytes riff { 'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D' };
    const auto plain = file (1, 96, { track ({ { 0, 0x90, 60, 100 }, { 96, 0x80, 60, 0 } }) });
    riff.insert (riff.end(), plain.begin(), plain.end());
    auto longHeader = plain;
    longHeader[7] = 8;
    auto manyTracks = plain;
    manyTracks[10] = 0x80; // 32,768 declared tracks: JUCE reads the count as a negative short
    Bytes otherChunk = file (1, 96, { track ({ { 0, 0x90, 60, 100 }, { 96, 0x80, 60, 0 } }) }, 2);
    append (otherChunk, { 'X', 'Y', 'Z', 'W', 0, 0, 0, 1, 7 });

    for (const auto& bytes : { riff, longHeader, manyTracks, otherChunk })
        EXPECT_EQ (ReferenceMidiReader::read (bytes.data(), bytes.size()), [&] {
            auto parsed = MidiFileReader::parse (bytes.data(), bytes.size());
            return parsed.has_value() ? MidiFileReader::collectNotes (std::move (*parsed)) : std::nullopt;
        }()) << MidiBytes::hex (bytes);
}
