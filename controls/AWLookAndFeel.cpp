#include "controls/AWLookAndFeel.h"

AWLookAndFeel::AWLookAndFeel() = default;

void AWLookAndFeel::setFont (const juce::Font& newFont)
{
    font = newFont;
}

void AWLookAndFeel::drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour&, bool, bool)
{
}

juce::Font AWLookAndFeel::getAlertWindowMessageFont()
{
    return font;
}

juce::Font AWLookAndFeel::getAlertWindowFont()
{
    return font;
}
