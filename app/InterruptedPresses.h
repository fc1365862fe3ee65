#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

// The mouse presses that were held when the panel stopped taking edits. Such a
// press is over for the panel: nothing it still does, its release included,
// may edit, even once edits are taken again; the next press starts anew.
// Message thread only.
class InterruptedPresses : private juce::MouseListener
{
public:
    InterruptedPresses();
    ~InterruptedPresses() override;

    // Takes note of every press held now.
    void interruptHeldPresses();
    // True while a press taken note of is held or being released.
    bool isAnyUnderWay();

private:
    struct Press
    {
        int source;
        juce::Time down;
    };

    // Heard after the control's own release, so that what the release sets
    // off still finds its press under way.
    void mouseUp (const juce::MouseEvent& e) override;
    void forget (const std::function<bool (const Press&)>& isOver);

    std::vector<Press> presses;

    JUCE_DECLARE_NON_COPYABLE (InterruptedPresses)
};
