#include "plugin/CarvolinProcessor.h"
#include "support/AllocationCounter.h"
#include "support/ModelPrinters.h"
#include "support/ScriptedPlayHead.h"

#include <gtest/gtest.h>

#include <cmath>

// Recording what comes in at the MIDI input into the armed track, with a
// scripted host transport and scripted input: where each note lands, how
// held notes end, loops, undo, and what passes through.

namespace
{
    /** A note as the tests expect it on the timeline, in ticks. */
    struct Played
    {
        int key;
        juce::int64 start, length;
        int velocity;

        bool operator== (const Played& o) const { return key == o.key && start == o.start && length == o.length && velocity == o.velocity; }
        bool operator<(const Played& o) const { return std::tie (start, key, length, velocity) < std::tie (o.start, o.key, o.length, o.velocity); }
    };

    void PrintTo (const Played& p, std::ostream* os) { *os << "{" << p.key << " at " << p.start << " for " << p.length << ", " << p.velocity << "}"; }

    /** A processor with a document (a track armed, say), a host transport, and the input a player gives it. */
    struct Session
    {
        explicit Session (const juce::String& document, double rate = 48000.0, int block = 512)
            : sampleRate (rate), blockSize (block)
        {
            processor.setSavedState (juce::parseXML (document));
            EXPECT_TRUE (processor.getPlayback().waitForPlan (5000));
            processor.setPlayHead (&playHead);
            processor.prepareToPlay (sampleRate, blockSize);
            buffer.setSize (2, juce::jmax (blockSize, 8192));
            midi.ensureSize (2048);
        }

        ~Session() { processor.setPlayHead (nullptr); }

        double quartersPerSample() const { return playHead.bpm / (60.0 * sampleRate); }

        /** One block of n samples; incoming events at their sample in it. */
        void block (int n, const std::vector<std::pair<int, juce::MidiMessage>>& incoming = {})
        {
            midi.clear();
            for (const auto& [sample, message] : incoming)
                midi.addEvent (message, sample);

            juce::AudioBuffer<float> audio (buffer.getArrayOfWritePointers(), 2, n);
            {
                const AllocationCounter counter;
                processor.processBlock (audio, midi);
                allocations += counter.count();
            }

            for (const auto metadata : midi)
                out.push_back (metadata.getMessage());

            if (playHead.playing)
            {
                playHead.ppq += n * quartersPerSample();
                // The host loops (a block ending a hair short of the loop's end counts as ending there).
                if (playHead.loop.has_value() && playHead.ppq >= playHead.loop->second - 1.0e-6)
                    playHead.ppq = std::max (playHead.loop->first, playHead.ppq - (playHead.loop->second - playHead.loop->first));
            }

            // The recorder takes in what came about 30 times a second.
            sinceUpdate += n;
            if (sinceUpdate >= sampleRate / 30.0)
            {
                processor.getRecorder().update();
                sinceUpdate = 0;
            }
        }

        /** Blocks until samples have passed, each input event at its own sample (from now). */
        void play (juce::int64 samples, std::vector<std::pair<juce::int64, juce::MidiMessage>> events = {})
        {
            for (juce::int64 done = 0; done < samples;)
            {
                const auto n = (int) std::min<juce::int64> (blockSize, samples - done);
                std::vector<std::pair<int, juce::MidiMessage>> incoming;
                for (const auto& [at, message] : events)
                    if (at >= done && at < done + n)
                        incoming.emplace_back ((int) (at - done), message);
                block (n, incoming);
                done += n;
            }
        }

        /** Plays until the play head reaches quarter q. */
        void playTo (double q, std::vector<std::pair<double, juce::MidiMessage>> events = {})
        {
            std::vector<std::pair<juce::int64, juce::MidiMessage>> at;
            for (const auto& [quarter, message] : events)
                at.emplace_back ((juce::int64) std::llround ((quarter - playHead.ppq) / quartersPerSample()), message);
            play ((juce::int64) std::llround ((q - playHead.ppq) / quartersPerSample()), at);
        }

