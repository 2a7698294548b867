#include "editor/ScoreComponent.h"

#include "model/IntRange.h"
#include "model/Palette.h"

ScoreComponent::ScoreComponent (int trackNumber, int start, int length)
{
    track = trackNumber;
    startQ = start;
    lengthQ = length;
    setInterceptsMouseClicks (true, false);
}

ScoreComponent::~ScoreComponent() = default;

void ScoreComponent::mouseDoubleClick (const juce::MouseEvent&)
{
    if (onDoubleClick != nullptr)
        onDoubleClick (this);
}

void ScoreComponent::paint (juce::Graphics& g)
{
    const auto width = getWidth();
    const auto height = getHeight();
    const auto body = juce::Rectangle<int> (0, 0, width, height).toFloat();

    g.setColour (Palette::clipBody);
    g.fillRoundedRectangle (body, 3.0f);
    g.setColour (Palette::clipOutline);
    g.drawRoundedRectangle (body, 3.0f, 1.5f);

    if (notes.empty())
    {
        g.setColour (juce::Colour (0x99ffffff));
        const auto w = juce::jmax (6, juce::jmax (0, width - 12) / 3);
        for (int y = 4; y <= 28; y += 8)
            g.fillRect (6, y, w, 4);
        return;
    }

    const auto iw = juce::jmax (0, width - 8);
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
    const auto rowHeight = static_cast<int> (juce::jmax<juce::int64> (2, ih / span));

    g.setColour (juce::Colour (0xb2ffffff));
    for (const auto& note : notes)
    {
        const auto x = 4 + IntRange::pixels (static_cast<float> (note.startTick) / clipTicks * static_cast<float> (iw));
        const auto rowPosition = static_cast<float> (note.pitch - lo) / static_cast<float> (span);
        const auto y = 6 + IntRange::pixels ((1.0f - rowPosition) * static_cast<float> (ih));
        const auto w = juce::jmax (2, IntRange::pixels (static_cast<float> (note.lengthTicks) / clipTicks * static_cast<float> (iw)));
        g.fillRect (x, y, w, rowHeight);
    }
}
