#include "tests/app/PanelScenario.h"
#include "tests/controls/PeerInput.h"
#include "tests/link/LogFile.h"

namespace
{
const juce::String searchingText = "  Searching for Velmor Piano device. Please wait...  ";
const juce::String notFoundText = "  Velmor Piano device not found!\n  Please, connect usb cable to the device and retry.  ";
const juce::String outOfDateText = "  Velmor Piano software is out of date!\n  Please, update software to v1.4.0 or later.";
const juce::String lostText = "  Velmor Piano device communication lost!\n  Please, verify usb cable connection and retry.  ";
const juce::String fileErrorText = "  The file could not be read.  ";

constexpr int connectPeriodMs = Midi::connectPeriodMs;
constexpr int pingPeriodMs = Midi::pingPeriodMs;
// Timers come late on a loaded machine. They also come early: the
// framework's timer thread counts a new timer down from its own last wake-up,
// which can lie up to 400 ms back when it waited for a busy message thread.
constexpr int lateTimerMs = 1000;
constexpr int earlyTimerMs = 400;

SimulatedInstrument::Identity silentInstrument()
{
    SimulatedInstrument::Identity identity;
    identity.answers = false;
    return identity;
}

// A part that the panel shows without sending anything back: the model shown
// at start and every value at the centre.
SimulatedInstrument::Part quietPart()
{
    SimulatedInstrument::Part part;
    part.setName ("Concert");
    part.templateId = 1;
    part.params.fill (64);

    for (auto& table : part.tracks)
        table.fill (64);

    return part;
}

class PanelConnection : public PanelScenario
{
protected:
    bool portsOpen()
    {
        auto& ports = harness.getPorts();
        return ports.isInputOpen (PanelHarness::inputName) || ports.getOpenOutputName().isNotEmpty();
    }

    void expectIdleWithoutBox()
    {
        EXPECT_EQ (panel().messageBox, nullptr);
        EXPECT_FALSE (panel().connectButton.getToggleState());
        EXPECT_EQ (panel().microPCombo.getNumItems(), 0);
        EXPECT_EQ (panel().midi.getConnectionState(), Midi::STATE_DISCONNECTED);
        EXPECT_FALSE (portsOpen());
    }

    // Ten outputs to try make a search that nobody answers last five seconds,
    // longer than any step of a test that acts while the search runs.
    void buildWithLongSearches()
    {
        harness.otherOutputs = { "Out 2", "Out 3", "Out 4", "Out 5", "Out 6", "Out 7", "Out 8", "Out 9", "Out 10" };
        buildPanel();
        instrument().setIdentity (silentInstrument());
    }

    // Switches the toggle on with an instrument that does not answer, and
    // waits until the first pair has been asked.
    bool startSearchNobodyAnswers()
    {
        instrument().setIdentity (silentInstrument());
        clickConnect();
        return PanelHarness::pumpUntil ([this]
                                        { return portsOpen() && instrument().getIdentityRequestCount() == 1; });
    }
};
} // namespace

