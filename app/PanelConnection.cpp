// The connect toggle, the message box and the entry of every message that the
// link posts to the panel.
#include "app/MainComponent.h"

#include <utility>

// The states of the connection are ConnectionFlow's; the panel carries out
// what each transition asks of the link, the toggle, the box and the list.
//
// The instrument's reports are taken only while connected. The link posts
// every report of a connection after that connection's CONNECT_OK, and the
// message queue keeps the order, so reports of an ended connection arrive
// before the next CONNECT_OK and are dropped. A connect result carries the
// number of its search, and counts only while that search is the link's last
// one and the panel is searching: the link posts a result after it lets go of
// its state lock, so a CANCEL and a new search may come before the result of
// the search they ended.

namespace
{
constexpr float messageFontHeight = 34.0f;
const juce::Colour boxBackground { 0xea132145 };
const juce::Colour boxText { 0xffffffff };
const juce::Colour boxOutline { 0xea132145 };
const juce::Colour boxButtonText { 0xffffffff };

constexpr auto searchingText = "  Searching for Velmor Piano device. Please wait...  ";
constexpr auto notFoundText = "  Velmor Piano device not found!\n  Please, connect usb cable to the device and retry.  ";
constexpr auto connectionLostText = "  Velmor Piano device communication lost!\n  Please, verify usb cable connection and retry.  ";

constexpr unsigned char allNamesBank = 0;
constexpr unsigned char allNamesIndex = 127;

// Names the oldest instrument software that the link accepts; the link never
// checks the third number.
juce::String outOfDateText()
{
    const auto& oldest = MidiVelmor::oldestAcceptedSoftware;
    return "  Velmor Piano software is out of date!\n  Please, update software to v" + juce::String (oldest.major) + "." + juce::String (oldest.minor) + ".0 or later.";
}

// A message the panel posts to itself: what it hands over keeps its place
// among the messages the link posts.
class PanelMessage : public juce::Message
{
public:
    explicit PanelMessage (std::function<void()> actionToRun) : action (std::move (actionToRun)) {}

    const std::function<void()> action;
};
} // namespace

void MainComponent::postToPanel (std::function<void()> action)
{
    postMessage (new PanelMessage (std::move (action)));
}

bool MainComponent::isFollowingConnection() const
{
    return connectionFlow.getState() == ConnectionFlow::State::connected && midi.getConnectionState() == Midi::STATE_CONNECTED;
}

void MainComponent::handleMessage (const juce::Message& message)
{
    if (const auto* own = dynamic_cast<const PanelMessage*> (&message))
    {
        own->action();
        return;
    }

    const auto* typeMessage = dynamic_cast<const TypeMessage*> (&message);

    if (typeMessage == nullptr)
        return;

    if (typeMessage->type != TypeMessage::MSG_CONNECT && ! isFollowingConnection())
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
    if (! connectButton.getToggleState())
    {
        currentPart = -1;
        midi.disconnect();
        connectionFlow.end();
        clearAllControls();
        return;
    }

    microPCombo.clear (juce::sendNotificationAsync);
    connectionFlow.startSearch();
    openMessageBox ({}, searchingText, searchingBox);

    midi.setActiveInput (midiInputIndex);
    midi.setActiveOutput (midiOutputIndex);
    midi.connect();
}

void MainComponent::onConnectMessage (const juce::Message& message)
{
    // A result of a search that a newer one has replaced concerns nobody.
    if (const auto* connect = dynamic_cast<const ConnectMessage*> (&message); connect != nullptr && connect->search == midi.getSearchNumber())
        onConnect (&midi, connect->result);
}

void MainComponent::onConnect (MidiVelmor*, int code)
{
    juce::Logger::writeToLog ("onConnect(" + juce::String (code) + ")");

    const bool searchBoxOpen = messageBox != nullptr && connectionFlow.getBoxType() == searchingBox;

    if (code == Midi::CONNECT_OK)
    {
        // A result that the toggle no longer waits for must not leave the link
        // connected behind it.
        if (! connectButton.getToggleState() || midi.getConnectionState() != Midi::STATE_CONNECTED || ! connectionFlow.takeResult (true))
        {
            midi.disconnect();
            return;
        }

        midiInputIndex = midi.getActiveInput();
        midiOutputIndex = midi.getActiveOutput();
        saveProperties();

        if (searchBoxOpen)
            messageBox->exitModalState (0);

        midi.getMicroPNameList (allNamesBank, allNamesIndex);
        midi.getLayerMode();
        return;
    }

    if (! connectionFlow.takeResult (false))
        return;

    if (code == Midi::CONNECT_OUT_OF_DATE)
    {
        // The refused instrument's ports are still open: every message it sends
        // would be logged as unexpected until the next search.
        midi.disconnect();
    }

    if (searchBoxOpen && code == Midi::CONNECT_NOT_FOUND)
        messageBox->setMessage (notFoundText);
    else if (searchBoxOpen && code == Midi::CONNECT_OUT_OF_DATE)
        messageBox->setMessage (outOfDateText());

    connectButton.setToggleState (false, juce::dontSendNotification);
}

void MainComponent::onConnectionLost (MidiVelmor*)
{
    juce::Logger::writeToLog ("onConnectionLost");

    connectionFlow.loseConnection();
    openMessageBox ({}, connectionLostText, connectionLostBox);
}

void MainComponent::openMessageBox (juce::String title, juce::String message, int type)
{
    // A replaced box's answer is never heard.
    saveAwaitingAnswer.reset();

    if (messageBox != nullptr)
        messageBox->exitModalState (0);

    messageBox = std::make_unique<CustomAlertWindow> (title, message);
    const auto serial = connectionFlow.openBox (type);
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
        case replaceFileBox:
            messageBox->addButton ("REPLACE", replaceFileBox, {}, {});
            messageBox->addButton ("CANCEL", keepFileAnswer, {}, {});
            break;
        default:
            break;
    }

    // The callback may come after the box was replaced or the panel has gone:
    // it knows the box by its serial and the panel through a safe pointer.
    const juce::Component::SafePointer<MainComponent> panel (this);

    messageBox->enterModalState (true, juce::ModalCallbackFunction::create ([panel, serial] (int result)
                                                                            { messageBoxCallback (result, panel, serial); }),
                                 false);
}

void MainComponent::messageBoxCallback (int result, juce::Component::SafePointer<MainComponent> panel, int serial)
{
    juce::Logger::writeToLog ("messageBoxCallback: exit with result = " + juce::String (result));

    if (panel != nullptr && panel->messageBox != nullptr && panel->connectionFlow.isBox (serial))
        panel->closeMessageBox (result);
}

void MainComponent::closeMessageBox (int result)
{
    if (messageBox == nullptr)
        return;

    messageBox->setVisible (false);
    messageBox.reset();
    connectionFlow.closeBox();
    const auto save = std::exchange (saveAwaitingAnswer, std::nullopt);

    // Result 0 is the panel's own closing; a button carries the follow-up of
    // the state the box was shown for, whichever box shows it now.
    if (result == 0)
        return;

    if (result == replaceFileBox && save.has_value())
        saveRecord (save->file, save->record, save->part);

    const auto followUp = connectionFlow.pressBoxButton();

    if (followUp == ConnectionFlow::ButtonFollowUp::none)
        return;

    connectButton.setToggleState (false, juce::dontSendNotification);

    if (followUp == ConnectionFlow::ButtonFollowUp::stopSearch)
        midi.disconnect();

    microPCombo.clear (juce::sendNotificationAsync);
}
