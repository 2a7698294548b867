#include "plugin/CarvolinProcessor.h"
#include "support/AllocationCounter.h"
#include "support/LargestArrangement.h"
#include "support/ScriptedPlayHead.h"

#include "model/StateDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

// Playback through MIDI out with a scripted host transport: what the audio
// thread sends, at which sample, and that every note-on gets its note-off.

namespace
{

    struct Sent
    {
        juce::int64 sample;
        int channel, key, velocity; // velocity 0 for a note-off
    };

    /** A processor playing an arrangement, and the MIDI it sends. */
    struct Player
    {
        explicit Player (const std::vector<ClipData>& clips, bool midiOut = true, double rate = 48000.0, int block = 512)
            : sampleRate (rate), blockSize (block)
        {
            std::vector<const ClipData*> pointers;
            for (const auto& clip : clips)
                pointers.push_back (&clip);
            auto document = StateDocument::writeClips ({}, pointers);
            if (midiOut)
                document->setAttribute ("midiOut", 1);
            processor.setSavedState (std::move (document));
            EXPECT_TRUE (processor.getPlayback().waitForPlan (5000));

            processor.setPlayHead (&playHead);
            processor.prepareToPlay (sampleRate, blockSize);
            buffer.setSize (2, blockSize);
            midi.ensureSize (2048); // what JUCE's VST3 wrapper gives its buffer
        }

        ~Player() { processor.setPlayHead (nullptr); }

        double samplesPerQuarter() const { return sampleRate * 60.0 / playHead.bpm; }

        /** One block of n samples at the play head's position, which then moves on. */
        void block (int n, std::vector<juce::MidiMessage> incoming = {})
        {
            midi.clear();
            for (auto& m : incoming)
                midi.addEvent (m, 0);

            juce::AudioBuffer<float> audio (buffer.getArrayOfWritePointers(), 2, n);
            {
                const AllocationCounter counter;
                processor.processBlock (audio, midi);
                allocations += counter.count();
            }

            for (const auto metadata : midi)
            {
                const auto m = metadata.getMessage();
                if (m.isNoteOnOrOff())
                    sent.push_back ({ position + metadata.samplePosition, m.getChannel(), m.getNoteNumber(), m.isNoteOn() ? m.getVelocity() : 0 });
            }

            position += n;
            if (playHead.playing)
                playHead.ppq += n / samplesPerQuarter();
        }

        /** Blocks until the play head reaches quarter q. */
        void playTo (double q)
        {
            while (playHead.ppq < q)
                block (blockSize);
        }

        /** True when every note-on has exactly one note-off after it, and nothing sounds. */
        bool everyNoteEnded() const
        {
            std::map<std::pair<int, int>, int> sounding;
            for (const auto& s : sent)
            {
                auto& count = sounding[{ s.channel, s.key }];
                count += s.velocity > 0 ? 1 : -1;
                if (count < 0 || count > 1)
                    return false;
            }
            for (const auto& [key, count] : sounding)
                if (count != 0)
                    return false;
            return true;
        }

        CarvolinProcessor processor;
        ScriptedPlayHead playHead;
        double sampleRate;
        int blockSize;
        juce::AudioBuffer<float> buffer;
        juce::MidiBuffer midi;
        juce::int64 position = 0;
        std::vector<Sent> sent;
        size_t allocations = 0;
    };

    /** Clips exercising the rules: notes on several channels, one key played
        back to back and overlapping, velocities out of range, a note of no
        length, a note before the timeline, one past its end.
    */
    const std::vector<ClipData> arrangement {
        { 1, 0, 8, { { 60, 0, 960, 100 }, { 64, 480, 480, 90 }, { 60, 960, 960, 80 }, { 67, 1920, 0, 100 }, { 62, 3000, 1000, 0 } } },
        { 2, 4, 4, { { 48, 0, 1920, 127 }, { 48, 960, 1920, 300 }, { 50, -960, 1920, 70 }, { 51, -7680, 960, 70 } } },
        { 16, 12, 8, { { 72, 100, 7, 64 } } },
        { 20, 128, 8, { { 36, 0, 3840 * 2, 100 }, { 37, 3840, 960, 100 } } },
    };

    /** What the rules say those clips play, in ticks. */
    struct Expected
    {
        juce::int64 tick;
        int channel, key, velocity;
    };

