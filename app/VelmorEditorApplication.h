#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The program: one instance, one window holding the editor panel.
class VelmorEditorApplication : public juce::JUCEApplication
{
public:
    class MainWindow;

    VelmorEditorApplication();
    ~VelmorEditorApplication() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;
    void systemRequestedQuit() override;

private:
    // Controls without a look-and-feel of their own are drawn by this one.
    juce::LookAndFeel_V2 defaultLookAndFeel;
    std::unique_ptr<MainWindow> mainWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VelmorEditorApplication)
};
