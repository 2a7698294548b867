// Loads the built VST3 and LV2 bundles through JUCE's own plug-in hosting, as
// a host does, and checks what a host sees of Carvolin.

#include "model/JuceCompat.h"
#include "support/JuceEnvironment.h"
#include "support/ScriptedPlayHead.h"

#include <gtest/gtest.h>

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <cstdlib>

namespace
{
    enum class Format
    {
        vst3,
        lv2
    };

    std::string formatName (const ::testing::TestParamInfo<Format>& info) { return info.param == Format::vst3 ? "VST3" : "LV2"; }

    /** Scans the built bundle of one format and instantiates the plug-in. */
    struct HostedPlugin
    {
        explicit HostedPlugin (Format format)
        {
            if (format == Format::vst3)
            {
                auto vst3 = std::make_unique<juce::VST3PluginFormat>();
                vst3->findAllTypesForFile (types, CARVOLIN_VST3_BUNDLE);
                JuceCompat::addPluginFormat (formatManager, std::move (vst3));
            }
            else
            {
                // The search may also name every other LV2 plug-in installed on
                // the machine (JUCE 8 does): take ours by its URI.
                auto lv2 = std::make_unique<juce::LV2PluginFormat>();
                const auto uris = lv2->searchPathsForPlugins (juce::FileSearchPath (juce::File (CARVOLIN_LV2_BUNDLE).getParentDirectory().getFullPathName()), true, false);
                for (const auto& uri : uris)
                    if (uri == CARVOLIN_LV2_URI)
                        lv2->findAllTypesForFile (types, uri);
                JuceCompat::addPluginFormat (formatManager, std::move (lv2));
            }

            if (types.size() == 1)
                instance = formatManager.createPluginInstance (*types[0], 48000.0, 512, error);
        }

        juce::AudioPluginFormatManager formatManager;
        juce::OwnedArray<juce::PluginDescription> types;
        juce::String error;
        std::unique_ptr<juce::AudioPluginInstance> instance;
    };

    class PluginHost : public ::testing::TestWithParam<Format>
    {
    };

    juce::MemoryBlock stateBlob (const juce::String& xml)
    {
        juce::MemoryBlock blob;
        juce::AudioProcessor::copyXmlToBinary (*juce::parseXML (xml), blob);
        return blob;
    }
} // namespace

TEST_P (PluginHost, ScansAndReportsItsIdentity)
{
    HostedPlugin host (GetParam());
    ASSERT_EQ (host.types.size(), 1) << "the bundle holds one plug-in";
    ASSERT_NE (host.instance, nullptr) << host.error;

    const auto& desc = *host.types[0];
    EXPECT_EQ (desc.name, "Carvolin");
    EXPECT_FALSE (desc.isInstrument);

    auto& plugin = *host.instance;
    EXPECT_EQ (plugin.getName(), "Carvolin");
    EXPECT_TRUE (plugin.acceptsMidi());
    EXPECT_TRUE (plugin.producesMidi());
    EXPECT_FALSE (plugin.isMidiEffect());
    EXPECT_EQ (plugin.getTotalNumInputChannels(), 0);
    EXPECT_EQ (plugin.getTotalNumOutputChannels(), 2);
    EXPECT_TRUE (plugin.hasEditor());
}

TEST_P (PluginHost, ProcessesSilenceAtEveryRateAndBlockSize)
{
    HostedPlugin host (GetParam());
    ASSERT_NE (host.instance, nullptr) << host.error;
    auto& plugin = *host.instance;

    juce::Random random (7);
    for (const double rate : { 44100.0, 48000.0, 96000.0 })
    {
        for (const int blockSize : { 1, 64, 512, 4096 })
        {
            plugin.setPlayConfigDetails (0, 2, rate, blockSize);
            plugin.prepareToPlay (rate, blockSize);

            for (int block = 0; block < 3; ++block)
            {
                juce::AudioBuffer<float> buffer (2, blockSize);
                for (int ch = 0; ch < 2; ++ch)
                    for (int i = 0; i < blockSize; ++i)
                        buffer.setSample (ch, i, random.nextFloat() - 0.5f);

                juce::MidiBuffer midi;
                midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
                midi.addEvent (juce::MidiMessage::noteOff (1, 60), blockSize - 1);

                plugin.processBlock (buffer, midi);

                for (int ch = 0; ch < 2; ++ch)
                    ASSERT_EQ (buffer.getMagnitude (ch, 0, blockSize), 0.0f) << rate << " Hz, " << blockSize << " samples";
                ASSERT_TRUE (midi.isEmpty()) << rate << " Hz, " << blockSize << " samples";
            }

            plugin.releaseResources();
        }
    }
}

