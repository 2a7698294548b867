#include "model/ArrangementModel.h"
#include "model/SnapshotPublisher.h"
#include "model/StateDocument.h"
#include "support/ModelPrinters.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace
{
    std::vector<ClipData> clipsOf (const ArrangementModel& model)
    {
        std::vector<ClipData> clips;
        for (const auto& clip : model.getSnapshot()->clips)
            clips.push_back (clip->data);
        return clips;
    }

    ClipData clip (int track, int startQ, int lengthQ, int notes = 0)
    {
        ClipData data { track, startQ, lengthQ, {} };
        for (int i = 0; i < notes; ++i)
            data.notes.push_back ({ 60 + i, i * 240, 240, 100 });
        return data;
    }
} // namespace

TEST (ArrangementModel, ATransactionIsOneStepAndSharesWhatItDidNotTouch)
{
    ArrangementModel model;
    ClipId a = 0, b = 0;
    ASSERT_TRUE (model.perform ("Add", [&] (ArrangementModel::Edit& edit) {
        a = edit.addClip (clip (1, 0, 4, 3));
        b = edit.addClip (clip (2, 4, 4, 2));
    }));
    EXPECT_NE (a, b);

    const auto before = model.getSnapshot();
    ASSERT_TRUE (model.perform ("Move", [&] (ArrangementModel::Edit& edit) { edit.setClip (b, clip (3, 8, 4, 2)); }));
    const auto after = model.getSnapshot();

    EXPECT_EQ (after->clips[0], before->clips[0]) << "the clip not moved is shared";
    EXPECT_NE (after->clips[1], before->clips[1]);
    EXPECT_EQ (after->clips[1]->id, b) << "a moved clip keeps its id";
    EXPECT_EQ (model.getHistory().getNumUndoSteps(), 2u);
    EXPECT_EQ (model.getHistory().getUndoName(), "Move");

    // A transaction that changes nothing records nothing.
    EXPECT_FALSE (model.perform ("Nothing", [&] (ArrangementModel::Edit& edit) { edit.setClip (b, clip (3, 8, 4, 2)); }));
    EXPECT_FALSE (model.perform ("Nothing", [] (ArrangementModel::Edit& edit) { edit.removeClip (12345); }));
    EXPECT_EQ (model.getHistory().getNumUndoSteps(), 2u);

    ASSERT_TRUE (model.undo());
    EXPECT_EQ (model.getSnapshot(), before) << "undo gives back the very snapshot";
    ASSERT_TRUE (model.redo());
    EXPECT_EQ (model.getSnapshot(), after);

    // A new step after an undo drops what could be redone.
    model.undo();
    model.perform ("Delete", [&] (ArrangementModel::Edit& edit) { edit.removeClip (a); });
    EXPECT_FALSE (model.canRedo());
    EXPECT_EQ (clipsOf (model), (std::vector<ClipData> { clip (2, 4, 4, 2) }));
}

TEST (ArrangementModel, TracksAndInstrumentsStayWithinTheirRanges)
{
    ArrangementModel model;
    model.perform ("Tracks", [] (ArrangementModel::Edit& edit) {
        edit.setNumTracks (6);
        EXPECT_TRUE (edit.setInstrument (5, 22));
        EXPECT_FALSE (edit.setInstrument (6, 3)) << "no seventh track";
        EXPECT_FALSE (edit.setInstrument (0, 25)) << "no 25th instrument";
        EXPECT_FALSE (edit.setInstrument (0, 0));
    });
    EXPECT_EQ (model.getSnapshot()->numTracks, 6);
    EXPECT_EQ (model.getSnapshot()->instruments[5], 22);

    // A track removed loses its instrument: added again, it starts on the first.
    model.perform ("Fewer", [] (ArrangementModel::Edit& edit) { edit.setNumTracks (5); });
    model.perform ("More", [] (ArrangementModel::Edit& edit) { edit.setNumTracks (6); });
    EXPECT_EQ (model.getSnapshot()->instruments[5], 1);

    model.perform ("Limits", [] (ArrangementModel::Edit& edit) { edit.setNumTracks (40); });
    EXPECT_EQ (model.getSnapshot()->numTracks, 16);
    model.perform ("Limits", [] (ArrangementModel::Edit& edit) { edit.setNumTracks (-3); });
    EXPECT_EQ (model.getSnapshot()->numTracks, 1);
}

