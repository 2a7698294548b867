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

TEST (IntRange, SixtyFourBitArithmeticSaturates)
{
    constexpr auto max = std::numeric_limits<juce::int64>::max();
    constexpr auto min = std::numeric_limits<juce::int64>::min();

    EXPECT_EQ (IntRange::add (1, 2), 3);
    EXPECT_EQ (IntRange::add (max, 1), max);
    EXPECT_EQ (IntRange::add (min, -1), min);
    EXPECT_EQ (IntRange::add (max, min), -1);

    const struct
    {
        juce::int64 value, multiplier, divisor, expected;
    } scaled[] = {
        { 480, 960, 480, 960 },
        { 1, 960, 1000, 0 },
        { 2415919095, 960, 1, 2319282331200 },
        { max / 960 + 1, 960, 960, max / 960 + 1 }, // the product alone would overflow
        { max, 960, 7, max },
        { max - 5, 2, 3, 6148914691236517201 }, // exact where the product overflows
    };
    for (const auto& c : scaled)
        EXPECT_EQ (IntRange::scale (c.value, c.multiplier, c.divisor), c.expected) << c.value << " * " << c.multiplier << " / " << c.divisor;
}
