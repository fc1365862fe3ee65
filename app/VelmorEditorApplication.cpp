#include "app/VelmorEditorApplication.h"

#include "app/MainWindow.h"

#include <iostream>

VelmorEditorApplication::VelmorEditorApplication() = default;

VelmorEditorApplication::~VelmorEditorApplication()
{
    mainWindow = nullptr;
}

const juce::String VelmorEditorApplication::getApplicationName()
{
    return "Velmor Piano Editor";
}

const juce::String VelmorEditorApplication::getApplicationVersion()
{
    return "1.0";
}

bool VelmorEditorApplication::moreThanOneInstanceAllowed()
{
    return false;
}

void VelmorEditorApplication::initialise (const juce::String&)
{
    // Without a display the window system would fail on the first window.
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
    {
        std::cerr << "Velmor Piano Editor needs a graphical display: none was found (is DISPLAY set?)." << std::endl;
        setApplicationReturnValue (1);
        quit();
        return;
    }

    juce::LookAndFeel::setDefaultLookAndFeel (&defaultLookAndFeel);
    mainWindow = std::make_unique<MainWindow>();
}

void VelmorEditorApplication::shutdown()
{
    mainWindow = nullptr;
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}

void VelmorEditorApplication::anotherInstanceStarted (const juce::String&)
{
}

void VelmorEditorApplication::systemRequestedQuit()
{
    juce::JUCEApplicationBase::quit();
}
