#include "pianoroll/NoteGestures.h"

#include "model/Scales.h"

#include "model/Quantize.h"
#include "pianoroll/NoteEditing.h"

namespace
{
    /** The first note in list order whose rectangle contains the point: its index, or -1. */
    int noteAt (const std::vector<ClipNote>& notes, const PianoRollGeometry& geometry, juce::Point<int> point)
    {
        for (size_t i = 0; i < notes.size(); ++i)
            if (geometry.hitsNote (notes[i], point))
                return (int) i;

        return -1;
    }

    /** The note whose velocity bar takes a press at the point: the bar painted
        last is on top, and a bar takes presses over the lane's whole height.
    */
    int velocityBarAt (const std::vector<ClipNote>& notes, const PianoRollGeometry& geometry, juce::Point<int> point)
    {
        for (auto i = (int) notes.size(); --i >= 0;)
        {
            const auto x = geometry.tickToX (notes[(size_t) i].startTick);
            const auto px = static_cast<float> (point.x);
            if (x - 2.0f <= px && px <= x + static_cast<float> (NoteEditing::barWidth) + 2.0f)
                return i;
        }

        return -1;
    }
} // namespace

NoteGestures::NoteGestures (Selection<NoteId>& s)
    : selection (s)
{
}

NoteGestures::Grabbed NoteGestures::grabSelection (const std::vector<ClipNote>& notes) const
{
    // Where each selected note is, in list order: a move or resize starts from there.
    Grabbed grabbed;
    for (size_t i = 0; i < notes.size(); ++i)
        if (selection.contains (notes[i].id))
            grabbed.emplace_back (i, notes[i]);
    return grabbed;
}

//==============================================================================
void NoteGestures::press (NoteTool tool, const juce::MouseEvent& event, const Frame& frame)
{
    const auto position = event.getPosition();
    state = Idle {};

    if (frame.velocityLane.has_value() && frame.velocityLane->contains (position))
    {
        const auto index = velocityBarAt (frame.notes, frame.geometry, position);
        if (index < 0)
            return;

        // Dragging a selected note's bar changes every selected note's velocity by as much.
        const auto& pressed = frame.notes[(size_t) index];
        Velocity velocity { pressed.id, pressed.velocity, {}, frame.notes };
        for (size_t i = 0; i < frame.notes.size(); ++i)
            if (frame.notes[i].id == pressed.id || (selection.contains (pressed.id) && selection.contains (frame.notes[i].id)))
                velocity.grabbed.emplace_back (i, frame.notes[i]);

        dragVelocity (velocity, position, frame);
        state = std::move (velocity);
        return;
    }

    if (frame.geometry.gridArea.contains (position))
        pressOnGrid (tool, event, frame);
}

int NoteGestures::toScale (int pitch, const juce::MouseEvent& event, const Frame& frame) noexcept
{
    // Alt held: any key, scale or not.
    if (event.mods.isAltDown())
        return pitch;
    return Scales::snap (frame.scale, frame.scaleRoot, pitch, PianoRollGeometry::lowestPitch, PianoRollGeometry::highestPitch);
}

void NoteGestures::pressOnGrid (NoteTool tool, const juce::MouseEvent& event, const Frame& frame)
{
    const auto position = event.getPosition();
    const auto& notes = frame.notes;

    switch (tool)
    {
        case NoteTool::Draw:
        {
            auto pitch = frame.geometry.yToPitch (position.y);
            if (pitch < 0)
                return;
            pitch = toScale (pitch, event, frame);

            // A note drawn in the last half step would snap to the clip's end,
            // out of every tool's reach: it starts on the last step inside.
            const auto start = NoteEditing::drawnStart (Quantize::snapToGrid (frame.geometry.xToTick (position.x), frame.step), frame.clipEndTick, frame.step);
            state = Draw { { pitch, start, frame.step, frame.newVelocity } };
            if (onPressNote != nullptr)
                onPressNote (std::get<Draw> (state).note);
            break;
        }

        case NoteTool::Select:
        {
            const auto index = noteAt (notes, frame.geometry, position);
            const auto hit = index >= 0 ? std::optional<NoteId> (notes[(size_t) index].id) : std::nullopt;
            const auto how = SelectGesture<NoteId>::press (selection, hit, event.mods.isShiftDown());

            if (how == SelectGesture<NoteId>::Press::band)
                state = SelectGesture<NoteId>::startBand (selection, position, event.mods.isShiftDown());
            else if (how != SelectGesture<NoteId>::Press::toggled)
            {
                if (onPressNote != nullptr)
                    onPressNote (notes[(size_t) index]);
                state = Move { *hit, how, grabSelection (notes), notes, position };
            }
            break;
        }

        case NoteTool::Resize:
            for (const auto& note : notes)
            {
                if (frame.geometry.hitsResizeZone (note, position))
                {
                    if (! selection.contains (note.id))
                        selection.selectOnly (note.id);

                    state = Resize { note.id, grabSelection (notes), notes };
                    break;
                }
            }
            break;

        case NoteTool::Erase:
            if (const auto index = noteAt (notes, frame.geometry, position); index >= 0)
            {
                auto without = notes;
                const auto id = without[(size_t) index].id;
                selection.keepOnly ([id] (NoteId n) { return n != id; });
                without.erase (without.begin() + index);
                if (commit != nullptr)
                    commit ("Erase Note", std::move (without));
            }
            break;
    }
}

