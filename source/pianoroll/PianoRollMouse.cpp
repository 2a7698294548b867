#include "pianoroll/PianoRollComponent.h"

#include "model/IntRange.h"
#include "pianoroll/NoteEditing.h"
#include "ui/EditKeys.h"

#include <array>

// The piano roll's gestures, keys and commands. Each one that changes the
// notes ends in one transaction on the arrangement.

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
        if (const auto index = canEdit() ? velocityBarAt (position) : -1; index >= 0)
        {
            // Dragging a selected note's bar changes every selected note's velocity by as much.
            const auto& notes = getNotes();
            const auto& pressed = notes[(size_t) index];
            velocityNote = pressed.id;
            velocityAtPress = pressed.velocity;

            grabbedNotes.clear();
            for (size_t i = 0; i < notes.size(); ++i)
                if (notes[i].id == pressed.id || (selection.contains (pressed.id) && selection.contains (notes[i].id)))
                    grabbedNotes.emplace_back (i, notes[i]);

            beginEdit();
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
            isDrawing = true;
            drawingNote = ClipNote { pitch, lastClickedTick, gridTicks(), session.noteVelocity };
            startAudition (*drawingNote);
            break;
        }

        case NoteTool::Select:
            pressWithSelectTool (event);
            break;

        case NoteTool::Resize:
        {
            const auto& notes = getNotes();
            for (const auto& note : notes)
            {
                if (geometry.hitsResizeZone (note, position))
                {
                    isResizing = true;
                    grabbedNote = note.id;
                    if (! selection.contains (note.id))
                        selection.selectOnly (note.id);

                    grabSelection();
                    beginEdit();
                    break;
                }
            }
            break;
        }

        case NoteTool::Erase:
            if (const auto hit = findNoteAt (position); hit >= 0)
            {
                auto notes = getNotes();
                const auto id = notes[(size_t) hit].id;
                selection.keepOnly ([id] (NoteId n) { return n != id; });
                notes.erase (notes.begin() + hit);
                commit ("Erase Note", std::move (notes));
            }
            break;
    }
}

void PianoRollComponent::grabSelection()
{
    // Where each selected note is, in list order: a move or resize starts from there.
    const auto& notes = getNotes();
    grabbedNotes.clear();
    for (size_t i = 0; i < notes.size(); ++i)
        if (selection.contains (notes[i].id))
            grabbedNotes.emplace_back (i, notes[i]);
}

void PianoRollComponent::pressWithSelectTool (const juce::MouseEvent& event)
{
    const auto position = event.getPosition();
    const auto hit = findNoteAt (position);

    if (event.mods.isShiftDown() && hit >= 0)
    {
        selection.toggle (getNotes()[(size_t) hit].id);
        return;
    }

    if (hit < 0)
    {
        // A rubber band: it selects what it touches, added to the selection with Shift.
        selectedBeforeBand = event.mods.isShiftDown() ? selection.items() : std::vector<NoteId>();
        selection.set (selectedBeforeBand);
        bandStart = position;
        return;
    }

    const auto& note = getNotes()[(size_t) hit];
    if (! selection.contains (note.id))
    {
        selection.selectOnly (note.id);
    }
    else
    {
        // The note pressed becomes the last selected; a click that moves
        // nothing leaves it selected alone.
        selection.toggle (note.id);
        selection.add (note.id);
        selectOnlyOnRelease = true;
    }

    startAudition (note);
    isMoving = true;
    draggedSincePress = false;
    pressPosition = position;
    grabbedNote = note.id;
    grabSelection();
    beginEdit();
}

void PianoRollComponent::mouseDrag (const juce::MouseEvent& event)
{
    const ScopedRepaint repaintChanges (*this);

    const auto position = event.getPosition();

    if (velocityNote != 0)
    {
        dragVelocity (position);
        return;
    }

    if (bandStart.has_value())
    {
        rubberBand = juce::Rectangle<int> (*bandStart, position);
        selection.set (selectedBeforeBand);
        for (const auto& note : getNotes())
            if (PianoRollGeometry::isDrawablePitch (note.pitch) && geometry.noteBounds (note).intersects (rubberBand->toFloat()))
                selection.add (note.id);
        return;
    }

    if (currentTool == NoteTool::Resize && isResizing)
        resizeSelectedNotes (position);
    else if (currentTool == NoteTool::Select && isMoving)
    {
        draggedSincePress = draggedSincePress || position.getDistanceFrom (pressPosition) > 2;
        dragSelectedNotes (position);
    }

    if (isDrawing && drawingNote.has_value())
    {
        const auto end = snapToGrid (xToTick (position.x));
        if (end > drawingNote->startTick)
            drawingNote->lengthTicks = end - drawingNote->startTick;
    }
}

