#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The images of single controls: buttons in off and on states, slider thumbs,
// key-bar masks, the key editor's size images, the icons.
class ControlArt
{
public:
    enum class Glyph
    {
        connect,
        open,
        save,
        reset,
        random,
        scaleDown,
        scaleUp,
        moveDown,
        moveUp,
        note,
        zoomIn,
        zoomOut
    };

    static juce::Image button (Glyph glyph, int width, int height, bool on);
    static juce::Image kCircle (bool on);
    static juce::Image sliderThumb();
    static juce::Image offsetThumb();
    static juce::Image keyBarMask (int width);
    static juce::Image keyEditorSize (int width);
    static juce::Image pianoIcon (int index, int width);
    static juce::Image windowIcon();
};
