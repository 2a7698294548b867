#include "model/UndoHistory.h"

#include <unordered_set>

size_t UndoHistory::bytesNotShared (const ArrangementSnapshot& snapshot, const ArrangementSnapshot& other)
{
    std::unordered_set<const Clip*> shared;
    for (const auto& clip : other.clips)
        shared.insert (clip.get());

    auto total = sizeof (ArrangementSnapshot) + snapshot.clips.capacity() * sizeof (ClipPtr);
    for (const auto& clip : snapshot.clips)
        if (shared.count (clip.get()) == 0)
            total += sizeof (Clip) + clip->data.notes.capacity() * sizeof (ClipNote);

    return total;
}

juce::uint64 UndoHistory::push (SnapshotPtr before, SnapshotPtr after, const juce::String& name)
{
    for (const auto& step : redoSteps)
        bytes -= step.bytes;
    redoSteps.clear();

    const auto cost = bytesNotShared (*before, *after);
    undoSteps.push_back ({ std::move (before), name, cost, ++lastSerial });
    bytes += cost;
    trim();
    return lastSerial;
}

bool UndoHistory::extendLast (juce::uint64 serial, const ArrangementSnapshot& after)
{
    if (serial == 0 || undoSteps.empty() || ! redoSteps.empty() || undoSteps.back().serial != serial)
        return false;

    auto& step = undoSteps.back();
    bytes -= step.bytes;
    step.bytes = bytesNotShared (*step.snapshot, after);
    bytes += step.bytes;
    trim();
    return true;
}

juce::String UndoHistory::getUndoName() const
{
    return canUndo() ? undoSteps.back().name : juce::String();
}

juce::String UndoHistory::getRedoName() const
{
    return canRedo() ? redoSteps.back().name : juce::String();
}

SnapshotPtr UndoHistory::undo (SnapshotPtr current)
{
    return moveStep (undoSteps, redoSteps, std::move (current));
}

SnapshotPtr UndoHistory::redo (SnapshotPtr current)
{
    return moveStep (redoSteps, undoSteps, std::move (current));
}

SnapshotPtr UndoHistory::moveStep (std::deque<Step>& from, std::deque<Step>& to, SnapshotPtr current)
{
    if (from.empty())
        return {};

    auto step = std::move (from.back());
    from.pop_back();
    bytes -= step.bytes;

    const auto cost = bytesNotShared (*current, *step.snapshot);
    to.push_back ({ std::move (current), step.name, cost, ++lastSerial });
    bytes += cost;
    return step.snapshot;
}

void UndoHistory::clear() noexcept
{
    undoSteps.clear();
    redoSteps.clear();
    bytes = 0;
}

void UndoHistory::trim()
{
    while (undoSteps.size() > 1 && (undoSteps.size() + redoSteps.size() > limits.maxSteps || bytes > limits.maxBytes))
    {
        bytes -= undoSteps.front().bytes;
        undoSteps.pop_front();
    }
}
