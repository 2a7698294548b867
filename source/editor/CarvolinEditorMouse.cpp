#include "editor/CarvolinEditor.h"

#include "editor/ArrangementEditing.h"
#include "model/ClipRules.h"
#include "model/IntRange.h"
#include "pianoroll/PianoRollComponent.h"
#include "ui/EditKeys.h"

// The arrangement's mouse and key editing.

//==============================================================================
bool CarvolinEditor::wouldOverlap (int track, int startQ, int lengthQ, const ScoreComponent* ignore) const
{
    return ClipRules::wouldOverlap (clips, track, startQ, lengthQ, ignore);
}

ScoreComponent* CarvolinEditor::clipAt (juce::Point<int> editorPosition) const
{
    const auto local = toLanes (editorPosition);

    for (const auto& clip : clips)
        if (clip->getExtent().contains (local))
            return clip.get();

    return nullptr;
}

void CarvolinEditor::mouseMove (const juce::MouseEvent& event)
{
    const auto position = event.getPosition();

    if (currentTool == EditTool::Resize && arrangementArea.contains (position))
    {
        const auto local = toLanes (position);
        for (const auto& clip : clips)
        {
            if (ArrangementEditing::isOnResizeHandle (clip->getExtent(), local))
            {
                setMouseCursor (juce::MouseCursor::LeftRightResizeCursor);
                return;
            }
        }
    }

    setMouseCursor (juce::MouseCursor::NormalCursor);
}

void CarvolinEditor::mouseDown (const juce::MouseEvent& event)
{
    const ScopedRepaint repaintChanges (*this);

    namespace geo = ArrangementGeometry;
    const auto position = event.getPosition();
    const auto numTracks = static_cast<int> (tracks.size());

    if (event.mods.isPopupMenu())
    {
        showContextMenu();
        return;
    }

    // Pasted clips go where the lanes were clicked last.
    if (arrangementArea.contains (position) && numTracks > 0)
    {
        lastClickedLane = juce::jlimit (0, numTracks - 1, geo::laneAtY (position.y));
        const auto q = juce::jlimit (0, Arrangement::timelineQuarters - 1, geo::xToQuarter (position.x, getView()));
        lastClickedQuarter = ArrangementEditing::snapQuarters (q, [this] (int ticks) { return snapToGrid (ticks); });
    }

    switch (currentTool)
    {
        case EditTool::Select:
        {
            auto* hit = clipAt (position);

            if (hit != nullptr && event.mods.isShiftDown())
            {
                // Shift+click adds a clip to the selection or takes it out.
                selection.toggle (hit->clipId);
            }
            else if (hit == nullptr)
            {
                // A press on empty space clears the selection (or, with Shift,
                // keeps it); a drag from there draws a rubber band.
                selectedBeforeBand = event.mods.isShiftDown() ? selection.items() : std::vector<ClipId>();
                selection.set (selectedBeforeBand);
                bandStart = position;
            }
            else
            {
                if (! selection.contains (hit->clipId))
                {
                    selection.selectOnly (hit->clipId);
                }
                else
                {
                    // The clip pressed becomes the one selected last; a click
                    // that moves nothing leaves it selected alone.
                    selection.toggle (hit->clipId);
                    selection.add (hit->clipId);
                    selectOnlyOnRelease = true;
                }

                isMoving = true;
                externalDragStarted = false;
                draggedSincePress = false;
                pressPosition = position;
                grabbedClip = hit->clipId;
                grabbedClips.clear();
                for (const auto id : selection.items())
                    if (auto* selected = findClip (id))
                        grabbedClips.emplace_back (id, static_cast<const ClipData&> (*selected));

                const auto extent = hit->getExtent();
                const auto local = toLanes (position);
                grabOffset = { local.x - extent.x, juce::int64 { local.y } - extent.y };
            }
            break;
        }

        case EditTool::Draw:
        {
            if (numTracks == 0 || ! arrangementArea.contains (position))
                return;

            const auto lane = geo::laneAtY (position.y);
            if (lane < 0 || lane >= numTracks)
                return;

            const auto view = getView();
            const auto q = juce::jmax (0, snapToGrid (geo::xToQuarter (position.x, view) * Arrangement::ticksPerQuarter) / Arrangement::ticksPerQuarter);
            if (q > Arrangement::timelineQuarters - 1 || wouldOverlap (lane + 1, q, 1, nullptr))
                return;

            isDrawing = true;
            drawTrackIndex = lane;
            drawingClip = std::make_unique<ScoreComponent> (lane + 1, q, 1);
            clipContainer.addAndMakeVisible (*drawingClip);
            drawingClip->setBounds (geo::quarterToX (q, view), lane * geo::laneHeight + geo::clipTopInset,
                                    geo::spanWidth (q, 1, view), geo::clipHeight);
            break;
        }

        case EditTool::Drag:
        {
            // A pan starts only on the lanes; a drag that began elsewhere scrolls nothing.
            isPanning = arrangementArea.contains (position);
            if (isPanning)
                panAnchor = position;
            break;
        }

        case EditTool::Resize:
        {
            const auto local = toLanes (position);
            for (const auto& clip : clips)
            {
                if (ArrangementEditing::isOnResizeHandle (clip->getExtent(), local))
                {
                    isResizing = true;
                    resizingClip = clip->clipId;
                    selection.selectOnly (clip->clipId);
                    break;
                }
            }
            break;
        }
    }
}