    std::vector<Expected> expectedEvents()
    {
        return {
            { 0, 1, 60, 100 },
            { 480, 1, 64, 90 },
            { 960, 1, 60, 0 },
            { 960, 1, 60, 80 },
            { 960, 1, 64, 0 },
            { 1920, 1, 60, 0 },
            { 3000, 1, 62, 1 },
            { 4000, 1, 62, 0 },
            { 2880, 2, 50, 70 }, // before its clip's start, inside the timeline
            { 4800, 2, 50, 0 },
            { 3840, 2, 48, 127 },
            { 4800, 2, 48, 0 }, // the earlier ends where the later starts
            { 4800, 2, 48, 127 },
            { 6720, 2, 48, 0 },
            { 11620, 16, 72, 64 },
            { 11627, 16, 72, 0 },
            { 122880, 16, 36, 100 },
            { 126720, 16, 36, 0 }, // nothing beyond quarter 132
        };
    }

    /** Compares what was sent with what was expected, within a sample or the tolerance given. */
    void expectSent (const Player& p, std::vector<Expected> expected, const juce::String& name, double samples = 1.0)
    {
        auto sent = p.sent;
        ASSERT_EQ (sent.size(), expected.size()) << name;

        for (const auto& e : expected)
        {
            const auto at = (double) e.tick / 960.0 * p.samplesPerQuarter();
            const auto found = std::find_if (sent.begin(), sent.end(), [&] (const Sent& s) {
                return s.channel == e.channel && s.key == e.key && s.velocity == e.velocity && std::abs ((double) s.sample - at) <= samples;
            });
            ASSERT_NE (found, sent.end()) << name << ": channel " << e.channel << " key " << e.key << " velocity " << e.velocity << " at tick " << e.tick;
            sent.erase (found);
        }
    }
} // namespace

//==============================================================================
class PlaybackTimeline : public ::testing::TestWithParam<std::tuple<double, int, double>>
{
};

TEST_P (PlaybackTimeline, EveryNoteAtItsSample)
{
    const auto [rate, block, bpm] = GetParam();
    Player p (arrangement, true, rate, block);
    p.playHead.bpm = bpm;
    p.playTo (133.0);

    expectSent (p, expectedEvents(), juce::String (rate) + " Hz, " + juce::String (block) + " samples, " + juce::String (bpm) + " BPM");
    EXPECT_TRUE (p.everyNoteEnded());
}

INSTANTIATE_TEST_SUITE_P (RatesBlocksAndTempos, PlaybackTimeline,
                          ::testing::Combine (::testing::Values (44100.0, 48000.0, 96000.0), ::testing::Values (64, 512, 4096), ::testing::Values (60.0, 120.0, 173.5)));

// A block per sample: millions of blocks, so these run with the slow tests.
INSTANTIATE_TEST_SUITE_P (SampleBySample, PlaybackTimeline,
                          ::testing::Combine (::testing::Values (44100.0, 48000.0, 96000.0), ::testing::Values (1), ::testing::Values (60.0, 120.0, 173.5)));

//==============================================================================
TEST (Playback, WithMidiOutOffThePluginStaysSilent)
{
    Player p (arrangement, false);
    p.block (512, { juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100) });
    p.playTo (20.0);
    EXPECT_TRUE (p.sent.empty()) << "nothing plays, and incoming MIDI does not pass";
    for (int ch = 0; ch < 2; ++ch)
        EXPECT_EQ (p.buffer.getMagnitude (ch, 0, 512), 0.0f);
}

TEST (Playback, IncomingMidiPassesThroughInTimeOrder)
{
    Player p ({ { 1, 0, 4, { { 60, 0, 960, 100 } } } });
    p.midi.clear();
    p.midi.addEvent (juce::MidiMessage::controllerEvent (3, 7, 90), 100);
    p.midi.addEvent (juce::MidiMessage::noteOn (5, 70, (juce::uint8) 50), 0);
    juce::AudioBuffer<float> audio (2, 512);
    p.processor.processBlock (audio, p.midi);

    std::vector<juce::String> events;
    for (const auto metadata : p.midi)
        events.push_back (juce::String (metadata.samplePosition) + " " + metadata.getMessage().getDescription());
    ASSERT_EQ (events.size(), 3u);
    EXPECT_TRUE (events[2].startsWith ("100 Controller"));
}

