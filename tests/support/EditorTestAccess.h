#pragma once

#include "editor/CarvolinEditor.h"
#include "pianoroll/PianoRollComponent.h"
#include "plugin/CarvolinProcessor.h"
#include "support/ModelPrinters.h"

#include <juce_gui_basics/juce_gui_basics.h>

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

/** Lets tests reach the editor's private controls and lists. */
struct CarvolinEditorTestAccess
{
    static auto& clips (CarvolinEditor& e) { return e.clips; }
    static auto& tracks (CarvolinEditor& e) { return e.tracks; }
    static auto& clipContainer (CarvolinEditor& e) { return e.clipContainer; }
    static auto& quantizeBox (CarvolinEditor& e) { return e.quantizeBox; }
    static auto& quantizeLabel (CarvolinEditor& e) { return e.quantizeLabel; }
    static auto& scrollBar (CarvolinEditor& e) { return e.timelineScrollBar; }
    static auto& addTrackButton (CarvolinEditor& e) { return e.addTrackButton; }
    static auto& removeTrackButton (CarvolinEditor& e) { return e.removeTrackButton; }
    static auto& selectToolButton (CarvolinEditor& e) { return e.selectToolButton; }
    static auto& drawToolButton (CarvolinEditor& e) { return e.drawToolButton; }
    static auto& dragToolButton (CarvolinEditor& e) { return e.dragToolButton; }
    static auto& resizeToolButton (CarvolinEditor& e) { return e.resizeToolButton; }
    static auto& deleteButton (CarvolinEditor& e) { return e.deleteButton; }
    static auto& zoomInButton (CarvolinEditor& e) { return e.zoomInButton; }
    static auto& zoomOutButton (CarvolinEditor& e) { return e.zoomOutButton; }
    static auto& saveMidiButton (CarvolinEditor& e) { return e.saveMidiButton; }
    static auto& loadMidiButton (CarvolinEditor& e) { return e.loadMidiButton; }
    static auto& undoButton (CarvolinEditor& e) { return e.undoButton; }
    static auto& midiOutButton (CarvolinEditor& e) { return e.midiOutButton; }
    static auto& playButton (CarvolinEditor& e) { return e.playButton; }
    static void timerCallback (CarvolinEditor& e) { e.timerCallback(); }
    static auto& redoButton (CarvolinEditor& e) { return e.redoButton; }
    static void setSelectedClip (CarvolinEditor& e, ScoreComponent* clip)
    {
        if (clip != nullptr)
            e.selection.selectOnly (clip->clipId);
        else
            e.selection.clear();
    }
    static int hoverTrackIndex (CarvolinEditor& e) { return e.hoverTrackIndex; }
    static int hoverQuarter (CarvolinEditor& e) { return e.hoverQuarter; }
    static juce::Rectangle<int> hoverRect (CarvolinEditor& e) { return e.hoverRect; }
    static bool fileDragHover (CarvolinEditor& e) { return e.fileDragHover; }

    /** What the editor paints over its lanes now, and the areas it asks to paint again for what changed since. */
    static auto look (const CarvolinEditor& e) { return e.currentLook(); }
    static auto changedAreas (const CarvolinEditor& e, const CarvolinEditor::Look& before) { return CarvolinEditor::changedAreas (before, e.currentLook()); }

    /** Adds a clip the way a restored one is added: into the model, as part
        of the state the test starts from (no undo step; the history is cleared).
    */
    static ScoreComponent& addClip (CarvolinEditor& e, int track, int startQ, int lengthQ, std::vector<ClipNote> notes = {})
    {
        auto& model = e.getModel();
        auto snapshot = *model.getSnapshot();
        const auto id = model.nextClipId();
        snapshot.clips.push_back (std::make_shared<const Clip> (Clip { id, { track, startQ, lengthQ, std::move (notes) } }));
        model.restore (std::move (snapshot));
        return *e.findClip (id);
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
} // namespace TestHelpers
