#pragma once

#include "ui/Palette.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>

//==============================================================================
/** A view's tool buttons: one radio group, exactly one button on (the tool in
    force), a click on the one that is on keeps it on. The owner places the
    buttons; onChoose hears the tool of a click.
*/
template <typename Tool, size_t numTools>
class ToolButtons
{
public:
    ToolButtons (juce::Component& owner, const std::array<std::pair<const char*, Tool>, numTools>& toolsAndNames, int radioGroupId)
        : tools (toolsAndNames)
    {
        for (size_t i = 0; i < numTools; ++i)
        {
            auto& button = buttons[i];
            button.setButtonText (tools[i].first);
            button.setClickingTogglesState (true);
            button.setRadioGroupId (radioGroupId, juce::dontSendNotification);
            button.setColour (juce::TextButton::buttonColourId, Palette::control);
            button.setColour (juce::TextButton::buttonOnColourId, Palette::toolOn);
            button.setColour (juce::TextButton::textColourOffId, Palette::text);
            button.setColour (juce::TextButton::textColourOnId, Palette::text);
            button.onClick = [this, i] {
                if (onChoose != nullptr)
                    onChoose (tools[i].second);
            };
            owner.addAndMakeVisible (button);
        }
    }

    /** Turns on the button of a tool (and so every other one off). */
    void show (Tool tool)
    {
        for (size_t i = 0; i < numTools; ++i)
            buttons[i].setToggleState (tools[i].second == tool, juce::dontSendNotification);
    }

    juce::TextButton& operator[] (size_t index) noexcept { return buttons[index]; }

    /** The tool the number keys 1 to numTools choose. */
    Tool toolOfNumber (int number) const noexcept { return tools[(size_t) juce::jlimit (1, (int) numTools, number) - 1].second; }

    std::function<void (Tool)> onChoose;

private:
    std::array<std::pair<const char*, Tool>, numTools> tools;
    std::array<juce::TextButton, numTools> buttons;
};