//==============================================================================
void NoteGestures::drag (const juce::MouseEvent& event, const Frame& frame)
{
    const auto position = event.getPosition();
    const auto& geometry = frame.geometry;
    const auto snap = [&frame] (int ticks) { return Quantize::snapToGrid (ticks, frame.step); };

    if (auto* velocity = std::get_if<Velocity> (&state))
    {
        dragVelocity (*velocity, position, frame);
    }
    else if (auto* band = std::get_if<Band> (&state))
    {
        SelectGesture<NoteId>::dragBand (*band, position, selection, [&] (juce::Rectangle<int> rect) {
            std::vector<NoteId> touched;
            for (const auto& note : frame.notes)
                if (PianoRollGeometry::isDrawablePitch (note.pitch) && geometry.noteBounds (note).intersects (rect.toFloat()))
                    touched.push_back (note.id);
            return touched;
        });
    }
    else if (auto* move = std::get_if<Move> (&state))
    {
        // The note pressed goes to the quantize line and the key nearest the
        // pointer (above the grid the top key, below it the lowest); the other
        // selected notes go along, unless one of them would leave the keys.
        move->dragged = move->dragged || position.getDistanceFrom (move->pressPosition) > 2;

        const auto pressed = std::find_if (move->grabbed.begin(), move->grabbed.end(), [move] (const auto& g) { return g.second.id == move->pressed; });
        if (pressed == move->grabbed.end())
            return;

        const auto tickOffset = juce::int64 { snap (geometry.xToTick (position.x)) } - pressed->second.startTick;
        const auto pitchOffset = toScale (geometry.pitchNearest (position.y), event, frame) - pressed->second.pitch;

        std::vector<ClipNote> originals;
        for (const auto& [index, was] : move->grabbed)
            originals.push_back (was);

        if (const auto moved = NoteEditing::moved (originals, tickOffset, pitchOffset))
            for (size_t i = 0; i < move->grabbed.size(); ++i)
                move->edited[move->grabbed[i].first] = (*moved)[i];
    }
    else if (auto* resize = std::get_if<Resize> (&state))
    {
        // The note whose edge is dragged follows the pointer; the other
        // selected notes change their length by as much.
        const auto pressed = std::find_if (resize->grabbed.begin(), resize->grabbed.end(), [resize] (const auto& g) { return g.second.id == resize->pressed; });
        if (pressed == resize->grabbed.end())
            return;

        const auto length = NoteEditing::resizedLength (pressed->second, geometry.xToTick (position.x), frame.step, frame.clipEndTick, snap);
        const auto change = juce::int64 { length } - pressed->second.lengthTicks;

        for (const auto& [index, was] : resize->grabbed)
            resize->edited[index].lengthTicks = was.id == resize->pressed ? length : NoteEditing::lengthChangedBy (was, change, frame.step, frame.clipEndTick);
    }
    else if (auto* draw = std::get_if<Draw> (&state))
    {
        // The drawn note grows and shrinks to the right of its start in whole steps.
        const auto end = snap (geometry.xToTick (position.x));
        if (end > draw->note.startTick)
            draw->note.lengthTicks = end - draw->note.startTick;
    }
}

void NoteGestures::dragVelocity (Velocity& velocity, juce::Point<int> position, const Frame& frame)
{
    const auto change = NoteEditing::velocityAt (position.y, *frame.velocityLane) - velocity.velocityAtPress;
    for (const auto& [index, was] : velocity.grabbed)
        velocity.edited[index].velocity = NoteEditing::velocityChangedBy (was.velocity, change);
}

void NoteGestures::release (const Frame& frame)
{
    // The gesture ends before the clip changes: the roll then shows the model.
    auto ended = std::exchange (state, Idle {});
    const auto done = [this] (const juce::String& name, std::vector<ClipNote> notes) {
        if (commit != nullptr)
            commit (name, std::move (notes));
    };

    if (auto* velocity = std::get_if<Velocity> (&ended))
    {
        // New notes take the velocity set last.
        for (const auto& note : velocity->edited)
            if (note.id == velocity->pressed && onVelocitySet != nullptr)
                onVelocitySet (note.velocity);
        done ("Change Velocity", std::move (velocity->edited));
    }
    else if (auto* resize = std::get_if<Resize> (&ended))
    {
        done ("Resize Notes", std::move (resize->edited));
    }
    else if (auto* move = std::get_if<Move> (&ended))
    {
        SelectGesture<NoteId>::release (selection, move->pressed, move->how, move->dragged);
        done ("Move Notes", std::move (move->edited));
    }
    else if (auto* draw = std::get_if<Draw> (&ended))
    {
        // The new note goes after the others; it is not selected.
        auto notes = frame.notes;
        draw->note.id = newNoteId != nullptr ? newNoteId() : 0;
        notes.push_back (draw->note);
        done ("Draw Note", std::move (notes));
    }
}

//==============================================================================
const std::vector<ClipNote>* NoteGestures::preview() const noexcept
{
    if (const auto* move = std::get_if<Move> (&state))
        return &move->edited;
    if (const auto* resize = std::get_if<Resize> (&state))
        return &resize->edited;
    if (const auto* velocity = std::get_if<Velocity> (&state))
        return &velocity->edited;
    return nullptr;
}

std::optional<ClipNote> NoteGestures::drawing() const
{
    if (const auto* draw = std::get_if<Draw> (&state))
        return draw->note;
    return std::nullopt;
}

std::optional<juce::Rectangle<int>> NoteGestures::band() const
{
    if (const auto* band = std::get_if<Band> (&state))
        return band->rect;
    return std::nullopt;
}

NoteId NoteGestures::velocityNote() const noexcept
{
    const auto* velocity = std::get_if<Velocity> (&state);
    return velocity != nullptr ? velocity->pressed : 0;
}

bool NoteGestures::isMoving() const noexcept
{
    return std::holds_alternative<Move> (state);
}
