#include "plugin/CarvolinProcessor.h"

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
