#include "pianoroll/PianoRollComponent.h"

#include "model/IntRange.h"
#include "pianoroll/NoteEditing.h"
#include "ui/EditKeys.h"
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

    constexpr int toolRadioGroup = 1002;
} // namespace

//==============================================================================
PianoRollComponent::PianoRollComponent (ArrangementModel& m, ClipId clipToShow, EditingSession& s, Dialogs& d)
    : model (m),
      clipId (clipToShow),
      session (s),
      dialogs (d),
      gestures (selection),
      commands (m, clipToShow, s, selection, d),
      toolButtons (*this, { { { "Draw", NoteTool::Draw }, { "Select", NoteTool::Select }, { "Resize", NoteTool::Resize }, { "Erase", NoteTool::Erase } } }, toolRadioGroup),
      quantize (*this)
{
    closeButton.setColour (juce::TextButton::buttonColourId, Palette::destructive);
    closeButton.onClick = [this] { close(); };

    toolButtons.onChoose = [this] (NoteTool tool) { setTool (tool); };
    toolButtons.show (currentTool);

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

    for (auto* control : std::initializer_list<juce::Component*> { &closeButton, &verticalScrollBar, &horizontalScrollBar, &verticalZoomSlider, &horizontalZoomSlider })
        addAndMakeVisible (control);

    // Undo and redo, right of the quantize box where the header has room for
    // them (the keys work at every width).
    for (auto* button : { &undoButton, &redoButton })
    {
        addChildComponent (button);
        button->setColour (juce::TextButton::buttonColourId, Palette::control);
    }
    undoButton.onClick = [this] { commands.undo(); };
    redoButton.onClick = [this] { commands.redo(); };
    undoButton.setTooltip ("Undo (Ctrl+Z)");
    redoButton.setTooltip ("Redo (Ctrl+Shift+Z or Ctrl+Y)");
    closeButton.setTooltip ("Close the piano roll (every edit is kept already)");
    toolButtons[0].setTooltip ("Draw: click or drag on the grid to draw a note (1)");
    toolButtons[1].setTooltip ("Select: click, Shift+click or drag a band around notes; drag them to move them (2)");
    toolButtons[2].setTooltip ("Resize: drag a note's right edge (3)");
    toolButtons[3].setTooltip ("Erase: click a note to remove it (4)");
    quantize.box.setTooltip ("The step notes snap to when drawn, moved and resized");
    setWantsKeyboardFocus (true);

    // "Velocity" shows the velocity lane; it stands left of undo and redo.
    addChildComponent (velocityButton);
    velocityButton.setClickingTogglesState (true);
    velocityButton.setColour (juce::TextButton::buttonColourId, Palette::control);
    velocityButton.setColour (juce::TextButton::buttonOnColourId, Palette::toolOn);
    velocityButton.setTooltip ("Show the notes' velocities, to drag");
    velocityButton.onClick = [this] { setVelocityLaneShown (velocityButton.getToggleState()); };

    // "Step" writes the keys played on the MIDI input at a cursor; it stands
    // left of "Velocity".
    addChildComponent (stepButton);
    stepButton.setClickingTogglesState (true);
    stepButton.setColour (juce::TextButton::buttonColourId, Palette::control);
    stepButton.setColour (juce::TextButton::buttonOnColourId, Palette::toolOn);
    stepButton.setTooltip ("Step input: keys played on the MIDI input are written at the cursor, a quantize step each "
                           "(Left and Right move the cursor, Backspace takes the last step back)");
    stepButton.onClick = [this] { setStepInputOn (stepButton.getToggleState()); };

    // "Scale" chooses the clip's scale, and what else the roll shows: the
    // notes of the other clips, and note names. It stands left of "Step".
    addChildComponent (scaleButton);
    scaleButton.setColour (juce::TextButton::buttonColourId, Palette::control);
    scaleButton.setTooltip ("The clip's scale (drawn and moved notes snap to it; Alt: any key), ghost notes of the other clips, note names");
    scaleButton.onClick = [this] { showScaleMenu(); };
    commands.gridTicks = [this] { return quantize.gridTicks(); };

    // The lines that mark where playback is and the step cursor go over everything.
    addChildComponent (stepCursor);
    addChildComponent (playhead);

    // Every change of the notes is a transaction; a gesture holds commands back.
    gestures.commit = [this] (const juce::String& name, std::vector<ClipNote> notes) { commands.commit (name, std::move (notes)); };
    gestures.newNoteId = [this] { return model.nextNoteId(); };
    gestures.onPressNote = [this] (const ClipNote& note) { startAudition (note); };
    gestures.onVelocitySet = [this] (int velocity) { session.noteVelocity = velocity; };
    commands.isBusy = [this] { return gestures.isActive(); };

    // The clip as it stands, and every later change of it.
    const auto snapshot = model.getSnapshot();
    if (const auto index = snapshot->indexOf (clipId); index >= 0)
    {
        clip = snapshot->clips[(size_t) index];
        clipStartQ = clip->data.startQ;
        clipLengthQ = clip->data.lengthQ;
        scaleButton.setButtonText (Scales::describe (clip->data.scale, clip->data.scaleRoot));
    }
    geometry.clipLengthQ = clipLengthQ;
    updateUndoButtons();
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
    toolButtons.show (tool);
}

