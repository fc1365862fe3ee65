#include "tests/app/PanelScenario.h"

#include "tests/controls/PeerInput.h"
#include "tests/link/LogFile.h"

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>

namespace
{
constexpr uint8_t sysExStart = 0xF0;
constexpr uint8_t sysExEnd = 0xF7;
constexpr uint8_t editorMaker = 0x7D;
// A maker whose messages the link takes off the queue and otherwise ignores.
constexpr uint8_t otherMaker = 0x43;
constexpr int pingCommand = 2;
constexpr int settleRounds = 20;
constexpr int queuedMessageRounds = 3;
constexpr int defaultWaitMs = 3000;
// Icon ids 33 to 44 all have an image.
constexpr int firstIconId = 33;
constexpr int iconIdsInARow = 12;

// The log lives as long as the test process: each marker differs from every
// one before it in the process.
int markersInjected = 0;

struct Command
{
    const char* name;
    int payloadShown; // -1: all of it
};

const std::map<int, Command> editorCommands {
    { 2, { "ping", 0 } },
    { 3, { "per-key", 6 } },
    { 4, { "part data?", -1 } },
    { 5, { "dump start", -1 } },
    { 6, { "names?", -1 } },
    { 8, { "part name?", -1 } },
    { 9, { "part name", 3 } },
    { 10, { "layer mode?", -1 } },
    { 12, { "part parameters", 1 } },
    { 13, { "part pedals", 1 } },
};

bool isPing (const juce::MidiMessage& message)
{
    const auto* d = message.getRawData();
    return message.isSysEx() && message.getRawDataSize() > 6 && d[1] == editorMaker && d[5] == pingCommand;
}

juce::MidiMessage fromBytes (const std::vector<uint8_t>& bytes)
{
    return juce::MidiMessage (bytes.data(), (int) bytes.size());
}

juce::MidiMessage controller (int channel, int number, int value)
{
    return juce::MidiMessage::controllerEvent (channel + 1, number, value);
}

// One message as the wire text shows it.
std::string describe (const juce::MidiMessage& message)
{
    const auto* d = message.getRawData();
    const auto size = message.getRawDataSize();
    juce::String text;

    if (message.isSysEx() && size == 6 && d[1] == 0x7E && d[3] == 0x06 && d[4] == 0x01)
    {
        text = "identity?";
    }
    else if (message.isSysEx() && size >= 8 && d[1] == editorMaker && editorCommands.count (d[5]) > 0)
    {
        const auto& command = editorCommands.at (d[5]);
        const auto payloadSize = size - 8;
        const auto shown = command.payloadShown < 0 ? payloadSize : juce::jmin (command.payloadShown, payloadSize);
        text = command.name;

        for (int i = 0; i < shown; ++i)
            text << " " << (int) d[6 + i];
    }
    else if (message.isController())
    {
        text << "cc " << (message.getChannel() - 1) << " " << message.getControllerNumber() << "=" << message.getControllerValue();
    }
    else if (message.isProgramChange())
    {
        text << "program " << (message.getChannel() - 1) << "=" << message.getProgramChangeNumber();
    }
    else
    {
        text = juce::String::toHexString (d, size);
    }

    return text.toStdString();
}

} // namespace

juce::Point<float> clickablePointOf (juce::Component& button)
{
    const auto centre = button.getLocalBounds().getCentre();

    for (int d = 0; d < button.getWidth() / 2; ++d)
        for (const auto p : { centre.translated (d, 0), centre.translated (-d, 0), centre.translated (0, d), centre.translated (0, -d) })
            if (button.hitTest (p.x, p.y))
                return button.getBoundsInParent().getPosition().toFloat() + p.toFloat();

    throw std::logic_error ("the button takes no click");
}

