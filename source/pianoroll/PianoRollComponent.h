#pragma once

#include "model/Arrangement.h"
#include "model/EditingSession.h"
#include "model/Selection.h"
#include "pianoroll/NoteHistory.h"
#include "pianoroll/PianoRollGeometry.h"
#include "pianoroll/PianoRollPainter.h"
#include "ui/EditCommands.h"
#include "ui/RepaintAreas.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <optional>

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

    The view is this component (controls, layout, scrolling, commands); its
    painting is PianoRollPainter's and its gesture arithmetic NoteEditing's.
*/
class PianoRollComponent final : public juce::Component,
                                 public juce::ScrollBar::Listener,
                                 public EditCommandTarget
{
public:
    /** session keeps the clipboard and the velocity of new notes; without
        one the piano roll keeps its own.
    */
    explicit PianoRollComponent (const ClipData& clipToEdit, EditingSession* session = nullptr);
    ~PianoRollComponent() override;

    //==============================================================================
    void mouseDown (const juce::MouseEvent& event) override;
    void mouseDrag (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
    bool keyPressed (const juce::KeyPress& key) override;
    void paint (juce::Graphics& g) override;
    void paintOverChildren (juce::Graphics& g) override;
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

    /** Removes a note of the working list, and from the selection. */
    void deleteNote (ClipNote* note);

    /** Copies the clip's notes into the working list. */
    void loadNotesFromClip();

    /** Hands the working list to onCommit, unless the clip was detached. */
    void commitNotesToClip();

    /** Receives the notes to write back into the clip. */
    std::function<void (std::vector<ClipNote>)> onCommit;

    /** Closes the piano roll as "X" does: writes back, hides, tells onClose. */
    void close();

    /** Forgets the clip, which is about to be removed: nothing is written back. */
    void detachClip() noexcept { attached = false; }

    /** False once the clip is gone. */
    bool isAttached() const noexcept { return attached; }

    /** Called after "X" wrote the notes back and hid the piano roll. */
    std::function<void()> onClose;

    //==============================================================================
    /** Takes the last note edit back, or does the last one taken back again. */
    void undo() override;
    void redo() override;
    bool canUndo() const noexcept { return history.canUndo(); }
    bool canRedo() const noexcept { return history.canRedo(); }

    /** The commands of the keys and of the right-click menu, on the selected notes. */
    void selectAll() override;
    void clearSelection() override;
    void copySelection() override;
    void cutSelection() override;
    void paste() override;
    void duplicateSelection() override;
    void deleteSelection() override;

    /** Moves the selected notes by ticks and semitones, as one edit; nothing
        moves when one of them would leave the keys or the clip's start.
    */
    bool moveSelection (int tickOffset, int pitchOffset);

    /** Sounds a note pressed in the roll (drawn, or pressed with Select) until
        the mouse is released: on is false for the release.
    */
    std::function<void (int key, int velocity, bool on)> onAudition;

    /** Where playback is on the timeline (quarters), or nothing when it does
        not roll: a line marks it over the grid when it is inside the clip.
    */
    void setPlayheadPosition (std::optional<double> ppq);

    /** Shows or hides the velocity lane under the grid ("Velocity"). */
    void setVelocityLaneShown (bool shouldShow);
    bool isVelocityLaneShown() const noexcept { return velocityLaneShown; }

    /** How the right-click menu is shown; tests replace it to choose an item. */
    std::function<void (juce::PopupMenu, std::function<void (int)>)> showMenu;

    //==============================================================================
    /** The working list as values, in order. */
    std::vector<ClipNote> getNotes() const;

    const juce::OwnedArray<ClipNote>& getWorkingNotes() const noexcept { return workingNotes; }
    const Selection<ClipNote*>& getSelection() const noexcept { return selection; }

    /** The note selected last, or null. */
    ClipNote* getSelectedNote() const noexcept { return selection.last(); }

    NoteTool getCurrentTool() const noexcept { return currentTool; }
    const PianoRollGeometry& getGeometry() const noexcept { return geometry; }
    int getClipStartQ() const noexcept { return clipStartQ; }
    int getClipLengthQ() const noexcept { return clipLengthQ; }

    /** Where the velocity lane is, when it is shown. */
    juce::Rectangle<int> getVelocityLaneArea() const noexcept { return velocityLaneArea; }

    /** The title shown in the header. */
    juce::String getTitle() const;

    static bool isBlackKey (int pitch) noexcept;

private:
    friend struct PianoRollTestAccess;

    void updateScrollBars();
    bool canEdit() const noexcept { return clipLengthQ > 0; }
    void beginEdit();
    void endEdit();
    void setNotes (const std::vector<ClipNote>& notes);
    std::vector<ClipNote> selectedNotes() const;
    void addNotesSelected (const std::vector<ClipNote>& notes);
    void updateUndoButtons();
    void showContextMenu();
    ClipNote* velocityBarAt (juce::Point<int> point) const;
    juce::int64 clipEndTick() const noexcept;

    //==============================================================================
    /** What the notes and the marks of a gesture look like on screen. Taken
        before a change and compared after it, it tells the areas to paint
        again: where each changed note was and where it is now.
    */
    struct Look
    {
        struct Note
        {
            const ClipNote* note;
            ClipNote value;
            int state; ///< 0 plain, 1 selected, 2 selected and moving
        };

        std::vector<Note> notes;
        std::optional<ClipNote> drawing;
        std::optional<juce::Rectangle<int>> band;
        std::optional<std::pair<juce::Rectangle<int>, int>> velocityNumber; ///< where, and the number
    };

    Look currentLook() const;
    std::vector<juce::Rectangle<int>> changedAreas (const Look& before, const Look& after) const;
    void repaintChangesSince (const Look& before);

    /** Repaints, when it ends, what changed on screen while it lasted. */
    using ScopedRepaint = RepaintAreas::ScopedRepaint<PianoRollComponent>;
    friend ScopedRepaint;

    /** The area a note covers on the grid, and its bar in the velocity lane. */
    void addAreasOf (const ClipNote& note, std::vector<juce::Rectangle<int>>& areas) const;

    // Gestures.
    void pressWithSelectTool (const juce::MouseEvent& event);
    void dragSelectedNotes (juce::Point<int> position);
    void resizeSelectedNotes (juce::Point<int> position);
    void dragVelocity (juce::Point<int> position);

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
    juce::TextButton velocityButton { "Velocity" };

    NoteTool currentTool = NoteTool::Draw;
    juce::OwnedArray<ClipNote> workingNotes;
    Selection<ClipNote*> selection;
    std::unique_ptr<ClipNote> drawingNote;
    ClipNote* resizingNote = nullptr;
    bool isDrawing = false;
    bool isMoving = false;
    bool isResizing = false;

    // A move or resize of several notes: where they were at the press.
    ClipNote* grabbedNote = nullptr;
    bool selectOnlyOnRelease = false;
    bool draggedSincePress = false;
    juce::Point<int> pressPosition;
    std::vector<std::pair<ClipNote*, ClipNote>> grabbedNotes;

    // A rubber band drawn from an empty press with the Select tool.
    std::optional<juce::Point<int>> bandStart;
    std::optional<juce::Rectangle<int>> rubberBand;
    std::vector<ClipNote*> selectedBeforeBand;

    // The velocity lane, and the note whose bar is being dragged.
    bool velocityLaneShown = false;
    juce::Rectangle<int> velocityLaneArea;
    ClipNote* velocityNote = nullptr;
    int velocityAtPress = 0;
    std::vector<std::pair<ClipNote*, int>> velocitiesAtPress;

    // The line that marks where playback is, where it was painted last, and
    // the note sounding while the mouse is down.
    std::optional<int> playheadX;
    std::optional<std::pair<int, int>> auditioned;
    void startAudition (const ClipNote& note);
    void stopAudition();

    // Where the user last clicked on the grid: pasted notes go there.
    int lastClickedTick = 0;

    NoteHistory history;
    std::optional<std::vector<ClipNote>> notesBeforeEdit;

    EditingSession ownSession;
    EditingSession& session;

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

    PianoRollPainter::NoteShapes noteShapes;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PianoRollComponent)
};
