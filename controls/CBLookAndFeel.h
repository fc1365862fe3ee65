#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The look of a CustomComboBox: nothing but its text, in one font that the
// popup's items share, with an optional fixed width for the text.
class CBLookAndFeel : public juce::LookAndFeel_V3
{
public:
    juce::Font getPopupMenuFont() override;
    void getIdealPopupMenuItemSize (const juce::String& text, bool isSeparator, int standardMenuItemHeight, int& idealWidth, int& idealHeight) override;
    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown, int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;
    void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

    juce::Font font;
    int textWidth = 0; // 0: the box's own width
};