        /** The transport stops: one more block, and the recorder takes it in. */
        void stop()
        {
            playHead.playing = false;
            block (blockSize);
            processor.getRecorder().update();
        }

        /** The notes of the clips on a track, on the timeline, in order. */
        std::vector<Played> notesOn (int track)
        {
            std::vector<Played> notes;
            for (const auto& clip : processor.getModel().getSnapshot()->clips)
                if (clip->data.track == track)
                    for (const auto& n : clip->data.notes)
                        notes.push_back ({ n.pitch, juce::int64 { clip->data.startQ } * 960 + n.startTick, n.lengthTicks, n.velocity });
            std::sort (notes.begin(), notes.end());
            return notes;
        }

        /** Where the clips of a track lie: start and length in quarters. */
        std::vector<std::pair<int, int>> clipsOn (int track)
        {
            std::vector<std::pair<int, int>> clips;
            for (const auto& clip : processor.getModel().getSnapshot()->clips)
                if (clip->data.track == track)
                    clips.emplace_back (clip->data.startQ, clip->data.lengthQ);
            std::sort (clips.begin(), clips.end());
            return clips;
        }

        CarvolinProcessor processor;
        ScriptedPlayHead playHead;
        double sampleRate;
        int blockSize;
        juce::AudioBuffer<float> buffer;
        juce::MidiBuffer midi;
        std::vector<juce::MidiMessage> out;
        size_t allocations = 0;
        double sinceUpdate = 0;
    };

    juce::MidiMessage on (int channel, int key, int velocity) { return juce::MidiMessage::noteOn (channel, key, (juce::uint8) velocity); }
    juce::MidiMessage off (int channel, int key) { return juce::MidiMessage::noteOff (channel, key); }

    juce::int64 tickAt (juce::int64 sample, double rate, double bpm) { return (juce::int64) std::floor ((double) sample * bpm / (60.0 * rate) * 960.0 + 0.5); }

    const auto armedTrack2 = R"(<CarvolinState recordTrack="2"/>)";
} // namespace

//==============================================================================
class RecordingTimeline : public ::testing::TestWithParam<std::tuple<int, double, double>>
{
};

TEST_P (RecordingTimeline, EachNoteLandsAtItsTickAndVelocity)
{
    const auto [block, rate, bpm] = GetParam();
    Session s (armedTrack2, rate, block);
    s.playHead.bpm = bpm;

    // Notes on any channel, at samples that fall inside blocks and between ticks.
    struct Note
    {
        juce::int64 onAt, offAt;
        int channel, key, velocity;
    };
    const Note notes[] { { 1000, 20000, 1, 60, 100 }, { 1001, 15000, 5, 64, 1 }, { 30007, 50011, 16, 67, 127 }, { 50011, 70003, 1, 60, 64 } };

    std::vector<std::pair<juce::int64, juce::MidiMessage>> events;
    std::vector<Played> expected;
    for (const auto& n : notes)
    {
        events.emplace_back (n.onAt, on (n.channel, n.key, n.velocity));
        events.emplace_back (n.offAt, off (n.channel, n.key));
        const auto start = tickAt (n.onAt, rate, bpm);
        expected.push_back ({ n.key, start, tickAt (n.offAt, rate, bpm) - start, n.velocity });
    }
    std::sort (expected.begin(), expected.end());

    s.play (80000, events);
    s.stop();

    const auto where = juce::String (block) + " samples, " + juce::String (rate) + " Hz, " + juce::String (bpm) + " BPM";
    EXPECT_EQ (s.notesOn (2), expected) << where;
    EXPECT_EQ (s.processor.getModel().getHistory().getNumUndoSteps(), 1u) << where << ": one take, one step";
    if (AllocationCounter::isAvailable())
    {
        EXPECT_EQ (s.allocations, 0u) << where << ": processBlock allocated while recording";
    }
}

INSTANTIATE_TEST_SUITE_P (BlocksRatesAndTempos, RecordingTimeline,
                          ::testing::Combine (::testing::Values (1, 64, 512, 4096), ::testing::Values (44100.0, 96000.0), ::testing::Values (60.0, 173.5)));

