#include "pianoroll/PianoRollComponent.h"

#include "model/IntRange.h"
#include "pianoroll/NoteEditing.h"
#include "ui/EditKeys.h"

#include <array>

// The piano roll's gestures, keys and commands.

//==============================================================================
void PianoRollComponent::mouseDown (const juce::MouseEvent& event)
{
    const ScopedRepaint repaintChanges (*this);

    const auto position = event.getPosition();

    if (event.mods.isPopupMenu())
    {
        showContextMenu();
        return;
    }

    if (velocityLaneShown && velocityLaneArea.contains (position))
    {
        if (auto* note = canEdit() ? velocityBarAt (position) : nullptr)
        {
            // Dragging a selected note's bar changes every selected note's velocity by as much.
            beginEdit();
            velocityNote = note;
            velocityAtPress = note->velocity;
            velocitiesAtPress.clear();
            for (auto* changed : selection.contains (note) ? selection.items() : std::vector<ClipNote*> { note })
                velocitiesAtPress.emplace_back (changed, changed->velocity);
            dragVelocity (position);
        }
        return;
    }

    // A clip without a positive length has no grid to edit on; its notes stay as they are.
    if (! canEdit() || ! geometry.gridArea.contains (position))
        return;

    lastClickedTick = NoteEditing::drawnStart (snapToGrid (xToTick (position.x)), clipEndTick(), gridTicks());

    switch (currentTool)
    {
        case NoteTool::Draw:
        {
            const auto pitch = yToPitch (position.y);
            if (pitch < 0)
                return;

            // A note drawn in the last half step would snap to the clip's end,
            // out of every tool's reach: it starts on the last step inside.
            beginEdit();
            isDrawing = true;
            drawingNote = std::make_unique<ClipNote> (ClipNote { pitch, lastClickedTick, gridTicks(), session.noteVelocity });
            startAudition (*drawingNote);
            break;
        }

        case NoteTool::Select:
            pressWithSelectTool (event);
            break;

        case NoteTool::Resize:
            for (auto* note : workingNotes)
            {
                if (geometry.hitsResizeZone (*note, position))
                {
                    beginEdit();
                    isResizing = true;
                    resizingNote = note;
                    if (! selection.contains (note))
                        selection.selectOnly (note);

                    grabbedNotes.clear();
                    for (auto* selected : selection.items())
                        grabbedNotes.emplace_back (selected, *selected);
                    break;
                }
            }
            break;

        case NoteTool::Erase:
            if (auto* hit = findNoteAt (position))
            {
                beginEdit();
                deleteNote (hit);
                endEdit();
            }
            break;
    }
}

void PianoRollComponent::pressWithSelectTool (const juce::MouseEvent& event)
{
    const auto position = event.getPosition();
    auto* hit = findNoteAt (position);

    if (event.mods.isShiftDown() && hit != nullptr)
    {
        selection.toggle (hit);
        return;
    }

    if (hit == nullptr)
    {
        // A rubber band: it selects what it touches, added to the selection with Shift.
        selectedBeforeBand = event.mods.isShiftDown() ? selection.items() : std::vector<ClipNote*>();
        selection.set (selectedBeforeBand);
        bandStart = position;
        return;
    }

    if (! selection.contains (hit))
    {
        selection.selectOnly (hit);
    }
    else
    {
        // The note pressed becomes the last selected; a click that moves
        // nothing leaves it selected alone.
        selection.toggle (hit);
        selection.add (hit);
        selectOnlyOnRelease = true;
    }

    startAudition (*hit);
    beginEdit();
    isMoving = true;
    draggedSincePress = false;
    pressPosition = position;
    grabbedNote = hit;
    grabbedNotes.clear();
    for (auto* selected : selection.items())
        grabbedNotes.emplace_back (selected, *selected);
}

void PianoRollComponent::mouseDrag (const juce::MouseEvent& event)
{
    const ScopedRepaint repaintChanges (*this);

    const auto position = event.getPosition();

    if (velocityNote != nullptr)
    {
        dragVelocity (position);
        return;
    }

    if (bandStart.has_value())
    {
        rubberBand = juce::Rectangle<int> (*bandStart, position);
        selection.set (selectedBeforeBand);
        for (auto* note : workingNotes)
            if (PianoRollGeometry::isDrawablePitch (note->pitch) && geometry.noteBounds (*note).intersects (rubberBand->toFloat()))
                selection.add (note);
        return;
    }

    if (currentTool == NoteTool::Resize && isResizing && resizingNote != nullptr)
        resizeSelectedNotes (position);
    else if (currentTool == NoteTool::Select && isMoving && grabbedNote != nullptr)
    {
        draggedSincePress = draggedSincePress || position.getDistanceFrom (pressPosition) > 2;
        dragSelectedNotes (position);
    }

    if (isDrawing && drawingNote != nullptr)
    {
        const auto end = snapToGrid (xToTick (position.x));
        if (end > drawingNote->startTick)
        {
            drawingNote->lengthTicks = end - drawingNote->startTick;
        }
    }
}

