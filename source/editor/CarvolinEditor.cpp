#include "editor/CarvolinEditor.h"

#include "editor/ArrangementEditing.h"
#include "midifile/MidiFileReader.h"
#include "midifile/MidiFileWriter.h"
#include "editor/ArrangementPainter.h"
#include "model/ClipRules.h"
#include "model/Quantize.h"
#include "model/StateDocument.h"
#include "plugin/CarvolinProcessor.h"

#include <algorithm>

namespace
{
    const juce::Colour toolbarGrey { 0xff2f4f4f };   // darkslategrey
    const juce::Colour toolOnColour { 0xff20b2aa };  // lightseagreen
    const juce::Colour deleteColour { 0xff8b0000 };  // darkred
    const juce::Colour fileCommandColour { 0xffff8c00 }; // darkorange

    void styleButton (juce::TextButton& button, juce::Colour background)
    {
        button.setColour (juce::TextButton::buttonColourId, background);
        button.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
        button.setColour (juce::TextButton::textColourOnId, juce::Colours::white);
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
    quantizeLabel.setColour (juce::Label::textColourId, juce::Colours::white);

    for (const auto& step : Quantize::steps)
        quantizeBox.addItem (step.text, step.itemId);
    quantizeBox.setSelectedId (Quantize::defaultItemId, juce::dontSendNotification);

    timelineScrollBar.addListener (this);
    timelineScrollBar.setAutoHide (false);

    for (auto* toolButton : { &selectToolButton, &drawToolButton, &dragToolButton, &resizeToolButton })
    {
        toolButton->setClickingTogglesState (true);
        styleButton (*toolButton, toolbarGrey);
        toolButton->setColour (juce::TextButton::buttonOnColourId, toolOnColour);
    }
    selectToolButton.setToggleState (true, juce::dontSendNotification);

    for (auto* button : { &addTrackButton, &removeTrackButton, &zoomInButton, &zoomOutButton })
        styleButton (*button, toolbarGrey);
    styleButton (deleteButton, deleteColour);
    styleButton (saveMidiButton, fileCommandColour);
    styleButton (loadMidiButton, fileCommandColour);

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
    dialogs.launchChooser = [] (std::shared_ptr<juce::FileChooser> chooser, int chooserFlags, std::function<void (const juce::FileChooser&)> completion) {
        // The chooser lives until its completion has run.
        chooser->launchAsync (chooserFlags, [chooser, completion] (const juce::FileChooser& fc) { completion (fc); });
    };

    restoreStateFromProcessor();
}

CarvolinEditor::~CarvolinEditor()
{
    writeStateToProcessor();
    timelineScrollBar.removeListener (this);
}

//==============================================================================
void CarvolinEditor::writeStateToProcessor()
{
    const auto folderPath = midiFolder->isDirectory() ? midiFolder->getFullPathName() : juce::String();

    auto document = StateDocument::createRoot (folderPath);
    for (const auto& clip : clips)
        StateDocument::appendClip (*document, *clip);

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
    const auto total = ppq * Arrangement::timelineQuarters;
    timelineScrollBar.setRangeLimits (0.0, total);
    timelineScrollBar.setCurrentRange (scrollOffset, juce::jmin (areaW, total - scrollOffset));
    timelineScrollBar.setSingleStepSize (ppq);

    for (size_t i = 0; i < tracks.size(); ++i)
        tracks[i]->setBounds (10, geo::originY + geo::laneHeight * static_cast<int> (i), 180, geo::laneHeight);

    const auto view = getView();
    for (auto& clip : clips)
        clip->setBounds (geo::clipBounds (clip->track, clip->startQ, clip->lengthQ, numTracks, view));
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
bool CarvolinEditor::wouldOverlap (int track, int startQ, int lengthQ, const ScoreComponent* ignore) const
{
    return ClipRules::wouldOverlap (clips, track, startQ, lengthQ, ignore);
}

ScoreComponent* CarvolinEditor::clipAt (juce::Point<int> editorPosition) const
{
    const auto local = toLanes (editorPosition);

    for (const auto& clip : clips)
        if (clip->getBounds().contains (local))
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
            if (ArrangementEditing::isOnResizeHandle (clip->getBounds(), local))
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
                grabOffset = toLanes (position) - selectedClip->getPosition();
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
                if (ArrangementEditing::isOnResizeHandle (clip->getBounds(), local))
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
                const auto topLeft = toLanes (position) - grabOffset;
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

    if (isDeleteKey && ! mods.isShiftDown() && ! mods.isCtrlDown() && ! mods.isAltDown()
        && currentTool == EditTool::Select && selectedClip != nullptr)
    {
        deleteSelectedClip();
        return true;
    }

    return false;
}

//==============================================================================
void CarvolinEditor::openPianoRoll (ScoreComponent* clip)
{
    if (clip == nullptr)
        return;

    // The piano roll held before, open or closed, goes without writing back.
    pianoRoll = std::make_unique<PianoRollComponent> (clip);
    pianoRoll->onClose = [this] { writeStateToProcessor(); };
    addAndMakeVisible (*pianoRoll);
    pianoRoll->setBounds (getLocalBounds());
    pianoRoll->toFront (true);
}

void CarvolinEditor::closePianoRollIfEditing (const ScoreComponent* clip)
{
    // The piano roll never writes into a clip that is gone; closing it shows
    // the user that its clip was deleted.
    if (pianoRoll != nullptr && pianoRoll->getClip() == clip)
        pianoRoll->setVisible (false);
}

juce::String CarvolinEditor::exportClipToTempFile (ScoreComponent* clip)
{
    if (clip == nullptr)
        return {};

    const auto file = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("VST_Clip_" + juce::String (clip->track) + "_" + juce::String (clip->startQ) + "_"
                                         + juce::String (juce::Time::currentTimeMillis()) + ".mid");
    if (file.existsAsFile())
        file.deleteFile();

    const auto bytes = MidiFileWriter::clipFileBytes (*clip);
    if (bytes.isEmpty())
        return {};

    {
        juce::FileOutputStream out (file, 16384);
        if (! out.openedOk())
            return {};

        out.write (bytes.getData(), bytes.getSize());
    }

    return file.existsAsFile() && file.getSize() > 0 ? file.getFullPathName() : juce::String();
}

//==============================================================================
namespace
{
    bool isMidiFilePath (const juce::String& path)
    {
        return path.endsWithIgnoreCase (".mid") || path.endsWithIgnoreCase (".midi");
    }
} // namespace

bool CarvolinEditor::isInterestedInFileDrag (const juce::StringArray& files)
{
    return std::any_of (files.begin(), files.end(), isMidiFilePath);
}

void CarvolinEditor::fileDragEnter (const juce::StringArray&, int x, int y)
{
    fileDragHover = true;
    updateFileDragHover (x, y);
}

void CarvolinEditor::fileDragMove (const juce::StringArray&, int x, int y)
{
    updateFileDragHover (x, y);
}

void CarvolinEditor::fileDragExit (const juce::StringArray&)
{
    fileDragHover = false;
    hoverTrackIndex = -1;
    hoverQuarter = -1;
    repaint();
}

void CarvolinEditor::updateFileDragHover (int x, int y)
{
    namespace geo = ArrangementGeometry;

    if (! arrangementArea.contains (x, y))
    {
        hoverQuarter = -1;
        hoverTrackIndex = -1;
        repaint();
        return;
    }

    const auto view = getView();
    const auto lane = juce::jlimit (0, static_cast<int> (tracks.size()) - 1, geo::laneAtY (y));
    auto q = juce::jlimit (0, Arrangement::timelineQuarters - 1, geo::xToQuarter (x, view));
    q = snapToGrid (q * Arrangement::ticksPerQuarter) / Arrangement::ticksPerQuarter;

    hoverTrackIndex = lane;
    hoverQuarter = q;
    hoverRect = { arrangementArea.getX() + geo::quarterToX (q, view),
                  arrangementArea.getY() + lane * geo::laneHeight + geo::clipTopInset,
                  geo::spanWidth (q, Arrangement::quartersPerBar, view),
                  geo::clipHeight };
    repaint();
}

void CarvolinEditor::filesDropped (const juce::StringArray& files, int, int)
{
    fileDragHover = false;

    // The clip goes where the last drag move showed its preview.
    if (hoverTrackIndex < 0 || hoverQuarter < 0)
    {
        repaint();
        return;
    }

    for (const auto& path : files)
    {
        if (! isMidiFilePath (path) || ! juce::File::isAbsolutePath (path) || ! juce::File (path).existsAsFile())
            continue;

        std::vector<ImportedClip> imported;
        if (! readMidiFile (juce::File (path), imported) || imported.empty())
            continue;

        auto& first = imported.front();
        auto length = juce::jmax (1, first.lengthQ);
        if (hoverQuarter + length > Arrangement::timelineQuarters)
            length = Arrangement::timelineQuarters - hoverQuarter;

        if (wouldOverlap (hoverTrackIndex + 1, hoverQuarter, length, nullptr))
        {
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Overlap Detected",
                                 "Cannot place MIDI clip here - overlaps with existing clip.");
            repaint();
            return;
        }

        // Notes reaching past the clip's end stay in it, unchanged.
        auto& clip = addClip ({ hoverTrackIndex + 1, hoverQuarter, length, std::move (first.notes) });
        clip.onDoubleClick = nullptr;
        selectedClip = &clip;
        layOutAndRepaint();
        writeStateToProcessor();
        break;
    }

    hoverTrackIndex = -1;
    hoverQuarter = -1;
    repaint();
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
std::vector<const ClipData*> CarvolinEditor::clipData() const
{
    std::vector<const ClipData*> data;
    data.reserve (clips.size());
    for (const auto& clip : clips)
        data.push_back (clip.get());
    return data;
}

void CarvolinEditor::saveMidi()
{
    if (clips.empty())
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "No Clips",
                             "There are no clips to export. Create some clips with notes first!");
        return;
    }

