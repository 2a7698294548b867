#include "model/Scales.h"

namespace Scales
{
    int indexOf (const juce::String& id) noexcept
    {
        for (size_t i = 0; i < all.size(); ++i)
            if (id == all[i].id)
                return (int) i;
        return -1;
    }

    bool isValid (int scale, int root) noexcept
    {
        return scale >= 0 && scale < (int) all.size() && root >= 0 && root < 12;
    }

    bool contains (int scale, int root, int pitch) noexcept
    {
        if (! isValid (scale, root))
            return true;

        const auto degree = ((pitch - root) % 12 + 12) % 12;
        return all[(size_t) scale].degrees[(size_t) degree];
    }

    int snap (int scale, int root, int pitch, int lowest, int highest) noexcept
    {
        pitch = juce::jlimit (lowest, highest, pitch);
        if (! isValid (scale, root))
            return pitch;

        // Every scale holds a pitch in each octave: the nearest is within six semitones.
        for (int distance = 0; distance <= 12; ++distance)
        {
            if (pitch - distance >= lowest && contains (scale, root, pitch - distance))
                return pitch - distance;
            if (pitch + distance <= highest && contains (scale, root, pitch + distance))
                return pitch + distance;
        }
        return pitch;
    }

    std::optional<int> transpose (int scale, int root, int pitch, int degrees, int lowest, int highest) noexcept
    {
        if (! isValid (scale, root))
            return std::nullopt;

        auto at = snap (scale, root, pitch, lowest, highest);
        const auto step = degrees > 0 ? 1 : -1;
        for (auto left = juce::jlimit (0, 128, std::abs (juce::jlimit (-128, 128, degrees))); left > 0; --left)
        {
            do
            {
                at += step;
                if (at < lowest || at > highest)
                    return std::nullopt;
            }
            while (! contains (scale, root, at));
        }
        return at;
    }

    juce::String describe (int scale, int root)
    {
        if (! isValid (scale, root))
            return "Scale";
        return juce::String (rootNames[(size_t) root]) + " " + all[(size_t) scale].shortName;
    }
} // namespace Scales
