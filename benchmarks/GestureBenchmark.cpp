#include "BenchmarkFixtures.h"
#include "support/EditorTestAccess.h"
#include "support/PianoRollTestAccess.h"

#include <benchmark/benchmark.h>

#include <ctime>

// Frames of a gesture as the user sees them: the mouse event handled, then
// what JUCE paints on the screen for the areas the component asked to have
// repainted. Each needs a display (make bench runs them on a virtual one).

namespace
{
    /** A window on the screen holding the component under test, which paints
        a frame when asked and counts the frames it painted.
    */
    class Window final : public juce::Component
    {
    public:
        /** Opens at the content's size. */
        explicit Window (juce::Component& content)
        {
            addAndMakeVisible (content);
            setSize (content.getWidth(), content.getHeight());
            content.setTopLeftPosition (0, 0);
            addToDesktop (juce::ComponentPeer::windowHasTitleBar);
            setVisible (true);
            settle (300);
        }

        ~Window() override { removeFromDesktop(); }

        static bool canOpen() { return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr; }

        /** Paints what is waiting to be repainted, and copies it to the screen. */
        void paintFrame()
        {
            if (auto* peer = getPeer())
                peer->performAnyPendingRepaintsNow();
        }

        /** Lets the display take the last frame before the next one: JUCE
            hears that it is done at its next repaint tick.
        */
        static void settle (int milliseconds = 17) { juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds); }

        void paintOverChildren (juce::Graphics&) override { ++framesPainted; }

        int framesPainted = 0;
    };

    double threadSeconds()
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double> (t.tv_sec) + static_cast<double> (t.tv_nsec) * 1.0e-9;
    }

    /** Runs frames of a gesture, step (i) handling the i-th mouse event, and
        times each frame by the processor time the message thread spent on it:
        the event handled, the areas asked for painted and handed to the
        display.

        The display copies a frame in the background, and a frame asked for
        before it is done waits for a later paint; such a frame is not
        counted, and the gesture goes on once the display is ready.
    */
    template <typename Step>
    void runFrames (benchmark::State& state, Window& window, Step&& step)
    {
        window.paintFrame();
        Window::settle (50);

        int mouseEvents = 0, framesWaited = 0;
        for (auto _ : state)
        {
            for (int waited = 0;; ++waited)
            {
                const auto painted = window.framesPainted;
                const auto start = threadSeconds();
                step (mouseEvents++);
                window.paintFrame();
                const auto seconds = threadSeconds() - start;
                Window::settle();

                if (window.framesPainted > painted)
                {
                    state.SetIterationTime (seconds);
                    break;
                }

                ++framesWaited;
                if (waited > 100)
                    return state.SkipWithError ("the display painted no frame");
            }
        }
        state.counters["framesWaited"] = framesWaited;
    }

    // Dragging one note of a 10,000-note clip back and forth by a quarter.
    void noteDragFrame (benchmark::State& state)
    {
        if (! Window::canOpen())
            return state.SkipWithError ("needs a display");

        ModelRoll open (BenchmarkFixtures::bigClip (10000));
        auto& roll = open.roll;
        roll.setSize (1100, 600);
        Window window (roll);
        roll.setTool (NoteTool::Select);

        // A note well inside the grid, pressed at its middle.
        const auto& geometry = roll.getGeometry();
        const ClipNote* grabbed = nullptr;
        for (const auto& note : roll.getNotes())
            if (geometry.gridArea.reduced (100).toFloat().contains (geometry.noteBounds (note).getCentre()))
            {
                grabbed = &note;
                break;
            }

        const auto at = geometry.noteBounds (*grabbed).getCentre().toInt();
        TestHelpers::Pointer pointer { roll };
        pointer.press (at.x, at.y);

        // A quarter: a few quantize steps, so that each event moves the note.
        const auto step = juce::roundToInt (geometry.ticksToWidth (Arrangement::ticksPerQuarter));
        runFrames (state, window, [&] (int i) { pointer.drag (at.x + (i % 2 == 0 ? step : 0), at.y); });
        pointer.release (at.x, at.y);
    }
    BENCHMARK (noteDragFrame)->UseManualTime()->Iterations (100)->Unit (benchmark::kMicrosecond);

    /** An editor on the largest arrangement, with a gap in the first lane
        where its first clip is dragged to and back.
    */
    struct ArrangementWindow
    {
        ArrangementWindow()
        {
            auto& model = processor.getModel();
            auto arrangement = BenchmarkFixtures::bigArrangement (model);
            arrangement.clips.erase (std::find_if (arrangement.clips.begin(), arrangement.clips.end(),
                                                   [] (const auto& c) { return c->data.track == 1 && c->data.startQ == 4; }));
            model.restore (std::move (arrangement));
            editor.reset (static_cast<CarvolinEditor*> (processor.createEditor()));
            window = std::make_unique<Window> (*editor);
        }

        /** The middle of the clip of the first lane starting at startQ, in editor coordinates. */
        juce::Point<int> onFirstLaneClip (int startQ)
        {
            for (auto* clip : CarvolinEditorTestAccess::clips (*editor))
                if (clip->getClip()->data.track == 1 && clip->getClip()->data.startQ == startQ)
                    return editor->getLocalPoint (clip, clip->getLocalBounds().getCentre());
            return {};
        }

        CarvolinProcessor processor;
        std::unique_ptr<CarvolinEditor> editor;
        std::unique_ptr<Window> window;
    };

    void clipDragFrame (benchmark::State& state)
    {
        if (! Window::canOpen())
            return state.SkipWithError ("needs a display");

        ArrangementWindow w;
        const auto from = w.onFirstLaneClip (0);
        const auto bar = w.onFirstLaneClip (12).x - w.onFirstLaneClip (8).x;
        TestHelpers::Pointer pointer { TestHelpers::lanes (*w.editor) };
        pointer.press (from.x, from.y);
        runFrames (state, *w.window, [&] (int i) { pointer.drag (from.x + (i % 2 == 0 ? bar : 0), from.y); });
        pointer.release (from.x, from.y);
    }
    BENCHMARK (clipDragFrame)->UseManualTime()->Iterations (100)->Unit (benchmark::kMicrosecond);

    // A band from the gap in the first lane swept out to the far corner of
    // the lanes and back, in sixty steps each way: every few frames a row or
    // a column of clips comes into it or leaves it.
    void rubberBandFrame (benchmark::State& state)
    {
        if (! Window::canOpen())
            return state.SkipWithError ("needs a display");

        ArrangementWindow w;
        auto& editor = *w.editor;
        const auto gap = w.onFirstLaneClip (0) + juce::Point<int> (w.onFirstLaneClip (12).x - w.onFirstLaneClip (8).x, 0);
        const juce::Point<int> corner (editor.getWidth() - 20, editor.getHeight() - 20);
        constexpr int steps = 60;
        TestHelpers::Pointer pointer { TestHelpers::lanes (editor) };
        pointer.press (gap.x, gap.y);
        runFrames (state, *w.window, [&] (int i) {
            const auto along = 1 + i % (2 * steps);
            const auto to = gap + (corner - gap) * (along <= steps ? along : 2 * steps - along) / steps;
            pointer.drag (to.x, to.y);
        });
        pointer.release (gap.x, gap.y);
    }
    BENCHMARK (rubberBandFrame)->UseManualTime()->Iterations (120)->Unit (benchmark::kMicrosecond);
} // namespace
