#include "pianoroll/PianoRollComponent.h"

#include "model/IntRange.h"
#include "model/JuceCompat.h"
#include "model/Quantize.h"
#include "ui/EditKeys.h"
#include "ui/Palette.h"

#include <cmath>
#include <limits>

namespace
{
    constexpr int headerHeight = 50;
    constexpr int keyboardWidth = 60;
    constexpr int scrollBarThickness = 14;

    constexpr float minVerticalZoom = 0.5f, maxVerticalZoom = 3.0f;
    constexpr float minHorizontalZoom = 0.5f, maxHorizontalZoom = 5.0f;
} // namespace

//==============================================================================
PianoRollComponent::PianoRollComponent (const ClipData& clipToEdit)
    : clip (clipToEdit)
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

    clipStartQ = clip.startQ;
    clipLengthQ = clip.lengthQ;
    loadNotesFromClip();
    geometry.clipLengthQ = clipLengthQ;
}

PianoRollComponent::~PianoRollComponent()
{
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

ClipNote* PianoRollComponent::findNoteAt (juce::Point<int> point)
{
    for (auto* note : workingNotes)
        if (geometry.hitsNote (*note, point))
            return note;

    return nullptr;
}

void PianoRollComponent::deleteNote (ClipNote* note)
{
    if (! workingNotes.contains (note))
        return;

    if (selectedNote == note)
        selectedNote = nullptr;
    if (resizingNote == note)
        resizingNote = nullptr;

    workingNotes.removeObject (note);
    repaint();
}

void PianoRollComponent::loadNotesFromClip()
{
    if (! attached)
        return;

    selectedNote = nullptr;
    resizingNote = nullptr;
    workingNotes.clear();
    for (const auto& note : clip.notes)
        workingNotes.add (new ClipNote (note));

    repaint();
}

void PianoRollComponent::commitNotesToClip()
{
    if (! attached)
        return;

    clip.notes.clear();
    clip.notes.reserve (static_cast<size_t> (workingNotes.size()));
    for (const auto* note : workingNotes)
        clip.notes.push_back (*note);

    if (onCommit != nullptr)
        onCommit (clip.notes);
}

void PianoRollComponent::close()
{
    commitNotesToClip();
    setVisible (false);

    if (onClose != nullptr)
        onClose();
}

bool PianoRollComponent::isBlackKey (int pitch) noexcept
{
    switch (((pitch % 12) + 12) % 12)
    {
        case 1:
        case 3:
        case 6:
        case 8:
        case 10: return true;
        default: return false;
    }
}

//==============================================================================
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

    const auto undoX = w - 50 - 2 * 60;
    const auto roomForUndo = undoX >= 705;
    undoButton.setBounds (undoX, 10, 55, 35);
    redoButton.setBounds (undoX + 60, 10, 55, 35);
    undoButton.setVisible (roomForUndo);
    redoButton.setVisible (roomForUndo);

    keyboardArea = { 0, headerHeight, keyboardWidth, h - headerHeight };
    const auto& grid = geometry.gridArea = { keyboardWidth, headerHeight, w - keyboardWidth, h - headerHeight };

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
void PianoRollComponent::mouseDown (const juce::MouseEvent& event)
{
    const auto position = event.getPosition();

    // A clip without a positive length has no grid to edit on; its notes stay as they are.
    if (! canEdit() || ! geometry.gridArea.contains (position))
        return;

    switch (currentTool)
    {
        case NoteTool::Draw:
        {
            const auto pitch = yToPitch (position.y);
            if (pitch < 0)
                return;

            // A note drawn in the last half step would snap to the clip's end,
            // out of every tool's reach: it starts on the last step inside.
            const auto clipEnd = juce::int64 { clipLengthQ } * Arrangement::ticksPerQuarter;
            auto start = juce::int64 { snapToGrid (xToTick (position.x)) };
            if (start >= clipEnd)
                start = (clipEnd - 1) / gridTicks() * gridTicks();

            beginEdit();
            isDrawing = true;
            drawingNote = std::make_unique<ClipNote> (ClipNote { pitch, IntRange::saturate (start), gridTicks(), 100 });
            repaint();
            break;
        }

        case NoteTool::Select:
            selectedNote = findNoteAt (position);
            isMoving = selectedNote != nullptr;
            if (isMoving)
                beginEdit();
            repaint();
            break;

        case NoteTool::Resize:
            for (auto* note : workingNotes)
            {
                if (geometry.hitsResizeZone (*note, position))
                {
                    beginEdit();
                    isResizing = true;
                    resizingNote = selectedNote = note;
                    repaint();
                    break;
                }
            }
            break;

        case NoteTool::Erase:
            if (auto* hit = findNoteAt (position))
            {
                beginEdit();
                deleteNote (hit);
                endEdit();
            }
            break;
    }
}

void PianoRollComponent::mouseDrag (const juce::MouseEvent& event)
{
    const auto position = event.getPosition();
    const auto clipEnd = juce::int64 { clipLengthQ } * Arrangement::ticksPerQuarter;

    if (currentTool == NoteTool::Resize && isResizing && resizingNote != nullptr)
    {
        // 64 bits: a restored note may start anywhere, a clip be of any length.
        const auto startTick = juce::int64 { resizingNote->startTick };
        const auto d = snapToGrid (IntRange::saturate (xToTick (position.x) - startTick));
        resizingNote->lengthTicks = IntRange::saturate (juce::jmin<juce::int64> (juce::jmax (gridTicks(), d), clipEnd - startTick));
        repaint();
    }
    else if (currentTool == NoteTool::Select && isMoving && selectedNote != nullptr)
    {
        // Above the grid the note stays on the top key, below it on the lowest.
        selectedNote->startTick = snapToGrid (xToTick (position.x));
        selectedNote->pitch = geometry.pitchNearest (position.y);
        repaint();
    }

    if (isDrawing && drawingNote != nullptr)
    {
        const auto end = snapToGrid (xToTick (position.x));
        if (end > drawingNote->startTick)
        {
            drawingNote->lengthTicks = end - drawingNote->startTick;
            repaint();
        }
    }
}

void PianoRollComponent::mouseUp (const juce::MouseEvent&)
{
    if (isResizing)
    {
        isResizing = false;
        resizingNote = nullptr;
    }
    else if (isMoving)
    {
        isMoving = false;
        repaint();
    }
    else if (isDrawing && drawingNote != nullptr)
    {
        workingNotes.add (drawingNote.release());
        isDrawing = false;
        repaint();
    }

    endEdit();
}

//==============================================================================
std::vector<ClipNote> PianoRollComponent::getNotes() const
{
    std::vector<ClipNote> notes;
    notes.reserve ((size_t) workingNotes.size());
    for (const auto* note : workingNotes)
        notes.push_back (*note);
    return notes;
}

void PianoRollComponent::beginEdit()
{
    notesBeforeEdit = getNotes();
}

void PianoRollComponent::endEdit()
{
    // One gesture that changed the notes is one step.
    if (notesBeforeEdit.has_value() && *notesBeforeEdit != getNotes())
        history.push (std::move (*notesBeforeEdit));

    notesBeforeEdit.reset();
    updateUndoButtons();
}

void PianoRollComponent::undo()
{
    if (isDrawing || isMoving || isResizing)
        return;

    if (auto notes = history.undo (getNotes()))
        setNotes (*notes);
}

void PianoRollComponent::redo()
{
    if (isDrawing || isMoving || isResizing)
        return;

    if (auto notes = history.redo (getNotes()))
        setNotes (*notes);
}

void PianoRollComponent::setNotes (const std::vector<ClipNote>& notes)
{
    selectedNote = nullptr;
    resizingNote = nullptr;
    workingNotes.clear();
    for (const auto& note : notes)
        workingNotes.add (new ClipNote (note));

    updateUndoButtons();
    repaint();
}

void PianoRollComponent::updateUndoButtons()
{
    undoButton.setEnabled (history.canUndo());
    redoButton.setEnabled (history.canRedo());
}

bool PianoRollComponent::keyPressed (const juce::KeyPress& key)
{
    if (EditKeys::isUndo (key))
    {
        undo();
        return true;
    }

    if (EditKeys::isRedo (key))
    {
        redo();
        return true;
    }

    return false;
}

//==============================================================================
juce::String PianoRollComponent::getTitle() const
{
    return "Piano Roll - Clip: Bar " + juce::String (clipStartQ / 4) + " to " + juce::String ((juce::int64 { clipStartQ } + clipLengthQ) / 4)
        + " (Length: " + juce::String (clipLengthQ / 4) + " bars, " + juce::String (clipLengthQ) + " quarters)";
}

void PianoRollComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff2a2a2a));
    g.setColour (Palette::darkBand);
    g.fillRect (0, 0, getWidth(), headerHeight);

    g.setColour (juce::Colours::white);
    g.drawText (getTitle(), juce::Rectangle<int> (10, 10, 500, 30), juce::Justification::centredLeft, true);

    drawKeyboard (g);
    drawGrid (g);
    drawNotes (g);
}

