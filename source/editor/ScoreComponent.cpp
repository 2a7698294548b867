#include "editor/ScoreComponent.h"

#include "ui/Palette.h"

#include <cmath>

namespace
{
    /** A float position truncated toward zero as a 64-bit value; far-out
        values are held to a range no screen reaches.
    */
    juce::int64 truncated (float value) noexcept
    {
        if (! std::isfinite (value))
            return 0;

        return static_cast<juce::int64> (juce::jlimit (-1.0e15f, 1.0e15f, value));
    }

    /** The part of [left, left + width) that can show in a component width
        pixels wide (with a margin, so that cut ends never show), as ints.
    */
    juce::Range<int> visibleSpan (juce::int64 left, juce::int64 width, int componentWidth) noexcept
    {
        constexpr juce::int64 margin = ArrangementGeometry::cutMargin;
        const auto start = juce::jlimit<juce::int64> (-margin, componentWidth + margin, left);
        const auto end = juce::jlimit<juce::int64> (-margin, componentWidth + margin, left + width);
        return { static_cast<int> (start), static_cast<int> (juce::jmax (start, end)) };
    }
} // namespace

ScoreComponent::ScoreComponent()
{
    // The view finds the clip under the pointer itself.
    setInterceptsMouseClicks (false, false);
}

ScoreComponent::~ScoreComponent() = default;

void ScoreComponent::show (ClipPtr newClip, int newLengthQ, const ArrangementGeometry::ClipExtent& newExtent, int areaWidth)
{
    // What it shows changed: painted again; where it is: JUCE repaints both places.
    if (newClip != clip || newLengthQ != lengthQ || newExtent.width != extent.width)
        repaint();

    clip = std::move (newClip);
    lengthQ = newLengthQ;
    extent = newExtent;
    setBounds (ArrangementGeometry::componentBounds (extent, areaWidth));
}

void ScoreComponent::paint (juce::Graphics& g)
{
    const auto width = getWidth();
    const auto height = getHeight();

    // The clip's whole width, and how much of it lies left of this component.
    const auto whole = getExtent();
    const auto fullWidth = whole.width;
    const auto hiddenLeft = getX() - whole.x;

    const auto body = visibleSpan (-hiddenLeft, fullWidth, width);
    const auto bodyRect = juce::Rectangle<int> (body.getStart(), 0, body.getLength(), height).toFloat();

    g.setColour (Palette::clipBody);
    g.fillRoundedRectangle (bodyRect, 3.0f);
    g.setColour (Palette::clipOutline);
    g.drawRoundedRectangle (bodyRect, 3.0f, 1.5f);

    static const std::vector<ClipNote> none;
    const auto& notes = clip != nullptr ? clip->data.notes : none;

    if (notes.empty())
    {
        g.setColour (juce::Colour (0x99ffffff));
        const auto w = juce::jmax<juce::int64> (6, juce::jmax<juce::int64> (0, fullWidth - 12) / 3);
        const auto bar = visibleSpan (6 - hiddenLeft, w, width);
        for (int y = 4; y <= 28; y += 8)
            g.fillRect (bar.getStart(), y, bar.getLength(), 4);
        return;
    }

    const auto iw = juce::jmax<juce::int64> (0, fullWidth - 8);
    const auto ih = juce::jmax (0, height - 12);

    // A clip without a positive length (only from a hand-edited saved state)
    // has no scale to draw its notes by.
    if (iw == 0 || ih == 0 || lengthQ <= 0)
        return;

    juce::int64 lo = 127;
    juce::int64 hi = 0;
    for (const auto& note : notes)
    {
        lo = juce::jmin (lo, juce::int64 { note.pitch });
        hi = juce::jmax (hi, juce::int64 { note.pitch });
    }

    const auto span = juce::jmax<juce::int64> (1, hi - lo + 1);
    const auto clipTicks = static_cast<float> (juce::int64 { lengthQ } * Arrangement::ticksPerQuarter);
    const auto innerWidth = static_cast<float> (iw);
    const auto rowHeight = static_cast<int> (juce::jmax<juce::int64> (2, ih / span));

    // Only the notes in the area being painted.
    g.setColour (juce::Colour (0xb2ffffff));
    for (const auto& note : notes)
    {
        const auto x = 4 + truncated (static_cast<float> (note.startTick) / clipTicks * innerWidth);
        const auto w = juce::jmax<juce::int64> (2, truncated (static_cast<float> (note.lengthTicks) / clipTicks * innerWidth));
        const auto shown = visibleSpan (x - hiddenLeft, w, width);
        if (shown.isEmpty())
            continue;

        const auto rowPosition = static_cast<float> (note.pitch - lo) / static_cast<float> (span);
        const auto y = 6 + static_cast<int> (juce::jlimit<juce::int64> (-1000000, 1000000, truncated ((1.0f - rowPosition) * static_cast<float> (ih))));
        const juce::Rectangle<int> row (shown.getStart(), y, shown.getLength(), rowHeight);
        if (g.clipRegionIntersects (row))
            g.fillRect (row);
    }
}
