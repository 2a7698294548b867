#pragma once

#include "model/ArrangementModel.h"
#include "model/Recording.h"
#include "playback/Playback.h"

#include <functional>
#include <map>
#include <optional>

//==============================================================================
/**
    Makes what the MIDI input brought the arrangement's notes, on the message
    thread, about 30 times a second: while the transport plays with a track
    armed, each note goes into that track (see Recording), shown while it is
    held and ended where it was let go, the transport stopped or jumped.
    Everything of one take, from the transport starting to its stopping or
    the arm going off, is one undo step.

    With the transport stopped, keys go to onStepKey instead (the piano roll's
    step input), when it asks for them.
*/
class Recorder final : private juce::Timer
{
public:
    Recorder (ArrangementModel& model, Playback& playback);
    ~Recorder() override;

    /** Takes in what came since the last time (the timer calls it). */
    void update();

    /** Keys pressed and let go with the transport stopped; while set, the
        audio thread hands them on.
    */
    void setStepInput (std::function<void (const InputEvent&)> onKey);

    /** Events the audio thread had to drop (none but on a message thread
        stalled for seconds).
    */
    int getNumDropped() const noexcept { return playback.getRecordingTap().getNumDropped(); }

private:
    void timerCallback() override { update(); }
    void record (const std::vector<InputEvent>& events, std::optional<juce::int64> now);
    void apply (ArrangementModel::Edit& edit, const InputEvent& event);
    void endEverythingHeld (ArrangementModel::Edit& edit, juce::int64 tick);

    ArrangementModel& model;
    Playback& playback;
    std::function<void (const InputEvent&)> onStepKey;

    // The take being recorded: its track, its undo step, the clips it made,
    // and the notes still held, by channel and key.
    int track = 0;
    juce::uint64 step = 0;
    Recording::TakeClips takeClips;
    std::map<std::pair<int, int>, Recording::Placed> held;

    JUCE_DECLARE_NON_COPYABLE (Recorder)
};
