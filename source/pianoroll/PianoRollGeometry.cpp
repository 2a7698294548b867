#include "pianoroll/PianoRollGeometry.h"

#include "model/IntRange.h"

#include <cmath>

namespace
{
    /** Float to int, truncating toward zero, for values that may be far out of range. */
    juce::int64 truncate (float value) noexcept
    {
        if (! std::isfinite (value))
            return 0;

        return static_cast<juce::int64> (juce::jlimit (-1.0e15f, 1.0e15f, value));
    }
} // namespace

int PianoRollGeometry::xToTick (int x) const noexcept
{
    const auto width = scaledWidth();
    if (width <= 0.0f)
        return 0;

    auto t = truncate ((static_cast<float> (x - gridArea.getX()) + horizontalScroll) * clipTicks() / width);
    t = (t / tickResolution) * tickResolution;

    const auto lastTick = juce::int64 { scaleLengthQ() } * Arrangement::ticksPerQuarter - 1;
    return IntRange::saturate (t < 0 ? 0 : juce::jmin (t, lastTick));
}

int PianoRollGeometry::rowUnder (int y) const noexcept
{
    const auto height = rowHeight();
    if (height <= 0.0f)
        return -1;

    return static_cast<int> (juce::jlimit<juce::int64> (-1, numRows, truncate ((static_cast<float> (y - gridArea.getY()) + verticalScroll) / height)));
}

int PianoRollGeometry::pitchNearest (int y) const noexcept
{
    // Truncation toward zero puts a pointer less than a row above the grid in
    // the top row, like yToPitch.
    return highestPitch - juce::jlimit (0, numRows - 1, rowUnder (y));
}

juce::Range<juce::int64> PianoRollGeometry::quartersAcross (float left, float right) const noexcept
{
    const auto width = scaledWidth();
    const auto lengthQ = juce::int64 { scaleLengthQ() };
    if (width <= 0.0f)
        return { 0, 0 };

    const auto quarterAt = [&] (float x) { return truncate ((x - static_cast<float> (gridArea.getX()) + horizontalScroll) * static_cast<float> (lengthQ) / width); };

    // A quarter or two either way: the lines' own visibility test decides.
    const auto first = juce::jlimit<juce::int64> (0, lengthQ, quarterAt (left) - 2);
    const auto last = juce::jlimit<juce::int64> (0, lengthQ, quarterAt (right) + 2);
    return { first, juce::jmax (first, last) + 1 };
}

int PianoRollGeometry::yToPitch (int y) const noexcept
{
    const auto row = rowUnder (y);
    return 0 <= row && row < numRows ? highestPitch - row : -1;
}

bool PianoRollGeometry::hitsNote (const ClipNote& note, juce::Point<int> point) const noexcept
{
    if (! isDrawablePitch (note.pitch))
        return false;

    // As wide as it is painted: a note of no length still shows 2 pixels.
    const auto x = tickToX (note.startTick);
    const auto w = juce::jmax (2.0f, ticksToWidth (note.lengthTicks));
    const auto top = rowTop (note.pitch) + 2.0f;
    const auto px = static_cast<float> (point.x);
    const auto py = static_cast<float> (point.y);

    return x <= px && px < x + w && top <= py && py < top + rowHeight() - 4.0f;
}

bool PianoRollGeometry::hitsResizeZone (const ClipNote& note, juce::Point<int> point) const noexcept
{
    if (! isDrawablePitch (note.pitch))
        return false;

    const auto w = juce::jmax (2.0f, ticksToWidth (note.lengthTicks));
    const auto right = tickToX (note.startTick) + w;
    const auto zone = w * 15.0f / 100.0f;
    const auto top = rowTop (note.pitch);
    const auto px = static_cast<float> (point.x);
    const auto py = static_cast<float> (point.y);

    return right - zone <= px && px <= right && top <= py && py <= top + rowHeight();
}
