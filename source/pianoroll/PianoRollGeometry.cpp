#include "pianoroll/PianoRollGeometry.h"

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
    return static_cast<int> (t < 0 ? 0 : juce::jmin (t, lastTick));
}

int PianoRollGeometry::yToPitch (int y) const noexcept
{
    const auto height = rowHeight();
    if (height <= 0.0f)
        return -1;

    const auto row = truncate ((static_cast<float> (y - gridArea.getY()) + verticalScroll) / height);
    return 0 <= row && row < numRows ? highestPitch - static_cast<int> (row) : -1;
}

bool PianoRollGeometry::hitsNote (const ClipNote& note, juce::Point<int> point) const noexcept
{
    if (! isDrawablePitch (note.pitch))
        return false;

    const auto x = tickToX (note.startTick);
    const auto w = ticksToWidth (note.lengthTicks);
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
