#include "editor/CarvolinEditor.h"

#include "editor/ArrangementEditing.h"
#include "model/ClipRules.h"
#include "model/IntRange.h"

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
    namespace geo = ArrangementGeometry;
    const auto position = event.getPosition();
    const auto numTracks = static_cast<int> (tracks.size());

    switch (currentTool)
    {
        case EditTool::Select:
        {
            selectedClip = clipAt (position);
            if (selectedClip != nullptr)
            {
                isMoving = true;
                externalDragStarted = false;
                const auto extent = selectedClip->getExtent();
                const auto local = toLanes (position);
                grabOffset = { local.x - extent.x, juce::int64 { local.y } - extent.y };
            }
            repaint();
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
                    resizingClip = clip.get();
                    selectedClip = clip.get();
                    repaint();
                    break;
                }
            }
            break;
        }
    }
}

void CarvolinEditor::mouseDrag (const juce::MouseEvent& event)
{
    namespace geo = ArrangementGeometry;
    const auto position = event.getPosition();
    const auto view = getView();
    const auto snap = [this] (int ticks) { return snapToGrid (ticks); };

    switch (currentTool)
    {
        case EditTool::Select:
        {
            if (! isMoving || selectedClip == nullptr)
                return;

            if (! externalDragStarted && ! arrangementArea.contains (position))
            {
                externalDragStarted = true;
                const auto path = exportClipToTempFile (selectedClip);

                if (path.isNotEmpty() && juce::File (path).existsAsFile())
                {
                    performExternalDragDropOfFiles ({ path }, false, nullptr, nullptr);
                    isMoving = false;
                    externalDragStarted = false;
                    repaint();
                    endGesture();
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
                const auto start = ArrangementEditing::movedStart (topLeft.x, selectedClip->lengthQ, view, snap);

                if (! wouldOverlap (lane + 1, start, selectedClip->lengthQ, selectedClip))
                {
                    gestureChangedClips = gestureChangedClips || selectedClip->track != lane + 1 || selectedClip->startQ != start;
                    selectedClip->track = lane + 1;
                    selectedClip->startQ = start;
                    resized();
                }
            }

            repaint();
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
            repaint();
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
            if (! isResizing || resizingClip == nullptr)
                return;

            const auto len = ArrangementEditing::resizedLength (toLanes (position).x, resizingClip->startQ, view, snap);
            if (! wouldOverlap (resizingClip->track, resizingClip->startQ, len, resizingClip))
            {
                gestureChangedClips = gestureChangedClips || resizingClip->lengthQ != len;
                resizingClip->lengthQ = len;
                resized();
            }
            repaint();
            break;
        }
    }
}

void CarvolinEditor::mouseUp (const juce::MouseEvent&)
{
    switch (currentTool)
    {
        case EditTool::Resize:
            if (isResizing)
            {
                isResizing = false;
                resizingClip = nullptr;
                endGesture();
                return;
            }
            break;

        case EditTool::Drag:
            isPanning = false;
            return;

        case EditTool::Select:
            if (isMoving)
            {
                isMoving = false;
                endGesture();
                return;
            }
            break;

        case EditTool::Draw:
            break;
    }

    finishDrawing();
}

void CarvolinEditor::endGesture()
{
    // The processor holds the arrangement as it stands after every completed
    // change, so a host saving its project meanwhile loses nothing.
    if (std::exchange (gestureChangedClips, false))
        writeStateToProcessor();
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
    {
        repaint();
        return;
    }

    addClip ({ preview->track, preview->startQ, preview->lengthQ, {} });
    layOutAndRepaint();
    writeStateToProcessor();
}

void CarvolinEditor::mouseDoubleClick (const juce::MouseEvent&)
{
    if (currentTool == EditTool::Select && selectedClip != nullptr)
        openPianoRoll (selectedClip);
}

bool CarvolinEditor::keyPressed (const juce::KeyPress& key)
{
    const auto isDeleteKey = key.getKeyCode() == juce::KeyPress::deleteKey || key.getKeyCode() == juce::KeyPress::backspaceKey;
    const auto mods = key.getModifiers();

    // Under an open piano roll the arrangement is out of reach: the selected
    // clip is usually the one being edited.
    if (isDeleteKey && ! mods.isShiftDown() && ! mods.isCtrlDown() && ! mods.isAltDown()
        && currentTool == EditTool::Select && selectedClip != nullptr && ! isPianoRollOpen())
    {
        deleteSelectedClip();
        return true;
    }

    return false;
}
