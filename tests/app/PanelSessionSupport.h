#pragma once

#include "tests/app/PanelTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Messages on the wire, each as upper-case hex bytes ("B0 63 00").
using Wire = std::vector<std::string>;

// Lets every asynchronous notification that is already pending run.
void settle();
// Closes the splash, which would lie over the panel and take the pointer.
void closeSplashScreens();

// Mouse and Shift input delivered through the panel's window peer, as the
// display server delivers it, while the real pointer waits where no window of
// the test lies. Positions are in panel pixels. Presses lie far apart in time, so no two make a double-click.
class PanelMouse
{
public:
    explicit PanelMouse (juce::Component& panel);

    void move (juce::Point<int> position);
    void press (juce::Point<int> position);
    void drag (juce::Point<int> position);
    void release (juce::Point<int> position);
    void click (juce::Point<int> position);
    void click (juce::Component& control);
    // Shift goes down or up as a key would: the control under the pointer hears it first.
    void setShift (bool down);

    // The item of the open popup (the framework's or a menu area's) clicked.
    // Returns false when no single popup is open.
    static bool chooseInPopup (int index);
    // The same, returning at once: the popup's answer and what it sets off
    // are still to run.
    static bool clickInPopup (int index);

private:
    void send (juce::Point<int> position, juce::ModifierKeys buttons);
    juce::ModifierKeys held (juce::ModifierKeys buttons) const;

    juce::Component& panel;
    juce::int64 time;
    bool shift = false;
};

// A panel on the desktop whose link is connected to the simulated instrument
// and edits part 0, without the connection flow: the panel hears none of the
// link's posted reports, so nothing the instrument says changes what a test
// expects. The instrument starts with the editor's whole record.
class ConnectedPanel : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    PanelAccess& c() { return harness.controls(); }
    MainComponent& panel() { return harness.getPanel(); }
    PanelMouse& mouse() { return *pointer; }

    // The messages sent since the last call, pings left out.
    Wire takeWire();
    // Lets every pending asynchronous notification run, then takes the wire.
    Wire settleAndTakeWire();

    // The record with one change, put in place without a send.
    template<typename Change>
    void changeRecord (Change&& change)
    {
        const juce::ScopedLock sl (c().midi.getRecordLock());
        change (c().midi.microP);
    }

    // What the editor and the instrument agree on after edits: name, icon,
    // model, part parameters and per-key tables.
    void expectInstrumentHoldsTheRecord();

    PanelHarness harness;
    std::unique_ptr<PanelMouse> pointer;
};

// Expected wire text.
Wire joined (Wire first, const Wire& second);
std::string hexOf (const std::vector<uint8_t>& bytes);
std::string sysExText (uint8_t command, const std::vector<uint8_t>& payload);
// The three controller messages of a part parameter edit.
Wire nrpnTriple (int part, int param, int value);
