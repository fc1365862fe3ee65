// The connect toggle, the message box and the entry of every message that the
// link posts to the panel.
#include "app/MainComponent.h"

#include "BinaryData.h"

namespace
{
constexpr float messageFontHeight = 34.0f;
const juce::Colour boxBackground { 0xea132145 };
const juce::Colour boxText { 0xffffffff };
const juce::Colour boxOutline { 0xea132145 };
const juce::Colour boxButtonText { 0xffffffff };
} // namespace

void MainComponent::handleMessage (const juce::Message& message)
{
    const auto* typeMessage = dynamic_cast<const TypeMessage*> (&message);

    if (typeMessage == nullptr)
        return;

    switch (typeMessage->type)
    {
        case TypeMessage::MSG_CONNECT:
            onConnectMessage (message);
            break;
        case TypeMessage::MSG_SOUND:
            onSoundMessage (message);
            break;
        case TypeMessage::MSG_PART:
            onPartMessage (message);
            break;
        case TypeMessage::MSG_PARAM:
            onParamMessage (message);
            break;
        case TypeMessage::MSG_TRACK_PARAM:
            onTrackParamMessage (message);
            break;
        case TypeMessage::MSG_INFO:
            onInfoMessage (message);
            break;
        case TypeMessage::MSG_NOTE:
            onNoteMessage (message);
            break;
        default:
            break;
    }
}

void MainComponent::connectButtonClicked()
{
}

void MainComponent::onConnectMessage (const juce::Message& message)
{
    if (const auto* connect = dynamic_cast<const ConnectMessage*> (&message))
        onConnect (&midi, connect->result);
}

void MainComponent::onConnect (MidiVelmor*, int)
{
}

void MainComponent::onConnectionLost (MidiVelmor*)
{
}

void MainComponent::openMessageBox (juce::String title, juce::String message, int type)
{
    if (messageBox != nullptr)
        messageBox->exitModalState (0);

    messageBox = std::make_unique<CustomAlertWindow> (title, message);
    messageBox->setFont (createPanelFont().withHeight (messageFontHeight));
    messageBox->setColour (juce::AlertWindow::backgroundColourId, boxBackground);
    messageBox->setColour (juce::AlertWindow::textColourId, boxText);
    messageBox->setColour (juce::AlertWindow::outlineColourId, boxOutline);
    messageBox->getLookAndFeel().setColour (juce::TextButton::textColourOffId, boxButtonText);

    switch (type)
    {
        case searchingBox:
            messageBox->addButton ("CANCEL", searchingBox, {}, {});
            break;
        case connectionLostBox:
        case fileErrorBox:
            messageBox->addButton ("OK", type, {}, {});
            break;
        default:
            break;
    }

    // The callback may come after the box was replaced or the panel has gone:
    // it knows the box by its serial and the panel through a safe pointer.
    const auto serial = ++messageBoxSerial;
    const juce::Component::SafePointer<MainComponent> panel (this);

    messageBox->enterModalState (true, juce::ModalCallbackFunction::create ([panel, serial] (int result)
                                                                            { messageBoxCallback (result, panel, serial); }),
                                 false);
}

void MainComponent::messageBoxCallback (int result, juce::Component::SafePointer<MainComponent> panel, int serial)
{
    juce::Logger::writeToLog ("messageBoxCallback: exit with result = " + juce::String (result));

    if (panel != nullptr && panel->messageBox != nullptr && panel->messageBoxSerial == serial)
        panel->closeMessageBox (result);
}

void MainComponent::closeMessageBox (int result)
{
    if (messageBox == nullptr)
        return;

    messageBox->setVisible (false);
    messageBox.reset();

    if (result == searchingBox)
    {
        connectButton.setToggleState (false, juce::dontSendNotification);
        midi.disconnect();
        microPCombo.clear (juce::sendNotificationAsync);
    }
    else if (result == connectionLostBox)
    {
        connectButton.setToggleState (false, juce::dontSendNotification);
        microPCombo.clear (juce::sendNotificationAsync);
    }
}