juce::TextButton& buttonOf (juce::AlertWindow& box)
{
    for (auto* child : box.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            return *button;

    throw std::logic_error ("the box has no button");
}

SimulatedInstrument::Part shownPart (const std::string& name, int number, int seed)
{
    // Values within the sliders' range, none at the centre, most different
    // from their neighbours.
    const auto value = [&seed] (int i)
    { return (uint8_t) (20 + (seed * 7 + i * 13) % 90 + ((seed * 7 + i * 13) % 90 >= 44 ? 1 : 0)); };

    SimulatedInstrument::Part part;
    part.setName (name);
    part.bank = 0;
    part.number = (uint8_t) number;
    part.iconId = (uint8_t) (firstIconId + seed % iconIdsInARow);
    part.templateId = (uint8_t) (1 + seed % 11);

    for (size_t i = 0; i < part.params.size(); ++i)
        part.params[i] = value ((int) i);

    for (size_t t = 0; t < part.tracks.size(); ++t)
        for (size_t k = 0; k < part.tracks[t].size(); ++k)
            part.tracks[t][k] = value ((int) (t * 88 + k + 1));

    return part;
}

namespace FromInstrument
{
std::vector<juce::MidiMessage> programChange (int channel, int bank, int program)
{
    return { controller (channel, 0, bank), juce::MidiMessage::programChange (channel + 1, program) };
}

std::vector<juce::MidiMessage> nrpn (int channel, int group, int param, int value)
{
    return { controller (channel, 99, group), controller (channel, 98, param), controller (channel, 6, value) };
}

juce::MidiMessage perKeyBlock (int gen, int param, int start, const std::vector<uint8_t>& values)
{
    const auto payload = payloadOf ({ 0, (uint8_t) gen, (uint8_t) param, 0, (uint8_t) values.size(), (uint8_t) start }, values);
    return fromBytes (SimulatedInstrument::frame (3, payload));
}

juce::MidiMessage partParameters (int iconId, int templateId)
{
    return fromBytes (SimulatedInstrument::frame (12, { 0, 0, 0, (uint8_t) iconId, 0, 0, 0, 0, (uint8_t) templateId, 0 }));
}

juce::MidiMessage name (int index, const std::string& text)
{
    const auto encoded = SimulatedInstrument::encodeName (reinterpret_cast<const uint8_t*> (text.data()), text.size());
    return fromBytes (SimulatedInstrument::frame (7, payloadOf ({ 0, (uint8_t) index, (uint8_t) text.size() }, encoded)));
}

juce::MidiMessage identityReply (uint8_t major, uint8_t minor, uint8_t flags)
{
    return fromBytes ({ sysExStart, 0x7E, 0x00, 0x06, 0x02, editorMaker, 0x00, 0x1C, 0x20, 0x00, major, minor, 0x00, flags, sysExEnd });
}

juce::MidiMessage changeMode (int mode)
{
    return controller (0, MidiVelmor::CC_CHANGE_MODE, mode);
}
} // namespace FromInstrument

void PanelScenario::SetUp()
{
    buildPanel();
}

void PanelScenario::buildPanel()
{
    harness.build();
    harness.showOnDesktop();
    instrument();
    // The splash screen is no concern here, and would take the keyboard focus.
    harness.getPanel().toFront (true);
    takeLog();
}

void PanelScenario::TearDown()
{
    EXPECT_TRUE (instrument().getProblems().isEmpty()) << instrument().getProblems().joinIntoString ("\n");
}

void PanelScenario::clickConnect()
{
    PeerInput (harness.getPanel()).click (clickablePointOf (panel().connectButton));
}

void PanelScenario::clickBoxButton()
{
    auto& box = *panel().messageBox;
    PeerInput (box).click (buttonOf (box).getBounds().getCentre().toFloat());
}

bool PanelScenario::pressEscapeOnBox()
{
    return PeerInput (*panel().messageBox).press (juce::KeyPress (juce::KeyPress::escapeKey));
}

void PanelScenario::connect()
{
    clickConnect();
    EXPECT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return panel().messageBox == nullptr && panel().midi.getConnectionState() == Midi::STATE_CONNECTED; }));
    settle();
}

