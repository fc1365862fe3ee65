#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The strip below the key view: a horizontal slider drawn only as a mask whose
// see-through window frames the stretch of keys that the key view shows.
class KeyBar : public juce::Slider
{
public:
    class KeyBarLookAndFeel;

    // data and size of a PNG mask; null data gives a bar without mask.
    KeyBar (const void* data, int size);
    ~KeyBar() override;

    // Replaces the mask; null data keeps the current one.
    void setCursor (const void* data, int size);

    // The window's width sets the thumb radius, so its centre never leaves the bar.
    void setCursorWidth (int width);

private:
    juce::Image cursor;
    std::unique_ptr<KeyBarLookAndFeel> lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KeyBar)
};