/** The host-side state holding a state blob of ours, in the format's own wrapping:
    VST3 hands the component state to the plug-in as it is; the LV2 wrapper keeps
    it as a base64 string property of the LV2 state.
*/
juce::MemoryBlock wrapState (Format format, juce::AudioPluginInstance& fresh, const juce::MemoryBlock& blob)
{
    if (format == Format::vst3)
    {
        juce::XmlElement state ("VST3PluginState");
        state.createNewChildElement ("IComponent")->addTextElement (blob.toBase64Encoding());
        juce::MemoryBlock wrapped;
        juce::AudioProcessor::copyXmlToBinary (state, wrapped);
        return wrapped;
    }

    juce::MemoryBlock empty;
    fresh.getStateInformation (empty);
    const auto turtle = empty.toString().replace ("StateString> \"0.\"", "StateString> \"" + blob.toBase64Encoding() + "\"");
    return { turtle.toRawUTF8(), turtle.getNumBytesAsUTF8() + 1 };
}

/** The plug-in's own state blob inside the host-side state. */
juce::MemoryBlock unwrapState (Format format, const juce::MemoryBlock& hostState)
{
    juce::MemoryBlock inner;

    if (format == Format::vst3)
    {
        if (auto xml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize()))
            if (auto* component = xml->getChildByName ("IComponent"))
                inner.fromBase64Encoding (component->getAllSubText());
        return inner;
    }

    const auto text = hostState.toString();
    inner.fromBase64Encoding (text.fromFirstOccurrenceOf ("StateString> \"", false, false).upToFirstOccurrenceOf ("\"", false, false));
    return inner;
}

TEST_P (PluginHost, StateComesBackIdentical)
{
    const auto blob = stateBlob (R"(<CarvolinState><Clip track="2" startQ="8" lengthQ="4">)"
                                 R"(<Note pitch="60" startTick="0" lengthTicks="960" velocity="100"/></Clip>)"
                                 R"(<Clip track="1" startQ="0" lengthQ="4"/></CarvolinState>)");

    juce::MemoryBlock saved;
    {
        HostedPlugin host (GetParam());
        ASSERT_NE (host.instance, nullptr) << host.error;
        const auto wrapped = wrapState (GetParam(), *host.instance, blob);
        host.instance->setStateInformation (wrapped.getData(), (int) wrapped.getSize());
        host.instance->getStateInformation (saved);
    }

    // The plug-in's part of what the host saves is the blob it was given, byte for byte
    // (the VST3 wrapper appends private data of its own after it).
    const auto inner = unwrapState (GetParam(), saved);
    ASSERT_GE (inner.getSize(), blob.getSize());
    EXPECT_EQ (juce::MemoryBlock (inner.getData(), blob.getSize()), blob);

    // A project reopened in a new instance saves the same state again.
    HostedPlugin reopened (GetParam());
    ASSERT_NE (reopened.instance, nullptr) << reopened.error;
    reopened.instance->setStateInformation (saved.getData(), (int) saved.getSize());
    juce::MemoryBlock savedAgain;
    reopened.instance->getStateInformation (savedAgain);
    EXPECT_EQ (unwrapState (GetParam(), savedAgain), inner);
}

