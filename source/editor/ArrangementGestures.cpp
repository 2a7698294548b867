#include "editor/ArrangementGestures.h"

#include "editor/ArrangementEditing.h"
#include "model/ClipRules.h"
#include "model/IntRange.h"

namespace geo = ArrangementGeometry;

ArrangementGestures::ArrangementGestures (ArrangementModel& m, Selection<ClipId>& s)
    : model (m), selection (s)
{
}

//==============================================================================
void ArrangementGestures::press (EditTool tool, const juce::MouseEvent& event, const Frame& frame)
{
    const auto position = event.getPosition();
    state = Idle {};

    switch (tool)
    {
        case EditTool::Select:
            pressWithSelect (event, frame);
            break;

        case EditTool::Draw:
            pressWithDraw (position, frame);
            break;

        case EditTool::Drag:
            // A pan starts only on the lanes; a drag that began elsewhere scrolls nothing.
            if (frame.lanes.contains (position))
                state = Pan { position };
            break;

        case EditTool::Resize:
            if (const auto id = ArrangementEditing::resizeHandleAt (*model.getSnapshot(), position - frame.lanes.getPosition(), frame.view); id != 0)
            {
                selection.selectOnly (id);
                state = Resize { id, model.getSnapshot()->findClip (id)->data.lengthQ };
            }
            break;
    }
}

void ArrangementGestures::pressWithSelect (const juce::MouseEvent& event, const Frame& frame)
{
    const auto snapshot = model.getSnapshot();
    const auto position = event.getPosition();
    const auto local = position - frame.lanes.getPosition();
    const auto hitId = ArrangementEditing::clipAt (*snapshot, local, frame.view);
    const auto hit = hitId != 0 ? std::optional<ClipId> (hitId) : std::nullopt;

    const auto how = SelectGesture<ClipId>::press (selection, hit, event.mods.isShiftDown());
    if (how == SelectGesture<ClipId>::Press::band)
    {
        state = SelectGesture<ClipId>::startBand (selection, position, event.mods.isShiftDown());
        return;
    }

    if (how == SelectGesture<ClipId>::Press::toggled)
        return;

    // The selected clips go along with the one pressed, from where they are now.
    Move move;
    move.pressed = hitId;
    move.how = how;
    move.pressPosition = position;
    for (const auto id : selection.items())
    {
        if (const auto* clip = snapshot->findClip (id))
        {
            move.ids.push_back (id);
            move.originals.push_back (clip->data);
        }
    }

    const auto extent = ArrangementEditing::extentOf (snapshot->findClip (hitId)->data, snapshot->numTracks, frame.view);
    move.grabOffset = { local.x - extent.x, juce::int64 { local.y } - extent.y };
    state = std::move (move);
}

void ArrangementGestures::pressWithDraw (juce::Point<int> position, const Frame& frame)
{
    const auto snapshot = model.getSnapshot();
    if (! frame.lanes.contains (position))
        return;

    const auto lane = geo::laneAtY (position.y);
    if (lane < 0 || lane >= snapshot->numTracks)
        return;

    const auto q = juce::jmax (0, frame.snap (geo::xToQuarter (position.x, frame.view) * Arrangement::ticksPerQuarter) / Arrangement::ticksPerQuarter);
    if (q > Arrangement::timelineQuarters - 1 || ClipRules::wouldOverlap (snapshot->clipData(), lane + 1, q, 1, nullptr))
        return;

    state = Draw { { lane + 1, q, 1, {} } };
}

//==============================================================================
void ArrangementGestures::drag (const juce::MouseEvent& event, const Frame& frame)
{
    const auto position = event.getPosition();

    if (auto* band = std::get_if<Band> (&state))
    {
        // The band selects every clip it touches, in the order of the clips.
        const auto snapshot = model.getSnapshot();
        SelectGesture<ClipId>::dragBand (*band, position, selection, [&] (juce::Rectangle<int> rect) {
            return ArrangementEditing::clipsTouching (*snapshot, rect - frame.lanes.getPosition(), frame.view);
        });
    }
    else if (auto* move = std::get_if<Move> (&state))
    {
        dragMove (*move, position, frame);
    }
    else if (auto* draw = std::get_if<Draw> (&state))
    {
        // As long as the pointer reaches, up to the next clip on the track.
        auto& clip = draw->clip;
        const auto others = model.getSnapshot()->clipData();
        const auto longest = ArrangementEditing::drawnLength (position.x, clip.startQ, frame.view, frame.snap);
        clip.lengthQ = ArrangementEditing::longestFreeLength (longest, [&] (int length) {
            return ! ClipRules::wouldOverlap (others, clip.track, clip.startQ, length, nullptr);
        });
    }
    else if (auto* pan = std::get_if<Pan> (&state))
    {
        const auto scrolled = ArrangementEditing::pannedOffset (frame.view.scrollOffset, position.x - pan->anchor.x, frame.editorWidth, frame.view);
        pan->anchor = position;
        if (onPan != nullptr)
            onPan (scrolled);
    }
    else if (auto* resize = std::get_if<Resize> (&state))
    {
        // Only a length that keeps the rules is taken; else it stays as it last was.
        const auto snapshot = model.getSnapshot();
        if (const auto* clip = snapshot->findClip (resize->clip))
        {
            const auto length = ArrangementEditing::resizedLength (position.x - frame.lanes.getX(), clip->data.startQ, frame.view, frame.snap);
            if (! ClipRules::wouldOverlap (ClipPlacement::othersThan (*snapshot, { resize->clip }), clip->data.track, clip->data.startQ, length, nullptr))
                resize->lengthQ = length;
        }
    }
}