TEST (Playback, LoopsStopsSeeksAndEditsLeaveNoNoteSounding)
{
    // A note held over bars 2 and 3, and notes starting on each beat.
    std::vector<ClipData> clips { { 1, 0, 16, { { 40, 0, 960 * 16, 100 } } } };
    for (int q = 0; q < 16; ++q)
        clips[0].notes.push_back ({ 60 + q % 12, q * 960, 600, 100 });
    Player p (clips);

    // A host loop over bars 2 and 3 (quarters 8 to 16), three times: the held
    // note is not started again at the loop point.
    p.playTo (8.0);
    for (int pass = 0; pass < 3; ++pass)
    {
        p.playTo (16.0);
        p.playHead.ppq = 8.0;
    }
    p.block (512);
    EXPECT_EQ (std::count_if (p.sent.begin(), p.sent.end(), [] (const Sent& s) { return s.key == 40 && s.velocity > 0; }), 1);

    // Stop mid-note, play again, seek.
    p.playHead.playing = false;
    p.block (512);
    EXPECT_EQ (p.processor.getPlayback().isRolling(), false);
    EXPECT_TRUE (p.everyNoteEnded());
    p.playHead.playing = true;
    p.playTo (10.3);
    p.playHead.ppq = 2.5;
    p.playTo (4.2);
    EXPECT_TRUE (std::count_if (p.sent.begin(), p.sent.end(), [] (const Sent& s) { return s.velocity == 0; }) > 0);

    // Delete the sounding note (the one at quarter 4, key 64): it ends at once.
    auto& model = p.processor.getModel();
    const auto clip = model.getSnapshot()->clips[0];
    auto without = clip->data;
    without.notes.erase (without.notes.begin() + 5);
    model.perform ("Delete Note", [&] (ArrangementModel::Edit& edit) { edit.setClip (clip->id, without); });
    ASSERT_TRUE (p.processor.getPlayback().waitForPlan (5000));
    p.block (512);
    EXPECT_EQ (p.processor.getPlayback().isRolling(), true);

    // Switched off mid-note: what sounds ends, nothing more is sent.
    p.playTo (6.2);
    model.perform ("Off", [] (ArrangementModel::Edit& edit) { edit.setMidiOut (false); });
    ASSERT_TRUE (p.processor.getPlayback().waitForPlan (5000));
    p.block (512);
    const auto sentBefore = p.sent.size();
    p.playTo (9.0);
    EXPECT_EQ (p.sent.size(), sentBefore);
    EXPECT_TRUE (p.everyNoteEnded());
}

TEST (Playback, AHostThatRoundsItsPositionPlaysEveryNoteWhole)
{
    // Ardour gives each block's position rounded to 1/1920 of a quarter: at
    // 120 BPM and 48 kHz up to six samples from the samples played, ahead or
    // behind. That is the same playback going on, not a seek: no note ends
    // early, none sounds twice.
    struct Rounding final : public juce::AudioPlayHead
    {
        juce::Optional<PositionInfo> getPosition() const override
        {
            PositionInfo info;
            info.setPpqPosition (std::round (ppq * 1920.0) / 1920.0);
            info.setBpm (120.0);
            info.setIsPlaying (true);
            return info;
        }

        double ppq = 0.0;
    };

    Player p (arrangement, true, 48000.0, 1024);
    Rounding rounding;
    p.processor.setPlayHead (&rounding);
    while (rounding.ppq < 133.0)
    {
        p.block (1024);
        rounding.ppq = p.playHead.ppq;
    }
    p.processor.setPlayHead (nullptr);

    expectSent (p, expectedEvents(), "rounded positions", 7.0);
    EXPECT_TRUE (p.everyNoteEnded());
}

TEST (Playback, AHostThatGivesTimeButNoBeatsPlaysInTime)
{
    // Ardour's LV2 position has the time in samples, the tempo and the beat
    // within the bar, but no count of beats, and comes only when the
    // transport starts or moves: the quarters are counted from the time.
    // (Without this the plug-in saw no position at all and stayed silent.)
    struct TimeOnly final : public juce::AudioPlayHead
    {
        juce::Optional<PositionInfo> getPosition() const override
        {
            if (! sendNow)
                return {};

            PositionInfo info;
            info.setTimeInSamples (samples);
            info.setTimeInSeconds ((double) samples / 48000.0);
            info.setBpm (120.0);
            info.setIsPlaying (true);
            return info;
        }

        bool sendNow = true;
        juce::int64 samples = 0;
    };

    Player p (arrangement, true, 48000.0, 512);
    TimeOnly timeOnly;
    p.processor.setPlayHead (&timeOnly);
    p.block (512);
    timeOnly.sendNow = false;
    p.playTo (4.5);
    p.processor.setPlayHead (nullptr);

    auto expected = expectedEvents();
    expected.erase (std::remove_if (expected.begin(), expected.end(), [] (const Expected& e) { return e.tick >= 4320; }), expected.end());
    expectSent (p, expected, "time without beats");
}