TEST (ArrangementModel, RestoringClearsTheHistory)
{
    ArrangementModel model;
    model.perform ("Add", [] (ArrangementModel::Edit& edit) { edit.addClip (clip (1, 0, 4)); });
    model.perform ("Add", [] (ArrangementModel::Edit& edit) { edit.addClip (clip (1, 4, 4)); });
    model.undo();
    ASSERT_TRUE (model.canUndo() && model.canRedo());

    model.restore ({});
    EXPECT_FALSE (model.canUndo());
    EXPECT_FALSE (model.canRedo());
    EXPECT_TRUE (model.getSnapshot()->clips.empty());
}

TEST (ArrangementModel, EditsOfWhereClipsLieKeepTheRulesOrChangeNothing)
{
    // Track 1: clips at 0..4 and 8..12; track 2: a clip at 0..4; 4 tracks.
    struct Case
    {
        const char* name;
        std::function<bool (ArrangementModel::Edit&, const std::vector<ClipId>&)> edit;
        bool changes;
    };

    const Case cases[] = {
        { "move one clip into free space", [] (auto& e, auto& ids) { return e.moveClips ({ ids[0] }, 2, 20); }, true },
        { "move onto another clip", [] (auto& e, auto& ids) { return e.moveClips ({ ids[0] }, 0, 6); }, false },
        { "move to touch another clip", [] (auto& e, auto& ids) { return e.moveClips ({ ids[0] }, 0, 4); }, true },
        { "move two together, one onto a third", [] (auto& e, auto& ids) { return e.moveClips ({ ids[0], ids[2] }, 0, 8); }, false },
        { "move two together past each other's places", [] (auto& e, auto& ids) { return e.moveClips ({ ids[0], ids[1] }, 0, 4); }, true },
        { "move above the first lane", [] (auto& e, auto& ids) { return e.moveClips ({ ids[0] }, -1, 0); }, false },
        { "move below the last lane", [] (auto& e, auto& ids) { return e.moveClips ({ ids[2] }, 3, 0); }, false },
        { "move before the timeline", [] (auto& e, auto& ids) { return e.moveClips ({ ids[2] }, 0, -1); }, false },
        { "move past the timeline's end", [] (auto& e, auto& ids) { return e.moveClips ({ ids[1] }, 0, 121); }, false },
        { "move to end at the timeline's end", [] (auto& e, auto& ids) { return e.moveClips ({ ids[1] }, 0, 120); }, true },
        { "place a clip between two", [] (auto& e, auto&) { return ! e.placeClips ({ clip (1, 4, 4) }).empty(); }, true },
        { "place a clip over one", [] (auto& e, auto&) { return ! e.placeClips ({ clip (1, 3, 2) }).empty(); }, false },
        { "place two clips on each other", [] (auto& e, auto&) { return ! e.placeClips ({ clip (3, 0, 4), clip (3, 2, 4) }).empty(); }, false },
        { "place a clip on a track beyond the lanes", [] (auto& e, auto&) { return ! e.placeClips ({ clip (5, 0, 4) }).empty(); }, false },
        { "place a clip past the timeline", [] (auto& e, auto&) { return ! e.placeClips ({ clip (3, 130, 4) }).empty(); }, false },
        { "resize up to the next clip", [] (auto& e, auto& ids) { return e.resizeClip (ids[0], 8); }, true },
        { "resize into the next clip", [] (auto& e, auto& ids) { return e.resizeClip (ids[0], 9); }, false },
        { "resize past the timeline", [] (auto& e, auto& ids) { return e.resizeClip (ids[1], 125); }, false },
        { "resize to nothing", [] (auto& e, auto& ids) { return e.resizeClip (ids[2], 0); }, false },
    };

    for (const auto& c : cases)
    {
        ArrangementModel model;
        std::vector<ClipId> ids;
        model.perform ("Set up", [&] (ArrangementModel::Edit& e) {
            ids = { e.addClip (clip (1, 0, 4, 2)), e.addClip (clip (1, 8, 4)), e.addClip (clip (2, 0, 4)) };
        });
        const auto before = model.getSnapshot();

        bool said = false;
        const auto changed = model.perform (c.name, [&] (ArrangementModel::Edit& e) { said = c.edit (e, ids); });
        EXPECT_EQ (said, c.changes) << c.name;
        EXPECT_EQ (changed, c.changes) << c.name;
        if (! c.changes)
        {
            EXPECT_EQ (model.getSnapshot(), before) << c.name << ": nothing changed";
        }
    }
}

