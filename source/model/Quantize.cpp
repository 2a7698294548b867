#include "model/Quantize.h"

#include <cstdint>
#include <limits>

namespace Quantize
{
    int ticksForItemId (int itemId) noexcept
    {
        for (const auto& step : steps)
            if (step.itemId == itemId)
                return step.ticks;

        return fallbackTicks;
    }

    int snapToGrid (int ticks, int step) noexcept
    {
        if (step <= 0)
            return ticks;

        const auto s = static_cast<std::int64_t> (ticks) + step / 2;
        const auto snapped = s - (s % step);

        if (snapped > std::numeric_limits<int>::max())
            return std::numeric_limits<int>::max() - std::numeric_limits<int>::max() % step;

        if (snapped < std::numeric_limits<int>::min())
            return std::numeric_limits<int>::min() - std::numeric_limits<int>::min() % step;

        return static_cast<int> (snapped);
    }
} // namespace Quantize
