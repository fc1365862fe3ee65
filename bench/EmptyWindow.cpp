#include <juce_gui_basics/juce_gui_basics.h>

// A window like the editor's, with nothing in it: the baseline that the idle
// measurement compares the editor with, since the framework's window wakes up
// on its own.
class EmptyWindowApplication : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "Empty Window"; }
    const juce::String getApplicationVersion() override { return "1.0"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise (const juce::String&) override
    {
        window = std::make_unique<Window>();
    }

    void shutdown() override
    {
        window = nullptr;
    }

private:
    class Window : public juce::DocumentWindow
    {
    public:
        Window()
            : juce::DocumentWindow ({}, juce::Colours::lightgrey, juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton, true)
        {
            setContentOwned (new juce::Component(), false);
            setSize (1024, 748);
            centreWithSize (getWidth(), getHeight());
            setUsingNativeTitleBar (true);
            setName ("Empty Window");
            setVisible (true);
        }

        void closeButtonPressed() override
        {
            juce::JUCEApplication::getInstance()->systemRequestedQuit();
        }
    };

    std::unique_ptr<Window> window;
};

START_JUCE_APPLICATION (EmptyWindowApplication)
