#include "support/EditorTestAccess.h"

#include "editor/ArrangementPainter.h"

#include <gtest/gtest.h>

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    const juce::Colour laneBackground { 0xff474747 };
    const juce::Colour windowBackground { 0xff555555 };

    /** True when some pixel of the rectangle differs from the background. */
    bool hasInk (const juce::Image& image, juce::Rectangle<int> r, juce::Colour background)
    {
        for (int y = r.getY(); y < r.getBottom(); ++y)
            for (int x = r.getX(); x < r.getRight(); ++x)
                if (! near (image.getPixelAt (x, y), background, 1))
                    return true;
        return false;
    }
} // namespace

//==============================================================================
TEST (ArrangementPaint, BarAndBeatLinesOfANewEditor)
{
    EditorFixture f;
    const auto image = snapshot (*f.editor);
    const auto barColour = over (laneBackground, 0x59ffffff);
    const auto beatColour = over (laneBackground, 0x1affffff);
    const int y = 150; // inside lane 0, away from the lane separators

    for (const int x : { 237, 238, 265, 266 })
        EXPECT_TRUE (near (image.getPixelAt (x, y), barColour)) << "bar line at x = " << x;

    EXPECT_TRUE (near (image.getPixelAt (236, y), laneBackground));
    EXPECT_TRUE (near (image.getPixelAt (239, y), laneBackground));

    // Beat lines fall at 210 + (220 * m) / 32 for quarter m.
    for (const int m : { 1, 2, 3, 5 })
        EXPECT_TRUE (near (image.getPixelAt (210 + (220 * m) / 32, y), beatColour)) << "beat " << m;
    EXPECT_TRUE (near (image.getPixelAt (217, y), laneBackground));

    // The lane separators: the outer ones brighter than the inner ones.
    EXPECT_TRUE (near (image.getPixelAt (300, 180), over (laneBackground, 0x1fffffff)));
    const auto outline = over (laneBackground, 0xccffffff);
    EXPECT_TRUE (near (image.getPixelAt (1089, 150), outline));
    EXPECT_TRUE (near (image.getPixelAt (1088, 150), outline));
    EXPECT_FALSE (near (image.getPixelAt (1087, 150), outline));
}

TEST (ArrangementPaint, OnlyEvenBarNumbersAboveEightBars)
{
    EditorFixture f;
    auto& e = *f.editor;

    // At zoom 32 bar 1 starts at x = 237 and bar 2 at 265: bar 1's number would
    // stand at 241, left of bar 2's at 269.
    auto image = snapshot (e);
    EXPECT_TRUE (hasInk (image, { 214, 112, 20, 16 }, windowBackground)) << "bar 0";
    EXPECT_FALSE (hasInk (image, { 241, 112, 26, 16 }, windowBackground)) << "bar 1";
    EXPECT_TRUE (hasInk (image, { 269, 112, 20, 16 }, windowBackground)) << "bar 2";

    for (int i = 0; i < 24; ++i)
        Access::zoomInButton (e).triggerClick();
    pumpMessages (100);
    ASSERT_EQ (lanes (e).getView().visibleBars, 8);

    // At zoom 8 every bar is numbered: bar 1 at 210 + 110.
    image = snapshot (e);
    EXPECT_TRUE (hasInk (image, { 324, 112, 20, 16 }, windowBackground)) << "bar 1 at zoom 8";
}

TEST (ArrangementPaint, HeaderBoxAndColumn)
{
    EditorFixture f;
    const auto image = snapshot (*f.editor);
    EXPECT_TRUE (near (image.getPixelAt (150, 5), juce::Colour (0xff303030)));
    EXPECT_TRUE (near (image.getPixelAt (195, 140), juce::Colour (0xff1a1a1a)));
    EXPECT_TRUE (near (image.getPixelAt (200, 500), over (windowBackground, 0x80000000)));
    EXPECT_TRUE (hasInk (image, { 10, 10, 80, 25 }, juce::Colour (0xff303030))) << "the Tracks title";
}

