#include "plugin/CarvolinProcessor.h"
#include "support/ScriptedPlayHead.h"

#include "model/StateDocument.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>

// Whatever the host and the user do, every note that leaves the plug-in
// ends, the sustain pedal it passed on is let go, and no block floods.

namespace
{
    /** A host running the processor block by block, and everything it receives. */
    struct Host
    {
        explicit Host (const juce::String& stateXml)
        {
            setState (stateXml);
            EXPECT_TRUE (processor.getPlayback().waitForPlan (5000));
            processor.setPlayHead (&head);
            processor.prepareToPlay (48000.0, 512);
            midi.ensureSize (2048); // what JUCE's VST3 wrapper gives its buffer
        }

        ~Host() { processor.setPlayHead (nullptr); }

        void setState (const juce::String& xml)
        {
            juce::MemoryBlock blob;
            juce::AudioProcessor::copyXmlToBinary (*juce::parseXML (xml), blob);
            processor.setStateInformation (blob.getData(), (int) blob.getSize());
        }

        /** One block: what it sends is kept (unless the host drops it, as some
            hosts drop what a block of no samples sends); the head moves on.
        */
        int block (int n, std::vector<juce::MidiMessage> incoming = {}, bool keep = true)
        {
            midi.clear();
            for (auto& m : incoming)
                midi.addEvent (m, 0);

            juce::AudioBuffer<float> audio (2, juce::jmax (1, n));
            juce::AudioBuffer<float> view (audio.getArrayOfWritePointers(), 2, n);
            if (bypassed)
                processor.processBlockBypassed (view, midi);
            else
                processor.processBlock (view, midi);

            int count = 0;
            for (const auto metadata : midi)
            {
                const auto m = metadata.getMessage();
                ++count;
                EXPECT_TRUE (n == 0 || (metadata.samplePosition >= 0 && metadata.samplePosition < n)) << "an event outside its block";
                if (keep)
                    sent.push_back (m);
            }

            if (head.playing && std::isfinite (head.ppq) && std::isfinite (head.bpm) && head.bpm > 0.0)
                head.ppq += n / (48000.0 * 60.0 / head.bpm);
            return count;
        }

        void playFor (double seconds)
        {
            for (auto left = (int) (seconds * 48000.0); left > 0; left -= 512)
                block (512);
        }

        /** Stops the transport, lets go of every key, and runs one more block. */
        void stopEverything()
        {
            std::vector<juce::MidiMessage> releases;
            for (int key = 0; key < 128; ++key)
                releases.push_back (juce::MidiMessage::noteOff (1, key));
            releases.push_back (juce::MidiMessage::controllerEvent (1, 64, 0));
            head.playing = head.known = true;
            head.bpm = 120.0;
            head.ppq = 0.0;
            head.playing = false;
            block (512, releases);
            block (512);
        }

        /** Every note-on sent has a note-off after it, and every sustain
            pedal sent down has gone up again. (A key the user lets go of
            after the plug-in ended it passes on as a second note-off, which
            ends nothing.)
        */
        ::testing::AssertionResult everyNoteEnded() const
        {
            std::map<std::pair<int, int>, int> sounding;
            std::map<int, bool> sustained;
            for (const auto& m : sent)
            {
                if (m.isNoteOn())
                    ++sounding[{ m.getChannel(), m.getNoteNumber() }];
                else if (m.isNoteOff())
                    sounding[{ m.getChannel(), m.getNoteNumber() }] = juce::jmax (0, sounding[{ m.getChannel(), m.getNoteNumber() }] - 1);
                else if (m.isSustainPedalOn())
                    sustained[m.getChannel()] = true;
                else if (m.isSustainPedalOff())
                    sustained[m.getChannel()] = false;
            }

            for (const auto& [key, count] : sounding)
                if (count != 0)
                    return ::testing::AssertionFailure() << "channel " << key.first << " key " << key.second << " still sounds";
            for (const auto& [channel, down] : sustained)
                if (down)
                    return ::testing::AssertionFailure() << "the sustain pedal of channel " << channel << " is still down";
            return ::testing::AssertionSuccess();
        }

        /** True when a note of this channel and key was sent and not yet ended. */
        bool sounds (int channel, int key) const
        {
            int count = 0;
            for (const auto& m : sent)
                if (m.isNoteOnOrOff() && m.getChannel() == channel && m.getNoteNumber() == key)
                    count = m.isNoteOn() ? count + 1 : juce::jmax (0, count - 1);
            return count > 0;
        }

        int noteOnsOf (int key) const
        {
            return (int) std::count_if (sent.begin(), sent.end(), [key] (const auto& m) { return m.isNoteOn() && m.getNoteNumber() == key; });
        }

        void perform (const std::function<void (ArrangementModel::Edit&)>& edit)
        {
            processor.getModel().perform ("Edit", edit);
            EXPECT_TRUE (processor.getPlayback().waitForPlan (5000));
        }

