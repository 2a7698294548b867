#include "plugin/CarvolinProcessor.h"

#include "model/StateDocument.h"

#include <gtest/gtest.h>

// The standalone app's own transport ("Play"): the arrangement's tempo, its
// loop region, and where "Play" starts, sample by sample.

namespace
{
    struct Event
    {
        juce::int64 sample;
        int key;
        bool on;

        bool operator== (const Event& o) const { return sample == o.sample && key == o.key && on == o.on; }
    };

    std::ostream& operator<< (std::ostream& os, const Event& e) { return os << "{" << e.sample << ", " << e.key << (e.on ? " on" : " off") << "}"; }

    /** A processor without a host transport, as in the standalone app. */
    struct StandaloneApp
    {
        explicit StandaloneApp (const juce::String& state)
        {
            processor.setSavedState (juce::parseXML (state));
            EXPECT_TRUE (processor.getPlayback().waitForPlan (5000));
            processor.prepareToPlay (48000.0, 4096);
            processor.getPlayback().prepare (48000.0, 4096, true);
        }

        /** Plays samples in blocks of the sizes given in turn, keeping what is sent. */
        void play (juce::int64 samples, std::initializer_list<int> blockSizes)
        {
            for (auto size = blockSizes.begin(); samples > 0; size = std::next (size) == blockSizes.end() ? blockSizes.begin() : std::next (size))
            {
                const auto n = (int) juce::jmin<juce::int64> (*size, samples);
                juce::AudioBuffer<float> audio (2, n);
                juce::MidiBuffer midi;
                processor.processBlock (audio, midi);
                for (const auto metadata : midi)
                    if (const auto m = metadata.getMessage(); m.isNoteOnOrOff())
                        sent.push_back ({ now + metadata.samplePosition, m.getNoteNumber(), m.isNoteOn() });
                now += n;
                samples -= n;
            }
        }

        CarvolinProcessor processor;
        std::vector<Event> sent;
        juce::int64 now = 0;
    };

    // Key 59 before the loop, 60 on its start, 62 across its end, 64 after it.
    const juce::String looped = R"(<CarvolinState midiOut="1" tempo="90" loopStartQ="4" loopEndQ="8"><Clip track="1" startQ="0" lengthQ="16">)"
                                R"(<Note pitch="59" startTick="1920" lengthTicks="960" velocity="100"/><Note pitch="60" startTick="3840" lengthTicks="960" velocity="100"/>)"
                                R"(<Note pitch="62" startTick="7200" lengthTicks="960" velocity="100"/><Note pitch="64" startTick="7680" lengthTicks="960" velocity="100"/>)"
                                R"(</Clip></CarvolinState>)";
} // namespace

TEST (StandaloneTransport, PlaysAtTheTempoAndLoopsOverTheRegion)
{
    // 90 BPM at 48 kHz: 32,000 samples a quarter; the loop (quarters 4 to 8) is 128,000.
    constexpr juce::int64 q = 32000;
    const std::vector<Event> expected {
        { 2 * q, 59, true }, { 3 * q, 59, false }, // before the loop
        { 4 * q, 60, true },
        { 5 * q, 60, false },
        { 7 * q + q / 2, 62, true }, // the first pass
        { 8 * q, 62, false },
        { 8 * q, 60, true },
        { 9 * q, 60, false },
        { 11 * q + q / 2, 62, true }, // the second
        { 12 * q, 62, false },
        { 12 * q, 60, true },
        { 13 * q, 60, false },
        { 15 * q + q / 2, 62, true }, // the third
        { 16 * q, 62, false },        // stopped at the loop's end
    };

    for (const auto& blocks : { std::initializer_list<int> { 512 }, { 500, 4096, 1, 333 }, { 4096 } })
    {
        StandaloneApp app (looped);
        app.processor.getPlayback().setStandalonePlaying (true);
        app.play (16 * q, blocks);
        app.processor.getPlayback().setStandalonePlaying (false);
        app.play (512, { 512 });
        EXPECT_EQ (app.sent, expected) << "blocks of " << *blocks.begin() << " samples first";
    }
}

