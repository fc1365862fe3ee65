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
    return VELMOR_PRODUCT_NAME;
}

const juce::String VelmorEditorApplication::getApplicationVersion()
{
    return VELMOR_PRODUCT_VERSION;
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
        std::cerr << VELMOR_PRODUCT_NAME " needs a graphical display: none was found (is DISPLAY set?)." << std::endl;
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
