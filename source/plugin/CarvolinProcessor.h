#pragma once

#include "model/ArrangementModel.h"
#include "model/EditingSession.h"
#include "playback/Playback.h"
#include "playback/Recorder.h"
#include "plugin/StandaloneAutosave.h"
#include "ui/Document.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

//==============================================================================
/**
    The plug-in's audio processor. It makes no sound; with "MIDI Out" on it
    plays the arrangement through its MIDI output in time with the host, and
    otherwise passes no MIDI on. It owns the arrangement (the model, with its
    undo history), so that the arrangement outlives the editor, and turns it
    into the host's state blob and back.

    Hosts may ask for the state from any thread: the blob is made from one
    immutable snapshot, under a lock the audio callback never takes.
*/
class CarvolinProcessor final : public juce::AudioProcessor,
                                public Document
{
public:
    CarvolinProcessor();
    ~CarvolinProcessor() override;

    //==============================================================================
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;
    using juce::AudioProcessor::processBlockBypassed;

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
    /** The arrangement: what the editor shows and changes. */
    ArrangementModel& getModel() noexcept override { return model; }

    /** The clipboard and what else the editing views keep between windows
        (message thread only).
    */
    EditingSession& getSession() noexcept override { return editingSession; }

    /** Playback through MIDI out: the audio thread's side, the standalone
        app's transport, the playhead's position, the notes the piano roll sounds.
    */
    Playback& getPlayback() noexcept override { return playback; }

    Recorder& getRecorder() noexcept override { return recorder; }

    bool hasOwnTransport() const noexcept override { return wrapperType == wrapperType_Standalone; }

    /** The state document the host gets now: the one the host handed over, as
        long as nothing changed since; else the document of the arrangement as
        it stands. Null while there is nothing to store (a fresh processor, or
        a refused blob, and no change since).
    */
    std::shared_ptr<const juce::XmlElement> getSavedState() const;

    /** Takes a state document as a host's blob would hand it over: the
        arrangement and the MIDI folder come from it, and the undo history is
        cleared. A document with another root is kept but restores nothing.
    */
    void setSavedState (std::unique_ptr<juce::XmlElement> newState);

    /** The full path of the MIDI folder that travels with the state; empty when not set. */
    juce::String getMidiFolderPath() const override;

    void setMidiFolderPath (const juce::String& newPath) override;

private:
    void restoreFrom (std::shared_ptr<const juce::XmlElement> document);
    void tellHostTheStateChanged();

    ArrangementModel model;
    EditingSession editingSession;
    Playback playback;
    Recorder recorder { model, playback };
    std::unique_ptr<StandaloneAutosave> autosave; // the standalone app only

    mutable juce::CriticalSection stateLock;
    juce::String midiFolderPath;

    // What the host handed over last, and the arrangement and folder it gave:
    // while they are unchanged, the host gets that document back as it was.
    struct Baseline
    {
        std::shared_ptr<const juce::XmlElement> document;
        SnapshotPtr snapshot;
        juce::String midiFolderPath;
    };
    Baseline baseline;

    // The document and blob made last, for the snapshot and folder they were
    // made from: asking twice without a change costs a copy.
    mutable Baseline cache;
    mutable juce::MemoryBlock cachedBlob;
    mutable std::shared_ptr<const juce::XmlElement> cachedBlobDocument;

    std::shared_ptr<const juce::XmlElement> currentDocument() const;

    JUCE_DECLARE_WEAK_REFERENCEABLE (CarvolinProcessor)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CarvolinProcessor)
};
