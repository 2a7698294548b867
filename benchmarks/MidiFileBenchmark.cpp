#include "BenchmarkFixtures.h"
#include "midifile/MidiFileReader.h"
#include "midifile/MidiFileWriter.h"

#include <benchmark/benchmark.h>

namespace
{
    juce::MemoryBlock largestCorpusFile()
    {
        juce::File largest;
        for (const auto& f : juce::File (CARVOLIN_MIDI_CORPUS_DIR).findChildFiles (juce::File::findFiles, true, "*.mid"))
            if (f.getSize() > largest.getSize())
                largest = f;

        juce::MemoryBlock data;
        largest.loadFileAsData (data);
        return data;
    }

    // A clone without the corpus beside it still runs every other benchmark.
    void skipForMissingCorpus (benchmark::State& state)
    {
        state.SetLabel ("skipped: no MIDI corpus next to the project");
        for (auto _ : state)
        {
        }
    }

    void readWithJuceOnly (benchmark::State& state, const juce::MemoryBlock& data)
    {
        if (data.isEmpty())
            return skipForMissingCorpus (state);

        for (auto _ : state)
        {
            juce::MidiFile file;
            juce::MemoryInputStream in (data, false);
            benchmark::DoNotOptimize (file.readFrom (in));
        }
        state.SetBytesProcessed ((int64_t) state.iterations() * (int64_t) data.getSize());
    }

    void readWithCarvolin (benchmark::State& state, const juce::MemoryBlock& data)
    {
        if (data.isEmpty())
            return skipForMissingCorpus (state);

        for (auto _ : state)
        {
            auto parsed = MidiFileReader::parse (data.getData(), data.getSize());
            if (! parsed)
                return state.SkipWithError ("the corpus's largest file does not read");
            auto clip = MidiFileReader::collectNotes (std::move (*parsed));
            benchmark::DoNotOptimize (clip);
        }
        state.SetBytesProcessed ((int64_t) state.iterations() * (int64_t) data.getSize());
    }

    // The baseline for the reader: juce::MidiFile::readFrom alone on the same bytes.
    void corpusLargestJuceReadFrom (benchmark::State& state) { readWithJuceOnly (state, largestCorpusFile()); }
    void corpusLargestReadMidiFile (benchmark::State& state) { readWithCarvolin (state, largestCorpusFile()); }
    BENCHMARK (corpusLargestJuceReadFrom)->Unit (benchmark::kMillisecond);
    BENCHMARK (corpusLargestReadMidiFile)->Unit (benchmark::kMillisecond);

    void syntheticJuceReadFrom (benchmark::State& state)
    {
        readWithJuceOnly (state, BenchmarkFixtures::syntheticMidiFile ((int) state.range (0)));
        state.counters["ns/event"] = benchmark::Counter ((double) state.range (0), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    }

    void syntheticReadMidiFile (benchmark::State& state)
    {
        readWithCarvolin (state, BenchmarkFixtures::syntheticMidiFile ((int) state.range (0)));
        state.counters["ns/event"] = benchmark::Counter ((double) state.range (0), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    }
    BENCHMARK (syntheticJuceReadFrom)->Arg (1 << 20)->Arg (4 << 20)->Unit (benchmark::kMillisecond);
    BENCHMARK (syntheticReadMidiFile)->Arg (1 << 20)->Arg (4 << 20)->Unit (benchmark::kMillisecond);

    //==============================================================================
    /** 100,000 notes in 1,000 clips created in reverse time order. */
    void writeReverseOrderClips (benchmark::State& state)
    {
        std::vector<ClipData> clips;
        for (int c = 999; c >= 0; --c)
        {
            ClipData clip { 1 + c % 16, c * 4, 4, {} };
            for (int n = 0; n < 100; ++n)
                clip.notes.push_back ({ 36 + n % 48, (99 - n) * 38, 120, 100 });
            clips.push_back (std::move (clip));
        }

        std::vector<const ClipData*> pointers;
        for (auto& c : clips)
            pointers.push_back (&c);

        juce::TemporaryFile target (".mid");
        for (auto _ : state)
            benchmark::DoNotOptimize (writeMidiFile (target.getFile(), pointers));
        state.counters["notes"] = 100000;
    }
    BENCHMARK (writeReverseOrderClips)->Unit (benchmark::kMillisecond);
} // namespace
