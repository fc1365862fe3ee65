#include "app/InterruptedPresses.h"

#include <algorithm>

InterruptedPresses::InterruptedPresses()
{
    // Every window's releases, so that a press ending on a popup or a dialog
    // is heard too.
    juce::Desktop::getInstance().addGlobalMouseListener (this);
}

InterruptedPresses::~InterruptedPresses()
{
    juce::Desktop::getInstance().removeGlobalMouseListener (this);
}

void InterruptedPresses::interruptHeldPresses()
{
    for (const auto& source : juce::Desktop::getInstance().getMouseSources())
        if (source.isDragging())
            presses.push_back ({ source.getIndex(), source.getLastMouseDownTime() });
}

bool InterruptedPresses::isAnyUnderWay()
{
    // A release that nobody heard, on a window that went with it, ends the
    // press at the source's next press.
    const auto& desktop = juce::Desktop::getInstance();
    forget ([&desktop] (const Press& press)
            {
                const auto* source = desktop.getMouseSource (press.source);
                return source == nullptr || source->getLastMouseDownTime() != press.down; });

    return ! presses.empty();
}

void InterruptedPresses::mouseUp (const juce::MouseEvent& e)
{
    forget ([&e] (const Press& press)
            { return press.source == e.source.getIndex() && press.down == e.mouseDownTime; });
}

void InterruptedPresses::forget (const std::function<bool (const Press&)>& isOver)
{
    presses.erase (std::remove_if (presses.begin(), presses.end(), isOver), presses.end());
}