//==============================================================================
TEST (Recording, AHeldNoteEndsAtTheStopAJumpOrTheArmGoingOff)
{
    struct Case
    {
        const char* name;
        std::function<void (Session&)> end; // at quarter 2, with key 60 held since quarter 1
    };

    const Case cases[] {
        { "the transport stops", [] (Session& s) { s.stop(); } },
        { "the transport jumps",
          [] (Session& s) {
              s.playHead.ppq = 40.0;
              s.playTo (41.0);
              s.stop();
          } },
        { "the arm goes off",
          [] (Session& s) {
              s.processor.getModel().perform ("Disarm", [] (ArrangementModel::Edit& e) { e.setRecordTrack (0); });
              ASSERT_TRUE (s.processor.getPlayback().waitForPlan (5000));
              s.playTo (3.0);
              s.stop();
          } },
    };

    for (const auto& c : cases)
    {
        Session s (armedTrack2);
        s.playTo (2.0, { { 1.0, on (1, 60, 90) } });
        c.end (s);

        EXPECT_EQ (s.notesOn (2), (std::vector<Played> { { 60, 960, 960, 90 } })) << c.name;
        EXPECT_EQ (s.clipsOn (2), (std::vector<std::pair<int, int>> { { 0, 4 } })) << c.name;
    }
}

TEST (Recording, EachPassOfAHostLoopAddsToTheSameClipAndTheTakeIsOneUndoStep)
{
    Session s (armedTrack2);

    // An edit before the take stays when the take is undone.
    s.processor.getModel().perform ("Add", [] (ArrangementModel::Edit& e) { e.addClip ({ 5, 0, 4, {} }); });

    s.playHead.loop = std::pair { 0.0, 4.0 };
    std::vector<Played> expected;
    for (int pass = 0; pass < 3; ++pass)
    {
        const auto at = 0.5 + pass;
        s.playTo (3.5, { { at, on (1, 60 + pass, 100) }, { at + 0.5, off (1, 60 + pass) }, { 3.0, on (2, 72, 80) } });
        s.playTo (4.0); // key 72 is held through the loop's end, and ends there
        expected.push_back ({ 60 + pass, (juce::int64) (at * 960), 480, 100 });
        expected.push_back ({ 72, 2880, 960, 80 });
    }

    // A block that crosses the loop's end: a key held ends there, and a key
    // struck after it, inside the block, lands at the loop's start.
    s.playTo (3.995, { { 3.5, on (1, 80, 100) } });
    s.block (480, { { 300, on (1, 81, 100) } }); // quarter 3.995 + 300 / 24000 = 4.0075, so 0.0075
    s.playTo (0.5, { { 0.25, off (1, 81) } });
    expected.push_back ({ 80, 3360, 480, 100 });
    expected.push_back ({ 81, 7, 233, 100 });
    s.stop();

    std::sort (expected.begin(), expected.end());
    EXPECT_EQ (s.notesOn (2), expected);
    EXPECT_EQ (s.clipsOn (2), (std::vector<std::pair<int, int>> { { 0, 4 } }));

    auto& model = s.processor.getModel();
    EXPECT_EQ (model.getHistory().getNumUndoSteps(), 2u);
    EXPECT_EQ (model.getHistory().getUndoName(), "Record");
    ASSERT_TRUE (model.undo());
    EXPECT_TRUE (s.notesOn (2).empty()) << "the whole take went";
    EXPECT_EQ (s.clipsOn (5).size(), 1u) << "and nothing else";
}