juce::int64 PianoRollComponent::clipEndTick() const noexcept
{
    return juce::int64 { clipLengthQ } * Arrangement::ticksPerQuarter;
}

const std::vector<ClipNote>& PianoRollComponent::getNotes() const noexcept
{
    static const std::vector<ClipNote> none;

    if (const auto* preview = gestures.preview())
        return *preview;

    return clip != nullptr ? clip->data.notes : none;
}

const ClipNote* PianoRollComponent::getSelectedNote() const noexcept
{
    if (selection.isEmpty())
        return nullptr;

    for (const auto& note : getNotes())
        if (note.id == selection.last())
            return &note;

    return nullptr;
}

NoteGestures::Frame PianoRollComponent::frame() const
{
    static const std::vector<ClipNote> none;
    return { clip != nullptr ? clip->data.notes : none,
             geometry,
             quantize.gridTicks(),
             clipEndTick(),
             velocityLaneShown ? std::optional<juce::Rectangle<int>> (velocityLaneArea) : std::nullopt,
             session.noteVelocity,
             clip != nullptr ? clip->data.scale : -1,
             clip != nullptr ? clip->data.scaleRoot : 0 };
}

void PianoRollComponent::close()
{
    gestures.cancel();
    stopAudition();
    setStepInputOn (false);
    setVisible (false);

    if (onClose != nullptr)
        onClose();
}

//==============================================================================
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

        gestures.cancel();
        clip = nullptr;
        selection.clear();
        if (isVisible())
            close();
        return;
    }

    // Ghost notes show the other clips: any change may change them.
    if (session.ghostNotes)
        repaint();

    const auto& now = snapshot->clips[(size_t) index];
    if (now == clip)
        return;

    if (clip != nullptr && (now->data.scale != clip->data.scale || now->data.scaleRoot != clip->data.scaleRoot))
    {
        scaleButton.setButtonText (Scales::describe (now->data.scale, now->data.scaleRoot));
        repaint();
    }

    // The clip changed under the roll (an undo, a redo, a host): a gesture in
    // progress ends without a change, and the roll shows the clip as it is.
    gestures.cancel();
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

void PianoRollComponent::updateUndoButtons()
{
    undoButton.setEnabled (model.canUndo());
    redoButton.setEnabled (model.canRedo());
}

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
    toolButtons[0].setBounds (250, 10, 70, 35);
    toolButtons[1].setBounds (330, 10, 70, 35);
    toolButtons[2].setBounds (410, 10, 70, 35);
    toolButtons[3].setBounds (490, 10, 70, 35);
    quantize.label.setBounds (570, 10, 30, 35);
    quantize.box.setBounds (605, 10, 90, 35);

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
    stepButton.setBounds (velocityX - 65, 10, 60, 35);
    stepButton.setVisible (velocityX - 65 >= 705);
    scaleButton.setBounds (velocityX - 140, 10, 70, 35);
    scaleButton.setVisible (velocityX - 140 >= 705);

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
    setPlayheadPosition (playheadPpq);
    placeStepCursor();
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
    placeStepCursor();
}

