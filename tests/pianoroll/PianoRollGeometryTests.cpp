#include "pianoroll/PianoRollGeometry.h"

#include <gtest/gtest.h>

// The piano roll's tick and pitch mapping under zoom and scroll, on the grid of
// a 1100 x 600 window: (60, 50, 1040, 550).

namespace
{
    PianoRollGeometry grid (int clipLengthQ, float horizontalZoom = 1.0f, float horizontalScroll = 0.0f,
                            float verticalZoom = 1.0f, float verticalScroll = 0.0f, int gridWidth = 1040)
    {
        PianoRollGeometry g;
        g.gridArea = { 60, 50, gridWidth, 550 };
        g.clipLengthQ = clipLengthQ;
        g.horizontalZoom = horizontalZoom;
        g.horizontalScroll = horizontalScroll;
        g.verticalZoom = verticalZoom;
        g.verticalScroll = verticalScroll;
        return g;
    }
} // namespace

TEST (PianoRollGeometry, TickUnderThePointer)
{
    struct Case
    {
        const char* name;
        PianoRollGeometry geometry;
        int x, tick;
    };

    const Case cases[] = {
        { "grid's left edge", grid (4), 60, 0 },
        { "left of the grid", grid (4), 0, 0 },
        { "cut to 1/32 notes", grid (4), 60 + 136, 480 },
        { "right edge: the clip's last tick", grid (4), 1100, 3839 },
        { "zoomed out: the clip ends mid-grid", grid (4, 0.5f), 60 + 260, 1920 },
        { "zoomed out, beyond the clip", grid (4, 0.5f), 60 + 600, 3839 },
        { "zoomed in fully, scrolled to the end", grid (4, 5.0f, 4160.0f), 60, 3000 },
        { "zoomed in fully, scrolled to the end, right edge", grid (4, 5.0f, 4160.0f), 1100, 3839 },
        { "a long clip", grid (132, 1.0f), 60 + 520, 63360 },
        { "a grid of no width", grid (4, 1.0f, 0.0f, 1.0f, 0.0f, 0), 500, 0 },
        { "a clip without length shows one quarter", grid (0), 1100, 959 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (c.geometry.xToTick (c.x), c.tick) << c.name;
}

TEST (PianoRollGeometry, PitchUnderThePointer)
{
    struct Case
    {
        const char* name;
        PianoRollGeometry geometry;
        int y, pitch;
    };

    const Case cases[] = {
        { "top row", grid (4), 50, 108 },
        { "less than a row above the grid still truncates to the top row", grid (4), 39, 108 },
        { "a row above the grid", grid (4), 38, -1 },
        { "bottom row", grid (4), 50 + 12 * 88 - 1, 21 },
        { "below the rows", grid (4), 50 + 12 * 88, -1 },
        { "tallest rows", grid (4, 1.0f, 0.0f, 3.0f), 50 + 36, 107 },
        { "shortest rows, bottom", grid (4, 1.0f, 0.0f, 0.5f), 50 + 6 * 87, 21 },
        { "shortest rows, below", grid (4, 1.0f, 0.0f, 0.5f), 50 + 6 * 88, -1 },
        { "scrolled to the bottom", grid (4, 1.0f, 0.0f, 1.0f, 506.0f), 50, 66 },
        { "scrolled to the bottom, last row", grid (4, 1.0f, 0.0f, 1.0f, 506.0f), 599, 21 },
        { "tallest rows scrolled to the bottom", grid (4, 1.0f, 0.0f, 3.0f, 2618.0f), 599, 21 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (c.geometry.yToPitch (c.y), c.pitch) << c.name;
}

TEST (PianoRollGeometry, NoteRectanglesFollowZoomAndScroll)
{
    const ClipNote note { 96, 960, 960, 100 };

    EXPECT_EQ (grid (4).noteBounds (note), juce::Rectangle<float> (320.0f, 196.0f, 260.0f, 8.0f));
    EXPECT_EQ (grid (4, 2.0f, 520.0f).noteBounds (note), juce::Rectangle<float> (60.0f, 196.0f, 520.0f, 8.0f));
    EXPECT_EQ (grid (4, 1.0f, 0.0f, 3.0f, 100.0f).noteBounds (note), juce::Rectangle<float> (320.0f, 384.0f, 260.0f, 32.0f));
    EXPECT_EQ (grid (4).noteBounds ({ 96, 0, 0, 100 }).getWidth(), 2.0f) << "painted at least 2 pixels wide";
}