void ArrangementGestures::dragMove (Move& move, juce::Point<int> position, const Frame& frame)
{
    move.dragged = move.dragged || position.getDistanceFrom (move.pressPosition) > 2;

    // Pulled out of the lanes: the clip goes to the operating system's drag as
    // a file, from where it was moved to. When no file could be written, it
    // stays where it is for the rest of the gesture.
    if (! move.triedDragOut && ! frame.lanes.contains (position))
    {
        move.triedDragOut = true;
        const auto path = exportForDragOut != nullptr ? exportForDragOut (move.pressed) : juce::String();
        if (path.isNotEmpty() && juce::File (path).existsAsFile())
        {
            commitMove (move);
            state = Idle {};
            if (startDragOut != nullptr)
                startDragOut (path);
            return;
        }
    }

    if (move.triedDragOut)
        return;

    // The clip pressed goes to the lane and the quarter under the pointer, and
    // every selected clip by as much; when one of them would break a rule,
    // none moves and they stay where they last were.
    const auto snapshot = model.getSnapshot();
    const auto pressed = std::find (move.ids.begin(), move.ids.end(), move.pressed);
    if (pressed == move.ids.end())
        return;

    const auto& original = move.originals[(size_t) std::distance (move.ids.begin(), pressed)];
    const auto local = position - frame.lanes.getPosition();
    const auto grabbed = juce::Point<juce::int64> (local.x, local.y) - move.grabOffset;
    const auto lane = ArrangementEditing::movedLane (IntRange::saturate (grabbed.y), snapshot->numTracks);
    const auto start = ArrangementEditing::movedStart (IntRange::saturate (grabbed.x), original.lengthQ, frame.view, frame.snap);
    const auto laneOffset = lane - geo::laneForTrack (original.track, snapshot->numTracks);
    const auto quarterOffset = start - original.startQ;

    if (ClipPlacement::moved (move.originals, laneOffset, quarterOffset, snapshot->numTracks, ClipPlacement::othersThan (*snapshot, move.ids)))
    {
        move.laneOffset = laneOffset;
        move.quarterOffset = quarterOffset;
    }
}

void ArrangementGestures::commitMove (Move& move)
{
    model.perform (move.ids.size() == 1 ? "Move Clip" : "Move Clips",
                   [&move] (ArrangementModel::Edit& edit) { edit.moveClips (move.ids, move.laneOffset, move.quarterOffset); });
}

void ArrangementGestures::release()
{
    // The gesture ends before the arrangement changes: the view then shows the model.
    auto ended = std::exchange (state, Idle {});

    if (auto* move = std::get_if<Move> (&ended))
    {
        commitMove (*move);
        SelectGesture<ClipId>::release (selection, move->pressed, move->how, move->dragged);
    }
    else if (auto* draw = std::get_if<Draw> (&ended))
    {
        model.perform ("Draw Clip", [draw] (ArrangementModel::Edit& edit) { edit.placeClips ({ draw->clip }); });
    }
    else if (auto* resize = std::get_if<Resize> (&ended))
    {
        model.perform ("Resize Clip", [resize] (ArrangementModel::Edit& edit) { edit.resizeClip (resize->clip, resize->lengthQ); });
    }
}

//==============================================================================
std::optional<ClipData> ArrangementGestures::previewOf (const Clip& clip) const
{
    if (const auto* move = std::get_if<Move> (&state); move != nullptr && (move->laneOffset != 0 || move->quarterOffset != 0))
    {
        const auto it = std::find (move->ids.begin(), move->ids.end(), clip.id);
        if (it != move->ids.end())
        {
            // As moveClips will move it: to its lane as shown, offset, and on by as many quarters.
            auto moved = move->originals[(size_t) std::distance (move->ids.begin(), it)];
            moved.track = geo::laneForTrack (moved.track, model.getSnapshot()->numTracks) + move->laneOffset + 1;
            moved.startQ += move->quarterOffset;
            return moved;
        }
    }

    if (const auto* resize = std::get_if<Resize> (&state); resize != nullptr && resize->clip == clip.id)
    {
        auto resized = clip.data;
        resized.lengthQ = resize->lengthQ;
        return resized;
    }

    return std::nullopt;
}

std::optional<ClipData> ArrangementGestures::drawing() const
{
    if (const auto* draw = std::get_if<Draw> (&state))
        return draw->clip;

    return std::nullopt;
}

std::optional<juce::Rectangle<int>> ArrangementGestures::band() const
{
    if (const auto* band = std::get_if<Band> (&state))
        return band->rect;

    return std::nullopt;
}
