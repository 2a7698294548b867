#include "model/IntRange.h"

#include <gtest/gtest.h>

#include <limits>

TEST (IntRange, HoldsValuesToTheRangeOfInt)
{
    constexpr auto intMin = std::numeric_limits<int>::min();
    constexpr auto intMax = std::numeric_limits<int>::max();

    const struct
    {
        juce::int64 value;
        int expected;
    } saturated[] = {
        { 0, 0 },
        { -5, -5 },
        { intMax, intMax },
        { juce::int64 { intMax } + 1, intMax },
        { juce::int64 { intMin } - 1, intMin },
        { std::numeric_limits<juce::int64>::max(), intMax },
        { std::numeric_limits<juce::int64>::min(), intMin },
    };
    for (const auto& c : saturated)
        EXPECT_EQ (IntRange::saturate (c.value), c.expected) << c.value;

    const struct
    {
        float value;
        int expected;
    } pixels[] = {
        { 12.9f, 12 },
        { -3.7f, -3 },
        { 3.0e9f, 1000000 },
        { -3.0e9f, -1000000 },
        { std::numeric_limits<float>::infinity(), 0 },
        { -std::numeric_limits<float>::infinity(), 0 },
        { std::numeric_limits<float>::quiet_NaN(), 0 },
    };
    for (const auto& c : pixels)
        EXPECT_EQ (IntRange::pixels (c.value), c.expected) << c.value;
}
