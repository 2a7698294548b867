#include "support/EditorTestAccess.h"

#include "model/Quantize.h"

#include <gtest/gtest.h>

using Access = CarvolinEditorTestAccess;
using TestHelpers::EditorFixture;
using TestHelpers::lanes;

namespace
{
    using R = juce::Rectangle<int>;
}

//==============================================================================
TEST (EditorLayout, NewEditorPlacesEverything)
{
    EditorFixture f;
    auto& e = *f.editor;

    EXPECT_EQ (e.getWidth(), 1100);
    EXPECT_EQ (e.getHeight(), 600);
    EXPECT_EQ (lanes (e).getArrangementArea(), R (210, 130, 880, 200));
    EXPECT_EQ (Access::clipContainer (e).getBounds(), R (210, 130, 880, 200));

    EXPECT_EQ (Access::addTrackButton (e).getBounds(), R (10, 15, 90, 30));
    EXPECT_EQ (Access::removeTrackButton (e).getBounds(), R (110, 15, 90, 30));
    EXPECT_EQ (Access::selectToolButton (e).getBounds(), R (220, 80, 70, 30));
    EXPECT_EQ (Access::drawToolButton (e).getBounds(), R (305, 80, 70, 30));
    EXPECT_EQ (Access::dragToolButton (e).getBounds(), R (390, 80, 70, 30));
    EXPECT_EQ (Access::resizeToolButton (e).getBounds(), R (475, 80, 70, 30));
    EXPECT_EQ (Access::deleteButton (e).getBounds(), R (560, 80, 70, 30));
    EXPECT_EQ (Access::quantizeLabel (e).getBounds(), R (660, 80, 25, 30));
    EXPECT_EQ (Access::quantizeBox (e).getBounds(), R (690, 80, 85, 30));
    EXPECT_EQ (Access::zoomOutButton (e).getBounds(), R (750, 10, 30, 30));
    EXPECT_EQ (Access::zoomInButton (e).getBounds(), R (790, 10, 30, 30));
    EXPECT_EQ (Access::saveMidiButton (e).getBounds(), R (830, 10, 100, 30));
    EXPECT_EQ (Access::loadMidiButton (e).getBounds(), R (940, 10, 100, 30));

    // The range ends where quarter 132 is drawn, (132 * 880) / 128 = 907, so the
    // last bar can be scrolled into view; a step is ppq = max(4, 880 / 128) = 6.
    auto& bar = Access::scrollBar (e);
    EXPECT_EQ (bar.getBounds(), R (210, 330, 880, 15));
    EXPECT_FALSE (bar.isVertical());
    EXPECT_EQ (bar.getMaximumRangeLimit(), 907.0);
    EXPECT_EQ (bar.getCurrentRangeStart(), 0.0);
    EXPECT_EQ (bar.getCurrentRangeSize(), 880.0);
    EXPECT_EQ (bar.getSingleStepSize(), 6.0);
    EXPECT_TRUE (bar.isVisible());

    const auto tracks = Access::tracks (e);
    ASSERT_EQ (tracks.size(), 4u);
    for (int i = 0; i < 4; ++i)
    {
        auto& t = *tracks[(size_t) i];
        EXPECT_EQ (t.getBounds(), R (10, 130 + 50 * i, 180, 50));
        EXPECT_EQ (t.getTrackNumber(), i + 1);
        EXPECT_EQ (t.nameLabel.getText(), "Ch " + juce::String (i + 1));
        EXPECT_EQ (t.instrumentBox.getText(), "Piano");
        EXPECT_EQ (t.instrumentBox.getNumItems(), 24);
        EXPECT_EQ (t.nameLabel.getBounds(), R (0, 0, 60, 20));
        EXPECT_EQ (t.instrumentBox.getBounds(), R (0, 22, 180, 20));
        EXPECT_EQ (t.getParentComponent(), &e);
    }

    EXPECT_EQ (Access::quantizeBox (e).getText(), "1/16");
    EXPECT_EQ (Quantize::ticksForItemId (Access::quantizeBox (e).getSelectedId()), 240);
    EXPECT_EQ (lanes (e).getTool(), EditTool::Select);
    EXPECT_TRUE (Access::selectToolButton (e).getToggleState());
}

