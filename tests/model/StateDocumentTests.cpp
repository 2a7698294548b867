#include "support/EditorTestAccess.h"

#include "model/SafeXml.h"
#include "model/StateBlob.h"
#include "model/StateDocument.h"

#include <gtest/gtest.h>

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    std::unique_ptr<juce::XmlElement> parse (const char* xml) { return juce::parseXML (juce::String (xml)); }

    /** An editor built on a processor holding the given document. */
    struct RestoredEditor
    {
        explicit RestoredEditor (const char* xml)
        {
            processor.setSavedState (juce::parseXML (juce::String (xml)));
            editor.reset (static_cast<CarvolinEditor*> (processor.createEditor()));
        }

        CarvolinProcessor processor;
        std::unique_ptr<CarvolinEditor> editor;
    };
} // namespace

//==============================================================================
TEST (StateDocument, ReadsIntegersLeniently)
{
    struct Case
    {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        { "12", 12 },
        { "12abc", 12 },
        { "  -7", -7 },
        { "\t+5", 5 },
        { "abc", 0 },
        { "", 0 },
        { "-", 0 },
        { "1 2", 1 },
        { "2147483647", 2147483647 },
        { "2147483648", 2147483647 },
        { "99999999999999999999999", 2147483647 },
        { "-2147483648", std::numeric_limits<int>::min() },
        { "-99999999999999999999999", std::numeric_limits<int>::min() },
    };

    for (const auto& c : cases)
        EXPECT_EQ (StateDocument::parseLenientInt (c.text), c.expected) << '"' << c.text << '"';
}

TEST (StateDocument, AcceptsOnlyWellFormedUtf8)
{
    struct Case
    {
        std::vector<int> bytes;
        bool valid;
    };
    const Case cases[] = {
        { { 'a', 'b' }, true },
        { {}, true },
        { { 0xc3, 0xa9 }, true },              // é
        { { 0xe2, 0x82, 0xac }, true },        // €
        { { 0xf0, 0x9f, 0x8e, 0xb9 }, true },  // a musical keyboard
        { { 'a', 0xfc }, false },              // a lead byte promising five more at the end
        { { 0xe2, 0x82 }, false },             // truncated
        { { 0x80 }, false },                   // a lone continuation byte
        { { 0xc0, 0xaf }, false },             // overlong
        { { 0xed, 0xa0, 0x80 }, false },       // a surrogate
        { { 0xf4, 0x90, 0x80, 0x80 }, false }, // beyond U+10FFFF
    };

    for (const auto& c : cases)
    {
        std::vector<juce::uint8> bytes (c.bytes.begin(), c.bytes.end());
        EXPECT_EQ (SafeXml::isValidUtf8 (bytes.data(), bytes.size()), c.valid) << bytes.size() << " bytes";
    }
}

TEST (StateDocument, FuzzFindingsAreHandledAsTheirTargetsFedThem)
{
    // Every input a fuzz target once crashed on, through the path that target
    // feeds: whole blobs to the processor (an editor is then built and painted
    // on them), document text to the state document parser.
    struct Case
    {
        const char* file;
        bool stored;
        size_t clips;
    };

    const Case cases[] = {
        { "StateBlob/invalid-utf8-at-end.bin", false, 0 },
        { "StateBlob/nested-declaration-hang.bin", false, 0 },
        { "StateBlob/nested-entity-read-past-end.bin", false, 0 },
        { "StateBlob/unterminated-entity-at-end.bin", false, 0 },
        { "StateDocument/clip-far-before-tick-0.xml", true, 1 },
        { "StateDocument/invalid-utf8-at-end.xml", false, 0 },
        { "StateDocument/nested-declaration-hang.xml", false, 0 },
        { "StateDocument/nested-entity-read-past-end.xml", false, 0 },
        { "StateDocument/unterminated-entity-at-end.xml", false, 0 },
    };

    const auto folder = juce::File (__FILE__).getParentDirectory().getSiblingFile ("fuzz").getChildFile ("regressions");
    for (const auto& c : cases)
    {
        juce::MemoryBlock data;
        ASSERT_TRUE (folder.getChildFile (c.file).loadFileAsData (data)) << c.file;

        if (juce::String (c.file).startsWith ("StateBlob/"))
        {
            CarvolinProcessor processor;
            processor.setStateInformation (data.getData(), (int) data.getSize());
            std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
            const auto image = snapshot (*editor);

            EXPECT_EQ (processor.getSavedState() != nullptr, c.stored) << c.file;
            EXPECT_EQ (StateDocument::readClips (processor.getSavedState().get()).size(), c.clips) << c.file;
        }
        else
        {
            const auto document = StateBlob::parseText (static_cast<const char*> (data.getData()), data.getSize());
            EXPECT_EQ (document != nullptr, c.stored) << c.file;
            EXPECT_EQ (StateDocument::readClips (document.get()).size(), c.clips) << c.file;
        }
    }

    // Every kept input of the state targets is in the table (the playback
    // target's are run by the fuzz runs and by the stuck-note tests' rows).
    const auto kept = folder.getChildFile ("StateBlob").findChildFiles (juce::File::findFiles, true).size()
        + folder.getChildFile ("StateDocument").findChildFiles (juce::File::findFiles, true).size();
    EXPECT_EQ (kept, (int) std::size (cases));
}

