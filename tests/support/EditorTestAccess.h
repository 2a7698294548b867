#pragma once

#include "editor/CarvolinEditor.h"
#include "plugin/CarvolinProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace juce
{
    /** Readable rectangles in test failures. */
    template <typename T>
    void PrintTo (const Rectangle<T>& r, std::ostream* os) { *os << r.toString(); }

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
    static void setSelectedClip (CarvolinEditor& e, ScoreComponent* clip) { e.selectedClip = clip; }

    /** Adds a clip the way a restored one is added, and lays the editor out. */
    static ScoreComponent& addClip (CarvolinEditor& e, int track, int startQ, int lengthQ, std::vector<ClipNote> notes = {})
    {
        auto clip = std::make_unique<ScoreComponent> (track, startQ, lengthQ);
        clip->notes = std::move (notes);
        e.clipContainer.addAndMakeVisible (*clip);
        e.clips.push_back (std::move (clip));
        e.resized();
        return *e.clips.back();
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

    /** Clicks a button through its real click path and waits for it. */
    inline void click (juce::Button& button)
    {
        button.triggerClick();
        pumpMessages();
    }

    /** A processor and its editor, as a host creates them. */
    struct EditorFixture
    {
        CarvolinProcessor processor;
        std::unique_ptr<CarvolinEditor> editor { static_cast<CarvolinEditor*> (processor.createEditor()) };
    };
} // namespace TestHelpers
