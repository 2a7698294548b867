// A window that starts an operating-system drag of one file when the pointer
// drags across it: the "desktop" side of a file dropped onto Carvolin.
//
//   carvolin-drag-source FILE

#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    class SourceComponent final : public juce::Component
    {
    public:
        explicit SourceComponent (juce::String pathToDrag) : path (std::move (pathToDrag)) { setSize (300, 150); }

        void paint (juce::Graphics& g) override
        {
            g.fillAll (juce::Colours::darkgreen);
            g.setColour (juce::Colours::white);
            g.drawText ("drag me: " + juce::File (path).getFileName(), getLocalBounds(), juce::Justification::centred);
        }

        void mouseDrag (const juce::MouseEvent&) override
        {
            if (! dragging)
                dragging = juce::DragAndDropContainer::performExternalDragDropOfFiles ({ path }, false, this, [] {
                    juce::JUCEApplication::quit();
                });
        }

    private:
        juce::String path;
        bool dragging = false;
    };

    class Window final : public juce::DocumentWindow
    {
    public:
        explicit Window (const juce::String& path)
            : juce::DocumentWindow ("DragSource", juce::Colours::black, 0)
        {
            setUsingNativeTitleBar (false);
            setTitleBarHeight (0);
            setContentOwned (new SourceComponent (path), true);
            setTopLeftPosition (0, 0);
            setVisible (true);
        }

        void closeButtonPressed() override { juce::JUCEApplication::quit(); }
    };
} // namespace

class DragSourceApplication final : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "DragSource"; }
    const juce::String getApplicationVersion() override { return "1.0"; }

    void initialise (const juce::String& commandLine) override
    {
        window = std::make_unique<Window> (commandLine.unquoted());
    }

    void shutdown() override { window.reset(); }

private:
    std::unique_ptr<Window> window;
};

namespace
{
    juce::JUCEApplicationBase* createApplication() { return new DragSourceApplication(); }
} // namespace

// The plug-in's shared code forbids START_JUCE_APPLICATION; this is what it expands to.
int main (int argc, char* argv[])
{
    juce::JUCEApplicationBase::createInstance = &createApplication;
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