TEST_F (PanelConnection, TheSearchingBoxStaysUntilTheInstrumentAnswersThenTheNamesAndTheLayerModeAreAsked)
{
    instrument().setNames (0, { "Concert", "Studio" });
    instrument().setPart (0, quietPart());

    // user clicks connect | box searching, toggle on | identity?
    ASSERT_TRUE (startSearchNobodyAnswers());
    EXPECT_EQ (boxText(), searchingText);
    EXPECT_TRUE (panel().connectButton.getToggleState());
    EXPECT_EQ (takeWire(), (Wire { "identity?" }));

    auto& box = *panel().messageBox;
    EXPECT_TRUE (box.isCurrentlyModal());
    EXPECT_EQ (box.getNumButtons(), 1);
    EXPECT_EQ (box.findColour (juce::AlertWindow::backgroundColourId), juce::Colour (0xea132145));
    EXPECT_EQ (box.findColour (juce::AlertWindow::outlineColourId), juce::Colour (0xea132145));
    EXPECT_EQ (box.findColour (juce::AlertWindow::textColourId), juce::Colour (0xffffffff));
    EXPECT_EQ (box.getLookAndFeel().findColour (juce::TextButton::textColourOffId), juce::Colour (0xffffffff));
    EXPECT_EQ (box.getLookAndFeel().getAlertWindowMessageFont().getHeight(), 34.0f);

    // instrument answers | box gone, settings hold the pair | names? 0 127, layer mode?, part name? 0, part data? 0
    send (FromInstrument::identityReply (1, 4, 0x48));
    ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return panel().messageBox == nullptr; }));
    settle();

    EXPECT_TRUE (panel().connectButton.getToggleState());
    EXPECT_EQ (settingsValue ("MidiInputIndex"), "0");
    EXPECT_EQ (settingsValue ("MidiOutputIndex"), "0");
    EXPECT_EQ (takeWire(), (Wire { "names? 0 127", "layer mode?", "part name? 0", "part data? 0" }));
    EXPECT_TRUE (LogFile::containsInOrder (takeLog(), { "onConnect(0)", "messageBoxCallback: exit with result = 0" }));
}

TEST_F (PanelConnection, ARefusedInstrumentLeavesTheToggleOffThePortsClosedAndTheBoxSayingWhy)
{
    struct Case
    {
        const char* what;
        uint8_t minor;
        uint8_t flags;
    };

    const Case cases[] = { { "software 1.3", 3, 0x48 }, { "a flags value of another form", 4, 0x49 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        auto identity = SimulatedInstrument::Identity();
        identity.minor = c.minor;
        identity.flags = c.flags;
        instrument().setIdentity (identity);

        // user clicks connect | toggle off, box out of date, ports closed | identity?
        clickConnect();
        ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                              { return boxText() == outOfDateText; }));
        EXPECT_FALSE (panel().connectButton.getToggleState());
        EXPECT_FALSE (portsOpen());

        // instrument plays a note | the link never hears it |
        send (juce::MidiMessage::noteOn (1, 60, 0.5f));
        harness.getPorts().waitUntilDelivered();

        // user clicks CANCEL | idle |
        clickBoxButton();
        ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                              { return panel().messageBox == nullptr; }));
        expectIdleWithoutBox();
        EXPECT_EQ (takeWire(), (Wire { "identity?" }));

        const auto log = takeLog();
        EXPECT_TRUE (LogFile::containsInOrder (log, { "Device out of date!", "onConnect(4)", "messageBoxCallback: exit with result = 1" }));
        EXPECT_EQ (LogFile::count (log, "Received unexpected MidiMessage while Velmorpiano is isDisconnected!"), 0);
        EXPECT_FALSE (harness.userSettingsFile().exists());
    }
}

TEST_F (PanelConnection, NobodyAnsweringIsNotFoundAfterHalfASecondForEachPairTried)
{
    struct Case
    {
        const char* what;
        int savedPair;
        int pairsTried;
    };

    // A saved pair is tried first, and again in the scan.
    const Case cases[] = { { "no saved pair", -1, 1 }, { "saved pair 0, 0", 0, 2 } };
    instrument().setIdentity (silentInstrument());

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        panel().midiInputIndex = c.savedPair;
        panel().midiOutputIndex = c.savedPair;
        const auto identityRequests = instrument().getIdentityRequestCount();

        const auto start = juce::Time::getMillisecondCounter();
        clickConnect();
        ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                              { return boxText() == notFoundText; },
                                              5000));
        const auto elapsed = (int) (juce::Time::getMillisecondCounter() - start);

        EXPECT_GE (elapsed, c.pairsTried * (connectPeriodMs - earlyTimerMs));
        EXPECT_LT (elapsed, c.pairsTried * connectPeriodMs + lateTimerMs);
        EXPECT_EQ (instrument().getIdentityRequestCount() - identityRequests, c.pairsTried);
        EXPECT_FALSE (panel().connectButton.getToggleState());
        EXPECT_TRUE (LogFile::containsInOrder (takeLog(), { "onConnect(3)" }));

        clickBoxButton();
        ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                              { return panel().messageBox == nullptr; }));
        expectIdleWithoutBox();
        EXPECT_EQ (panel().midiInputIndex, c.savedPair);
        EXPECT_FALSE (harness.userSettingsFile().exists());
    }
}

