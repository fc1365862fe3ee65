#include "controls/CustomAlertWindow.h"

CustomAlertWindow::CustomAlertWindow (const juce::String& title, const juce::String& message)
    : juce::AlertWindow (title, message, juce::MessageBoxIconType::NoIcon, nullptr),
      lookAndFeel (std::make_unique<AWLookAndFeel>())
{
    setLookAndFeel (lookAndFeel.get());
    setOpaque (false);

    // A box with a button ends only through that button; Escape must not cancel it.
    setEscapeKeyCancels (false);
}

CustomAlertWindow::~CustomAlertWindow()
{
    setLookAndFeel (nullptr);
    lookAndFeel.reset();
}

void CustomAlertWindow::setFont (const juce::Font& font)
{
    lookAndFeel->setFont (font);
}

bool CustomAlertWindow::keyPressed (const juce::KeyPress& key)
{
    // A box without buttons could not be closed otherwise.
    if (key.isKeyCode (juce::KeyPress::escapeKey) && getNumButtons() == 0)
    {
        exitModalState (0);
        return true;
    }

    return juce::AlertWindow::keyPressed (key);
}
