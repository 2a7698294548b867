#include "editor/TrackComponent.h"

#include "model/JuceCompat.h"
#include "ui/Palette.h"

TrackComponent::TrackComponent (int number, const std::function<void (juce::ComboBox&)>& populateInstruments)
    : trackNumber (number)
{
    addAndMakeVisible (nameLabel);
    nameLabel.setText ("Ch " + juce::String (trackNumber), juce::dontSendNotification);
    nameLabel.setFont (JuceCompat::plainFont (11.0f));
    nameLabel.setColour (juce::Label::textColourId, Palette::text);

    addAndMakeVisible (instrumentBox);
    instrumentBox.setTooltip ("The track's instrument");
    instrumentBox.setEditableText (false);
    instrumentBox.setJustificationType (juce::Justification::centred);
    instrumentBox.setColour (juce::ComboBox::textColourId, Palette::text);
    instrumentBox.setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xff0f1a1f));
    instrumentBox.setColour (juce::ComboBox::outlineColourId, Palette::control);

    jassert (populateInstruments != nullptr);
    if (populateInstruments != nullptr)
        populateInstruments (instrumentBox);

    // In the free space right of the caption; the editor turns it into the
    // arrangement's armed track.
    addAndMakeVisible (recordArm);

    setSize (200, 50);
}

TrackComponent::ArmButton::ArmButton()
    : juce::Button ("Record")
{
    setClickingTogglesState (false);
    setTooltip ("Arm this track for recording: what the MIDI input plays while the transport runs is recorded here");
}

void TrackComponent::ArmButton::paintButton (juce::Graphics& g, bool highlighted, bool)
{
    const auto circle = getLocalBounds().toFloat().reduced (2.0f);
    if (getToggleState())
    {
        g.setColour (juce::Colour (0xffe0281e));
        g.fillEllipse (circle);
    }

    g.setColour (highlighted || getToggleState() ? juce::Colour (0xffe0281e) : juce::Colour (0xff6b6b6b));
    g.drawEllipse (circle, 1.5f);
}

void TrackComponent::resized()
{
    nameLabel.setBounds (0, 0, 60, 20);
    instrumentBox.setBounds (0, 22, getWidth(), 20);
    recordArm.setBounds (getWidth() - 20, 2, 18, 18);
}