TEST_F (PanelConnection, CancelWhileSearchingStopsTheSearchAndClosesThePorts)
{
    buildWithLongSearches();
    ASSERT_TRUE (startSearchNobodyAnswers());

    // user clicks CANCEL | idle, ports closed | nothing more, long past the
    // wait for the pair tried
    clickBoxButton();
    ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return panel().messageBox == nullptr; }));
    expectIdleWithoutBox();
    takeWire();

    PanelHarness::pump (3 * connectPeriodMs);
    EXPECT_EQ (takeWire(), Wire {});
    EXPECT_TRUE (LogFile::containsInOrder (takeLog(), { "messageBoxCallback: exit with result = 1", "Velmor piano is disconnected!", "No Midi Output device selected", "No Midi Input device selected" }));
}

TEST_F (PanelConnection, EscapeNeverClosesTheBox)
{
    ASSERT_TRUE (startSearchNobodyAnswers());

    takeLog();

    EXPECT_FALSE (pressEscapeOnBox());
    PanelHarness::pump (100);

    ASSERT_NE (panel().messageBox, nullptr);
    EXPECT_TRUE (panel().messageBox->isCurrentlyModal());
    EXPECT_FALSE (takeLog().joinIntoString ("\n").contains ("messageBoxCallback"));
}

TEST_F (PanelConnection, SwitchingOffWhileConnectedClearsEverythingAndSendsNothing)
{
    instrument().setNames (0, { "Concert", "Studio" });
    instrument().setPart (0, shownPart ("Studio", 1, 5));
    connect();
    ASSERT_EQ (panel().microPCombo.getNumItems(), 2);
    ASSERT_EQ (panel().currentPart, 0);
    panel().keyNameLabel.setText ("C4", juce::dontSendNotification);
    panel().keyValueLabel.setText ("+3", juce::dontSendNotification);
    takeWire();
    takeLog();

    // user clicks the toggle off | everything cleared | nothing
    clickConnect();
    settle();

    EXPECT_FALSE (panel().connectButton.getToggleState());
    EXPECT_EQ (panel().midi.getConnectionState(), Midi::STATE_DISCONNECTED);
    EXPECT_EQ (panel().currentPart, -1);
    // Only following the instrument moves the edit channel.
    EXPECT_EQ (panel().midi.editChannel.load(), 0);

    const auto reset = initialMicroPerformance();
    const auto record = panel().midi.getMicroPCopy();
    EXPECT_EQ (std::memcmp (&record, &reset, sizeof (record)), 0);

    EXPECT_EQ (panel().microPCombo.getNumItems(), 0);
    EXPECT_EQ (panel().microPCombo.getText(), "");
    EXPECT_EQ (panel().keyNameLabel.getText(), "");
    EXPECT_EQ (panel().keyValueLabel.getText(), "");
    EXPECT_EQ (panel().iconCombo.getSelectedId(), 0);
    EXPECT_EQ (panel().templateCombo.getSelectedId(), 1);
    EXPECT_FALSE (panel().disabledMask.isVisible());
    EXPECT_TRUE (panel().openButton.isEnabled());

    for (const auto& slider : panel().partSliders)
        EXPECT_EQ (slider->getValue(), 64.0);

    EXPECT_EQ (keyValues(), std::vector<int> (KeyView::keyCount, 64));

    EXPECT_EQ (takeWire(), Wire {});
    EXPECT_TRUE (LogFile::containsInOrder (takeLog(), { "Velmor piano is disconnected!", "No Midi Output device selected", "No Midi Input device selected" }));
}

