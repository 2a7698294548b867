#include "model/SafeXml.h"
#include "model/StateDocument.h"
#include "plugin/CarvolinProcessor.h"
#include "support/ModelPrinters.h"

#include <gtest/gtest.h>

namespace
{
    std::unique_ptr<juce::XmlElement> parse (const std::string& text) { return SafeXml::parse (text); }

    /** The arrangement a document restores: tracks, instruments and clips. */
    struct Restored
    {
        int numTracks;
        std::array<int, Arrangement::maxTracks> instruments;
        std::vector<ClipData> clips;
        juce::String folder;

        bool operator== (const Restored& other) const
        {
            return numTracks == other.numTracks && instruments == other.instruments && clips == other.clips && folder == other.folder;
        }
    };

    Restored restored (const juce::XmlElement* document)
    {
        const auto arrangement = StateDocument::read (document);
        return { arrangement.numTracks, arrangement.instruments, StateDocument::readClips (document),
                 document != nullptr ? document->getStringAttribute (StateDocument::midiFolderAttribute) : juce::String() };
    }

    // What our own writer makes of one arrangement: the reference the others must restore to.
    const std::string plain = R"(<?xml version="1.0" encoding="UTF-8"?>)"
                              R"(<CarvolinState midiFolderPath="/music/a&amp;b" tracks="6">)"
                              R"(<Track number="2" instrument="7"/>)"
                              R"(<Clip track="1" startQ="0" lengthQ="4"><Note pitch="60" startTick="0" lengthTicks="960" velocity="100"/></Clip>)"
                              R"(<Clip track="2" startQ="8" lengthQ="4"><Note pitch="64" startTick="480" lengthTicks="240" velocity="90"/></Clip>)"
                              R"(</CarvolinState>)";
} // namespace

