#include "playback/Recorder.h"

Recorder::Recorder (ArrangementModel& m, Playback& p)
    : model (m),
      playback (p)
{
    // Notes show at least 20 times a second while they are played.
    startTimerHz (30);
}

Recorder::~Recorder()
{
    stopTimer();
    playback.setStepInputWanted (false);
}

void Recorder::setStepInput (std::function<void (const InputEvent&)> onKey)
{
    onStepKey = std::move (onKey);
    playback.setStepInputWanted (onStepKey != nullptr);
}

void Recorder::update()
{
    using Kind = InputEvent::Kind;

    std::vector<InputEvent> batch;
    for (const auto& event : playback.getRecordingTap().take())
    {
        switch (event.kind)
        {
            case Kind::keyDown:
            case Kind::keyUp:
                if (onStepKey != nullptr)
                    onStepKey (event);
                break;

            case Kind::takeStarts:
                record (batch, std::nullopt);
                batch.clear();
                track = event.track;
                step = 0;
                takeClips.clear();
                held.clear();
                break;

            case Kind::takeEnds:
                batch.push_back (event);
                record (batch, std::nullopt);
                batch.clear();
                track = 0;
                step = 0;
                break;

            case Kind::noteOn:
            case Kind::noteOff:
            case Kind::jump:
                if (track != 0)
                    batch.push_back (event);
                break;
        }
    }

    // Notes still held reach to where playback is now.
    std::optional<juce::int64> now;
    if (track != 0 && ! held.empty())
        now = (juce::int64) std::floor (playback.getPlayheadPpq() * Arrangement::ticksPerQuarter + 0.5);

    record (batch, now);
}

void Recorder::record (const std::vector<InputEvent>& events, std::optional<juce::int64> now)
{
    if (track == 0 || (events.empty() && ! now.has_value()))
        return;

    const auto made = model.performJoining (step, "Record", [this, &events, now] (ArrangementModel::Edit& edit) {
        for (const auto& event : events)
            apply (edit, event);

        if (now.has_value())
        {
            for (auto it = held.begin(); it != held.end();)
            {
                if (Recording::setEnd (edit, it->second, juce::jmax (*now, it->second.start + 1), takeClips))
                    ++it;
                else
                    it = held.erase (it);
            }
        }
    });

    if (made != 0)
        step = made;
}

void Recorder::apply (ArrangementModel::Edit& edit, const InputEvent& event)
{
    using Kind = InputEvent::Kind;
    const auto key = std::pair<int, int> (event.channel, event.key);

    switch (event.kind)
    {
        case Kind::noteOn:
        {
            // A key struck again before it was let go ends its note there.
            if (const auto found = held.find (key); found != held.end())
            {
                Recording::setEnd (edit, found->second, event.tick, takeClips);
                held.erase (found);
            }

            const Recording::Note note { event.tick, event.tick + 1, event.key, event.velocity };
            if (const auto placed = Recording::add (edit, track, note, model.nextNoteId(), takeClips))
                held[key] = *placed;
            break;
        }

        case Kind::noteOff:
            if (const auto found = held.find (key); found != held.end())
            {
                Recording::setEnd (edit, found->second, event.tick, takeClips);
                held.erase (found);
            }
            break;

        case Kind::jump:
        case Kind::takeEnds:
            endEverythingHeld (edit, event.tick);
            break;

        case Kind::takeStarts:
        case Kind::keyDown:
        case Kind::keyUp:
            break;
    }
}

void Recorder::endEverythingHeld (ArrangementModel::Edit& edit, juce::int64 tick)
{
    for (const auto& [key, placed] : held)
        Recording::setEnd (edit, placed, tick, takeClips);
    held.clear();
}
