#include "plugin/CarvolinProcessor.h"

#include "model/SafeXml.h"
#include "model/StateDocument.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace
{
    juce::MemoryBlock makeBlob (juce::uint32 magic, juce::int32 lengthField, const juce::String& text, bool terminator = true)
    {
        juce::MemoryOutputStream out;
        out.writeInt ((int) magic);
        out.writeInt (lengthField);
        out.write (text.toRawUTF8(), text.getNumBytesAsUTF8());
        if (terminator)
            out.writeByte (0);
        return out.getMemoryBlock();
    }

    constexpr juce::uint32 magic = 0x21324356;

    juce::MemoryBlock validBlob (const juce::String& xml)
    {
        return makeBlob (magic, (juce::int32) xml.getNumBytesAsUTF8(), xml);
    }

    /** A blob of text bytes taken as they are, valid UTF-8 or not. */
    juce::MemoryBlock rawBlob (const char* text)
    {
        const auto length = (juce::int32) std::strlen (text);
        juce::MemoryOutputStream out;
        out.writeInt ((int) magic);
        out.writeInt (length);
        out.write (text, (size_t) length);
        out.writeByte (0);
        return out.getMemoryBlock();
    }

    /** Elements nested depth levels deep, each closed. */
    juce::String nested (int depth)
    {
        return juce::String::repeatedString ("<a>", depth) + juce::String::repeatedString ("</a>", depth);
    }

    void setState (CarvolinProcessor& p, const juce::MemoryBlock& blob)
    {
        p.setStateInformation (blob.getData(), (int) blob.getSize());
    }
} // namespace

//==============================================================================
TEST (Processor, ReportsItsIdentityToHosts)
{
    CarvolinProcessor p;
    EXPECT_EQ (p.getName(), "Carvolin");
    EXPECT_TRUE (p.acceptsMidi());
    EXPECT_TRUE (p.producesMidi());
    EXPECT_FALSE (p.isMidiEffect());
    EXPECT_EQ (p.getTailLengthSeconds(), 0.0);
    EXPECT_TRUE (p.hasEditor());
    EXPECT_EQ (p.getNumPrograms(), 1);
    EXPECT_EQ (p.getCurrentProgram(), 0);
    EXPECT_TRUE (p.getProgramName (0).isEmpty());
    EXPECT_TRUE (p.getProgramName (7).isEmpty());

    EXPECT_EQ (p.getBusCount (true), 0);
    ASSERT_EQ (p.getBusCount (false), 1);
    EXPECT_EQ (p.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (p.getBus (false, 0)->getCurrentLayout(), juce::AudioChannelSet::stereo());
    EXPECT_TRUE (p.getBus (false, 0)->isEnabled());
}

TEST (Processor, AcceptsMonoAndStereoOutputOnly)
{
    CarvolinProcessor p;
    const auto supports = [&p] (const juce::AudioChannelSet& set) {
        juce::AudioProcessor::BusesLayout layout;
        layout.outputBuses.add (set);
        return p.checkBusesLayoutSupported (layout);
    };

    EXPECT_TRUE (supports (juce::AudioChannelSet::mono()));
    EXPECT_TRUE (supports (juce::AudioChannelSet::stereo()));
    EXPECT_FALSE (supports (juce::AudioChannelSet::create5point1()));
    EXPECT_FALSE (supports (juce::AudioChannelSet::quadraphonic()));
    EXPECT_FALSE (supports (juce::AudioChannelSet::disabled()));
}

TEST (Processor, ProcessBlockLeavesSilenceAndNoMidi)
{
    CarvolinProcessor p;
    p.prepareToPlay (44100.0, 256);

    juce::AudioBuffer<float> buffer (2, 256);
    juce::Random random (1);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 256; ++i)
            buffer.setSample (ch, i, random.nextFloat() * 2.0f - 1.0f);

    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
    midi.addEvent (juce::MidiMessage::controllerEvent (3, 7, 90), 100);

    p.processBlock (buffer, midi);

    EXPECT_TRUE (midi.isEmpty());
    for (int ch = 0; ch < 2; ++ch)
        EXPECT_EQ (buffer.getMagnitude (ch, 0, 256), 0.0f);
}

//==============================================================================
TEST (ProcessorState, FreshProcessorLeavesTheHostsBlockUntouched)
{
    CarvolinProcessor p;
    EXPECT_EQ (p.getSavedState(), nullptr);

    juce::MemoryBlock empty;
    p.getStateInformation (empty);
    EXPECT_EQ (empty.getSize(), 0u);

    juce::MemoryBlock junk ("junk", 4);
    p.getStateInformation (junk);
    EXPECT_EQ (junk, juce::MemoryBlock ("junk", 4));
}

