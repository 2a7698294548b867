#include "editor/CarvolinEditor.h"

#include "editor/ArrangementEditing.h"
#include "model/ClipRules.h"
#include "model/IntRange.h"
#include "pianoroll/PianoRollComponent.h"
#include "plugin/CarvolinProcessor.h"
#include "ui/EditKeys.h"

#include <array>

// The arrangement's keys, its clipboard and right-click menu, and the mouse wheel.

//==============================================================================
bool CarvolinEditor::keyPressed (const juce::KeyPress& key)
{
    // Under an open piano roll the arrangement is out of reach: the selected
    // clip is usually the one being edited, and the keys belong to the roll.
    if (isPianoRollOpen())
        return pianoRoll->keyPressed (key);

    const auto mods = key.getModifiers();
    const auto code = key.getKeyCode();
    const auto plain = ! mods.isAnyModifierKeyDown();

    if (performEditKey (key))
        return true;

    if (EditKeys::isDelete (key) && currentTool == EditTool::Select && ! selection.isEmpty())
        deleteSelection();
    else if (plain && (code == juce::KeyPress::leftKey || code == juce::KeyPress::rightKey) && ! selection.isEmpty())
        moveSelection (0, code == juce::KeyPress::rightKey ? 1 : -1);
    else if (plain && (code == juce::KeyPress::upKey || code == juce::KeyPress::downKey) && ! selection.isEmpty())
        moveSelection (code == juce::KeyPress::downKey ? 1 : -1, 0);
    else if (const auto tool = EditKeys::toolNumber (key); tool > 0)
        setTool (std::array<EditTool, 4> { EditTool::Select, EditTool::Draw, EditTool::Drag, EditTool::Resize }[(size_t) tool - 1]);
    else
        return false;

    return true;
}

//==============================================================================
std::vector<ClipData> CarvolinEditor::selectedClipData() const
{
    // In the order of the clips, as they are in the arrangement.
    std::vector<ClipData> data;
    for (const auto& clip : model.getSnapshot()->clips)
        if (selection.contains (clip->id))
            data.push_back (clip->data);
    return data;
}

std::vector<const ClipData*> CarvolinEditor::clipsOtherThan (const Selection<ClipId>& moving) const
{
    std::vector<const ClipData*> others;
    for (const auto& clip : clips)
        if (! moving.contains (clip->clipId))
            others.push_back (clip.get());
    return others;
}

void CarvolinEditor::addClipsSelected (const std::vector<ClipData>& added, const juce::String& name, const juce::String& done)
{
    const ScopedRepaint repaintChanges (*this);

    size_t notes = 0;
    for (const auto& clip : added)
        notes += clip.notes.size();

    if (model.getSnapshot()->countNotes() + notes > (size_t) Arrangement::maxNotes)
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Too Many Notes", Arrangement::tooManyNotesMessage ("The arrangement would have", done));
        return;
    }

    std::vector<ClipId> ids;
    model.perform (name, [&] (ArrangementModel::Edit& edit) {
        for (const auto& clip : added)
            ids.push_back (edit.addClip (clip));
    });
    selection.set (std::move (ids));
}

void CarvolinEditor::selectAll()
{
    const ScopedRepaint repaintChanges (*this);

    std::vector<ClipId> all;
    for (const auto& clip : clips)
        all.push_back (clip->clipId);
    selection.set (std::move (all));
}

void CarvolinEditor::clearSelection()
{
    const ScopedRepaint repaintChanges (*this);

    selection.clear();
}

void CarvolinEditor::copySelection()
{
    if (! selection.isEmpty())
        processorRef.getEditingSession().clipboard.setClips (selectedClipData());
}

void CarvolinEditor::cutSelection()
{
    copySelection();
    deleteSelection();
}

