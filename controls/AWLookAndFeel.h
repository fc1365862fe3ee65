#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The message box's look: its text in a font of the caller's choice, and buttons that
// show only their captions.
class AWLookAndFeel : public juce::LookAndFeel_V3
{
public:
    AWLookAndFeel();

    void setFont (const juce::Font& newFont);

    void drawButtonBackground (juce::Graphics& g,
                               juce::Button& button,
                               const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted,
                               bool shouldDrawButtonAsDown) override;
    juce::Font getAlertWindowMessageFont() override;
    juce::Font getAlertWindowFont() override;

private:
    juce::Font font;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AWLookAndFeel)
};
