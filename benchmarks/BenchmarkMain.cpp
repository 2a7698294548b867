#include <benchmark/benchmark.h>

#include <juce_gui_basics/juce_gui_basics.h>

int main (int argc, char** argv)
{
    // Painting benchmarks need JUCE's GUI side for fonts and images.
    const juce::ScopedJuceInitialiser_GUI juce;

    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
