#include "pianoroll/NoteCommands.h"

#include "model/NoteTransforms.h"
#include "model/Quantize.h"
#include "model/Scales.h"
#include "pianoroll/NoteEditing.h"
#include "pianoroll/PianoRollGeometry.h"

NoteCommands::NoteCommands (ArrangementModel& m, ClipId id, EditingSession& s, Selection<NoteId>& sel, Dialogs& d)
    : model (m), clipId (id), session (s), selection (sel), dialogs (d)
{
}

const Clip* NoteCommands::clip() const
{
    return model.getSnapshot()->findClip (clipId);
}

bool NoteCommands::canChange() const
{
    // A clip without a positive length has no grid to edit on, and a clip
    // that is gone has nothing to change.
    const auto* c = clip();
    return c != nullptr && c->data.lengthQ > 0 && (isBusy == nullptr || ! isBusy());
}

bool NoteCommands::commit (const juce::String& name, std::vector<ClipNote> notes)
{
    if (clip() == nullptr)
        return false;

    return model.perform (name, [this, &notes] (ArrangementModel::Edit& edit) { edit.setNotes (clipId, std::move (notes)); });
}

std::vector<ClipNote> NoteCommands::selectedNotes() const
{
    // In list order, as they are in the clip.
    std::vector<ClipNote> notes;
    if (const auto* c = clip())
        for (const auto& note : c->data.notes)
            if (selection.contains (note.id))
                notes.push_back (note);
    return notes;
}

void NoteCommands::addSelected (std::vector<ClipNote> added, const juce::String& name, const juce::String& done)
{
    if (added.empty() || ! canChange())
        return;

    if (model.getSnapshot()->countNotes() + added.size() > (size_t) Arrangement::maxNotes)
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Too Many Notes", Arrangement::tooManyNotesMessage ("The arrangement would have", done));
        return;
    }

    // New notes after the old ones, each a note of its own, and selected.
    auto notes = clip()->data.notes;
    std::vector<NoteId> ids;
    for (auto& note : added)
    {
        note.id = model.nextNoteId();
        ids.push_back (note.id);
        notes.push_back (note);
    }

    commit (name, std::move (notes));
    selection.set (ids);
}

//==============================================================================
void NoteCommands::selectAll()
{
    std::vector<NoteId> all;
    if (const auto* c = clip())
        for (const auto& note : c->data.notes)
            if (PianoRollGeometry::isDrawablePitch (note.pitch))
                all.push_back (note.id);
    selection.set (std::move (all));
}

void NoteCommands::clearSelection()
{
    selection.clear();
}

void NoteCommands::copySelection()
{
    if (! selection.isEmpty())
        session.clipboard.setNotes (selectedNotes());
}

void NoteCommands::paste()
{
    // At the last place clicked on the grid, inside the clip.
    if (canChange() && session.clipboard.holdsNotes())
        addSelected (NoteEditing::placed (session.clipboard.getNotes(), pasteTick, juce::int64 { clip()->data.lengthQ } * Arrangement::ticksPerQuarter),
                     "Paste Notes", "pasted");
}

void NoteCommands::duplicateSelection()
{
    // Right after the selected notes, inside the clip.
    const auto notes = selectedNotes();
    if (canChange() && ! notes.empty())
        addSelected (NoteEditing::placed (notes, NoteEditing::endOf (notes), juce::int64 { clip()->data.lengthQ } * Arrangement::ticksPerQuarter),
                     "Duplicate Notes", "duplicated");
}

void NoteCommands::deleteSelection()
{
    if (selection.isEmpty() || clip() == nullptr || (isBusy != nullptr && isBusy()))
        return;

    auto notes = clip()->data.notes;
    notes.erase (std::remove_if (notes.begin(), notes.end(), [this] (const ClipNote& n) { return selection.contains (n.id); }), notes.end());
    selection.clear();
    commit ("Delete Notes", std::move (notes));
}