TEST (ProcessorState, BlobHasTheDocumentedLayout)
{
    CarvolinProcessor p;
    setState (p, validBlob (R"(<CarvolinState midiFolderPath="/tmp"><Clip track="2" startQ="8" lengthQ="4"/></CarvolinState>)"));

    juce::MemoryBlock block;
    block.setSize (1000, true); // writing starts over from the block's start
    p.getStateInformation (block);

    const auto* bytes = static_cast<const char*> (block.getData());
    ASSERT_GT (block.getSize(), 9u);
    EXPECT_EQ (juce::String (bytes, 4), "VC2!");

    const auto n = (size_t) juce::ByteOrder::littleEndianInt (bytes + 4);
    EXPECT_EQ (block.getSize(), n + 9);
    EXPECT_EQ (bytes[8 + n], 0);

    const auto text = juce::String::fromUTF8 (bytes + 8, (int) n);
    EXPECT_FALSE (text.containsChar ('\n'));
    EXPECT_TRUE (text.startsWith (R"(<?xml version="1.0" encoding="UTF-8"?> <CarvolinState)")) << text;

    // The blob parses back to the same document.
    CarvolinProcessor other;
    other.setStateInformation (block.getData(), (int) block.getSize());
    ASSERT_NE (other.getSavedState(), nullptr);
    EXPECT_TRUE (other.getSavedState()->isEquivalentTo (p.getSavedState().get(), false));
    EXPECT_EQ (other.getMidiFolderPath(), "/tmp");
}

TEST (ProcessorState, AFolderOfAnyCharactersComesBack)
{
    // Everything JUCE escapes when it writes the document: markup, quotes,
    // control characters, line breaks, letters beyond ASCII.
    const auto folder = juce::String ("/a&b<c>\"d'e\tf\ng\rh ") + juce::String::charToString (0xe9)
        + juce::String::charToString (0x1f3b9) + juce::String::charToString (0x10ffff);

    CarvolinProcessor p;
    juce::XmlElement document ("CarvolinState");
    document.setAttribute ("midiFolderPath", folder);
    p.setSavedState (std::make_unique<juce::XmlElement> (document));

    juce::MemoryBlock block;
    p.getStateInformation (block);

    CarvolinProcessor other;
    setState (other, block);
    ASSERT_NE (other.getSavedState(), nullptr);
    EXPECT_EQ (other.getMidiFolderPath(), folder);
}