TEST (EditorLayout, ControlsHaveTheirColours)
{
    EditorFixture f;
    auto& e = *f.editor;

    EXPECT_EQ (Access::addTrackButton (e).findColour (juce::TextButton::buttonColourId), juce::Colour (0xff2f4f4f));
    EXPECT_EQ (Access::drawToolButton (e).findColour (juce::TextButton::buttonOnColourId), juce::Colour (0xff20b2aa));
    EXPECT_EQ (Access::deleteButton (e).findColour (juce::TextButton::buttonColourId), juce::Colour (0xff8b0000));
    EXPECT_EQ (Access::saveMidiButton (e).findColour (juce::TextButton::buttonColourId), juce::Colour (0xffff8c00));
    EXPECT_EQ (Access::loadMidiButton (e).findColour (juce::TextButton::textColourOffId), juce::Colours::white);
    EXPECT_EQ (Access::quantizeLabel (e).findColour (juce::Label::textColourId), juce::Colours::white);

    auto& box = Access::tracks (e).front()->instrumentBox;
    EXPECT_EQ (box.findColour (juce::ComboBox::backgroundColourId), juce::Colour (0xff0f1a1f));
    EXPECT_EQ (box.getTextWhenNothingSelected(), "Select instrument");
}

TEST (EditorLayout, NarrowWindowStacksTheFileCommands)
{
    EditorFixture f;
    auto& e = *f.editor;
    e.setSize (560, 600);

    EXPECT_EQ (Access::saveMidiButton (e).getBounds(), R (290, 10, 90, 30));
    EXPECT_EQ (Access::loadMidiButton (e).getBounds(), R (290, 45, 90, 30));
    EXPECT_EQ (lanes (e).getArrangementArea(), R (210, 130, 340, 200));

    e.setSize (570, 600);
    EXPECT_EQ (Access::loadMidiButton (e).getBounds(), R (410, 10, 100, 30));
}

TEST (EditorLayout, SixteenTracksGrowTheEditor)
{
    EditorFixture f;
    auto& e = *f.editor;

    for (int i = 0; i < 20; ++i)
        TestHelpers::click (Access::addTrackButton (e));

    ASSERT_EQ (Access::tracks (e).size(), 16u);
    EXPECT_GE (e.getHeight(), 960);
    EXPECT_EQ (lanes (e).getArrangementArea(), R (210, 130, 880, 800));
    EXPECT_EQ (Access::tracks (e)[4]->getBounds(), R (10, 330, 180, 50));
    EXPECT_EQ (Access::tracks (e)[15]->nameLabel.getText(), "Ch 16");
    EXPECT_EQ (Access::scrollBar (e).getBounds(), R (210, 930, 880, 15));
}

TEST (EditorLayout, RemovingTracksStopsAtOneAndNewTracksStartOnPiano)
{
    EditorFixture f;
    auto& e = *f.editor;
    const auto tracks = [&e] { return Access::tracks (e); };

    tracks()[3]->instrumentBox.setSelectedId (22); // "Organo"
    TestHelpers::click (Access::removeTrackButton (e));
    ASSERT_EQ (tracks().size(), 3u);
    EXPECT_EQ (tracks().back()->nameLabel.getText(), "Ch 3");

    TestHelpers::click (Access::addTrackButton (e));
    ASSERT_EQ (tracks().size(), 4u);
    EXPECT_EQ (tracks().back()->nameLabel.getText(), "Ch 4");
    EXPECT_EQ (tracks().back()->instrumentBox.getText(), "Piano");

    for (int i = 0; i < 6; ++i)
        TestHelpers::click (Access::removeTrackButton (e));
    EXPECT_EQ (tracks().size(), 1u);
    EXPECT_EQ (lanes (e).getArrangementArea(), R (210, 130, 880, 50));
}