void CarvolinEditor::mouseDrag (const juce::MouseEvent& event)
{
    const ScopedRepaint repaintChanges (*this);

    namespace geo = ArrangementGeometry;
    const auto position = event.getPosition();
    const auto view = getView();
    const auto snap = [this] (int ticks) { return snapToGrid (ticks); };

    switch (currentTool)
    {
        case EditTool::Select:
        {
            if (bandStart.has_value())
            {
                dragRubberBand (position);
                return;
            }

            auto* moving = findClip (grabbedClip);
            if (! isMoving || moving == nullptr)
                return;

            draggedSincePress = draggedSincePress || position.getDistanceFrom (pressPosition) > 2;

            if (! externalDragStarted && ! arrangementArea.contains (position))
            {
                externalDragStarted = true;
                const auto path = exportClipToTempFile (moving);

                if (path.isNotEmpty() && juce::File (path).existsAsFile())
                {
                    // The clip keeps where it was moved to before it left the lanes.
                    isMoving = false;
                    externalDragStarted = false;
                    commitMovedClips();
                    performExternalDragDropOfFiles ({ path }, false, nullptr, nullptr);
                    return;
                }
            }

            // Once a drag out was tried and no file could be written, the clip
            // stays where it is for the rest of the gesture.
            if (! externalDragStarted)
            {
                const auto local = toLanes (position);
                const auto grabbed = juce::Point<juce::int64> (local.x, local.y) - grabOffset;
                const juce::Point<int> topLeft (IntRange::saturate (grabbed.x), IntRange::saturate (grabbed.y));
                const auto lane = ArrangementEditing::movedLane (topLeft.y, static_cast<int> (tracks.size()));
                const auto start = ArrangementEditing::movedStart (topLeft.x, moving->lengthQ, view, snap);
                moveGrabbedClips (lane, start);
            }

            break;
        }

        case EditTool::Draw:
        {
            if (! isDrawing || drawingClip == nullptr)
                return;

            auto& clip = *drawingClip;
            const auto longest = ArrangementEditing::drawnLength (position.x, clip.startQ, view, snap);
            clip.lengthQ = ArrangementEditing::longestFreeLength (longest, [&] (int len) {
                return ! wouldOverlap (clip.track, clip.startQ, len, &clip);
            });
            clip.setBounds (geo::quarterToX (clip.startQ, view), drawTrackIndex * geo::laneHeight + geo::clipTopInset,
                            geo::spanWidth (clip.startQ, clip.lengthQ, view), geo::clipHeight);
            break;
        }

        case EditTool::Drag:
        {
            if (! isPanning)
                return;

            scrollOffset = ArrangementEditing::pannedOffset (scrollOffset, position.x - panAnchor.x, getWidth(), view);
            timelineScrollBar.setCurrentRangeStart (scrollOffset, juce::dontSendNotification);
            panAnchor = position;
            layOutAndRepaint();
            break;
        }

        case EditTool::Resize:
        {
            auto* resizing = findClip (resizingClip);
            if (! isResizing || resizing == nullptr)
                return;

            const auto len = ArrangementEditing::resizedLength (toLanes (position).x, resizing->startQ, view, snap);
            if (! wouldOverlap (resizing->track, resizing->startQ, len, resizing))
            {
                resizing->lengthQ = len;
                resized();
            }
            break;
        }
    }
}

void CarvolinEditor::mouseUp (const juce::MouseEvent&)
{
    const ScopedRepaint repaintChanges (*this);

    switch (currentTool)
    {
        case EditTool::Resize:
            if (isResizing)
            {
                isResizing = false;
                if (auto* resized = findClip (std::exchange (resizingClip, 0)))
                    commitMovedClip (*resized, "Resize Clip");
                return;
            }
            break;

        case EditTool::Drag:
            isPanning = false;
            return;

        case EditTool::Select:
            if (bandStart.has_value())
            {
                bandStart.reset();
                rubberBand.reset();
                return;
            }

            if (isMoving)
            {
                isMoving = false;
                const auto pressed = grabbedClip;
                commitMovedClips();
                if (std::exchange (selectOnlyOnRelease, false) && ! draggedSincePress)
                {
                    selection.selectOnly (pressed);
                }
                return;
            }
            break;

        case EditTool::Draw:
            break;
    }

    finishDrawing();
}

