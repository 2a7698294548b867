#include "editor/ArrangementEditing.h"
#include "editor/ArrangementGeometry.h"
#include "model/Quantize.h"

#include <gtest/gtest.h>

#include <limits>

// The arithmetic the arrangement's layout, painting and gestures share, at the
// extremes of zoom (1 and 33 bars), scroll, width (0 and the widest window) and
// of the values a hand-edited state can hold.

namespace
{
    namespace geo = ArrangementGeometry;
    namespace edit = ArrangementEditing;

    constexpr int intMax = std::numeric_limits<int>::max();
    constexpr int intMin = std::numeric_limits<int>::min();

    const edit::Snap sixteenths = [] (int ticks) { return Quantize::snapToGrid (ticks, 240); };

    geo::View view (int width, int bars, int scroll = 0) { return { width, bars, scroll }; }
} // namespace

TEST (ArrangementGeometry, QuarterAndPixelMapping)
{
    struct Case
    {
        geo::View view;
        juce::int64 q;
        int x;
    };

    const Case cases[] = {
        { view (880, 32), 1, 6 },     // 880 / 128 = 6.875, truncated
        { view (880, 32), 132, 907 }, // the timeline reaches past the lanes
        { view (880, 33), 132, 880 }, // all 33 bars fill the lanes exactly
        { view (1780, 1), 1, 445 },   // widest window, one bar in view
        { view (1780, 1), 132, 58740 },
        { view (880, 32, 100), 0, -100 }, // scrolled
        { view (880, 32, 100), 16, 10 },
        { view (0, 32), 100, 0 },           // no lanes to show
        { view (1780, 1), intMax, intMax }, // positions beyond int saturate
        { view (1780, 1), intMin, intMin },
        { view (880, 32, intMin), 0, intMax },
    };

    for (const auto& c : cases)
        EXPECT_EQ (geo::quarterToX (c.q, c.view), c.x) << "q " << c.q << ", W " << c.view.areaWidth << ", bars " << c.view.visibleBars << ", scroll " << c.view.scrollOffset;

    struct Back
    {
        geo::View view;
        int editorX;
        int q;
    };

    const Back backs[] = {
        { view (880, 32), 210, 0 },
        { view (880, 32), 216, 0 }, // quarter 1 starts at x 6.875
        { view (880, 32), 217, 1 },
        { view (880, 32), 200, -1 }, // left of the lanes, truncated toward zero
        { view (880, 32), 1089, 127 },
        { view (880, 1, 28160), 210, 128 }, // scrolled to the end at one bar
        { view (0, 32), 500, 0 },
        { view (580, 33), intMax, 488737609 },
        { view (580, 33, intMax), intMax, 977475267 },
        { view (580, 33, intMin), intMin, -977475363 },
    };

    for (const auto& b : backs)
        EXPECT_EQ (geo::xToQuarter (b.editorX, b.view), b.q) << "x " << b.editorX << ", W " << b.view.areaWidth << ", bars " << b.view.visibleBars;
}

TEST (ArrangementGeometry, SpansTileWithoutGaps)
{
    for (const auto& v : { view (880, 32), view (580, 33), view (1780, 1), view (997, 7, 313) })
        for (int q = 0; q < 132; ++q)
            EXPECT_EQ (geo::spanWidth (q, 1, v) + geo::spanWidth (q + 1, 3, v), geo::spanWidth (q, 4, v)) << q;

    EXPECT_EQ (geo::spanWidth (0, 4, view (880, 32)), 27);
    EXPECT_EQ (geo::spanWidth (5, 0, view (880, 32)), 0);
    EXPECT_EQ (geo::spanWidth (0, 4, view (0, 32)), 0);
    EXPECT_EQ (geo::spanWidth (0, intMax, view (1780, 1)), intMax);
    EXPECT_EQ (geo::spanWidth (intMax, intMax, view (1780, 1)), 0) << "both ends saturate";
}

TEST (ArrangementGeometry, LanesAndClipBounds)
{
    EXPECT_EQ (geo::laneAtY (130), 0);
    EXPECT_EQ (geo::laneAtY (179), 0);
    EXPECT_EQ (geo::laneAtY (180), 1);
    EXPECT_EQ (geo::laneAtY (100), 0) << "truncated toward zero";
    EXPECT_EQ (geo::laneAtY (79), -1);

    struct Case
    {
        int track, numTracks, lane;
    };
    for (const auto& c : { Case { 1, 4, 0 }, Case { 4, 4, 3 }, Case { 0, 4, 0 }, Case { intMin, 4, 0 }, Case { 40, 4, 3 }, Case { intMax, 16, 15 }, Case { 3, 1, 0 } })
        EXPECT_EQ (geo::laneForTrack (c.track, c.numTracks), c.lane) << c.track;

    EXPECT_EQ (geo::clipBounds (2, 8, 4, 4, view (880, 32)), juce::Rectangle<int> (55, 56, 27, 38));
    EXPECT_EQ (geo::clipBounds (1, 5, 0, 4, view (880, 32)).getWidth(), 1) << "at least a pixel wide";
    EXPECT_EQ (geo::clipBounds (1, 5, -3, 4, view (880, 32)).getWidth(), 1);
}

