#include "support/EditorTestAccess.h"

#include "model/StateDocument.h"
#include "support/ScriptedPlayHead.h"

#include <gtest/gtest.h>

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

TEST (RecordArm, OneTrackAtATimeUndoableAndKeptWithTheArrangement)
{
    CarvolinProcessor processor;
    auto& model = processor.getModel();
    std::unique_ptr<CarvolinEditor> editor (static_cast<CarvolinEditor*> (processor.createEditor()));
    const auto arm = [&editor] (int track) -> juce::Button& { return Access::tracks (*editor)[(size_t) track - 1]->recordArm; };
    const auto armedButtons = [&editor] {
        std::vector<int> on;
        for (auto* t : Access::tracks (*editor))
            if (t->recordArm.getToggleState())
                on.push_back (t->getTrackNumber());
        return on;
    };

    // None armed at first; each toggle in the free space right of its caption.
    EXPECT_TRUE (armedButtons().empty());
    for (auto* t : Access::tracks (*editor))
    {
        EXPECT_FALSE (t->recordArm.getBounds().intersects (t->nameLabel.getBounds()) || t->recordArm.getBounds().intersects (t->instrumentBox.getBounds()));
        EXPECT_TRUE (t->getLocalBounds().contains (t->recordArm.getBounds()));
    }

    click (arm (2));
    EXPECT_EQ (model.getSnapshot()->recordTrack, 2);
    click (arm (3));
    EXPECT_EQ (model.getSnapshot()->recordTrack, 3);
    EXPECT_EQ (armedButtons(), std::vector<int> { 3 }) << "one track at a time";
    click (arm (3));
    EXPECT_EQ (model.getSnapshot()->recordTrack, 0);

    model.undo();
    EXPECT_EQ (armedButtons(), std::vector<int> { 3 });
    EXPECT_EQ (StateDocument::write (*model.getSnapshot(), {})->getIntAttribute ("recordTrack"), 3);

    // Closing and reopening the editor shows it again; removing the track disarms.
    editor.reset (static_cast<CarvolinEditor*> (processor.createEditor()));
    EXPECT_EQ (armedButtons(), std::vector<int> { 3 });
    click (Access::removeTrackButton (*editor));
    click (Access::removeTrackButton (*editor));
    EXPECT_EQ (model.getSnapshot()->recordTrack, 0);
}

TEST (RecordArm, TheDocumentSaysWhichTrackOnlyWhenOneIs)
{
    struct Case
    {
        const char* document;
        int armed;
    };

    const Case cases[] { { "<CarvolinState/>", 0 }, { R"(<CarvolinState recordTrack="2"/>)", 2 }, { R"(<CarvolinState recordTrack="0"/>)", 0 }, { R"(<CarvolinState recordTrack="5"/>)", 0 }, { R"(<CarvolinState tracks="6" recordTrack="5"/>)", 5 }, { R"(<CarvolinState recordTrack="-1"/>)", 0 }, { R"(<CarvolinState recordTrack="x"/>)", 0 } };

    for (const auto& c : cases)
    {
        const auto arrangement = StateDocument::read (juce::parseXML (juce::String (c.document)).get());
        EXPECT_EQ (arrangement.recordTrack, c.armed) << c.document;

        const auto written = StateDocument::write (arrangement, {});
        EXPECT_EQ (written->hasAttribute ("recordTrack"), c.armed != 0) << c.document;
        EXPECT_EQ (StateDocument::read (written.get()).recordTrack, c.armed) << c.document;
    }
}

TEST (RecordArm, WhatCameInTooFastToBeRecordedIsSaid)
{
    // More notes in one block than the queue to the message thread holds
    // (it holds a thousand a second through the longest block, and more).
    EditorFixture f;
    std::vector<juce::String> messages;
    f.editor->getDialogs().showMessage = [&messages] (auto, const juce::String& title, const juce::String& text) { messages.push_back (title + ": " + text); };
    f.processor.setSavedState (juce::parseXML (juce::String (R"(<CarvolinState recordTrack="1"/>)")));
    ASSERT_TRUE (f.processor.getPlayback().waitForPlan (5000));

    ScriptedPlayHead head;
    f.processor.setPlayHead (&head);
    f.processor.prepareToPlay (48000.0, 8192);
    juce::AudioBuffer<float> audio (2, 8192);
    juce::MidiBuffer midi;
    for (int i = 0; i < 4000; ++i)
    {
        midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), i * 2);
        midi.addEvent (juce::MidiMessage::noteOff (1, 60), i * 2 + 1);
    }
    f.processor.processBlock (audio, midi);
    f.processor.setPlayHead (nullptr);

    const auto dropped = f.processor.getRecorder().getNumDropped();
    EXPECT_GT (dropped, 0);
    for (int i = 0; i < 40 && messages.empty(); ++i)
        pumpMessages (50); // the editor's timer
    ASSERT_EQ (messages.size(), 1u);
    EXPECT_EQ (messages[0], "Recording: Some of what was played came in faster than it could be recorded: " + juce::String (dropped) + " note events were lost.");
}
