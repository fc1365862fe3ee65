#pragma once

#include "controls/AWLookAndFeel.h"

#include <memory>

// The panel's modal message box: no icon, see-through where its background colour is,
// text in the caller's font and buttons without background.
class CustomAlertWindow : public juce::AlertWindow
{
public:
    CustomAlertWindow (const juce::String& title, const juce::String& message);
    ~CustomAlertWindow() override;

    // Shows at the box's next layout, so set it before adding the buttons.
    void setFont (const juce::Font& font);

    bool keyPressed (const juce::KeyPress& key) override;

private:
    std::unique_ptr<AWLookAndFeel> lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CustomAlertWindow)
};
