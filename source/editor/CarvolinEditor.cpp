#include "editor/CarvolinEditor.h"

#include "editor/ArrangementPainter.h"
#include "model/Quantize.h"
#include "model/StateDocument.h"
#include "pianoroll/PianoRollComponent.h"
#include "plugin/CarvolinProcessor.h"
#include "ui/Palette.h"

#include <algorithm>

namespace
{
    void styleButton (juce::TextButton& button, juce::Colour background)
    {
        button.setColour (juce::TextButton::buttonColourId, background);
        button.setColour (juce::TextButton::textColourOffId, Palette::text);
        button.setColour (juce::TextButton::textColourOnId, Palette::text);
    }
} // namespace

//==============================================================================
CarvolinEditor::CarvolinEditor (CarvolinProcessor& owner)
    : juce::AudioProcessorEditor (owner),
      processorRef (owner),
      model (owner.getModel())
{
    setSize (1100, 600);
    setResizable (true, true);

    // A click on the lanes gives the editor the keys (undo, delete), which
    // otherwise go to whichever button was clicked last.
    setWantsKeyboardFocus (true);
    setResizeLimits (800, 400, 2000, 1200);

    // The editor finds the clip under the pointer itself, so nothing in the
    // container takes a click.
    addAndMakeVisible (clipContainer);
    clipContainer.setInterceptsMouseClicks (false, false);

    for (auto* control : std::initializer_list<juce::Component*> {
             &addTrackButton, &removeTrackButton, &selectToolButton, &drawToolButton,
             &dragToolButton, &resizeToolButton, &deleteButton, &zoomInButton, &zoomOutButton,
             &saveMidiButton, &loadMidiButton, &quantizeLabel, &quantizeBox, &timelineScrollBar })
        addAndMakeVisible (control);

    // Undo and redo stand in the header box, below the track buttons: space
    // no other control takes at any window size.
    addAndMakeVisible (undoButton);
    addAndMakeVisible (redoButton);
    undoButton.onClick = [this] { undo(); };
    redoButton.onClick = [this] { redo(); };

    // "MIDI Out" below them: playback through the plug-in's MIDI output, a
    // change of the arrangement like any other. The standalone app, which has
    // no host transport, gets a "Play" button of its own beside it.
    addAndMakeVisible (midiOutButton);
    midiOutButton.setClickingTogglesState (true);
    midiOutButton.setColour (juce::TextButton::buttonOnColourId, Palette::toolOn);
    midiOutButton.onClick = [this] {
        const auto on = midiOutButton.getToggleState();
        model.perform (on ? "MIDI Out On" : "MIDI Out Off", [on] (ArrangementModel::Edit& edit) { edit.setMidiOut (on); });
    };

    addChildComponent (playButton);
    playButton.setVisible (owner.wrapperType == juce::AudioProcessor::wrapperType_Standalone);
    playButton.setColour (juce::TextButton::buttonOnColourId, Palette::toolOn);
    playButton.onClick = [this] {
        auto& playback = processorRef.getPlayback();
        playback.setStandalonePlaying (! playback.isStandalonePlaying());
        timerCallback();
    };

    addTrackButton.onClick = [this] { addTrack(); };
    removeTrackButton.onClick = [this] { removeLastTrack(); };
    selectToolButton.onClick = [this] { setTool (EditTool::Select); };
    drawToolButton.onClick = [this] { setTool (EditTool::Draw); };
    dragToolButton.onClick = [this] { setTool (EditTool::Drag); };
    resizeToolButton.onClick = [this] { setTool (EditTool::Resize); };
    deleteButton.onClick = [this] { deleteSelection(); };
    zoomInButton.onClick = [this] { zoomIn(); };
    zoomOutButton.onClick = [this] { zoomOut(); };
    saveMidiButton.onClick = [this] { saveMidi(); };
    loadMidiButton.onClick = [this] { loadMidi(); };

    quantizeLabel.setText ("Q:", juce::dontSendNotification);
    quantizeLabel.setColour (juce::Label::textColourId, Palette::text);

    for (const auto& step : Quantize::steps)
        quantizeBox.addItem (step.text, step.itemId);
    quantizeBox.setSelectedId (Quantize::defaultItemId, juce::dontSendNotification);

    timelineScrollBar.addListener (this);
    timelineScrollBar.setAutoHide (false);

    for (auto* toolButton : { &selectToolButton, &drawToolButton, &dragToolButton, &resizeToolButton })
    {
        toolButton->setClickingTogglesState (true);
        styleButton (*toolButton, Palette::control);
        toolButton->setColour (juce::TextButton::buttonOnColourId, Palette::toolOn);
    }
    selectToolButton.setToggleState (true, juce::dontSendNotification);

    for (auto* button : { &addTrackButton, &removeTrackButton, &zoomInButton, &zoomOutButton, &undoButton, &redoButton, &midiOutButton, &playButton })
        styleButton (*button, Palette::control);
    styleButton (deleteButton, Palette::destructive);
    styleButton (saveMidiButton, Palette::fileCommand);
    styleButton (loadMidiButton, Palette::fileCommand);

    tracks.reserve (Arrangement::maxTracks);

    // The folder beside our own module, unless the saved state names another
    // one that still exists.
    midiFolder = std::make_unique<juce::File> (
        juce::File::getSpecialLocation (juce::File::currentExecutableFile).getParentDirectory());

    const auto savedFolderPath = processorRef.getMidiFolderPath();
    if (savedFolderPath.isNotEmpty() && juce::File::isAbsolutePath (savedFolderPath)
        && juce::File (savedFolderPath).isDirectory())
        *midiFolder = juce::File (savedFolderPath);

    dialogs.showMessage = [] (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message) {
        juce::AlertWindow::showMessageBoxAsync (icon, title, message, "OK", nullptr, nullptr);
    };
    dialogs.confirm = [] (const juce::String& title, const juce::String& message, const juce::String& goAhead, std::function<void (bool)> answer) {
        juce::AlertWindow::showOkCancelBox (juce::MessageBoxIconType::WarningIcon, title, message, goAhead, "Cancel", nullptr,
                                            juce::ModalCallbackFunction::create ([answer] (int result) { answer (result == 1); }));
    };
    dialogs.showMenu = [] (juce::PopupMenu menu, std::function<void (int)> chosen) {
        menu.showMenuAsync (juce::PopupMenu::Options(), [chosen] (int result) { chosen (result); });
    };
    dialogs.launchChooser = [] (std::shared_ptr<juce::FileChooser> chooser, int chooserFlags, std::function<void (const juce::FileChooser&)> completion) {
        // The chooser lives until its completion has run.
        chooser->launchAsync (chooserFlags, [chooser, completion] (const juce::FileChooser& fc) { completion (fc); });
    };

    // The arrangement as the model holds it: after a close and reopen, the
    // same tracks, instruments and clips.
    model.addListener (this);
    syncFromModel();

    // The playhead's line moves about 30 times a second.
    startTimerHz (30);
}

