#pragma once

#include "controls/KeyBar.h"

class KeyBar::KeyBarLookAndFeel : public juce::LookAndFeel_V3
{
public:
    // Keeps a pointer to the bar's mask, so a new mask shows at the next paint.
    explicit KeyBarLookAndFeel (juce::Image& cursorImage);

    void setThumbRadius (int radius);

    void drawLinearSlider (juce::Graphics& g,
                           int x,
                           int y,
                           int width,
                           int height,
                           float sliderPos,
                           float minSliderPos,
                           float maxSliderPos,
                           juce::Slider::SliderStyle style,
                           juce::Slider& slider) override;
    int getSliderThumbRadius (juce::Slider& slider) override;

private:
    juce::Image* cursor;
    int thumbRadius = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KeyBarLookAndFeel)
};
