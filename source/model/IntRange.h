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

    /** a + b, held to the 64-bit range instead of overflowing. */
    constexpr juce::int64 add (juce::int64 a, juce::int64 b) noexcept
    {
        constexpr auto max = std::numeric_limits<juce::int64>::max();
        constexpr auto min = std::numeric_limits<juce::int64>::min();

        if (b > 0 && a > max - b)
            return max;
        if (b < 0 && a < min - b)
            return min;
        return a + b;
    }

    /** value * multiplier / divisor for a value of 0 or more and positive
        multiplier and divisor, truncated, held to the 64-bit range instead
        of overflowing.
    */
    constexpr juce::int64 scale (juce::int64 value, juce::int64 multiplier, juce::int64 divisor) noexcept
    {
        constexpr auto max = std::numeric_limits<juce::int64>::max();

        if (value <= max / multiplier)
            return value * multiplier / divisor;

        // Split the value by the divisor so that the product stays small.
        const auto whole = value / divisor;
        if (whole > max / multiplier)
            return max;

        return add (whole * multiplier, (value % divisor) * multiplier / divisor);
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
