#include "model/ArrangementModel.h"

#include "model/ClipRules.h"
#include "model/Scales.h"

#include <algorithm>

//==============================================================================
ClipPtr ArrangementModel::Edit::makeClip (ClipId id, ClipData data)
{
    model.nameNotes (data.notes);
    return std::make_shared<const Clip> (Clip { id, std::move (data) });
}

ClipId ArrangementModel::Edit::addClip (ClipData data)
{
    const auto id = model.nextClipId();
    working.clips.push_back (makeClip (id, std::move (data)));
    changed = true;
    return id;
}

bool ArrangementModel::Edit::setClip (ClipId id, ClipData data)
{
    const auto index = working.indexOf (id);
    if (index < 0 || working.clips[(size_t) index]->data == data)
        return false;

    working.clips[(size_t) index] = makeClip (id, std::move (data));
    changed = true;
    return true;
}

bool ArrangementModel::Edit::setNotes (ClipId id, std::vector<ClipNote> notes)
{
    const auto* clip = working.findClip (id);
    if (clip == nullptr)
        return false;

    auto data = clip->data;
    data.notes = std::move (notes);
    return setClip (id, std::move (data));
}

bool ArrangementModel::Edit::setScale (ClipId id, int scale, int root)
{
    const auto* clip = working.findClip (id);
    if (clip == nullptr || ! (scale == -1 || Scales::isValid (scale, root)))
        return false;

    auto data = clip->data;
    data.scale = scale;
    data.scaleRoot = scale == -1 ? 0 : root;
    return setClip (id, std::move (data));
}

bool ArrangementModel::Edit::removeClip (ClipId id)
{
    const auto index = working.indexOf (id);
    if (index < 0)
        return false;

    working.clips.erase (working.clips.begin() + index);
    changed = true;
    return true;
}

bool ArrangementModel::Edit::moveClips (const std::vector<ClipId>& ids, int laneOffset, int quarterOffset)
{
    if (ids.empty() || (laneOffset == 0 && quarterOffset == 0))
        return false;

    std::vector<ClipData> moving;
    for (const auto id : ids)
    {
        const auto* clip = working.findClip (id);
        if (clip == nullptr)
            return false;
        moving.push_back (clip->data);
    }

    const auto moved = ClipPlacement::moved (moving, laneOffset, quarterOffset, working.numTracks, ClipPlacement::othersThan (working, ids));
    if (! moved.has_value())
        return false;

    for (size_t i = 0; i < ids.size(); ++i)
        setClip (ids[i], (*moved)[i]);
    return true;
}

std::vector<ClipId> ArrangementModel::Edit::placeClips (const std::vector<ClipData>& clips)
{
    if (clips.empty() || ! ClipPlacement::keepsTheRules (clips, working.numTracks, ClipPlacement::othersThan (working, {})))
        return {};

    std::vector<ClipId> ids;
    for (const auto& clip : clips)
        ids.push_back (addClip (clip));
    return ids;
}

bool ArrangementModel::Edit::resizeClip (ClipId id, int lengthQ)
{
    const auto* clip = working.findClip (id);
    if (clip == nullptr || lengthQ < 1)
        return false;

    // A clip restored past the timeline's end may still get shorter.
    auto data = clip->data;
    const auto grows = lengthQ > data.lengthQ;
    data.lengthQ = lengthQ;
    if ((grows && ! ClipPlacement::fitsTimeline (data.startQ, data.lengthQ))
        || ClipRules::wouldOverlap (ClipPlacement::othersThan (working, { id }), data.track, data.startQ, data.lengthQ, nullptr))
        return false;

    return setClip (id, std::move (data));
}

void ArrangementModel::Edit::replaceClips (std::vector<ClipData> clips)
{
    working.clips.clear();
    for (auto& data : clips)
        working.clips.push_back (makeClip (model.nextClipId(), std::move (data)));
    changed = true;
}

bool ArrangementModel::Edit::setNumTracks (int numTracks)
{
    numTracks = juce::jlimit (Arrangement::minTracks, Arrangement::maxTracks, numTracks);
    if (numTracks == working.numTracks)
        return false;

    for (auto i = (size_t) numTracks; i < working.instruments.size(); ++i)
        working.instruments[i] = Instruments::defaultItemId;

    working.numTracks = numTracks;
    if (working.recordTrack > numTracks)
        working.recordTrack = 0;

    changed = true;
    return true;
}

bool ArrangementModel::Edit::setInstrument (int trackIndex, int itemId)
{
    if (trackIndex < 0 || trackIndex >= working.numTracks || itemId < 1 || itemId > (int) Instruments::names.size()
        || working.instruments[(size_t) trackIndex] == itemId)
        return false;

    working.instruments[(size_t) trackIndex] = itemId;
    changed = true;
    return true;
}

bool ArrangementModel::Edit::setMidiOut (bool shouldPlay)
{
    if (working.midiOut == shouldPlay)
        return false;

    working.midiOut = shouldPlay;
    changed = true;
    return true;
}

