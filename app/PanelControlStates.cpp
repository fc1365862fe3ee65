// The state of the whole panel at once: editing enabled or disabled, the
// record shown, the record and the panel reset.
#include "app/MainComponent.h"

#include "app/PanelTables.h"
#include "link/VelmorWire.h"

void MainComponent::enableAllControls()
{
    disabledMask.setVisible (false);

    for (auto* control : { static_cast<juce::Component*> (&openButton), static_cast<juce::Component*> (&saveButton), static_cast<juce::Component*> (&iconCombo) })
        control->setEnabled (true);
}

void MainComponent::disableAllControls()
{
    disabledMask.setVisible (true);

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