TEST (StandaloneTransport, PlayStartsWhereTheRulerWasClicked)
{
    constexpr juce::int64 q = 32000;
    StandaloneApp app (looped.replace (R"( loopStartQ="4" loopEndQ="8")", ""));
    auto& playback = app.processor.getPlayback();

    // From quarter 7: key 62 from half a quarter in, then 64; no loop.
    playback.setStandaloneStart (7);
    playback.setStandalonePlaying (true);
    app.play (3 * q, { 512 });
    playback.setStandalonePlaying (false);
    app.play (512, { 512 });
    EXPECT_EQ (app.sent, (std::vector<Event> { { q / 2, 62, true }, { q, 64, true }, { q + q / 2, 62, false }, { 2 * q, 64, false } }));

    // Stopped and started again: from the same place.
    app.sent.clear();
    app.now = 0;
    playback.setStandalonePlaying (true);
    app.play (q, { 512 });
    playback.setStandalonePlaying (false);
    app.play (512, { 512 });
    EXPECT_EQ (app.sent, (std::vector<Event> { { q / 2, 62, true }, { q, 62, false } }));
}

TEST (StandaloneTransport, TempoAndLoopAreTheArrangementsSavedOnlyWhenSet)
{
    struct Case
    {
        const char* document;
        int tempo, loopStartQ, loopEndQ;
    };

    const Case cases[] {
        { "<CarvolinState/>", 120, 0, 0 },
        { R"(<CarvolinState tempo="90" loopStartQ="4" loopEndQ="8"/>)", 90, 4, 8 },
        { R"(<CarvolinState tempo="20" loopStartQ="0" loopEndQ="132"/>)", 20, 0, 132 },
        { R"(<CarvolinState tempo="301" loopStartQ="2" loopEndQ="8"/>)", 120, 0, 0 },   // out of range, not whole bars
        { R"(<CarvolinState tempo="19" loopStartQ="8" loopEndQ="8"/>)", 120, 0, 0 },    // empty
        { R"(<CarvolinState tempo="x" loopStartQ="128" loopEndQ="136"/>)", 120, 0, 0 }, // past the timeline
        { R"(<CarvolinState loopStartQ="8" loopEndQ="4"/>)", 120, 0, 0 },
    };

    for (const auto& c : cases)
    {
        const auto read = StateDocument::read (juce::parseXML (juce::String (c.document)).get());
        EXPECT_EQ (std::tuple (read.tempo, read.loopStartQ, read.loopEndQ), std::tuple (c.tempo, c.loopStartQ, c.loopEndQ)) << c.document;

        const auto written = StateDocument::write (read, {});
        EXPECT_EQ (written->hasAttribute ("tempo"), c.tempo != 120) << c.document;
        EXPECT_EQ (written->hasAttribute ("loopStartQ") || written->hasAttribute ("loopEndQ"), c.loopEndQ != 0) << c.document;
        const auto again = StateDocument::read (written.get());
        EXPECT_EQ (std::tuple (again.tempo, again.loopStartQ, again.loopEndQ), std::tuple (c.tempo, c.loopStartQ, c.loopEndQ)) << c.document;
    }

    // Set by the user: each change one undo step.
    ArrangementModel model;
    EXPECT_TRUE (model.perform ("Tempo", [] (ArrangementModel::Edit& e) { e.setTempo (1000); }));
    EXPECT_EQ (model.getSnapshot()->tempo, Arrangement::maxTempo);
    EXPECT_FALSE (model.perform ("Loop", [] (ArrangementModel::Edit& e) { e.setLoop (3, 8); }));
    EXPECT_TRUE (model.perform ("Loop", [] (ArrangementModel::Edit& e) { e.setLoop (4, 8); }));
    model.undo();
    EXPECT_FALSE (model.getSnapshot()->hasLoop());
    model.undo();
    EXPECT_EQ (model.getSnapshot()->tempo, 120);
}