TEST_F (PanelConnection, ALostConnectionShowsItsBoxOneOrTwoPingPeriodsAfterTheLastReplyAndKeepsTheControls)
{
    const auto part = shownPart ("Studio", 1, 5);
    instrument().setNames (0, { "Concert", "Studio" });
    instrument().setPart (0, part);
    connect();
    takeWire();
    takeLog();

    // instrument stops answering pings | box connection lost, toggle on |
    instrument().setPingMode (SimulatedInstrument::PingMode::answerNone);
    const auto start = juce::Time::getMillisecondCounter();
    ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return boxText() == lostText; },
                                          2 * pingPeriodMs + lateTimerMs + 1000));
    const auto elapsed = (int) (juce::Time::getMillisecondCounter() - start);

    EXPECT_GE (elapsed, pingPeriodMs - earlyTimerMs);
    EXPECT_LE (elapsed, 2 * pingPeriodMs + lateTimerMs);
    EXPECT_TRUE (panel().connectButton.getToggleState());
    EXPECT_TRUE (LogFile::containsInOrder (takeLog(), { "Device connection lost (Ping Period Timeout)", "Velmor piano is disconnected!", "onConnectionLost" }));

    // user clicks OK | toggle off, list empty, the part still shown | nothing, then or later
    clickBoxButton();
    ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return panel().messageBox == nullptr; }));
    expectIdleWithoutBox();
    EXPECT_EQ (panel().currentPart, 0);
    EXPECT_EQ (panel().partSliders[5]->getValue(), part.params[5]);
    EXPECT_EQ (panel().midi.getMicroPCopy().params[5], part.params[5]);

    PanelHarness::pump (pingPeriodMs + 200);
    EXPECT_EQ (takeWire(), Wire {});
}

TEST (PanelConnectionWithoutPorts, TheSearchingTextStaysUntilCancel)
{
    struct Case
    {
        const char* what;
        bool realPorts;
        int code;
        const char* warning;
    };

    const Case cases[] = {
        { "no MIDI device at all, through the system's ports", true, Midi::CONNECT_NO_INPUT, "Midi Input device not found!" },
        { "an input but no output", false, Midi::CONNECT_NO_OUTPUT, "Midi Output device not found!" },
    };

    if (! juce::MidiInput::getAvailableDevices().isEmpty())
        GTEST_SKIP() << "this machine has MIDI inputs";

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);

        PanelHarness folders;
        MainComponent::Environment environment;
        environment.userSettingsFolder = folders.userSettingsFolder();
        environment.systemSettingsFolder = folders.systemSettingsFolder();
        environment.readMainDisplay = [&folders]
        { return folders.display; };

        if (! c.realPorts)
            environment.midiPorts = std::make_unique<VirtualMidiPorts> (juce::StringArray { PanelHarness::inputName }, juce::StringArray {});

        MainComponent panel (std::move (environment));
        PanelAccess access (panel);
        panel.addToDesktop (juce::ComponentPeer::windowAppearsOnTaskbar);
        panel.setVisible (true);
        panel.toFront (true);
        ASSERT_TRUE (PanelHarness::pumpUntil ([&panel]
                                              { return panel.getPeer() != nullptr; }));
        auto logMark = LogFile::end();

        // user clicks connect | toggle off at once, the box still searching |
        PeerInput (panel).click (clickablePointOf (access.connectButton));
        ASSERT_TRUE (PanelHarness::pumpUntil ([&access]
                                              { return access.messageBox != nullptr && ! access.connectButton.getToggleState(); }));
        PanelHarness::pump (100);
        ASSERT_NE (access.messageBox, nullptr);
        EXPECT_EQ (messageBoxText (*access.messageBox), searchingText);

        EXPECT_TRUE (LogFile::containsInOrder (LogFile::takeEntries (logMark), { c.warning, "onConnect(" + juce::String (c.code) + ")" }));

        // user clicks CANCEL | idle |
        auto& box = *access.messageBox;
        auto& cancel = buttonOf (box);
        EXPECT_EQ (cancel.getButtonText(), "CANCEL");
        PeerInput (box).click (cancel.getBounds().getCentre().toFloat());
        ASSERT_TRUE (PanelHarness::pumpUntil ([&access]
                                              { return access.messageBox == nullptr; }));
        EXPECT_FALSE (access.connectButton.getToggleState());
        EXPECT_EQ (access.microPCombo.getNumItems(), 0);
        EXPECT_FALSE (folders.userSettingsFile().exists());
    }
}

