#include "editor/ArrangementView.h"

#include "editor/ArrangementEditing.h"
#include "editor/ArrangementPainter.h"
#include "ui/EditKeys.h"
#include "ui/Palette.h"

#include <algorithm>

namespace geo = ArrangementGeometry;

namespace
{
    void styleButton (juce::TextButton& button, juce::Colour background)
    {
        button.setColour (juce::TextButton::buttonColourId, background);
        button.setColour (juce::TextButton::textColourOffId, Palette::text);
        button.setColour (juce::TextButton::textColourOnId, Palette::text);
    }

    constexpr int toolRadioGroup = 1001;
} // namespace

//==============================================================================
ArrangementView::ArrangementView (ArrangementModel& m, EditingSession& session, MidiFileCommands& f, Dialogs& dialogs)
    : model (m),
      files (f),
      commands (m, session, selection, dialogs, files),
      gestures (m, selection),
      toolButtons (*this, { { { "Select", EditTool::Select }, { "Draw", EditTool::Draw }, { "Drag", EditTool::Drag }, { "Resize", EditTool::Resize } } }, toolRadioGroup),
      quantize (*this)
{
    // A click on the lanes gives the view the keys (undo, delete), which
    // otherwise go to whichever button was clicked last.
    setWantsKeyboardFocus (true);

    // The view finds the clip under the pointer itself, so nothing in the
    // container takes a click.
    addAndMakeVisible (clipContainer);
    clipContainer.setInterceptsMouseClicks (false, false);
    addChildComponent (playhead);

    toolButtons.onChoose = [this] (EditTool chosen) { setTool (chosen); };
    toolButtons.show (tool);
    toolButtons[0].setTooltip ("Select: click, Shift+click or drag a band around clips; drag them to move them (1)");
    toolButtons[1].setTooltip ("Draw: drag in a lane to draw a clip (2)");
    toolButtons[2].setTooltip ("Drag: pan the timeline; clips stay where they are (3)");
    toolButtons[3].setTooltip ("Resize: drag a clip's right edge (4)");
    quantize.box.setTooltip ("The step clips snap to when drawn, moved and resized");

    for (auto* control : std::initializer_list<juce::Component*> { &deleteButton, &zoomInButton, &zoomOutButton, &timelineScrollBar })
        addAndMakeVisible (control);

    deleteButton.setTooltip ("Delete the selected clips (Delete)");
    zoomInButton.setTooltip ("Zoom in (Ctrl+wheel)");
    zoomOutButton.setTooltip ("Zoom out (Ctrl+wheel)");
    styleButton (deleteButton, Palette::destructive);
    styleButton (zoomInButton, Palette::control);
    styleButton (zoomOutButton, Palette::control);
    deleteButton.onClick = [this] { commands.deleteSelection(); };
    zoomInButton.onClick = [this] { zoomTo (visibleBars - 1, 0); }; // the quarter at the lanes' left edge stays there
    zoomOutButton.onClick = [this] { zoomTo (visibleBars + 1, 0); };

    timelineScrollBar.addListener (this);
    timelineScrollBar.setAutoHide (false);

    commands.beforeChange = [this] { gestures.cancel(); };
    gestures.onPan = [this] (int offset) {
        scrollOffset = offset;
        timelineScrollBar.setCurrentRangeStart (scrollOffset, juce::dontSendNotification);
        resized();
        repaint();
    };
    gestures.exportForDragOut = [this] (ClipId id) {
        const auto* clip = model.getSnapshot()->findClip (id);
        return clip != nullptr ? MidiFileCommands::exportClipToTempFile (clip->data) : juce::String();
    };
    gestures.startDragOut = [] (const juce::String& path) {
        juce::DragAndDropContainer::performExternalDragDropOfFiles ({ path }, false, nullptr, nullptr);
    };

    // The arrangement as the model holds it, and every change of it.
    model.addListener (this);
    arrangementChanged();
}

ArrangementView::~ArrangementView()
{
    model.removeListener (this);
    timelineScrollBar.removeListener (this);
}

int ArrangementView::numTracks() const
{
    return shown != nullptr ? shown->numTracks : Arrangement::initialTracks;
}

ArrangementGeometry::View ArrangementView::getView() const noexcept
{
    return { arrangementArea.getWidth(), visibleBars, scrollOffset };
}

ArrangementGestures::Frame ArrangementView::frame()
{
    return { getView(), arrangementArea, getWidth(), [this] (int ticks) { return quantize.snap (ticks); } };
}

