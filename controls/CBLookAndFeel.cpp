#include "controls/CBLookAndFeel.h"

#include <cmath>

namespace
{
constexpr float itemHeightPerFontHeight = 1.3f;
constexpr int separatorWidth = 50;
constexpr int separatorHeightWithoutStandard = 10;
} // namespace

juce::Font CBLookAndFeel::getPopupMenuFont()
{
    return font;
}

void CBLookAndFeel::getIdealPopupMenuItemSize (const juce::String& text, bool isSeparator, int standardMenuItemHeight, int& idealWidth, int& idealHeight)
{
    if (isSeparator)
    {
        idealWidth = separatorWidth;
        idealHeight = standardMenuItemHeight > 0 ? standardMenuItemHeight / 2 : separatorHeightWithoutStandard;
        return;
    }

    // Single precision, halves to the even neighbour: 19.5 gives 20, 32.5 gives 32.
    const float height = font.getHeight() * itemHeightPerFontHeight;
    idealHeight = (int) std::nearbyint (height);
    idealWidth = font.getStringWidth (text) + 2 * idealHeight;
}

void CBLookAndFeel::drawComboBox (juce::Graphics&, int, int, bool, int, int, int, int, juce::ComboBox&)
{
}

juce::Font CBLookAndFeel::getComboBoxFont (juce::ComboBox&)
{
    return font;
}

void CBLookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    const auto width = textWidth != 0 ? textWidth : box.getWidth();
    label.setBounds (1, 1, width - 2, box.getHeight() - 2);
    label.setFont (getComboBoxFont (box));
}
