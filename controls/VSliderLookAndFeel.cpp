#include "controls/VSliderLookAndFeel.h"

VSlider::SliderLookAndFeel::SliderLookAndFeel (juce::Image& thumb, juce::Image& track)
    : ImageSliderLookAndFeel (thumb, track, Axis::vertical)
{
}
