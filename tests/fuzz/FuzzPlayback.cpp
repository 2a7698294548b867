// libFuzzer target: the bytes are a host's script for the processor. Blocks of
// any size from 0 to 8192 samples at any rate; positions and tempi, jumps,
// loops, stops, infinite, absurd and missing values; bypassed blocks; keys and
// the sustain pedal coming in; "MIDI Out" switched; a track armed, what comes
// in recorded and passed on its channel; the standalone app's own transport
// (its tempo, loop region and start); edits published, several
// between two blocks, undone and redone; states set; notes the piano roll
// sounds. After each script the transport stops for a block, and then:
// - every note-on that left the plug-in has had its note-off, and every
//   sustain pedal it passed on is up again;
// - no event lay outside its block;
// - no block sent more note-ons than the plans could honestly play in it;
// - nothing was allocated on the audio thread.

#include "plugin/CarvolinProcessor.h"
#include "support/ScriptedPlayHead.h"

#include "model/StateDocument.h"

#include <sanitizer/allocator_interface.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <limits>
#include <map>

namespace
{
    thread_local bool countingAllocations = false;
    thread_local size_t allocations = 0;

    void countAllocation (const volatile void*, size_t)
    {
        if (countingAllocations)
            ++allocations;
    }

    void ignoreFree (const volatile void*) {}

    /** Ends the run with what went wrong, for the finding's log. */
    [[noreturn]] void fail (const char* what)
    {
        std::fprintf (stderr, "FuzzPlayback: %s\n", what);
        __builtin_trap();
    }

    /** The script's bytes, read from the front; past the end everything reads 0. */
    struct Script
    {
        const std::uint8_t* data;
        size_t size;

        bool atEnd() const noexcept { return size == 0; }

        std::uint8_t byte() noexcept
        {
            if (size == 0)
                return 0;
            --size;
            return *data++;
        }

        int below (int n) noexcept { return (int) ((byte() | (byte() << 8)) % n); }

        /** A value from a table of ones hosts are known to give, or any bits at all. */
        double value (const std::vector<double>& table) noexcept
        {
            const auto pick = byte();
            if (pick < 224)
                return table[pick % table.size()];

            std::uint64_t bits = 0;
            for (int i = 0; i < 8; ++i)
                bits = (bits << 8) | byte();
            double d;
            std::memcpy (&d, &bits, sizeof d);
            return d;
        }
    };

    const std::vector<double> positions { 0.0, 0.25, 1.0, 2.0, 3.999, 4.0, 7.5, 16.0, 64.0, 131.9, 132.0, 500.0, -0.5, -4.0, 1.0e15, -1.0e15, 1.0e300, -1.0e300,
                                          std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN() };
    const std::vector<double> tempi { 120.0, 60.0, 173.5, 999.0, 1000.0, 1.0, 0.5, 0.0, -120.0, 1000.5, 1.0e9, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN() };
    const std::vector<double> rates { 44100.0, 48000.0, 96000.0, 8000.0, 22050.0, 192000.0 };

    /** The note-ons a plan could play in a block that ends at endPpq and
        spans at most span quarters (or starts at a loop's start).
    */
    size_t honestNoteOns (const PlaybackPlan& plan, double endPpq, double span, const ScriptedPlayHead& head)
    {
        if (! std::isfinite (endPpq))
            return plan.events.size();

        const auto count = [&plan] (double from, double to) {
            size_t n = 0;
            const auto first = plan.firstEventFrom ((juce::int64) std::floor (juce::jlimit (-1.0e15, 1.0e15, from * 960.0)) - 2);
            for (auto i = first; i < plan.events.size() && (double) plan.events[i].tick <= to * 960.0 + 2.0; ++i)
                n += plan.events[i].isNoteOn() ? 1 : 0;
            return n;
        };

        auto n = count (endPpq - span, endPpq);
        if (head.loop.has_value() && std::isfinite (head.loop->first))
            n += count (head.loop->first, head.loop->first + span);
        return n;
    }

