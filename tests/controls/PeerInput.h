#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Mouse and key input delivered through a window's native peer, as the framework
// receives it from the display server.
class PeerInput
{
public:
    explicit PeerInput (juce::Component& window);

    void click (juce::Point<float> position);
    void doubleClick (juce::Point<float> position);
    bool press (const juce::KeyPress& key);

    static void pump (int milliseconds);

private:
    void send (juce::Point<float> position, juce::ModifierKeys buttons);

    juce::ComponentPeer& peer;
    juce::int64 time;
};
