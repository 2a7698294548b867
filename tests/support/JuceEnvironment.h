#pragma once

#include <gtest/gtest.h>

#include <atomic>

#include <juce_gui_basics/juce_gui_basics.h>

/** Components need JUCE's GUI side (the message manager, fonts, the desktop)
    to exist for the whole run of a test program.

    In a debug build JUCE logs every failed jassert through juce::Logger; the
    environment's logger makes each one a failure of the test that ran into it.
*/
class JuceEnvironment final : public ::testing::Environment
{
public:
    /** Within this scope JUCE's assertions are not failures: for a test that
        feeds JUCE's own code odd input on purpose, as the reference reader's
        checks do with bytes no real file holds. */
    struct ScopedAssertionsExpected
    {
        ScopedAssertionsExpected() { ++expectingAssertions; }
        ~ScopedAssertionsExpected() { --expectingAssertions; }
        ScopedAssertionsExpected (const ScopedAssertionsExpected&) = delete;
        ScopedAssertionsExpected& operator= (const ScopedAssertionsExpected&) = delete;
    };

    void SetUp() override
    {
        initialiser = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
        juce::Logger::setCurrentLogger (&logger);
    }

    void TearDown() override
    {
        juce::Logger::setCurrentLogger (nullptr);
        initialiser.reset();
    }

private:
    struct AssertionLogger final : public juce::Logger
    {
        void logMessage (const juce::String& message) override
        {
            if (message.startsWith ("JUCE Assertion failure"))
            {
                if (expectingAssertions.load() == 0)
                    ADD_FAILURE() << message;
            }
            else
                std::cerr << message << std::endl;
        }
    };

    static inline std::atomic<int> expectingAssertions { 0 };

    AssertionLogger logger;
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> initialiser;
};
