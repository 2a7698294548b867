#include "ui/EditCommands.h"

#include "ui/EditKeys.h"

void EditCommandTarget::cutSelection()
{
    copySelection();
    deleteSelection();
}

void EditCommandTarget::performMenuCommand (int command)
{
    switch (command)
    {
        case cutCommand: cutSelection(); break;
        case copyCommand: copySelection(); break;
        case pasteCommand: paste(); break;
        case duplicateCommand: duplicateSelection(); break;
        case deleteCommand: deleteSelection(); break;
        case selectAllCommand: selectAll(); break;
        case undoCommand: undo(); break;
        case redoCommand: redo(); break;
        default: break;
    }
}

juce::PopupMenu EditCommandTarget::createEditMenu (const MenuState& state)
{
    // Each item shows the key that does the same.
    const auto key = [] (juce::juce_wchar character, juce::ModifierKeys mods = juce::ModifierKeys::commandModifier) {
        return juce::KeyPress (character, mods, 0).getTextDescriptionWithIcons();
    };
    const auto item = [] (int id, const juce::String& text, bool enabled, const juce::String& keyDescription) {
        juce::PopupMenu::Item entry (text);
        entry.itemID = id;
        entry.isEnabled = enabled;
        entry.shortcutKeyDescription = keyDescription;
        return entry;
    };

    juce::PopupMenu menu;
    menu.addItem (item (cutCommand, "Cut", state.hasSelection, key ('x')));
    menu.addItem (item (copyCommand, "Copy", state.hasSelection, key ('c')));
    menu.addItem (item (pasteCommand, "Paste", state.canPaste, key ('v')));
    menu.addItem (item (duplicateCommand, "Duplicate", state.hasSelection, key ('d')));
    menu.addItem (item (deleteCommand, "Delete", state.hasSelection, juce::KeyPress (juce::KeyPress::deleteKey).getTextDescription()));
    menu.addSeparator();
    menu.addItem (item (selectAllCommand, "Select All", state.hasItems, key ('a')));
    menu.addSeparator();
    menu.addItem (item (undoCommand, "Undo", state.canUndo, key ('z')));
    menu.addItem (item (redoCommand, "Redo", state.canRedo, key ('z', juce::ModifierKeys (juce::ModifierKeys::commandModifier | juce::ModifierKeys::shiftModifier))));
    return menu;
}

bool EditCommandTarget::performEditKey (const juce::KeyPress& key)
{
    if (EditKeys::isUndo (key))
        undo();
    else if (EditKeys::isRedo (key))
        redo();
    else if (EditKeys::isCommand (key, 'A'))
        selectAll();
    else if (EditKeys::isCommand (key, 'C'))
        copySelection();
    else if (EditKeys::isCommand (key, 'X'))
        cutSelection();
    else if (EditKeys::isCommand (key, 'V'))
        paste();
    else if (EditKeys::isCommand (key, 'D'))
        duplicateSelection();
    else if (key.getKeyCode() == juce::KeyPress::escapeKey)
        clearSelection();
    else
        return false;

    return true;
}
