#include "support/EditorTestAccess.h"
#include "support/MidiBytes.h"
#include "support/PianoRollTestAccess.h"

#include <gtest/gtest.h>

#include <thread>

// The host hears that the project changed after every change the user makes
// (VST3 setDirty, LV2 state:StateChanged), once per change, and never for what
// does not change the saved state.

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    /** What a host's listener hears: notices that the state changed. */
    struct HostListener final : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}

        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
        {
            if (details.nonParameterStateChanged)
                ++stateChanges;
        }

        int stateChanges = 0;
    };

    /** A processor with a host listening, and an editor on two clips. */
    struct Listened : EditorFixture
    {
        Listened()
        {
            editor->getDialogs().showMessage = [] (auto, auto&, auto&) {};
            Access::addClip (*editor, 1, 0, 4, { { 90, 0, 960, 100 } });
            Access::addClip (*editor, 2, 8, 4);
            processor.addListener (&host);
        }

        ~Listened() { processor.removeListener (&host); }

        HostListener host;
    };

    using Action = std::function<void (Listened&)>;
} // namespace

TEST (HostNotification, OneNoticeForEveryChangeTheUserMakes)
{
    const std::pair<const char*, Action> cases[] = {
        { "draw a clip", [] (Listened& f) {
             lanes (*f.editor).setTool (EditTool::Draw);
             Pointer { lanes (*f.editor) }.dragFromTo (quarterX (20) + 1, laneY (2), quarterX (23) + 1, laneY (2));
         } },
        { "move a clip", [] (Listened& f) { Pointer { lanes (*f.editor) }.dragFromTo (quarterX (1), laneY (0), quarterX (17), laneY (3)); } },
        { "delete a clip", [] (Listened& f) {
             Pointer { lanes (*f.editor) }.click (quarterX (1), laneY (0));
             f.editor->keyPressed (juce::KeyPress (juce::KeyPress::deleteKey));
         } },
        { "add a track", [] (Listened& f) { click (Access::addTrackButton (*f.editor)); } },
        { "choose an instrument", [] (Listened& f) { Access::tracks (*f.editor)[1]->instrumentBox.setSelectedId (7, juce::sendNotificationSync); } },
        { "MIDI Out", [] (Listened& f) { click (Access::midiOutButton (*f.editor)); } },
        { "a note drawn in the piano roll", [] (Listened& f) {
             f.editor->openPianoRoll (Access::clips (*f.editor)[0]->getClip()->id);
             f.host.stateChanges = 0;
             Pointer { *f.editor->getPianoRoll() }.click (61, 50 + 10 * 12 + 6);
         } },
        { "an undo", [] (Listened& f) {
             click (Access::addTrackButton (*f.editor));
             f.host.stateChanges = 0;
             f.editor->keyPressed (ctrl ('Z'));
         } },
        { "a redo", [] (Listened& f) {
             click (Access::addTrackButton (*f.editor));
             lanes (*f.editor).getCommands().undo();
             f.host.stateChanges = 0;
             click (Access::redoButton (*f.editor));
         } },
    };

    for (const auto& [name, action] : cases)
    {
        Listened f;
        action (f);
        pumpMessages();
        EXPECT_EQ (f.host.stateChanges, 1) << name;
    }
}

TEST (HostNotification, NoNoticeForWhatTheStateDoesNotKeep)
{
    const std::pair<const char*, Action> cases[] = {
        { "opening and closing an editor", [] (Listened& f) {
             f.editor.reset();
             f.editor.reset (static_cast<CarvolinEditor*> (f.processor.createEditor()));
         } },
        { "selecting", [] (Listened& f) {
             Pointer { lanes (*f.editor) }.click (quarterX (1), laneY (0));
             Pointer { lanes (*f.editor) }.shiftClick (quarterX (9), laneY (1));
             f.editor->keyPressed (ctrl ('A'));
             f.editor->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
             Pointer { lanes (*f.editor) }.dragFromTo (quarterX (30), laneY (3), quarterX (0) + 1, laneY (0));
         } },
        { "a click on a clip that moves nothing", [] (Listened& f) { Pointer { lanes (*f.editor) }.dragFromTo (quarterX (1), laneY (0), quarterX (1) + 1, laneY (0)); } },
        { "scrolling and zooming", [] (Listened& f) {
             click (Access::zoomInButton (*f.editor));
             click (Access::zoomOutButton (*f.editor));
             juce::MouseWheelDetails wheel {};
             wheel.deltaY = -1.0f;
             lanes (*f.editor).mouseWheelMove (mouseAt (lanes (*f.editor), 500, laneY (0)), wheel);
             lanes (*f.editor).mouseWheelMove (mouseAt (lanes (*f.editor), 500, laneY (0), juce::ModifierKeys::ctrlModifier), wheel);
             lanes (*f.editor).setTool (EditTool::Drag);
             Pointer { lanes (*f.editor) }.dragFromTo (600, laneY (1), 300, laneY (1));
         } },
        { "tools, quantize and hovering", [] (Listened& f) {
             f.editor->keyPressed (juce::KeyPress ('2'));
             click (Access::resizeToolButton (*f.editor));
             Access::quantizeBox (*f.editor).setSelectedId (5, juce::sendNotificationSync);
             Pointer { lanes (*f.editor) }.move (quarterX (3), laneY (0));
         } },
        { "a piano roll opened, looked at and closed", [] (Listened& f) {
             Pointer { lanes (*f.editor) }.doubleClick (quarterX (1), laneY (0));
             auto& roll = *f.editor->getPianoRoll();
             roll.setTool (NoteTool::Select);
             Pointer { roll }.click (61, 50 + 18 * 12 + 6);
             roll.keyPressed (ctrl ('A'));
             roll.setVelocityLaneShown (true);
             roll.close();
         } },
        { "the host's own state", [] (Listened& f) {
             juce::MemoryBlock blob;
             f.processor.getStateInformation (blob);
             f.processor.setStateInformation (blob.getData(), (int) blob.getSize());
             f.processor.getStateInformation (blob);
         } },
    };

    for (const auto& [name, action] : cases)
    {
        Listened f;
        action (f);
        pumpMessages();
        EXPECT_EQ (f.host.stateChanges, 0) << name;
    }
}

TEST (HostNotification, AStateSetOnAHostThreadTellsNothing)
{
    Listened f;
    juce::MemoryBlock blob;
    f.processor.getStateInformation (blob);

    std::thread host ([&] { f.processor.setStateInformation (blob.getData(), (int) blob.getSize()); });
    host.join();
    pumpMessages (100);
    EXPECT_EQ (f.host.stateChanges, 0);
    EXPECT_EQ (Access::clips (*f.editor).size(), 2u);
}
