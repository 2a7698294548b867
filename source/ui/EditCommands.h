#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

//==============================================================================
/** The edits the arrangement and the piano roll both offer on their
    selection, from the keys and from the right-click menu (hosts often keep
    keys from plug-in windows, so each key's command is in the menu too). Each
    view says what the commands do to its own items: clips or notes.
*/
class EditCommandTarget
{
public:
    virtual ~EditCommandTarget() = default;

    virtual void selectAll() = 0;
    virtual void clearSelection() = 0;
    virtual void copySelection() = 0;
    virtual void paste() = 0;
    virtual void duplicateSelection() = 0;
    virtual void deleteSelection() = 0;
    virtual void undo() = 0;
    virtual void redo() = 0;

    /** Copy, then Delete. */
    void cutSelection();

    /** The commands of the right-click menu, by item id. */
    enum MenuCommand
    {
        cutCommand = 1,
        copyCommand,
        pasteCommand,
        duplicateCommand,
        deleteCommand,
        selectAllCommand,
        undoCommand,
        redoCommand
    };

    /** Runs a command of the right-click menu; other ids do nothing. */
    void performMenuCommand (int command);

    /** Runs the command of a key both views share (Command+Z, Command+Shift+Z
        or Command+Y, Command+A, C, X, V and D, Escape); false for other keys.
    */
    bool performEditKey (const juce::KeyPress& key);

protected:
    /** Which of the menu's items can be chosen now. */
    struct MenuState
    {
        bool hasSelection = false;
        bool canPaste = false;
        bool hasItems = false;
        bool canUndo = false;
        bool canRedo = false;
    };

    /** Cut, Copy, Paste, Duplicate, Delete; Select All; Undo, Redo. */
    static juce::PopupMenu createEditMenu (const MenuState& state);
};
