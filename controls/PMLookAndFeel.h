#pragma once

#include "controls/KeyEdit.h"

// The look of the key editor's break-point menu: the panel's font and colours.
class KeyView::KeyEdit::PMLookAndFeel : public juce::LookAndFeel_V3
{
public:
    ~PMLookAndFeel() override;

    juce::Font getPopupMenuFont() override;

    juce::Font font;
};
