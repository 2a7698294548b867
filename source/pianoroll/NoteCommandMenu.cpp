#include "pianoroll/NoteCommandMenu.h"

#include <vector>

juce::String NoteCommand::name() const
{
    switch (kind)
    {
        case Kind::quantize: return "Quantize Notes";
        case Kind::legato: return "Legato";
        case Kind::humanize: return "Humanize";
        case Kind::setVelocity:
        case Kind::scaleVelocity: return "Change Velocity";
        case Kind::transpose:
        case Kind::transposeInScale: return "Transpose";
        case Kind::reverse: return "Reverse";
    }
    return {};
}

namespace NoteCommandMenu
{
    namespace
    {
        using Kind = NoteCommand::Kind;

        struct Item
        {
            const char* submenu; ///< null: in the menu itself
            const char* text;
            const char* key; ///< its key, as the menu shows it
            NoteCommand command;
        };

        NoteCommand make (Kind kind, int amount = 0, int second = 0, bool ends = false, bool acrossKeys = false)
        {
            return { kind, amount, second, ends, acrossKeys };
        }

        /** Every item, in menu order; its id is firstItemId plus its place. */
        const std::vector<Item>& items()
        {
            static const std::vector<Item> all {
                { "Quantize", "Starts", "Q", make (Kind::quantize, 100) },
                { "Quantize", "Starts, 75%", "", make (Kind::quantize, 75) },
                { "Quantize", "Starts, 50%", "", make (Kind::quantize, 50) },
                { "Quantize", "Starts, 25%", "", make (Kind::quantize, 25) },
                { "Quantize", "Starts and Ends", "Shift+Q", make (Kind::quantize, 100, 0, true) },
                { "Quantize", "Starts and Ends, 75%", "", make (Kind::quantize, 75, 0, true) },
                { "Quantize", "Starts and Ends, 50%", "", make (Kind::quantize, 50, 0, true) },
                { "Quantize", "Starts and Ends, 25%", "", make (Kind::quantize, 25, 0, true) },
                { "Legato", "Per Key", "L", make (Kind::legato) },
                { "Legato", "Across Keys", "Shift+L", make (Kind::legato, 0, 0, false, true) },
                { "Humanize", "Gently (10 ticks, velocity 5)", "", make (Kind::humanize, 10, 5) },
                { "Humanize", "Some (30 ticks, velocity 10)", "H", make (Kind::humanize, 30, 10) },
                { "Humanize", "Much (60 ticks, velocity 20)", "", make (Kind::humanize, 60, 20) },
                { "Velocity", "Set to 32", "", make (Kind::setVelocity, 32) },
                { "Velocity", "Set to 64", "", make (Kind::setVelocity, 64) },
                { "Velocity", "Set to 96", "", make (Kind::setVelocity, 96) },
                { "Velocity", "Set to 127", "", make (Kind::setVelocity, 127) },
                { "Velocity", "Scale by 50%", "", make (Kind::scaleVelocity, 50) },
                { "Velocity", "Scale by 75%", "", make (Kind::scaleVelocity, 75) },
                { "Velocity", "Scale by 125%", "", make (Kind::scaleVelocity, 125) },
                { "Velocity", "Scale by 150%", "", make (Kind::scaleVelocity, 150) },
                { "Transpose", "Up a Semitone", "", make (Kind::transpose, 1) },
                { "Transpose", "Down a Semitone", "", make (Kind::transpose, -1) },
                { "Transpose", "Up an Octave", "", make (Kind::transpose, 12) },
                { "Transpose", "Down an Octave", "", make (Kind::transpose, -12) },
                { "Transpose", "Up a Scale Degree", "Alt+Up", make (Kind::transposeInScale, 1) },
                { "Transpose", "Down a Scale Degree", "Alt+Down", make (Kind::transposeInScale, -1) },
                { nullptr, "Reverse", "R", make (Kind::reverse) },
            };
            return all;
        }
    } // namespace

    void addTo (juce::PopupMenu& menu, bool hasScale, std::optional<int> pitch)
    {
        menu.addSeparator();

        juce::String open;
        juce::PopupMenu sub;
        const auto flush = [&] {
            if (open.isNotEmpty())
                menu.addSubMenu (open, sub);
            sub = {};
            open = {};
        };

        const auto& all = items();
        for (size_t i = 0; i < all.size(); ++i)
        {
            const auto& item = all[i];
            const auto id = firstItemId + (int) i;
            const auto enabled = item.command.kind != Kind::transposeInScale || hasScale;

            juce::PopupMenu::Item entry (item.text);
            entry.itemID = id;
            entry.isEnabled = enabled;
            entry.shortcutKeyDescription = item.key;

            if (item.submenu == nullptr)
            {
                flush();
                menu.addItem (entry);
                continue;
            }

            if (open != item.submenu)
            {
                flush();
                open = item.submenu;
            }
            sub.addItem (entry);
        }
        flush();

        if (pitch.has_value())
            menu.addItem (selectPitchItemId, "Select All of This Pitch");
    }

    std::optional<NoteCommand> forItemId (int itemId)
    {
        const auto index = itemId - firstItemId;
        if (index < 0 || index >= (int) items().size())
            return std::nullopt;
        return items()[(size_t) index].command;
    }

    std::optional<NoteCommand> forKey (const juce::KeyPress& key)
    {
        const auto mods = key.getModifiers();
        if (mods.isCommandDown() || mods.isCtrlDown())
            return std::nullopt;

        const auto code = key.getKeyCode();
        if (mods.isAltDown())
        {
            if (code == juce::KeyPress::upKey || code == juce::KeyPress::downKey)
                return make (Kind::transposeInScale, code == juce::KeyPress::upKey ? 1 : -1);
            return std::nullopt;
        }

        switch (juce::CharacterFunctions::toUpperCase ((juce::juce_wchar) code))
        {
            case 'Q': return make (Kind::quantize, 100, 0, mods.isShiftDown());
            case 'L': return make (Kind::legato, 0, 0, false, mods.isShiftDown());
            case 'H': return mods.isShiftDown() ? std::nullopt : std::optional<NoteCommand> (make (Kind::humanize, 30, 10));
            case 'R': return mods.isShiftDown() ? std::nullopt : std::optional<NoteCommand> (make (Kind::reverse));
            default: return std::nullopt;
        }
    }
} // namespace NoteCommandMenu
