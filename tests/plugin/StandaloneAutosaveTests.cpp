#include "plugin/StandaloneAutosave.h"
#include "support/EditorTestAccess.h"

#include <gtest/gtest.h>

// The standalone app's settings file holds the state within about a second
// of a change, and keeps what else the window wrote there.

TEST (StandaloneAutosave, WritesTheStateSoonAfterAChangeAndKeepsTheRest)
{
    const juce::TemporaryFile settings (".settings");
    {
        juce::PropertiesFile window (settings.getFile(), {});
        window.setValue ("audioSetup", "<DEVICESETUP/>");
        window.setValue ("filterState", juce::MemoryBlock ("old", 3).toBase64Encoding());
        ASSERT_TRUE (window.save());
    }

    juce::String state = "first";
    int asked = 0;
    StandaloneAutosave autosave (settings.getFile(), [&] {
        ++asked;
        return juce::MemoryBlock (state.toRawUTF8(), state.getNumBytesAsUTF8());
    });

    const auto written = [&settings] {
        juce::PropertiesFile file (settings.getFile(), {});
        juce::MemoryBlock blob;
        blob.fromBase64Encoding (file.getValue ("filterState"));
        return std::pair { blob.toString(), file.getValue ("audioSetup") };
    };

    // Three changes close together: written once, as the last left it.
    autosave.changed();
    state = "second";
    autosave.changed();
    autosave.changed();
    EXPECT_EQ (written().first, "old") << "not before the delay";
    for (int i = 0; i < 40 && asked == 0; ++i)
        TestHelpers::pumpMessages (50);
    EXPECT_EQ (asked, 1);
    EXPECT_EQ (written(), (std::pair<juce::String, juce::String> { "second", "<DEVICESETUP/>" }));

    state = "third";
    autosave.changed();
    for (int i = 0; i < 40 && asked == 1; ++i)
        TestHelpers::pumpMessages (50);
    EXPECT_EQ (written().first, "third");
}