TEST (EditorLayout, ClipsOfMissingTracksShowInTheEdgeLanes)
{
    EditorFixture f;
    auto& e = *f.editor;
    TestHelpers::click (Access::addTrackButton (e));

    const auto onFive = Access::addClip (e, 5, 0, 4);
    const auto onZero = Access::addClip (e, 0, 4, 4);
    const auto onForty = Access::addClip (e, 40, 8, 4);
    const auto empty = Access::addClip (e, 1, 12, 0);
    const auto bounds = [&e] (ClipId id) { return Access::componentOf (e, id)->getBounds(); };

    EXPECT_EQ (bounds (onFive), R (0, 206, 27, 38));
    EXPECT_EQ (bounds (onZero), R (27, 6, 28, 38));
    EXPECT_EQ (bounds (onForty).getY(), 206);
    EXPECT_EQ (bounds (empty).getWidth(), 1); // a zero-length clip is still one pixel wide

    TestHelpers::click (Access::removeTrackButton (e));
    EXPECT_EQ (Access::clipData (e, onFive).track, 5);
    EXPECT_EQ (bounds (onFive).getY(), 156);

    TestHelpers::click (Access::addTrackButton (e));
    EXPECT_EQ (bounds (onFive).getY(), 206);
}

//==============================================================================
TEST (EditorZoom, ButtonsKeepVisibleBarsWithinOneToThirtyThree)
{
    EditorFixture f;
    auto& e = *f.editor;

    TestHelpers::click (Access::zoomOutButton (e));
    EXPECT_EQ (lanes (e).getView().visibleBars, 33);
    TestHelpers::click (Access::zoomOutButton (e));
    EXPECT_EQ (lanes (e).getView().visibleBars, 33);

    for (int i = 0; i < 40; ++i)
        Access::zoomInButton (e).triggerClick();
    TestHelpers::pumpMessages (100);
    EXPECT_EQ (lanes (e).getView().visibleBars, 1);

    // At one bar, ppq = 880 / 4 = 220 and the range is 29040 pixels.
    EXPECT_EQ (Access::scrollBar (e).getMaximumRangeLimit(), 220.0 * 132);
    EXPECT_EQ (Access::scrollBar (e).getCurrentRangeSize(), 880.0);
}

TEST (EditorZoom, ZoomingOutWhileScrolledPullsTheOffsetBack)
{
    EditorFixture f;
    auto& e = *f.editor;

    for (int i = 0; i < 28; ++i)
        lanes (e).setTool (EditTool::Select), Access::zoomInButton (e).triggerClick();
    TestHelpers::pumpMessages (100);
    ASSERT_EQ (lanes (e).getView().visibleBars, 4);

    auto& bar = Access::scrollBar (e);
    bar.setCurrentRangeStart (bar.getMaximumRangeLimit()); // scrolled to the far right
    TestHelpers::pumpMessages();
    const auto farRight = lanes (e).getView().scrollOffset;
    EXPECT_GT (farRight, 0);

    TestHelpers::click (Access::zoomOutButton (e));
    TestHelpers::pumpMessages();
    EXPECT_LT (lanes (e).getView().scrollOffset, farRight);
    EXPECT_EQ (lanes (e).getView().scrollOffset + (int) bar.getCurrentRangeSize(), (int) bar.getMaximumRangeLimit());
}