void PianoRollComponent::scrollBarMoved (juce::ScrollBar* scrollBar, double newRangeStart)
{
    auto& g = geometry;
    const auto start = static_cast<float> (newRangeStart);

    if (scrollBar == &verticalScrollBar)
        g.verticalScroll = start < 0.0f ? 0.0f : juce::jmin (start, juce::jmax (0.0f, g.contentHeight() - static_cast<float> (g.gridArea.getHeight())));
    else if (scrollBar == &horizontalScrollBar)
        g.horizontalScroll = start < 0.0f ? 0.0f : juce::jmin (start, juce::jmax (0.0f, g.scaledWidth() - static_cast<float> (g.gridArea.getWidth())));

    placeStepCursor();
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
    const auto moving = gestures.isMoving();
    look.notes.reserve (notes.size());
    for (const auto& note : notes)
    {
        const auto selected = selection.contains (note.id);
        look.notes.push_back ({ note.id, note, selected ? (moving ? 2 : 1) : 0 });
    }

    look.drawing = gestures.drawing();
    look.band = gestures.band();

    if (const auto velocityNote = gestures.velocityNote(); velocityLaneShown && velocityNote != 0)
    {
        for (const auto& note : notes)
        {
            if (note.id == velocityNote)
            {
                const auto bar = NoteEditing::velocityBar (geometry.tickToX (note.startTick), note.velocity, velocityLaneArea);
                look.velocityNumber = std::pair { PianoRollPainter::velocityNumberArea (bar, velocityLaneArea), note.velocity };
            }
        }
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
void PianoRollComponent::mouseDown (const juce::MouseEvent& event)
{
    const ScopedRepaint repaintChanges (*this);

    if (event.mods.isPopupMenu())
    {
        // The menu acts on the note under the pointer: it is selected first,
        // unless it is selected already.
        for (const auto& note : getNotes())
        {
            if (geometry.hitsNote (note, event.getPosition()))
            {
                if (! selection.contains (note.id))
                    selection.selectOnly (note.id);
                break;
            }
        }

        const auto pitch = geometry.gridArea.contains (event.getPosition()) ? geometry.yToPitch (event.getPosition().y) : -1;
        commands.showMenu (pitch >= 0 ? std::optional<int> (pitch) : std::nullopt);
        return;
    }

    // A clip without a positive length has no grid to edit on; its notes stay as they are.
    if (! canEdit())
        return;

    // Pasted notes go where the grid was clicked last.
    const auto position = event.getPosition();
    if (geometry.gridArea.contains (position))
        commands.setPastePlace (NoteEditing::drawnStart (quantize.snap (geometry.xToTick (position.x)), clipEndTick(), quantize.gridTicks()));

    gestures.press (currentTool, event, frame());
}

void PianoRollComponent::mouseDrag (const juce::MouseEvent& event)
{
    const ScopedRepaint repaintChanges (*this);

    gestures.drag (event, frame());
}

void PianoRollComponent::mouseUp (const juce::MouseEvent&)
{
    const ScopedRepaint repaintChanges (*this);

    stopAudition();
    gestures.release (frame());
}

bool PianoRollComponent::keyPressed (const juce::KeyPress& key)
{
    const ScopedRepaint repaintChanges (*this);

    const auto mods = key.getModifiers();
    const auto code = key.getKeyCode();
    const auto plain = ! mods.isCommandDown() && ! mods.isAltDown();

    if (commands.performEditKey (key))
        return true;

    // Quantize, legato, humanize, reverse, a scale degree up or down.
    if (const auto command = NoteCommandMenu::forKey (key))
    {
        commands.apply (*command);
        return true;
    }

    // With step input on, Left and Right move its cursor and Backspace takes its last step back.
    if (stepInput != nullptr && plain && ! mods.isShiftDown()
        && (code == juce::KeyPress::leftKey || code == juce::KeyPress::rightKey || code == juce::KeyPress::backspaceKey))
    {
        stepInput->setStepTicks (quantize.gridTicks());
        if (code == juce::KeyPress::backspaceKey)
            stepInput->removeLastStep();
        else
            stepInput->moveCursor (code == juce::KeyPress::rightKey ? 1 : -1);
        placeStepCursor();
        return true;
    }

    if (EditKeys::isDelete (key))
        commands.deleteSelection();
    else if (plain && (code == juce::KeyPress::upKey || code == juce::KeyPress::downKey))
        commands.moveSelection (0, (code == juce::KeyPress::upKey ? 1 : -1) * (mods.isShiftDown() ? 12 : 1));
    else if (plain && ! mods.isShiftDown() && (code == juce::KeyPress::leftKey || code == juce::KeyPress::rightKey))
        commands.moveSelection ((code == juce::KeyPress::rightKey ? 1 : -1) * quantize.gridTicks(), 0);
    else if (const auto number = EditKeys::toolNumber (key); number > 0)
        setTool (toolButtons.toolOfNumber (number));
    else
        return false;

    return true;
}

//==============================================================================
void PianoRollComponent::setPlayheadPosition (std::optional<double> ppq)
{
    playheadPpq = ppq;

    std::optional<int> x;
    if (ppq.has_value() && *ppq >= clipStartQ && *ppq < static_cast<double> (clipStartQ) + static_cast<double> (clipLengthQ))
    {
        const auto at = geometry.tickToX (static_cast<juce::int64> ((*ppq - clipStartQ) * Arrangement::ticksPerQuarter));
        const auto& grid = geometry.gridArea;
        if (at >= static_cast<float> (grid.getX()) && at < static_cast<float> (grid.getRight()))
            x = static_cast<int> (at);
    }

    playhead.place (x, geometry.gridArea.getY(), geometry.gridArea.getHeight());
}

void PianoRollComponent::setStepInputOn (bool shouldBeOn)
{
    if (shouldBeOn == isStepInputOn() || (shouldBeOn && clip == nullptr))
        return;

    stepInput = shouldBeOn ? std::make_unique<StepInput> (model, clipId) : nullptr;
    stepButton.setToggleState (shouldBeOn, juce::dontSendNotification);
    placeStepCursor();

    if (onStepInput != nullptr)
        onStepInput (shouldBeOn);
}

void PianoRollComponent::stepKey (const InputEvent& event)
{
    if (stepInput == nullptr || clip == nullptr)
        return;

    stepInput->setStepTicks (quantize.gridTicks());
    stepInput->key (event);
    placeStepCursor();
}

std::optional<juce::int64> PianoRollComponent::getStepCursor() const
{
    return stepInput != nullptr ? std::optional<juce::int64> (stepInput->getCursor()) : std::nullopt;
}

void PianoRollComponent::placeStepCursor()
{
    std::optional<int> x;
    if (stepInput != nullptr)
    {
        const auto at = geometry.tickToX (stepInput->getCursor());
        const auto& grid = geometry.gridArea;
        if (at >= static_cast<float> (grid.getX()) && at < static_cast<float> (grid.getRight()))
            x = static_cast<int> (at);
    }

    stepCursor.place (x, geometry.gridArea.getY(), geometry.gridArea.getHeight());
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
    return PianoRollPainter::title (clipStartQ, clipLengthQ);
}

void PianoRollComponent::showScaleMenu()
{
    const auto scale = clip != nullptr ? clip->data.scale : -1;
    const auto root = clip != nullptr ? clip->data.scaleRoot : 0;

    juce::PopupMenu roots, scales, menu;
    for (int r = 0; r < 12; ++r)
        roots.addItem (scaleMenuRoots + r, Scales::rootNames[(size_t) r], true, Scales::isValid (scale, root) && r == root);
    for (int s = 0; s < (int) Scales::all.size(); ++s)
        scales.addItem (scaleMenuScales + s, Scales::all[(size_t) s].name, true, s == scale);

    menu.addItem (scaleMenuOff, "No Scale", scale != -1, scale == -1);
    menu.addSubMenu ("Root", roots);
    menu.addSubMenu ("Scale", scales);
    menu.addSeparator();
    menu.addItem (scaleMenuGhosts, "Ghost Notes", true, session.ghostNotes);
    menu.addItem (scaleMenuNames, "Note Names (C4 = middle C)", true, session.noteNames);

    dialogs.showMenu (menu, [safeThis = juce::Component::SafePointer<PianoRollComponent> (this)] (int chosen) {
        if (safeThis != nullptr)
            safeThis->chooseFromScaleMenu (chosen);
    });
}

void PianoRollComponent::chooseFromScaleMenu (int chosen)
{
    if (chosen == scaleMenuGhosts || chosen == scaleMenuNames)
    {
        auto& flag = chosen == scaleMenuGhosts ? session.ghostNotes : session.noteNames;
        flag = ! flag;
        pointedPitch.clear();
        repaint();
        return;
    }

    if (clip == nullptr)
        return;

    // A root chosen without a scale gives its major scale; a scale without a root, C's.
    auto scale = clip->data.scale, root = clip->data.scaleRoot;
    if (chosen == scaleMenuOff)
        scale = -1;
    else if (chosen >= scaleMenuRoots && chosen < scaleMenuRoots + 12)
        std::tie (scale, root) = std::pair { scale < 0 ? 0 : scale, chosen - scaleMenuRoots };
    else if (chosen >= scaleMenuScales && chosen < scaleMenuScales + (int) Scales::all.size())
        scale = chosen - scaleMenuScales;
    else
        return;

    model.perform ("Set Scale", [this, scale, root] (ArrangementModel::Edit& edit) { edit.setScale (clipId, scale, scale < 0 ? 0 : root); });
}

void PianoRollComponent::mouseMove (const juce::MouseEvent& event)
{
    if (! session.noteNames)
        return;

    // The name of the key under the pointer, above the keyboard.
    const auto pitch = geometry.gridArea.contains (event.getPosition()) ? geometry.yToPitch (event.getPosition().y) : -1;
    const auto name = pitch >= 0 ? PianoRollPainter::pitchName (pitch) : juce::String();
    if (name != pointedPitch)
    {
        pointedPitch = name;
        repaint (PianoRollPainter::pointedPitchArea);
    }
}

void PianoRollComponent::mouseExit (const juce::MouseEvent&)
{
    if (pointedPitch.isNotEmpty())
    {
        pointedPitch.clear();
        repaint (PianoRollPainter::pointedPitchArea);
    }
}

void PianoRollComponent::paint (juce::Graphics& g)
{
    const auto drawing = gestures.drawing();
    const auto velocityNote = gestures.velocityNote();

    PianoRollPainter::Scene scene { geometry, getNotes(), selection };
    scene.noteShapes = &noteShapes;
    scene.keyboardArea = keyboardArea;
    scene.width = getWidth();
    scene.title = getTitle();
    scene.clipStartQ = clipStartQ;
    scene.moving = gestures.isMoving();
    scene.drawingNote = drawing.has_value() ? &*drawing : nullptr;
    scene.rubberBand = gestures.band();
    if (velocityLaneShown)
        scene.velocityLane = velocityLaneArea;
    for (const auto& note : getNotes())
        if (velocityNote != 0 && note.id == velocityNote)
            scene.velocityNote = &note;

    if (clip != nullptr)
    {
        scene.scale = clip->data.scale;
        scene.scaleRoot = clip->data.scaleRoot;
    }

    // The other clips' notes across the grid as far as it shows, when asked for.
    std::vector<GhostNotes::Ghost> ghosts;
    if (session.ghostNotes && clip != nullptr)
    {
        // Only where this paint reaches: a drag repaints little.
        const auto area = geometry.gridArea.getIntersection (g.getClipBounds());
        const auto top = geometry.yToPitch (area.getY()), bottom = geometry.yToPitch (area.getBottom() - 1);
        if (! area.isEmpty())
            ghosts = GhostNotes::around (*model.getSnapshot(), clipId, geometry.xToTick (area.getX() - 3),
                                         juce::int64 { geometry.xToTick (area.getRight()) } + Arrangement::ticksPerQuarter,
                                         bottom >= 0 ? bottom : PianoRollGeometry::lowestPitch, top >= 0 ? top : PianoRollGeometry::highestPitch);
        scene.ghosts = &ghosts;
    }

    scene.noteNames = session.noteNames;
    scene.pointedPitch = pointedPitch;

    PianoRollPainter::paint (g, scene);
}
