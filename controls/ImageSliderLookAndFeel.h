#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Draws a linear slider from images alone: the track fixed at the control's corner,
// then the thumb centred on the value. The thumb radius is half the thumb along the
// axis, so the thumb stops half a thumb short of either end.
class ImageSliderLookAndFeel : public juce::LookAndFeel_V3
{
public:
    enum class Axis
    {
        horizontal,
        vertical
    };

    // Keeps pointers to the slider's own images; a null image is not drawn.
    ImageSliderLookAndFeel (juce::Image& thumb, juce::Image& track, Axis sliderAxis);

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
    int halfThumb() const;

    juce::Image* thumbImage;
    juce::Image* trackImage;
    Axis axis;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImageSliderLookAndFeel)
};
