#include "controls/CustomLabel.h"

CustomLabel::CustomLabel() = default;

CustomLabel::~CustomLabel() = default;

void CustomLabel::addListener (Listener* listener)
{
    if (listener != nullptr)
        listeners.add (listener);
}

void CustomLabel::mouseDoubleClick (const juce::MouseEvent&)
{
    sendLabelDoubleClick();
}

void CustomLabel::sendLabelDoubleClick()
{
    // A listener may delete the label; the checker stops the calls as soon as it has gone.
    const juce::Component::BailOutChecker checker (this);
    listeners.callChecked (checker, [this] (Listener& listener)
                           { listener.labelDoubleClick (this); });
}