TEST (ArrangementPaint, SelectedClipGetsAYellowBand)
{
    EditorFixture f;
    auto& e = *f.editor;
    const auto clip = Access::addClip (e, 2, 8, 8);
    Access::select (e, clip);

    const auto image = snapshot (e);
    const auto b = Access::componentOf (e, clip)->getBounds() + lanes (e).getArrangementArea().getPosition();
    ASSERT_EQ (b, juce::Rectangle<int> (265, 186, 55, 38));

    const auto isYellowish = [] (juce::Colour c) { return c.getRed() > 150 && c.getGreen() > 150 && c.getBlue() < 120; };
    EXPECT_TRUE (isYellowish (image.getPixelAt (b.getX() - 2, b.getCentreY())));
    EXPECT_TRUE (isYellowish (image.getPixelAt (b.getX() - 1, b.getCentreY())));
    EXPECT_TRUE (isYellowish (image.getPixelAt (b.getRight() + 1, b.getCentreY())));
    EXPECT_TRUE (isYellowish (image.getPixelAt (b.getCentreX(), b.getY() - 2)));
    EXPECT_FALSE (isYellowish (image.getPixelAt (b.getX() - 3, b.getCentreY())));
    EXPECT_FALSE (isYellowish (image.getPixelAt (b.getCentreX(), b.getCentreY())));
}

TEST (ArrangementPaint, DropPreviewAtLaneTwoQuarterNine)
{
    EditorFixture f;
    auto& e = *f.editor;

    lanes (e).fileDragEnter ({ "/tmp/song.mid" }, 275, 240);
    const auto image = snapshot (e);

    // (210 + 61, 130 + 106, 89 - 61, 38)
    const juce::Rectangle<int> expected (271, 236, 28, 38);
    const auto edge = juce::Colour (0xffadd8e6);
    EXPECT_TRUE (near (image.getPixelAt (271, 262), edge));
    EXPECT_TRUE (near (image.getPixelAt (298, 262), edge));
    EXPECT_TRUE (near (image.getPixelAt (285, 273), edge));
    EXPECT_FALSE (near (image.getPixelAt (270, 262), edge));
    EXPECT_FALSE (near (image.getPixelAt (299, 262), edge));
    EXPECT_FALSE (near (image.getPixelAt (285, 274), edge));
    EXPECT_TRUE (hasInk (image, expected.withHeight (20).reduced (3), over (laneBackground, 0x4cadd8e6))) << "the caption";

    lanes (e).fileDragExit ({ "/tmp/song.mid" });
    EXPECT_FALSE (near (snapshot (e).getPixelAt (271, 262), edge));
}

TEST (ArrangementPaint, DropPreviewCaption)
{
    EXPECT_EQ (ArrangementPainter::dropPreviewText (0, 9), "Track 1, Bar 2.2");
    EXPECT_EQ (ArrangementPainter::dropPreviewText (0, 0), "Track 1, Bar 0.1");
    EXPECT_EQ (ArrangementPainter::dropPreviewText (15, 131), "Track 16, Bar 32.4");
}

//==============================================================================
namespace
{
    /** A clip's component alone, width x height, painted over the lanes' colour. */
    juce::Image paintClip (const ClipData& data, int width, int height = 38)
    {
        ScoreComponent clip;
        clip.show (std::make_shared<const Clip> (Clip { 1, data }), data.lengthQ, { 0, 0, width, height }, width);
        juce::Image image (juce::Image::ARGB, width, height, true);
        {
            juce::Graphics g (image);
            g.fillAll (laneBackground);
            clip.paintEntireComponent (g, true);
        }
        return image;
    }

    const juce::Colour clipBody = laneBackground.overlaidWith (juce::Colour (0x5900bfff));
} // namespace

