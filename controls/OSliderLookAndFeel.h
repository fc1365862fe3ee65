#pragma once

#include "controls/ImageSliderLookAndFeel.h"
#include "controls/OSlider.h"

class OSlider::SliderLookAndFeel : public ImageSliderLookAndFeel
{
public:
    SliderLookAndFeel (juce::Image& thumb, juce::Image& track);
};
