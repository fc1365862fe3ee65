#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// A horizontal slider drawn from images only: a thumb that moves with the value over
// an optional track that stays put.
class OSlider : public juce::Slider
{
public:
    class SliderLookAndFeel;

    // Data and byte size of the thumb and track PNGs; null data means no such image.
    OSlider (const void* thumbData, int thumbSize, const void* trackData, int trackSize);
    ~OSlider() override;

private:
    juce::Image thumbImage;
    juce::Image trackImage;
    std::unique_ptr<SliderLookAndFeel> lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OSlider)
};
