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
    juce::PopupMenu menu;
    menu.addItem (cutCommand, "Cut", state.hasSelection);
    menu.addItem (copyCommand, "Copy", state.hasSelection);
    menu.addItem (pasteCommand, "Paste", state.canPaste);
    menu.addItem (duplicateCommand, "Duplicate", state.hasSelection);
    menu.addItem (deleteCommand, "Delete", state.hasSelection);
    menu.addSeparator();
    menu.addItem (selectAllCommand, "Select All", state.hasItems);
    menu.addSeparator();
    menu.addItem (undoCommand, "Undo", state.canUndo);
    menu.addItem (redoCommand, "Redo", state.canRedo);
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
