#include "pianoroll/PianoRollComponent.h"

#include "model/IntRange.h"
#include "model/Quantize.h"
#include "pianoroll/NoteEditing.h"
#include "pianoroll/PianoRollPainter.h"
#include "ui/Palette.h"

#include <unordered_map>
#include <unordered_set>

namespace
{
    constexpr int headerHeight = PianoRollPainter::headerHeight;
    constexpr int keyboardWidth = 60;
    constexpr int scrollBarThickness = 14;
    constexpr int velocityLaneHeight = 90;

    constexpr float minVerticalZoom = 0.5f, maxVerticalZoom = 3.0f;
    constexpr float minHorizontalZoom = 0.5f, maxHorizontalZoom = 5.0f;
} // namespace

//==============================================================================
PianoRollComponent::PianoRollComponent (ArrangementModel& m, ClipId clipToShow, EditingSession* sharedSession)
    : model (m),
      clipId (clipToShow),
      session (sharedSession != nullptr ? *sharedSession : ownSession)
{
    closeButton.setColour (juce::TextButton::buttonColourId, Palette::destructive);
    closeButton.onClick = [this] { close(); };

    const std::pair<juce::TextButton*, NoteTool> toolButtons[] = {
        { &drawButton, NoteTool::Draw }, { &selectButton, NoteTool::Select }, { &resizeButton, NoteTool::Resize }, { &eraseButton, NoteTool::Erase }
    };
    for (const auto& [button, tool] : toolButtons)
    {
        button->setClickingTogglesState (true);
        button->setColour (juce::TextButton::buttonColourId, Palette::control);
        button->setColour (juce::TextButton::buttonOnColourId, Palette::toolOn);
        button->onClick = [this, t = tool] { setTool (t); };
    }
    drawButton.setToggleState (true, juce::dontSendNotification);

    quantizeLabel.setText ("Q:", juce::dontSendNotification);
    quantizeLabel.setColour (juce::Label::textColourId, Palette::text);

    for (const auto& step : Quantize::steps)
        quantizeBox.addItem (step.text, step.itemId);
    quantizeBox.setSelectedId (Quantize::defaultItemId, juce::dontSendNotification);

    for (auto* bar : { &verticalScrollBar, &horizontalScrollBar })
    {
        bar->addListener (this);
        bar->setAutoHide (false);
    }

    verticalZoomSlider.setSliderStyle (juce::Slider::LinearVertical);
    verticalZoomSlider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    verticalZoomSlider.setRange (minVerticalZoom, maxVerticalZoom, 0.01);
    verticalZoomSlider.setValue (geometry.verticalZoom, juce::dontSendNotification);
    verticalZoomSlider.onValueChange = [this] {
        geometry.verticalZoom = static_cast<float> (verticalZoomSlider.getValue());
        updateScrollBars();
        repaint();
    };

    horizontalZoomSlider.setSliderStyle (juce::Slider::LinearHorizontal);
    horizontalZoomSlider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    horizontalZoomSlider.setRange (minHorizontalZoom, maxHorizontalZoom, 0.01);
    horizontalZoomSlider.setValue (geometry.horizontalZoom, juce::dontSendNotification);
    horizontalZoomSlider.onValueChange = [this] {
        geometry.horizontalZoom = static_cast<float> (horizontalZoomSlider.getValue());
        updateScrollBars();
        repaint();
    };

    for (auto* control : std::initializer_list<juce::Component*> {
             &closeButton, &drawButton, &selectButton, &resizeButton, &eraseButton, &quantizeLabel, &quantizeBox,
             &verticalScrollBar, &horizontalScrollBar, &verticalZoomSlider, &horizontalZoomSlider })
        addAndMakeVisible (control);

    // Undo and redo of note edits, right of the quantize box where the header
    // has room for them (the keys work at every width).
    for (auto* button : { &undoButton, &redoButton })
    {
        addChildComponent (button);
        button->setColour (juce::TextButton::buttonColourId, Palette::control);
    }
    undoButton.onClick = [this] { undo(); };
    redoButton.onClick = [this] { redo(); };
    updateUndoButtons();
    setWantsKeyboardFocus (true);

    // "Velocity" shows the velocity lane; it stands left of undo and redo.
    addChildComponent (velocityButton);
    velocityButton.setClickingTogglesState (true);
    velocityButton.setColour (juce::TextButton::buttonColourId, Palette::control);
    velocityButton.setColour (juce::TextButton::buttonOnColourId, Palette::toolOn);
    velocityButton.onClick = [this] { setVelocityLaneShown (velocityButton.getToggleState()); };

    showMenu = [] (juce::PopupMenu menu, std::function<void (int)> chosen) {
        menu.showMenuAsync (juce::PopupMenu::Options(), [chosen] (int result) { chosen (result); });
    };
    showMessage = [] (const juce::String& title, const juce::String& message) {
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, title, message, "OK", nullptr, nullptr);
    };

    // The clip as it stands, and every later change of it.
    const auto snapshot = model.getSnapshot();
    if (const auto index = snapshot->indexOf (clipId); index >= 0)
    {
        clip = snapshot->clips[(size_t) index];
        clipStartQ = clip->data.startQ;
        clipLengthQ = clip->data.lengthQ;
    }
    geometry.clipLengthQ = clipLengthQ;
    model.addListener (this);
}

