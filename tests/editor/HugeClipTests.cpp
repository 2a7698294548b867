#include "support/EditorTestAccess.h"
#include "support/MidiBytes.h"

#include "model/StateDocument.h"

#include <gtest/gtest.h>

#include <limits>

// Clips far longer than the timeline, from a MIDI file or a hand-edited state:
// the editor paints them, and their piano roll opens and paints, without
// overflowing JUCE's integer geometry or looping over every quarter.

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    constexpr int intMax = std::numeric_limits<int>::max();
    constexpr int intMin = std::numeric_limits<int>::min();

    const juce::Colour laneColour { 0xff474747 };

    /** The editor painted, then each clip's piano roll opened, painted and closed. */
    void paintEverything (CarvolinEditor& e)
    {
        snapshot (e);

        for (const auto& clip : e.getModel().getSnapshot()->clips)
        {
            e.openPianoRoll (clip->id);
            snapshot (*e.getPianoRoll());
            e.getPianoRoll()->close();
        }
    }

    struct FileFixture : EditorFixture
    {
        FileFixture()
        {
            editor->getDialogs().showMessage = [] (auto, auto&, auto&) {};
            file = MidiBytes::writeTemp (MidiBytes::hugeNoteFile(), "huge.mid");
        }

        ~FileFixture() { file.deleteFile(); }

        juce::File file;
    };
} // namespace

TEST (HugeClips, ALoadedFileOfTwoBillionQuartersPaintsAndOpens)
{
    FileFixture f;
    auto& e = *f.editor;
    e.getFiles().loadMidiFromFile (f.file);

    ASSERT_EQ (Access::clips (e).size(), 1u);
    auto& clip = *Access::clips (e)[0];
    const auto id = clip.getClip()->id;
    ASSERT_EQ (Access::clipData (e, id).lengthQ, intMax);

    // The component covers the lanes, not two billion quarters of pixels.
    EXPECT_LE (clip.getRight(), 880 + ArrangementGeometry::cutMargin + 1);
    EXPECT_EQ (clip.getExtent().getRight(), (juce::int64 { intMax } * 880) / 128);

    // The body shows across the whole lane, with the note's bar over it.
    const auto image = snapshot (e);
    const auto body = laneColour.overlaidWith (juce::Colour (0x5900bfff));
    EXPECT_TRUE (near (image.getPixelAt (700, 150), body, 4));
    EXPECT_TRUE (near (image.getPixelAt (1085, 150), body, 4));

    // Scrolled and zoomed, it still paints.
    for (int i = 0; i < 31; ++i)
        Access::zoomInButton (e).triggerClick();
    pumpMessages (100);
    Access::scrollBar (e).setCurrentRangeStart (1.0e9);
    pumpMessages (50);
    snapshot (e);

    // Its piano roll opens over a grid of two billion quarters, paints, and
    // a note resized there keeps a length within the range of int.
    Pointer { lanes (e) }.doubleClick (215, 150);
    auto* roll = e.getPianoRoll();
    ASSERT_NE (roll, nullptr);
    EXPECT_NE (roll->getTitle().indexOf ("2147483647 quarters"), -1) << roll->getTitle();
    snapshot (*roll);

    roll->setTool (NoteTool::Resize);
    Pointer { *roll }.dragFromTo (1098, 50 + (108 - 60) * 12 + 6, 1099, 50 + (108 - 60) * 12 + 6);
    roll->close();
    ASSERT_EQ (Access::clipData (e, id).notes.size(), 1u);
    EXPECT_GT (Access::clipData (e, id).notes[0].lengthTicks, 0);
}

TEST (HugeClips, ADroppedFileIsCutToTheTimelineButKeepsItsNote)
{
    FileFixture f;
    auto& e = *f.editor;
    lanes (e).fileDragEnter ({ f.file.getFullPathName() }, 300, 150);
    lanes (e).fileDragMove ({ f.file.getFullPathName() }, 300, 150);
    lanes (e).filesDropped ({ f.file.getFullPathName() }, 300, 150);

    ASSERT_EQ (Access::modelClips (e).size(), 1u);
    const auto clip = Access::modelClips (e)[0];
    EXPECT_EQ (clip.startQ, 13);
    EXPECT_EQ (clip.lengthQ, 132 - 13);
    EXPECT_EQ (clip.notes, (std::vector<ClipNote> { { 60, 0, intMax, 100 } }));

    paintEverything (e);
    EXPECT_EQ (Access::modelClips (e)[0].notes, (std::vector<ClipNote> { { 60, 0, intMax, 100 } }));
}

TEST (HugeClips, AHandEditedStateOfExtremeClipsPaintsAndOpens)
{
    CarvolinProcessor processor;
    const std::vector<ClipData> clips {
        { 1, 0, intMax, { { 60, 0, intMax, 100 }, { 61, intMax, intMax, 100 } } },
        { 2, intMin, intMax, { { 62, intMin, intMax, 0 } } },
        { 3, intMax, intMax, {} },
        { 4, intMin, 1, { { 64, 0, 960, 100 } } },
        { 4, -1000000, 2000000, { { 65, 0, 960, 100 } } },
        { 0, 100, intMin, { { 66, 0, 960, 100 } } },
    };
    std::vector<const ClipData*> pointers;
    for (const auto& c : clips)
        pointers.push_back (&c);
    processor.setSavedState (StateDocument::writeClips ({}, pointers));

    std::unique_ptr<CarvolinEditor> editor (static_cast<CarvolinEditor*> (processor.createEditor()));
    ASSERT_EQ (Access::clips (*editor).size(), clips.size());
    for (const auto& clip : Access::clips (*editor))
    {
        EXPECT_GE (clip->getX(), -ArrangementGeometry::maxComponentReach);
        EXPECT_LE (clip->getRight(), 880 + ArrangementGeometry::maxComponentReach);
    }

    paintEverything (*editor);

    // A clip starting a million quarters left of the timeline and reaching
    // past its end covers the fourth lane.
    const auto image = snapshot (*editor);
    const auto body = laneColour.overlaidWith (juce::Colour (0x5900bfff));
    EXPECT_TRUE (near (image.getPixelAt (700, 130 + 150 + 20), body, 4));
}
