#pragma once

#include "model/ArrangementSnapshot.h"

#include <vector>

//==============================================================================
/** The notes of the other clips that sound while a clip plays, for the piano
    roll to show faintly behind the clip's own.
*/
namespace GhostNotes
{
    struct Ghost
    {
        juce::int64 start = 0, length = 0; ///< in ticks from the start of the clip shown
        int pitch = 60;
        bool sameTrack = false; ///< of a clip on the clip's own track
    };

    /** Most ghosts found at once: far more than a grid shows apart. */
    constexpr size_t maxGhosts = 100000;

    /** The notes of every clip but clip (in clip order) that sound between
        from and to, in ticks from clip's start, with a pitch from lowest to
        highest.
    */
    std::vector<Ghost> around (const ArrangementSnapshot& snapshot, ClipId clip, juce::int64 from, juce::int64 to, int lowest = 0, int highest = 127);
} // namespace GhostNotes