TEST (UndoHistory, KeepsTheNewestStepsWithinItsBounds)
{
    // A step keeps alive what it changed: with 20 clips of 200 notes shared,
    // moving one costs about one clip.
    ArrangementSnapshot big;
    for (int i = 0; i < 20; ++i)
        big.clips.push_back (std::make_shared<const Clip> (Clip { (ClipId) i + 1, clip (1, i * 4, 4, 200) }));
    auto moved = big;
    moved.clips[3] = std::make_shared<const Clip> (Clip { 4, clip (2, 12, 4, 200) });

    const auto oneClip = sizeof (Clip) + 200 * sizeof (ClipNote);
    const auto cost = UndoHistory::bytesNotShared (big, moved);
    EXPECT_GE (cost, oneClip);
    EXPECT_LT (cost, 2 * oneClip);

    // At most maxSteps steps, the oldest going first.
    UndoHistory steps ({ 3, size_t { 1 } << 30 });
    auto current = std::make_shared<const ArrangementSnapshot> (big);
    std::vector<SnapshotPtr> all { current };
    for (int i = 0; i < 5; ++i)
    {
        auto next = std::make_shared<const ArrangementSnapshot> (i % 2 == 0 ? moved : big);
        steps.push (current, next, "Step " + juce::String (i));
        current = next;
        all.push_back (current);
    }
    EXPECT_EQ (steps.getNumUndoSteps(), 3u);
    EXPECT_EQ (steps.undo (current), all[4]);

    // At most maxBytes, but never less than the newest step.
    UndoHistory small ({ 500, cost + 1 });
    small.push (std::make_shared<const ArrangementSnapshot> (big), std::make_shared<const ArrangementSnapshot> (moved), "A");
    small.push (std::make_shared<const ArrangementSnapshot> (moved), std::make_shared<const ArrangementSnapshot> (big), "B");
    EXPECT_EQ (small.getNumUndoSteps(), 1u);
    EXPECT_EQ (small.getUndoName(), "B");
    EXPECT_LE (small.getBytes(), cost + 1);
}