void CarvolinEditor::paste()
{
    // Where the lanes were clicked last, or at the next place all the clips fit.
    const auto& clipboard = processorRef.getEditingSession().clipboard;
    if (! clipboard.holdsClips())
        return;

    endGestureWithoutChange();
    if (const auto placed = ClipPlacement::placed (clipboard.getClips(), lastClickedLane, lastClickedQuarter, (int) tracks.size(), clipsOtherThan ({})))
        addClipsSelected (*placed, placed->size() == 1 ? "Paste Clip" : "Paste Clips", "pasted");
}

void CarvolinEditor::duplicateSelection()
{
    // Right after the selection, on the same lanes, or at the next place they all fit.
    const auto selected = selectedClipData();
    if (selected.empty())
        return;

    endGestureWithoutChange();
    auto topLane = (int) tracks.size() - 1;
    juce::int64 end = 0;
    for (const auto& clip : selected)
    {
        topLane = juce::jmin (topLane, ArrangementGeometry::laneForTrack (clip.track, (int) tracks.size()));
        end = juce::jmax (end, juce::int64 { clip.startQ } + clip.lengthQ);
    }

    if (const auto placed = ClipPlacement::placed (selected, topLane, IntRange::saturate (end), (int) tracks.size(), clipsOtherThan ({})))
        addClipsSelected (*placed, placed->size() == 1 ? "Duplicate Clip" : "Duplicate Clips", "duplicated");
}

bool CarvolinEditor::moveSelection (int laneOffset, int quarterOffset)
{
    const auto selected = selectedClipData();
    if (selected.empty())
        return false;

    endGestureWithoutChange();
    const auto moved = ClipPlacement::moved (selected, laneOffset, quarterOffset, (int) tracks.size(), clipsOtherThan (selection));
    if (! moved.has_value())
        return false;

    // The selected clips in the order of the snapshot, as selectedClipData gave them.
    std::vector<ClipId> ids;
    for (const auto& clip : model.getSnapshot()->clips)
        if (selection.contains (clip->id))
            ids.push_back (clip->id);

    model.perform (ids.size() == 1 ? "Move Clip" : "Move Clips", [&] (ArrangementModel::Edit& edit) {
        for (size_t i = 0; i < ids.size(); ++i)
            edit.setClip (ids[i], (*moved)[i]);
    });
    return true;
}

//==============================================================================
void CarvolinEditor::showContextMenu()
{
    MenuState state;
    state.hasSelection = ! selection.isEmpty();
    state.canPaste = processorRef.getEditingSession().clipboard.holdsClips();
    state.hasItems = ! clips.empty();
    state.canUndo = model.canUndo();
    state.canRedo = model.canRedo();

    dialogs.showMenu (createEditMenu (state), [safeThis = SafePointer<CarvolinEditor> (this)] (int chosen) {
        if (auto* editor = safeThis.getComponent())
            editor->performMenuCommand (chosen);
    });
}

//==============================================================================
void CarvolinEditor::mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel)
{
    if (isPianoRollOpen())
        return;

    const auto areaW = arrangementArea.getWidth();

    if (event.mods.isCtrlDown() || event.mods.isCommandDown())
    {
        // Ctrl+wheel zooms, keeping the quarter under the pointer under the pointer.
        if (wheel.deltaY == 0.0f)
            return;

        const auto localX = juce::jlimit (0, areaW, event.getPosition().x - arrangementArea.getX());
        zoomTo (visibleBars + (wheel.deltaY > 0.0f ? -1 : 1), localX);
        return;
    }

    // The wheel scrolls the timeline, either way it turns.
    const auto delta = std::abs (wheel.deltaX) > std::abs (wheel.deltaY) ? wheel.deltaX : wheel.deltaY;
    const auto maxOffset = juce::jmax (0, ArrangementGeometry::scrollTotal (areaW, getWidth(), visibleBars) - areaW);
    setScrollOffset (juce::jlimit (0, maxOffset, scrollOffset - juce::roundToInt (delta * 256.0f)));
}
