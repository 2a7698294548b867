#pragma once

#include <juce_core/juce_core.h>

#include <algorithm>
#include <cmath>
#include <limits>

//==============================================================================
/** Conversions to int that hold the value to a range instead of overflowing.
    Positions in a restored arrangement may be anything a hand-edited state
    holds, so products and quotients of them are taken in 64 bits or in float
    and brought back to int through these.
*/
namespace IntRange
{
    /** A 64-bit value held to the range of int. */
    constexpr int saturate (juce::int64 value) noexcept
    {
        return static_cast<int> (std::clamp<juce::int64> (value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }

    /** A float pixel position as an int, held to a million pixels either way
        (far off any screen, far inside int); 0 for a NaN or an infinity.
    */
    inline int pixels (float value) noexcept
    {
        if (! std::isfinite (value))
            return 0;

        return static_cast<int> (juce::jlimit (-1.0e6f, 1.0e6f, value));
    }
} // namespace IntRange
