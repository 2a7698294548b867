#pragma once

#include "editor/ArrangementCommands.h"
#include "editor/ArrangementGeometry.h"
#include "editor/ArrangementGestures.h"
#include "editor/MidiFileCommands.h"
#include "editor/ScoreComponent.h"
#include "model/ArrangementModel.h"
#include "model/EditingSession.h"
#include "model/Selection.h"
#include "ui/PlayheadLine.h"
#include "ui/QuantizeControls.h"
#include "ui/RepaintAreas.h"
#include "ui/ToolButtons.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>
#include <unordered_map>

//==============================================================================
/**
    The arrangement: the lanes with their clips, bar numbers and grid, the
    tools that edit them ("Select", "Draw", "Drag", "Resize", "Delete", the
    quantize box), the zoom buttons and the timeline's scroll bar.

    It covers the whole editor behind the editor's own controls, so that its
    coordinates are the editor's. It shows the model, with the preview of the
    gesture in progress (ArrangementGestures), and changes it only through
    transactions: gestures on release, commands (ArrangementCommands) at once,
    MIDI files through MidiFileCommands.
*/
class ArrangementView final : public juce::Component,
                              public juce::FileDragAndDropTarget,
                              private juce::ScrollBar::Listener,
                              private ArrangementModel::Listener
{
public:
    ArrangementView (ArrangementModel& model, EditingSession& session, MidiFileCommands& files, Dialogs& dialogs);
    ~ArrangementView() override;

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void resized() override;
    void mouseMove (const juce::MouseEvent& event) override;
    void mouseDown (const juce::MouseEvent& event) override;
    void mouseDrag (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void mouseDoubleClick (const juce::MouseEvent& event) override;
    void mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
    bool keyPressed (const juce::KeyPress& key) override;

    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void fileDragEnter (const juce::StringArray& files, int x, int y) override;
    void fileDragMove (const juce::StringArray& files, int x, int y) override;
    void fileDragExit (const juce::StringArray& files) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    //==============================================================================
    /** Makes tool the tool in force and mirrors it on the four tool buttons. */
    void setTool (EditTool tool);
    EditTool getTool() const noexcept { return tool; }

    /** Zoom and scroll, for the geometry functions; the lanes' rectangle. */
    ArrangementGeometry::View getView() const noexcept;
    juce::Rectangle<int> getArrangementArea() const noexcept { return arrangementArea; }

    const Selection<ClipId>& getSelection() const noexcept { return selection; }

    /** A clip as the lanes show it now: the model's, or where the gesture in
        progress puts it; nothing for a clip that is not there.
    */
    std::optional<ClipData> shownClip (ClipId id) const;
    ArrangementCommands& getCommands() noexcept { return commands; }

    /** Where a file dropped now would go: the lane (0-based), the quarter, and
        the one-bar preview painted there.
    */
    struct DropPlace
    {
        int lane = 0, quarter = 0;
        juce::Rectangle<int> preview;
    };

    std::optional<DropPlace> getDropPlace() const noexcept { return dropPlace; }

    /** Marks where playback is (quarters), or nothing when it does not roll. */
    void showPlayhead (std::optional<double> ppq);

    /** Marks on the ruler where the standalone transport starts, or nothing. */
    void showPlayStart (std::optional<int> quarter);

    /** A click on the ruler (not a drag): the quarter clicked. The loop region is cleared first. */
    std::function<void (int quarter)> onRulerClicked;

    /** The loop region the ruler shows: the one being dragged, or the arrangement's. */
    std::pair<int, int> shownLoop() const;

    /** Whether Shift is held as a file is dropped (the file then goes to
        the tracks of its channels): the keyboard as it is now, unless set.
    */
    std::function<bool()> isShiftHeld = [] { return juce::ModifierKeys::getCurrentModifiersRealtime().isShiftDown(); };

    /** A double-click with the Select tool on a clip: open its piano roll. */
    std::function<void (ClipId)> onOpenClip;

private:
    friend struct ArrangementViewTestAccess;

    void arrangementChanged() override;
    void scrollBarMoved (juce::ScrollBar* scrollBar, double newRangeStart) override;
    void layOutClips();
    void zoomTo (int newVisibleBars, int anchorLocalX);
    void setScrollOffset (int newOffset);
    void updateDropPlace (int x, int y);
    ArrangementGestures::Frame frame();
    int numTracks() const;

    //==============================================================================
    /** What the view paints of a gesture or a selection, over its lanes:
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
    using ScopedRepaint = RepaintAreas::ScopedRepaint<ArrangementView>;
    friend ScopedRepaint;

    //==============================================================================
    ArrangementModel& model;
    MidiFileCommands& files;
    Selection<ClipId> selection;
    ArrangementCommands commands;
    ArrangementGestures gestures;

    SnapshotPtr shown;
    juce::Rectangle<int> arrangementArea;

    // A drag in the ruler: the bar it started on, and the loop region it sets so far.
    std::optional<int> rulerPressBar;
    std::optional<std::pair<int, int>> draggedLoop;
    std::optional<int> playStart;
    void rulerDrag (const juce::MouseEvent& event);
    int barAt (int x) const;
    juce::Component clipContainer;
    std::vector<std::unique_ptr<ScoreComponent>> clips; // in the order of the arrangement
    std::unordered_map<ClipId, ScoreComponent*> clipsById;
    std::unique_ptr<ScoreComponent> drawingClip; // while a clip is drawn
    PlayheadLine playhead;
    std::optional<double> playheadPpq;

    ToolButtons<EditTool, 4> toolButtons;
    juce::TextButton deleteButton { "Delete" };
    QuantizeControls quantize;
    juce::TextButton zoomInButton { "+" };
    juce::TextButton zoomOutButton { "-" };
    juce::ScrollBar timelineScrollBar { false };

    EditTool tool = EditTool::Select;
    int visibleBars = 32;
    int scrollOffset = 0;

    // Files dragged over the view.
    bool fileDragHover = false;
    std::optional<DropPlace> dropPlace;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ArrangementView)
};