TEST (Recording, ATakeMakesClipsOnlyWhereTheTrackHasRoom)
{
    // Clips on track 2 at quarters 0-2 and 6-10: a note at quarter 3 makes a
    // clip from the first one's end to the bar's end; a note held from 5 to 7
    // grows it up to the next clip, and ends there; a note at 6.5 goes into
    // the clip there; a note at 131 makes the last bar's clip; one at 132 is
    // past the timeline.
    Session s (R"(<CarvolinState recordTrack="2"><Clip track="2" startQ="0" lengthQ="2"/><Clip track="2" startQ="6" lengthQ="4"/></CarvolinState>)");
    s.playTo (8.0, { { 3.0, on (1, 50, 100) }, { 3.25, off (1, 50) }, { 5.0, on (1, 51, 100) }, { 6.5, on (1, 52, 100) }, { 6.75, off (1, 52) }, { 7.0, off (1, 51) } });
    s.playHead.ppq = 131.0;
    s.playTo (132.5, { { 131.0, on (1, 53, 100) }, { 131.5, off (1, 53) }, { 132.0, on (1, 54, 100) }, { 132.25, off (1, 54) } });
    s.stop();

    EXPECT_EQ (s.clipsOn (2), (std::vector<std::pair<int, int>> { { 0, 2 }, { 2, 4 }, { 6, 4 }, { 128, 4 } }));
    EXPECT_EQ (s.notesOn (2), (std::vector<Played> { { 50, 2880, 240, 100 }, { 51, 4800, 960, 100 }, { 52, 6240, 240, 100 }, { 53, 125760, 480, 100 } }));
}

TEST (Recording, NothingIsRecordedWithoutAnArmedTrack)
{
    Session s ("<CarvolinState/>");
    s.playTo (4.0, { { 1.0, on (1, 60, 100) }, { 2.0, off (1, 60) } });
    s.stop();

    EXPECT_TRUE (s.processor.getModel().getSnapshot()->clips.empty());
    EXPECT_FALSE (s.processor.getModel().canUndo());
    EXPECT_TRUE (s.out.empty()) << "with MIDI Out off nothing passes either";
}

TEST (Recording, WhatIsPlayedIsHeardOnTheArmedTracksChannel)
{
    // MIDI Out off: the input still passes while a track is armed, on its channel.
    Session s (armedTrack2);
    s.playHead.playing = false;
    s.block (512, { { 10, on (1, 60, 100) }, { 15, on (4, 60, 100) }, { 20, juce::MidiMessage::controllerEvent (3, 64, 127) } });
    ASSERT_EQ (s.out.size(), 3u);
    EXPECT_EQ (s.out[0].getDescription(), on (2, 60, 100).getDescription());
    EXPECT_EQ (s.out[1].getDescription(), on (2, 60, 100).getDescription());
    EXPECT_EQ (s.out[2].getChannel(), 2);

    // The arm goes off with the keys and the pedal held: each key ends as
    // often as it went down on the armed track's channel, and the pedal.
    s.out.clear();
    s.processor.getModel().perform ("Disarm", [] (ArrangementModel::Edit& e) { e.setRecordTrack (0); });
    ASSERT_TRUE (s.processor.getPlayback().waitForPlan (5000));
    s.block (512, { { 5, on (1, 62, 100) } });
    ASSERT_EQ (s.out.size(), 3u);
    for (const auto& m : { s.out[0], s.out[1] })
        EXPECT_TRUE (m.isNoteOff() && m.getChannel() == 2 && m.getNoteNumber() == 60);
    EXPECT_TRUE (s.out[2].isSustainPedalOff() && s.out[2].getChannel() == 2);
}

TEST (Recording, TheStandaloneAppRecordsWhileItsOwnTransportPlays)
{
    // No host transport: "Play" runs the app's own, from quarter 0 at 120 BPM.
    Session s (armedTrack2);
    s.processor.setPlayHead (nullptr);
    s.processor.getPlayback().prepare (48000.0, 512, true);
    s.processor.getPlayback().setStandalonePlaying (true);
    s.play (48000, { { 24000, on (1, 60, 100) }, { 36000, off (1, 60) } }); // quarter 1 to 1.5
    s.processor.getPlayback().setStandalonePlaying (false);
    s.block (512);
    s.processor.getRecorder().update();

    EXPECT_EQ (s.notesOn (2), (std::vector<Played> { { 60, 960, 480, 100 } }));
    EXPECT_EQ (s.processor.getModel().getHistory().getNumUndoSteps(), 1u);
}