void PianoRollComponent::dragSelectedNotes (juce::Point<int> position)
{
    // The note pressed goes to the quantize line and the key nearest the
    // pointer (above the grid the top key, below it the lowest); the other
    // selected notes go along, unless one of them would leave the keys.
    const auto grabbed = std::find_if (grabbedNotes.begin(), grabbedNotes.end(), [this] (const auto& g) { return g.second.id == grabbedNote; });
    if (grabbed == grabbedNotes.end() || ! edited.has_value())
        return;

    const auto& original = grabbed->second;
    const auto tickOffset = juce::int64 { snapToGrid (xToTick (position.x)) } - original.startTick;
    const auto pitchOffset = geometry.pitchNearest (position.y) - original.pitch;

    std::vector<ClipNote> originals;
    for (const auto& [index, was] : grabbedNotes)
        originals.push_back (was);

    if (const auto moved = NoteEditing::moved (originals, tickOffset, pitchOffset))
        for (size_t i = 0; i < grabbedNotes.size(); ++i)
            (*edited)[grabbedNotes[i].first] = (*moved)[i];
}

void PianoRollComponent::resizeSelectedNotes (juce::Point<int> position)
{
    // The note whose edge is dragged follows the pointer; the other selected
    // notes change their length by as much.
    const auto grabbed = std::find_if (grabbedNotes.begin(), grabbedNotes.end(), [this] (const auto& g) { return g.second.id == grabbedNote; });
    if (grabbed == grabbedNotes.end() || ! edited.has_value())
        return;

    const auto snap = [this] (int ticks) { return snapToGrid (ticks); };
    const auto length = NoteEditing::resizedLength (grabbed->second, xToTick (position.x), gridTicks(), clipEndTick(), snap);
    const auto change = juce::int64 { length } - grabbed->second.lengthTicks;

    for (const auto& [index, was] : grabbedNotes)
        (*edited)[index].lengthTicks = was.id == grabbedNote ? length : NoteEditing::lengthChangedBy (was, change, gridTicks(), clipEndTick());
}

void PianoRollComponent::dragVelocity (juce::Point<int> position)
{
    if (! edited.has_value())
        return;

    const auto change = NoteEditing::velocityAt (position.y, velocityLaneArea) - velocityAtPress;
    for (const auto& [index, was] : grabbedNotes)
        (*edited)[index].velocity = NoteEditing::velocityChangedBy (was.velocity, change);
}

void PianoRollComponent::mouseUp (const juce::MouseEvent&)
{
    const ScopedRepaint repaintChanges (*this);

    stopAudition();

    if (velocityNote != 0)
    {
        // New notes take the velocity set last.
        if (const auto index = indexOf (velocityNote); index >= 0)
            session.noteVelocity = getNotes()[(size_t) index].velocity;

        velocityNote = 0;
        grabbedNotes.clear();
        commitEdit ("Change Velocity");
    }
    else if (bandStart.has_value())
    {
        bandStart.reset();
        rubberBand.reset();
    }
    else if (isResizing)
    {
        isResizing = false;
        grabbedNote = 0;
        grabbedNotes.clear();
        commitEdit ("Resize Notes");
    }
    else if (isMoving)
    {
        if (std::exchange (selectOnlyOnRelease, false) && ! draggedSincePress)
            selection.selectOnly (grabbedNote);

        isMoving = false;
        grabbedNote = 0;
        grabbedNotes.clear();
        commitEdit ("Move Notes");
    }
    else if (isDrawing && drawingNote.has_value())
    {
        // The new note goes after the others; it is not selected.
        auto notes = getNotes();
        auto drawn = *std::exchange (drawingNote, std::nullopt);
        drawn.id = model.nextNoteId();
        notes.push_back (drawn);
        isDrawing = false;
        commit ("Draw Note", std::move (notes));
    }
}