//==============================================================================
// Mended faults.

TEST_F (PanelConnection, AConnectResultArrivingAfterCancelLeavesTheLinkDisconnectedAndTheSettingsAlone)
{
    ASSERT_TRUE (startSearchNobodyAnswers());

    // user clicks CANCEL; before the box's answer is run, the instrument answers
    clickBoxButton();
    send (FromInstrument::identityReply (1, 4, 0x48));
    ASSERT_TRUE (waitWithoutDispatch ([this]
                                      { return panel().midi.getConnectionState() == Midi::STATE_CONNECTED; }));

    ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return panel().messageBox == nullptr; }));
    settle();

    expectIdleWithoutBox();
    EXPECT_FALSE (harness.userSettingsFile().exists());
    EXPECT_EQ (takeWire(), (Wire { "identity?" }));
    EXPECT_TRUE (LogFile::containsInOrder (takeLog(), { "messageBoxCallback: exit with result = 1", "onConnect(0)" }));
}

TEST_F (PanelConnection, AResultOfACancelledSearchLeavesTheNextSearchToItsOwnResult)
{
    // The link posts a search's result once past its state lock, so CANCEL
    // and a new search may come before it. The result is posted here as the
    // link would post it then.
    struct Case
    {
        const char* cancelledSearchReports;
        int code;
    };

    const Case cases[] = {
        { "connected", Midi::CONNECT_OK },
        { "out of date", Midi::CONNECT_OUT_OF_DATE },
    };

    buildWithLongSearches();
    instrument().setPart (0, quietPart());

    const auto searchAsksAgain = [this]
    {
        const auto asked = instrument().getIdentityRequestCount();
        clickConnect();
        return PanelHarness::pumpUntil ([this, asked]
                                        { return instrument().getIdentityRequestCount() > asked; });
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.cancelledSearchReports);
        ASSERT_TRUE (searchAsksAgain());
        const auto cancelledSearch = panel().midi.getSearchNumber();

        // user clicks CANCEL, then connect again
        clickBoxButton();
        ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                              { return panel().messageBox == nullptr; }));
        ASSERT_TRUE (searchAsksAgain());
        takeLog();

        // the cancelled search's result, then the instrument answers the new one
        panel().midi.messageListener->postMessage (new ConnectMessage (c.code, cancelledSearch));
        send (FromInstrument::identityReply (1, 4, 0x48));

        ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                              { return panel().messageBox == nullptr && panel().midi.getConnectionState() == Midi::STATE_CONNECTED; }));
        settle();
        EXPECT_TRUE (panel().connectButton.getToggleState());
        EXPECT_EQ (panel().midi.getConnectionState(), Midi::STATE_CONNECTED);
        const auto log = takeLog();
        EXPECT_EQ (LogFile::count (log, "onConnect(0)"), 1);
        EXPECT_EQ (LogFile::count (log, "onConnect(4)"), 0);

        // the user switches off, for the next case
        clickConnect();
        settle();
    }
}

