#pragma once

#include "model/Arrangement.h"
#include "model/ArrangementSnapshot.h"

#include <cstdint>
#include <optional>
#include <vector>

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

//==============================================================================
/** Moving and placing several clips at once: they keep their relative lanes
    and starts, and go only where every one of them keeps the rules (inside the
    timeline and the lanes, on no other clip).
*/
namespace ClipPlacement
{
    /** True when a clip of this length may start at startQ: from 0, and ending
        by the end of the timeline (a clip longer than the timeline only from 0).
    */
    bool fitsTimeline (juce::int64 startQ, juce::int64 lengthQ) noexcept;

    /** True when every clip lies on a track of the lanes, inside the timeline,
        on none of others and on none of each other.
    */
    bool keepsTheRules (const std::vector<ClipData>& clips, int numTracks, const std::vector<const ClipData*>& others);

    /** The clips of a snapshot but those of the ids given, in order. */
    std::vector<const ClipData*> othersThan (const ArrangementSnapshot& snapshot, const std::vector<ClipId>& ids);

    /** The clips moved by lanes and quarters (lanes as the layout shows them,
        0-based), or nothing when one of them would break a rule. others are
        the clips that stay.
    */
    std::optional<std::vector<ClipData>> moved (const std::vector<ClipData>& clips, int laneOffset, int quarterOffset, int numTracks,
                                                const std::vector<const ClipData*>& others);

    /** Clips pasted or duplicated: their top lane goes to lane (or as far down
        as they fit), their first start to startQ, or to the first later quarter
        where all of them fit. Nothing when they fit nowhere.
    */
    std::optional<std::vector<ClipData>> placed (const std::vector<ClipData>& clips, int lane, int startQ, int numTracks,
                                                 const std::vector<const ClipData*>& others);
} // namespace ClipPlacement
