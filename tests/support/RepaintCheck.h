#pragma once

#include <juce_graphics/juce_graphics.h>

#include <ostream>
#include <vector>

/** Checks what a view asks to have painted again after a change against what
    the change did to its pixels.
*/
namespace RepaintCheck
{
    struct Result
    {
        /** Pixels that changed outside every area: a stale picture on screen. */
        int pixelsMissed = 0;
        juce::Point<int> firstMissed;

        /** How much of the view the areas cover, 0 to 1. */
        double shareOfView = 0.0;
    };

    inline void PrintTo (const Result& r, std::ostream* os)
    {
        *os << r.pixelsMissed << " pixels missed (first at " << r.firstMissed.toString() << "), " << r.shareOfView * 100.0 << "% of the view repainted";
    }

    /** before and after: the view painted whole. areas: what the view asked
        to have painted again. selfRepainting: parts that repaint themselves
        (child components that moved or changed).
    */
    inline Result compare (const juce::Image& before, const juce::Image& after, const std::vector<juce::Rectangle<int>>& areas,
                           const std::vector<juce::Rectangle<int>>& selfRepainting = {})
    {
        juce::RectangleList<int> asked, allowed;
        for (const auto& a : areas)
            asked.add (a);
        allowed = asked;
        for (const auto& a : selfRepainting)
            allowed.add (a);

        Result result;
        const juce::Image::BitmapData was (before, juce::Image::BitmapData::readOnly);
        const juce::Image::BitmapData now (after, juce::Image::BitmapData::readOnly);
        for (int y = 0; y < before.getHeight(); ++y)
            for (int x = 0; x < before.getWidth(); ++x)
                if (was.getPixelColour (x, y) != now.getPixelColour (x, y) && ! allowed.containsPoint (x, y))
                    if (result.pixelsMissed++ == 0)
                        result.firstMissed = { x, y };

        asked.clipTo (before.getBounds());
        double covered = 0.0;
        for (const auto& r : asked)
            covered += static_cast<double> (r.getWidth()) * r.getHeight();
        result.shareOfView = covered / (static_cast<double> (before.getWidth()) * before.getHeight());
        return result;
    }
} // namespace RepaintCheck