        CarvolinProcessor processor;
        ScriptedPlayHead head;
        juce::MidiBuffer midi;
        std::vector<juce::MidiMessage> sent;
        bool bypassed = false;
    };

    // A long note on key 60 from quarter 0, and a note on key 64 at every quarter.
    const juce::String playing = R"(<CarvolinState midiOut="1"><Clip track="1" startQ="0" lengthQ="16">)"
                                 R"(<Note pitch="60" startTick="0" lengthTicks="15360" velocity="100"/></Clip>)"
                                 R"(<Clip track="2" startQ="0" lengthQ="16"><Note pitch="64" startTick="0" lengthTicks="480" velocity="90"/>)"
                                 R"(<Note pitch="64" startTick="960" lengthTicks="480" velocity="90"/><Note pitch="64" startTick="1920" lengthTicks="480" velocity="90"/>)"
                                 R"(<Note pitch="64" startTick="2880" lengthTicks="480" velocity="90"/></Clip></CarvolinState>)";

    const juce::String silentState = R"(<CarvolinState><Clip track="1" startQ="0" lengthQ="4"/></CarvolinState>)";

    juce::MidiMessage keyDown (int key) { return juce::MidiMessage::noteOn (1, key, (juce::uint8) 100); }
    juce::MidiMessage pedalDown() { return juce::MidiMessage::controllerEvent (1, 64, 127); }
} // namespace

TEST (StuckNotes, EveryNoteThatLeavesThePlugInEnds)
{
    struct Case
    {
        const char* name;
        std::function<void (Host&)> script;
    };

    const Case cases[] = {
        { "two moves published between two blocks", [] (Host& h) {
             h.playFor (0.2); // key 60 sounds
             const auto id = h.processor.getModel().getSnapshot()->clips[0]->id;
             h.perform ([id] (ArrangementModel::Edit& e) { e.removeClip (id); });
             h.perform ([] (ArrangementModel::Edit& e) { e.addClip ({ 3, 40, 4, { { 70, 0, 960, 100 } } }); });
             h.playFor (0.5);
             EXPECT_FALSE (h.sounds (1, 60)) << "the note the edits removed ends while playback goes on";
         } },
        { "a key held while the switch goes off", [] (Host& h) {
             h.block (512, { keyDown (50) });
             h.perform ([] (ArrangementModel::Edit& e) { e.setMidiOut (false); });
             h.playFor (0.2);
         } },
        { "a key held while an undo turns the switch off", [] (Host& h) {
             h.perform ([] (ArrangementModel::Edit& e) { e.setMidiOut (false); });
             h.perform ([] (ArrangementModel::Edit& e) { e.setMidiOut (true); });
             h.block (512, { keyDown (50) });
             h.processor.getModel().undo();
             h.processor.getPlayback().waitForPlan (5000);
             h.playFor (0.2);
         } },
        { "a key held while the host sets a state without the switch", [] (Host& h) {
             h.block (512, { keyDown (50) });
             h.setState (silentState);
             h.processor.getPlayback().waitForPlan (5000);
             h.playFor (0.2);
         } },
        { "a key let go in a block of no samples while the switch is off, and the switch on again", [] (Host& h) {
             h.block (512, { keyDown (50) });
             h.perform ([] (ArrangementModel::Edit& e) { e.setMidiOut (false); });
             h.block (0, { juce::MidiMessage::noteOff (1, 50) });
             h.perform ([] (ArrangementModel::Edit& e) { e.setMidiOut (true); });
             h.block (512);
             EXPECT_FALSE (h.sounds (1, 50)) << "the key the player let go of ends, before anything else is let go";
         } },
        { "a key pressed while the host bypasses the plug-in with a track armed, and let go after", [] (Host& h) {
             h.perform ([] (ArrangementModel::Edit& e) { e.setRecordTrack (3); });
             h.block (512);
             h.bypassed = true;
             h.block (512, { keyDown (50) });
             h.bypassed = false;
             h.block (512, { juce::MidiMessage::noteOff (1, 50) });
             EXPECT_FALSE (h.sounds (1, 50)) << "the key ends on the channel it was passed on";
         } },
        { "a key pressed with a track armed, and let go while the host bypasses the plug-in", [] (Host& h) {
             h.perform ([] (ArrangementModel::Edit& e) { e.setRecordTrack (3); });
             h.block (512, { keyDown (50) });
             h.bypassed = true;
             h.block (512, { juce::MidiMessage::noteOff (1, 50) });
             EXPECT_FALSE (h.sounds (3, 50)) << "the key ends on the channel it was passed on";
             h.bypassed = false;
         } },
        { "the sustain pedal pressed in a block of no samples while a track is armed, and the arm then off", [] (Host& h) {
             h.perform ([] (ArrangementModel::Edit& e) { e.setRecordTrack (2); });
             h.block (0, { pedalDown() });
             h.perform ([] (ArrangementModel::Edit& e) { e.setRecordTrack (0); });
             h.block (512, { juce::MidiMessage::controllerEvent (1, 64, 0) });
         } },
        { "the sustain pedal held while the switch goes off", [] (Host& h) {
             h.block (512, { pedalDown() });
             h.perform ([] (ArrangementModel::Edit& e) { e.setMidiOut (false); });
             h.playFor (0.2);
         } },
        { "the sustain pedal held while the host sets a state", [] (Host& h) {
             h.block (512, { pedalDown() });
             h.setState (silentState);
             h.processor.getPlayback().waitForPlan (5000);
             h.playFor (0.2);
         } },
        { "an infinite tempo", [] (Host& h) {
             h.playFor (0.2);
             h.head.bpm = std::numeric_limits<double>::infinity();
             EXPECT_LE (h.block (512), 2) << "no flood";
             h.head.bpm = 120.0;
             h.playFor (0.2);
         } },
        { "positions of 1e300, -1e300 and 1e15", [] (Host& h) {
             h.playFor (0.2);
             for (const auto ppq : { 1.0e300, -1.0e300, 1.0e15 })
             {
                 h.head.ppq = ppq;
                 EXPECT_LE (h.block (512), 2) << "no flood at " << ppq;
             }
             h.head.ppq = 0.5;
             h.playFor (0.2);
         } },
        { "a block of no samples during a state change", [] (Host& h) {
             h.playFor (0.2);
             h.setState (silentState);
             h.block (0, {}, false); // what a flush call sends, the host drops
             h.playFor (0.2);
         } },
        { "300 auditions queued while not processing", [] (Host& h) {
             for (int key = 0; key < 150; ++key)
             {
                 h.processor.getPlayback().audition (5, key, 100, true);
                 h.processor.getPlayback().audition (5, key, 0, false);
             }
             h.playFor (0.1);
         } },
        { "a host loop starting on a note, in blocks that straddle the loop end", [] (Host& h) {
             // A host that loops quarters 0 to 2 without splitting the block
             // that crosses quarter 2: the next block starts past quarter 0.
             h.head.loop = { 0.0, 2.0 };
             for (int pass = 0; pass < 3; ++pass)
             {
                 while (h.head.ppq < 2.0)
                     h.block (512);
                 h.head.ppq -= 2.0;
             }
             EXPECT_EQ (h.noteOnsOf (64), 2 * 3) << "the note on the loop's start sounds on every pass";
         } },
        { "a host looping back from far past its loop's end", [] (Host& h) {
             // Played on past the loop's end, then sent into the loop: a jump
             // like any other, not the notes since the loop's start at once.
             h.head.loop = { 0.0, 2.0 };
             h.head.ppq = 8.0;
             h.playFor (0.1);
             const auto before = h.noteOnsOf (64);
             h.head.ppq = 1.5;
             h.block (512);
             EXPECT_EQ (h.noteOnsOf (64), before) << "no note of the loop's first quarters replayed at once";
             h.playFor (0.5);
         } },
        { "a state set and two seconds played at once", [] (Host& h) {
             h.setState (silentState);
             h.processor.getPlayback().waitForPlan (5000);
             h.head.ppq = 0.0;
             h.setState (playing);
             h.playFor (2.0);
             EXPECT_EQ (h.noteOnsOf (64), 4) << "the first notes play";
         } },
    };

    for (const auto& c : cases)
    {
        Host h (playing);
        c.script (h);
        h.stopEverything();
        EXPECT_TRUE (h.everyNoteEnded()) << c.name;
    }
}

