#pragma once

#include "editor/MidiFileCommands.h"
#include "model/ArrangementModel.h"
#include "model/EditingSession.h"
#include "model/Selection.h"
#include "ui/Dialogs.h"
#include "ui/EditCommands.h"

//==============================================================================
/** The arrangement's commands on the selected clips, from its keys, its
    right-click menu and its "Delete" button: each change one transaction.
    Clips pasted or duplicated go where the model's rules let them.
*/
class ArrangementCommands final : public EditCommandTarget
{
public:
    ArrangementCommands (ArrangementModel& model, EditingSession& session, Selection<ClipId>& selection, Dialogs& dialogs, MidiFileCommands& files);

    void selectAll() override;
    void clearSelection() override;
    void copySelection() override;
    void paste() override;
    void duplicateSelection() override;
    void deleteSelection() override;
    void undo() override;
    void redo() override;

    /** Moves the selected clips by lanes and quarters, as one transaction;
        nothing moves when one of them would break a rule.
    */
    bool moveSelection (int laneOffset, int quarterOffset);

    /** Where the lanes were clicked last: pasted clips go there. */
    void setPastePlace (int lane, int quarter) noexcept;

    /** Shows the right-click menu, and runs what is chosen: the edit
        commands, importing a file to tracks, and for the clip under the
        pointer (0: none), exporting it or its track.
    */
    void showMenu (ClipId underPointer = 0);

    /** The menu's items beyond the edit commands. */
    enum FileCommand
    {
        importToTracksCommand = 100,
        exportClipCommand,
        exportTrackCommand
    };

    /** Called before a command changes the arrangement: the view ends its gesture. */
    std::function<void()> beforeChange;

private:
    std::vector<ClipData> selectedClips() const;
    std::vector<ClipId> selectedIds() const;
    void addSelected (const std::vector<ClipData>& clips, const juce::String& name, const juce::String& done);

    ArrangementModel& model;
    EditingSession& session;
    Selection<ClipId>& selection;
    Dialogs& dialogs;
    MidiFileCommands& files;
    int pasteLane = 0, pasteQuarter = 0;

    JUCE_DECLARE_WEAK_REFERENCEABLE (ArrangementCommands)
};
