#include "model/GhostNotes.h"

namespace GhostNotes
{
    std::vector<Ghost> around (const ArrangementSnapshot& snapshot, ClipId clip, juce::int64 from, juce::int64 to, int lowest, int highest)
    {
        std::vector<Ghost> ghosts;
        const auto* shown = snapshot.findClip (clip);
        if (shown == nullptr || to <= from)
            return ghosts;

        constexpr juce::int64 ticks = Arrangement::ticksPerQuarter;
        const auto origin = juce::int64 { shown->data.startQ } * ticks;
        const auto first = origin + from, last = origin + to;

        for (const auto& other : snapshot.clips)
        {
            const auto& data = other->data;
            const auto start = juce::int64 { data.startQ } * ticks;
            // A note may sound past its clip's end: only clips starting after the range are passed over.
            if (other->id == clip || start >= last)
                continue;

            for (const auto& note : data.notes)
            {
                const auto noteStart = start + note.startTick;
                if (note.lengthTicks <= 0 || note.pitch < lowest || note.pitch > highest || noteStart >= last || noteStart + note.lengthTicks <= first)
                    continue;

                if (ghosts.size() == maxGhosts)
                    return ghosts;
                ghosts.push_back ({ noteStart - origin, note.lengthTicks, note.pitch, data.track == shown->data.track });
            }
        }
        return ghosts;
    }
} // namespace GhostNotes
