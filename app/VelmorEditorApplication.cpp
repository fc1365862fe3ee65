#include "app/VelmorEditorApplication.h"

#include "app/MainWindow.h"

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
