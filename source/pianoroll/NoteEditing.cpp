#include "pianoroll/NoteEditing.h"

#include "model/IntRange.h"

#include <algorithm>
#include <limits>

namespace NoteEditing
{
    int drawnStart (int snappedTick, juce::int64 clipEndTick, int step) noexcept
    {
        if (snappedTick < clipEndTick || step <= 0)
            return snappedTick;

        return IntRange::saturate ((clipEndTick - 1) / step * step);
    }

    std::optional<std::vector<ClipNote>> moved (const std::vector<ClipNote>& notes, juce::int64 tickOffset, int pitchOffset)
    {
        auto result = notes;
        for (auto& note : result)
        {
            const auto pitch = juce::int64 { note.pitch } + pitchOffset;
            const auto start = juce::int64 { note.startTick } + tickOffset;
            if (pitch < lowestPitch || pitch > highestPitch || start < 0 || start > std::numeric_limits<int>::max())
                return std::nullopt;

            note.pitch = static_cast<int> (pitch);
            note.startTick = static_cast<int> (start);
        }

        return result;
    }

    int resizedLength (const ClipNote& note, int pointerTick, int step, juce::int64 clipEndTick, const std::function<int (int)>& snap)
    {
        // 64 bits: a restored note may start anywhere, a clip be of any length.
        const auto d = snap (IntRange::saturate (juce::int64 { pointerTick } - note.startTick));
        return IntRange::saturate (juce::jmin<juce::int64> (juce::jmax (step, d), clipEndTick - note.startTick));
    }

    int lengthChangedBy (const ClipNote& note, juce::int64 lengthChange, int step, juce::int64 clipEndTick) noexcept
    {
        const auto length = juce::int64 { note.lengthTicks } + lengthChange;
        return IntRange::saturate (juce::jmin<juce::int64> (juce::jmax<juce::int64> (step, length), clipEndTick - note.startTick));
    }

    std::vector<ClipNote> placed (const std::vector<ClipNote>& notes, juce::int64 tick, juce::int64 clipEndTick)
    {
        if (notes.empty())
            return {};

        auto first = std::numeric_limits<juce::int64>::max();
        for (const auto& note : notes)
            first = juce::jmin (first, juce::int64 { note.startTick });

        std::vector<ClipNote> result;
        for (auto note : notes)
        {
            const auto start = juce::int64 { note.startTick } - first + tick;
            if (start < 0 || start >= clipEndTick)
                continue;

            note.startTick = IntRange::saturate (start);
            result.push_back (note);
        }

        return result;
    }

    juce::int64 endOf (const std::vector<ClipNote>& notes) noexcept
    {
        juce::int64 end = 0;
        for (const auto& note : notes)
            end = juce::jmax (end, juce::int64 { note.startTick } + juce::jmax (0, note.lengthTicks));
        return end;
    }

    juce::Rectangle<float> velocityBar (float x, int velocity, juce::Rectangle<int> lane) noexcept
    {
        const auto fullHeight = static_cast<float> (juce::jmax (0, lane.getHeight() - 2 * barMargin));
        const auto height = fullHeight * static_cast<float> (juce::jlimit (1, 127, velocity)) / 127.0f;
        const auto bottom = static_cast<float> (lane.getBottom() - barMargin);
        return { x, bottom - height, static_cast<float> (barWidth), height };
    }

    int velocityAt (int y, juce::Rectangle<int> lane) noexcept
    {
        const auto fullHeight = juce::jmax (1, lane.getHeight() - 2 * barMargin);
        const auto fromBottom = lane.getBottom() - barMargin - y;
        return juce::jlimit (1, 127, juce::roundToInt (127.0 * fromBottom / fullHeight));
    }

    int velocityChangedBy (int velocity, int change) noexcept
    {
        return static_cast<int> (juce::jlimit<juce::int64> (1, 127, juce::int64 { velocity } + change));
    }
} // namespace NoteEditing
