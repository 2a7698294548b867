#pragma once

#include "model/ArrangementModel.h"
#include "model/EditingSession.h"
#include "model/Selection.h"
#include "pianoroll/NoteCommandMenu.h"
#include "ui/Dialogs.h"
#include "ui/EditCommands.h"

#include <optional>

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

    /** Shows the right-click menu, and runs what is chosen; pitch is the
        key under the pointer, when there is one.
    */
    void showMenu (std::optional<int> pitch = std::nullopt);

    /** Runs a note command on the selected notes (every note when none is
        selected), as one transaction; false when it changes nothing.
    */
    bool apply (const NoteCommand& command);

    /** Selects every note of a pitch. */
    void selectPitch (int pitch);

    /** The quantize step in ticks, for Quantize. */
    std::function<int()> gridTicks;

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
    juce::int64 humanizeSeed = juce::Random::getSystemRandom().nextInt64();

    JUCE_DECLARE_WEAK_REFERENCEABLE (NoteCommands)
};