    // The dialog asks before replacing an existing file; once the user agreed, the file is written.
    auto chooser = std::make_shared<juce::FileChooser> ("Save MIDI File",
                                                        juce::File::getSpecialLocation (juce::File::userDocumentsDirectory),
                                                        "*.mid");
    const auto chooserFlags = juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                            | juce::FileBrowserComponent::warnAboutOverwriting;

    dialogs.launchChooser (chooser, chooserFlags, [safeThis = SafePointer<CarvolinEditor> (this)] (const juce::FileChooser& fc) {
        if (auto* editor = safeThis.getComponent())
            editor->saveMidiToChosenFile (fc);
    });
}

void CarvolinEditor::saveMidiToChosenFile (const juce::FileChooser& chooser)
{
    saveMidiToFile (chooser.getResult());
}

void CarvolinEditor::saveMidiToFile (const juce::File& chosen)
{
    // A cancelled dialog gives no file; a folder or a missing folder is no target.
    if (chosen == juce::File() || chosen.isDirectory() || ! chosen.getParentDirectory().isDirectory())
        return;

    const auto target = chosen.getFileExtension() == ".mid" ? chosen : chosen.withFileExtension (".mid");

    if (writeMidiFile (target, clipData()))
        dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "MIDI Saved", "Successfully saved to:\n" + target.getFullPathName());
    else
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Save Failed", "Failed to save MIDI file.");
}

