#include "controls/KeyBarLookAndFeel.h"

KeyBar::KeyBarLookAndFeel::KeyBarLookAndFeel (juce::Image& cursorImage)
    : cursor (&cursorImage)
{
}

void KeyBar::KeyBarLookAndFeel::setThumbRadius (int radius)
{
    thumbRadius = radius;
}

void KeyBar::KeyBarLookAndFeel::drawLinearSlider (juce::Graphics& g,
                                                  int,
                                                  int,
                                                  int,
                                                  int height,
                                                  float sliderPos,
                                                  float,
                                                  float,
                                                  juce::Slider::SliderStyle,
                                                  juce::Slider& slider)
{
    if (cursor->isNull())
        return;

    const auto maskWidth = cursor->getWidth();
    const auto barWidth = slider.getWidth();

    // The mask's centre column lands on the thumb position.
    auto sourceX = (int) ((float) (maskWidth / 2) - sliderPos);

    if (sourceX < 0)
        sourceX = 0;
    else if (sourceX > maskWidth - barWidth)
        sourceX = juce::jmax (0, maskWidth - barWidth);

    // Always 1:1: a mask smaller than the bar is drawn from its left end, never stretched.
    const auto drawWidth = juce::jmin (barWidth, maskWidth - sourceX);
    const auto drawHeight = juce::jmin (height, cursor->getHeight());
    g.drawImage (*cursor, 0, 0, drawWidth, drawHeight, sourceX, 0, drawWidth, drawHeight, false);
}

int KeyBar::KeyBarLookAndFeel::getSliderThumbRadius (juce::Slider&)
{
    return thumbRadius;
}