PianoRollComponent::~PianoRollComponent()
{
    model.removeListener (this);
    stopAudition();
    verticalScrollBar.removeListener (this);
    horizontalScrollBar.removeListener (this);
}

//==============================================================================
void PianoRollComponent::setTool (NoteTool tool)
{
    currentTool = tool;
    drawButton.setToggleState (tool == NoteTool::Draw, juce::dontSendNotification);
    selectButton.setToggleState (tool == NoteTool::Select, juce::dontSendNotification);
    resizeButton.setToggleState (tool == NoteTool::Resize, juce::dontSendNotification);
    eraseButton.setToggleState (tool == NoteTool::Erase, juce::dontSendNotification);
}

int PianoRollComponent::gridTicks() const
{
    return Quantize::ticksForItemId (quantizeBox.getSelectedId());
}

int PianoRollComponent::snapToGrid (int ticks) const
{
    return Quantize::snapToGrid (ticks, gridTicks());
}

int PianoRollComponent::xToTick (int x) const { return geometry.xToTick (x); }
int PianoRollComponent::yToPitch (int y) const { return geometry.yToPitch (y); }

juce::int64 PianoRollComponent::clipEndTick() const noexcept
{
    return juce::int64 { clipLengthQ } * Arrangement::ticksPerQuarter;
}

const std::vector<ClipNote>& PianoRollComponent::getNotes() const noexcept
{
    static const std::vector<ClipNote> none;

    if (edited.has_value())
        return *edited;

    return clip != nullptr ? clip->data.notes : none;
}

int PianoRollComponent::indexOf (NoteId id) const noexcept
{
    const auto& notes = getNotes();
    for (size_t i = 0; i < notes.size(); ++i)
        if (notes[i].id == id)
            return (int) i;

    return -1;
}

const ClipNote* PianoRollComponent::getSelectedNote() const noexcept
{
    const auto index = selection.isEmpty() ? -1 : indexOf (selection.last());
    return index >= 0 ? &getNotes()[(size_t) index] : nullptr;
}

int PianoRollComponent::findNoteAt (juce::Point<int> point) const
{
    const auto& notes = getNotes();
    for (size_t i = 0; i < notes.size(); ++i)
        if (geometry.hitsNote (notes[i], point))
            return (int) i;

    return -1;
}

void PianoRollComponent::close()
{
    cancelGesture();
    setVisible (false);

    if (onClose != nullptr)
        onClose();
}

bool PianoRollComponent::isBlackKey (int pitch) noexcept
{
    return PianoRollPainter::isBlackKey (pitch);
}

//==============================================================================
std::vector<ClipNote>& PianoRollComponent::beginEdit()
{
    if (! edited.has_value())
        edited = getNotes();

    return *edited;
}

void PianoRollComponent::commitEdit (const juce::String& name)
{
    if (edited.has_value())
        commit (name, std::exchange (edited, std::nullopt).value());
}

void PianoRollComponent::commit (const juce::String& name, std::vector<ClipNote> notes)
{
    // The gesture is over before the arrangement changes: what the roll shows
    // from here on is the model's.
    edited.reset();

    if (clip == nullptr)
        return;

    model.perform (name, [this, &notes] (ArrangementModel::Edit& edit) { edit.setNotes (clipId, std::move (notes)); });
}

bool PianoRollComponent::isInGesture() const noexcept
{
    return isDrawing || isMoving || isResizing || velocityNote != 0 || bandStart.has_value();
}

void PianoRollComponent::cancelGesture()
{
    const ScopedRepaint repaintChanges (*this);

    stopAudition();
    edited.reset();
    drawingNote.reset();
    isDrawing = isMoving = isResizing = false;
    grabbedNote = velocityNote = 0;
    grabbedNotes.clear();
    selectOnlyOnRelease = false;
    bandStart.reset();
    rubberBand.reset();
}

