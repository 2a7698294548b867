#pragma once

#include "model/ArrangementModel.h"
#include "model/EditingSession.h"
#include "model/GhostNotes.h"
#include "model/Scales.h"
#include "model/Selection.h"
#include "pianoroll/NoteCommands.h"
#include "pianoroll/NoteGestures.h"
#include "pianoroll/PianoRollGeometry.h"
#include "pianoroll/PianoRollPainter.h"
#include "pianoroll/StepInput.h"
#include "ui/Dialogs.h"
#include "ui/Palette.h"
#include "ui/PlayheadLine.h"
#include "ui/QuantizeControls.h"
#include "ui/RepaintAreas.h"
#include "ui/ToolButtons.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <optional>

//==============================================================================
/** The note editor for one clip of the arrangement, laid over the whole main
    window. It is a view of that clip as the model holds it: its gestures
    (NoteGestures) and commands (NoteCommands) change the clip's notes as
    transactions, undone and redone in the model's one history, so that
    playback and the state the host saves have each note as soon as it is
    drawn. While a gesture lasts the roll shows the notes as the gesture would
    leave them. When its clip goes (deleted, undone, replaced by a state the
    host set) the roll closes without writing anything.

    The view is this component (controls, layout, scrolling, zoom); its
    painting is PianoRollPainter's.
*/
class PianoRollComponent final : public juce::Component,
                                 private juce::ScrollBar::Listener,
                                 private ArrangementModel::Listener
{
public:
    PianoRollComponent (ArrangementModel& model, ClipId clip, EditingSession& session, Dialogs& dialogs);
    ~PianoRollComponent() override;

    //==============================================================================
    void mouseDown (const juce::MouseEvent& event) override;
    void mouseDrag (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void mouseMove (const juce::MouseEvent& event) override;
    void mouseExit (const juce::MouseEvent& event) override;
    void mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
    bool keyPressed (const juce::KeyPress& key) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    //==============================================================================
    /** Makes tool the tool in force and mirrors it on the four tool buttons. */
    void setTool (NoteTool tool);
    NoteTool getCurrentTool() const noexcept { return currentTool; }

    /** Closes the piano roll as "X" does: hides it and tells onClose. Every
        edit is in the arrangement already.
    */
    void close();

    /** Called after "X" hid the piano roll, or after its clip went. */
    std::function<void()> onClose;

    /** False once the clip is gone; the roll then changes nothing. */
    bool isAttached() const noexcept { return clip != nullptr; }
    ClipId getClipId() const noexcept { return clipId; }

    NoteCommands& getCommands() noexcept { return commands; }

    /** Sounds a note pressed in the roll (drawn, or pressed with Select) until
        the mouse is released: on is false for the release.
    */
    std::function<void (int key, int velocity, bool on)> onAudition;

    /** Where playback is on the timeline (quarters), or nothing when it does
        not roll: a line marks it over the grid when it is inside the clip.
    */
    void setPlayheadPosition (std::optional<double> ppq);

    /** Turns step input on or off ("Step"): keys played on the MIDI input
        write notes at a cursor. onStepInput hears of it, to hand the keys on
        to stepKey while it is on.
    */
    void setStepInputOn (bool shouldBeOn);
    bool isStepInputOn() const noexcept { return stepInput != nullptr; }
    std::function<void (bool on)> onStepInput;

    /** A key from the MIDI input, while step input is on. */
    void stepKey (const InputEvent& event);

    /** Where the next step goes, in ticks from the clip's start, while step input is on. */
    std::optional<juce::int64> getStepCursor() const;

    /** Shows or hides the velocity lane under the grid ("Velocity"). */
    void setVelocityLaneShown (bool shouldShow);
    bool isVelocityLaneShown() const noexcept { return velocityLaneShown; }
    juce::Rectangle<int> getVelocityLaneArea() const noexcept { return velocityLaneArea; }

    //==============================================================================
    /** The notes as the roll shows them, in order: the clip's, or as the
        gesture in progress would leave them.
    */
    const std::vector<ClipNote>& getNotes() const noexcept;

    const Selection<NoteId>& getSelection() const noexcept { return selection; }

    /** The note selected last, as shown now, or null. */
    const ClipNote* getSelectedNote() const noexcept;

    /** Grid, zooms and scrolling: the mapping of ticks and pitches to pixels. */
    const PianoRollGeometry& getGeometry() const noexcept { return geometry; }

    /** The title shown in the header. */
    juce::String getTitle() const;

private:
    friend struct PianoRollTestAccess;

    void arrangementChanged() override;
    void scrollBarMoved (juce::ScrollBar* scrollBar, double newRangeStart) override;
    void updateScrollBars();
    void updateUndoButtons();
    bool canEdit() const noexcept { return clip != nullptr && clipLengthQ > 0; }
    juce::int64 clipEndTick() const noexcept;
    NoteGestures::Frame frame() const;
    void startAudition (const ClipNote& note);
    void stopAudition();

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

    //==============================================================================
    ArrangementModel& model;
    const ClipId clipId;
    EditingSession& session;
    Dialogs& dialogs;

    // The clip as the model holds it now; null once it is gone.
    ClipPtr clip;
    int clipStartQ = 0;
    int clipLengthQ = 4;

    Selection<NoteId> selection;
    NoteGestures gestures;
    NoteCommands commands;
    NoteTool currentTool = NoteTool::Draw;

    juce::TextButton closeButton { "X" };
    ToolButtons<NoteTool, 4> toolButtons;
    QuantizeControls quantize;
    juce::TextButton undoButton { "Undo" };
    juce::TextButton redoButton { "Redo" };
    juce::TextButton velocityButton { "Velocity" };
    juce::TextButton stepButton { "Step" };
    juce::TextButton scaleButton { "Scale" };

    // The scale menu: its item ids, what it shows, and what a choice does.
    enum ScaleMenuItem
    {
        scaleMenuOff = 1,
        scaleMenuGhosts,
        scaleMenuNames,
        scaleMenuRoots = 100,
        scaleMenuScales = 200
    };
    void showScaleMenu();
    void chooseFromScaleMenu (int chosen);
    juce::String pointedPitch;

    juce::Rectangle<int> keyboardArea;
    juce::ScrollBar verticalScrollBar { true };
    juce::ScrollBar horizontalScrollBar { false };
    juce::Slider verticalZoomSlider;
    juce::Slider horizontalZoomSlider;
    PlayheadLine playhead;
    std::optional<double> playheadPpq;

    // Step input, while "Step" is on, and its cursor.
    std::unique_ptr<StepInput> stepInput;
    PlayheadLine stepCursor { Palette::fileCommand, 2 };
    void placeStepCursor();

    // The velocity lane, when shown.
    bool velocityLaneShown = false;
    juce::Rectangle<int> velocityLaneArea;

    // The note sounding while the mouse is down.
    std::optional<std::pair<int, int>> auditioned;

    /** Grid area, zooms and scroll offsets. */
    PianoRollGeometry geometry;
    PianoRollPainter::NoteShapes noteShapes;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PianoRollComponent)
};
