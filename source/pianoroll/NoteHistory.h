#pragma once

#include "model/Arrangement.h"

#include <deque>
#include <optional>
#include <vector>

//==============================================================================
/** The piano roll's own undo and redo: the note list before each edit. It
    lives as long as the piano roll; closing the roll with "X" makes the whole
    edit one step of the arrangement.
*/
class NoteHistory
{
public:
    explicit NoteHistory (size_t maxSteps = 500) : limit (maxSteps) {}

    /** Records an edit that changed the notes from before; clears redo. */
    void push (std::vector<ClipNote> before)
    {
        redoSteps.clear();
        undoSteps.push_back (std::move (before));
        if (undoSteps.size() > limit)
            undoSteps.pop_front();
    }

    bool canUndo() const noexcept { return ! undoSteps.empty(); }
    bool canRedo() const noexcept { return ! redoSteps.empty(); }

    /** The notes before the last edit, keeping current for redo. */
    std::optional<std::vector<ClipNote>> undo (std::vector<ClipNote> current)
    {
        return step (undoSteps, redoSteps, std::move (current));
    }

    /** The notes of the last edit undone, keeping current for undo. */
    std::optional<std::vector<ClipNote>> redo (std::vector<ClipNote> current)
    {
        return step (redoSteps, undoSteps, std::move (current));
    }

private:
    static std::optional<std::vector<ClipNote>> step (std::deque<std::vector<ClipNote>>& from, std::deque<std::vector<ClipNote>>& to,
                                                      std::vector<ClipNote> current)
    {
        if (from.empty())
            return std::nullopt;

        auto notes = std::move (from.back());
        from.pop_back();
        to.push_back (std::move (current));
        return notes;
    }

    size_t limit;
    std::deque<std::vector<ClipNote>> undoSteps, redoSteps;
};
