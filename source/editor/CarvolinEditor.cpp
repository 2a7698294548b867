#include "editor/CarvolinEditor.h"

#include "editor/ArrangementPainter.h"
#include "model/Palette.h"
#include "model/Quantize.h"
#include "model/StateDocument.h"
#include "pianoroll/PianoRollComponent.h"
#include "plugin/CarvolinProcessor.h"

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
      processorRef (owner)
{
    setSize (1100, 600);
    setResizable (true, true);
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

    addTrackButton.onClick = [this] { addTrack(); };
    removeTrackButton.onClick = [this] { removeLastTrack(); };
    selectToolButton.onClick = [this] { setTool (EditTool::Select); };
    drawToolButton.onClick = [this] { setTool (EditTool::Draw); };
    dragToolButton.onClick = [this] { setTool (EditTool::Drag); };
    resizeToolButton.onClick = [this] { setTool (EditTool::Resize); };
    deleteButton.onClick = [this] { deleteSelectedClip(); };
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

    for (auto* button : { &addTrackButton, &removeTrackButton, &zoomInButton, &zoomOutButton })
        styleButton (*button, Palette::control);
    styleButton (deleteButton, Palette::destructive);
    styleButton (saveMidiButton, Palette::fileCommand);
    styleButton (loadMidiButton, Palette::fileCommand);

    tracks.reserve (Arrangement::maxTracks);
    for (int i = 0; i < Arrangement::initialTracks; ++i)
        addTrack();

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
    dialogs.launchChooser = [] (std::shared_ptr<juce::FileChooser> chooser, int chooserFlags, std::function<void (const juce::FileChooser&)> completion) {
        // The chooser lives until its completion has run.
        chooser->launchAsync (chooserFlags, [chooser, completion] (const juce::FileChooser& fc) { completion (fc); });
    };

    restoreStateFromProcessor();
}

CarvolinEditor::~CarvolinEditor()
{
    // A host closing the window while the piano roll is open keeps its edits, as "X" would.
    if (isPianoRollOpen())
        pianoRoll->commitNotesToClip();

    writeStateToProcessor();
    timelineScrollBar.removeListener (this);
}

//==============================================================================
void CarvolinEditor::writeStateToProcessor()
{
    const auto folderPath = midiFolder->isDirectory() ? midiFolder->getFullPathName() : juce::String();

    auto document = StateDocument::createDocument (folderPath, clipData());

    // A folder that no longer exists is not written and leaves the processor's as it was.
    if (folderPath.isNotEmpty())
        processorRef.setSavedState (std::move (document), folderPath);
    else
        processorRef.setSavedState (std::move (document));
}

void CarvolinEditor::restoreStateFromProcessor()
{
    const auto document = processorRef.getSavedState();
    if (! StateDocument::isStateDocument (document.get()))
        return;

    for (auto& data : StateDocument::readClips (document.get()))
        addClip (std::move (data));

    layOutAndRepaint();
}

ScoreComponent& CarvolinEditor::addClip (ClipData data)
{
    auto clip = std::make_unique<ScoreComponent> (data.track, data.startQ, data.lengthQ);
    clip->notes = std::move (data.notes);
    clip->onDoubleClick = [this] (ScoreComponent* c) { openPianoRoll (c); };
    clipContainer.addAndMakeVisible (*clip);
    clips.push_back (std::move (clip));
    return *clips.back();
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

void CarvolinEditor::paint (juce::Graphics& g)
{
    arrangementArea = ArrangementGeometry::arrangementArea (getWidth(), static_cast<int> (tracks.size()));

    ArrangementPainter::Scene scene;
    scene.editorWidth = getWidth();
    scene.editorHeight = getHeight();
    scene.numTracks = static_cast<int> (tracks.size());
    scene.view = getView();
    if (selectedClip != nullptr)
        scene.selectedClipBounds = selectedClip->getBounds() + arrangementArea.getPosition();
    scene.fileDragHover = fileDragHover;
    scene.hoverTrackIndex = hoverTrackIndex;
    scene.hoverQuarter = hoverQuarter;
    scene.hoverRect = hoverRect;

    ArrangementPainter::paint (g, scene);
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
    const auto numTracks = static_cast<int> (tracks.size());
    if (numTracks >= Arrangement::maxTracks)
        return;

    auto track = std::make_unique<TrackComponent> (numTracks + 1, [this] (juce::ComboBox& box) { fillInstrumentList (box); });
    addAndMakeVisible (*track);
    tracks.push_back (std::move (track));

    resized();
    repaint();
}

void CarvolinEditor::removeLastTrack()
{
    if (tracks.size() <= static_cast<size_t> (Arrangement::minTracks))
        return;

    removeChildComponent (tracks.back().get());
    tracks.pop_back();

    resized();
    repaint();
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

void CarvolinEditor::deleteSelectedClip()
{
    if (selectedClip == nullptr)
        return;

    const auto found = std::find_if (clips.begin(), clips.end(), [this] (const auto& clip) { return clip.get() == selectedClip; });
    if (found == clips.end())
        return;

    closePianoRollIfEditing (selectedClip);
    clipContainer.removeChildComponent (found->get());
    if (resizingClip == selectedClip)
    {
        resizingClip = nullptr;
        isResizing = false;
    }
    selectedClip = nullptr;
    isMoving = false;
    clips.erase (found);
    repaint();
    writeStateToProcessor();
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
    visibleBars = juce::jmax (ArrangementGeometry::minVisibleBars, visibleBars - 1);
    resized();
    repaint();
}

void CarvolinEditor::zoomOut()
{
    visibleBars = juce::jmin (ArrangementGeometry::maxVisibleBars, visibleBars + 1);
    resized();
    repaint();
}

//==============================================================================
void CarvolinEditor::openPianoRoll (ScoreComponent* clip)
{
    if (clip == nullptr)
        return;

    // The piano roll held before, open or closed, goes without writing back.
    pianoRoll = std::make_unique<PianoRollComponent> (clip);
    pianoRoll->onClose = [this, shown = SafePointer<ScoreComponent> (clip)] {
        // The clip shows its new notes.
        if (auto* c = shown.getComponent())
            c->repaint();
        writeStateToProcessor();
    };
    addAndMakeVisible (*pianoRoll);
    pianoRoll->setBounds (getLocalBounds());
    pianoRoll->toFront (true);
}

bool CarvolinEditor::isPianoRollOpen() const noexcept
{
    return pianoRoll != nullptr && pianoRoll->isVisible();
}

void CarvolinEditor::closePianoRollIfEditing (const ClipData* clip)
{
    // The piano roll never writes into a clip that is gone; closing it shows
    // the user that its clip was deleted.
    if (pianoRoll != nullptr && pianoRoll->getClip() == clip)
    {
        pianoRoll->detachClip();
        pianoRoll->setVisible (false);
    }
}