TEST_F (PanelConnection, ReportsQueuedBeforeSwitchingOffLeaveTheClearedPanelAlone)
{
    auto main = shownPart ("Main", 2, 4);
    main.params[5] = 40;
    auto layer = shownPart ("Layer Two", 3, 6);
    instrument().setNames (0, { "A", "B", "Main", "Layer Two" });
    instrument().setPart (0, main);
    instrument().setPart (1, layer);
    connect();
    ASSERT_EQ (panel().currentPart, 0);
    ASSERT_EQ (panel().midi.editChannel.load(), 0);

    // Reported while the panel's loop does not run, so all of it is still
    // queued when the user switches off:
    // instrument sends a parameter, a model, and the change mode, on which
    // the panel asks for the names of both parts.
    send (FromInstrument::nrpn (0, 0, 5, 99));
    send (FromInstrument::partParameters (40, 7));
    send (FromInstrument::changeMode (1));
    const auto& link = panel().midi;
    ASSERT_TRUE (waitWithoutDispatch ([&link]
                                      {
                                          const auto record = link.getMicroPCopy();
                                          return record.params[5] == 99 && record.templateId == 7 && juce::String (record.name) == "Layer Two"
                                                 && link.getPendingReply() == MidiVelmor::none; }));

    clickConnect();
    settle();

    EXPECT_EQ (panel().currentPart, -1);
    EXPECT_EQ (panel().midi.editChannel.load(), 0);
    EXPECT_EQ (panel().partSliders[5]->getValue(), 64.0);
    EXPECT_EQ (panel().templateCombo.getSelectedId(), 1);
    EXPECT_EQ (panel().iconCombo.getSelectedId(), 0);
    EXPECT_EQ (panel().microPCombo.getNumItems(), 0);

    const auto record = panel().midi.getMicroPCopy();
    EXPECT_EQ (record.params[5], 64);
    EXPECT_EQ (record.templateId, 0);
}

TEST_F (PanelConnection, ABoxThatReplacesTheSearchingOrLostBoxTakesOverItsButton)
{
    // A file error while the search runs: its OK ends the search, as CANCEL
    // would.
    buildWithLongSearches();
    instrument().setPart (0, quietPart());
    clickConnect();
    harness.getPanel().openMessageBox ({}, fileErrorText, 3);
    ASSERT_EQ (boxText(), fileErrorText);

    clickBoxButton();
    ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return panel().messageBox == nullptr; }));
    expectIdleWithoutBox();
    const auto log = takeLog();
    EXPECT_EQ (LogFile::count (log, "messageBoxCallback: exit with result = 0"), 1);
    EXPECT_TRUE (LogFile::containsInOrder (log, { "messageBoxCallback: exit with result = 3", "Velmor piano is disconnected!" }));
    EXPECT_FALSE (log.contains ("onConnect(3)"));

    // A file error after the connection was lost: its OK acknowledges the loss.
    instrument().setIdentity ({});
    connect();
    instrument().setPingMode (SimulatedInstrument::PingMode::answerNone);
    ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return boxText() == lostText; },
                                          2 * pingPeriodMs + lateTimerMs + 1000));

    harness.getPanel().openMessageBox ({}, fileErrorText, 3);
    EXPECT_TRUE (panel().connectButton.getToggleState());

    clickBoxButton();
    ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return panel().messageBox == nullptr; }));
    expectIdleWithoutBox();
}

TEST_F (PanelConnection, TheLostBoxReplacesAFileErrorBoxAndWaitsForItsOwnOk)
{
    connect();
    harness.getPanel().openMessageBox ({}, fileErrorText, 3);
    takeLog();

    instrument().setPingMode (SimulatedInstrument::PingMode::answerNone);
    ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return boxText() == lostText; },
                                          2 * pingPeriodMs + lateTimerMs + 1000));
    PanelHarness::pump (100);

    EXPECT_TRUE (LogFile::containsInOrder (takeLog(), { "onConnectionLost", "messageBoxCallback: exit with result = 0" }));
    EXPECT_EQ (boxText(), lostText);
    EXPECT_TRUE (panel().messageBox->isCurrentlyModal());
    EXPECT_TRUE (panel().connectButton.getToggleState());

    clickBoxButton();
    ASSERT_TRUE (PanelHarness::pumpUntil ([this]
                                          { return panel().messageBox == nullptr; }));
    EXPECT_TRUE (LogFile::containsInOrder (takeLog(), { "messageBoxCallback: exit with result = 2" }));
    expectIdleWithoutBox();
}
