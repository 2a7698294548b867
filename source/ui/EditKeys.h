#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

//==============================================================================
/** The editing keys the arrangement and the piano roll share. Command is Ctrl,
    or Cmd on macOS.
*/
namespace EditKeys
{
    inline juce::juce_wchar letterOf (const juce::KeyPress& key) noexcept
    {
        return juce::CharacterFunctions::toUpperCase ((juce::juce_wchar) key.getKeyCode());
    }

    /** Command+Z. */
    inline bool isUndo (const juce::KeyPress& key) noexcept
    {
        const auto mods = key.getModifiers();
        return letterOf (key) == 'Z' && mods.isCommandDown() && ! mods.isShiftDown() && ! mods.isAltDown();
    }

    /** Command+Shift+Z or Command+Y. */
    inline bool isRedo (const juce::KeyPress& key) noexcept
    {
        const auto mods = key.getModifiers();
        const auto letter = letterOf (key);
        return mods.isCommandDown() && ! mods.isAltDown() && ((letter == 'Z' && mods.isShiftDown()) || (letter == 'Y' && ! mods.isShiftDown()));
    }
} // namespace EditKeys