TEST_P (PluginHost, EditorOpensAndClosesRepeatedly)
{
    HostedPlugin host (GetParam());
    ASSERT_NE (host.instance, nullptr) << host.error;

    for (int i = 0; i < 5; ++i)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (host.instance->createEditor());
        ASSERT_NE (editor, nullptr);
        EXPECT_EQ (editor->getWidth(), 1100);
        EXPECT_EQ (editor->getHeight(), 600);

        editor->addToDesktop (juce::ComponentPeer::windowHasTitleBar);
        editor->setVisible (true);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
        editor->removeFromDesktop();
    }

    host.instance.reset(); // unload
    SUCCEED();
}

TEST_P (PluginHost, PlaysTheArrangementThroughMidiOut)
{
    // Two notes on channel 2 and one on channel 1, and playback on.
    const auto blob = stateBlob (R"(<CarvolinState midiOut="1"><Clip track="2" startQ="1" lengthQ="4">)"
                                 R"(<Note pitch="60" startTick="0" lengthTicks="960" velocity="100"/>)"
                                 R"(<Note pitch="64" startTick="480" lengthTicks="480" velocity="90"/></Clip>)"
                                 R"(<Clip track="1" startQ="0" lengthQ="4"><Note pitch="48" startTick="240" lengthTicks="240" velocity="127"/></Clip></CarvolinState>)");

    HostedPlugin host (GetParam());
    ASSERT_NE (host.instance, nullptr) << host.error;
    auto& plugin = *host.instance;
    const auto wrapped = wrapState (GetParam(), plugin, blob);
    plugin.setStateInformation (wrapped.getData(), (int) wrapped.getSize());

    ScriptedPlayHead head; // a DAW's transport, from quarter 0 at 120 BPM
    head.playing = false;
    head.timeInSamples = 0;
    plugin.setPlayHead (&head);
    plugin.setPlayConfigDetails (0, 2, 48000.0, 512);
    plugin.prepareToPlay (48000.0, 512);

    // Stopped blocks while the plug-in prepares what it plays.
    juce::AudioBuffer<float> buffer (2, 512);
    for (int i = 0; i < 20; ++i)
    {
        juce::MidiBuffer midi;
        plugin.processBlock (buffer, midi);
        juce::Thread::sleep (5);
    }

    struct Sent
    {
        juce::int64 sample;
        int channel, key, velocity;
    };
    std::vector<Sent> sent;

    head.playing = true;
    for (int block = 0; block < 300; ++block) // 3.2 seconds: past quarter 3
    {
        juce::MidiBuffer midi;
        plugin.processBlock (buffer, midi);
        for (const auto metadata : midi)
        {
            const auto m = metadata.getMessage();
            if (m.isNoteOnOrOff())
                sent.push_back ({ *head.timeInSamples + metadata.samplePosition, m.getChannel(), m.getNoteNumber(), m.isNoteOn() ? m.getVelocity() : 0 });
        }
        *head.timeInSamples += 512;
        head.ppq = (double) *head.timeInSamples / 24000.0; // 24,000 samples to the quarter at 120 BPM and 48 kHz
    }

    plugin.setPlayHead (nullptr);
    plugin.releaseResources();

    // A quarter is 24,000 samples: each event within a sample of its place.
    const std::vector<Sent> expected {
        { 6000, 1, 48, 127 },
        { 12000, 1, 48, 0 },
        { 24000, 2, 60, 100 },
        { 36000, 2, 64, 90 },
        { 48000, 2, 60, 0 },
        { 48000, 2, 64, 0 },
    };
    ASSERT_EQ (sent.size(), expected.size());
    for (const auto& e : expected)
    {
        EXPECT_TRUE (std::any_of (sent.begin(), sent.end(), [&e] (const Sent& s) {
            return s.channel == e.channel && s.key == e.key && s.velocity == e.velocity && std::abs (s.sample - e.sample) <= 1;
        })) << "channel "
            << e.channel << " key " << e.key << " velocity " << e.velocity << " at " << e.sample;
    }
}

