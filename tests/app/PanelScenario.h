#pragma once

#include "tests/app/PanelTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// What the editor put on the wire, a message a line: requests and commands by
// name with their payload ("part name? 0"), an NRPN as "nrpn 0 0:17=70" (part,
// group:parameter=value), other channel messages as "cc", "program". Pings
// are left out.
using Wire = std::vector<std::string>;

// A part with a value of its own in every field the panel shows.
SimulatedInstrument::Part shownPart (const std::string& name, int number, int seed);

// Messages of the instrument, as it puts them on the wire.
namespace FromInstrument
{
std::vector<juce::MidiMessage> programChange (int channel, int bank, int program);
std::vector<juce::MidiMessage> nrpn (int channel, int group, int param, int value);
juce::MidiMessage perKeyBlock (int gen, int param, int start, const std::vector<uint8_t>& values);
juce::MidiMessage partParameters (int iconId, int templateId);
juce::MidiMessage name (int index, const std::string& text);
juce::MidiMessage identityReply (uint8_t major, uint8_t minor, uint8_t flags);
juce::MidiMessage changeMode (int mode);
} // namespace FromInstrument

// The panel on the desktop with the simulated instrument behind its ports,
// driven as the user drives it and read as the user reads it.
class PanelScenario : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Builds the panel anew, as the harness is set up now, on the desktop.
    void buildPanel();

    PanelAccess& panel() { return harness.controls(); }
    SimulatedInstrument& instrument() { return harness.instrument(); }

    // The user, through the windows' peers.
    void clickConnect();
    void clickBoxButton();
    bool pressEscapeOnBox();

    // Switches the toggle on and waits until the box has gone and the editor
    // and the instrument have nothing more to say to each other.
    void connect();
    // Waits until everything the instrument sent so far has been taken by the
    // link and the panel, and what they sent in answer has been answered too.
    void settle();
    void send (const std::vector<juce::MidiMessage>& messages);
    void send (const juce::MidiMessage& message);

    // What the editor sent since the last call.
    Wire takeWire();
    // The log's entries since the last call, level prefixes removed.
    juce::StringArray takeLog();

    juce::String boxText();
    juce::String settingsValue (const juce::String& key) const;
    std::vector<int> keyValues();

    // Runs no message loop meanwhile: what the link posts stays queued.
    static bool waitWithoutDispatch (std::function<bool()> condition, int timeoutMs = 3000);
    // Waits, running no message loop, until the link has taken everything the
    // instrument sent so far and posted what it brings.
    void waitUntilPosted();

    PanelHarness harness;

private:
    void runQueuedMessages();
    bool waitUntilTaken (const std::function<bool (std::function<bool()>, int)>& wait);

    juce::int64 logMark = 0;
};

// Where a click on the button lands on its image, in its parent's coordinates.
juce::Point<float> clickablePointOf (juce::Component& button);
juce::TextButton& buttonOf (juce::AlertWindow& box);
