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

    /** Command and a letter, without Shift or Alt (Ctrl+C, Ctrl+V, ...). */
    inline bool isCommand (const juce::KeyPress& key, juce::juce_wchar letter) noexcept
    {
        const auto mods = key.getModifiers();
        return letterOf (key) == letter && mods.isCommandDown() && ! mods.isShiftDown() && ! mods.isAltDown();
    }

    /** Delete or Backspace, with none of Shift, Ctrl and Alt. */
    inline bool isDelete (const juce::KeyPress& key) noexcept
    {
        const auto mods = key.getModifiers();
        const auto code = key.getKeyCode();
        return (code == juce::KeyPress::deleteKey || code == juce::KeyPress::backspaceKey) && ! mods.isShiftDown() && ! mods.isCtrlDown()
            && ! mods.isAltDown();
    }

    /** 1 to 4 for the keys that choose a view's tools, in the order of its
        buttons; 0 for any other key.
    */
    inline int toolNumber (const juce::KeyPress& key) noexcept
    {
        const auto code = key.getKeyCode();
        if (key.getModifiers().isAnyModifierKeyDown() || code < '1' || code > '4')
            return 0;
        return code - '0';
    }

    /** Command+Shift+Z or Command+Y. */
    inline bool isRedo (const juce::KeyPress& key) noexcept
    {
        const auto mods = key.getModifiers();
        const auto letter = letterOf (key);
        return mods.isCommandDown() && ! mods.isAltDown() && ((letter == 'Z' && mods.isShiftDown()) || (letter == 'Y' && ! mods.isShiftDown()));
    }
} // namespace EditKeys
