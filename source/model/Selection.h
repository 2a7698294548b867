#pragma once

#include <algorithm>
#include <vector>

//==============================================================================
/** The items a view has selected, in the order they were selected: clips in
    the arrangement, notes in the piano roll. Both views select the same way:
    a click selects one item, Shift+click adds or removes one, a rubber band
    selects what it touches, Ctrl+A all, Escape or a click on nothing clears.
*/
template <typename Id>
class Selection
{
public:
    bool contains (Id id) const noexcept { return std::find (ids.begin(), ids.end(), id) != ids.end(); }
    bool isEmpty() const noexcept { return ids.empty(); }
    size_t size() const noexcept { return ids.size(); }
    const std::vector<Id>& items() const noexcept { return ids; }

    /** The item selected last, or a default Id when none is. */
    Id last() const noexcept { return ids.empty() ? Id {} : ids.back(); }

    void clear() noexcept { ids.clear(); }

    /** Selects only this item. */
    void selectOnly (Id id)
    {
        ids.assign (1, id);
    }

    /** Adds an item that is not selected, removes one that is (Shift+click). */
    void toggle (Id id)
    {
        const auto found = std::find (ids.begin(), ids.end(), id);
        if (found != ids.end())
            ids.erase (found);
        else
            ids.push_back (id);
    }

    void add (Id id)
    {
        if (! contains (id))
            ids.push_back (id);
    }

    /** Selects exactly these items, in this order. */
    void set (std::vector<Id> newIds) { ids = std::move (newIds); }

    /** Drops every item for which stillThere is false (after an undo, a
        deletion, a state set by the host).
    */
    template <typename Predicate>
    void keepOnly (Predicate&& stillThere)
    {
        ids.erase (std::remove_if (ids.begin(), ids.end(), [&] (Id id) { return ! stillThere (id); }), ids.end());
    }

private:
    std::vector<Id> ids;
};
