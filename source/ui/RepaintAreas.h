#pragma once

#include <juce_graphics/juce_graphics.h>

#include <optional>
#include <vector>

//==============================================================================
/** The areas a view asks to have painted again after a change. */
namespace RepaintAreas
{
    /** Past a few hundred areas, one rectangle around them all costs less to
        keep (the window merges each area it is given into the ones it holds)
        and about as much to paint.
    */
    constexpr size_t mostAreas = 1024;

    inline std::vector<juce::Rectangle<int>> bounded (std::vector<juce::Rectangle<int>> areas)
    {
        if (areas.size() <= mostAreas)
            return areas;

        juce::Rectangle<int> all;
        for (const auto& area : areas)
            all = all.getUnion (area);
        return { all };
    }

    /** Adds where a rubber band (a see-through fill inside an outline) changed
        from before to after: where either band is, except inside both, away
        from both outlines.
    */
    inline void addBandChange (const std::optional<juce::Rectangle<int>>& before, const std::optional<juce::Rectangle<int>>& after,
                               std::vector<juce::Rectangle<int>>& areas)
    {
        if (before == after)
            return;

        juce::RectangleList<int> changed;
        for (const auto& band : { before, after })
            if (band.has_value())
                changed.add (band->expanded (1));

        if (before.has_value() && after.has_value())
            changed.subtract (before->getIntersection (*after).reduced (2));

        areas.insert (areas.end(), changed.begin(), changed.end());
    }

    /** Repaints, when it ends, what changed on a view's screen while it
        lasted. The view keeps what it paints of gestures and selections as a
        Look: ScopedRepaint takes its currentLook() first and hands it to its
        repaintChangesSince() at the end.
    */
    template <typename View>
    class ScopedRepaint
    {
    public:
        explicit ScopedRepaint (View& v) : view (v), before (v.currentLook()) {}
        ~ScopedRepaint() { view.repaintChangesSince (before); }
        ScopedRepaint (const ScopedRepaint&) = delete;
        ScopedRepaint& operator= (const ScopedRepaint&) = delete;

    private:
        View& view;
        const typename View::Look before;
    };
} // namespace RepaintAreas
