#include "BenchmarkFixtures.h"
#include "plugin/CarvolinProcessor.h"
#include "support/AllocationCounter.h"
#include "support/ScriptedPlayHead.h"

#include <benchmark/benchmark.h>

namespace
{
    constexpr int blockSize = 512;
    constexpr int eventsPerBlock = 64;

    void fillMidi (juce::MidiBuffer& midi)
    {
        for (int i = 0; i < eventsPerBlock; ++i)
            midi.addEvent (juce::MidiMessage::noteOn (1, 36 + i % 48, (juce::uint8) 100), i * (blockSize / eventsPerBlock));
    }

    // The baseline: clearing the same buffers by hand.
    void plainBufferClear (benchmark::State& state)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        midi.ensureSize (4096);

        // Both benchmarks refill the MIDI buffer in the loop, so that the ratio
        // shows what processBlock adds to a plain clear.
        for (auto _ : state)
        {
            fillMidi (midi);
            buffer.clear();
            midi.clear();
            benchmark::DoNotOptimize (buffer.getReadPointer (0));
        }
    }
    BENCHMARK (plainBufferClear);

    void processBlock (benchmark::State& state)
    {
        CarvolinProcessor processor;
        processor.prepareToPlay (48000.0, blockSize);
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        midi.ensureSize (4096);

        for (auto _ : state)
        {
            fillMidi (midi);
            processor.processBlock (buffer, midi);
            benchmark::DoNotOptimize (buffer.getReadPointer (0));
        }
    }
    BENCHMARK (processBlock);
} // namespace

namespace
{
    // Playing the largest arrangement (16 tracks x 33 clips x 200 notes)
    // through MIDI out: about 35 events a block.
    void processBlockPlaying (benchmark::State& state)
    {
        CarvolinProcessor processor;
        auto& model = processor.getModel();
        auto arrangement = BenchmarkFixtures::bigArrangement (model);
        arrangement.midiOut = true;
        model.restore (std::move (arrangement));
        processor.getPlayback().waitForPlan (10000);

        ScriptedPlayHead head;
        processor.setPlayHead (&head);
        processor.prepareToPlay (48000.0, blockSize);
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        midi.ensureSize (2048); // what JUCE's VST3 wrapper gives its buffer

        size_t allocations = 0, events = 0, blocks = 0;
        for (auto _ : state)
        {
            fillMidi (midi);
            {
                const AllocationCounter counter;
                processor.processBlock (buffer, midi);
                allocations += counter.count();
            }
            events += (size_t) midi.getNumEvents() - eventsPerBlock;
            ++blocks;
            midi.clear();

            head.ppq += blockSize / 24000.0;
            if (head.ppq >= 132.0)
                head.ppq = 0.0;
        }

        processor.setPlayHead (nullptr);
        state.counters["allocations"] = (double) allocations;
        state.counters["eventsPerBlock"] = (double) events / (double) juce::jmax<size_t> (1, blocks);
    }
    BENCHMARK (processBlockPlaying);
} // namespace
