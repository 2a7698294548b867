#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

//==============================================================================
/** One track header: the caption "Ch n", the instrument box, and the small
    round toggle that arms the track for recording (red while armed). The
    dark column behind it is painted by the editor.
*/
class TrackComponent final : public juce::Component
{
public:
    /** Builds the header for track number trackNumber (counted from 1). The
        populateInstruments function fills the instrument box; it is called once
        and not kept.
    */
    TrackComponent (int trackNumber, const std::function<void (juce::ComboBox&)>& populateInstruments);

    void resized() override;

    int getTrackNumber() const noexcept { return trackNumber; }

    juce::ComboBox instrumentBox;
    juce::Label nameLabel;

    /** A toggle drawn as a small circle, filled red when on. */
    struct ArmButton final : public juce::Button
    {
        ArmButton();
        void paintButton (juce::Graphics& g, bool highlighted, bool down) override;
    };

    ArmButton recordArm;

private:
    const int trackNumber;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TrackComponent)
};