void CarvolinEditor::dragRubberBand (juce::Point<int> position)
{
    // The band selects every clip it touches, in the order of the clips.
    rubberBand = juce::Rectangle<int> (*bandStart, position);
    const auto band = rubberBand->translated (-arrangementArea.getX(), -arrangementArea.getY());

    selection.set (selectedBeforeBand);
    for (const auto& clip : clips)
    {
        const auto extent = clip->getExtent();
        if (extent.x < band.getRight() && band.getX() < extent.getRight() && extent.y < band.getBottom() && band.getY() < extent.y + extent.height)
            selection.add (clip->clipId);
    }
}

void CarvolinEditor::moveGrabbedClips (int lane, int start)
{
    // The clip pressed goes to lane and start, and every selected clip by as
    // much; when one of them would break a rule, none moves and they stay
    // where they last were. Only the components show the move until release.
    const auto grabbed = std::find_if (grabbedClips.begin(), grabbedClips.end(), [this] (const auto& g) { return g.first == grabbedClip; });
    if (grabbed == grabbedClips.end())
        return;

    const auto numTracks = (int) tracks.size();
    const auto laneOffset = lane - ArrangementGeometry::laneForTrack (grabbed->second.track, numTracks);
    const auto quarterOffset = start - grabbed->second.startQ;

    std::vector<ClipData> originals;
    Selection<ClipId> moving;
    for (const auto& [id, data] : grabbedClips)
    {
        originals.push_back (data);
        moving.add (id);
    }

    if (const auto moved = ClipPlacement::moved (originals, laneOffset, quarterOffset, numTracks, clipsOtherThan (moving)))
    {
        for (size_t i = 0; i < grabbedClips.size(); ++i)
        {
            if (auto* clip = findClip (grabbedClips[i].first))
            {
                clip->track = (*moved)[i].track;
                clip->startQ = (*moved)[i].startQ;
            }
        }
        resized();
    }
}

bool CarvolinEditor::commitMovedClips()
{
    // One gesture, one transaction: the places the components show go into
    // the model (nothing happens when they are where they were).
    std::vector<std::pair<ClipId, ClipData>> moved;
    for (const auto& [id, was] : grabbedClips)
        if (auto* clip = findClip (id); clip != nullptr && clip->source != nullptr)
            moved.emplace_back (id, static_cast<const ClipData&> (*clip));

    grabbedClips.clear();
    grabbedClip = 0;
    return model.perform (moved.size() == 1 ? "Move Clip" : "Move Clips", [&moved] (ArrangementModel::Edit& edit) {
        for (auto& [id, data] : moved)
            edit.setClip (id, std::move (data));
    });
}

void CarvolinEditor::commitMovedClip (ScoreComponent& clip, const juce::String& name)
{
    // One gesture, one transaction: the place the component shows goes into
    // the model (nothing happens when it is where it was).
    if (clip.source == nullptr)
        return;

    auto data = clip.source->data;
    data.track = clip.track;
    data.startQ = clip.startQ;
    data.lengthQ = clip.lengthQ;

    const auto id = clip.clipId;
    model.perform (name, [id, &data] (ArrangementModel::Edit& edit) { edit.setClip (id, std::move (data)); });
}

void CarvolinEditor::endGestureWithoutChange()
{
    const ScopedRepaint repaintChanges (*this);

    // A gesture cut short by another change (a key, a host) leaves the clips
    // as the model has them.
    isMoving = isResizing = isPanning = false;
    resizingClip = grabbedClip = 0;
    grabbedClips.clear();
    selectOnlyOnRelease = false;
    bandStart.reset();
    rubberBand.reset();
    externalDragStarted = false;

    if (drawingClip != nullptr)
    {
        clipContainer.removeChildComponent (drawingClip.get());
        drawingClip.reset();
        isDrawing = false;
        drawTrackIndex = -1;
    }

    for (auto& clip : clips)
        if (clip->source != nullptr)
            static_cast<ClipData&> (*clip) = clip->source->data;

    resized();
}

void CarvolinEditor::finishDrawing()
{
    if (! isDrawing || drawingClip == nullptr)
        return;

    const auto preview = std::move (drawingClip);
    clipContainer.removeChildComponent (preview.get());
    isDrawing = false;
    drawTrackIndex = -1;

    if (wouldOverlap (preview->track, preview->startQ, preview->lengthQ, preview.get()))
        return;

    const ClipData drawn { preview->track, preview->startQ, preview->lengthQ, {} };
    model.perform ("Draw Clip", [&drawn] (ArrangementModel::Edit& edit) { edit.addClip (drawn); });
}

void CarvolinEditor::mouseDoubleClick (const juce::MouseEvent&)
{
    if (currentTool == EditTool::Select)
        openPianoRoll (getSelectedClip());
}
