#include "pianoroll/StepInput.h"

#include <algorithm>

StepInput::StepInput (ArrangementModel& m, ClipId clip)
    : model (m),
      clipId (clip)
{
}

juce::int64 StepInput::clipTicks() const
{
    const auto* clip = model.getSnapshot()->findClip (clipId);
    return clip != nullptr ? juce::int64 { juce::jmax (0, clip->data.lengthQ) } * Arrangement::ticksPerQuarter : 0;
}

void StepInput::key (const InputEvent& event)
{
    const auto held = std::pair<int, int> (event.channel, event.key);

    if (event.kind == InputEvent::Kind::keyUp)
    {
        // The step is done when every key is up: the cursor moves on.
        if (down.erase (held) > 0 && down.empty() && std::exchange (stepOpen, false))
            cursor = juce::jmin (cursor + stepTicks, clipTicks());
        return;
    }

    if (event.kind != InputEvent::Kind::keyDown || ! down.insert (held).second)
        return;

    const auto joinsChord = stepOpen && event.milliseconds - steps.back().startedAt <= chordMilliseconds;
    if (! joinsChord)
    {
        // A key that comes later, while others are still held, starts the next step.
        if (stepOpen)
            cursor = juce::jmin (cursor + stepTicks, clipTicks());

        if (cursor >= clipTicks())
        {
            stepOpen = false;
            return;
        }

        steps.push_back ({ cursor, event.milliseconds, 0, {} });
        stepOpen = true;
    }

    addNote (steps.back(), event.key, event.velocity);
}

void StepInput::addNote (Step& step, int key, int velocity)
{
    const auto id = model.nextNoteId();
    const auto length = (int) juce::jmin (juce::int64 { stepTicks }, clipTicks() - step.tick);
    const ClipNote note { juce::jlimit (0, 127, key), (int) step.tick, juce::jmax (1, length), juce::jlimit (1, 127, velocity), id };

    const auto made = model.performJoining (step.undoStep, "Step Input", [this, &note] (ArrangementModel::Edit& edit) {
        if (const auto* clip = edit.get().findClip (clipId))
        {
            auto notes = clip->data.notes;
            notes.push_back (note);
            edit.setNotes (clipId, std::move (notes));
        }
    });

    if (made != 0)
    {
        step.undoStep = made;
        step.notes.push_back (id);
    }
}

void StepInput::moveCursor (int by)
{
    const auto last = juce::jmax (juce::int64 { 0 }, clipTicks() - 1);
    cursor = juce::jlimit (juce::int64 { 0 }, last, cursor + juce::int64 { by } * stepTicks);
    stepOpen = false;
}

bool StepInput::removeLastStep()
{
    if (steps.empty())
        return false;

    const auto step = steps.back();
    steps.pop_back();
    stepOpen = false;
    cursor = step.tick;

    model.perform ("Remove Step", [this, &step] (ArrangementModel::Edit& edit) {
        if (const auto* clip = edit.get().findClip (clipId))
        {
            auto notes = clip->data.notes;
            notes.erase (std::remove_if (notes.begin(), notes.end(),
                                         [&step] (const ClipNote& n) { return std::find (step.notes.begin(), step.notes.end(), n.id) != step.notes.end(); }),
                         notes.end());
            edit.setNotes (clipId, std::move (notes));
        }
    });
    return true;
}
