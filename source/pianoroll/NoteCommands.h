#pragma once

#include "model/ArrangementModel.h"
#include "model/EditingSession.h"
#include "model/Selection.h"
#include "ui/Dialogs.h"
#include "ui/EditCommands.h"

//==============================================================================
/** The piano roll's commands on the selected notes of its clip, from its
    keys and its right-click menu: each change one transaction of the
    arrangement, and undo and redo are the arrangement's.
*/
class NoteCommands final : public EditCommandTarget
{
public:
    NoteCommands (ArrangementModel& model, ClipId clip, EditingSession& session, Selection<NoteId>& selection, Dialogs& dialogs);

    void selectAll() override;
    void clearSelection() override;
    void copySelection() override;
    void paste() override;
    void duplicateSelection() override;
    void deleteSelection() override;
    void undo() override;
    void redo() override;

    /** Moves the selected notes by ticks and semitones, as one edit; nothing
        moves when one of them would leave the keys or the clip's start.
    */
    bool moveSelection (int tickOffset, int pitchOffset);

    /** Where the grid was clicked last (a tick of the clip): pasted notes go there. */
    void setPastePlace (int tick) noexcept { pasteTick = tick; }

    /** Shows the right-click menu, and runs what is chosen. */
    void showMenu();

    /** Makes notes the clip's, as one transaction named name. */
    bool commit (const juce::String& name, std::vector<ClipNote> notes);

    /** True while a gesture is in progress: commands then wait. */
    std::function<bool()> isBusy;

private:
    const Clip* clip() const;
    std::vector<ClipNote> selectedNotes() const;
    void addSelected (std::vector<ClipNote> notes, const juce::String& name, const juce::String& done);
    bool canChange() const;

    ArrangementModel& model;
    const ClipId clipId;
    EditingSession& session;
    Selection<NoteId>& selection;
    Dialogs& dialogs;
    int pasteTick = 0;

    JUCE_DECLARE_WEAK_REFERENCEABLE (NoteCommands)
};
