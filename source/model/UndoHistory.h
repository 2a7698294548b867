#pragma once

#include "model/ArrangementSnapshot.h"

#include <juce_core/juce_core.h>

#include <deque>

//==============================================================================
/** The arrangement's undo and redo steps: the snapshot before each step, and
    after each undone one. Snapshots share the clips a step did not touch, so
    a step keeps alive only what it changed.

    The history is bounded: by a number of steps and by the memory the steps
    keep alive (what a step's snapshot holds that its neighbour does not); the
    oldest steps go first, and the newest is always kept.
*/
class UndoHistory
{
public:
    struct Limits
    {
        size_t maxSteps = 500;
        size_t maxBytes = size_t { 256 } * 1024 * 1024;
    };

    UndoHistory() = default;
    explicit UndoHistory (Limits newLimits) : limits (newLimits) {}

    /** Records a step from before to after, named for the user; clears redo.
        Returns the step's serial, which no other step has.
    */
    juce::uint64 push (SnapshotPtr before, SnapshotPtr after, const juce::String& name);

    /** Makes after the end of the last step, when that step is the one of
        serial and nothing was undone since; false (and nothing changed)
        otherwise.
    */
    bool extendLast (juce::uint64 serial, const ArrangementSnapshot& after);

    bool canUndo() const noexcept { return ! undoSteps.empty(); }
    bool canRedo() const noexcept { return ! redoSteps.empty(); }

    /** The name of the step undo or redo would take back or do again. */
    juce::String getUndoName() const;
    juce::String getRedoName() const;

    /** Takes the last step back: returns the snapshot to restore, and keeps
        current for redo. Null when there is nothing to undo.
    */
    SnapshotPtr undo (SnapshotPtr current);

    /** Does the last undone step again; null when there is nothing to redo. */
    SnapshotPtr redo (SnapshotPtr current);

    void clear() noexcept;

    size_t getNumUndoSteps() const noexcept { return undoSteps.size(); }
    size_t getNumRedoSteps() const noexcept { return redoSteps.size(); }

    /** What the steps keep alive, as counted against the limit. */
    size_t getBytes() const noexcept { return bytes; }

    /** The memory a snapshot holds that another does not (its own clips and
        notes, and its list of clips).
    */
    static size_t bytesNotShared (const ArrangementSnapshot& snapshot, const ArrangementSnapshot& other);

private:
    struct Step
    {
        SnapshotPtr snapshot;
        juce::String name;
        size_t bytes = 0;
        juce::uint64 serial = 0;
    };

    /** Takes the last step of from back to current's place, and keeps current
        as the last step of to: undo and redo are this, each way round.
    */
    SnapshotPtr moveStep (std::deque<Step>& from, std::deque<Step>& to, SnapshotPtr current);
    void trim();

    Limits limits;
    std::deque<Step> undoSteps, redoSteps;
    size_t bytes = 0;
    juce::uint64 lastSerial = 0;
};
