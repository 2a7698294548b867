#pragma once

#include "editor/CarvolinEditor.h"
#include "pianoroll/PianoRollComponent.h"
#include "plugin/CarvolinProcessor.h"
#include "support/FindComponents.h"
#include "support/ModelPrinters.h"
#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <typeinfo>

namespace juce
{
    /** Readable rectangles in test failures. */
    template <typename T>
    void PrintTo (const Rectangle<T>& r, std::ostream* os)
    {
        *os << r.toString();
    }

    inline void PrintTo (const String& s, std::ostream* os) { *os << '"' << s << '"'; }
} // namespace juce

namespace TestHelpers
{
    /** Runs the message loop for a while, so that posted messages (button
        clicks, asynchronous scroll bar notifications) are delivered.
    */
    inline void pumpMessages (int milliseconds = 30)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** A new editor's lanes are at (210, 130, 880, 200), 32 bars, unscrolled:
        the middle of lane n (0 the first), and the first pixel of quarter q.
    */
    constexpr int laneY (int lane) { return 130 + 50 * lane + 25; }
    constexpr int quarterX (int q) { return 210 + (q * 880 + 127) / 128; }

    /** Command (Ctrl) and a letter, and any key with modifiers. */
    inline juce::KeyPress ctrl (char letter) { return juce::KeyPress (letter, juce::ModifierKeys::commandModifier, 0); }
    inline juce::KeyPress key (int code, juce::ModifierKeys mods = {}) { return juce::KeyPress (code, mods, 0); }

    /** Clicks a button through its real click path and waits for it. */
    inline void click (juce::Button& button)
    {
        button.triggerClick();
        pumpMessages();
    }

    /** A synthetic mouse event at (x, y) in c's coordinates, as the framework
        would deliver it to c.
    */
    inline juce::MouseEvent mouseAt (juce::Component& c, int x, int y, juce::ModifierKeys mods = {}, int clicks = 1)
    {
        const juce::Point<float> p ((float) x, (float) y);
        const auto now = juce::Time::getCurrentTime();
        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), p, mods,
                                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                                 juce::MouseInputSource::defaultTiltY, &c, &c, now, p, now, clicks, false);
    }

    /** Drives a component's mouse handlers the way a pointer would. */
    struct Pointer
    {
        juce::Component& target;

        void press (int x, int y) { target.mouseDown (mouseAt (target, x, y, juce::ModifierKeys::leftButtonModifier)); }
        void drag (int x, int y) { target.mouseDrag (mouseAt (target, x, y, juce::ModifierKeys::leftButtonModifier)); }
        void release (int x, int y) { target.mouseUp (mouseAt (target, x, y)); }
        void move (int x, int y) { target.mouseMove (mouseAt (target, x, y)); }

        void click (int x, int y)
        {
            press (x, y);
            release (x, y);
        }

        /** A click with Shift held: adds to a selection or takes out of it. */
        void shiftClick (int x, int y)
        {
            target.mouseDown (mouseAt (target, x, y, juce::ModifierKeys::shiftModifier | juce::ModifierKeys::leftButtonModifier));
            target.mouseUp (mouseAt (target, x, y, juce::ModifierKeys::shiftModifier));
        }

        void dragFromTo (int x0, int y0, int x1, int y1)
        {
            press (x0, y0);
            drag (x1, y1);
            release (x1, y1);
        }

        /** Two clicks and the double-click, in the order JUCE sends them. */
        void doubleClick (int x, int y)
        {
            click (x, y);
            target.mouseDown (mouseAt (target, x, y, juce::ModifierKeys::leftButtonModifier, 2));
            target.mouseUp (mouseAt (target, x, y, {}, 2));
            target.mouseDoubleClick (mouseAt (target, x, y, {}, 2));
        }
    };

    /** The whole component, children included, as the screen would show it. */
    inline juce::Image snapshot (juce::Component& c)
    {
        return c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f);
    }

    /** True when two colours differ by at most tolerance in each channel. */
    inline bool near (juce::Colour a, juce::Colour b, int tolerance = 3)
    {
        return std::abs (a.getRed() - b.getRed()) <= tolerance && std::abs (a.getGreen() - b.getGreen()) <= tolerance
            && std::abs (a.getBlue() - b.getBlue()) <= tolerance && std::abs (a.getAlpha() - b.getAlpha()) <= tolerance;
    }

    /** The colour an ARGB colour shows when painted over an opaque background. */
    inline juce::Colour over (juce::Colour background, juce::uint32 argb)
    {
        return background.overlaidWith (juce::Colour (argb));
    }

    /** A processor and its editor, as a host creates them. */
    struct EditorFixture
    {
        CarvolinProcessor processor;
        std::unique_ptr<CarvolinEditor> editor { static_cast<CarvolinEditor*> (processor.createEditor()) };
    };

    /** The arrangement's lanes of an editor: where its pointer gestures go. */
    inline ArrangementView& lanes (CarvolinEditor& e) { return e.getArrangement(); }
} // namespace TestHelpers