void PianoRollComponent::dragSelectedNotes (juce::Point<int> position)
{
    // The note pressed goes to the quantize line and the key nearest the
    // pointer (above the grid the top key, below it the lowest); the other
    // selected notes go along, unless one of them would leave the keys.
    const auto grabbed = std::find_if (grabbedNotes.begin(), grabbedNotes.end(), [this] (const auto& g) { return g.first == grabbedNote; });
    if (grabbed == grabbedNotes.end())
        return;

    const auto& original = grabbed->second;
    const auto tickOffset = juce::int64 { snapToGrid (xToTick (position.x)) } - original.startTick;
    const auto pitchOffset = geometry.pitchNearest (position.y) - original.pitch;

    std::vector<ClipNote> originals;
    for (const auto& [note, was] : grabbedNotes)
        originals.push_back (was);

    if (const auto moved = NoteEditing::moved (originals, tickOffset, pitchOffset))
        for (size_t i = 0; i < grabbedNotes.size(); ++i)
            *grabbedNotes[i].first = (*moved)[i];
}

void PianoRollComponent::resizeSelectedNotes (juce::Point<int> position)
{
    // The note whose edge is dragged follows the pointer; the other selected
    // notes change their length by as much.
    const auto grabbed = std::find_if (grabbedNotes.begin(), grabbedNotes.end(), [this] (const auto& g) { return g.first == resizingNote; });
    if (grabbed == grabbedNotes.end())
        return;

    const auto snap = [this] (int ticks) { return snapToGrid (ticks); };
    const auto length = NoteEditing::resizedLength (grabbed->second, xToTick (position.x), gridTicks(), clipEndTick(), snap);
    const auto change = juce::int64 { length } - grabbed->second.lengthTicks;

    for (const auto& [note, was] : grabbedNotes)
        note->lengthTicks = note == resizingNote ? length : NoteEditing::lengthChangedBy (was, change, gridTicks(), clipEndTick());
}

void PianoRollComponent::dragVelocity (juce::Point<int> position)
{
    const auto change = NoteEditing::velocityAt (position.y, velocityLaneArea) - velocityAtPress;
    for (const auto& [note, was] : velocitiesAtPress)
        note->velocity = NoteEditing::velocityChangedBy (was, change);
}

void PianoRollComponent::mouseUp (const juce::MouseEvent&)
{
    const ScopedRepaint repaintChanges (*this);

    stopAudition();

    if (velocityNote != nullptr)
    {
        // New notes take the velocity set last.
        session.noteVelocity = velocityNote->velocity;
        velocityNote = nullptr;
        velocitiesAtPress.clear();
    }
    else if (bandStart.has_value())
    {
        bandStart.reset();
        rubberBand.reset();
    }
    else if (isResizing)
    {
        isResizing = false;
        resizingNote = nullptr;
        grabbedNotes.clear();
    }
    else if (isMoving)
    {
        if (std::exchange (selectOnlyOnRelease, false) && ! draggedSincePress)
            selection.selectOnly (grabbedNote);

        isMoving = false;
        grabbedNote = nullptr;
        grabbedNotes.clear();
    }
    else if (isDrawing && drawingNote != nullptr)
    {
        workingNotes.add (drawingNote.release());
        isDrawing = false;
    }

    endEdit();
}

ClipNote* PianoRollComponent::velocityBarAt (juce::Point<int> point) const
{
    // The bar painted last is on top; a bar takes presses over the lane's whole height.
    for (int i = workingNotes.size(); --i >= 0;)
    {
        auto* note = workingNotes.getUnchecked (i);
        const auto x = geometry.tickToX (note->startTick);
        const auto px = static_cast<float> (point.x);
        if (x - 2.0f <= px && px <= x + static_cast<float> (NoteEditing::barWidth) + 2.0f)
            return note;
    }

    return nullptr;
}