TEST (SafeXml, DocumentsFromOtherXmlWritersRestoreTheirArrangement)
{
    const auto expected = restored (parse (plain).get());
    ASSERT_EQ (expected.clips.size(), 2u);
    ASSERT_EQ (expected.numTracks, 6);
    ASSERT_EQ (expected.folder, "/music/a&b");

    const std::pair<const char*, std::string> cases[] = {
        { "a comment between two clips, and before and after the root",
          R"(<!-- a preset --><CarvolinState midiFolderPath="/music/a&amp;b" tracks="6"><Track number="2" instrument="7"/>)"
          R"(<Clip track="1" startQ="0" lengthQ="4"><Note pitch="60" startTick="0" lengthTicks="960" velocity="100"/></Clip>)"
          "<!-- the bass -->"
          R"(<Clip track="2" startQ="8" lengthQ="4"><!-- one note --><Note pitch="64" startTick="480" lengthTicks="240" velocity="90"/></Clip>)"
          "</CarvolinState><!-- end -->\n" },
        { "processing instructions",
          R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><?xml-stylesheet href="a.xsl"?><CarvolinState midiFolderPath="/music/a&amp;b" tracks="6">)"
          R"(<?app keep?><Track number="2" instrument="7"/><Clip track="1" startQ="0" lengthQ="4"><Note pitch="60" startTick="0" lengthTicks="960" velocity="100"/></Clip>)"
          R"(<Clip track="2" startQ="8" lengthQ="4"><Note pitch="64" startTick="480" lengthTicks="240" velocity="90"/><?app ?></Clip></CarvolinState>)" },
        { "CDATA and text",
          R"(<CarvolinState midiFolderPath="/music/a&amp;b" tracks="6"><![CDATA[ <Clip> is not a clip here ]]><Track number="2" instrument="7"/>)"
          R"(<Clip track="1" startQ="0" lengthQ="4">a sketch<Note pitch="60" startTick="0" lengthTicks="960" velocity="100"/></Clip>)"
          R"(<Clip track="2" startQ="8" lengthQ="4"><Note pitch="64" startTick="480" lengthTicks="240" velocity="90"><![CDATA[]]></Note></Clip></CarvolinState>)" },
        { "a DOCTYPE with an internal subset",
          "<?xml version='1.0'?>\n<!DOCTYPE CarvolinState SYSTEM \"carvolin.dtd\" [\n  <!ELEMENT CarvolinState (Track|Clip)*>\n"
          "  <!ATTLIST Clip track CDATA #IMPLIED>\n  <!-- notes > clips -->\n  <?pi x?>\n  <!NOTATION n PUBLIC 'x'>\n]>\n"
          R"(<CarvolinState midiFolderPath="/music/a&amp;b" tracks="6"><Track number="2" instrument="7"/>)"
          R"(<Clip track="1" startQ="0" lengthQ="4"><Note pitch="60" startTick="0" lengthTicks="960" velocity="100"/></Clip>)"
          R"(<Clip track="2" startQ="8" lengthQ="4"><Note pitch="64" startTick="480" lengthTicks="240" velocity="90"/></Clip></CarvolinState>)" },
        { "single quotes, white space, line breaks and character references",
          "\xef\xbb\xbf<?xml version='1.0' encoding='utf-8'?>\r\n<CarvolinState\r\n  midiFolderPath = '/music/a&#38;b'\n  tracks='&#x36;' >\n"
          "\t<Track number='2' instrument='7' />\n"
          "\t<Clip track='1' startQ='0' lengthQ='4'>\n\t\t<Note pitch='60' startTick='0' lengthTicks='960' velocity='100'/>\n\t</Clip>\n"
          "\t<Clip track='2' startQ='8' lengthQ='4'>\n\t\t<Note velocity='90' lengthTicks='240' startTick='480' pitch='64'/>\n\t</Clip >\n</CarvolinState >\n" },
        { "elements of other names, and attributes holding markup",
          R"(<CarvolinState midiFolderPath="/music/a&amp;b" tracks="6" app:version="2 > 1" xmlns:app="urn:x"><app:meta note="&lt;Clip/>"/>)"
          R"(<Track number="2" instrument="7"/><Clip track="1" startQ="0" lengthQ="4"><Note pitch="60" startTick="0" lengthTicks="960" velocity="100"/></Clip>)"
          R"(<Clip track="2" startQ="8" lengthQ="4"><Note pitch="64" startTick="480" lengthTicks="240" velocity="90"/></Clip></CarvolinState>)" },
    };

    for (const auto& [name, text] : cases)
    {
        const auto document = parse (text);
        ASSERT_NE (document, nullptr) << name;
        EXPECT_EQ (restored (document.get()), expected) << name;

        // As a host's blob too: the processor restores it and hands a document back.
        juce::MemoryOutputStream blob;
        blob.writeInt (0x21324356);
        blob.writeInt ((int) text.size());
        blob.write (text.data(), text.size());
        blob.writeByte (0);

        CarvolinProcessor processor;
        processor.setStateInformation (blob.getData(), (int) blob.getDataSize());
        const auto snapshot = processor.getModel().getSnapshot();
        EXPECT_EQ (snapshot->numTracks, 6) << name;
        EXPECT_EQ (snapshot->clips.size(), 2u) << name;
        EXPECT_EQ (processor.getMidiFolderPath(), "/music/a&b") << name;

        juce::MemoryBlock saved;
        processor.getStateInformation (saved);
        EXPECT_EQ (restored (juce::AudioProcessor::getXmlFromBinary (saved.getData(), (int) saved.getSize()).get()), expected) << name;
    }
}