TEST (SnapshotPublisher, AReaderThreadsSeesWholeSnapshotsWhileTheWriterReplacesThem)
{
    // The audio thread's view: each value it reads is whole and stays alive
    // while it reads, however fast the writer replaces it.
    struct Value
    {
        std::vector<int> items;
    };

    SnapshotPublisher<Value> publisher;
    publisher.publish (std::make_shared<const Value> (Value { { 0 } }));
    std::atomic<bool> done { false };
    std::atomic<int> reads { 0 }, bad { 0 };

    std::thread reader ([&] {
        while (! done)
        {
            SnapshotPublisher<Value>::ReadScope scope (publisher);
            const auto& items = scope->items;
            for (const auto item : items)
                if (item != (int) items.size() - 1)
                    ++bad;
            ++reads;
        }
    });

    // Until the reader has read a good many values, whenever it gets to run.
    const auto giveUp = juce::Time::getMillisecondCounter() + 20000;
    for (int i = 0; i < 20000 || (reads < 1000 && juce::Time::getMillisecondCounter() < giveUp); ++i)
    {
        const auto n = i % 50 + 1;
        publisher.publish (std::make_shared<const Value> (Value { std::vector<int> ((size_t) n, n - 1) }));
    }

    done = true;
    reader.join();
    publisher.collect();
    EXPECT_EQ (bad.load(), 0);
    EXPECT_GT (reads.load(), 0);
}

//==============================================================================
TEST (StateDocument, TheDefaultTracksAreNotWritten)
{
    // Four tracks, all on "Piano": the document is the one clips alone give.
    ArrangementSnapshot arrangement;
    arrangement.clips.push_back (std::make_shared<const Clip> (Clip { 1, clip (2, 8, 4, 1) }));
    const auto text = StateDocument::write (arrangement, "/music")->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
    EXPECT_EQ (text, R"(<CarvolinState midiFolderPath="/music"><Clip track="2" startQ="8" lengthQ="4">)"
                     R"(<Note pitch="60" startTick="0" lengthTicks="240" velocity="100"/></Clip></CarvolinState>)");

    arrangement.numTracks = 6;
    arrangement.instruments[1] = 7;
    arrangement.instruments[5] = 24;
    const auto withTracks = StateDocument::write (arrangement, {})->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
    EXPECT_EQ (withTracks, R"(<CarvolinState tracks="6"><Track number="2" instrument="7"/><Track number="6" instrument="24"/>)"
                           R"(<Clip track="2" startQ="8" lengthQ="4"><Note pitch="60" startTick="0" lengthTicks="240" velocity="100"/></Clip></CarvolinState>)");
}

TEST (StateDocument, TracksAndInstrumentsAreReadBack)
{
    struct Case
    {
        const char* name;
        const char* xml;
        int numTracks;
        std::vector<std::pair<int, int>> instruments; // track number, id
    };

    const Case cases[] = {
        { "a document without tracks: the four of a new arrangement", R"(<CarvolinState><Clip track="2"/></CarvolinState>)", 4, {} },
        { "tracks and instruments", R"(<CarvolinState tracks="6"><Track number="2" instrument="7"/><Track number="6" instrument="24"/></CarvolinState>)", 6, { { 2, 7 }, { 6, 24 } } },
        { "a clip beyond the count raises it", R"(<CarvolinState tracks="2"><Clip track="9"/></CarvolinState>)", 9, {} },
        { "up to 16", R"(<CarvolinState><Clip track="40"/></CarvolinState>)", 16, {} },
        { "counts out of range", R"(<CarvolinState tracks="0"/>)", 1, {} },
        { "counts out of range", R"(<CarvolinState tracks="99"/>)", 16, {} },
        { "instruments of missing tracks or unknown ids are skipped",
          R"(<CarvolinState><Track number="5" instrument="3"/><Track number="1" instrument="25"/><Track number="2" instrument="0"/><TRACK number="3" instrument="9"/></CarvolinState>)",
          4,
          { { 3, 9 } } },
        { "another root", R"(<Other tracks="6"/>)", 4, {} },
    };

    for (const auto& c : cases)
    {
        const auto arrangement = StateDocument::read (juce::parseXML (juce::String (c.xml)).get());
        EXPECT_EQ (arrangement.numTracks, c.numTracks) << c.name;

        auto expected = ArrangementSnapshot::defaultInstruments();
        for (const auto& [track, id] : c.instruments)
            expected[(size_t) track - 1] = id;
        EXPECT_EQ (arrangement.instruments, expected) << c.name;
    }
}
