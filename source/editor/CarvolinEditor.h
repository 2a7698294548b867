#pragma once

#include "editor/ArrangementGeometry.h"
#include "editor/ScoreComponent.h"
#include "editor/TrackComponent.h"
#include "model/ArrangementModel.h"
#include "model/Selection.h"
#include "ui/EditCommands.h"
#include "ui/RepaintAreas.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <optional>
#include <vector>

class CarvolinProcessor;
class PianoRollComponent;

//==============================================================================
/** The arrangement's tool in force. "Delete" is a command, not a tool. */
enum class EditTool
{
    Select = 0,
    Draw = 1,
    Drag = 2,
    Resize = 3
};

//==============================================================================
/** The plug-in's main window: toolbar, track headers, clip lanes and the
    timeline scroll bar. It shows the processor's arrangement model (the track
    headers and clip components are built from its snapshot) and turns every
    completed gesture into one transaction on it. It receives every mouse event
    over the lanes, clips included.
*/
class CarvolinEditor final : public juce::AudioProcessorEditor,
                             public juce::ScrollBar::Listener,
                             public juce::FileDragAndDropTarget,
                             public juce::DragAndDropContainer,
                             public EditCommandTarget,
                             private ArrangementModel::Listener,
                             private juce::Timer
{
public:
    explicit CarvolinEditor (CarvolinProcessor& owner);
    ~CarvolinEditor() override;

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void paintOverChildren (juce::Graphics& g) override;
    void resized() override;
    void scrollBarMoved (juce::ScrollBar* scrollBar, double newRangeStart) override;

    //==============================================================================
    void mouseMove (const juce::MouseEvent& event) override;
    void mouseDown (const juce::MouseEvent& event) override;
    void mouseDrag (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void mouseDoubleClick (const juce::MouseEvent& event) override;
    void mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
    bool keyPressed (const juce::KeyPress& key) override;

    //==============================================================================
    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void fileDragEnter (const juce::StringArray& files, int x, int y) override;
    void fileDragMove (const juce::StringArray& files, int x, int y) override;
    void fileDragExit (const juce::StringArray& files) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    //==============================================================================
    /** Adds a track at the end, up to 16. */
    void addTrack();

    /** Removes the last track, keeping at least one. Clips are not touched. */
    void removeLastTrack();

    /** Fills a track's instrument box with the instrument table. */
    void fillInstrumentList (juce::ComboBox& box);

    /** Makes tool the tool in force and mirrors it on the four tool buttons. */
    void setTool (EditTool tool);

    /** The commands of the keys and of the right-click menu, on the selected
        clips. Delete removes them, if any, and clears the selection.
    */
    void selectAll() override;
    void clearSelection() override;
    void copySelection() override;
    void cutSelection() override;
    void paste() override;
    void duplicateSelection() override;
    void deleteSelection() override;

    /** Moves the selected clips by lanes and quarters, as one transaction;
        nothing moves when one of them would break a rule.
    */
    bool moveSelection (int laneOffset, int quarterOffset);

    /** The selected clips, selected last at the back. */
    const Selection<ClipId>& getSelection() const noexcept { return selection; }

    /** Takes the last change back, or does the last one taken back again. */
    void undo() override;
    void redo() override;

    /** The arrangement's grid step in ticks, from the quantize box. */
    int gridTicks() const;

    /** Snaps ticks to the arrangement's grid step. */
    int snapToGrid (int ticks) const;

    /** True when a clip other than ignore lies on track and shares a quarter
        with [startQ, startQ + lengthQ). Clips that only touch do not overlap.
    */
    bool wouldOverlap (int track, int startQ, int lengthQ, const ScoreComponent* ignore) const;

    /** The first clip, in list order, whose bounds contain the editor point. */
    ScoreComponent* clipAt (juce::Point<int> editorPosition) const;

    /** Hands the MIDI folder to the processor, which keeps it with the state
        (the arrangement itself is always in the processor's model).
    */
    void writeStateToProcessor();

    /** Builds the track headers and clips from the model's snapshot, keeping
        the components of clips that are still there.
    */
    void syncFromModel();

    /** Opens the piano roll for a clip. */
    void openPianoRoll (ScoreComponent* clip);

    /** The clip whose piano roll is open, or null. */
    ScoreComponent* getPianoRollClip() const noexcept;

    //==============================================================================
    /** Exports every clip through a save dialog ("Save MIDI"). */
    void saveMidi();

    /** Replaces the clips with a MIDI file's notes through an open dialog ("Load MIDI"). */
    void loadMidi();

    /** The completion of the save dialog. */
    void saveMidiToChosenFile (const juce::FileChooser& chooser);

    /** The completion of the load dialog. */
    void loadMidiFromChosenFile (const juce::FileChooser& chooser);

    /** Saves to the file the user chose, and reports the result. When the
        file written gets another name than the one chosen and a file of that
        name exists, the user is asked first.
    */
    void saveMidiToFile (const juce::File& chosen);

    /** Loads the file the user chose, and reports the result. */
    void loadMidiFromFile (const juce::File& chosen);

    /** How the editor reaches the user through dialogs. Tests replace them to
        observe messages and choosers without a screen.
    */
    struct Dialogs
    {
        std::function<void (juce::MessageBoxIconType, const juce::String& title, const juce::String& message)> showMessage;
        std::function<void (std::shared_ptr<juce::FileChooser>, int flags, std::function<void (const juce::FileChooser&)> completion)> launchChooser;

        /** Asks a question with a button that goes ahead and a "Cancel"
            button; answer is called with true for the first.
        */
        std::function<void (const juce::String& title, const juce::String& message, const juce::String& goAhead, std::function<void (bool)> answer)> confirm;

        /** Shows a right-click menu; chosen gets the item id (0 for none). */
        std::function<void (juce::PopupMenu, std::function<void (int)> chosen)> showMenu;
    };

    Dialogs dialogs;

    /** Writes a clip's notes to a new MIDI file in the temporary folder, for
        dragging it out of the window. Returns its path, or an empty string.
    */
    juce::String exportClipToTempFile (ScoreComponent* clip);

    //==============================================================================
    EditTool getCurrentTool() const noexcept { return currentTool; }
    int getVisibleBars() const noexcept { return visibleBars; }
    int getScrollOffset() const noexcept { return scrollOffset; }
    juce::Rectangle<int> getArrangementArea() const noexcept { return arrangementArea; }
    /** The clip selected last, or null. */
    ScoreComponent* getSelectedClip() const noexcept;
    ArrangementModel& getModel() noexcept { return model; }
    PianoRollComponent* getPianoRoll() const noexcept { return pianoRoll.get(); }
    const juce::File& getMidiFolder() const noexcept { return *midiFolder; }

    /** The arrangement's zoom and scroll, for the geometry functions. */
    ArrangementGeometry::View getView() const noexcept;

private:
    friend struct CarvolinEditorTestAccess;

    void zoomIn();
    void zoomOut();
    void zoomTo (int newVisibleBars, int anchorLocalX);
    void setScrollOffset (int newOffset);
    void showContextMenu();
    void addClipsSelected (const std::vector<ClipData>& added, const juce::String& name, const juce::String& done);
    std::vector<ClipData> selectedClipData() const;
    std::vector<const ClipData*> clipsOtherThan (const Selection<ClipId>& moving) const;
    void layOutAndRepaint();
    void finishDrawing();
    void commitMovedClip (ScoreComponent& clip, const juce::String& name);
    bool commitMovedClips();
    void moveGrabbedClips (int lane, int start);
    void dragRubberBand (juce::Point<int> position);
    void endGestureWithoutChange();
    bool isPianoRollOpen() const noexcept;
    ScoreComponent* findClip (ClipId id) const noexcept;
    void arrangementChanged() override;
    void updateUndoButtons();
    void timerCallback() override;
    std::optional<int> playheadX() const;
    void chooseInstrument (int trackIndex, int itemId);
    void writeMidiFileAndReport (const juce::File& target);

    void updateFileDragHover (int x, int y);

    //==============================================================================
    /** What the editor paints of a gesture or a selection, over its lanes:
        the frames around the selected clips, the rubber band, the preview of
        a dropped file. Taken before a change and compared after it, it tells
        the areas to paint again; clips that move repaint where they were and
        where they are by themselves.
    */
    struct Look
    {
        std::vector<juce::Rectangle<int>> frames;
        std::optional<juce::Rectangle<int>> band;
        std::optional<juce::Rectangle<int>> dropPreview;
    };

    Look currentLook() const;
    static std::vector<juce::Rectangle<int>> changedAreas (const Look& before, const Look& after);
    void repaintChangesSince (const Look& before);

    /** Repaints, when it ends, what changed on screen while it lasted. */
    using ScopedRepaint = RepaintAreas::ScopedRepaint<CarvolinEditor>;
    friend ScopedRepaint;

    juce::Point<int> toLanes (juce::Point<int> editorPosition) const noexcept;
    void launchMidiFileChooser (const juce::String& title, int chooserFlags, void (CarvolinEditor::*completion) (const juce::FileChooser&));

    //==============================================================================
    std::vector<std::unique_ptr<ScoreComponent>> clips;
    std::unique_ptr<juce::File> midiFolder;
    CarvolinProcessor& processorRef;
    ArrangementModel& model;
    juce::Rectangle<int> arrangementArea;
    juce::Component clipContainer;
    std::vector<std::unique_ptr<TrackComponent>> tracks;

    juce::TextButton addTrackButton { "+ Track" };
    juce::TextButton removeTrackButton { "- Track" };
    juce::TextButton selectToolButton { "Select" };
    juce::TextButton drawToolButton { "Draw" };
    juce::TextButton dragToolButton { "Drag" };
    juce::TextButton resizeToolButton { "Resize" };
    juce::TextButton deleteButton { "Delete" };
    juce::TextButton zoomInButton { "+" };
    juce::TextButton zoomOutButton { "-" };
    juce::TextButton saveMidiButton { "Save MIDI" };
    juce::TextButton loadMidiButton { "Load MIDI" };
    juce::TextButton undoButton { "Undo" };
    juce::TextButton redoButton { "Redo" };
    juce::TextButton midiOutButton { "MIDI Out" };
    juce::TextButton playButton { "Play" };
    juce::Label quantizeLabel;
    juce::ComboBox quantizeBox;
    juce::ScrollBar timelineScrollBar { false };

    EditTool currentTool = EditTool::Select;
    Selection<ClipId> selection;
    int visibleBars = 32;
    int scrollOffset = 0;
    std::unique_ptr<PianoRollComponent> pianoRoll;

    // Clips dropped from files in this editor's lifetime take no double-click
    // callback of their own, as drawn, loaded and restored ones do.
    std::vector<ClipId> droppedClips;

    // Gestures of the mouse tools.
    bool isMoving = false;
    ClipId grabbedClip = 0;
    bool selectOnlyOnRelease = false;
    bool draggedSincePress = false;
    juce::Point<int> pressPosition;
    std::vector<std::pair<ClipId, ClipData>> grabbedClips; // where the selected clips were at the press
    std::optional<juce::Point<int>> bandStart;
    std::optional<juce::Rectangle<int>> rubberBand;
    std::vector<ClipId> selectedBeforeBand;

    // The line that marks where playback is, where it was painted last.
    std::optional<int> paintedPlayheadX;

    // Where the user last clicked in the lanes: pasted clips go there.
    int lastClickedLane = 0;
    int lastClickedQuarter = 0;
    juce::Point<juce::int64> grabOffset; // a clip may start far left of any screen
    bool externalDragStarted = false;
    bool isDrawing = false;
    std::unique_ptr<ScoreComponent> drawingClip;
    int drawTrackIndex = -1;
    bool isResizing = false;
    ClipId resizingClip = 0;
    bool isPanning = false;
    juce::Point<int> panAnchor;

    // Files dragged over the window.
    bool fileDragHover = false;
    int hoverTrackIndex = -1;
    int hoverQuarter = -1;
    juce::Rectangle<int> hoverRect;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CarvolinEditor)
};