CarvolinEditor::~CarvolinEditor()
{
    stopTimer();
    model.removeListener (this);
    writeStateToProcessor();
    timelineScrollBar.removeListener (this);
}

//==============================================================================
void CarvolinEditor::writeStateToProcessor()
{
    // A folder that no longer exists is not written and leaves the processor's as it was.
    if (midiFolder->isDirectory())
        processorRef.setMidiFolderPath (midiFolder->getFullPathName());
}

void CarvolinEditor::arrangementChanged()
{
    syncFromModel();
}

void CarvolinEditor::syncFromModel()
{
    const ScopedRepaint repaintChanges (*this);

    const auto snapshot = model.getSnapshot();
    const auto tracksChanged = static_cast<int> (tracks.size()) != snapshot->numTracks;

    // Track headers: added or removed at the end, instruments as chosen.
    while ((int) tracks.size() > snapshot->numTracks)
    {
        removeChildComponent (tracks.back().get());
        tracks.pop_back();
    }

    while ((int) tracks.size() < snapshot->numTracks)
    {
        const auto index = (int) tracks.size();
        auto track = std::make_unique<TrackComponent> (index + 1, [this] (juce::ComboBox& box) { fillInstrumentList (box); });
        track->instrumentBox.onChange = [this, index] { chooseInstrument (index, tracks[(size_t) index]->instrumentBox.getSelectedId()); };
        addAndMakeVisible (*track);
        tracks.push_back (std::move (track));
    }

    for (size_t i = 0; i < tracks.size(); ++i)
        tracks[i]->instrumentBox.setSelectedId (snapshot->instruments[i], juce::dontSendNotification);

    // Clips: a component per clip of the snapshot, in its order. Components of
    // clips that are still there are kept, and take the clip's new data only
    // when it changed.
    std::vector<std::unique_ptr<ScoreComponent>> previous;
    previous.swap (clips);
    auto orderChanged = previous.size() != snapshot->clips.size();

    for (const auto& clip : snapshot->clips)
    {
        const auto found = std::find_if (previous.begin(), previous.end(), [&] (const auto& c) { return c != nullptr && c->clipId == clip->id; });
        std::unique_ptr<ScoreComponent> component;

        if (found != previous.end())
        {
            orderChanged = orderChanged || found != previous.begin() + (std::ptrdiff_t) clips.size();
            component = std::move (*found);
        }
        else
        {
            orderChanged = true;
            component = std::make_unique<ScoreComponent> (clip->data.track, clip->data.startQ, clip->data.lengthQ);
            component->clipId = clip->id;
            if (std::find (droppedClips.begin(), droppedClips.end(), clip->id) == droppedClips.end())
                component->onDoubleClick = [this] (ScoreComponent* c) { openPianoRoll (c); };
        }

        if (component->source != clip)
        {
            static_cast<ClipData&> (*component) = clip->data;
            component->source = clip;
            component->repaint();
        }

        clips.push_back (std::move (component));
    }

    for (auto& gone : previous)
    {
        if (gone == nullptr)
            continue;

        clipContainer.removeChildComponent (gone.get());
    }
    previous.clear();

    // Children paint in the order of the clips, as when they were added one by one.
    if (orderChanged)
    {
        for (auto& clip : clips)
            clipContainer.removeChildComponent (clip.get());
        for (auto& clip : clips)
            clipContainer.addAndMakeVisible (*clip);
    }

    selection.keepOnly ([&snapshot] (ClipId id) { return snapshot->findClip (id) != nullptr; });
    if (snapshot->findClip (resizingClip) == nullptr)
    {
        resizingClip = 0;
        isResizing = false;
    }

    updateUndoButtons();
    midiOutButton.setToggleState (snapshot->midiOut, juce::dontSendNotification);

    // Clips that moved, came or went repaint where they were and are; the
    // lanes themselves change only with the number of tracks.
    resized();
    if (tracksChanged)
        repaint();
}

