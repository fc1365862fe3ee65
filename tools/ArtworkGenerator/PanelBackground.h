#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The full-size pictures: the panel behind the controls, the splash screen
// and the overlay over an editing area that cannot be edited.
class PanelBackground
{
public:
    static juce::Image background();
    static juce::Image splash();
    static juce::Image disabledMask();
};