int PianoRollComponent::velocityBarAt (juce::Point<int> point) const
{
    // The bar painted last is on top; a bar takes presses over the lane's whole height.
    const auto& notes = getNotes();
    for (auto i = (int) notes.size(); --i >= 0;)
    {
        const auto x = geometry.tickToX (notes[(size_t) i].startTick);
        const auto px = static_cast<float> (point.x);
        if (x - 2.0f <= px && px <= x + static_cast<float> (NoteEditing::barWidth) + 2.0f)
            return i;
    }

    return -1;
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
    // In list order, as they are in the clip.
    std::vector<ClipNote> notes;
    for (const auto& note : getNotes())
        if (selection.contains (note.id))
            notes.push_back (note);
    return notes;
}

void PianoRollComponent::addNotesSelected (std::vector<ClipNote> added, const juce::String& name, const juce::String& done)
{
    const ScopedRepaint repaintChanges (*this);

    if (added.empty() || isInGesture())
        return;

    if (model.getSnapshot()->countNotes() + added.size() > (size_t) Arrangement::maxNotes)
    {
        showMessage ("Too Many Notes", Arrangement::tooManyNotesMessage ("The arrangement would have", done));
        return;
    }

    // New notes after the old ones, each a note of its own, and selected.
    auto notes = getNotes();
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

void PianoRollComponent::clearSelection()
{
    const ScopedRepaint repaintChanges (*this);

    selection.clear();
}

void PianoRollComponent::selectAll()
{
    const ScopedRepaint repaintChanges (*this);

    std::vector<NoteId> all;
    for (const auto& note : getNotes())
        if (PianoRollGeometry::isDrawablePitch (note.pitch))
            all.push_back (note.id);
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
        addNotesSelected (NoteEditing::placed (session.clipboard.getNotes(), lastClickedTick, clipEndTick()), "Paste Notes", "pasted");
}

void PianoRollComponent::duplicateSelection()
{
    // Right after the selected notes, inside the clip.
    const auto notes = selectedNotes();
    if (canEdit() && ! notes.empty())
        addNotesSelected (NoteEditing::placed (notes, NoteEditing::endOf (notes), clipEndTick()), "Duplicate Notes", "duplicated");
}

void PianoRollComponent::deleteSelection()
{
    const ScopedRepaint repaintChanges (*this);

    if (selection.isEmpty() || isInGesture() || ! isAttached())
        return;

    auto notes = getNotes();
    notes.erase (std::remove_if (notes.begin(), notes.end(), [this] (const ClipNote& n) { return selection.contains (n.id); }), notes.end());
    selection.clear();
    commit ("Delete Notes", std::move (notes));
}

bool PianoRollComponent::moveSelection (int tickOffset, int pitchOffset)
{
    const ScopedRepaint repaintChanges (*this);

    if (selection.isEmpty() || ! canEdit() || isInGesture())
        return false;

    // The selected notes in the order they were selected, each at its place in the list.
    std::vector<size_t> places;
    std::vector<ClipNote> originals;
    for (const auto id : selection.items())
    {
        if (const auto index = indexOf (id); index >= 0)
        {
            places.push_back ((size_t) index);
            originals.push_back (getNotes()[(size_t) index]);
        }
    }

    const auto moved = NoteEditing::moved (originals, tickOffset, pitchOffset);
    if (! moved.has_value())
        return false;

    auto notes = getNotes();
    for (size_t i = 0; i < places.size(); ++i)
        notes[places[i]] = (*moved)[i];

    commit ("Move Notes", std::move (notes));
    return true;
}

//==============================================================================
void PianoRollComponent::showContextMenu()
{
    MenuState state;
    state.hasSelection = ! selection.isEmpty();
    state.canPaste = session.clipboard.holdsNotes();
    state.hasItems = ! getNotes().empty();
    state.canUndo = canUndo();
    state.canRedo = canRedo();

    showMenu (createEditMenu (state), [safeThis = SafePointer<PianoRollComponent> (this)] (int chosen) {
        if (auto* roll = safeThis.getComponent())
            roll->performMenuCommand (chosen);
    });
}
