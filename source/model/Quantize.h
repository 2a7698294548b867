#pragma once

#include <array>

//==============================================================================
/** The quantize steps shared by the arrangement and the piano roll: combo box
    item ids 1 to 7, and the rule that snaps a tick position to a step.
*/
namespace Quantize
{
    struct Step
    {
        int itemId;
        const char* text;
        int ticks;
    };

    constexpr std::array<Step, 7> steps { {
        { 1, "1/4", 960 },
        { 2, "1/8", 480 },
        { 3, "1/16", 240 },
        { 4, "1/32", 120 },
        { 5, "1/4T", 640 },
        { 6, "1/8T", 320 },
        { 7, "1/16T", 160 },
    } };

    /** The item selected in a new quantize box ("1/16"). */
    constexpr int defaultItemId = 3;

    /** The step used when no item is selected. */
    constexpr int fallbackTicks = 240;

    /** The step in ticks for a combo box item id; 240 for any other id. */
    int ticksForItemId (int itemId) noexcept;

    /** Moves ticks to s - (s % step) with s = ticks + step / 2 and a truncating
        remainder: the nearest multiple of the step for values of 0 or more, a
        tie going up. Saturates instead of overflowing near the int limits.
    */
    int snapToGrid (int ticks, int step) noexcept;
} // namespace Quantize