TEST (StateDocument, AbsentAttributesTakeTheirDefaults)
{
    const auto clips = StateDocument::readClips (parse ("<CarvolinState><Clip><Note/></Clip></CarvolinState>").get());
    ASSERT_EQ (clips.size(), 1u);
    EXPECT_EQ (clips[0].track, 0);
    EXPECT_EQ (clips[0].startQ, 0);
    EXPECT_EQ (clips[0].lengthQ, 4);
    EXPECT_EQ (clips[0].notes, (std::vector<ClipNote> { { 60, 0, 960, 100 } }));
}

TEST (StateDocument, TagCaseRulesAndUnclampedValues)
{
    const auto clips = StateDocument::readClips (parse (R"(<CarvolinState>
            <clip track="40" startQ="12abc" lengthQ="-3"><NOTE pitch="12" startTick="99999" lengthTicks="0" velocity="300"/><Other/></clip>
            <Something track="2"/>
            <CLIP track="1" startQ="0" lengthQ="8"/>
            <Clip track="1" startQ="4" lengthQ="8"/>
        </CarvolinState>)")
                                                     .get());

    ASSERT_EQ (clips.size(), 3u);
    EXPECT_EQ (clips[0].track, 40);
    EXPECT_EQ (clips[0].startQ, 12);
    EXPECT_EQ (clips[0].lengthQ, -3);
    EXPECT_EQ (clips[0].notes, (std::vector<ClipNote> { { 12, 99999, 0, 300 } }));
    EXPECT_TRUE (clips[1].notes.empty());
    EXPECT_EQ (clips[2].startQ, 4) << "overlapping clips are both kept";

    EXPECT_TRUE (StateDocument::readClips (parse (R"(<carvolinstate><Clip/></carvolinstate>)").get()).empty());
    EXPECT_TRUE (StateDocument::readClips (nullptr).empty());
}

TEST (StateDocument, WritesElementsAndAttributesInOrder)
{
    const ClipData first { 2, 8, 4, { { 60, 0, 960, 100 }, { -1, 5, 7, 200 } } };
    const ClipData second { 1, 0, 4, {} };
    auto root = StateDocument::writeClips ("/music & more", { &first, &second });

    EXPECT_EQ (root->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader()),
               R"(<CarvolinState midiFolderPath="/music &amp; more"><Clip track="2" startQ="8" lengthQ="4">)"
               R"(<Note pitch="60" startTick="0" lengthTicks="960" velocity="100"/>)"
               R"(<Note pitch="-1" startTick="5" lengthTicks="7" velocity="200"/></Clip>)"
               R"(<Clip track="1" startQ="0" lengthQ="4"/></CarvolinState>)");

    EXPECT_FALSE (StateDocument::writeClips ({}, {})->hasAttribute ("midiFolderPath"));
}

//==============================================================================
TEST (EditorState, RestoresClipsAsTheyAreAndLaysThemOut)
{
    RestoredEditor r (R"(<CarvolinState><Clip/><Clip track="40" startQ="4" lengthQ="4"><Note startTick="99999"/></Clip></CarvolinState>)");
    const auto clips = Access::clips (*r.editor);

    ASSERT_EQ (clips.size(), 2u);
    EXPECT_EQ (clips[0]->getBounds(), juce::Rectangle<int> (0, 6, 27, 38)) << "track 0 in lane 1";
    // A clip beyond the tracks brings them up to 16; track 40 shows in the last lane.
    EXPECT_EQ (Access::tracks (*r.editor).size(), 16u);
    EXPECT_EQ (clips[1]->getY(), 50 * 15 + 6) << "track 40 in the last lane";
    EXPECT_EQ (clips[1]->getClip()->data.notes.front().startTick, 99999);
}

TEST (EditorState, AnotherRootRestoresNothing)
{
    RestoredEditor r (R"(<carvolinState><Clip/></carvolinState>)");
    EXPECT_TRUE (Access::clips (*r.editor).empty());
}

