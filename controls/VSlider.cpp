#include "controls/VSlider.h"

#include "controls/EmbeddedImage.h"
#include "controls/VSliderLookAndFeel.h"

VSlider::VSlider (const void* thumbData, int thumbSize, const void* trackData, int trackSize)
    : thumbImage (loadEmbeddedImage (thumbData, thumbSize)),
      trackImage (loadEmbeddedImage (trackData, trackSize)),
      lookAndFeel (std::make_unique<SliderLookAndFeel> (thumbImage, trackImage))
{
    setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
    setSliderStyle (juce::Slider::LinearVertical);
    setLookAndFeel (lookAndFeel.get());
}

VSlider::~VSlider()
{
    setLookAndFeel (nullptr);
    lookAndFeel.reset();
}
