#include "support/EditorTestAccess.h"
#include "support/PianoRollTestAccess.h"
#include "support/ScriptedPlayHead.h"

#include "model/StateDocument.h"

#include <gtest/gtest.h>

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    juce::String documentText (CarvolinProcessor& p)
    {
        auto document = p.getSavedState();
        return document == nullptr ? juce::String() : document->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
    }
} // namespace

TEST (MidiOutSwitch, IsAChangeOfTheArrangementKeptWithIt)
{
    CarvolinProcessor processor;
    {
        std::unique_ptr<CarvolinEditor> editor (static_cast<CarvolinEditor*> (processor.createEditor()));
        auto& button = Access::midiOutButton (*editor);
        EXPECT_EQ (button.getBounds(), juce::Rectangle<int> (10, 90, 90, 30)) << "in the header box, below undo and redo";
        EXPECT_FALSE (button.getToggleState()) << "off by default";
        EXPECT_FALSE (Access::playButton (*editor).isVisible()) << "the host's transport plays a plug-in";

        click (button);
        EXPECT_TRUE (processor.getModel().getSnapshot()->midiOut);
        EXPECT_TRUE (documentText (processor).contains ("midiOut=\"1\""));

        lanes (*editor).getCommands().undo();
        EXPECT_FALSE (button.getToggleState());
        EXPECT_FALSE (documentText (processor).contains ("midiOut")) << "written only when on";
        lanes (*editor).getCommands().redo();
    }

    // A new editor shows it on; a document carrying it turns it on.
    std::unique_ptr<CarvolinEditor> editor (static_cast<CarvolinEditor*> (processor.createEditor()));
    EXPECT_TRUE (Access::midiOutButton (*editor).getToggleState());

    CarvolinProcessor other;
    other.setSavedState (juce::parseXML (juce::String (R"(<CarvolinState midiOut="1"/>)")));
    EXPECT_TRUE (other.getModel().getSnapshot()->midiOut);
    other.setSavedState (juce::parseXML (juce::String (R"(<CarvolinState/>)")));
    EXPECT_FALSE (other.getModel().getSnapshot()->midiOut);
}

TEST (Playhead, ALineMarksWherePlaybackIsAndOnlyItsPlacesArePainted)
{
    EditorFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 1, 0, 8, { { 60, 0, 960, 100 } });
    f.processor.getModel().perform ("On", [] (ArrangementModel::Edit& edit) { edit.setMidiOut (true); });
    ASSERT_TRUE (f.processor.getPlayback().waitForPlan (5000));

    ScriptedPlayHead head;
    f.processor.setPlayHead (&head);
    f.processor.prepareToPlay (48000.0, 480);
    juce::AudioBuffer<float> audio (2, 480);
    juce::MidiBuffer midi;

    // Quarter 4 at 32 bars: x = 210 + 4 * 880 / 128 = 237 (plus the block's 480 samples).
    head.ppq = 4.0 - 480.0 / 24000.0;
    f.processor.processBlock (audio, midi);
    pumpMessages (100); // the playhead's timer
    const auto image = snapshot (e);
    EXPECT_EQ (image.getPixelAt (237, 300), juce::Colours::white);
    EXPECT_NE (image.getPixelAt (239, 300), juce::Colours::white);

    // Inside the open piano roll's clip, the roll shows it over its grid.
    e.openPianoRoll (Access::clips (e)[0]->getClip()->id);
    pumpMessages (100); // the playhead's timer
    const auto roll = snapshot (*e.getPianoRoll());
    EXPECT_EQ (roll.getPixelAt (60 + 4 * 1040 / 8, 300), juce::Colours::white);

    // Stopped: the line goes.
    e.getPianoRoll()->close();
    f.processor.setPlayHead (nullptr);
    f.processor.processBlockBypassed (audio, midi);
    pumpMessages (100); // the playhead's timer
    EXPECT_NE (snapshot (e).getPixelAt (237, 300), juce::Colours::white);
}

TEST (Playhead, NotesPressedInThePianoRollSound)
{
    EditorFixture f;
    auto& e = *f.editor;
    Access::addClip (e, 5, 0, 4);
    f.processor.getModel().perform ("On", [] (ArrangementModel::Edit& edit) { edit.setMidiOut (true); });
    ASSERT_TRUE (f.processor.getPlayback().waitForPlan (5000));
    f.processor.prepareToPlay (48000.0, 64);

    e.openPianoRoll (Access::clips (e)[0]->getClip()->id);
    Pointer pointer { *e.getPianoRoll() };
    const auto heard = [&f] {
        juce::AudioBuffer<float> audio (2, 64);
        juce::MidiBuffer midi;
        f.processor.processBlock (audio, midi);
        juce::StringArray events;
        for (const auto metadata : midi)
            events.add (metadata.getMessage().getDescription());
        return events.joinIntoString (", ");
    };

    // Drawing a note of key 98: it sounds on the clip's channel while pressed.
    pointer.press (61, 50 + 10 * 12 + 6);
    EXPECT_EQ (heard(), "Note on D6 Velocity 100 Channel 5");
    pointer.release (61, 50 + 10 * 12 + 6);
    EXPECT_EQ (heard(), "Note off D6 Velocity 0 Channel 5");

    // Pressing it with the Select tool sounds it again.
    e.getPianoRoll()->setTool (NoteTool::Select);
    pointer.click (63, 50 + 10 * 12 + 6);
    EXPECT_EQ (heard(), "Note on D6 Velocity 100 Channel 5, Note off D6 Velocity 0 Channel 5");
}
