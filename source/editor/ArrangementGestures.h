#pragma once

#include "editor/ArrangementGeometry.h"
#include "model/ArrangementModel.h"
#include "model/Selection.h"
#include "ui/SelectGesture.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <optional>
#include <variant>

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
/**
    The arrangement's pointer gestures, one at a time: moving the selected
    clips (Select), drawing a clip (Draw), panning the timeline (Drag),
    dragging a clip's right edge (Resize), and the rubber band.

    A gesture keeps only its own state and what it would do; the model is
    changed once, when it ends, by the model's own edits (moveClips,
    placeClips, resizeClip), which keep the rules of clips on tracks. While it
    lasts, the view shows the model with the gesture's preview; a gesture cut
    short just ends, with nothing to restore.
*/
class ArrangementGestures
{
public:
    ArrangementGestures (ArrangementModel& model, Selection<ClipId>& selection);

    /** What a gesture needs to know of the view at each event. */
    struct Frame
    {
        ArrangementGeometry::View view;
        juce::Rectangle<int> lanes; ///< in the coordinates of the events
        int editorWidth = 0;
        std::function<int (int ticks)> snap;
    };

    void press (EditTool tool, const juce::MouseEvent& event, const Frame& frame);
    void drag (const juce::MouseEvent& event, const Frame& frame);
    void release();

    /** Ends the gesture in progress without changing anything. */
    void cancel() noexcept { state = Idle {}; }

    bool isActive() const noexcept { return ! std::holds_alternative<Idle> (state); }

    /** Where a clip shows while a gesture moves or resizes it; nothing when it
        shows as the model has it.
    */
    std::optional<ClipData> previewOf (const Clip& clip) const;

    /** The clip being drawn (not yet in the arrangement), if any. */
    std::optional<ClipData> drawing() const;

    /** The rubber band, in the coordinates of the events, if one is drawn. */
    std::optional<juce::Rectangle<int>> band() const;

    /** The Drag tool moved the timeline to a new scroll offset. */
    std::function<void (int scrollOffset)> onPan;

    /** A clip pulled out of the lanes: the path of the file to hand to the
        operating system's drag, or an empty string when there is none.
    */
    std::function<juce::String (ClipId)> exportForDragOut;

    /** Starts the operating system's drag of the file a clip was written to. */
    std::function<void (const juce::String& path)> startDragOut;

private:
    struct Idle
    {
    };

    struct Move
    {
        ClipId pressed = 0;
        SelectGesture<ClipId>::Press how {};
        std::vector<ClipId> ids;
        std::vector<ClipData> originals;
        juce::Point<juce::int64> grabOffset; // a clip may start far left of any screen
        juce::Point<int> pressPosition;
        bool dragged = false;
        bool triedDragOut = false;
        int laneOffset = 0, quarterOffset = 0;
    };

    struct Draw
    {
        ClipData clip;
    };

    struct Resize
    {
        ClipId clip = 0;
        int lengthQ = 0;
    };

    struct Pan
    {
        juce::Point<int> anchor;
    };

    using Band = SelectGesture<ClipId>::Band;

    void pressWithSelect (const juce::MouseEvent& event, const Frame& frame);
    void pressWithDraw (juce::Point<int> position, const Frame& frame);
    void dragMove (Move& move, juce::Point<int> position, const Frame& frame);
    void commitMove (Move& move);

    ArrangementModel& model;
    Selection<ClipId>& selection;
    std::variant<Idle, Move, Draw, Resize, Pan, Band> state;
};
