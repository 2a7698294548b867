#include "plugin/StandaloneAutosave.h"

namespace
{
    juce::PropertiesFile::Options settingsOptions (const juce::String& applicationName)
    {
        // As JUCE's standalone window sets them.
        juce::PropertiesFile::Options options;
        options.applicationName = applicationName;
        options.filenameSuffix = ".settings";
        options.osxLibrarySubFolder = "Application Support";
#if JUCE_LINUX || JUCE_BSD
        options.folderName = "~/.config";
#endif
        return options;
    }
} // namespace

StandaloneAutosave::StandaloneAutosave (juce::File settingsFile, std::function<juce::MemoryBlock()> state)
    : file (std::move (settingsFile)), getState (std::move (state))
{
}

StandaloneAutosave::~StandaloneAutosave()
{
    stopTimer();
}

juce::File StandaloneAutosave::settingsFileOf (const juce::String& applicationName)
{
    return settingsOptions (applicationName).getDefaultFile();
}

void StandaloneAutosave::changed()
{
    if (! isTimerRunning())
        startTimer (delayMs);
}

void StandaloneAutosave::timerCallback()
{
    stopTimer();

    // Read afresh, so that what the window wrote of its own is kept.
    juce::PropertiesFile::Options options;
    options.millisecondsBeforeSaving = -1;
    juce::PropertiesFile settings (file, options);
    settings.setValue ("filterState", getState().toBase64Encoding());
    settings.saveIfNeeded();
}