TEST (ClipPaint, EmptyClipShowsFourPlaceholderBars)
{
    struct Case
    {
        int width, barWidth;
    };

    for (const auto& c : { Case { 30, 6 }, Case { 120, 36 } })
    {
        const auto image = paintClip ({ 1, 0, 4, {} }, c.width);
        const auto bar = clipBody.overlaidWith (juce::Colour (0x99ffffff));

        for (const int top : { 4, 12, 20, 28 })
        {
            EXPECT_TRUE (near (image.getPixelAt (6, top), bar)) << c.width << " top " << top;
            EXPECT_TRUE (near (image.getPixelAt (5 + c.barWidth, top + 3), bar)) << c.width << " top " << top;
            EXPECT_TRUE (near (image.getPixelAt (6 + c.barWidth, top + 1), clipBody)) << c.width << " top " << top;
            EXPECT_TRUE (near (image.getPixelAt (10, top + 4), clipBody)) << c.width << " gap below " << top;
        }
    }
}

TEST (ClipPaint, MiniatureRowsFollowPitchAndTime)
{
    // width 112: iw = 104, ih = 26; pitches 60..71 give span 12 and rows 2 high.
    const auto image = paintClip ({ 1, 0, 4, { { 71, 0, 960, 100 }, { 60, 1920, 960, 100 } } }, 112);
    const auto ink = clipBody.overlaidWith (juce::Colour (0xb2ffffff));

    // Pitch 71 at y = 6 + trunc((1 - 11/12) * 26) = 8, x from 4, 26 wide.
    EXPECT_TRUE (near (image.getPixelAt (4, 8), ink));
    EXPECT_TRUE (near (image.getPixelAt (29, 9), ink));
    EXPECT_FALSE (near (image.getPixelAt (30, 8), ink));
    EXPECT_FALSE (near (image.getPixelAt (10, 7), ink));
    EXPECT_FALSE (near (image.getPixelAt (10, 10), ink));

    // Pitch 60 at y = 6 + 26 = 32, starting half-way: x = 4 + 52.
    EXPECT_TRUE (near (image.getPixelAt (56, 32), ink));
    EXPECT_TRUE (near (image.getPixelAt (81, 33), ink));
    EXPECT_FALSE (near (image.getPixelAt (55, 32), ink));
}

TEST (ClipPaint, ClipsWithoutAScaleDrawOnlyTheirBody)
{
    // Lengths of 0 or less come only from hand-edited state; tiny clips have no room.
    struct Case
    {
        int lengthQ, width, height;
    };

    for (const auto& c : { Case { 0, 100, 38 }, Case { -3, 100, 38 }, Case { 4, 8, 38 }, Case { 4, 100, 12 } })
    {
        const ClipData clip { 1, 0, c.lengthQ, { { 60, 0, 960, 100 }, { std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), 0 } } };
        const auto image = paintClip (clip, c.width, c.height);
        const auto ink = clipBody.overlaidWith (juce::Colour (0xb2ffffff));

        for (int y = 2; y < c.height - 2; ++y)
            for (int x = 2; x < c.width - 2; ++x)
                ASSERT_FALSE (near (image.getPixelAt (x, y), ink, 1)) << c.lengthQ << " " << c.width << "x" << c.height;
    }
}

TEST (ClipPaint, ExtremeNoteValuesDrawWithoutOverflow)
{
    const ClipData clip { 1, 0, 1, { { std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), 0 }, { std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), 0, 0 }, { 60, 0, 0, 100 } } };
    const auto image = paintClip (clip, 100);

    // Pitches span the whole int range, so the ordinary note sits half-way
    // down the inner box (y = 6 + 26 / 2) at the clip's start, 2 pixels wide.
    const auto ink = clipBody.overlaidWith (juce::Colour (0xb2ffffff));
    EXPECT_TRUE (hasInk (image, { 4, 18, 2, 3 }, clipBody));
    EXPECT_TRUE (near (image.getPixelAt (4, 19), ink, 6));
    EXPECT_FALSE (hasInk (image, { 8, 8, 80, 24 }, clipBody)) << "the notes out of range draw nothing inside the box";
}
