#include "BenchmarkFixtures.h"
#include "support/PianoRollTestAccess.h"

#include <benchmark/benchmark.h>

namespace
{
    void wheel (PianoRollComponent& roll, juce::ModifierKeys mods, float deltaY)
    {
        juce::MouseWheelDetails details {};
        details.deltaY = deltaY;
        const auto source = juce::Desktop::getInstance().getMainMouseSource();
        const juce::Point<float> p (500.0f, 300.0f);
        roll.mouseWheelMove (juce::MouseEvent (source, p, mods, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, &roll, &roll, juce::Time(), p, juce::Time(), 1, false),
                             details);
    }

    /** A full paint of the 1100 x 600 piano roll at the zooms given in tenths. */
    void paintPianoRoll (benchmark::State& state, int numNotes)
    {
        const auto horizontalZoom = static_cast<float> (state.range (0)) / 10.0f;
        const auto verticalZoom = static_cast<float> (state.range (1)) / 10.0f;

        ModelRoll open (BenchmarkFixtures::bigClip (numNotes));
        auto& roll = open.roll;
        roll.setBounds (0, 0, 1100, 600);
        wheel (roll, juce::ModifierKeys::ctrlModifier, (horizontalZoom - 1.0f) / 0.1f);
        wheel (roll, juce::ModifierKeys::altModifier, (verticalZoom - 1.0f) / 0.1f);

        juce::Image image (juce::Image::ARGB, 1100, 600, true, juce::SoftwareImageType());
        for (auto _ : state)
        {
            juce::Graphics g (image);
            roll.paintEntireComponent (g, true);
            benchmark::DoNotOptimize (image.getPixelData());
        }
        state.counters["notes"] = numNotes;
    }

    // The baseline: the same clip with no notes.
    void pianoRollNoNotes (benchmark::State& state) { paintPianoRoll (state, 0); }
    void pianoRoll10000Notes (benchmark::State& state) { paintPianoRoll (state, 10000); }

    // Horizontal and vertical zoom in tenths: the whole clip on half the grid
    // with every row showing is the most notes a paint can meet.
    void zooms (benchmark::internal::Benchmark* b)
    {
        for (const auto horizontal : { 5, 10, 50 })
            for (const auto vertical : { 5, 10, 30 })
                b->Args ({ horizontal, vertical });
        b->ArgNames ({ "hzoom", "vzoom" });
    }

    BENCHMARK (pianoRollNoNotes)->Args ({ 10, 10 })->ArgNames ({ "hzoom", "vzoom" })->Unit (benchmark::kMicrosecond);
    BENCHMARK (pianoRoll10000Notes)->Apply (zooms)->Unit (benchmark::kMicrosecond);

    // The same, with the largest arrangement behind the clip and its notes
    // shown as ghosts, a C minor scale shading the rows, and note names.
    void pianoRoll10000NotesWithGhosts (benchmark::State& state)
    {
        const auto horizontalZoom = static_cast<float> (state.range (0)) / 10.0f;
        const auto verticalZoom = static_cast<float> (state.range (1)) / 10.0f;

        ModelRoll open (BenchmarkFixtures::bigClip (10000));
        auto arrangement = BenchmarkFixtures::bigArrangement (open.model);
        arrangement.clips.insert (arrangement.clips.begin(), open.model.getSnapshot()->clips.front());
        open.model.restore (std::move (arrangement));
        open.model.perform ("Scale", [&open] (ArrangementModel::Edit& e) { e.setScale (open.clipId, 1, 0); });
        open.session.ghostNotes = open.session.noteNames = true;

        auto& roll = open.roll;
        roll.setBounds (0, 0, 1100, 600);
        wheel (roll, juce::ModifierKeys::ctrlModifier, (horizontalZoom - 1.0f) / 0.1f);
        wheel (roll, juce::ModifierKeys::altModifier, (verticalZoom - 1.0f) / 0.1f);

        juce::Image image (juce::Image::ARGB, 1100, 600, true, juce::SoftwareImageType());
        for (auto _ : state)
        {
            juce::Graphics g (image);
            roll.paintEntireComponent (g, true);
            benchmark::DoNotOptimize (image.getPixelData());
        }
    }
    BENCHMARK (pianoRoll10000NotesWithGhosts)->Apply (zooms)->Unit (benchmark::kMicrosecond);

    // A note command on 10,000 selected notes, as a key runs it: the notes
    // changed, and one transaction of the arrangement.
    void noteCommand10000Notes (benchmark::State& state)
    {
        ModelRoll open (BenchmarkFixtures::bigClip (10000));
        open.roll.getCommands().selectAll();

        const NoteCommand commands[] { { NoteCommand::Kind::quantize, 50 }, { NoteCommand::Kind::legato, 0, 0, false, true }, { NoteCommand::Kind::humanize, 30, 10 }, { NoteCommand::Kind::scaleVelocity, 90 }, { NoteCommand::Kind::transpose, 1 }, { NoteCommand::Kind::reverse } };
        auto command = commands[state.range (0)];
        for (auto _ : state)
        {
            // Each run changes the notes: transpose goes up and down, the others change as they are.
            open.roll.getCommands().apply (command);
            if (command.kind == NoteCommand::Kind::transpose)
                command.amount = -command.amount;
        }
    }
    BENCHMARK (noteCommand10000Notes)->DenseRange (0, 5)->ArgName ("command")->Unit (benchmark::kMicrosecond);
} // namespace
