#pragma once

#include "model/ArrangementModel.h"
#include "playback/RecordingTap.h"

#include <set>
#include <vector>

//==============================================================================
/**
    Step input into one clip: each key played on the MIDI input (with the
    transport stopped) writes a note at the step cursor, one quantize step
    long. Keys pressed within 50 ms of the first of them make a chord at the
    same step; the cursor moves on one step when every key is up (or when a
    key comes later while others are still held). Each step is one undo step.
*/
class StepInput
{
public:
    StepInput (ArrangementModel& model, ClipId clip);

    /** The length of a step, and of each note written, in ticks. */
    void setStepTicks (int ticks) noexcept { stepTicks = juce::jmax (1, ticks); }

    /** A key that went down or up (keyDown, keyUp). */
    void key (const InputEvent& event);

    /** Moves the cursor by steps (Left and Right), within the clip. */
    void moveCursor (int steps);

    /** Takes the last step written back (Backspace): its notes go, and the
        cursor goes back to it. False when there is none.
    */
    bool removeLastStep();

    /** Where the next step goes, in ticks from the clip's start. */
    juce::int64 getCursor() const noexcept { return cursor; }

    /** Keys pressed within this of the first make one chord. */
    static constexpr double chordMilliseconds = 50.0;

private:
    struct Step
    {
        juce::int64 tick = 0;
        double startedAt = 0.0;
        juce::uint64 undoStep = 0;
        std::vector<NoteId> notes;
    };

    juce::int64 clipTicks() const;
    void addNote (Step& step, int key, int velocity);

    ArrangementModel& model;
    const ClipId clipId;
    int stepTicks = Arrangement::ticksPerQuarter / 4;
    juce::int64 cursor = 0;
    std::vector<Step> steps;
    bool stepOpen = false;
    std::set<std::pair<int, int>> down;
};
