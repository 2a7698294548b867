#include "model/ArrangementSnapshot.h"

const Clip* ArrangementSnapshot::findClip (ClipId id) const noexcept
{
    const auto index = indexOf (id);
    return index >= 0 ? clips[static_cast<size_t> (index)].get() : nullptr;
}

int ArrangementSnapshot::indexOf (ClipId id) const noexcept
{
    for (size_t i = 0; i < clips.size(); ++i)
        if (clips[i]->id == id)
            return static_cast<int> (i);

    return -1;
}

size_t ArrangementSnapshot::countNotes() const noexcept
{
    size_t notes = 0;
    for (const auto& clip : clips)
        notes += clip->data.notes.size();
    return notes;
}

bool ArrangementSnapshot::withinLimits() const noexcept
{
    return clips.size() <= (size_t) Arrangement::maxClips && countNotes() <= (size_t) Arrangement::maxNotes;
}

std::vector<const ClipData*> ArrangementSnapshot::clipData() const
{
    std::vector<const ClipData*> data;
    data.reserve (clips.size());
    for (const auto& clip : clips)
        data.push_back (&clip->data);
    return data;
}

bool ArrangementSnapshot::sameArrangementAs (const ArrangementSnapshot& other) const noexcept
{
    if (numTracks != other.numTracks || instruments != other.instruments || midiOut != other.midiOut || recordTrack != other.recordTrack || tempo != other.tempo
        || loopStartQ != other.loopStartQ || loopEndQ != other.loopEndQ || clips.size() != other.clips.size())
        return false;

    for (size_t i = 0; i < clips.size(); ++i)
        if (clips[i] != other.clips[i] && clips[i]->data != other.clips[i]->data)
            return false;

    return true;
}

std::array<int, Arrangement::maxTracks> ArrangementSnapshot::defaultInstruments() noexcept
{
    std::array<int, Arrangement::maxTracks> ids {};
    ids.fill (Instruments::defaultItemId);
    return ids;
}
