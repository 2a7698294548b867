#include "midifile/MidiFileReader.h"
#include "midifile/MidiFileWriter.h"
#include "support/ModelPrinters.h"
#include "support/ReferenceMidiReader.h"

#include <gtest/gtest.h>

#include <map>

namespace
{
    juce::File corpusFolder() { return juce::File (CARVOLIN_MIDI_CORPUS_DIR); }

    juce::Array<juce::File> corpusFiles()
    {
        auto files = corpusFolder().findChildFiles (juce::File::findFiles, true);
        files.sort();
        return files;
    }

    juce::File toolScript (const char* name) { return juce::File (__FILE__).getParentDirectory().getSiblingFile ("tools").getChildFile (name); }
    juce::File referenceScript() { return toolScript ("mido_reference.py"); }

    juce::String systemPython()
    {
        // Debian's python3 has python3-mido; another python3 earlier on PATH may not.
        return juce::File ("/usr/bin/python3").existsAsFile() ? "/usr/bin/python3" : "python3";
    }

    /** path -> "rejected" or "notes<TAB>lengthQ", as the mido reading gives them. */
    std::map<juce::String, juce::String> readWithMido (const juce::Array<juce::File>& files)
    {
        juce::StringArray command { systemPython(), referenceScript().getFullPathName() };
        for (const auto& f : files)
            command.add (f.getFullPathName());

        juce::ChildProcess process;
        std::map<juce::String, juce::String> results;
        if (! process.start (command))
            return results;

        const auto output = process.readAllProcessOutput();
        for (const auto& line : juce::StringArray::fromLines (output))
            if (line.contains ("\t"))
                results[line.upToFirstOccurrenceOf ("\t", false, false)] = line.fromFirstOccurrenceOf ("\t", false, false);

        return results;
    }

    juce::String readWithCarvolin (const juce::File& file)
    {
        std::vector<ImportedClip> out;
        if (! readMidiFile (file, out))
            return "rejected";
        return juce::String ((int) out.front().notes.size()) + "\t" + juce::String (out.front().lengthQ);
    }

    /** The program of that name in a folder of PATH, or no file. */
    juce::File findOnPath (const juce::String& program)
    {
        for (const auto& folder : juce::StringArray::fromTokens (juce::SystemStats::getEnvironmentVariable ("PATH", {}), ":", {}))
        {
            const auto candidate = juce::File::createFileWithoutCheckingPath (folder).getChildFile (program);
            if (folder.isNotEmpty() && juce::File::isAbsolutePath (folder) && candidate.existsAsFile())
                return candidate;
        }
        return {};
    }

    bool midoAvailable()
    {
        juce::ChildProcess process;
        return process.start (juce::StringArray { systemPython(), "-c", "import mido" }) && process.waitForProcessToFinish (20000)
            && process.getExitCode() == 0;
    }
} // namespace

TEST (MidiCorpus, EveryFileReadsWithoutCrashing)
{
    const auto files = corpusFiles();
    if (files.isEmpty())
        GTEST_SKIP() << "no corpus at " << corpusFolder().getFullPathName();

    int accepted = 0;
    for (const auto& f : files)
    {
        std::vector<ImportedClip> out;
        if (readMidiFile (f, out))
        {
            ++accepted;
            ASSERT_EQ (out.size(), 1u);
            EXPECT_GE (out.front().lengthQ, 1) << f.getFileName();
            EXPECT_FALSE (out.front().notes.empty()) << f.getFileName();
            for (const auto& n : out.front().notes)
                ASSERT_GE (n.startTick, 0) << f.getFileName();
        }
    }
    EXPECT_GT (accepted, 100);
}

TEST (MidiCorpus, AgreesWithAnIndependentReader)
{
    const auto files = corpusFiles();
    if (files.isEmpty())
        GTEST_SKIP() << "no corpus at " << corpusFolder().getFullPathName();
    if (! midoAvailable())
        GTEST_SKIP() << "python3-mido is not installed";

    // Files where the two readings legitimately differ: mido and JUCE do not
    // accept the same broken files.
    const std::map<juce::String, juce::String> knownDifferences {
        { "github-cuthbertLab-music21/midi__testPrimitive__test04.mid", "19 chunks where the header declares 18: JUCE rejects the bytes left over" },
        { "github-jazz-soft-test-midi-files/midi__test-2-tracks-type-0.mid", "format 0 declaring two tracks: JUCE rejects it" },
        { "github-jazz-soft-test-midi-files/midi__test-corrupt-file-extra-byte.mid", "a stray byte after the last chunk: JUCE rejects it" },
        { "github-jazz-soft-test-midi-files/midi__test-illegal-message-all.mid", "illegal status bytes: mido rejects them, JUCE reads past them" },
        { "github-jazz-soft-test-midi-files/midi__test-illegal-message-f4.mid", "illegal status byte F4: mido rejects it" },
        { "github-jazz-soft-test-midi-files/midi__test-illegal-message-f5.mid", "illegal status byte F5: mido rejects it" },
        { "github-jazz-soft-test-midi-files/midi__test-illegal-message-f9.mid", "illegal status byte F9: mido rejects it" },
        { "github-jazz-soft-test-midi-files/midi__test-illegal-message-fd.mid", "illegal status byte FD: mido rejects it" },
        { "github-jazz-soft-test-midi-files/midi__test-running-status-sysex.mid", "running status across a sysex: mido rejects it" },
    };

    const auto mido = readWithMido (files);
    ASSERT_EQ (mido.size(), (size_t) files.size());

    int compared = 0;
    for (const auto& f : files)
    {
        const auto ours = readWithCarvolin (f);
        const auto theirs = mido.at (f.getFullPathName());
        const auto relative = f.getRelativePathFrom (corpusFolder());

        if (knownDifferences.count (relative) != 0)
            continue;

        EXPECT_EQ (ours, theirs) << relative;
        if (ours != "rejected")
            ++compared;
    }
    EXPECT_GT (compared, 100);
}

