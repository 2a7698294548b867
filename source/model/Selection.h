#pragma once

#include <algorithm>
#include <unordered_set>
#include <vector>

//==============================================================================
/** The items a view has selected, in the order they were selected: clips in
    the arrangement, notes in the piano roll. Both views select the same way:
    a click selects one item, Shift+click adds or removes one, a rubber band
    selects what it touches, Ctrl+A all, Escape or a click on nothing clears.

    Asking whether an item is selected takes the same time however many are:
    a paint asks it of every item in view.
*/
template <typename Id>
class Selection
{
public:
    bool contains (Id id) const noexcept { return members.count (id) != 0; }
    bool isEmpty() const noexcept { return ids.empty(); }
    size_t size() const noexcept { return ids.size(); }
    const std::vector<Id>& items() const noexcept { return ids; }

    /** The item selected last, or a default Id when none is. */
    Id last() const noexcept { return ids.empty() ? Id {} : ids.back(); }

    void clear() noexcept
    {
        ids.clear();
        members.clear();
    }

    /** Selects only this item. */
    void selectOnly (Id id)
    {
        clear();
        add (id);
    }

    /** Adds an item that is not selected, removes one that is (Shift+click). */
    void toggle (Id id)
    {
        if (members.erase (id) != 0)
            ids.erase (std::find (ids.begin(), ids.end(), id));
        else
            add (id);
    }

    void add (Id id)
    {
        if (members.insert (id).second)
            ids.push_back (id);
    }

    /** Selects exactly these items, in this order; an item named twice counts once. */
    void set (const std::vector<Id>& newIds)
    {
        clear();
        for (const auto id : newIds)
            add (id);
    }

    /** Drops every item for which stillThere is false (after an undo, a
        deletion, a state set by the host).
    */
    template <typename Predicate>
    void keepOnly (Predicate&& stillThere)
    {
        ids.erase (std::remove_if (ids.begin(), ids.end(),
                                   [&] (Id id) {
                                       if (stillThere (id))
                                           return false;
                                       members.erase (id);
                                       return true;
                                   }),
                   ids.end());
    }

private:
    std::vector<Id> ids;
    std::unordered_set<Id> members;
};