void CarvolinEditor::updateUndoButtons()
{
    undoButton.setEnabled (model.canUndo());
    redoButton.setEnabled (model.canRedo());
}

ScoreComponent* CarvolinEditor::findClip (ClipId id) const noexcept
{
    if (id == 0)
        return nullptr;

    for (const auto& clip : clips)
        if (clip->clipId == id)
            return clip.get();

    return nullptr;
}

ScoreComponent* CarvolinEditor::getSelectedClip() const noexcept
{
    return findClip (selection.last());
}

void CarvolinEditor::undo()
{
    endGestureWithoutChange();
    model.undo();
}

void CarvolinEditor::redo()
{
    endGestureWithoutChange();
    model.redo();
}

//==============================================================================
ArrangementGeometry::View CarvolinEditor::getView() const noexcept
{
    return { arrangementArea.getWidth(), visibleBars, scrollOffset };
}

void CarvolinEditor::resized()
{
    namespace geo = ArrangementGeometry;

    const auto numTracks = static_cast<int> (tracks.size());
    const auto minHeight = geo::laneHeight * numTracks + 160;

    // The editor grows to fit its lanes; it never shrinks here.
    if (getHeight() < minHeight)
        setSize (getWidth(), minHeight);

    const auto width = getWidth();
    arrangementArea = geo::arrangementArea (width, numTracks);
    clipContainer.setBounds (arrangementArea);

    const auto areaW = arrangementArea.getWidth();
    const auto x0 = arrangementArea.getX();

    addTrackButton.setBounds (10, 15, 90, 30);
    removeTrackButton.setBounds (110, 15, 90, 30);

    selectToolButton.setBounds (x0 + 10, 80, 70, 30);
    drawToolButton.setBounds (x0 + 95, 80, 70, 30);
    dragToolButton.setBounds (x0 + 180, 80, 70, 30);
    resizeToolButton.setBounds (x0 + 265, 80, 70, 30);
    deleteButton.setBounds (x0 + 350, 80, 70, 30);
    quantizeLabel.setBounds (x0 + 450, 80, 25, 30);
    quantizeBox.setBounds (x0 + 480, 80, 85, 30);

    undoButton.setBounds (10, 55, 90, 30);
    redoButton.setBounds (110, 55, 90, 30);
    midiOutButton.setBounds (10, 90, 90, 30);
    playButton.setBounds (110, 90, 90, 30);

    zoomOutButton.setBounds (width - 350, 10, 30, 30);
    zoomInButton.setBounds (width - 310, 10, 30, 30);

    // Narrow windows stack the two file commands.
    if (width - 250 < 320)
    {
        saveMidiButton.setBounds (width - 270, 10, 90, 30);
        loadMidiButton.setBounds (width - 270, 45, 90, 30);
    }
    else
    {
        saveMidiButton.setBounds (width - 270, 10, 100, 30);
        loadMidiButton.setBounds (width - 160, 10, 100, 30);
    }

    timelineScrollBar.setBounds (x0, arrangementArea.getBottom(), areaW, 15);

    const auto ppq = geo::scrollPixelsPerQuarter (areaW, width, visibleBars);
    const auto total = geo::scrollTotal (areaW, width, visibleBars);
    timelineScrollBar.setRangeLimits (0.0, total);
    timelineScrollBar.setCurrentRange (scrollOffset, juce::jmin (areaW, total - scrollOffset));
    timelineScrollBar.setSingleStepSize (ppq);

    for (size_t i = 0; i < tracks.size(); ++i)
        tracks[i]->setBounds (10, geo::originY + geo::laneHeight * static_cast<int> (i), 180, geo::laneHeight);

    const auto view = getView();
    for (auto& clip : clips)
        clip->setExtent (geo::clipExtent (clip->track, clip->startQ, clip->lengthQ, numTracks, view), areaW);

    // The piano roll covers the whole window at every size.
    if (pianoRoll != nullptr)
        pianoRoll->setBounds (getLocalBounds());
}

