#include "editor/ArrangementCommands.h"

#include "editor/ArrangementGeometry.h"
#include "model/ClipRules.h"
#include "model/IntRange.h"

ArrangementCommands::ArrangementCommands (ArrangementModel& m, EditingSession& s, Selection<ClipId>& sel, Dialogs& d, MidiFileCommands& f)
    : model (m), session (s), selection (sel), dialogs (d), files (f)
{
}

std::vector<ClipId> ArrangementCommands::selectedIds() const
{
    // In the order of the clips, as they are in the arrangement.
    std::vector<ClipId> ids;
    for (const auto& clip : model.getSnapshot()->clips)
        if (selection.contains (clip->id))
            ids.push_back (clip->id);
    return ids;
}

std::vector<ClipData> ArrangementCommands::selectedClips() const
{
    std::vector<ClipData> data;
    for (const auto& clip : model.getSnapshot()->clips)
        if (selection.contains (clip->id))
            data.push_back (clip->data);
    return data;
}

void ArrangementCommands::setPastePlace (int lane, int quarter) noexcept
{
    pasteLane = lane;
    pasteQuarter = quarter;
}

void ArrangementCommands::addSelected (const std::vector<ClipData>& clips, const juce::String& name, const juce::String& done)
{
    size_t notes = 0;
    for (const auto& clip : clips)
        notes += clip.notes.size();

    if (model.getSnapshot()->countNotes() + notes > (size_t) Arrangement::maxNotes)
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Too Many Notes", Arrangement::tooManyNotesMessage ("The arrangement would have", done));
        return;
    }

    std::vector<ClipId> ids;
    model.perform (name, [&] (ArrangementModel::Edit& edit) { ids = edit.placeClips (clips); });
    if (! ids.empty())
        selection.set (std::move (ids));
}

//==============================================================================
void ArrangementCommands::selectAll()
{
    std::vector<ClipId> all;
    for (const auto& clip : model.getSnapshot()->clips)
        all.push_back (clip->id);
    selection.set (std::move (all));
}

void ArrangementCommands::clearSelection()
{
    selection.clear();
}

void ArrangementCommands::copySelection()
{
    if (! selection.isEmpty())
        session.clipboard.setClips (selectedClips());
}

void ArrangementCommands::paste()
{
    // Where the lanes were clicked last, or at the next place all the clips fit.
    if (! session.clipboard.holdsClips())
        return;

    if (beforeChange != nullptr)
        beforeChange();

    const auto snapshot = model.getSnapshot();
    if (const auto placed = ClipPlacement::placed (session.clipboard.getClips(), pasteLane, pasteQuarter, snapshot->numTracks, snapshot->clipData()))
        addSelected (*placed, placed->size() == 1 ? "Paste Clip" : "Paste Clips", "pasted");
}

void ArrangementCommands::duplicateSelection()
{
    // Right after the selection, on the same lanes, or at the next place they all fit.
    const auto selected = selectedClips();
    if (selected.empty())
        return;

    if (beforeChange != nullptr)
        beforeChange();

    const auto snapshot = model.getSnapshot();
    auto topLane = snapshot->numTracks - 1;
    juce::int64 end = 0;
    for (const auto& clip : selected)
    {
        topLane = juce::jmin (topLane, ArrangementGeometry::laneForTrack (clip.track, snapshot->numTracks));
        end = juce::jmax (end, juce::int64 { clip.startQ } + clip.lengthQ);
    }

    if (const auto placed = ClipPlacement::placed (selected, topLane, IntRange::saturate (end), snapshot->numTracks, snapshot->clipData()))
        addSelected (*placed, placed->size() == 1 ? "Duplicate Clip" : "Duplicate Clips", "duplicated");
}

void ArrangementCommands::deleteSelection()
{
    if (selection.isEmpty())
        return;

    if (beforeChange != nullptr)
        beforeChange();

    const auto ids = selection.items();
    selection.clear();
    model.perform (ids.size() == 1 ? "Delete Clip" : "Delete Clips", [&ids] (ArrangementModel::Edit& edit) {
        for (const auto id : ids)
            edit.removeClip (id);
    });
}

bool ArrangementCommands::moveSelection (int laneOffset, int quarterOffset)
{
    const auto ids = selectedIds();
    if (ids.empty())
        return false;

    if (beforeChange != nullptr)
        beforeChange();

    return model.perform (ids.size() == 1 ? "Move Clip" : "Move Clips",
                          [&] (ArrangementModel::Edit& edit) { edit.moveClips (ids, laneOffset, quarterOffset); });
}

void ArrangementCommands::undo()
{
    if (beforeChange != nullptr)
        beforeChange();
    model.undo();
}

void ArrangementCommands::redo()
{
    if (beforeChange != nullptr)
        beforeChange();
    model.redo();
}

//==============================================================================
void ArrangementCommands::showMenu (ClipId underPointer)
{
    const auto snapshot = model.getSnapshot();
    MenuState state;
    state.hasSelection = ! selection.isEmpty();
    state.canPaste = session.clipboard.holdsClips();
    state.hasItems = ! snapshot->clips.empty();
    state.canUndo = model.canUndo();
    state.canRedo = model.canRedo();

    auto menu = createEditMenu (state);
    menu.addSeparator();
    menu.addItem (importToTracksCommand, juce::String::fromUTF8 ("Import MIDI to Tracks\u2026"));

    const auto* clip = snapshot->findClip (underPointer);
    if (clip != nullptr)
    {
        menu.addItem (exportClipCommand, juce::String::fromUTF8 ("Export Clip as MIDI\u2026"), ! clip->data.notes.empty());
        menu.addItem (exportTrackCommand, juce::String::fromUTF8 ("Export Track as MIDI\u2026"));
    }
    const auto track = clip != nullptr ? clip->data.track : 0;

    // The window may close while the menu is open: then nothing is done.
    dialogs.showMenu (menu, [safeThis = juce::WeakReference<ArrangementCommands> (this), underPointer, track] (int chosen) {
        auto* commands = safeThis.get();
        if (commands == nullptr)
            return;

        switch (chosen)
        {
            case importToTracksCommand: commands->files.importToTracks(); break;
            case exportClipCommand: commands->files.exportClip (underPointer); break;
            case exportTrackCommand: commands->files.exportTrack (track); break;
            default: commands->performMenuCommand (chosen); break;
        }
    });
}