void PianoRollComponent::drawKeyboard (juce::Graphics& g) const
{
    const auto rowHeight = geometry.rowHeight();
    const auto top = static_cast<float> (keyboardArea.getY());
    const auto bottom = static_cast<float> (keyboardArea.getY() + keyboardArea.getHeight());

    for (int row = 0; row < PianoRollGeometry::numRows; ++row)
    {
        const auto pitch = PianoRollGeometry::highestPitch - row;
        const auto y = top + static_cast<float> (row) * rowHeight - geometry.verticalScroll;

        if (top > y + rowHeight || y > bottom)
            continue;

        const juce::Rectangle<float> key (static_cast<float> (keyboardArea.getX()), y, static_cast<float> (keyboardWidth), rowHeight);
        g.setColour (isBlackKey (pitch) ? juce::Colours::black : juce::Colours::white);
        g.fillRect (key);
        g.setColour (juce::Colour (0xff808080));
        g.drawRect (key, 1.0f);

        if (pitch % 12 == 0)
        {
            g.setColour (juce::Colours::black);
            g.drawText ("C" + juce::String (pitch / 12 - 2),
                        juce::Rectangle<int> (keyboardArea.getX() + 5, IntRange::pixels (y) + 2, 30, IntRange::pixels (rowHeight) - 4),
                        juce::Justification::centredLeft, true);
        }
    }
}