//==============================================================================
/** Finds the editor's parts as a user finds them on screen: buttons by their
    text, the boxes, scroll bar and headers where they are, and the clips the
    lanes show. Nothing here reaches a private member.
*/
struct CarvolinEditorTestAccess
{
    static ArrangementView& lanes (CarvolinEditor& e) { return e.getArrangement(); }

    static auto& addTrackButton (CarvolinEditor& e) { return FindComponents::button (e, "+ Track"); }
    static auto& removeTrackButton (CarvolinEditor& e) { return FindComponents::button (e, "- Track"); }
    static auto& selectToolButton (CarvolinEditor& e) { return FindComponents::button (e, "Select"); }
    static auto& drawToolButton (CarvolinEditor& e) { return FindComponents::button (e, "Draw"); }
    static auto& dragToolButton (CarvolinEditor& e) { return FindComponents::button (e, "Drag"); }
    static auto& resizeToolButton (CarvolinEditor& e) { return FindComponents::button (e, "Resize"); }
    static auto& deleteButton (CarvolinEditor& e) { return FindComponents::button (e, "Delete"); }
    static auto& zoomInButton (CarvolinEditor& e) { return FindComponents::button (e, "+"); }
    static auto& zoomOutButton (CarvolinEditor& e) { return FindComponents::button (e, "-"); }
    static auto& saveMidiButton (CarvolinEditor& e) { return FindComponents::button (e, "Save MIDI"); }
    static auto& loadMidiButton (CarvolinEditor& e) { return FindComponents::button (e, "Load MIDI"); }
    static auto& undoButton (CarvolinEditor& e) { return FindComponents::button (e, "Undo"); }
    static auto& redoButton (CarvolinEditor& e) { return FindComponents::button (e, "Redo"); }
    static auto& midiOutButton (CarvolinEditor& e) { return FindComponents::button (e, "MIDI Out"); }

    /** "Play" in the standalone app ("Stop" while it plays). */
    static juce::TextButton& playButton (CarvolinEditor& e)
    {
        for (auto* b : FindComponents::all<juce::TextButton> (e))
            if (b->getButtonText() == "Play" || b->getButtonText() == "Stop")
                return *b;
        return FindComponents::button (e, "Play");
    }

    /** The arrangement's quantize box and its caption. */
    static juce::ComboBox& quantizeBox (CarvolinEditor& e) { return *FindComponents::all<juce::ComboBox> (lanes (e)).front(); }
    static juce::Label& quantizeLabel (CarvolinEditor& e) { return *FindComponents::all<juce::Label> (lanes (e)).front(); }

    static juce::ScrollBar& scrollBar (CarvolinEditor& e) { return *FindComponents::all<juce::ScrollBar> (lanes (e)).front(); }

    /** The track headers, in track order. */
    static std::vector<TrackComponent*> tracks (CarvolinEditor& e) { return FindComponents::all<TrackComponent> (e); }

    /** The component the clips lie in: a plain component over the lanes. */
    static juce::Component& clipContainer (CarvolinEditor& e)
    {
        for (auto* child : lanes (e).getChildren())
            if (typeid (*child) == typeid (juce::Component))
                return *child;

        ADD_FAILURE() << "no clip container";
        return lanes (e);
    }

