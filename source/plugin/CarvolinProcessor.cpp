#include "plugin/CarvolinProcessor.h"

#include "editor/CarvolinEditor.h"
#include "model/StateDocument.h"

//==============================================================================
CarvolinProcessor::CarvolinProcessor()
    : juce::AudioProcessor (BusesProperties().withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
}

CarvolinProcessor::~CarvolinProcessor() = default;

//==============================================================================
void CarvolinProcessor::prepareToPlay (double, int) {}
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
    midiMessages.clear();
}

//==============================================================================
juce::AudioProcessorEditor* CarvolinProcessor::createEditor() { return new CarvolinEditor (*this); }
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
    // Take a share of the document and serialise it outside the lock: the
    // editor may store a new one meanwhile without waiting for us.
    if (auto state = getSavedState())
        copyXmlToBinary (*state, destData);
}

void CarvolinProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // As getXmlFromBinary decodes, but text that JUCE's XML parser cannot read
    // safely (not UTF-8, not of the plain shape JUCE writes) is refused first.
    std::shared_ptr<const juce::XmlElement> decoded = StateDocument::decodeBlob (data, sizeInBytes);

    const juce::ScopedLock lock (stateLock);
    savedState = decoded;

    // A document with another root is kept as it is but says nothing about the folder.
    if (StateDocument::isStateDocument (decoded.get()))
        midiFolderPath = decoded->getStringAttribute (StateDocument::midiFolderAttribute);
}

//==============================================================================
std::shared_ptr<const juce::XmlElement> CarvolinProcessor::getSavedState() const
{
    const juce::ScopedLock lock (stateLock);
    return savedState;
}

void CarvolinProcessor::setSavedState (std::unique_ptr<juce::XmlElement> newState)
{
    std::shared_ptr<const juce::XmlElement> shared = std::move (newState);
    const juce::ScopedLock lock (stateLock);
    savedState.swap (shared);
    // The previous document is released here, after the lock, when `shared` goes.
}

void CarvolinProcessor::setSavedState (std::unique_ptr<juce::XmlElement> newState, const juce::String& newMidiFolderPath)
{
    std::shared_ptr<const juce::XmlElement> shared = std::move (newState);
    const juce::ScopedLock lock (stateLock);
    savedState.swap (shared);
    midiFolderPath = newMidiFolderPath;
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
