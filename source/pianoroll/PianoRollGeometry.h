#pragma once

#include "model/Arrangement.h"

#include <juce_graphics/juce_graphics.h>

//==============================================================================
/** The piano roll's mapping between ticks, pitches and pixels: 88 rows from
    pitch 108 at the top to pitch 21 at the bottom, and the clip's whole
    length across the grid at horizontal zoom 1. All positions are floats.
*/
struct PianoRollGeometry
{
    static constexpr int highestPitch = 108;
    static constexpr int lowestPitch = 21;
    static constexpr int numRows = highestPitch - lowestPitch + 1;
    static constexpr float baseRowHeight = 12.0f;
    static constexpr int tickResolution = 120; ///< pointer ticks are cut to 1/32 notes

    juce::Rectangle<int> gridArea;
    int clipLengthQ = 4;
    float verticalZoom = 1.0f;
    float horizontalZoom = 1.0f;
    float verticalScroll = 0.0f;
    float horizontalScroll = 0.0f;

    static bool isDrawablePitch (int pitch) noexcept { return lowestPitch <= pitch && pitch <= highestPitch; }

    /** The clip length the grid is scaled by: a clip without a positive length
        (only from a hand-edited saved state) is shown as one quarter.
    */
    int scaleLengthQ() const noexcept { return clipLengthQ > 0 ? clipLengthQ : 1; }

    float clipTicks() const noexcept { return static_cast<float> (juce::int64 { scaleLengthQ() } * Arrangement::ticksPerQuarter); }

    float rowHeight() const noexcept { return baseRowHeight * verticalZoom; }
    float contentHeight() const noexcept { return numRows * rowHeight(); }
    float scaledWidth() const noexcept { return static_cast<float> (gridArea.getWidth()) * horizontalZoom; }

    /** The top of the row of a pitch. */
    float rowTop (int pitch) const noexcept
    {
        return static_cast<float> (gridArea.getY()) + static_cast<float> (highestPitch - pitch) * rowHeight() - verticalScroll;
    }

    float tickToX (juce::int64 tick) const noexcept
    {
        return static_cast<float> (gridArea.getX()) + static_cast<float> (tick) * scaledWidth() / clipTicks() - horizontalScroll;
    }

    float quarterToX (juce::int64 quarter) const noexcept
    {
        return static_cast<float> (gridArea.getX()) + static_cast<float> (quarter) * scaledWidth() / static_cast<float> (scaleLengthQ()) - horizontalScroll;
    }

    /** The width of a span of ticks, without any minimum. */
    float ticksToWidth (juce::int64 ticks) const noexcept { return static_cast<float> (ticks) * scaledWidth() / clipTicks(); }

    /** The rectangle a note is painted in: at least 2 pixels wide. */
    juce::Rectangle<float> noteBounds (const ClipNote& note) const noexcept
    {
        return { tickToX (note.startTick), rowTop (note.pitch) + 2.0f,
                 juce::jmax (2.0f, ticksToWidth (note.lengthTicks)), rowHeight() - 4.0f };
    }

    /** The tick under x: cut to 1/32 notes, kept within the clip. */
    int xToTick (int x) const noexcept;

    /** The pitch of the row under y, or -1 outside the 88 rows. */
    int yToPitch (int y) const noexcept;

    /** The pitch of the row under y, or of the nearest row: 108 above the
        grid, 21 below it.
    */
    int pitchNearest (int y) const noexcept;

    /** The quarters of the clip whose lines may lie between x positions left
        and right: painting visits only these, however long the clip.
    */
    juce::Range<juce::int64> quartersAcross (float left, float right) const noexcept;

    /** True when the point lies in the note's rectangle as it is painted (at
        least 2 pixels wide). Notes outside 21..108 are never hit.
    */
    bool hitsNote (const ClipNote& note, juce::Point<int> point) const noexcept;

    /** True when the point lies on the note's resize zone: the right-hand 15 %
        of its painted width, across its whole row, both ends included.
    */
    bool hitsResizeZone (const ClipNote& note, juce::Point<int> point) const noexcept;

private:
    /** The row under y, counted from the top row: -1 above the grid, 88 below it. */
    int rowUnder (int y) const noexcept;
};