    struct Run
    {
        Run()
        {
            processor.setPlayHead (&head);
            prepare (48000.0);
            host.ensureSize (2048); // what JUCE's VST3 wrapper gives its buffer
        }

        ~Run() { processor.setPlayHead (nullptr); }

        void prepare (double rate)
        {
            sampleRate = rate;
            processor.setPlayConfigDetails (0, 2, rate, 8192);
            processor.prepareToPlay (rate, 8192);
            if (ownTransport)
                processor.getPlayback().prepare (rate, 8192, true);
        }

        void block (int n, bool bypassed)
        {
            host.clear();
            for (const auto& m : incoming)
                host.addEvent (m, 0);
            const auto incomingNoteOns = (size_t) std::count_if (incoming.begin(), incoming.end(), [] (const auto& m) { return m.isNoteOn(); });
            incoming.clear();

            juce::AudioBuffer<float> view (audio.getArrayOfWritePointers(), 2, n);
            allocations = 0;
            countingAllocations = true;
            if (bypassed)
                processor.processBlockBypassed (view, host);
            else
                processor.processBlock (view, host);
            countingAllocations = false;

            if (allocations != 0)
                fail ("the audio thread allocated");

            size_t noteOns = 0;
            for (const auto metadata : host)
            {
                if (n > 0 && (metadata.samplePosition < 0 || metadata.samplePosition >= n))
                    fail ("an event outside its block");

                const auto m = metadata.getMessage();
                sent.push_back (m);
                noteOns += m.isNoteOn() ? 1 : 0;
            }

            // The block's note-ons: what came in, what the piano roll sounded,
            // and what a plan of the arrangement plays in the block's span.
            if (! bypassed && n > 0 && ! ownTransport)
            {
                const auto span = n * 1000.0 / (sampleRate * 60.0) + 0.01;
                const auto end = processor.getPlayback().getPlayheadPpq();
                size_t honest = incomingNoteOns + auditionsOn;
                for (const auto& plan : plans)
                    honest += honestNoteOns (*plan, end, span, head);
                if (noteOns > honest)
                    fail ("more note-ons than the plans could play");
                auditionsOn = 0;
            }

            if (head.playing && std::isfinite (head.ppq) && std::isfinite (head.bpm) && head.bpm > 0.0)
                head.ppq += n / (sampleRate * 60.0 / head.bpm);
        }

        /** The plans that may be playing: that of every snapshot made since the
            audio thread was last known to have the latest. The plan thread
            skips to the latest snapshot, so until it has caught up a block
            may play the plan of an edit made long before. published: the
            snapshot's plan was made before the call that made it returned
            (a host's state).
        */
        void snapshotMade (bool published = false)
        {
            const auto snapshot = processor.getModel().getSnapshot();
            plans.push_back (std::make_shared<PlaybackPlan> (snapshot->midiOut ? PlaybackPlan::of (*snapshot) : PlaybackPlan()));
            if (published || (plans.size() > 12 && processor.getPlayback().waitForPlan (5000)))
                planCaughtUp();
        }

        void planCaughtUp()
        {
            while (plans.size() > 1)
                plans.pop_front();
        }