//==============================================================================
TEST (EditorTools, ExactlyOneToolButtonIsOn)
{
    EditorFixture f;
    auto& e = *f.editor;

    struct Case
    {
        juce::TextButton& button;
        EditTool tool;
    };
    const Case cases[] = {
        { Access::drawToolButton (e), EditTool::Draw },
        { Access::dragToolButton (e), EditTool::Drag },
        { Access::resizeToolButton (e), EditTool::Resize },
        { Access::selectToolButton (e), EditTool::Select },
        { Access::selectToolButton (e), EditTool::Select }, // clicking the tool already on keeps it on
    };

    for (const auto& c : cases)
    {
        TestHelpers::click (c.button);
        EXPECT_EQ (lanes (e).getTool(), c.tool);
        EXPECT_EQ (Access::selectToolButton (e).getToggleState(), c.tool == EditTool::Select);
        EXPECT_EQ (Access::drawToolButton (e).getToggleState(), c.tool == EditTool::Draw);
        EXPECT_EQ (Access::dragToolButton (e).getToggleState(), c.tool == EditTool::Drag);
        EXPECT_EQ (Access::resizeToolButton (e).getToggleState(), c.tool == EditTool::Resize);
    }
}

//==============================================================================
TEST (Quantize, SnapsToTheNearestStepWithTiesGoingUp)
{
    struct Case
    {
        int ticks, step, expected;
    };
    const Case cases[] = {
        { 0, 240, 0 },
        { 119, 240, 0 },
        { 120, 240, 240 },
        { 359, 240, 240 },
        { 960, 960, 960 },
        { 1439, 960, 960 },
        { 1440, 960, 1920 },
        { 200, 160, 160 }, // 1/16T
        { 240, 160, 320 },
        { 960, 640, 1280 }, // 1/4T: an odd quarter goes up by a third...
        { 320, 320, 320 },
        { -119, 240, 0 }, // negative ticks: truncating remainder
        { -121, 240, 0 },
        { -360, 240, -240 },
        { -361, 240, -240 },
        { -600, 240, -480 },
        { std::numeric_limits<int>::max(), 240, std::numeric_limits<int>::max() - std::numeric_limits<int>::max() % 240 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (Quantize::snapToGrid (c.ticks, c.step), c.expected) << c.ticks << " by " << c.step;

    // ...but whole quarters always come back to the same quarter.
    for (const auto& step : Quantize::steps)
        for (int q = 0; q < 132; ++q)
            EXPECT_EQ (Quantize::snapToGrid (q * 960, step.ticks) / 960, q) << step.text;
}

TEST (Quantize, EditorStepFollowsTheBox)
{
    EditorFixture f;
    auto& e = *f.editor;
    auto& box = Access::quantizeBox (e);

    const int expected[] = { 960, 480, 240, 120, 640, 320, 160 };
    ASSERT_EQ (box.getNumItems(), 7);
    for (int id = 1; id <= 7; ++id)
    {
        box.setSelectedId (id);
        EXPECT_EQ (Quantize::ticksForItemId (box.getSelectedId()), expected[id - 1]);
        EXPECT_EQ (box.getItemText (id - 1), Quantize::steps[(size_t) id - 1].text);
    }

    box.setSelectedId (0);
    EXPECT_EQ (Quantize::ticksForItemId (box.getSelectedId()), 240);
    EXPECT_EQ (Quantize::snapToGrid (120, Quantize::ticksForItemId (box.getSelectedId())), 240);
}

//==============================================================================
TEST (EditorFolder, DefaultsToTheModuleFolderUnlessTheStateNamesAnother)
{
    {
        EditorFixture f;
        EXPECT_EQ (f.editor->getMidiFolder(),
                   juce::File::getSpecialLocation (juce::File::currentExecutableFile).getParentDirectory());
    }

    const auto temp = juce::File::getSpecialLocation (juce::File::tempDirectory);
    for (const auto& [path, expected] : { std::pair<juce::String, juce::File> { temp.getFullPathName(), temp },
                                          { "/no/such/folder", juce::File::getSpecialLocation (juce::File::currentExecutableFile).getParentDirectory() } })
    {
        CarvolinProcessor p;
        p.setMidiFolderPath (path);
        std::unique_ptr<CarvolinEditor> editor (static_cast<CarvolinEditor*> (p.createEditor()));
        EXPECT_EQ (editor->getMidiFolder(), expected) << path;
    }
}
