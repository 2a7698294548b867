#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

//==============================================================================
/**
    The plug-in's audio processor. It makes no sound and passes no MIDI on; its
    job is to keep the arrangement's state document between editor lifetimes and
    to turn it into the host's state blob and back.

    Hosts may ask for the state from any thread, so the stored document and the
    MIDI folder path sit behind a lock. The audio callback never takes it.
*/
class CarvolinProcessor final : public juce::AudioProcessor
{
public:
    CarvolinProcessor();
    ~CarvolinProcessor() override;

    //==============================================================================
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;

    //==============================================================================
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    //==============================================================================
    const juce::String getName() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;
    double getTailLengthSeconds() const override;

    //==============================================================================
    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    //==============================================================================
    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    //==============================================================================
    /** The last state document, or null. The document is never changed once
        stored, so the caller may read it while another thread replaces it.
    */
    std::shared_ptr<const juce::XmlElement> getSavedState() const;

    /** Replaces the stored state document. */
    void setSavedState (std::unique_ptr<juce::XmlElement> newState);

    /** Replaces the stored state document and the MIDI folder path in one step,
        so that a host never sees one without the other.
    */
    void setSavedState (std::unique_ptr<juce::XmlElement> newState, const juce::String& newMidiFolderPath);

    /** The full path of the MIDI folder that travels with the state; empty when not set. */
    juce::String getMidiFolderPath() const;

    void setMidiFolderPath (const juce::String& newPath);

private:
    mutable juce::CriticalSection stateLock;
    juce::String midiFolderPath;
    std::shared_ptr<const juce::XmlElement> savedState;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CarvolinProcessor)
};