//==============================================================================
bool PianoRollComponent::keyPressed (const juce::KeyPress& key)
{
    const ScopedRepaint repaintChanges (*this);

    const auto mods = key.getModifiers();
    const auto code = key.getKeyCode();
    const auto plain = ! mods.isCommandDown() && ! mods.isAltDown();

    if (performEditKey (key))
        return true;

    if (EditKeys::isDelete (key))
        deleteSelection();
    else if (plain && (code == juce::KeyPress::upKey || code == juce::KeyPress::downKey))
        moveSelection (0, (code == juce::KeyPress::upKey ? 1 : -1) * (mods.isShiftDown() ? 12 : 1));
    else if (plain && ! mods.isShiftDown() && (code == juce::KeyPress::leftKey || code == juce::KeyPress::rightKey))
        moveSelection ((code == juce::KeyPress::rightKey ? 1 : -1) * gridTicks(), 0);
    else if (const auto tool = EditKeys::toolNumber (key); tool > 0)
        setTool (std::array<NoteTool, 4> { NoteTool::Draw, NoteTool::Select, NoteTool::Resize, NoteTool::Erase }[(size_t) tool - 1]);
    else
        return false;

    return true;
}

//==============================================================================
std::vector<ClipNote> PianoRollComponent::selectedNotes() const
{
    // In list order, as they were in the clip.
    std::vector<ClipNote> notes;
    for (const auto* note : workingNotes)
        if (selection.contains (const_cast<ClipNote*> (note)))
            notes.push_back (*note);
    return notes;
}

void PianoRollComponent::addNotesSelected (const std::vector<ClipNote>& notes)
{
    const ScopedRepaint repaintChanges (*this);

    if (notes.empty())
        return;

    beginEdit();
    selection.clear();
    for (const auto& note : notes)
        selection.add (workingNotes.add (new ClipNote (note)));
    endEdit();
}

void PianoRollComponent::clearSelection()
{
    const ScopedRepaint repaintChanges (*this);

    selection.clear();
}

void PianoRollComponent::selectAll()
{
    const ScopedRepaint repaintChanges (*this);

    std::vector<ClipNote*> all;
    for (auto* note : workingNotes)
        if (PianoRollGeometry::isDrawablePitch (note->pitch))
            all.push_back (note);
    selection.set (std::move (all));
}

void PianoRollComponent::copySelection()
{
    if (! selection.isEmpty())
        session.clipboard.setNotes (selectedNotes());
}

void PianoRollComponent::cutSelection()
{
    copySelection();
    deleteSelection();
}

void PianoRollComponent::paste()
{
    // At the last place clicked on the grid, inside the clip.
    if (canEdit() && session.clipboard.holdsNotes())
        addNotesSelected (NoteEditing::placed (session.clipboard.getNotes(), lastClickedTick, clipEndTick()));
}

void PianoRollComponent::duplicateSelection()
{
    // Right after the selected notes, inside the clip.
    const auto notes = selectedNotes();
    if (canEdit() && ! notes.empty())
        addNotesSelected (NoteEditing::placed (notes, NoteEditing::endOf (notes), clipEndTick()));
}

void PianoRollComponent::deleteSelection()
{
    const ScopedRepaint repaintChanges (*this);

    if (selection.isEmpty())
        return;

    beginEdit();
    for (auto* note : std::vector<ClipNote*> (selection.items()))
        deleteNote (note);
    endEdit();
}

bool PianoRollComponent::moveSelection (int tickOffset, int pitchOffset)
{
    const ScopedRepaint repaintChanges (*this);

    if (selection.isEmpty() || ! canEdit())
        return false;

    const auto& items = selection.items();
    std::vector<ClipNote> notes;
    for (auto* note : items)
        notes.push_back (*note);

    const auto moved = NoteEditing::moved (notes, tickOffset, pitchOffset);
    if (! moved.has_value())
        return false;

    beginEdit();
    for (size_t i = 0; i < items.size(); ++i)
        *items[i] = (*moved)[i];
    endEdit();
    return true;
}

//==============================================================================
void PianoRollComponent::showContextMenu()
{
    MenuState state;
    state.hasSelection = ! selection.isEmpty();
    state.canPaste = session.clipboard.holdsNotes();
    state.hasItems = ! workingNotes.isEmpty();
    state.canUndo = canUndo();
    state.canRedo = canRedo();

    showMenu (createEditMenu (state), [safeThis = SafePointer<PianoRollComponent> (this)] (int chosen) {
        if (auto* roll = safeThis.getComponent())
            roll->performMenuCommand (chosen);
    });
}