        void edit (Script& script)
        {
            auto& model = processor.getModel();
            const auto snapshot = model.getSnapshot();
            const auto numClips = (int) snapshot->clips.size();

            switch (script.below (10))
            {
                case 0:
                {
                    ClipData clip { 1 + script.below (16), script.below (132), 1 + script.below (16), {} };
                    for (int i = script.below (6); --i >= 0;)
                        clip.notes.push_back ({ 36 + script.below (48), script.below (3840) - 480, script.below (4000), script.below (140) });
                    model.perform ("Add", [&clip] (ArrangementModel::Edit& e) { e.addClip (clip); });
                    break;
                }
                case 1:
                case 2:
                    if (numClips > 0)
                    {
                        const auto& clip = snapshot->clips[(size_t) script.below (numClips)];
                        auto data = clip->data;
                        data.startQ = script.below (132) - 2;
                        data.track = 1 + script.below (16);
                        if (! data.notes.empty())
                            data.notes[(size_t) script.below ((int) data.notes.size())].lengthTicks = script.below (8000);
                        model.perform ("Move", [&] (ArrangementModel::Edit& e) { e.setClip (clip->id, data); });
                    }
                    break;
                case 3:
                    if (numClips > 0)
                    {
                        const auto id = snapshot->clips[(size_t) script.below (numClips)]->id;
                        model.perform ("Remove", [id] (ArrangementModel::Edit& e) { e.removeClip (id); });
                    }
                    break;
                case 4: model.undo(); break;
                case 5: model.redo(); break;
                case 6:
                {
                    // A track armed (what comes in passes on its channel, and is recorded), or none.
                    const auto track = script.below (5);
                    model.perform ("Arm", [track] (ArrangementModel::Edit& e) { e.setRecordTrack (track); });
                    break;
                }
                case 7:
                {
                    const auto bpm = script.below (320);
                    model.perform ("Tempo", [bpm] (ArrangementModel::Edit& e) { e.setTempo (bpm); });
                    break;
                }
                case 8:
                {
                    const auto start = script.below (36) * 4, end = script.below (36) * 4;
                    model.perform ("Loop", [start, end] (ArrangementModel::Edit& e) { e.setLoop (start, end); });
                    break;
                }
                default:
                {
                    const auto on = ! snapshot->midiOut;
                    model.perform ("MIDI Out", [on] (ArrangementModel::Edit& e) { e.setMidiOut (on); });
                    break;
                }
            }

            snapshotMade();
        }

        void setState (Script& script)
        {
            juce::String xml = script.byte() % 2 == 0 ? "<CarvolinState midiOut=\"1\">" : "<CarvolinState>";
            for (int c = script.below (4); --c >= 0;)
            {
                xml << "<Clip track=\"" << (1 + script.below (16)) << "\" startQ=\"" << script.below (132) << "\" lengthQ=\"8\">";
                for (int n = script.below (5); --n >= 0;)
                    xml << "<Note pitch=\"" << (36 + script.below (48)) << "\" startTick=\"" << script.below (7680) << "\" lengthTicks=\"" << script.below (4000) << "\"/>";
                xml << "</Clip>";
            }
            xml << "</CarvolinState>";

            juce::MemoryBlock blob;
            juce::AudioProcessor::copyXmlToBinary (*juce::parseXML (xml), blob);
            processor.setStateInformation (blob.getData(), (int) blob.getSize());
            snapshotMade (true);
        }

        /** What a user lets go of at the end: keys, the pedal, the piano roll's notes. */
        void letGo()
        {
            for (int i = 0; i < (int) held.size(); ++i)
                if (std::exchange (held[(size_t) i], false))
                    incoming.push_back (juce::MidiMessage::noteOff (i / 128 + 1, i % 128));
            for (int channel = 0; channel < 16; ++channel)
                if (std::exchange (pedal[(size_t) channel], false))
                    incoming.push_back (juce::MidiMessage::controllerEvent (channel + 1, 64, 0));
            for (int i = 0; i < (int) auditioned.size(); ++i)
                if (std::exchange (auditioned[(size_t) i], false))
                    processor.getPlayback().audition (i / 128 + 1, i % 128, 0, false);
        }

        bool everythingEnded() const
        {
            std::map<std::pair<int, int>, int> sounding;
            std::array<bool, 16> down {};
            for (const auto& m : sent)
            {
                if (m.isNoteOn())
                    ++sounding[{ m.getChannel(), m.getNoteNumber() }];
                else if (m.isNoteOff())
                    sounding[{ m.getChannel(), m.getNoteNumber() }] = juce::jmax (0, sounding[{ m.getChannel(), m.getNoteNumber() }] - 1);
                else if (m.isController() && m.getControllerNumber() == 64)
                    down[(size_t) m.getChannel() - 1] = m.getControllerValue() >= 64;
            }

            for (const auto& [key, count] : sounding)
                if (count != 0)
                    return false;
            return std::none_of (down.begin(), down.end(), [] (bool d) { return d; });
        }

