#pragma once

#include "model/Selection.h"

#include <juce_graphics/juce_graphics.h>

#include <optional>
#include <vector>

//==============================================================================
/** How both views select with the pointer, whatever their items are (clips,
    notes): a click selects an item alone, Shift+click adds or takes out one,
    a click on a selected item keeps the selection for a drag (and selects it
    alone when it is let go without moving), and a press on nothing draws a
    rubber band that selects what it touches (added to the selection with
    Shift).
*/
template <typename Id>
struct SelectGesture
{
    /** A rubber band in progress: where it started, where it is, and what was
        selected before it (with Shift) that it adds to.
    */
    struct Band
    {
        juce::Point<int> start;
        std::optional<juce::Rectangle<int>> rect;
        std::vector<Id> before;
    };

    /** What a press with the Select tool started. */
    enum class Press
    {
        toggled,           ///< Shift+click on an item: nothing more follows
        band,              ///< a press on nothing: a band follows
        grabbed,           ///< an item newly selected alone: a move may follow
        grabbedOfSelection ///< an item of the selection: a move may follow, or it ends selected alone
    };

    /** Applies a press at an item (or none) to the selection. */
    static Press press (Selection<Id>& selection, std::optional<Id> hit, bool shift)
    {
        if (hit.has_value() && shift)
        {
            selection.toggle (*hit);
            return Press::toggled;
        }

        if (! hit.has_value())
            return Press::band;

        if (! selection.contains (*hit))
        {
            selection.selectOnly (*hit);
            return Press::grabbed;
        }

        // The item pressed becomes the one selected last.
        selection.toggle (*hit);
        selection.add (*hit);
        return Press::grabbedOfSelection;
    }

    /** The band a press on nothing starts; without Shift it clears the selection. */
    static Band startBand (Selection<Id>& selection, juce::Point<int> at, bool shift)
    {
        Band band { at, std::nullopt, shift ? selection.items() : std::vector<Id>() };
        selection.set (band.before);
        return band;
    }

    /** The band dragged to a point: the selection becomes what it had before
        and every item touched (touching (rect) gives them, in the view's order).
    */
    template <typename Touching>
    static void dragBand (Band& band, juce::Point<int> to, Selection<Id>& selection, Touching&& touching)
    {
        band.rect = juce::Rectangle<int> (band.start, to);
        selection.set (band.before);
        for (const auto id : touching (*band.rect))
            selection.add (id);
    }

    /** A press on a selected item let go without moving selects it alone. */
    static void release (Selection<Id>& selection, Id pressed, Press how, bool moved)
    {
        if (how == Press::grabbedOfSelection && ! moved)
            selection.selectOnly (pressed);
    }
};