std::optional<ClipData> ArrangementView::shownClip (ClipId id) const
{
    const auto* clip = shown != nullptr ? shown->findClip (id) : nullptr;
    if (clip == nullptr)
        return std::nullopt;

    return gestures.previewOf (*clip).value_or (clip->data);
}

void ArrangementView::setTool (EditTool newTool)
{
    tool = newTool;
    toolButtons.show (tool);
}

//==============================================================================
void ArrangementView::arrangementChanged()
{
    const ScopedRepaint repaintChanges (*this);

    const auto snapshot = model.getSnapshot();
    const auto tracksChanged = shown == nullptr || shown->numTracks != snapshot->numTracks;
    if (shown == nullptr || shown->loopStartQ != snapshot->loopStartQ || shown->loopEndQ != snapshot->loopEndQ)
        repaint (ArrangementGeometry::rulerArea (arrangementArea));
    shown = snapshot;

    // A component per clip, in the arrangement's order; those of clips still
    // there are kept.
    std::unordered_map<ClipId, std::unique_ptr<ScoreComponent>> previous;
    for (auto& clip : clips)
        previous.emplace (clip->getClip()->id, std::move (clip));
    clips.clear();
    clipsById.clear();

    auto orderChanged = previous.size() != snapshot->clips.size();
    for (const auto& clip : snapshot->clips)
    {
        auto found = previous.find (clip->id);
        std::unique_ptr<ScoreComponent> component;
        if (found != previous.end())
        {
            component = std::move (found->second);
            previous.erase (found);
            orderChanged = orderChanged || clipContainer.getIndexOfChildComponent (component.get()) != (int) clips.size();
        }
        else
        {
            orderChanged = true;
            component = std::make_unique<ScoreComponent>();
        }

        component->show (clip, clip->data.lengthQ, ArrangementEditing::extentOf (clip->data, snapshot->numTracks, getView()), arrangementArea.getWidth());
        clipsById[clip->id] = component.get();
        clips.push_back (std::move (component));
    }

    for (auto& [id, gone] : previous)
        clipContainer.removeChildComponent (gone.get());
    previous.clear();

    // Children paint in the order of the clips, under a clip being drawn.
    if (orderChanged)
    {
        for (auto& clip : clips)
            clipContainer.removeChildComponent (clip.get());
        for (auto& clip : clips)
            clipContainer.addAndMakeVisible (*clip);
        if (drawingClip != nullptr)
            drawingClip->toFront (false);
    }

    selection.keepOnly ([&snapshot] (ClipId id) { return snapshot->findClip (id) != nullptr; });

    // Clips that moved, came or went repaint where they were and are; the
    // lanes themselves change only with the number of tracks.
    resized();
    if (tracksChanged)
        repaint();
}

//==============================================================================
void ArrangementView::resized()
{
    const auto width = getWidth();
    arrangementArea = geo::arrangementArea (width, numTracks());
    clipContainer.setBounds (arrangementArea);

    const auto areaW = arrangementArea.getWidth();
    const auto x0 = arrangementArea.getX();

    toolButtons[0].setBounds (x0 + 10, 80, 70, 30);
    toolButtons[1].setBounds (x0 + 95, 80, 70, 30);
    toolButtons[2].setBounds (x0 + 180, 80, 70, 30);
    toolButtons[3].setBounds (x0 + 265, 80, 70, 30);
    deleteButton.setBounds (x0 + 350, 80, 70, 30);
    quantize.label.setBounds (x0 + 450, 80, 25, 30);
    quantize.box.setBounds (x0 + 480, 80, 85, 30);
    zoomOutButton.setBounds (width - 350, 10, 30, 30);
    zoomInButton.setBounds (width - 310, 10, 30, 30);

    timelineScrollBar.setBounds (x0, arrangementArea.getBottom(), areaW, 15);
    const auto ppq = geo::scrollPixelsPerQuarter (areaW, width, visibleBars);
    const auto total = geo::scrollTotal (areaW, width, visibleBars);
    timelineScrollBar.setRangeLimits (0.0, total);
    timelineScrollBar.setCurrentRange (scrollOffset, juce::jmin (areaW, total - scrollOffset));
    timelineScrollBar.setSingleStepSize (ppq);

    layOutClips();
    showPlayhead (playheadPpq);
}