TEST (MidiCorpus, WrittenFilesAreReadByOtherTools)
{
    if (! midoAvailable())
        GTEST_SKIP() << "python3-mido is not installed";

    ClipData a { 1, 0, 4, { { 60, 0, 960, 100 }, { 64, 0, 960, 90 }, { 60, 960, 960, 80 } } };
    ClipData b { 2, 4, 4, { { 48, 0, 480, 127 }, { 48, 240, 480, 127 } } };
    juce::TemporaryFile target (".mid");
    ASSERT_TRUE (writeMidiFile (target.getFile(), { &a, &b }));

    std::vector<ImportedClip> ours;
    ASSERT_TRUE (readMidiFile (target.getFile(), ours));
    const auto mido = readWithMido ({ target.getFile() });
    EXPECT_EQ (mido.at (target.getFile().getFullPathName()), juce::String ((int) ours.front().notes.size()) + "\t" + juce::String (ours.front().lengthQ));

    // A child process starts even when the program cannot be found, so look for it first.
    const auto midicsvPath = findOnPath ("midicsv");
    if (midicsvPath == juce::File())
        GTEST_SKIP() << "midicsv is not installed";

    juce::ChildProcess midicsv;
    ASSERT_TRUE (midicsv.start (juce::StringArray { midicsvPath.getFullPathName(), target.getFile().getFullPathName() }));

    const auto csv = midicsv.readAllProcessOutput();
    EXPECT_EQ (midicsv.getExitCode(), 0u);
    EXPECT_TRUE (csv.contains ("Header, 1, 1, 960")) << csv;
    EXPECT_TRUE (csv.contains ("Tempo, 500000")) << csv;
    EXPECT_TRUE (csv.contains ("1, 3840, Note_on_c, 1, 48, 127")) << csv;
    EXPECT_TRUE (csv.contains ("End_track")) << csv;
}

TEST (MidiCorpus, EveryWrittenNoteReadsBackWithItsOwnStartAndLength)
{
    if (! midoAvailable())
        GTEST_SKIP() << "python3-mido is not installed";

    // Notes of one key that touch or have no length, in every order of
    // insertion: a reader taking the file in order finds each one whole.
    const std::vector<std::vector<ClipData>> arrangements {
        { { 1, 0, 4, { { 60, 960, 960, 100 }, { 60, 0, 960, 100 } } } },
        { { 1, 0, 4, { { 60, 0, 960, 100 }, { 60, 960, 960, 100 } } } },
        { { 1, 0, 4, { { 60, 960, 0, 90 }, { 60, 0, 960, 100 } } } },
        { { 1, 0, 4, { { 60, 0, 0, 90 }, { 60, 0, 960, 100 }, { 60, 960, 0, 80 } } } },
        { { 1, 0, 4, { { 62, 1920, 960, 100 }, { 62, 960, 960, 100 }, { 62, 0, 960, 100 } } } },
        { { 1, 1, 4, { { 60, 0, 960, 100 } } }, { 1, 0, 4, { { 60, 0, 960, 100 } } } },
        { { 2, 0, 4, { { 60, 480, 480, 100 }, { 61, 0, 480, 100 } } }, { 3, 0, 4, { { 60, 0, 480, 100 }, { 61, 480, 480, 100 } } }, { 2, 0, 4, { { 60, 0, 480, 100 } } } },
    };

    for (size_t a = 0; a < arrangements.size(); ++a)
    {
        std::vector<const ClipData*> clips;
        juce::StringArray expected;
        for (const auto& clip : arrangements[a])
        {
            clips.push_back (&clip);
            for (const auto& n : clip.notes)
                expected.add (juce::String (clip.track) + " " + juce::String (n.pitch) + " " + juce::String (clip.startQ * 960 + n.startTick) + " " + juce::String (n.lengthTicks));
        }

        juce::TemporaryFile target (".mid");
        ASSERT_TRUE (writeMidiFile (target.getFile(), clips));

        juce::ChildProcess process;
        ASSERT_TRUE (process.start (juce::StringArray { systemPython(), toolScript ("mido_notes.py").getFullPathName(), target.getFile().getFullPathName() }));
        auto read = juce::StringArray::fromLines (process.readAllProcessOutput().trim());

        expected.sort (false);
        read.sort (false);
        EXPECT_EQ (read.joinIntoString (", "), expected.joinIntoString (", ")) << "arrangement " << a;
    }
}

TEST (MidiCorpus, TheReaderAgreesWithItsReferenceOnEveryFile)
{
    // The reader in use against the one it replaced, on real files and on
    // every prefix-cut of them a broken download would leave.
    const auto files = corpusFiles();
    if (files.isEmpty())
        GTEST_SKIP() << "no corpus at " << corpusFolder().getFullPathName();

    int accepted = 0;
    for (const auto& f : files)
    {
        juce::MemoryBlock data;
        f.loadFileAsData (data);

        const auto whole = data.getSize();
        for (const auto size : { whole, whole / 2, whole > 0 ? whole - 1 : 0 })
        {
            auto parsed = MidiFileReader::parse (data.getData(), size);
            const auto expected = ReferenceMidiReader::read (data.getData(), size);
            const auto clip = parsed.has_value() ? MidiFileReader::collectNotes (std::move (*parsed)) : std::nullopt;
            ASSERT_EQ (clip, expected) << f.getFileName() << ", " << size << " bytes";
            accepted += clip.has_value() ? 1 : 0;
        }
    }
    EXPECT_GT (accepted, 100);
}
