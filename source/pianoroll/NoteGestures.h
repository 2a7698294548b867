#pragma once

#include "model/Arrangement.h"
#include "model/Selection.h"
#include "pianoroll/PianoRollGeometry.h"
#include "ui/SelectGesture.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <optional>
#include <variant>

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
/**
    The piano roll's pointer gestures, one at a time: drawing a note (Draw),
    moving the selected notes (Select), dragging their lengths (Resize),
    erasing a note (Erase), dragging velocities in the velocity lane, and the
    rubber band.

    While a gesture lasts it holds the notes as it would leave them (its
    preview), which the roll shows; when it ends, what it changed becomes one
    transaction (through commit). A gesture cut short changes nothing.
*/
class NoteGestures
{
public:
    explicit NoteGestures (Selection<NoteId>& selection);

    /** What a gesture needs to know of the roll at each event. */
    struct Frame
    {
        const std::vector<ClipNote>& notes; ///< as the model has them
        const PianoRollGeometry& geometry;
        int step = 240; ///< the quantize step in ticks
        juce::int64 clipEndTick = 0;
        std::optional<juce::Rectangle<int>> velocityLane; ///< where it is, when shown
        int newVelocity = 100;                            ///< the velocity new notes take
        int scale = -1, scaleRoot = 0;                    ///< the clip's scale: drawn and moved notes snap to it (not with Alt)
    };

    void press (NoteTool tool, const juce::MouseEvent& event, const Frame& frame);
    void drag (const juce::MouseEvent& event, const Frame& frame);
    void release (const Frame& frame);

    /** Ends the gesture in progress without changing anything. */
    void cancel() noexcept { state = Idle {}; }

    bool isActive() const noexcept { return ! std::holds_alternative<Idle> (state); }

    /** The notes as the gesture would leave them, while it changes them. */
    const std::vector<ClipNote>* preview() const noexcept;

    /** The note being drawn (not yet in the clip), the rubber band, the note
        whose velocity bar is dragged (0 when none), and whether the selected
        notes are being moved.
    */
    std::optional<ClipNote> drawing() const;
    std::optional<juce::Rectangle<int>> band() const;
    NoteId velocityNote() const noexcept;
    bool isMoving() const noexcept;

    /** Makes notes the clip's, as one transaction named name. */
    std::function<void (const juce::String& name, std::vector<ClipNote> notes)> commit;

    /** A name for a note drawn. */
    std::function<NoteId()> newNoteId;

    /** A note pressed (drawn, or pressed with Select), to sound until release. */
    std::function<void (const ClipNote&)> onPressNote;

    /** The velocity a velocity drag ended on: new notes take it. */
    std::function<void (int velocity)> onVelocitySet;

private:
    /** A pitch drawn or moved to: the scale's nearest, unless Alt is held. */
    static int toScale (int pitch, const juce::MouseEvent& event, const Frame& frame) noexcept;

    struct Idle
    {
    };

    /** Notes that change together: where each is in the list, and what it was at the press. */
    using Grabbed = std::vector<std::pair<size_t, ClipNote>>;

    struct Draw
    {
        ClipNote note;
    };

    struct Move
    {
        NoteId pressed = 0;
        SelectGesture<NoteId>::Press how {};
        Grabbed grabbed;
        std::vector<ClipNote> edited;
        juce::Point<int> pressPosition;
        bool dragged = false;
    };

    struct Resize
    {
        NoteId pressed = 0;
        Grabbed grabbed;
        std::vector<ClipNote> edited;
    };

    struct Velocity
    {
        NoteId pressed = 0;
        int velocityAtPress = 0;
        Grabbed grabbed;
        std::vector<ClipNote> edited;
    };

    using Band = SelectGesture<NoteId>::Band;

    void pressOnGrid (NoteTool tool, const juce::MouseEvent& event, const Frame& frame);
    Grabbed grabSelection (const std::vector<ClipNote>& notes) const;
    void dragVelocity (Velocity& velocity, juce::Point<int> position, const Frame& frame);

    Selection<NoteId>& selection;
    std::variant<Idle, Draw, Move, Resize, Velocity, Band> state;
};