void PianoRollComponent::arrangementChanged()
{
    const ScopedRepaint repaintChanges (*this);

    updateUndoButtons();

    const auto snapshot = model.getSnapshot();
    const auto index = snapshot->indexOf (clipId);

    if (index < 0)
    {
        // The clip went: the roll closes, and never writes anything again.
        if (clip == nullptr)
            return;

        cancelGesture();
        clip = nullptr;
        selection.clear();
        if (isVisible())
            close();
        return;
    }

    const auto& now = snapshot->clips[(size_t) index];
    if (now == clip)
        return;

    // The clip changed under the roll (an undo, a redo, a host): a gesture in
    // progress ends without a change, and the roll shows the clip as it is.
    if (isInGesture())
        cancelGesture();

    clip = now;

    if (! selection.isEmpty())
    {
        std::unordered_set<NoteId> present;
        for (const auto& note : clip->data.notes)
            present.insert (note.id);
        selection.keepOnly ([&present] (NoteId id) { return present.count (id) != 0; });
    }

    if (clip->data.startQ != clipStartQ || clip->data.lengthQ != clipLengthQ)
    {
        clipStartQ = clip->data.startQ;
        clipLengthQ = clip->data.lengthQ;
        geometry.clipLengthQ = clipLengthQ;
        updateScrollBars();
        repaint();
    }
}

void PianoRollComponent::undo()
{
    if (! isInGesture())
        model.undo();
}

void PianoRollComponent::redo()
{
    if (! isInGesture())
        model.redo();
}

void PianoRollComponent::updateUndoButtons()
{
    undoButton.setEnabled (model.canUndo());
    redoButton.setEnabled (model.canRedo());
}

//==============================================================================
void PianoRollComponent::setVelocityLaneShown (bool shouldShow)
{
    velocityLaneShown = shouldShow;
    velocityButton.setToggleState (shouldShow, juce::dontSendNotification);
    resized();
    repaint();
}

void PianoRollComponent::resized()
{
    const auto w = getWidth();
    const auto h = getHeight();

    closeButton.setBounds (w - 50, 10, 40, 35);
    drawButton.setBounds (250, 10, 70, 35);
    selectButton.setBounds (330, 10, 70, 35);
    resizeButton.setBounds (410, 10, 70, 35);
    eraseButton.setBounds (490, 10, 70, 35);
    quantizeLabel.setBounds (570, 10, 30, 35);
    quantizeBox.setBounds (605, 10, 90, 35);

    // Undo, redo and "Velocity" stand between the quantize box and "X", those
    // that fit; the keys and the right-click menu do the same at every width.
    const auto undoX = w - 50 - 2 * 60;
    const auto velocityX = undoX - 80;
    undoButton.setBounds (undoX, 10, 55, 35);
    redoButton.setBounds (undoX + 60, 10, 55, 35);
    velocityButton.setBounds (velocityX, 10, 75, 35);
    undoButton.setVisible (undoX >= 705);
    redoButton.setVisible (undoX >= 705);
    velocityButton.setVisible (velocityX >= 705);

    // The velocity lane, when shown, takes the bottom of the window from the
    // grid and the keyboard.
    const auto laneHeight = velocityLaneShown ? juce::jmin (velocityLaneHeight, juce::jmax (0, h - headerHeight)) : 0;
    keyboardArea = { 0, headerHeight, keyboardWidth, h - headerHeight - laneHeight };
    const auto& grid = geometry.gridArea = { keyboardWidth, headerHeight, w - keyboardWidth, h - headerHeight - laneHeight };
    velocityLaneArea = velocityLaneShown ? juce::Rectangle<int> (keyboardWidth, h - laneHeight, w - keyboardWidth, laneHeight) : juce::Rectangle<int>();

    verticalScrollBar.setBounds (grid.getRight() - scrollBarThickness, grid.getY(), scrollBarThickness, grid.getHeight() - scrollBarThickness);
    horizontalScrollBar.setBounds (grid.getX(), grid.getBottom() - scrollBarThickness, grid.getWidth() - scrollBarThickness, scrollBarThickness);
    verticalZoomSlider.setBounds (grid.getRight() - 39, grid.getBottom() - 95, 14, 70);
    horizontalZoomSlider.setBounds (grid.getRight() - 95, grid.getBottom() - 39, 70, 14);

    updateScrollBars();
}

