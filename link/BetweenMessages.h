#pragma once

#include <juce_events/juce_events.h>

// Runs a call that must not overlap anything the message thread does. On the
// message thread, or with no message loop, it runs at once; on another thread
// it runs between two of the message thread's messages, which waits meanwhile.
template<typename Callback>
void callBetweenMessages (Callback&& callback)
{
    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();

    if (messageManager == nullptr || messageManager->isThisTheMessageThread())
    {
        callback();
        return;
    }

    const juce::MessageManagerLock messageThreadHeld;
    callback();
}
