#pragma once

#include "controls/ImageSliderLookAndFeel.h"
#include "controls/VSlider.h"

class VSlider::SliderLookAndFeel : public ImageSliderLookAndFeel
{
public:
    SliderLookAndFeel (juce::Image& thumb, juce::Image& track);
};