void CarvolinEditor::scrollBarMoved (juce::ScrollBar* scrollBar, double newRangeStart)
{
    if (scrollBar != &timelineScrollBar)
        return;

    scrollOffset = static_cast<int> (newRangeStart);
    resized();
    repaint();
}

CarvolinEditor::Look CarvolinEditor::currentLook() const
{
    Look look;
    for (const auto id : selection.items())
        if (auto* selected = findClip (id))
            look.frames.push_back (ArrangementPainter::selectionFrame (selected->getBounds() + arrangementArea.getPosition()));

    look.band = rubberBand;
    if (fileDragHover && hoverTrackIndex >= 0 && hoverQuarter >= 0)
        look.dropPreview = hoverRect;
    return look;
}

void CarvolinEditor::repaintChangesSince (const Look& before)
{
    for (const auto& area : changedAreas (before, currentLook()))
        repaint (area);
}

std::vector<juce::Rectangle<int>> CarvolinEditor::changedAreas (const Look& before, const Look& after)
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

void CarvolinEditor::paint (juce::Graphics& g)
{
    arrangementArea = ArrangementGeometry::arrangementArea (getWidth(), static_cast<int> (tracks.size()));

    ArrangementPainter::Scene scene;
    scene.editorWidth = getWidth();
    scene.editorHeight = getHeight();
    scene.numTracks = static_cast<int> (tracks.size());
    scene.view = getView();
    for (const auto id : selection.items())
        if (auto* selected = findClip (id))
            scene.selectedClipBounds.push_back (selected->getBounds() + arrangementArea.getPosition());
    scene.rubberBand = rubberBand;
    scene.fileDragHover = fileDragHover;
    scene.hoverTrackIndex = hoverTrackIndex;
    scene.hoverQuarter = hoverQuarter;
    scene.hoverRect = hoverRect;

    ArrangementPainter::paint (g, scene);
}