void PanelScenario::settle()
{
    auto& ports = harness.getPorts();
    const auto sentCount = [&ports]
    {
        const auto sent = ports.getSentMessages();
        return std::count_if (sent.begin(), sent.end(), [] (const auto& s)
                              { return ! isPing (s.message); });
    };

    for (int round = 0; round < settleRounds; ++round)
    {
        const auto before = sentCount();

        if (panel().midi.getConnectionState() != Midi::STATE_DISCONNECTED && ports.isInputOpen (PanelHarness::inputName))
        {
            EXPECT_TRUE (waitUntilTaken (PanelHarness::pumpUntil));
        }

        runQueuedMessages();

        if (sentCount() == before)
            return;
    }

    ADD_FAILURE() << "the editor and the instrument never fell silent";
}

void PanelScenario::waitUntilPosted()
{
    EXPECT_TRUE (waitUntilTaken (waitWithoutDispatch));
}

bool PanelScenario::waitUntilTaken (const std::function<bool (std::function<bool()>, int)>& wait)
{
    // The link logs each message as it takes it off its queue, after it has
    // decoded and posted the one before.
    ++markersInjected;
    const std::vector<uint8_t> marker { sysExStart, otherMaker, 0x7F, (uint8_t) (markersInjected & 0x7F), (uint8_t) ((markersInjected >> 7) & 0x7F), sysExEnd };
    const auto dump = juce::String::toHexString (marker.data(), (int) marker.size()).toUpperCase();
    const auto logEnd = LogFile::end();
    instrument().injectBytes (marker);
    return wait ([&dump, logEnd]
                 { return LogFile::textSince (logEnd).contains (dump); },
                 defaultWaitMs);
}

void PanelScenario::runQueuedMessages()
{
    // Each round also runs what the round before set off asynchronously.
    for (int round = 0; round < queuedMessageRounds; ++round)
    {
        auto reached = std::make_shared<bool> (false);
        juce::MessageManager::callAsync ([reached]
                                         { *reached = true; });
        EXPECT_TRUE (PanelHarness::pumpUntil ([reached]
                                              { return *reached; }));
    }
}

void PanelScenario::send (const std::vector<juce::MidiMessage>& messages)
{
    for (const auto& message : messages)
        instrument().inject (message);
}

void PanelScenario::send (const juce::MidiMessage& message)
{
    instrument().inject (message);
}

Wire PanelScenario::takeWire()
{
    auto& ports = harness.getPorts();
    const auto sent = ports.getSentMessages();
    ports.clearSentMessages();

    Wire wire;

    for (size_t i = 0; i < sent.size(); ++i)
    {
        const auto& m = sent[i].message;

        if (isPing (m))
            continue;

        // Group, parameter and value on one channel are one NRPN.
        if (m.isControllerOfType (99) && i + 2 < sent.size())
        {
            const auto& param = sent[i + 1].message;
            const auto& value = sent[i + 2].message;

            if (param.isControllerOfType (98) && value.isControllerOfType (6) && param.getChannel() == m.getChannel() && value.getChannel() == m.getChannel())
            {
                wire.push_back ("nrpn " + std::to_string (m.getChannel() - 1) + " " + std::to_string (m.getControllerValue()) + ":" + std::to_string (param.getControllerValue()) + "=" + std::to_string (value.getControllerValue()));
                i += 2;
                continue;
            }
        }

        wire.push_back (describe (m));
    }

    return wire;
}

juce::StringArray PanelScenario::takeLog()
{
    return LogFile::takeEntries (logMark);
}

juce::String PanelScenario::boxText()
{
    const auto& box = panel().messageBox;
    return box != nullptr ? messageBoxText (*box) : juce::String();
}

juce::String PanelScenario::settingsValue (const juce::String& key) const
{
    if (const auto xml = juce::parseXML (harness.userSettingsFile()))
        for (const auto* value : xml->getChildWithTagNameIterator ("VALUE"))
            if (value->getStringAttribute ("name") == key)
                return value->getStringAttribute ("val");

    return {};
}

std::vector<int> PanelScenario::keyValues()
{
    std::vector<unsigned char> bytes (KeyView::keyCount);
    panel().keyView.getKeyValues (0, bytes.data(), KeyView::keyCount);
    return { bytes.begin(), bytes.end() };
}

bool PanelScenario::waitWithoutDispatch (std::function<bool()> condition, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        juce::Thread::sleep (1);
    }

    return true;
}
