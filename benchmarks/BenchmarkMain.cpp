#include "BenchmarkFixtures.h"

#include <benchmark/benchmark.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <X11/Xlib.h>

namespace
{
    /** JUCE installs its X error handlers only in an application, and reads
        the window manager's atoms once. On a bare virtual display without a
        window manager those atoms do not exist yet, and the first window's
        properties would name atom 0 and end the process: they are made here,
        before JUCE looks, on a connection kept open for the whole run.
    */
    void makeWindowManagerAtoms()
    {
        static ::Display* const display = XOpenDisplay (nullptr);
        if (display == nullptr)
            return;

        for (const auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE",
                                  "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "_NET_WM_PID", "_NET_FRAME_EXTENTS" })
            XInternAtom (display, name, False);
        XSync (display, False);
    }
} // namespace

int main (int argc, char** argv)
{
    // "--write-synthetic-midi PATH" writes the synthetic file of 1,048,576
    // events the reader is measured on, for other readers to be timed on it.
    if (argc == 3 && juce::String (argv[1]) == "--write-synthetic-midi")
    {
        const auto data = BenchmarkFixtures::syntheticMidiFile (1 << 20);
        return juce::File::getCurrentWorkingDirectory().getChildFile (argv[2]).replaceWithData (data.getData(), data.getSize()) ? 0 : 1;
    }

    // Painting benchmarks need JUCE's GUI side for fonts and images, and the
    // gesture benchmarks a window.
    makeWindowManagerAtoms();
    const juce::ScopedJuceInitialiser_GUI juce;

    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
