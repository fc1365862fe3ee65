// The state of the whole panel at once: editing enabled or disabled, the
// record shown, the record and the panel reset.
#include "app/MainComponent.h"

#include "app/PanelTables.h"
#include "link/VelmorWire.h"

void MainComponent::enableAllControls()
{
    disabledMask.setVisible (false);
    returnKeyboardUnderMask();

    for (auto* control : { static_cast<juce::Component*> (&openButton), static_cast<juce::Component*> (&saveButton), static_cast<juce::Component*> (&iconCombo) })
        control->setEnabled (true);
}

void MainComponent::disableAllControls()
{
    // What the user holds as the mask goes up may not edit the sound it protects.
    if (! disabledMask.isVisible())
        interruptedPresses.interruptHeldPresses();

    disabledMask.setVisible (true);
    withholdKeyboardUnderMask();
    closePopupsUnderMask();

    for (auto* control : { static_cast<juce::Component*> (&openButton), static_cast<juce::Component*> (&saveButton), static_cast<juce::Component*> (&iconCombo) })
        control->setEnabled (false);
}

void MainComponent::setAllControls()
{
    const auto record = midi.getMicroPCopy();

    // No list entry carries the bare name, so none is selected.
    microPCombo.setText (VelmorWire::decodeName (record.name, sizeof (record.name)), juce::dontSendNotification);
    iconCombo.setSelectedId ((signed char) record.iconId);
    templateCombo.setSelectedId ((signed char) record.templateId + 1, juce::dontSendNotification);

    // Each slider whose value changes sends its parameter again from its handler.
    for (int i = 0; i < PART_PARAM_COUNT; ++i)
        partSliders[(size_t) i]->setValue (record.params[i], juce::sendNotificationAsync);

    if (hasKeyParam())
        keyView.setKeyValues (0, record.tracks[currentKeyParam], KEY_COUNT);
}

void MainComponent::clearAllControls()
{
    midi.clearMicroP();
    microPCombo.clear (juce::sendNotificationAsync);
    keyNameLabel.setText ({}, juce::dontSendNotification);
    keyValueLabel.setText ({}, juce::dontSendNotification);
    keyView.setAllNotesOff();
    enableAllControls();
    setAllControls();
}

void MainComponent::withholdKeyboardUnderMask()
{
    std::vector<juce::Component::SafePointer<juce::Component>> takers;

    for (auto* child : getChildren())
        if (isUnderMask (*child))
            collectKeyboardTakers (*child, takers);

    // The focus a control loses goes nowhere rather than to the first control
    // above the mask, the connect toggle, where a Return meant for a tool
    // would switch the connection off.
    for (auto& taker : takers)
    {
        taker->setWantsKeyboardFocus (false);
        taker->giveAwayKeyboardFocus();
        keyboardWithheldByMask.push_back (taker);
    }
}

void MainComponent::closePopupsUnderMask()
{
    // A choice in a popup opened before the mask went up would still act. The
    // icon box lies above the mask, but goes out of use with it.
    for (auto* child : getChildren())
        if (auto* box = dynamic_cast<CustomComboBox*> (child); box != nullptr && isUnderMask (*box))
            box->dismissPopup();

    iconCombo.dismissPopup();
}

void MainComponent::returnKeyboardUnderMask()
{
    for (auto& control : keyboardWithheldByMask)
        if (control != nullptr)
            control->setWantsKeyboardFocus (true);

    keyboardWithheldByMask.clear();
}

bool MainComponent::isUnderMask (const juce::Component& control) const
{
    return &control != &disabledMask && control.getBounds().intersects (disabledMask.getBounds());
}

void MainComponent::collectKeyboardTakers (juce::Component& component, std::vector<juce::Component::SafePointer<juce::Component>>& takers)
{
    if (component.getWantsKeyboardFocus())
        takers.emplace_back (&component);

    for (auto* child : component.getChildren())
        collectKeyboardTakers (*child, takers);
}