bool ArrangementModel::Edit::setRecordTrack (int track)
{
    if (track < 0 || track > working.numTracks || track == working.recordTrack)
        return false;

    working.recordTrack = track;
    changed = true;
    return true;
}

bool ArrangementModel::Edit::setTempo (int bpm)
{
    bpm = juce::jlimit (Arrangement::minTempo, Arrangement::maxTempo, bpm);
    if (bpm == working.tempo)
        return false;

    working.tempo = bpm;
    changed = true;
    return true;
}

bool ArrangementModel::Edit::setLoop (int startQ, int endQ)
{
    if (! ArrangementSnapshot::isValidLoop (startQ, endQ) || (startQ == working.loopStartQ && endQ == working.loopEndQ))
        return false;

    working.loopStartQ = startQ;
    working.loopEndQ = endQ;
    changed = true;
    return true;
}

//==============================================================================
ArrangementModel::ArrangementModel()
    : current (std::make_shared<const ArrangementSnapshot>())
{
}

ArrangementModel::~ArrangementModel()
{
    cancelPendingUpdate();
}

void ArrangementModel::nameNotes (std::vector<ClipNote>& notes) noexcept
{
    for (auto& note : notes)
        if (note.id == 0)
            note.id = nextNoteId();
}

SnapshotPtr ArrangementModel::getSnapshot() const
{
    const juce::ScopedLock lock (snapshotLock);
    return current;
}

bool ArrangementModel::perform (const juce::String& name, const std::function<void (Edit&)>& edit)
{
    return performJoining (0, name, edit) != 0;
}

juce::uint64 ArrangementModel::performJoining (juce::uint64 step, const juce::String& name, const std::function<void (Edit&)>& edit)
{
    {
        const juce::ScopedLock lock (transactionLock);
        auto before = getSnapshot();
        Edit e (*this, *before);
        edit (e);

        if (! e.hasChanged() || ! e.working.withinLimits())
            return 0;

        auto after = std::make_shared<const ArrangementSnapshot> (std::move (e.working));
        if (! history.extendLast (step, *after))
            step = history.push (std::move (before), after, name);

        historyChanged();
        setCurrent (std::move (after));
    }

    notifyListeners();
    userChanged();
    return step;
}

bool ArrangementModel::undo()
{
    return moveThroughHistory (&UndoHistory::undo);
}

bool ArrangementModel::redo()
{
    return moveThroughHistory (&UndoHistory::redo);
}

bool ArrangementModel::moveThroughHistory (SnapshotPtr (UndoHistory::*move) (SnapshotPtr))
{
    {
        const juce::ScopedLock lock (transactionLock);
        auto snapshot = (history.*move) (getSnapshot());
        if (snapshot == nullptr)
            return false;

        historyChanged();
        setCurrent (std::move (snapshot));
    }

    notifyListeners();
    userChanged();
    return true;
}

void ArrangementModel::restore (ArrangementSnapshot snapshot)
{
    // Clips and notes the host's document brought come without names.
    for (auto& clip : snapshot.clips)
    {
        const auto& notes = clip->data.notes;
        if (clip->id == 0 || std::any_of (notes.begin(), notes.end(), [] (const ClipNote& n) { return n.id == 0; }))
        {
            auto named = *clip;
            if (named.id == 0)
                named.id = nextClipId();
            nameNotes (named.data.notes);
            clip = std::make_shared<const Clip> (std::move (named));
        }
    }

    {
        const juce::ScopedLock lock (transactionLock);
        history.clear();
        historyChanged();
        setCurrent (std::make_shared<const ArrangementSnapshot> (std::move (snapshot)), true);
    }

    notifyListeners();
}

void ArrangementModel::setCurrent (SnapshotPtr next, bool replacedByHost)
{
    {
        const juce::ScopedLock lock (snapshotLock);
        std::swap (current, next);
    }

    // The snapshot replaced is released here, outside the lock.
    next.reset();

    if (onNewSnapshot != nullptr)
        onNewSnapshot (getSnapshot(), replacedByHost);
}

void ArrangementModel::historyChanged() noexcept
{
    undoable = history.canUndo();
    redoable = history.canRedo();
}

void ArrangementModel::userChanged()
{
    if (onUserChange != nullptr)
        onUserChange();
}

void ArrangementModel::notifyListeners()
{
    if (juce::MessageManager::existsAndIsCurrentThread())
        handleAsyncUpdate();
    else
        triggerAsyncUpdate();
}

void ArrangementModel::addListener (Listener* listener)
{
    if (std::find (listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back (listener);
}

void ArrangementModel::removeListener (Listener* listener)
{
    listeners.erase (std::remove (listeners.begin(), listeners.end(), listener), listeners.end());
}

void ArrangementModel::handleAsyncUpdate()
{
    cancelPendingUpdate();

    // A listener may go while it is told: each one still there is told once.
    const auto toTell = listeners;
    for (auto* listener : toTell)
        if (std::find (listeners.begin(), listeners.end(), listener) != listeners.end())
            listener->arrangementChanged();
}
