#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A label whose double-click goes to its listeners instead of to the label
// itself, so a double-click never opens the label's own editor.
class CustomLabel : public juce::Label
{
public:
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void labelDoubleClick (CustomLabel* label) = 0;
    };

    CustomLabel();
    ~CustomLabel() override;

    using juce::Label::addListener;

    // Listeners are not owned and never removed: each is the label's owner or outlives it.
    void addListener (Listener* listener);

    void mouseDoubleClick (const juce::MouseEvent& event) override;
    void sendLabelDoubleClick();

private:
    juce::ListenerList<Listener> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CustomLabel)
};
