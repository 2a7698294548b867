#pragma once

#include "model/ArrangementModel.h"
#include "model/EditingSession.h"
#include "model/Selection.h"
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
/** The note editor for one clip of the arrangement, laid over the whole main
    window. It is a view of that clip as the model holds it: every completed
    gesture, key or menu command is one transaction on the model, undone and
    redone in the model's one history, so that playback and the state the
    host saves have each note as soon as it is drawn.

    While a gesture is in progress the roll shows the notes as the gesture
    would leave them; a gesture cut short leaves the model as it was. When its
    clip goes (deleted, undone, replaced by a state the host set) the roll
    closes without writing anything.

    The view is this component (controls, layout, scrolling, commands); its
    painting is PianoRollPainter's and its gesture arithmetic NoteEditing's.
*/
class PianoRollComponent final : public juce::Component,
                                 public juce::ScrollBar::Listener,
                                 public EditCommandTarget,
                                 private ArrangementModel::Listener
{
public:
    /** session keeps the clipboard and the velocity of new notes; without
        one the piano roll keeps its own.
    */
    PianoRollComponent (ArrangementModel& model, ClipId clip, EditingSession* session = nullptr);
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

    /** Closes the piano roll as "X" does: hides it and tells onClose. Every
        edit is in the arrangement already.
    */
    void close();

    /** False once the clip is gone; the roll then changes nothing. */
    bool isAttached() const noexcept { return clip != nullptr; }

    /** The clip this roll shows. */
    ClipId getClipId() const noexcept { return clipId; }

    /** Called after "X" hid the piano roll, or after its clip went. */
    std::function<void()> onClose;

    //==============================================================================
    /** Takes the last change of the arrangement back, or does the last one
        taken back again: note edits and arrangement edits alike.
    */
    void undo() override;
    void redo() override;
    bool canUndo() const { return model.canUndo(); }
    bool canRedo() const { return model.canRedo(); }

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

    /** How a refusal is told (a message box); tests replace it to read it. */
    std::function<void (const juce::String& title, const juce::String& message)> showMessage;

    //==============================================================================
    /** The notes as the roll shows them, in order: the clip's, or as the
        gesture in progress would leave them.
    */
    const std::vector<ClipNote>& getNotes() const noexcept;

    const Selection<NoteId>& getSelection() const noexcept { return selection; }

    /** The note selected last, as shown now, or null. */
    const ClipNote* getSelectedNote() const noexcept;

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

    void arrangementChanged() override;
    void updateScrollBars();
    bool canEdit() const noexcept { return clip != nullptr && clipLengthQ > 0; }

    /** The first note in list order whose rectangle contains the point: its index, or -1. */
    int findNoteAt (juce::Point<int> point) const;

    /** The notes of a gesture about to change them: the clip's, to change in place. */
    std::vector<ClipNote>& beginEdit();

    /** Makes notes the clip's as one transaction named name; ends the gesture. */
    void commit (const juce::String& name, std::vector<ClipNote> notes);
    void commitEdit (const juce::String& name);

    /** Ends the gesture in progress without changing the arrangement. */
    void cancelGesture();
    bool isInGesture() const noexcept;

    std::vector<ClipNote> selectedNotes() const;
    void addNotesSelected (std::vector<ClipNote> notes, const juce::String& name, const juce::String& done);
    void updateUndoButtons();
    void showContextMenu();
    int velocityBarAt (juce::Point<int> point) const;
    juce::int64 clipEndTick() const noexcept;
    int indexOf (NoteId id) const noexcept;

    //==============================================================================
    /** What the notes and the marks of a gesture look like on screen. Taken
        before a change and compared after it, it tells the areas to paint
        again: where each changed note was and where it is now.
    */
    struct Look
    {
        struct Note
        {
            NoteId id;
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
    void grabSelection();
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

    ArrangementModel& model;
    const ClipId clipId;

    // The clip as the model holds it now; null once it is gone.
    ClipPtr clip;

    // The notes as the gesture in progress would leave them, while one is.
    std::optional<std::vector<ClipNote>> edited;

    NoteTool currentTool = NoteTool::Draw;
    Selection<NoteId> selection;
    std::optional<ClipNote> drawingNote;
    bool isDrawing = false;
    bool isMoving = false;
    bool isResizing = false;

    // A move or resize of several notes: the note pressed, and where each
    // selected note was at the press (its place in the list, its value).
    NoteId grabbedNote = 0;
    bool selectOnlyOnRelease = false;
    bool draggedSincePress = false;
    juce::Point<int> pressPosition;
    std::vector<std::pair<size_t, ClipNote>> grabbedNotes;

    // A rubber band drawn from an empty press with the Select tool.
    std::optional<juce::Point<int>> bandStart;
    std::optional<juce::Rectangle<int>> rubberBand;
    std::vector<NoteId> selectedBeforeBand;

    // The velocity lane, and the note whose bar is being dragged.
    bool velocityLaneShown = false;
    juce::Rectangle<int> velocityLaneArea;
    NoteId velocityNote = 0;
    int velocityAtPress = 0;

    // The line that marks where playback is, where it was painted last, and
    // the note sounding while the mouse is down.
    std::optional<int> playheadX;
    std::optional<std::pair<int, int>> auditioned;
    void startAudition (const ClipNote& note);
    void stopAudition();

    // Where the user last clicked on the grid: pasted notes go there.
    int lastClickedTick = 0;

    EditingSession ownSession;
    EditingSession& session;

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
