#include "playback/PlaybackPlan.h"

#include <algorithm>

size_t PlaybackPlan::firstEventFrom (juce::int64 tick) const noexcept
{
    const auto found = std::lower_bound (events.begin(), events.end(), tick, [] (const Event& e, juce::int64 t) { return e.tick < t; });
    return (size_t) std::distance (events.begin(), found);
}

bool PlaybackPlan::soundsAt (int channel, int key, juce::int64 tick) const noexcept
{
    if (channel < 1 || channel > 16 || key < 0 || key > 127)
        return false;

    const auto& list = spans[indexOf (channel, key)];
    const auto after = std::upper_bound (list.begin(), list.end(), tick, [] (juce::int64 t, const Span& s) { return t < s.start; });
    return after != list.begin() && tick < std::prev (after)->end;
}

PlaybackPlan PlaybackPlan::of (const ArrangementSnapshot& snapshot)
{
    PlaybackPlan plan;
    plan.midiOut = snapshot.midiOut;

    struct Note
    {
        juce::int64 start, end;
        juce::uint8 velocity;
    };

    std::array<std::vector<Note>, 16 * 128> notes;

    for (const auto& clip : snapshot.clips)
    {
        const auto& data = clip->data;
        const auto channel = juce::jlimit (1, 16, data.track);
        const auto clipStart = juce::int64 { data.startQ } * Arrangement::ticksPerQuarter;

        for (const auto& note : data.notes)
        {
            const auto start = clipStart + note.startTick;
            const auto end = juce::jmin (endTick, start + note.lengthTicks);
            if (note.lengthTicks <= 0 || start < 0 || start >= endTick)
                continue;

            notes[indexOf (channel, juce::jlimit (0, 127, note.pitch))].push_back ({ start, end, (juce::uint8) juce::jlimit (1, 127, note.velocity) });
        }
    }

    for (size_t i = 0; i < notes.size(); ++i)
    {
        auto& list = notes[i];
        if (list.empty())
            continue;

        // Of notes starting at one tick the one listed first ends at once.
        std::stable_sort (list.begin(), list.end(), [] (const Note& a, const Note& b) { return a.start < b.start; });

        const auto channel = (juce::uint8) (i / 128 + 1);
        const auto key = (juce::uint8) (i % 128);
        for (size_t n = 0; n < list.size(); ++n)
        {
            auto end = list[n].end;
            if (n + 1 < list.size())
                end = juce::jmin (end, list[n + 1].start);
            if (end <= list[n].start)
                continue;

            plan.spans[i].push_back ({ list[n].start, end });
            plan.events.push_back ({ list[n].start, channel, key, list[n].velocity });
            plan.events.push_back ({ end, channel, key, 0 });
        }
    }

    std::sort (plan.events.begin(), plan.events.end(), [] (const Event& a, const Event& b) {
        if (a.tick != b.tick)
            return a.tick < b.tick;
        if (a.isNoteOn() != b.isNoteOn())
            return ! a.isNoteOn();
        return a.channel != b.channel ? a.channel < b.channel : a.key < b.key;
    });

    return plan;
}