void ArrangementView::layOutClips()
{
    if (shown == nullptr)
        return;

    const auto view = getView();
    const auto areaW = arrangementArea.getWidth();
    for (size_t i = 0; i < clips.size() && i < shown->clips.size(); ++i)
    {
        const auto& clip = shown->clips[i];
        const auto placed = gestures.previewOf (*clip).value_or (clip->data);
        clips[i]->show (clip, placed.lengthQ, ArrangementEditing::extentOf (placed, shown->numTracks, view), areaW);
    }

    // A clip being drawn shows over the others, until it is one of them.
    const auto drawn = gestures.drawing();
    if (! drawn.has_value())
    {
        drawingClip.reset();
        return;
    }

    if (drawingClip == nullptr)
    {
        drawingClip = std::make_unique<ScoreComponent>();
        clipContainer.addAndMakeVisible (*drawingClip);
    }
    drawingClip->show (nullptr, drawn->lengthQ, ArrangementEditing::extentOf (*drawn, shown->numTracks, view), areaW);
}

void ArrangementView::scrollBarMoved (juce::ScrollBar* scrollBar, double newRangeStart)
{
    if (scrollBar != &timelineScrollBar)
        return;

    scrollOffset = static_cast<int> (newRangeStart);
    resized();
    repaint();
}

void ArrangementView::zoomTo (int newVisibleBars, int anchorLocalX)
{
    newVisibleBars = juce::jlimit (geo::minVisibleBars, geo::maxVisibleBars, newVisibleBars);
    if (newVisibleBars == visibleBars)
        return;

    const auto areaW = arrangementArea.getWidth();
    const auto offset = geo::scrollKeepingQuarterAt (anchorLocalX, getView(), newVisibleBars);
    visibleBars = newVisibleBars;
    setScrollOffset (juce::jlimit (0, juce::jmax (0, geo::scrollTotal (areaW, getWidth(), visibleBars) - areaW), offset));
}

void ArrangementView::setScrollOffset (int newOffset)
{
    scrollOffset = newOffset;
    resized();
    repaint();
}

//==============================================================================
void ArrangementView::showPlayhead (std::optional<double> ppq)
{
    playheadPpq = ppq;

    // The timeline's mapping, with the fraction of a quarter the position has.
    std::optional<int> x;
    if (ppq.has_value())
    {
        const auto areaW = arrangementArea.getWidth();
        const auto at = *ppq * areaW / (Arrangement::quartersPerBar * visibleBars) - scrollOffset;
        if (at >= 0.0 && at < areaW)
            x = arrangementArea.getX() + static_cast<int> (at);
    }

    playhead.place (x, arrangementArea.getY(), arrangementArea.getHeight());
}

//==============================================================================
ArrangementView::Look ArrangementView::currentLook() const
{
    Look look;
    for (const auto id : selection.items())
        if (const auto found = clipsById.find (id); found != clipsById.end())
            look.frames.push_back (ArrangementPainter::selectionFrame (found->second->getBounds() + arrangementArea.getPosition()));

    look.band = gestures.band();
    if (fileDragHover && dropPlace.has_value())
        look.dropPreview = dropPlace->preview;
    return look;
}

void ArrangementView::repaintChangesSince (const Look& before)
{
    for (const auto& area : changedAreas (before, currentLook()))
        repaint (area);
}

std::vector<juce::Rectangle<int>> ArrangementView::changedAreas (const Look& before, const Look& after)
{
    // A frame that came or went, or moved with its clip, is painted again;
    // the frames that stay where they were are left alone.
    const auto order = [] (const juce::Rectangle<int>& a, const juce::Rectangle<int>& b) {
        return std::tuple (a.getX(), a.getY(), a.getWidth(), a.getHeight()) < std::tuple (b.getX(), b.getY(), b.getWidth(), b.getHeight());
    };
    auto was = before.frames;
    auto now = after.frames;
    std::sort (was.begin(), was.end(), order);
    std::sort (now.begin(), now.end(), order);
    std::vector<juce::Rectangle<int>> changedFrames, areas;
    std::set_symmetric_difference (was.begin(), was.end(), now.begin(), now.end(), std::back_inserter (changedFrames), order);

    // A frame is a band around its clip: the clip inside it need not be painted again.
    for (auto frame : changedFrames)
    {
        constexpr int band = ArrangementPainter::selectionFrameThickness;
        areas.push_back (frame.removeFromTop (band));
        areas.push_back (frame.removeFromBottom (band));
        areas.push_back (frame.removeFromLeft (band));
        areas.push_back (frame.removeFromRight (band));
    }

    RepaintAreas::addBandChange (before.band, after.band, areas);

    if (before.dropPreview != after.dropPreview)
        for (const auto& area : { before.dropPreview, after.dropPreview })
            if (area.has_value())
                areas.push_back (area->expanded (2));

    return RepaintAreas::bounded (std::move (areas));
}