TEST (Playback, BypassAndANewStateEndWhatSounds)
{
    Player p ({ { 1, 0, 8, { { 60, 0, 960 * 8, 100 } } } });
    p.playTo (1.0);
    ASSERT_EQ (p.sent.size(), 1u);

    juce::AudioBuffer<float> audio (2, 64);
    p.midi.clear();
    p.processor.processBlockBypassed (audio, p.midi);
    ASSERT_EQ (p.midi.getNumEvents(), 1);
    EXPECT_TRUE ((*p.midi.begin()).getMessage().isNoteOff());

    // Playing on after the bypass: the note was ended, it is not restarted.
    p.sent.clear();
    p.playTo (2.0);
    p.sent.clear();
    p.playHead.ppq = 0.0;
    p.playTo (0.5);
    ASSERT_EQ (p.sent.size(), 1u);

    // A project loaded by the host while the note sounds.
    juce::MemoryBlock blob;
    p.processor.getStateInformation (blob);
    p.processor.setStateInformation (blob.getData(), (int) blob.getSize());
    p.block (64);
    EXPECT_TRUE (p.everyNoteEnded());
}

TEST (Playback, BlocksWithoutAPositionContinueFromTheLastOne)
{
    // JUCE's LV2 wrapper gives a position only in blocks where the host sent one.
    Player p ({ { 1, 0, 8, { { 60, 960, 960, 100 }, { 62, 2880, 960, 100 } } } }, true, 48000.0, 512);
    p.block (512);
    p.playHead.known = false;
    p.playTo (5.0); // the test's own clock goes on; the plug-in sees no position
    expectSent (p, { { 960, 1, 60, 100 }, { 1920, 1, 60, 0 }, { 2880, 1, 62, 100 }, { 3840, 1, 62, 0 } }, "no position");

    // A known position again resumes, and a stopped host stops playback.
    p.playHead.known = true;
    p.playHead.playing = false;
    p.block (512);
    p.playHead.known = false;
    p.block (512);
    EXPECT_FALSE (p.processor.getPlayback().isRolling());
}

TEST (Playback, TheAudioThreadNeitherAllocatesNorLocks)
{
    if (! AllocationCounter::isAvailable())
        GTEST_SKIP() << "allocations are not counted in sanitizer builds";

    // The largest arrangement, played through at a small block size and at
    // one that sends more than the host's buffer holds, into a buffer of the
    // size JUCE's VST3 wrapper gives its own.
    for (const auto blockSize : { 256, 8192 })
    {
        Player p (largestArrangement(), true, 48000.0, blockSize);
        p.playTo (40.0);
        EXPECT_EQ (p.allocations, 0u) << blockSize;
        EXPECT_GT (p.sent.size(), 1000u) << blockSize;
    }
}

TEST (Playback, NotesPressedInThePianoRollSoundWhileMidiOutIsOn)
{
    Player p ({ { 3, 0, 4, {} } });
    p.playHead.playing = false;
    auto& playback = p.processor.getPlayback();

    playback.audition (3, 64, 90, true);
    p.block (64);
    playback.audition (3, 64, 0, false);
    p.block (64);
    ASSERT_EQ (p.sent.size(), 2u);
    EXPECT_EQ (p.sent[0].channel, 3);
    EXPECT_EQ (p.sent[0].velocity, 90);
    EXPECT_EQ (p.sent[1].velocity, 0);

    p.processor.getModel().perform ("Off", [] (ArrangementModel::Edit& edit) { edit.setMidiOut (false); });
    playback.waitForPlan (5000);
    playback.audition (3, 64, 90, true);
    p.block (64);
    EXPECT_EQ (p.sent.size(), 2u) << "silent while MIDI Out is off";
}