TEST (EditorState, WriteThenRestoreKeepsClipsAndNotesInOrder)
{
    CarvolinProcessor processor;
    std::vector<ClipData> written {
        { 3, 20, 4, { { 70, 0, 240, 90 }, { 60, 480, 240, 100 }, { 12, 10, 1, 1 } } },
        { 1, 0, 8, {} },
        { 2, 4, 2, { { 64, 960, 960, 127 } } },
    };

    {
        std::unique_ptr<CarvolinEditor> editor (static_cast<CarvolinEditor*> (processor.createEditor()));
        for (const auto& c : written)
            Access::addClip (*editor, c.track, c.startQ, c.lengthQ, c.notes);
    } // closing the editor writes the document

    auto document = processor.getSavedState();
    ASSERT_NE (document, nullptr);
    EXPECT_EQ (document->getNumChildElements(), 3);
    const auto* firstNote = document->getChildElement (0)->getFirstChildElement();
    ASSERT_NE (firstNote, nullptr);
    EXPECT_EQ (firstNote->getTagName(), "Note");
    EXPECT_EQ (firstNote->getIntAttribute ("pitch"), 70) << "the first clip's notes in their order";
    EXPECT_EQ (document->getChildElement (1)->getNumChildElements(), 0) << "an empty clip is an empty element";

    // The folder of our own module travels with the document.
    const auto moduleFolder = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getParentDirectory();
    EXPECT_EQ (document->getStringAttribute ("midiFolderPath"), moduleFolder.getFullPathName());
    EXPECT_EQ (processor.getMidiFolderPath(), moduleFolder.getFullPathName());

    std::unique_ptr<CarvolinEditor> reopened (static_cast<CarvolinEditor*> (processor.createEditor()));
    const auto clips = Access::clips (*reopened);
    ASSERT_EQ (clips.size(), written.size());
    for (size_t i = 0; i < written.size(); ++i)
        EXPECT_EQ (clips[i]->getClip()->data, written[i]);

    // Tracks, tool and zoom are not saved.
    EXPECT_EQ (Access::tracks (*reopened).size(), 4u);
    EXPECT_EQ (lanes (*reopened).getView().visibleBars, 32);
}

TEST (EditorState, TheHostGetsEveryCompletedEditWithoutClosingTheEditor)
{
    EditorFixture f;
    auto& e = *f.editor;
    Pointer pointer { lanes (e) };

    const auto hostSees = [&f] {
        juce::MemoryBlock blob;
        f.processor.getStateInformation (blob);
        return StateDocument::readClips (juce::AudioProcessor::getXmlFromBinary (blob.getData(), (int) blob.getSize()).get());
    };

    // Draw a clip in the second lane.
    lanes (e).setTool (EditTool::Draw);
    pointer.dragFromTo (210 + 56, 205, 210 + 83, 205);
    ASSERT_EQ (hostSees().size(), 1u);
    EXPECT_EQ (hostSees()[0].startQ, 8);

    // Move it.
    lanes (e).setTool (EditTool::Select);
    pointer.dragFromTo (210 + 57, 205, 210 + 57 + 55, 255);
    EXPECT_EQ (hostSees()[0].track, 3);
    EXPECT_EQ (hostSees()[0].startQ, 16);

    // Resize it.
    lanes (e).setTool (EditTool::Resize);
    const auto right = Access::componentOf (e, Access::selected (e))->getRight() + 210;
    pointer.dragFromTo (right - 1, 255, right + 30, 255);
    EXPECT_GT (hostSees()[0].lengthQ, 4);

    // Draw a note in the piano roll: the host has it before "X".
    lanes (e).setTool (EditTool::Select);
    pointer.doubleClick (210 + 115, 255);
    ASSERT_NE (e.getPianoRoll(), nullptr);
    Pointer { *e.getPianoRoll() }.click (61, 176);
    EXPECT_EQ (hostSees()[0].notes.size(), 1u);
    e.getPianoRoll()->close();
    EXPECT_EQ (hostSees()[0].notes.size(), 1u);

    // Delete it.
    ASSERT_TRUE (e.keyPressed (juce::KeyPress (juce::KeyPress::deleteKey)));
    EXPECT_TRUE (hostSees().empty());
}

TEST (EditorState, AMissingFolderIsNotWritten)
{
    CarvolinProcessor processor;
    processor.setMidiFolderPath ("/no/such/folder");
    auto doc = StateDocument::writeClips ("/no/such/folder", {});
    processor.setSavedState (std::move (doc));

    std::unique_ptr<CarvolinEditor> editor (static_cast<CarvolinEditor*> (processor.createEditor()));
    editor->writeStateToProcessor();
    // The editor fell back to its module's folder, which exists.
    const auto moduleFolder = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getParentDirectory();
    EXPECT_EQ (processor.getSavedState()->getStringAttribute ("midiFolderPath"), moduleFolder.getFullPathName());
}
