#include "PeerInput.h"

namespace
{
// Further apart than any double-click timeout, so separate clicks never pair up.
constexpr juce::int64 clickSpacingMs = 10000;
constexpr juce::int64 buttonHoldMs = 20;
} // namespace

PeerInput::PeerInput (juce::Component& window)
    : peer (*window.getPeer()),
      time (juce::Time::currentTimeMillis())
{
}

void PeerInput::send (juce::Point<float> position, juce::ModifierKeys buttons)
{
    peer.handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse,
                           position,
                           buttons,
                           juce::MouseInputSource::defaultPressure,
                           juce::MouseInputSource::defaultOrientation,
                           time);
}

void PeerInput::click (juce::Point<float> position)
{
    time += clickSpacingMs;
    send (position, {});
    send (position, juce::ModifierKeys::leftButtonModifier);
    time += buttonHoldMs;
    send (position, {});
}

void PeerInput::doubleClick (juce::Point<float> position)
{
    click (position);
    time += buttonHoldMs;
    send (position, juce::ModifierKeys::leftButtonModifier);
    time += buttonHoldMs;
    send (position, {});
}

bool PeerInput::press (const juce::KeyPress& key)
{
    return peer.handleKeyPress (key);
}

void PeerInput::pump (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}
