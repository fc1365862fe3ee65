#include "controls/OSliderLookAndFeel.h"

OSlider::SliderLookAndFeel::SliderLookAndFeel (juce::Image& thumb, juce::Image& track)
    : ImageSliderLookAndFeel (thumb, track, Axis::horizontal)
{
}
