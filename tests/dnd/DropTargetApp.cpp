// A window that accepts files dropped from another application and records
// what it received: the "other application" a clip is dragged into.
//
//   carvolin-drop-target RECORD_FOLDER
// Each dropped file is copied into RECORD_FOLDER, and its original path is
// appended to RECORD_FOLDER/dropped.txt. The program ends after the first drop.

#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    class TargetComponent final : public juce::Component,
                                  public juce::FileDragAndDropTarget
    {
    public:
        explicit TargetComponent (juce::File folder) : recordFolder (std::move (folder)) { setSize (280, 180); }

        void paint (juce::Graphics& g) override
        {
            g.fillAll (hovering ? juce::Colours::darkorange : juce::Colours::darkblue);
            g.setColour (juce::Colours::white);
            g.drawText ("drop files here", getLocalBounds(), juce::Justification::centred);
        }

        bool isInterestedInFileDrag (const juce::StringArray&) override { return true; }
        void fileDragEnter (const juce::StringArray&, int, int) override
        {
            hovering = true;
            repaint();
        }
        void fileDragExit (const juce::StringArray&) override
        {
            hovering = false;
            repaint();
        }

        void filesDropped (const juce::StringArray& files, int, int) override
        {
            for (const auto& path : files)
            {
                const juce::File file (path);
                file.copyFileTo (recordFolder.getChildFile (file.getFileName()));
                recordFolder.getChildFile ("dropped.txt").appendText (path + "\n");
            }
            juce::JUCEApplication::quit();
        }

    private:
        juce::File recordFolder;
        bool hovering = false;
    };

    class Window final : public juce::DocumentWindow
    {
    public:
        explicit Window (const juce::File& folder)
            : juce::DocumentWindow ("DropTarget", juce::Colours::black, 0)
        {
            setUsingNativeTitleBar (false);
            setTitleBarHeight (0);
            setContentOwned (new TargetComponent (folder), true);
            setTopLeftPosition (1310, 0);
            setVisible (true);
        }

        void closeButtonPressed() override { juce::JUCEApplication::quit(); }
    };
} // namespace

class DropTargetApplication final : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "DropTarget"; }
    const juce::String getApplicationVersion() override { return "1.0"; }

    void initialise (const juce::String& commandLine) override
    {
        const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (commandLine.unquoted());
        folder.createDirectory();
        window = std::make_unique<Window> (folder);
    }

    void shutdown() override { window.reset(); }

private:
    std::unique_ptr<Window> window;
};

namespace
{
    juce::JUCEApplicationBase* createApplication() { return new DropTargetApplication(); }
} // namespace

// The plug-in's shared code forbids START_JUCE_APPLICATION; this is what it expands to.
int main (int argc, char* argv[])
{
    juce::JUCEApplicationBase::createInstance = &createApplication;
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