void PianoRollComponent::updateScrollBars()
{
    auto& g = geometry;
    const auto gridWidth = static_cast<float> (g.gridArea.getWidth());
    const auto gridHeight = static_cast<float> (g.gridArea.getHeight());

    g.verticalScroll = g.verticalScroll < 0.0f ? 0.0f : juce::jmin (g.verticalScroll, juce::jmax (0.0f, g.contentHeight() - gridHeight));
    verticalScrollBar.setRangeLimits (0.0, g.contentHeight());
    verticalScrollBar.setCurrentRange (g.verticalScroll, gridHeight);
    verticalScrollBar.setSingleStepSize (g.rowHeight());

    g.horizontalScroll = g.horizontalScroll < 0.0f ? 0.0f : juce::jmin (g.horizontalScroll, juce::jmax (0.0f, g.scaledWidth() - gridWidth));
    horizontalScrollBar.setRangeLimits (0.0, g.scaledWidth());
    horizontalScrollBar.setCurrentRange (g.horizontalScroll, gridWidth);
    horizontalScrollBar.setSingleStepSize (gridWidth * 0.0625);
}

void PianoRollComponent::scrollBarMoved (juce::ScrollBar* scrollBar, double newRangeStart)
{
    auto& g = geometry;
    const auto start = static_cast<float> (newRangeStart);

    if (scrollBar == &verticalScrollBar)
        g.verticalScroll = start < 0.0f ? 0.0f : juce::jmin (start, juce::jmax (0.0f, g.contentHeight() - static_cast<float> (g.gridArea.getHeight())));
    else if (scrollBar == &horizontalScrollBar)
        g.horizontalScroll = start < 0.0f ? 0.0f : juce::jmin (start, juce::jmax (0.0f, g.scaledWidth() - static_cast<float> (g.gridArea.getWidth())));

    repaint();
}

void PianoRollComponent::mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel)
{
    const auto mods = event.mods;
    auto& g = geometry;

    if (mods.isCtrlDown())
    {
        g.horizontalZoom = juce::jlimit (minHorizontalZoom, maxHorizontalZoom, g.horizontalZoom + wheel.deltaY * 0.1f);
        horizontalZoomSlider.setValue (g.horizontalZoom, juce::dontSendNotification);
    }
    else if (mods.isShiftDown())
    {
        g.horizontalScroll -= wheel.deltaY * 50.0f;
    }
    else if (mods.isAltDown())
    {
        g.verticalZoom = juce::jlimit (minVerticalZoom, maxVerticalZoom, g.verticalZoom + wheel.deltaY * 0.1f);
        verticalZoomSlider.setValue (g.verticalZoom, juce::dontSendNotification);
    }
    else
    {
        g.verticalScroll -= wheel.deltaY * 50.0f;
    }

    updateScrollBars();
    repaint();
}

//==============================================================================
PianoRollComponent::Look PianoRollComponent::currentLook() const
{
    Look look;
    const auto& notes = getNotes();
    look.notes.reserve (notes.size());
    for (const auto& note : notes)
    {
        const auto selected = selection.contains (note.id);
        look.notes.push_back ({ note.id, note, selected ? (isMoving ? 2 : 1) : 0 });
    }

    if (isDrawing && drawingNote.has_value())
        look.drawing = *drawingNote;

    look.band = rubberBand;

    if (const auto index = velocityNote != 0 ? indexOf (velocityNote) : -1; velocityLaneShown && index >= 0)
    {
        const auto& note = notes[(size_t) index];
        const auto bar = NoteEditing::velocityBar (geometry.tickToX (note.startTick), note.velocity, velocityLaneArea);
        look.velocityNumber = std::pair { PianoRollPainter::velocityNumberArea (bar, velocityLaneArea), note.velocity };
    }

    return look;
}

void PianoRollComponent::addAreasOf (const ClipNote& note, std::vector<juce::Rectangle<int>>& areas) const
{
    const auto bounds = getLocalBounds().toFloat();
    const auto add = [&] (juce::Rectangle<float> area) {
        // Cut to the view first, so that far-off notes stay within int range.
        const auto shown = area.getIntersection (bounds);
        if (! shown.isEmpty())
            areas.push_back (shown.getSmallestIntegerContainer());
    };

    // The outline reaches past the note by half its width, and smoothing a pixel more.
    add (geometry.noteBounds (note).expanded (2.0f));

    if (velocityLaneShown)
        add (NoteEditing::velocityBar (geometry.tickToX (note.startTick), note.velocity, velocityLaneArea).expanded (1.0f));
}

void PianoRollComponent::repaintChangesSince (const Look& before)
{
    for (const auto& area : changedAreas (before, currentLook()))
        repaint (area);
}

