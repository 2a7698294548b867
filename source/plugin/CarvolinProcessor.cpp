#include "plugin/CarvolinProcessor.h"

#include "editor/CarvolinEditor.h"
#include "model/StateBlob.h"
#include "model/StateDocument.h"
#include "plugin/StandaloneAutosave.h"

//==============================================================================
CarvolinProcessor::CarvolinProcessor()
    : juce::AudioProcessor (BusesProperties().withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    // Nothing to store until the host hands a state over or the user changes something.
    baseline.snapshot = model.getSnapshot();

    model.onNewSnapshot = [this] (SnapshotPtr snapshot, bool replacedByHost) { playback.snapshotChanged (std::move (snapshot), replacedByHost); };

    // Every change the user makes marks the host's project as changed (VST3
    // setDirty, LV2 state:StateChanged), so that closing it asks to save.
    model.onUserChange = [this] { tellHostTheStateChanged(); };

    // The standalone app has no host to save it: it keeps its state in its
    // settings file as it goes.
    if (wrapperType == wrapperType_Standalone)
    {
        auto* app = juce::JUCEApplicationBase::getInstance();
        autosave = std::make_unique<StandaloneAutosave> (StandaloneAutosave::settingsFileOf (app != nullptr ? app->getApplicationName() : "Carvolin"), [this] {
            juce::MemoryBlock blob;
            getStateInformation (blob);
            return blob;
        });
    }
}

CarvolinProcessor::~CarvolinProcessor() = default;

//==============================================================================
void CarvolinProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    playback.prepare (sampleRate, samplesPerBlock, wrapperType == wrapperType_Standalone);
}
void CarvolinProcessor::releaseResources() {}

bool CarvolinProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto& output = layouts.getMainOutputChannelSet();
    return output == juce::AudioChannelSet::mono() || output == juce::AudioChannelSet::stereo();
}

void CarvolinProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    juce::ScopedNoDenormals noDenormals;
    buffer.clear();
    playback.process (getPlayHead(), buffer.getNumSamples(), midiMessages);
}

void CarvolinProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    buffer.clear();
    playback.processBypassed (midiMessages);
}

//==============================================================================
juce::AudioProcessorEditor* CarvolinProcessor::createEditor() { return new CarvolinEditor (*this, *this); }
bool CarvolinProcessor::hasEditor() const { return true; }

//==============================================================================
const juce::String CarvolinProcessor::getName() const { return "Carvolin"; }
bool CarvolinProcessor::acceptsMidi() const { return true; }
bool CarvolinProcessor::producesMidi() const { return true; }
bool CarvolinProcessor::isMidiEffect() const { return false; }
double CarvolinProcessor::getTailLengthSeconds() const { return 0.0; }

//==============================================================================
int CarvolinProcessor::getNumPrograms() { return 1; }
int CarvolinProcessor::getCurrentProgram() { return 0; }
void CarvolinProcessor::setCurrentProgram (int) {}
const juce::String CarvolinProcessor::getProgramName (int) { return {}; }
void CarvolinProcessor::changeProgramName (int, const juce::String&) {}

//==============================================================================
void CarvolinProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    // Notes just played are in the state a host saves right after.
    if (juce::MessageManager::existsAndIsCurrentThread())
        recorder.update();

    const juce::ScopedLock lock (stateLock);
    const auto document = currentDocument();
    if (document == nullptr)
        return;

    if (document != cachedBlobDocument)
    {
        cachedBlob.reset();
        copyXmlToBinary (*document, cachedBlob);
        cachedBlobDocument = document;
    }

    destData = cachedBlob;
}

void CarvolinProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    restoreFrom (StateBlob::decode (data, sizeInBytes));
}

void CarvolinProcessor::setSavedState (std::unique_ptr<juce::XmlElement> newState)
{
    restoreFrom (std::move (newState));
}

void CarvolinProcessor::restoreFrom (std::shared_ptr<const juce::XmlElement> document)
{
    // The arrangement of a document of ours; a refused blob or another root
    // gives a new one (a document with another root is still handed back as
    // it came).
    auto arrangement = StateDocument::read (document.get());

    const juce::ScopedLock lock (stateLock);

    if (StateDocument::isStateDocument (document.get()))
        midiFolderPath = document->getStringAttribute (StateDocument::midiFolderAttribute);

    model.restore (std::move (arrangement));
    baseline = { std::move (document), model.getSnapshot(), midiFolderPath };
}

std::shared_ptr<const juce::XmlElement> CarvolinProcessor::currentDocument() const
{
    const auto snapshot = model.getSnapshot();

    if (snapshot == baseline.snapshot && midiFolderPath == baseline.midiFolderPath)
        return baseline.document;

    if (snapshot != cache.snapshot || midiFolderPath != cache.midiFolderPath || cache.document == nullptr)
        cache = { StateDocument::write (*snapshot, midiFolderPath), snapshot, midiFolderPath };

    return cache.document;
}

void CarvolinProcessor::tellHostTheStateChanged()
{
    const auto details = juce::AudioProcessorListener::ChangeDetails().withNonParameterStateChanged (true);

    if (juce::MessageManager::existsAndIsCurrentThread())
    {
        updateHostDisplay (details);
        if (autosave != nullptr)
            autosave->changed();
        return;
    }

    juce::MessageManager::callAsync ([safe = juce::WeakReference<CarvolinProcessor> (this), details] {
        if (auto* processor = safe.get())
        {
            processor->updateHostDisplay (details);
            if (processor->autosave != nullptr)
                processor->autosave->changed();
        }
    });
}

//==============================================================================
std::shared_ptr<const juce::XmlElement> CarvolinProcessor::getSavedState() const
{
    const juce::ScopedLock lock (stateLock);
    return currentDocument();
}

juce::String CarvolinProcessor::getMidiFolderPath() const
{
    const juce::ScopedLock lock (stateLock);
    return midiFolderPath;
}

void CarvolinProcessor::setMidiFolderPath (const juce::String& newPath)
{
    const juce::ScopedLock lock (stateLock);
    midiFolderPath = newPath;
}

//==============================================================================
// The factory that every plug-in format and the standalone wrapper call.
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new CarvolinProcessor();
}
