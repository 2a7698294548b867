#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    // Components need JUCE's GUI side (the message manager, fonts, the desktop)
    // to exist for the whole run.
    class JuceEnvironment final : public ::testing::Environment
    {
    public:
        void SetUp() override { initialiser = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
        void TearDown() override { initialiser.reset(); }

    private:
        std::unique_ptr<juce::ScopedJuceInitialiser_GUI> initialiser;
    };
} // namespace

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    ::testing::AddGlobalTestEnvironment (new JuceEnvironment());
    return RUN_ALL_TESTS();
}