void CarvolinEditor::loadMidi()
{
    auto chooser = std::make_shared<juce::FileChooser> ("Load MIDI File",
                                                        juce::File::getSpecialLocation (juce::File::userDocumentsDirectory),
                                                        "*.mid");
    const auto chooserFlags = juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles;

    dialogs.launchChooser (chooser, chooserFlags, [safeThis = SafePointer<CarvolinEditor> (this)] (const juce::FileChooser& fc) {
        if (auto* editor = safeThis.getComponent())
            editor->loadMidiFromChosenFile (fc);
    });
}

void CarvolinEditor::loadMidiFromChosenFile (const juce::FileChooser& chooser)
{
    loadMidiFromFile (chooser.getResult());
}

void CarvolinEditor::loadMidiFromFile (const juce::File& chosen)
{
    if (chosen == juce::File() || ! chosen.existsAsFile())
        return;

    std::vector<ImportedClip> imported;
    if (! readMidiFile (chosen, imported))
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Load Failed", "Failed to load MIDI file: " + chosen.getFileName());
        return;
    }

    replaceClips (std::move (imported));
    writeStateToProcessor();
    layOutAndRepaint();
    dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "MIDI Loaded", "Successfully loaded: " + chosen.getFileName());
}

void CarvolinEditor::replaceClips (std::vector<ClipData> newClips)
{
    for (const auto& clip : clips)
        closePianoRollIfEditing (clip.get());

    selectedClip = nullptr;
    resizingClip = nullptr;
    isResizing = false;
    isMoving = false;
    clips.clear();

    for (auto& data : newClips)
        addClip (std::move (data));
}