std::vector<juce::Rectangle<int>> PianoRollComponent::changedAreas (const Look& before, const Look& after) const
{
    std::vector<juce::Rectangle<int>> areas;

    const auto sameNotes = before.notes.size() == after.notes.size()
        && std::equal (before.notes.begin(), before.notes.end(), after.notes.begin(), [] (const auto& a, const auto& b) { return a.id == b.id; });

    if (sameNotes)
    {
        for (size_t i = 0; i < after.notes.size(); ++i)
        {
            const auto& was = before.notes[i];
            const auto& now = after.notes[i];
            if (was.value != now.value || was.state != now.state)
            {
                addAreasOf (was.value, areas);
                addAreasOf (now.value, areas);
            }
        }
    }
    else
    {
        // Notes came or went: where each one gone was, where each new one is,
        // and both places of the ones that changed.
        std::unordered_map<NoteId, const Look::Note*> earlier;
        for (const auto& was : before.notes)
            earlier.emplace (was.id, &was);

        for (const auto& now : after.notes)
        {
            const auto found = earlier.find (now.id);
            if (found == earlier.end())
            {
                addAreasOf (now.value, areas);
                continue;
            }

            if (found->second->value != now.value || found->second->state != now.state)
            {
                addAreasOf (found->second->value, areas);
                addAreasOf (now.value, areas);
            }
            earlier.erase (found);
        }

        for (const auto& [note, was] : earlier)
            addAreasOf (was->value, areas);
    }

    if (before.drawing != after.drawing)
        for (const auto& drawn : { before.drawing, after.drawing })
            if (drawn.has_value())
                addAreasOf (*drawn, areas);

    RepaintAreas::addBandChange (before.band, after.band, areas);

    if (before.velocityNumber != after.velocityNumber)
        for (const auto& number : { before.velocityNumber, after.velocityNumber })
            if (number.has_value())
                areas.push_back (number->first.expanded (1));

    return RepaintAreas::bounded (std::move (areas));
}

//==============================================================================
void PianoRollComponent::setPlayheadPosition (std::optional<double> ppq)
{
    std::optional<int> x;
    if (ppq.has_value() && *ppq >= clipStartQ && *ppq < static_cast<double> (clipStartQ) + static_cast<double> (clipLengthQ))
    {
        const auto at = geometry.tickToX (static_cast<juce::int64> ((*ppq - clipStartQ) * Arrangement::ticksPerQuarter));
        const auto& grid = geometry.gridArea;
        if (at >= static_cast<float> (grid.getX()) && at < static_cast<float> (grid.getRight()))
            x = static_cast<int> (at);
    }

    if (x == playheadX)
        return;

    // Only where the line was and where it is now is painted again.
    for (const auto& was : { playheadX, x })
        if (was.has_value())
            repaint (*was - 1, geometry.gridArea.getY(), 3, geometry.gridArea.getHeight());
    playheadX = x;
}

void PianoRollComponent::paintOverChildren (juce::Graphics& g)
{
    if (playheadX.has_value())
    {
        g.setColour (juce::Colours::white);
        g.fillRect (*playheadX, geometry.gridArea.getY(), 1, geometry.gridArea.getHeight());
    }
}

void PianoRollComponent::startAudition (const ClipNote& note)
{
    stopAudition();
    if (onAudition == nullptr || ! PianoRollGeometry::isDrawablePitch (note.pitch))
        return;

    auditioned = std::pair { note.pitch, note.velocity };
    onAudition (note.pitch, note.velocity, true);
}

void PianoRollComponent::stopAudition()
{
    if (auditioned.has_value() && onAudition != nullptr)
        onAudition (auditioned->first, 0, false);
    auditioned.reset();
}

//==============================================================================
juce::String PianoRollComponent::getTitle() const
{
    return "Piano Roll - Clip: Bar " + juce::String (clipStartQ / 4) + " to " + juce::String ((juce::int64 { clipStartQ } + clipLengthQ) / 4)
        + " (Length: " + juce::String (clipLengthQ / 4) + " bars, " + juce::String (clipLengthQ) + " quarters)";
}

void PianoRollComponent::paint (juce::Graphics& g)
{
    PianoRollPainter::Scene scene { geometry, getNotes(), selection };
    scene.noteShapes = &noteShapes;
    scene.keyboardArea = keyboardArea;
    scene.width = getWidth();
    scene.title = getTitle();
    scene.clipStartQ = clipStartQ;
    scene.moving = isMoving;
    scene.drawingNote = isDrawing && drawingNote.has_value() ? &*drawingNote : nullptr;
    scene.rubberBand = rubberBand;
    if (velocityLaneShown)
        scene.velocityLane = velocityLaneArea;
    if (const auto index = velocityNote != 0 ? indexOf (velocityNote) : -1; index >= 0)
        scene.velocityNote = &getNotes()[(size_t) index];

    PianoRollPainter::paint (g, scene);
}
