#pragma once

#include "model/Quantize.h"
#include "ui/Palette.h"

#include <juce_gui_basics/juce_gui_basics.h>

//==============================================================================
/** A view's quantize step: the caption "Q:" and the box of steps ("1/16" at
    first). The box has no change handler: the step is read when it is needed.
    The owner places them.
*/
struct QuantizeControls
{
    explicit QuantizeControls (juce::Component& owner)
    {
        label.setText ("Q:", juce::dontSendNotification);
        label.setColour (juce::Label::textColourId, Palette::text);

        for (const auto& step : Quantize::steps)
            box.addItem (step.text, step.itemId);
        box.setSelectedId (Quantize::defaultItemId, juce::dontSendNotification);

        owner.addAndMakeVisible (label);
        owner.addAndMakeVisible (box);
    }

    /** The step in ticks of the item chosen. */
    int gridTicks() const { return Quantize::ticksForItemId (box.getSelectedId()); }

    /** Ticks snapped to the step. */
    int snap (int ticks) const { return Quantize::snapToGrid (ticks, gridTicks()); }

    juce::Label label;
    juce::ComboBox box;
};
