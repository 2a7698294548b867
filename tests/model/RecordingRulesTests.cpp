#include "model/Recording.h"
#include "support/ModelPrinters.h"

#include <gtest/gtest.h>

// Where a recorded note goes, as an edit of the arrangement, without any
// processor or view: a table of tracks and notes.

TEST (RecordingRules, ANoteGoesUnderItsStartOrIntoAClipTheTakeMakes)
{
    struct Case
    {
        const char* name;
        std::vector<ClipData> before;
        std::vector<Recording::Note> notes; // recorded one after the other, on track 2
        std::vector<ClipData> after;
    };

    const Case cases[] {
        { "an empty track: a clip of the note's bar", {}, { { 4800, 5040, 60, 90 } }, { { 2, 4, 4, { { 60, 960, 240, 90 } } } } },
        { "a clip under the note takes it, and cuts it at its end",
          { { 2, 0, 2, {} } },
          { { 960, 3000, 61, 90 } },
          { { 2, 0, 2, { { 61, 960, 960, 90 } } } } },
        { "the take's clip grows in whole bars", {}, { { 0, 240, 60, 90 }, { 4000, 9000, 62, 90 } }, { { 2, 0, 12, { { 60, 0, 240, 90 }, { 62, 4000, 5000, 90 } } } } },
        { "a new clip starts where the clip before it ends, and stops where the next starts",
          { { 2, 0, 1, {} }, { 2, 3, 2, {} } },
          { { 1920, 5000, 63, 90 } },
          { { 2, 0, 1, {} }, { 2, 3, 2, {} }, { 2, 1, 2, { { 63, 960, 960, 90 } } } } },
        { "other tracks do not count", { { 1, 0, 8, {} } }, { { 100, 200, 64, 90 } }, { { 1, 0, 8, {} }, { 2, 0, 4, { { 64, 100, 100, 90 } } } } },
        { "the last bar", {}, { { 126000, 130000, 65, 90 } }, { { 2, 128, 4, { { 65, 3120, 720, 90 } } } } },
        { "before the timeline or at its end: nothing", {}, { { -1, 100, 66, 90 }, { 126720, 127000, 67, 90 } }, {} },
        { "velocities and keys kept in range", {}, { { 0, 10, 200, 0 } }, { { 2, 0, 4, { { 127, 0, 10, 1 } } } } },
    };

    for (const auto& c : cases)
    {
        ArrangementModel model;
        ArrangementSnapshot start;
        for (const auto& clip : c.before)
            start.clips.push_back (std::make_shared<const Clip> (Clip { model.nextClipId(), clip }));
        model.restore (std::move (start));

        Recording::TakeClips takeClips;
        model.perform ("Record", [&] (ArrangementModel::Edit& edit) {
            for (const auto& note : c.notes)
                if (const auto placed = Recording::add (edit, 2, { note.start, note.start + 1, note.key, note.velocity }, model.nextNoteId(), takeClips))
                    Recording::setEnd (edit, *placed, note.end, takeClips);
        });

        std::vector<ClipData> after;
        for (const auto& clip : model.getSnapshot()->clips)
            after.push_back (clip->data);
        EXPECT_EQ (after, c.after) << c.name;
    }
}
