#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The look of an ImageComboBox's popup: every item takes one fixed size.
class IBLookAndFeel : public juce::LookAndFeel_V3
{
public:
    void getIdealPopupMenuItemSize (const juce::String& text, bool isSeparator, int standardMenuItemHeight, int& idealWidth, int& idealHeight) override;

    int itemWidth = 50;
    int itemHeight = 50;
};