void ArrangementView::paint (juce::Graphics& g)
{
    arrangementArea = geo::arrangementArea (getWidth(), numTracks());

    ArrangementPainter::Scene scene;
    scene.editorWidth = getWidth();
    scene.editorHeight = getHeight();
    scene.numTracks = numTracks();
    scene.view = getView();
    for (const auto id : selection.items())
        if (const auto found = clipsById.find (id); found != clipsById.end())
            scene.selectedClipBounds.push_back (found->second->getBounds() + arrangementArea.getPosition());
    scene.rubberBand = gestures.band();
    std::tie (scene.loopStartQ, scene.loopEndQ) = shownLoop();
    scene.playStartQ = playStart;
    scene.fileDragHover = fileDragHover;
    if (dropPlace.has_value())
    {
        scene.hoverTrackIndex = dropPlace->lane;
        scene.hoverQuarter = dropPlace->quarter;
        scene.hoverRect = dropPlace->preview;
    }

    ArrangementPainter::paint (g, scene);
}

//==============================================================================
void ArrangementView::mouseMove (const juce::MouseEvent& event)
{
    const auto position = event.getPosition();
    const auto onHandle = tool == EditTool::Resize && arrangementArea.contains (position) && shown != nullptr
        && ArrangementEditing::resizeHandleAt (*shown, position - arrangementArea.getPosition(), getView()) != 0;
    setMouseCursor (onHandle ? juce::MouseCursor::LeftRightResizeCursor : juce::MouseCursor::NormalCursor);
}

void ArrangementView::mouseDown (const juce::MouseEvent& event)
{
    const ScopedRepaint repaintChanges (*this);

    if (event.mods.isPopupMenu())
    {
        // The menu acts on the clip under the pointer: it is selected first,
        // unless it is selected already.
        const auto local = event.getPosition() - arrangementArea.getPosition();
        const auto clip = arrangementArea.contains (event.getPosition()) ? ArrangementEditing::clipAt (*model.getSnapshot(), local, getView()) : 0;
        if (clip != 0 && ! selection.contains (clip))
            selection.selectOnly (clip);
        commands.showMenu (clip);
        return;
    }

    // The ruler: a drag sets the loop region, a click clears it (and tells where).
    if (ArrangementGeometry::rulerArea (arrangementArea).contains (event.getPosition()))
    {
        rulerPressBar = barAt (event.getPosition().x);
        draggedLoop.reset();
        return;
    }

    // Pasted clips go where the lanes were clicked last.
    const auto position = event.getPosition();
    if (arrangementArea.contains (position))
    {
        const auto lane = juce::jlimit (0, numTracks() - 1, geo::laneAtY (position.y));
        const auto q = juce::jlimit (0, Arrangement::timelineQuarters - 1, geo::xToQuarter (position.x, getView()));
        commands.setPastePlace (lane, ArrangementEditing::snapQuarters (q, [this] (int ticks) { return quantize.snap (ticks); }));
    }

    gestures.press (tool, event, frame());
    layOutClips();
}

void ArrangementView::mouseDrag (const juce::MouseEvent& event)
{
    if (rulerPressBar.has_value())
        return rulerDrag (event);

    const ScopedRepaint repaintChanges (*this);

    gestures.drag (event, frame());
    layOutClips();
}

void ArrangementView::mouseUp (const juce::MouseEvent& event)
{
    if (const auto pressed = std::exchange (rulerPressBar, std::nullopt))
    {
        repaint (ArrangementGeometry::rulerArea (arrangementArea));
        if (const auto loop = std::exchange (draggedLoop, std::nullopt))
        {
            model.perform ("Set Loop", [&loop] (ArrangementModel::Edit& e) { e.setLoop (loop->first, loop->second); });
            return;
        }

        model.perform ("Clear Loop", [] (ArrangementModel::Edit& e) { e.setLoop (0, 0); });
        if (onRulerClicked != nullptr)
            onRulerClicked (juce::jlimit (0, Arrangement::timelineQuarters - 1, ArrangementGeometry::xToQuarter (event.getPosition().x, getView())));
        return;
    }

    const ScopedRepaint repaintChanges (*this);

    gestures.release();
    layOutClips();
}

int ArrangementView::barAt (int x) const
{
    return juce::jlimit (0, Arrangement::timelineBars - 1, ArrangementGeometry::xToQuarter (x, getView()) / Arrangement::quartersPerBar);
}

void ArrangementView::rulerDrag (const juce::MouseEvent& event)
{
    // Whole bars from the one pressed to the one under the pointer, both in;
    // a drag that has not left the pressed bar by a few pixels is a click.
    if (! draggedLoop.has_value() && event.getDistanceFromDragStart() < 4)
        return;

    const auto bar = barAt (event.getPosition().x);
    const auto first = juce::jmin (*rulerPressBar, bar), last = juce::jmax (*rulerPressBar, bar);
    draggedLoop = std::pair { first * Arrangement::quartersPerBar, (last + 1) * Arrangement::quartersPerBar };
    repaint (ArrangementGeometry::rulerArea (arrangementArea));
}