namespace
{
    /** What a host's listener hears of the plug-in: notices that its state changed. */
    struct StateChangeListener final : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}

        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
        {
            if (details.nonParameterStateChanged)
                ++notices;
        }

        std::atomic<int> notices { 0 };
    };

    /** A pointer or key on the real screen, as a user gives it (xdotool). */
    bool xdotool (const juce::String& arguments)
    {
        return std::system (("xdotool " + arguments + " >/dev/null 2>&1").toRawUTF8()) == 0;
    }
} // namespace

TEST_P (PluginHost, TellsTheHostOfEveryEditAndOfNothingElse)
{
    if (! xdotool ("getmouselocation"))
        GTEST_SKIP() << "needs xdotool and a display";

    HostedPlugin host (GetParam());
    ASSERT_NE (host.instance, nullptr) << host.error;
    auto& plugin = *host.instance;
    StateChangeListener listener;
    plugin.addListener (&listener);

    // The host's own state: no notice.
    const auto wrapped = wrapState (GetParam(), plugin, stateBlob (R"(<CarvolinState><Clip track="1" startQ="0" lengthQ="8"/></CarvolinState>)"));
    plugin.setStateInformation (wrapped.getData(), (int) wrapped.getSize());

    plugin.setPlayConfigDetails (0, 2, 48000.0, 512);
    plugin.prepareToPlay (48000.0, 512);
    juce::AudioBuffer<float> buffer (2, 512);

    // The message loop and the audio callback run for a while, as in a host
    // (LV2 hands its notices over in the audio callback).
    const auto settle = [&] {
        for (int i = 0; i < 40; ++i)
        {
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
            juce::MidiBuffer midi;
            plugin.processBlock (buffer, midi);
        }
    };

    std::unique_ptr<juce::AudioProcessorEditor> editor (plugin.createEditor());
    ASSERT_NE (editor, nullptr);
    editor->setTopLeftPosition (0, 0);
    editor->addToDesktop (0);
    editor->setVisible (true);
    settle();

    const auto at = [&] (int x, int y) {
        const auto p = editor->localPointToGlobal (juce::Point<int> (x, y));
        return juce::String (p.x) + " " + juce::String (p.y);
    };
    const auto clickAt = [&] (int x, int y) {
        EXPECT_TRUE (xdotool ("mousemove --sync " + at (x, y) + " click 1"));
        settle();
    };

    EXPECT_EQ (listener.notices.load(), 0) << "opening the editor";

    clickAt (55, 30); // "+ Track"
    EXPECT_EQ (listener.notices.load(), 1) << "an edit";
    clickAt (55, 70); // "Undo"
    EXPECT_EQ (listener.notices.load(), 2) << "an undo";
    clickAt (155, 70); // "Redo"
    EXPECT_EQ (listener.notices.load(), 3) << "a redo";

    clickAt (230, 155);                                                               // selecting the clip
    clickAt (1100 - 295, 25);                                                         // zooming in
    clickAt (1100 - 335, 25);                                                         // and out
    EXPECT_TRUE (xdotool ("mousemove --sync " + at (600, 200) + " click 5 click 5")); // the wheel scrolls
    settle();
    EXPECT_EQ (listener.notices.load(), 3) << "selecting, zooming, scrolling";

    editor->removeFromDesktop();
    editor.reset();
    settle();
    EXPECT_EQ (listener.notices.load(), 3) << "closing the editor";

    plugin.removeListener (&listener);
    plugin.releaseResources();
}

INSTANTIATE_TEST_SUITE_P (Formats, PluginHost, ::testing::Values (Format::vst3, Format::lv2), formatName);

namespace
{
    juce::JUCEApplicationBase* noApplication() { return nullptr; }
} // namespace

int main (int argc, char** argv)
{
    // Like a real host, answer X errors instead of letting Xlib end the process:
    // a bare X server without a window manager lacks atoms that windows ask for.
    // JUCE installs its error handler only in what it takes for a standalone app.
    juce::JUCEApplicationBase::createInstance = &noApplication;

    ::testing::InitGoogleTest (&argc, argv);
    ::testing::AddGlobalTestEnvironment (new JuceEnvironment());
    return RUN_ALL_TESTS();
}