TEST (ProcessorState, DecodesOrRejectsBlobs)
{
    const juce::String doc = R"(<CarvolinState midiFolderPath="/music"/>)";

    struct Case
    {
        const char* name;
        juce::MemoryBlock blob;
        bool stored;
        juce::String folderAfter;
    };

    juce::MemoryBlock eightBytes = makeBlob (magic, 0, {}, false);
    juce::MemoryBlock truncated = makeBlob (magic, 1000, doc);

    const Case cases[] = {
        { "exactly 8 bytes", eightBytes, false, "kept" },
        { "wrong magic", makeBlob (0x21324357, (juce::int32) doc.length(), doc), false, "kept" },
        { "zero length", makeBlob (magic, 0, doc), false, "kept" },
        { "negative length", makeBlob (magic, (juce::int32) 0x80000010, doc), false, "kept" },
        { "length beyond the data", truncated, true, "/music" },
        { "not XML", validBlob ("this is not xml"), false, "kept" },
        // A lead byte promising five more bytes at the very end: JUCE's parser
        // would read past the text (found by fuzzing).
        { "invalid UTF-8", rawBlob ("<CarvolinState midiFolderPath=\"/music\xfc\"/>"), false, "kept" },
        // A declaration inside the document sends JUCE 7's XML parser into an endless loop.
        { "a nested declaration", validBlob (R"(<?xml version="1.0"?> <CarvolinState><Clip track="1"<?xml version="1.0"?> <Clip)"), false, "kept" },
        { "a comment", validBlob (R"(<CarvolinState><!-- note --></CarvolinState>)"), true, "" },
        { "cut off in an entity", validBlob (R"(<CarvolinState><Clip track="&#x)"), false, "kept" },
        // An unknown entity whose name starts with '<' is parsed as a document of
        // its own, read past its end when it stops in "&#x" (found by fuzzing).
        { "a nested entity", validBlob (R"(<a>&<e>&#x;>)"), false, "kept" },
        { "a character reference without ';'", validBlob (R"(<CarvolinState midiFolderPath="&#65"/>)"), false, "kept" },
        { "a character reference beyond Unicode", validBlob (R"(<CarvolinState midiFolderPath="&#x110000;"/>)"), false, "kept" },
        // JUCE's parser recurses once per level: a million levels overflow the stack.
        { "nested a million deep", validBlob ("<CarvolinState>" + juce::String::repeatedString ("<a>", 1000000) + "</CarvolinState>"), false, "kept" },
        { "nested as deep as allowed", validBlob (nested (SafeXml::maxDepth)), true, "kept" },
        { "nested one deeper", validBlob (nested (SafeXml::maxDepth + 1)), false, "kept" },
        { "a '<' inside a value", validBlob (R"(<CarvolinState midiFolderPath="<a>"/>)"), false, "kept" },
        { "a value without quotes", validBlob (R"(<CarvolinState midiFolderPath=/music/>)"), false, "kept" },
        { "references", validBlob (R"(<CarvolinState midiFolderPath="&amp;&lt;&gt;&quot;&apos;&#65;&#x42;&#X10FFFF;"/>)"), true,
          juce::String ("&<>\"'AB") + juce::String::charToString (0x10ffff) },
        { "root differs in case", validBlob (R"(<carvolinstate midiFolderPath="/music"/>)"), true, "kept" },
        { "another root", validBlob (R"(<Other midiFolderPath="/music"/>)"), true, "kept" },
        { "no folder attribute", validBlob ("<CarvolinState/>"), true, "" },
        { "folder attribute", validBlob (doc), true, "/music" },
    };

    for (const auto& c : cases)
    {
        CarvolinProcessor p;
        setState (p, validBlob (R"(<CarvolinState midiFolderPath="kept"><Clip/></CarvolinState>)"));
        ASSERT_NE (p.getSavedState(), nullptr);

        setState (p, c.blob);

        EXPECT_EQ (p.getSavedState() != nullptr, c.stored) << c.name;
        EXPECT_EQ (p.getMidiFolderPath(), c.folderAfter) << c.name;

        // Whatever is stored comes back unchanged; a rejected blob clears the document.
        juce::MemoryBlock out;
        p.getStateInformation (out);
        EXPECT_EQ (out.getSize() > 0, c.stored) << c.name;
    }
}

TEST (ProcessorState, AnotherRootIsHandedBackUnchanged)
{
    CarvolinProcessor p;
    setState (p, validBlob (R"(<Other a="1"><b/></Other>)"));

    juce::MemoryBlock out;
    p.getStateInformation (out);
    auto xml = juce::AudioProcessor::getXmlFromBinary (out.getData(), (int) out.getSize());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "Other");
    EXPECT_EQ (xml->getIntAttribute ("a"), 1);
    EXPECT_NE (xml->getChildByName ("b"), nullptr);
}

TEST (ProcessorState, HostThreadsReadWhileTheArrangementChanges)
{
    // A host may save its project from another thread while the user edits;
    // every blob it gets must be one whole arrangement. Each edit below puts n
    // clips at quarter n, so a blob mixing two edits shows.
    CarvolinProcessor p;
    std::atomic<bool> done { false };
    std::atomic<int> blobs { 0 }, badBlobs { 0 };

    std::thread host ([&] {
        while (! done)
        {
            juce::MemoryBlock block;
            p.getStateInformation (block);
            if (block.getSize() == 0)
                continue;

            ++blobs;
            auto xml = juce::AudioProcessor::getXmlFromBinary (block.getData(), (int) block.getSize());
            const auto clips = StateDocument::readClips (xml.get());
            for (const auto& clip : clips)
                if (clip.startQ != (int) clips.size())
                    ++badBlobs;
        }
    });

    // Until the host has had a good many blobs, whenever its thread gets to run.
    const auto giveUp = juce::Time::getMillisecondCounter() + 20000;
    for (int i = 0; i < 2000 || (blobs < 100 && juce::Time::getMillisecondCounter() < giveUp); ++i)
    {
        const auto n = i % 20;
        p.getModel().perform ("Edit", [n] (ArrangementModel::Edit& edit) {
            std::vector<ClipData> clips ((size_t) n, ClipData { 1, n, 1, { { 60, 0, 960, 100 } } });
            edit.replaceClips (std::move (clips));
        });
    }

    done = true;
    host.join();
    EXPECT_EQ (badBlobs.load(), 0);
    EXPECT_GT (blobs.load(), 0);
}
