// What the user changes on the panel, stored in the record and sent.
#include "app/MainComponent.h"

#include "app/PanelTables.h"

void MainComponent::buttonClicked (juce::Button* button)
{
    if (button == &connectButton)
        connectButtonClicked();
}

void MainComponent::buttonStateChanged (juce::Button*)
{
}

void MainComponent::sliderValueChanged (juce::Slider*)
{
}

void MainComponent::labelDoubleClick (CustomLabel*)
{
}

void MainComponent::comboBoxChanged (juce::ComboBox* comboBox)
{
    if (comboBox == &keyParamCombo)
    {
        const auto id = keyParamCombo.getSelectedId();

        if (! juce::isPositiveAndNotGreaterThan (id, KEY_PARAM_COUNT) || id == 0)
            return;

        currentKeyParam = id - 1;
        kCircleButtons[(size_t) currentKeyParam].setToggleState (true, juce::dontSendNotification);

        const auto record = midi.getMicroPCopy();
        const auto offset = record.params[PIANO_KCIRCLE_TO_SLIDER[currentKeyParam]];
        keyView.setOffset (offset);
        // The offset slider's handler stores and sends the paired parameter
        // when the slider had to move.
        triangleSlider->setValue (offset, juce::sendNotificationAsync);
        keyView.setKeyValues (0, record.tracks[currentKeyParam], KEY_COUNT);
    }
    else if (comboBox == &templateCombo)
    {
        // No model has id 0: an empty selection stores and sends nothing.
        const auto id = templateCombo.getSelectedId();

        if (id == 0)
            return;

        midi.setPartMicroPTemplate ((unsigned char) currentPart, (unsigned char) (id - 1));
        midi.sendPartParameters ((unsigned char) currentPart);
    }
    else if (comboBox == &scaleCombo)
    {
        setGlobalScaleFactor (scaleCombo.getSelectedId());
    }
}

void MainComponent::modifierKeysChanged (const juce::ModifierKeys&)
{
}

void MainComponent::mouseOverKey (KeyView*, unsigned char, unsigned char)
{
}

void MainComponent::valuesChanged (KeyView*, unsigned char, unsigned char)
{
}

void MainComponent::setKeyBarZoom()
{
}

void MainComponent::resetKeyView()
{
}

void MainComponent::randomKeyView()
{
}

void MainComponent::scaleKeyView (int)
{
}

void MainComponent::moveKeyView (int)
{
}
