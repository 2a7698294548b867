#include "model/ArrangementModel.h"
#include "model/GhostNotes.h"

#include <gtest/gtest.h>

// The notes the piano roll shows behind a clip: those of every other clip
// that sound in the range asked for, at their times from the clip's start.

TEST (GhostNotes, TheOtherClipsNotesInTheRangeAndRowsAskedFor)
{
    ArrangementModel model;
    ClipId shown = 0;
    model.perform ("Add", [&shown] (ArrangementModel::Edit& e) {
        shown = e.addClip ({ 1, 4, 4, { { 60, 0, 960, 100 } } });                                     // quarters 4..8 of track 1
        e.addClip ({ 1, 0, 4, { { 62, 3840 - 100, 200, 100 }, { 63, 0, 960, 100 } } });               // before it on its track
        e.addClip ({ 2, 2, 8, { { 40, 0, 2000, 90 }, { 90, 4000, 960, 90 }, { 91, 5759, 1, 90 } } }); // another track, across it
        e.addClip ({ 3, 8, 4, { { 70, 0, 960, 90 } } });                                              // after it
    });
    const auto snapshot = model.getSnapshot();

    struct Case
    {
        const char* name;
        juce::int64 from, to;
        int lowest, highest;
        std::vector<std::tuple<juce::int64, juce::int64, int, bool>> expected; // start, length, pitch, same track
    };

    const Case cases[] {
        { "the clip's own span", 0, 3840, 0, 127, { { -100, 200, 62, true }, { -1920, 2000, 40, false }, { 2080, 960, 90, false }, { 3839, 1, 91, false } } },
        { "a range reaching before the clip", -4000, 0, 0, 127, { { -100, 200, 62, true }, { -3840, 960, 63, true }, { -1920, 2000, 40, false } } },
        { "a range past its end", 3840, 4800, 0, 127, { { 3840, 960, 70, false } } },
        { "rows asked for", 0, 3840, 85, 95, { { 2080, 960, 90, false }, { 3839, 1, 91, false } } },
        { "nothing asked for", 100, 100, 0, 127, {} },
    };

    for (const auto& c : cases)
    {
        std::vector<std::tuple<juce::int64, juce::int64, int, bool>> found;
        for (const auto& ghost : GhostNotes::around (*snapshot, shown, c.from, c.to, c.lowest, c.highest))
            found.emplace_back (ghost.start, ghost.length, ghost.pitch, ghost.sameTrack);
        std::sort (found.begin(), found.end());
        auto expected = c.expected;
        std::sort (expected.begin(), expected.end());
        EXPECT_EQ (found, expected) << c.name;
    }

    EXPECT_TRUE (GhostNotes::around (*snapshot, ClipId { 9999 }, 0, 3840).empty()) << "a clip that is gone shows no ghosts";
}
