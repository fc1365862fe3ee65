#include "controls/ImageSliderLookAndFeel.h"

ImageSliderLookAndFeel::ImageSliderLookAndFeel (juce::Image& thumb, juce::Image& track, Axis sliderAxis)
    : thumbImage (&thumb),
      trackImage (&track),
      axis (sliderAxis)
{
}

int ImageSliderLookAndFeel::halfThumb() const
{
    return (axis == Axis::horizontal ? thumbImage->getWidth() : thumbImage->getHeight()) / 2;
}

void ImageSliderLookAndFeel::drawLinearSlider (juce::Graphics& g,
                                               int x,
                                               int y,
                                               int,
                                               int,
                                               float sliderPos,
                                               float,
                                               float,
                                               juce::Slider::SliderStyle,
                                               juce::Slider&)
{
    const auto half = halfThumb();
    const auto horizontal = axis == Axis::horizontal;

    // x (or y) is the thumb radius, so the track lands on the control's own corner.
    if (trackImage->isValid())
        g.drawImageAt (*trackImage, horizontal ? x - half : x, horizontal ? y : y - half);

    // Truncated toward zero, so the thumb's centre column (row) lies at sliderPos.
    const auto thumbStart = (int) (sliderPos - (float) half);

    if (thumbImage->isValid())
        g.drawImageAt (*thumbImage, horizontal ? thumbStart : x, horizontal ? y : thumbStart);
}

int ImageSliderLookAndFeel::getSliderThumbRadius (juce::Slider&)
{
    return halfThumb();
}
