#pragma once

#include "model/Arrangement.h"
#include "pianoroll/NoteHistory.h"
#include "pianoroll/PianoRollGeometry.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

//==============================================================================
/** The piano roll's tool in force. */
enum class NoteTool
{
    Draw = 0,
    Select = 1,
    Resize = 2,
    Erase = 3
};

//==============================================================================
/** The note editor for one clip, laid over the whole main window. It edits a
    copy of the clip's notes and writes them back only when "X" closes it.

    It works on a copy of the clip and hands the notes back through onCommit;
    when the clip goes meanwhile, its owner detaches the piano roll
    (detachClip), and "X" then only hides it.
*/
class PianoRollComponent final : public juce::Component,
                                 public juce::ScrollBar::Listener
{
public:
    explicit PianoRollComponent (const ClipData& clipToEdit);
    ~PianoRollComponent() override;

    //==============================================================================
    void mouseDown (const juce::MouseEvent& event) override;
    void mouseDrag (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
    bool keyPressed (const juce::KeyPress& key) override;
    void paint (juce::Graphics& g) override;
    void resized() override;
    void scrollBarMoved (juce::ScrollBar* scrollBar, double newRangeStart) override;

    //==============================================================================
    /** Makes tool the tool in force and mirrors it on the four tool buttons. */
    void setTool (NoteTool tool);

    /** The quantize step in ticks, from the quantize box. */
    int gridTicks() const;

    /** Snaps ticks to the quantize step. */
    int snapToGrid (int ticks) const;

    /** The tick under x, cut to 1/32 notes and kept within the clip. */
    int xToTick (int x) const;

    /** The pitch of the row under y, or -1 outside the 88 rows. */
    int yToPitch (int y) const;

    /** The first note in list order whose rectangle contains the point. */
    ClipNote* findNoteAt (juce::Point<int> point);

    /** Removes a note of the working list, clearing the selection if it was selected. */
    void deleteNote (ClipNote* note);

    /** Copies the clip's notes into the working list. */
    void loadNotesFromClip();

    /** Hands the working list to onCommit, unless the clip was detached. */
    void commitNotesToClip();

    /** Receives the notes to write back into the clip. */
    std::function<void (std::vector<ClipNote>)> onCommit;

    /** Takes the last note edit back, or does the last one taken back again. */
    void undo();
    void redo();
    bool canUndo() const noexcept { return history.canUndo(); }
    bool canRedo() const noexcept { return history.canRedo(); }

    /** The working list as values, in order. */
    std::vector<ClipNote> getNotes() const;

    /** Closes the piano roll as "X" does: writes back, hides, tells onClose. */
    void close();

    /** Forgets the clip, which is about to be removed: nothing is written back. */
    void detachClip() noexcept { attached = false; }

    /** False once the clip is gone. */
    bool isAttached() const noexcept { return attached; }

    /** Called after "X" wrote the notes back and hid the piano roll. */
    std::function<void()> onClose;

    //==============================================================================
    const juce::OwnedArray<ClipNote>& getWorkingNotes() const noexcept { return workingNotes; }
    ClipNote* getSelectedNote() const noexcept { return selectedNote; }
    NoteTool getCurrentTool() const noexcept { return currentTool; }
    const PianoRollGeometry& getGeometry() const noexcept { return geometry; }
    int getClipStartQ() const noexcept { return clipStartQ; }
    int getClipLengthQ() const noexcept { return clipLengthQ; }

    /** The title shown in the header. */
    juce::String getTitle() const;

    static bool isBlackKey (int pitch) noexcept;

private:
    friend struct PianoRollTestAccess;

    void updateScrollBars();
    void beginEdit();
    void endEdit();
    void setNotes (const std::vector<ClipNote>& notes);
    void updateUndoButtons();
    bool canEdit() const noexcept { return clipLengthQ > 0; }
    void drawKeyboard (juce::Graphics& g) const;
    void drawGrid (juce::Graphics& g) const;
    void drawNotes (juce::Graphics& g) const;

    //==============================================================================
    juce::TextButton closeButton { "X" };
    juce::TextButton drawButton { "Draw" };
    juce::TextButton selectButton { "Select" };
    juce::TextButton resizeButton { "Resize" };
    juce::TextButton eraseButton { "Erase" };
    juce::Label quantizeLabel;
    juce::ComboBox quantizeBox;
    juce::TextButton undoButton { "Undo" };
    juce::TextButton redoButton { "Redo" };

    NoteTool currentTool = NoteTool::Draw;
    juce::OwnedArray<ClipNote> workingNotes;
    ClipNote* selectedNote = nullptr;
    std::unique_ptr<ClipNote> drawingNote;
    ClipNote* resizingNote = nullptr;
    bool isDrawing = false;
    bool isMoving = false;
    bool isResizing = false;

    NoteHistory history;
    std::optional<std::vector<ClipNote>> notesBeforeEdit;

    ClipData clip;
    bool attached = true;
    int clipStartQ = 0;
    int clipLengthQ = 4;

    juce::Rectangle<int> keyboardArea;
    juce::ScrollBar verticalScrollBar { true };
    juce::ScrollBar horizontalScrollBar { false };
    juce::Slider verticalZoomSlider;
    juce::Slider horizontalZoomSlider;

    /** Grid area, zooms and scroll offsets. */
    PianoRollGeometry geometry;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PianoRollComponent)
};
