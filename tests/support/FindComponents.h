#pragma once

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

/** Finds controls below a component as a user finds them on screen. */
namespace FindComponents
{
    /** Every component of a type below root, depth first, in child order. */
    template <typename Type>
    std::vector<Type*> all (juce::Component& root)
    {
        std::vector<Type*> found;
        for (auto* child : root.getChildren())
        {
            if (auto* typed = dynamic_cast<Type*> (child))
                found.push_back (typed);

            const auto inside = all<Type> (*child);
            found.insert (found.end(), inside.begin(), inside.end());
        }
        return found;
    }

    /** The text button of a text (the first, depth first). */
    inline juce::TextButton& button (juce::Component& root, const juce::String& text)
    {
        for (auto* b : all<juce::TextButton> (root))
            if (b->getButtonText() == text)
                return *b;

        ADD_FAILURE() << "no button \"" << text << "\"";
        static juce::TextButton none;
        return none;
    }
} // namespace FindComponents
