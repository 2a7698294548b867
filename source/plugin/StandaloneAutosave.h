#pragma once

#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>

#include <functional>

//==============================================================================
/** The standalone app keeps the plug-in's state in its settings file, which
    JUCE's standalone window writes only when it closes. This writes the same
    entry ("filterState", the state blob in base64) within about a second of
    each change, on the message thread, so a crash or a kill loses at most
    the last second. The file's other entries (the audio settings) are kept.
*/
class StandaloneAutosave final : private juce::Timer
{
public:
    /** settingsFile: the file the standalone window reads its state from;
        state: the blob to keep, asked for on the message thread.
    */
    StandaloneAutosave (juce::File settingsFile, std::function<juce::MemoryBlock()> state);
    ~StandaloneAutosave() override;

    /** Message thread: something changed; it is written soon (changes close together are written once). */
    void changed();

    /** The settings file JUCE's standalone window uses for an application of this name. */
    static juce::File settingsFileOf (const juce::String& applicationName);

    /** Delay between a change and the write. */
    static constexpr int delayMs = 500;

private:
    void timerCallback() override;

    juce::File file;
    std::function<juce::MemoryBlock()> getState;
};