TEST (StuckNotes, APlanMadeWhereAFreedOneWasIsStillANewPlan)
{
    // Plans are freed as soon as the next one is published, and a new one is
    // often made where a freed one was: the engine tells plans apart by their
    // generation, never by their address.
    ArrangementSnapshot sounding;
    sounding.midiOut = true;
    sounding.clips.push_back (std::make_shared<const Clip> (Clip { 1, { 1, 0, 8, { { 60, 0, 7680, 100 } } } }));
    auto removed = sounding;
    removed.clips.clear();

    PlaybackEngine engine;
    engine.prepare (48000.0);
    OutputEvents out;
    out.prepare();

    alignas (PlaybackPlan) unsigned char storage[sizeof (PlaybackPlan)];
    auto* plan = new (storage) PlaybackPlan (PlaybackPlan::of (sounding));
    plan->generation = 1;
    engine.process (plan, { true, true, 0.0, 120.0 }, 512, out);
    ASSERT_EQ (engine.getNumSounding(), 1);

    // Two edits later, at the same address.
    plan->~PlaybackPlan();
    plan = new (storage) PlaybackPlan (PlaybackPlan::of (removed));
    plan->generation = 3;
    out.clear();
    engine.process (plan, { true, true, 512.0 / 24000.0, 120.0 }, 512, out);

    EXPECT_EQ (engine.getNumSounding(), 0);
    ASSERT_EQ (out.getEvents().getNumEvents(), 1);
    EXPECT_TRUE ((*out.getEvents().begin()).getMessage().isNoteOff());
    plan->~PlaybackPlan();
}