void PianoRollComponent::drawGrid (juce::Graphics& g) const
{
    const auto& grid = geometry.gridArea;
    const auto gridTop = static_cast<float> (grid.getY());
    const auto gridBottom = static_cast<float> (grid.getBottom());
    const auto gridLeft = static_cast<float> (grid.getX());
    const auto gridRight = static_cast<float> (grid.getRight());

    g.setColour (Palette::lanes);
    g.fillRect (grid);

    for (int i = 0; i <= PianoRollGeometry::numRows; ++i)
    {
        const auto y = gridTop + static_cast<float> (i) * geometry.rowHeight() - geometry.verticalScroll;
        if (y < gridTop || y > gridBottom)
            continue;

        const auto isC = i < PianoRollGeometry::numRows && (PianoRollGeometry::highestPitch - i) % 12 == 0;
        g.setColour (isC ? juce::Colour (0x4cffffff) : Palette::faintLine);
        g.fillRect (grid.getX(), IntRange::pixels (y), grid.getWidth(), 1);
    }

    // Only the quarters across the grid are visited, and where a long clip
    // puts several lines on one pixel column, one is drawn: the loops take
    // at most a step per pixel.
    const auto lengthQ = juce::int64 { geometry.scaleLengthQ() };
    const auto bars = (lengthQ + 3) / 4;
    const auto quarters = geometry.quartersAcross (gridLeft, gridRight);
    const auto stepAtLeastAPixel = [&] (juce::int64 stride) {
        const auto pixels = static_cast<double> (geometry.scaledWidth()) * static_cast<double> (stride) / static_cast<double> (lengthQ);
        return pixels >= 1.0 ? stride : stride * static_cast<juce::int64> (std::ceil (1.0 / juce::jmax (1.0e-12, pixels)));
    };
    auto lastColumn = std::numeric_limits<int>::min();

    const auto barStep = stepAtLeastAPixel (4) / 4;
    for (auto j = quarters.getStart() / 4; j <= juce::jmin (bars, quarters.getEnd() / 4 + 1); j += barStep)
    {
        const auto x = geometry.quarterToX (4 * j);
        if (x < gridLeft || x > gridRight || IntRange::pixels (x) == lastColumn)
            continue;

        lastColumn = IntRange::pixels (x);
        g.setColour (juce::Colour (0x66ffffff));
        g.fillRect (lastColumn, grid.getY(), 1, grid.getHeight());
        g.setFont (10.0f);
        g.setColour (juce::Colour (0x99ffffff));
        g.drawText ("Misura " + juce::String (juce::int64 { clipStartQ } / 4 + 1 + j), juce::Rectangle<int> (lastColumn + 2, grid.getY() - 15, 60, 12),
                    juce::Justification::centredLeft, true);
    }

    g.setColour (juce::Colour (0x26ffffff));
    lastColumn = std::numeric_limits<int>::min();
    const auto beatStep = stepAtLeastAPixel (1);
    for (auto q = quarters.getStart(); q < quarters.getEnd(); q += beatStep)
    {
        if (q % 4 == 0)
            continue;

        const auto x = geometry.quarterToX (q);
        if (gridLeft <= x && x <= gridRight && IntRange::pixels (x) != lastColumn)
        {
            lastColumn = IntRange::pixels (x);
            g.fillRect (lastColumn, grid.getY(), 1, grid.getHeight());
        }
    }
}

void PianoRollComponent::drawNotes (juce::Graphics& g) const
{
    const auto& grid = geometry.gridArea;
    const auto rowHeight = geometry.rowHeight();

    for (const auto* note : workingNotes)
    {
        if (! PianoRollGeometry::isDrawablePitch (note->pitch))
            continue;

        const auto bounds = geometry.noteBounds (*note);
        const auto rowTop = geometry.rowTop (note->pitch);

        if (static_cast<float> (grid.getY()) > rowTop + rowHeight || rowTop > static_cast<float> (grid.getBottom())
            || static_cast<float> (grid.getX()) > bounds.getRight() || bounds.getX() > static_cast<float> (grid.getRight()))
            continue;

        if (note == selectedNote)
            g.setColour (juce::Colour (isMoving ? 0xcc800080u : 0xccffff00u));
        else
            g.setColour (Palette::note);

        g.fillRoundedRectangle (bounds, 3.0f);
        g.setColour (juce::Colour (0x80ffffff));
        g.drawRoundedRectangle (bounds, 3.0f, 1.0f);
    }

    if (isDrawing && drawingNote != nullptr && PianoRollGeometry::isDrawablePitch (drawingNote->pitch))
    {
        const auto bounds = geometry.noteBounds (*drawingNote);
        g.setColour (juce::Colour (0x9900ff00));
        g.fillRoundedRectangle (bounds, 3.0f);
        g.setColour (juce::Colour (0xb2ffffff));
        g.drawRoundedRectangle (bounds, 3.0f, 1.5f);
    }
}
