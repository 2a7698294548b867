#pragma once

#include "model/ArrangementModel.h"

#include <optional>
#include <vector>

//==============================================================================
/**
    Where notes played into an armed track go, as edits of the arrangement.

    A note goes into the track's clip under its start. Where no clip is, the
    take makes one: it starts at the bar of the note (or where the clip before
    it ends, inside that bar) and grows in whole bars as the take's notes
    need, up to the next clip on the track and never past the timeline's end.
    A note lasts at most to the end of its clip. Nothing starting before the
    timeline or at its end or later is recorded.

    Positions are timeline ticks (960 to the quarter, from quarter 0).
*/
namespace Recording
{
    /** A note of a take: from start to end (end > start), on key, at velocity. */
    struct Note
    {
        juce::int64 start = 0, end = 1;
        int key = 60, velocity = 100;
    };

    /** Where a note of the take was put. */
    struct Placed
    {
        ClipId clip = 0;
        NoteId note = 0;
        juce::int64 start = 0; ///< on the timeline
    };

    /** The clips a take made, which grow as it goes; those it found stay as they were. */
    using TakeClips = std::vector<ClipId>;

    /** Adds a note to track, named id (a name from the model); nothing when
        it starts outside the timeline, or when the arrangement has no room.
    */
    std::optional<Placed> add (ArrangementModel::Edit& edit, int track, const Note& note, NoteId id, TakeClips& takeClips);

    /** Ends a note put before at end (its clip grows for it when the take
        made the clip). False when the note is gone (deleted or undone).
    */
    bool setEnd (ArrangementModel::Edit& edit, const Placed& placed, juce::int64 end, const TakeClips& takeClips);
} // namespace Recording
