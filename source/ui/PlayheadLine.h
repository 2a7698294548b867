#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

//==============================================================================
/** The white line that marks where playback is, one pixel wide, over what the
    view shows (or a line of another colour and width that marks a place);
    moved, only where it was and where it is are painted again.
*/
class PlayheadLine final : public juce::Component
{
public:
    explicit PlayheadLine (juce::Colour lineColour = juce::Colours::white, int lineWidth = 1)
        : colour (lineColour),
          width (lineWidth)
    {
        setInterceptsMouseClicks (false, false);
        setVisible (false);
    }

    /** At x from top, height pixels down; nowhere for nothing. */
    void place (std::optional<int> x, int top, int height)
    {
        setVisible (x.has_value());
        if (x.has_value())
            setBounds (*x, top, width, height);
    }

    void paint (juce::Graphics& g) override { g.fillAll (colour); }

private:
    const juce::Colour colour;
    const int width;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlayheadLine)
};
