#pragma once

#include "model/Arrangement.h"

#include <cstdint>

//==============================================================================
/** The rules clips on one track obey. */
namespace ClipRules
{
    /** True when the half-open spans [startA, startA + lengthA) and
        [startB, startB + lengthB) share a quarter: clips that only touch do not.
    */
    constexpr bool spansOverlap (std::int64_t startA, std::int64_t lengthA, std::int64_t startB, std::int64_t lengthB) noexcept
    {
        return startB < startA + lengthA && startA < startB + lengthB;
    }

    /** True when some clip of the list other than ignore lies on track and
        overlaps [startQ, startQ + lengthQ). Elements are anything that
        dereferences to a ClipData (pointers, unique pointers).
    */
    template <typename ClipList>
    bool wouldOverlap (const ClipList& clips, int track, int startQ, int lengthQ, const ClipData* ignore) noexcept
    {
        for (const auto& clip : clips)
        {
            const ClipData& c = *clip;

            if (&c != ignore && c.track == track && spansOverlap (startQ, lengthQ, c.startQ, c.lengthQ))
                return true;
        }

        return false;
    }
} // namespace ClipRules