std::optional<int> CarvolinEditor::playheadX() const
{
    const auto& playback = processorRef.getPlayback();
    if (! playback.isRolling())
        return std::nullopt;

    // The timeline's mapping, with the fraction of a quarter the position has.
    const auto ppq = playback.getPlayheadPpq();
    const auto areaW = arrangementArea.getWidth();
    const auto x = ppq * areaW / (Arrangement::quartersPerBar * visibleBars) - scrollOffset;
    if (! (x >= 0.0 && x < areaW))
        return std::nullopt;

    return arrangementArea.getX() + static_cast<int> (x);
}

void CarvolinEditor::timerCallback()
{
    auto& playback = processorRef.getPlayback();
    playButton.setToggleState (playback.isStandalonePlaying(), juce::dontSendNotification);
    playButton.setButtonText (playback.isStandalonePlaying() ? "Stop" : "Play");

    // Only where the line was and where it is now is painted again.
    const auto x = playheadX();
    if (x != paintedPlayheadX)
    {
        for (const auto& at : { paintedPlayheadX, x })
            if (at.has_value())
                repaint (*at - 1, arrangementArea.getY(), 3, arrangementArea.getHeight());
        paintedPlayheadX = x;
    }

    if (pianoRoll != nullptr && pianoRoll->isVisible())
        pianoRoll->setPlayheadPosition (playback.isRolling() ? std::optional<double> (playback.getPlayheadPpq()) : std::nullopt);
}

void CarvolinEditor::paintOverChildren (juce::Graphics& g)
{
    // Over the clips too, but not over an open piano roll.
    if (paintedPlayheadX.has_value() && ! isPianoRollOpen())
    {
        g.setColour (juce::Colour (0xffffffff));
        g.fillRect (*paintedPlayheadX, arrangementArea.getY(), 1, arrangementArea.getHeight());
    }
}

void CarvolinEditor::layOutAndRepaint()
{
    resized();
    repaint();
}

juce::Point<int> CarvolinEditor::toLanes (juce::Point<int> editorPosition) const noexcept
{
    return editorPosition - arrangementArea.getPosition();
}

//==============================================================================
void CarvolinEditor::addTrack()
{
    const auto numTracks = model.getSnapshot()->numTracks;
    model.perform ("Add Track", [numTracks] (ArrangementModel::Edit& edit) { edit.setNumTracks (numTracks + 1); });
}

void CarvolinEditor::removeLastTrack()
{
    const auto numTracks = model.getSnapshot()->numTracks;
    model.perform ("Remove Track", [numTracks] (ArrangementModel::Edit& edit) { edit.setNumTracks (numTracks - 1); });
}

void CarvolinEditor::chooseInstrument (int trackIndex, int itemId)
{
    model.perform ("Choose Instrument", [trackIndex, itemId] (ArrangementModel::Edit& edit) { edit.setInstrument (trackIndex, itemId); });
}