std::pair<int, int> ArrangementView::shownLoop() const
{
    if (draggedLoop.has_value())
        return *draggedLoop;
    return shown != nullptr ? std::pair { shown->loopStartQ, shown->loopEndQ } : std::pair { 0, 0 };
}

void ArrangementView::showPlayStart (std::optional<int> quarter)
{
    if (quarter == playStart)
        return;
    playStart = quarter;
    repaint (ArrangementGeometry::rulerArea (arrangementArea));
}

void ArrangementView::mouseDoubleClick (const juce::MouseEvent&)
{
    if (tool == EditTool::Select && ! selection.isEmpty() && onOpenClip != nullptr)
        onOpenClip (selection.last());
}

void ArrangementView::mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel)
{
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
    const auto maxOffset = juce::jmax (0, geo::scrollTotal (areaW, getWidth(), visibleBars) - areaW);
    setScrollOffset (juce::jlimit (0, maxOffset, scrollOffset - juce::roundToInt (delta * 256.0f)));
}

bool ArrangementView::keyPressed (const juce::KeyPress& key)
{
    const ScopedRepaint repaintChanges (*this);

    const auto mods = key.getModifiers();
    const auto code = key.getKeyCode();
    const auto plain = ! mods.isAnyModifierKeyDown();

    if (commands.performEditKey (key))
        return true;

    if (EditKeys::isDelete (key) && tool == EditTool::Select && ! selection.isEmpty())
        commands.deleteSelection();
    else if (plain && (code == juce::KeyPress::leftKey || code == juce::KeyPress::rightKey) && ! selection.isEmpty())
        commands.moveSelection (0, code == juce::KeyPress::rightKey ? 1 : -1);
    else if (plain && (code == juce::KeyPress::upKey || code == juce::KeyPress::downKey) && ! selection.isEmpty())
        commands.moveSelection (code == juce::KeyPress::downKey ? 1 : -1, 0);
    else if (const auto number = EditKeys::toolNumber (key); number > 0)
        setTool (toolButtons.toolOfNumber (number));
    else
        return false;

    return true;
}

//==============================================================================
bool ArrangementView::isInterestedInFileDrag (const juce::StringArray& paths)
{
    return std::any_of (paths.begin(), paths.end(), MidiFileCommands::isMidiFilePath);
}

void ArrangementView::fileDragEnter (const juce::StringArray&, int x, int y)
{
    const ScopedRepaint repaintChanges (*this);

    fileDragHover = true;
    updateDropPlace (x, y);
}

void ArrangementView::fileDragMove (const juce::StringArray&, int x, int y)
{
    const ScopedRepaint repaintChanges (*this);

    updateDropPlace (x, y);
}

void ArrangementView::fileDragExit (const juce::StringArray&)
{
    const ScopedRepaint repaintChanges (*this);

    fileDragHover = false;
    dropPlace.reset();
}

void ArrangementView::updateDropPlace (int x, int y)
{
    if (! arrangementArea.contains (x, y))
    {
        dropPlace.reset();
        return;
    }

    const auto view = getView();
    const auto lane = juce::jlimit (0, numTracks() - 1, geo::laneAtY (y));
    auto q = juce::jlimit (0, Arrangement::timelineQuarters - 1, geo::xToQuarter (x, view));
    q = quantize.snap (q * Arrangement::ticksPerQuarter) / Arrangement::ticksPerQuarter;

    dropPlace = DropPlace { lane, q, { arrangementArea.getX() + geo::quarterToX (q, view), arrangementArea.getY() + lane * geo::laneHeight + geo::clipTopInset, geo::spanWidth (q, Arrangement::quartersPerBar, view), geo::clipHeight } };
}

void ArrangementView::filesDropped (const juce::StringArray& paths, int, int)
{
    const ScopedRepaint repaintChanges (*this);

    // The clip goes where the last drag move showed its preview.
    fileDragHover = false;
    if (! dropPlace.has_value())
        return;

    const auto place = *std::exchange (dropPlace, std::nullopt);

    // With Shift held, the file's channels go to the tracks of their numbers.
    if (isShiftHeld())
        return files.dropFilesToTracks (paths);

    if (const auto dropped = files.dropFiles (paths, place.lane + 1, place.quarter))
        selection.selectOnly (*dropped);
}