        CarvolinProcessor processor;
        ScriptedPlayHead head;
        juce::AudioBuffer<float> audio { 2, 8192 };
        juce::MidiBuffer host;
        double sampleRate = 48000.0;
        std::vector<juce::MidiMessage> incoming, sent;
        std::deque<std::shared_ptr<PlaybackPlan>> plans;
        std::array<bool, 16 * 128> held {}, auditioned {};
        std::array<bool, 16> pedal {};
        size_t auditionsOn = 0;
        bool ownTransport = false; // the standalone app's: the host's play head is not looked at
    };
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    // Never destroyed: JUCE's own statics are gone by the time static objects of ours would be.
    static const auto* gui = new juce::ScopedJuceInitialiser_GUI();
    static const auto hooksInstalled = __sanitizer_install_malloc_and_free_hooks (countAllocation, ignoreFree);
    juce::ignoreUnused (gui, hooksInstalled);

    Run run;
    run.snapshotMade();
    Script script { data, size };

    for (int step = 0; step < 400 && ! script.atEnd(); ++step)
    {
        switch (script.byte() % 16)
        {
            case 0:
            case 1: run.block (script.below (8193), false); break;
            case 2: run.block (script.below (8193), true); break;
            case 3: run.head.ppq = script.value (positions); break;
            case 4: run.head.bpm = script.value (tempi); break;
            case 5: run.head.playing = ! run.head.playing; break;
            case 6: run.head.known = ! run.head.known; break;
            case 7:
                if (script.byte() % 2 == 0)
                    run.head.loop.reset();
                else
                    run.head.loop = std::pair { script.value (positions), script.value (positions) };
                break;
            case 8:
            {
                // A keyboard: a key goes down only when it is up, and up when it is down.
                const auto i = (size_t) script.below (16 * 128);
                run.incoming.push_back (run.held[i] ? juce::MidiMessage::noteOff ((int) i / 128 + 1, (int) i % 128)
                                                    : juce::MidiMessage::noteOn ((int) i / 128 + 1, (int) i % 128, (juce::uint8) (1 + script.below (127))));
                run.held[i] = ! run.held[i];
                break;
            }
            case 9:
            {
                const auto channel = (size_t) script.below (16);
                run.pedal[channel] = ! run.pedal[channel];
                run.incoming.push_back (juce::MidiMessage::controllerEvent ((int) channel + 1, 64, run.pedal[channel] ? 127 : 0));
                break;
            }
            case 10:
            case 11: run.edit (script); break;
            case 12:
                for (int i = 1 + script.below (4); --i >= 0;)
                    run.edit (script);
                break;
            case 13: run.setState (script); break;
            case 14:
            {
                const auto i = (size_t) script.below (16 * 128);
                run.processor.getPlayback().audition ((int) i / 128 + 1, (int) i % 128, 100, ! run.auditioned[i]);
                run.auditionsOn += run.auditioned[i] ? 0 : 1;
                run.auditioned[i] = ! run.auditioned[i];
                break;
            }
            default:
                if (const auto what = script.byte() % 8; what == 0)
                    run.prepare (rates[(size_t) script.below ((int) rates.size())]);
                else if (what == 1)
                {
                    // The standalone app: its own transport, started, stopped, from anywhere.
                    run.ownTransport = true;
                    run.prepare (run.sampleRate);
                    auto& playback = run.processor.getPlayback();
                    playback.setStandaloneStart (script.below (140) - 4);
                    playback.setStandalonePlaying (! playback.isStandalonePlaying());
                }
                else
                {
                    // The recorder takes in what was played (a take is edits too).
                    run.processor.getRecorder().update();
                    run.snapshotMade();
                    if (run.processor.getPlayback().waitForPlan (1000))
                        run.planCaughtUp();
                }
                break;
        }
    }

    // The user lets go of everything, the transport stops: one more block.
    run.letGo();
    run.head = ScriptedPlayHead();
    run.head.playing = false;
    run.processor.getPlayback().setStandalonePlaying (false);
    run.block (512, false);

    if (! run.everythingEnded())
        fail ("a note left sounding");

    return 0;
}