    /** The clips the lanes show, in the arrangement's order (a clip being
        drawn, not yet in the arrangement, only when asked for).
    */
    static std::vector<ScoreComponent*> clips (CarvolinEditor& e, bool withTheOneDrawn = false)
    {
        std::vector<ScoreComponent*> shown;
        for (auto* clip : FindComponents::all<ScoreComponent> (lanes (e)))
            if (withTheOneDrawn || clip->getClip() != nullptr)
                shown.push_back (clip);
        return shown;
    }

    /** The clip the lanes show for a clip of the model. */
    static ScoreComponent* componentOf (CarvolinEditor& e, ClipId id)
    {
        for (auto* clip : clips (e))
            if (clip->getClip()->id == id)
                return clip;
        return nullptr;
    }

    /** The clip selected last (0 when none). */
    static ClipId selected (CarvolinEditor& e) { return lanes (e).getSelection().last(); }

    /** Selects one clip alone, as a click on it with the Select tool does; 0 clears the selection. */
    static void select (CarvolinEditor& e, ClipId id)
    {
        if (id == 0)
        {
            lanes (e).getCommands().clearSelection();
            return;
        }

        const auto tool = lanes (e).getTool();
        lanes (e).setTool (EditTool::Select);
        const auto at = componentOf (e, id)->getBounds().getCentre() + lanes (e).getArrangementArea().getPosition();
        TestHelpers::Pointer { lanes (e) }.click (at.x, at.y);
        lanes (e).setTool (tool);
    }

    /** The clip of the piano roll opened last, while the clip is there (0 otherwise). */
    static ClipId pianoRollClip (CarvolinEditor& e)
    {
        const auto* roll = e.getPianoRoll();
        return roll != nullptr && roll->isAttached() ? roll->getClipId() : 0;
    }

    /** Where a file dropped now would go: lane and quarter (-1 when nowhere), and the preview. */
    static int hoverTrackIndex (CarvolinEditor& e) { return lanes (e).getDropPlace().has_value() ? lanes (e).getDropPlace()->lane : -1; }
    static int hoverQuarter (CarvolinEditor& e) { return lanes (e).getDropPlace().has_value() ? lanes (e).getDropPlace()->quarter : -1; }
    static juce::Rectangle<int> hoverRect (CarvolinEditor& e) { return lanes (e).getDropPlace().has_value() ? lanes (e).getDropPlace()->preview : juce::Rectangle<int>(); }

    /** Adds a clip the way a restored one is added: into the model, as part
        of the state the test starts from (no undo step; the history is cleared).
        Returns its id.
    */
    static ClipId addClip (CarvolinEditor& e, int track, int startQ, int lengthQ, std::vector<ClipNote> notes = {})
    {
        auto& model = e.getModel();
        auto snapshot = *model.getSnapshot();
        const auto id = model.nextClipId();
        snapshot.clips.push_back (std::make_shared<const Clip> (Clip { id, { track, startQ, lengthQ, std::move (notes) } }));
        model.restore (std::move (snapshot));
        return id;
    }

    /** A clip as the lanes show it now (during a gesture, its preview). */
    static ClipData shown (CarvolinEditor& e, ClipId id) { return lanes (e).shownClip (id).value_or (ClipData {}); }

    /** A clip of the model, as it is now. */
    static ClipData clipData (CarvolinEditor& e, ClipId id)
    {
        const auto* clip = e.getModel().getSnapshot()->findClip (id);
        return clip != nullptr ? clip->data : ClipData {};
    }

    /** The clips of the model, in order. */
    static std::vector<ClipData> modelClips (CarvolinEditor& e)
    {
        std::vector<ClipData> result;
        for (const auto& clip : e.getModel().getSnapshot()->clips)
            result.push_back (clip->data);
        return result;
    }
};

/** What the arrangement paints over its lanes now, and the areas it asks to
    paint again for what changed since: the view's own bookkeeping, which no
    user sees but the repaint tests hold to what changed on screen.
*/
struct ArrangementViewTestAccess
{
    static auto look (const ArrangementView& v) { return v.currentLook(); }
    static auto changedAreas (const ArrangementView& v, const ArrangementView::Look& before) { return ArrangementView::changedAreas (before, v.currentLook()); }
};