TEST (ArrangementEditing, MovedStartStaysOnTheTimeline)
{
    struct Case
    {
        int nx, lengthQ;
        geo::View view;
        int start;
    };

    const Case cases[] = {
        { 0, 4, view (880, 32), 0 },
        { 27, 4, view (880, 32), 3 },
        { -500, 4, view (880, 32), 0 },
        { 880, 4, view (880, 32), 128 }, // the end stops at quarter 132
        { 5000, 1, view (880, 32), 131 },
        { 20, 200, view (880, 32), 0 },      // longer than the timeline: from 0
        { 0, 4, view (880, 1, 28160), 128 }, // scrolled to the end at one bar
        { 219, 1, view (880, 1), 0 },
        { 220, 1, view (880, 1), 1 },
        { 100, 4, view (0, 32), 0 }, // no lanes
        { intMax, 4, view (580, 33, intMax), 128 },
        { intMin, 4, view (580, 33, intMin), 0 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (edit::movedStart (c.nx, c.lengthQ, c.view, sixteenths), c.start) << "nx " << c.nx << ", length " << c.lengthQ;

    EXPECT_EQ (edit::movedLane (-1, 4), 0);
    EXPECT_EQ (edit::movedLane (149, 4), 2);
    EXPECT_EQ (edit::movedLane (intMax, 4), 3);
    EXPECT_EQ (edit::movedLane (intMin, 16), 0);
}

TEST (ArrangementEditing, DrawnLengthRunsFromTheStartToThePointer)
{
    struct Case
    {
        int editorX, startQ;
        geo::View view;
        int length;
    };

    const Case cases[] = {
        { 210 + 83, 8, view (880, 32), 4 },
        { 210 + 56, 8, view (880, 32), 1 }, // the start's own quarter
        { 0, 8, view (880, 32), 1 },        // left of the start
        { 2000, 128, view (880, 33), 4 },   // right of the lanes: the timeline's end
        { 2000, 131, view (880, 33), 1 },
        { 2000, 0, view (880, 1, 28160), 132 },
        { 500, 0, view (0, 32), 1 }, // no lanes
        { intMax, 0, view (1780, 1, intMax), 132 },
        { intMin, 0, view (1780, 1, intMin), 1 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (edit::drawnLength (c.editorX, c.startQ, c.view, sixteenths), c.length) << "x " << c.editorX << ", start " << c.startQ;

    const auto freeUpTo = [] (int limit) { return [limit] (int len) { return len <= limit; }; };
    EXPECT_EQ (edit::longestFreeLength (5, freeUpTo (3)), 3);
    EXPECT_EQ (edit::longestFreeLength (5, freeUpTo (5)), 5);
    EXPECT_EQ (edit::longestFreeLength (5, freeUpTo (0)), 5) << "nothing free: the length stays";
    EXPECT_EQ (edit::longestFreeLength (1, freeUpTo (0)), 1);
}

TEST (ArrangementEditing, ResizedLengthFollowsThePointerAndPanReachesTheEnd)
{
    struct Resize
    {
        int localX, startQ;
        geo::View view;
        int length;
    };

    const Resize resizes[] = {
        { 27, 0, view (880, 32), 3 }, // x 27 lies in quarter 3 (20.6..27.5)
        { 28, 0, view (880, 32), 4 },
        { 400, 40, view (880, 32), 18 }, // far from the start the edge still follows the pointer
        { 0, 0, view (880, 32), 1 },
        { -50, 8, view (880, 32), 1 },
        { 5000, 128, view (880, 32), 1 }, // the pointer counts at the lanes' edge, quarter 128
        { 5000, 128, view (880, 33), 4 }, // ends with the timeline
        { 5000, 200, view (880, 32), 1 }, // a clip beyond the timeline keeps one quarter
        { intMax, 0, view (1780, 1, intMax), 132 },
    };

    for (const auto& r : resizes)
        EXPECT_EQ (edit::resizedLength (r.localX, r.startQ, r.view, sixteenths), r.length) << "x " << r.localX << ", start " << r.startQ;

    struct Pan
    {
        int scroll, dx, editorWidth;
        geo::View view;
        int offset;
    };

    const Pan pans[] = {
        { 0, -100, 1100, view (880, 32), 27 },       // quarter 132 lies at x 907
        { 0, -100, 1100, view (880, 33), 0 },        // everything fits: nothing to pan
        { 0, 100, 1100, view (880, 1), 0 },          // the start of the timeline
        { 0, -100, 1100, view (880, 1), 100 },       // pointer left: later bars come into view
        { 28100, -100, 1100, view (880, 1), 28160 }, // the end of the scroll range
        { 0, -1000, 210, view (0, 32), 528 },        // no lanes: ppq 4 of a 100-pixel width
        { 0, intMin + 1, 2000, view (1780, 1), 56960 },
    };

    for (const auto& p : pans)
        EXPECT_EQ (edit::pannedOffset (p.scroll, p.dx, p.editorWidth, p.view), p.offset) << "scroll " << p.scroll << ", dx " << p.dx;
}