TEST (SafeXml, RefusesWhatCannotBeReadSafelyOrIsNotXml)
{
    const auto deep = [] (int levels) { return std::string ("<CarvolinState>") + juce::String::repeatedString ("<a>", levels).toStdString(); };

    std::string manyNames = "<CarvolinState>";
    for (size_t i = 0; i <= SafeXml::maxDistinctNames; ++i)
        manyNames += "<n" + std::to_string (i) + "/>";
    manyNames += "</CarvolinState>";

    std::string manyAttributes = "<CarvolinState";
    for (int i = 0; i < 200000; ++i)
        manyAttributes += " a=\"1\"";
    manyAttributes += "/>";

    const std::pair<const char*, std::string> cases[] = {
        // Expanding declared entities grows a few bytes into gigabytes.
        { "entities declared", R"(<!DOCTYPE r [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]><r x="&b;"/>)" },
        { "a parameter entity", R"(<!DOCTYPE r [<!ENTITY % p "<!ENTITY a 'x'>"> %p;]><r/>)" },
        { "an entity no one declared", R"(<CarvolinState midiFolderPath="&folder;"/>)" },
        { "an entity name starting with '<'", R"(<a>&<e>&#x;>)" },
        { "nesting past the bound", deep (SafeXml::maxDepth + 1) + juce::String::repeatedString ("</a>", SafeXml::maxDepth + 1).toStdString() + "</CarvolinState>" },
        { "nesting a million deep", deep (1000000) },
        { "more names than the bound", manyNames },
        { "character references to 0, a surrogate, beyond Unicode", R"(<r a="&#0;"/>)" },
        { "a surrogate", R"(<r a="&#xD800;"/>)" },
        { "beyond Unicode", R"(<r a="&#x110000;"/>)" },
        { "a reference without ';'", R"(<r a="&#65"/>)" },
        { "a reference without digits", R"(<r a="&#;"/>)" },
        { "a comment cut off", "<r><!-- the bass" },
        { "CDATA cut off", "<r><![CDATA[ x" },
        { "a processing instruction cut off", "<r><?app" },
        { "a tag cut off", R"(<r><Clip track="1)" },
        { "an element never closed", "<r><Clip>" },
        { "'<' in a value", R"(<r a="<b>"/>)" },
        { "a value without quotes", "<r a=1/>" },
        { "attributes without space between them", R"(<r a="1"b="2"/>)" },
        { "text before the root", "text<r/>" },
        { "nothing", "" },
        { "white space only", " \n" },
        { "not UTF-8", "<r a=\"\xfc\"/>" },
        { "CDATA outside the root", "<![CDATA[x]]><r/>" },
        { "an end tag first", "</r>" },
    };

    for (const auto& [name, text] : cases)
        EXPECT_EQ (parse (text), nullptr) << name;

    // Costly only by their size: read, each attribute kept once.
    const auto attributes = parse (manyAttributes);
    ASSERT_NE (attributes, nullptr);
    EXPECT_EQ (attributes->getNumAttributes(), 1);
}

TEST (SafeXml, ReadsAsJuceReadsWhatJuceWrites)
{
    // Every character JUCE escapes, in attributes and text, and a tree of the
    // shapes JUCE writes: parsed back, the same document (JUCE's own parser
    // turns a line break "\r" in text into "\n").
    juce::XmlElement root ("Other");
    juce::String odd ("a&b<c>\"d'e\tf\ng\rh ");
    odd << juce::String::charToString (0xe9) << juce::String::charToString (0x1f3b9) << juce::String::charToString (0x1);
    root.setAttribute ("odd", odd);
    root.setAttribute ("number", -12);
    auto* child = root.createNewChildElement ("Child");
    child->addTextElement ("some " + odd);
    child->createNewChildElement ("Grandchild")->setAttribute ("x", "1");
    root.createNewChildElement ("Empty");

    for (const auto* text : { "", "\n" })
    {
        const auto written = root.toString (juce::XmlElement::TextFormat().singleLine()) + text;
        const auto read = parse (written.toStdString());
        ASSERT_NE (read, nullptr);
        EXPECT_TRUE (read->isEquivalentTo (&root, false)) << written;
        EXPECT_EQ (read->getStringAttribute ("odd"), juce::parseXML (written)->getStringAttribute ("odd"));
    }

    // What follows the root is not read, as JUCE's parser never read it; an
    // end tag closes the innermost element, whatever name it gives.
    EXPECT_NE (parse ("<r/><s/>trailing"), nullptr);
    EXPECT_NE (parse ("<r><a></b></r>"), nullptr);
}