bool NoteCommands::moveSelection (int tickOffset, int pitchOffset)
{
    if (selection.isEmpty() || ! canChange())
        return false;

    // The selected notes in the order they were selected, each at its place in the list.
    auto notes = clip()->data.notes;
    std::vector<size_t> places;
    std::vector<ClipNote> originals;
    for (const auto id : selection.items())
    {
        const auto found = std::find_if (notes.begin(), notes.end(), [id] (const ClipNote& n) { return n.id == id; });
        if (found != notes.end())
        {
            places.push_back ((size_t) std::distance (notes.begin(), found));
            originals.push_back (*found);
        }
    }

    const auto moved = NoteEditing::moved (originals, tickOffset, pitchOffset);
    if (! moved.has_value())
        return false;

    for (size_t i = 0; i < places.size(); ++i)
        notes[places[i]] = (*moved)[i];

    commit ("Move Notes", std::move (notes));
    return true;
}

void NoteCommands::undo()
{
    if (isBusy == nullptr || ! isBusy())
        model.undo();
}

void NoteCommands::redo()
{
    if (isBusy == nullptr || ! isBusy())
        model.redo();
}

//==============================================================================
void NoteCommands::showMenu (std::optional<int> pitch)
{
    MenuState state;
    state.hasSelection = ! selection.isEmpty();
    state.canPaste = session.clipboard.holdsNotes();
    state.hasItems = clip() != nullptr && ! clip()->data.notes.empty();
    state.canUndo = model.canUndo();
    state.canRedo = model.canRedo();

    auto menu = createEditMenu (state);
    const auto* c = clip();
    NoteCommandMenu::addTo (menu, c != nullptr && Scales::isValid (c->data.scale, c->data.scaleRoot), pitch);

    // The roll may be closed while the menu is open: then nothing is done.
    dialogs.showMenu (menu, [safeThis = juce::WeakReference<NoteCommands> (this), pitch] (int chosen) {
        auto* commands = safeThis.get();
        if (commands == nullptr)
            return;

        if (const auto command = NoteCommandMenu::forItemId (chosen))
            commands->apply (*command);
        else if (chosen == NoteCommandMenu::selectPitchItemId && pitch.has_value())
            commands->selectPitch (*pitch);
        else
            commands->performMenuCommand (chosen);
    });
}

bool NoteCommands::apply (const NoteCommand& command)
{
    if (! canChange())
        return false;

    using Kind = NoteCommand::Kind;
    const auto& data = clip()->data;
    const auto& notes = data.notes;
    const auto acts = NoteTransforms::actedOn (notes, [this] (NoteId id) { return selection.contains (id); });
    const auto clipTicks = juce::int64 { data.lengthQ } * Arrangement::ticksPerQuarter;

    std::optional<std::vector<ClipNote>> changed;
    switch (command.kind)
    {
        case Kind::quantize:
            changed = NoteTransforms::quantize (notes, acts, gridTicks != nullptr ? gridTicks() : Quantize::fallbackTicks, command.amount, command.ends, clipTicks);
            break;
        case Kind::legato: changed = NoteTransforms::legato (notes, acts, command.acrossKeys); break;
        case Kind::humanize: changed = NoteTransforms::humanize (notes, acts, command.amount, command.second, humanizeSeed++, clipTicks); break;
        case Kind::setVelocity: changed = NoteTransforms::setVelocity (notes, acts, command.amount); break;
        case Kind::scaleVelocity: changed = NoteTransforms::scaleVelocity (notes, acts, command.amount); break;
        case Kind::transpose: changed = NoteTransforms::transpose (notes, acts, command.amount); break;
        case Kind::transposeInScale: changed = NoteTransforms::transposeInScale (notes, acts, data.scale, data.scaleRoot, command.amount); break;
        case Kind::reverse: changed = NoteTransforms::reverse (notes, acts); break;
    }

    return changed.has_value() && commit (command.name(), std::move (*changed));
}

void NoteCommands::selectPitch (int pitch)
{
    if (const auto* c = clip())
        selection.set (NoteTransforms::ofPitch (c->data.notes, pitch));
}
