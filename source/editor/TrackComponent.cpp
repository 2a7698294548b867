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
    instrumentBox.setEditableText (false);
    instrumentBox.setJustificationType (juce::Justification::centred);
    instrumentBox.setColour (juce::ComboBox::textColourId, Palette::text);
    instrumentBox.setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xff0f1a1f));
    instrumentBox.setColour (juce::ComboBox::outlineColourId, Palette::control);

    jassert (populateInstruments != nullptr);
    if (populateInstruments != nullptr)
        populateInstruments (instrumentBox);

    setSize (200, 50);
}

void TrackComponent::resized()
{
    nameLabel.setBounds (0, 0, 60, 20);
    instrumentBox.setBounds (0, 22, getWidth(), 20);
}
