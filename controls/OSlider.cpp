#include "controls/OSlider.h"

#include "controls/EmbeddedImage.h"
#include "controls/OSliderLookAndFeel.h"

OSlider::OSlider (const void* thumbData, int thumbSize, const void* trackData, int trackSize)
    : thumbImage (loadEmbeddedImage (thumbData, thumbSize)),
      trackImage (loadEmbeddedImage (trackData, trackSize)),
      lookAndFeel (std::make_unique<SliderLookAndFeel> (thumbImage, trackImage))
{
    setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
    setSliderStyle (juce::Slider::LinearHorizontal);
    setLookAndFeel (lookAndFeel.get());
}

OSlider::~OSlider()
{
    setLookAndFeel (nullptr);
    lookAndFeel.reset();
}