void CarvolinEditor::fillInstrumentList (juce::ComboBox& box)
{
    box.clear (juce::dontSendNotification);

    int itemId = 1;
    for (const auto* name : Instruments::names)
        box.addItem (name, itemId++);

    box.setTextWhenNothingSelected (Instruments::noSelectionText);
    box.setSelectedId (Instruments::defaultItemId, juce::dontSendNotification);
}

void CarvolinEditor::setTool (EditTool tool)
{
    currentTool = tool;
    selectToolButton.setToggleState (tool == EditTool::Select, juce::dontSendNotification);
    drawToolButton.setToggleState (tool == EditTool::Draw, juce::dontSendNotification);
    dragToolButton.setToggleState (tool == EditTool::Drag, juce::dontSendNotification);
    resizeToolButton.setToggleState (tool == EditTool::Resize, juce::dontSendNotification);
}

void CarvolinEditor::deleteSelection()
{
    const ScopedRepaint repaintChanges (*this);

    if (selection.isEmpty())
        return;

    endGestureWithoutChange();
    const auto ids = selection.items();
    selection.clear();
    model.perform (ids.size() == 1 ? "Delete Clip" : "Delete Clips", [&ids] (ArrangementModel::Edit& edit) {
        for (const auto id : ids)
            edit.removeClip (id);
    });
}

int CarvolinEditor::gridTicks() const
{
    return Quantize::ticksForItemId (quantizeBox.getSelectedId());
}

int CarvolinEditor::snapToGrid (int ticks) const
{
    return Quantize::snapToGrid (ticks, gridTicks());
}

//==============================================================================
void CarvolinEditor::zoomIn()
{
    // The quarter at the left edge of the lanes stays there.
    zoomTo (visibleBars - 1, 0);
}

void CarvolinEditor::zoomOut()
{
    zoomTo (visibleBars + 1, 0);
}

void CarvolinEditor::zoomTo (int newVisibleBars, int anchorLocalX)
{
    newVisibleBars = juce::jlimit (ArrangementGeometry::minVisibleBars, ArrangementGeometry::maxVisibleBars, newVisibleBars);
    if (newVisibleBars == visibleBars)
        return;

    const auto areaW = arrangementArea.getWidth();
    const auto offset = ArrangementGeometry::scrollKeepingQuarterAt (anchorLocalX, getView(), newVisibleBars);
    visibleBars = newVisibleBars;
    setScrollOffset (juce::jlimit (0, juce::jmax (0, ArrangementGeometry::scrollTotal (areaW, getWidth(), visibleBars) - areaW), offset));
}

void CarvolinEditor::setScrollOffset (int newOffset)
{
    scrollOffset = newOffset;
    resized();
    repaint();
}

//==============================================================================
void CarvolinEditor::openPianoRoll (ScoreComponent* clip)
{
    if (clip == nullptr)
        return;

    // The piano roll held before, open or closed, goes. Every edit in it is
    // already a transaction of the arrangement.
    pianoRoll = std::make_unique<PianoRollComponent> (model, clip->clipId, &processorRef.getEditingSession());

    // A note pressed in the roll sounds on its clip's channel while "MIDI Out" is on.
    pianoRoll->onAudition = [this, channel = juce::jlimit (1, 16, clip->track)] (int key, int velocity, bool on) {
        processorRef.getPlayback().audition (channel, key, velocity, on);
    };
    addAndMakeVisible (*pianoRoll);
    pianoRoll->setBounds (getLocalBounds());
    pianoRoll->toFront (true);
}

ScoreComponent* CarvolinEditor::getPianoRollClip() const noexcept
{
    return pianoRoll != nullptr && pianoRoll->isAttached() ? findClip (pianoRoll->getClipId()) : nullptr;
}

bool CarvolinEditor::isPianoRollOpen() const noexcept
{
    return pianoRoll != nullptr && pianoRoll->isVisible();
}
