#include "LogFile.h"
#include "VirtualMidiPorts.h"
#include "link/Midi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace
{
constexpr juce::uint8 identityReplyAccepted[] = { 0xF0, 0x7E, 0x00, 0x06, 0x02, 0x7D, 0x01, 0xF7 };
constexpr juce::uint8 identityReplyRefused[] = { 0xF0, 0x7E, 0x00, 0x06, 0x02, 0x7D, 0x00, 0xF7 };
constexpr juce::uint8 pingRequestBytes[] = { 0xF0, 0x7D, 0x01, 0xF7 };
constexpr juce::uint8 pingReplyBytes[] = { 0xF0, 0x7D, 0x02, 0xF7 };
constexpr juce::uint8 identifyRequestBytes[] = { 0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7 };

template<size_t size>
juce::MidiMessage messageOf (const juce::uint8 (&bytes)[size])
{
    return juce::MidiMessage (bytes, (int) size);
}

bool sameBytes (const juce::MidiMessage& a, const juce::MidiMessage& b)
{
    return a.getRawDataSize() == b.getRawDataSize()
           && std::memcmp (a.getRawData(), b.getRawData(), (size_t) a.getRawDataSize()) == 0;
}

// A link whose hooks recognise a scripted identity reply (last data byte 1
// accepted, 0 refused) and ping reply, and record what reaches them.
class TestLink : public Midi
{
public:
    explicit TestLink (std::unique_ptr<MidiPorts> ports = {}) : Midi ("Midi.log", 0x1F, std::move (ports))
    {
    }

    ~TestLink() override
    {
        stopProcessing();
    }

    std::vector<int> getConnectCodes() const
    {
        const std::lock_guard<std::mutex> lock (mutex);
        return connectCodes;
    }

    std::vector<juce::MidiMessage> getDecoded() const
    {
        const std::lock_guard<std::mutex> lock (mutex);
        return decoded;
    }

    std::atomic<int> disconnects { 0 };
    std::atomic<int> pingRequestsCreated { 0 };

protected:
    void onConnect (int code) override
    {
        const std::lock_guard<std::mutex> lock (mutex);
        connectCodes.push_back (code);
    }

    void onDisconnect() override
    {
        ++disconnects;
    }

    juce::MidiMessage createPingRequest() override
    {
        ++pingRequestsCreated;
        return messageOf (pingRequestBytes);
    }

    bool checkPingReply (const juce::MidiMessage& message) override
    {
        return sameBytes (message, messageOf (pingReplyBytes));
    }

    bool checkIdentifyReply (const juce::MidiMessage& message) override
    {
        const auto* data = message.getRawData();
        return message.getRawDataSize() == 8 && data[1] == 0x7E && data[3] == 0x06 && data[4] == 0x02;
    }

    bool checkSoftwareVersion (const juce::MidiMessage& message) override
    {
        return message.getRawData()[6] == 0x01;
    }

    void decode (const juce::MidiMessage& message) override
    {
        const std::lock_guard<std::mutex> lock (mutex);
        decoded.push_back (message);
    }

private:
    mutable std::mutex mutex;
    std::vector<int> connectCodes;
    std::vector<juce::MidiMessage> decoded;
};

// An instrument wired to one output and one input of the virtual ports. It
// answers the identity request and, while told to, the pings.
class ScriptedInstrument
{
public:
    ScriptedInstrument (VirtualMidiPorts& portsToUse, juce::String output, juce::String input)
        : ports (portsToUse),
          outputName (std::move (output)),
          inputName (std::move (input))
    {
        ports.setSendObserver ([this] (const juce::String& to, const juce::MidiMessage& message)
                               {
            if (sameBytes (message, messageOf (identifyRequestBytes)))
            {
                const std::lock_guard<std::mutex> lock (mutex);
                triesSeen.add (to + "-" + openInputs());
            }

            if (to != outputName)
                return;

            if (sameBytes (message, messageOf (identifyRequestBytes)))
                ports.deliver (inputName,
                               refuses ? messageOf (identityReplyRefused) : messageOf (identityReplyAccepted));
            else if (sameBytes (message, messageOf (pingRequestBytes)) && answersPings)
                ports.deliver (inputName, messageOf (pingReplyBytes)); });
    }

    ~ScriptedInstrument()
    {
        ports.setSendObserver ({});
    }

    // Each identity request seen, as "output-open inputs".
    juce::StringArray getTries() const
    {
        const std::lock_guard<std::mutex> lock (mutex);
        return triesSeen;
    }

    std::atomic<bool> answersPings { true };
    std::atomic<bool> refuses { false };

private:
    juce::String openInputs() const
    {
        juce::StringArray open;

        for (const auto& device : ports.getInputs())
            if (ports.isInputOpen (device.name))
                open.add (device.name);

        return open.joinIntoString (",");
    }

    VirtualMidiPorts& ports;
    const juce::String outputName;
    const juce::String inputName;
    mutable std::mutex mutex;
    juce::StringArray triesSeen;
};

bool pumpUntil (const std::function<bool()>& done, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (! done() && juce::Time::getMillisecondCounter() < end)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);

    return done();
}

void pumpFor (int ms)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
}

// When each message with these bytes was sent.
template<size_t size>
std::vector<double> sendTimes (const VirtualMidiPorts& ports, const juce::uint8 (&bytes)[size])
{
    std::vector<double> times;

    for (const auto& sent : ports.getSentMessages())
        if (sameBytes (sent.message, messageOf (bytes)))
            times.push_back (sent.timeMs);

    return times;
}

std::vector<double> identifyTimes (const VirtualMidiPorts& ports)
{
    return sendTimes (ports, identifyRequestBytes);
}

std::vector<double> pingTimes (const VirtualMidiPorts& ports)
{
    return sendTimes (ports, pingRequestBytes);
}

// Two inputs X, Y and two outputs A, B, owned by the link but watched by the test.
struct TwoByTwo
{
    TwoByTwo()
    {
        auto owned = std::make_unique<VirtualMidiPorts> (juce::StringArray { "X", "Y" },
                                                         juce::StringArray { "A", "B" });
        ports = owned.get();
        link = std::make_unique<TestLink> (std::move (owned));
    }

    // As the panel does: no driver callback may run while the link is destroyed.
    ~TwoByTwo()
    {
        if (link != nullptr)
            link->disconnect();
    }

    bool connectedWithin (int ms)
    {
        return pumpUntil ([this]
                          { return ! link->getConnectCodes().empty(); },
                          ms);
    }

    bool portsClosed() const
    {
        return ports->getOpenOutputName().isEmpty() && ! ports->isInputOpen ("X") && ! ports->isInputOpen ("Y");
    }

    VirtualMidiPorts* ports = nullptr;
    std::unique_ptr<TestLink> link;
};

// How long past its due time an expected event may come on a loaded machine.
constexpr int slackMs = 1000;

// Lines written on "MidiProcessing" reach the file once it has taken out all
// that was queued, a little after the effects of the messages they dump.
bool logsEntry (const juce::String& entry)
{
    return pumpUntil ([&entry]
                      { return LogFile::find (LogFile::entries(), entry) >= 0; },
                      slackMs);
}
constexpr int latePingMs = 700;
// Timers may fire a little early against the send times measured here.
constexpr double earlyMs = 50.0;
} // namespace

struct AnsweringPair
{
    const char* output;
    const char* input;
    int outputIndex;
    int inputIndex;
    std::vector<const char*> tries;
};

std::string pairName (const testing::TestParamInfo<AnsweringPair>& pair)
{
    return std::string (pair.param.output) + pair.param.input;
}

class SearchOrder : public testing::TestWithParam<AnsweringPair>
{
};

TEST_P (SearchOrder, TriesEveryOutputWithEveryInputUntilOneAnswers)
{
    const auto& pair = GetParam();
    TwoByTwo rig;
    ScriptedInstrument instrument (*rig.ports, pair.output, pair.input);

    rig.link->connect();
    const auto waitMs = (int) pair.tries.size() * Midi::connectPeriodMs;
    ASSERT_TRUE (rig.connectedWithin (waitMs + slackMs));

    EXPECT_EQ (rig.link->getConnectCodes(), std::vector<int> { Midi::CONNECT_OK });
    EXPECT_EQ (rig.link->getConnectionState(), Midi::STATE_CONNECTED);
    EXPECT_EQ (rig.link->getActiveOutput(), pair.outputIndex);
    EXPECT_EQ (rig.link->getActiveInput(), pair.inputIndex);

    juce::StringArray expected;

    for (auto* t : pair.tries)
        expected.add (t);

    EXPECT_EQ (instrument.getTries(), expected);

    // Each unanswered try waited its full period.
    const auto times = identifyTimes (*rig.ports);

    for (size_t i = 1; i < times.size(); ++i)
        EXPECT_GE (times[i] - times[i - 1], Midi::connectPeriodMs - earlyMs);

    // No pair was preset: the first try finds no output.
    const auto entries = LogFile::entries();
    EXPECT_TRUE (LogFile::containsInOrder (entries,
                                           { "No Midi Output device selected",
                                             "[A] set as default Midi Output device",
                                             "[X] set as default Midi Input device",
                                             "(O) F0 7E 00 06 01 F7 " }));
    EXPECT_TRUE (logsEntry ("(I) F0 7E 00 06 02 7D 01 F7 "));
}

INSTANTIATE_TEST_SUITE_P (AnswerOnEachPair,
                          SearchOrder,
                          testing::Values (AnsweringPair { "A", "X", 0, 0, { "A-X" } },
                                           AnsweringPair { "A", "Y", 0, 1, { "A-X", "A-Y" } },
                                           AnsweringPair { "B", "X", 1, 0, { "A-X", "A-Y", "B-X" } },
                                           AnsweringPair { "B", "Y", 1, 1, { "A-X", "A-Y", "B-X", "B-Y" } }),
                          pairName);

TEST (MidiConnection, PresetPairIsTriedFirst)
{
    TwoByTwo rig;
    ScriptedInstrument instrument (*rig.ports, "B", "Y");

    rig.link->setActiveOutput (1);
    rig.link->setActiveInput (1);
    rig.link->connect();

    ASSERT_TRUE (rig.connectedWithin (slackMs));
    EXPECT_EQ (rig.link->getConnectCodes(), std::vector<int> { Midi::CONNECT_OK });
    EXPECT_EQ (instrument.getTries(), juce::StringArray { "B-Y" });
    EXPECT_EQ (rig.link->getActiveOutput(), 1);
    EXPECT_EQ (rig.link->getActiveInput(), 1);
}

TEST (MidiConnection, PresetPairThatDoesNotAnswerIsTriedAgainInItsTurn)
{
    TwoByTwo rig;

    // The instrument is switched on only after the preset try was sent.
    rig.link->setActiveOutput (0);
    rig.link->setActiveInput (1);
    rig.link->connect();
    pumpFor (Midi::connectPeriodMs / 2);

    ScriptedInstrument answering (*rig.ports, "A", "Y");
    ASSERT_TRUE (rig.connectedWithin (3 * Midi::connectPeriodMs + slackMs));
    EXPECT_EQ (answering.getTries(), (juce::StringArray { "A-X", "A-Y" }));
    EXPECT_EQ (rig.link->getActiveInput(), 1);
}

TEST (MidiConnection, PresetIndicesOutsideTheListsStartTheScanAtOnce)
{
    struct Case
    {
        int output;
        int input;
    };

    const Case cases[] = { { -1, -1 }, { 5, 0 }, { 0, 5 }, { 0, -1 }, { -3, 7 } };

    for (const auto& c : cases)
    {
        TwoByTwo rig;
        ScriptedInstrument instrument (*rig.ports, "A", "X");
        rig.link->setActiveOutput (c.output);
        rig.link->setActiveInput (c.input);
        rig.link->connect();

        ASSERT_TRUE (rig.connectedWithin (slackMs)) << c.output << "," << c.input;
        EXPECT_EQ (instrument.getTries(), juce::StringArray { "A-X" }) << c.output << "," << c.input;
        EXPECT_EQ (rig.link->getActiveOutput(), 0);
        EXPECT_EQ (rig.link->getActiveInput(), 0);
        rig.link->disconnect();
    }
}

TEST (MidiConnection, MissingPortsAreReportedAtOnce)
{
    struct Case
    {
        juce::StringArray inputs;
        juce::StringArray outputs;
        int code;
        const char* line;
    };

    const Case cases[] = { { {}, { "A" }, Midi::CONNECT_NO_INPUT, "Midi Input device not found!" },
                           { {}, {}, Midi::CONNECT_NO_INPUT, "Midi Input device not found!" },
                           { { "X" }, {}, Midi::CONNECT_NO_OUTPUT, "Midi Output device not found!" } };

    for (const auto& c : cases)
    {
        TestLink link (std::make_unique<VirtualMidiPorts> (c.inputs, c.outputs));
        link.connect();

        EXPECT_EQ (link.getConnectCodes(), std::vector<int> { c.code });
        EXPECT_EQ (link.getConnectionState(), Midi::STATE_DISCONNECTED);
        EXPECT_GE (LogFile::find (LogFile::entries(), c.line), 0) << c.line;
    }
}

TEST (MidiConnection, NoAnswerEndsTheSearchWithPortsClosedAndIgnoresALateReply)
{
    TwoByTwo rig;
    ScriptedInstrument instrument (*rig.ports, "none", "Y");
    rig.link->connect();

    EXPECT_TRUE (rig.link->getConnectCodes().empty());
    ASSERT_TRUE (rig.connectedWithin (4 * Midi::connectPeriodMs + slackMs));

    EXPECT_EQ (rig.link->getConnectCodes(), std::vector<int> { Midi::CONNECT_NOT_FOUND });
    EXPECT_EQ (instrument.getTries(), (juce::StringArray { "A-X", "A-Y", "B-X", "B-Y" }));

    const auto times = identifyTimes (*rig.ports);
    ASSERT_EQ (times.size(), 4u);

    for (size_t i = 1; i < times.size(); ++i)
        EXPECT_GE (times[i] - times[i - 1], Midi::connectPeriodMs - earlyMs);

    EXPECT_EQ (rig.link->getConnectionState(), Midi::STATE_DISCONNECTED);
    EXPECT_TRUE (rig.portsClosed());
    EXPECT_EQ (rig.link->getActiveOutput(), -1);
    EXPECT_EQ (rig.link->getActiveInput(), -1);

    rig.ports->deliver ("Y", messageOf (identityReplyAccepted));
    rig.ports->waitUntilDelivered();
    pumpFor (100);
    EXPECT_EQ (rig.link->getConnectionState(), Midi::STATE_DISCONNECTED);
    EXPECT_EQ (rig.link->getConnectCodes().size(), 1u);

    // A new search can start from there.
    rig.link->connect();
    EXPECT_EQ (rig.link->getConnectionState(), Midi::STATE_SCANNING);
}

TEST (MidiConnection, PortsThatFailToOpenAreSkippedWithoutWaiting)
{
    TwoByTwo rig;
    rig.ports->setFailsToOpen ("A", true);
    rig.ports->setFailsToOpen ("X", true);
    ScriptedInstrument instrument (*rig.ports, "B", "Y");

    rig.link->connect();
    ASSERT_TRUE (rig.connectedWithin (slackMs));

    EXPECT_EQ (rig.link->getConnectCodes(), std::vector<int> { Midi::CONNECT_OK });
    EXPECT_EQ (instrument.getTries(), juce::StringArray { "B-Y" });

    const auto entries = LogFile::entries();
    EXPECT_TRUE (LogFile::containsInOrder (
        entries, { "[A] Midi Output open failed!", "[B] set as default Midi Output device", "[X] Midi Input open failed!" }));
}

TEST (MidiConnection, RefusedReplyReportsOutOfDateAndDisconnectClosesItsPorts)
{
    TwoByTwo rig;
    ScriptedInstrument instrument (*rig.ports, "A", "X");
    instrument.refuses = true;

    rig.link->connect();
    ASSERT_TRUE (rig.connectedWithin (slackMs));
    EXPECT_EQ (rig.link->getConnectCodes(), std::vector<int> { Midi::CONNECT_OUT_OF_DATE });
    EXPECT_EQ (rig.link->getConnectionState(), Midi::STATE_DISCONNECTED);
    EXPECT_TRUE (logsEntry ("Device out of date!"));

    // The refusing instrument's ports stay open, but what it sends is only logged.
    EXPECT_EQ (rig.ports->getOpenOutputName(), "A");
    EXPECT_TRUE (rig.ports->isInputOpen ("X"));
    rig.ports->deliver ("X", juce::MidiMessage::controllerEvent (1, 7, 100));
    rig.ports->waitUntilDelivered();
    pumpFor (100);
    EXPECT_TRUE (rig.link->getDecoded().empty());
    EXPECT_EQ (LogFile::count (LogFile::entries(), "Received unexpected MidiMessage while Velmorpiano is isDisconnected!"),
               1);

    // No search nor connection is under way: the ports close without that line.
    rig.link->disconnect();
    EXPECT_TRUE (rig.portsClosed());
    EXPECT_EQ (rig.link->getActiveOutput(), -1);
    EXPECT_EQ (rig.link->getActiveInput(), -1);
    EXPECT_EQ (LogFile::find (LogFile::entries(), "Velmor piano is disconnected!"), -1);

    rig.link->connect();
    ASSERT_TRUE (pumpUntil ([&rig]
                            { return rig.link->getConnectCodes().size() == 2; },
                            slackMs));
    EXPECT_EQ (rig.link->getConnectCodes().back(), Midi::CONNECT_OUT_OF_DATE);
}

TEST (MidiConnection, ConnectWhileSearchingOrConnectedDoesNothing)
{
    TwoByTwo rig;
    rig.link->connect();
    rig.link->connect();
    EXPECT_EQ (rig.link->getConnectionState(), Midi::STATE_SCANNING);
    EXPECT_EQ (identifyTimes (*rig.ports).size(), 1u);
    rig.link->disconnect();

    ScriptedInstrument instrument (*rig.ports, "A", "X");
    rig.link->connect();
    ASSERT_TRUE (rig.connectedWithin (slackMs));
    rig.link->connect();
    EXPECT_EQ (rig.link->getConnectCodes().size(), 1u);
    EXPECT_EQ (instrument.getTries().size(), 1);
}

TEST (MidiConnection, EachResultComesWithTheNumberOfItsSearch)
{
    // Records the number that comes with each result, on whichever thread.
    class NumberingLink : public TestLink
    {
    public:
        using TestLink::TestLink;

        ~NumberingLink() override
        {
            stopProcessing();
        }

        std::vector<int> getSearches() const
        {
            const std::lock_guard<std::mutex> lock (mutex);
            return searches;
        }

    protected:
        void onSearchResult (int code, int search) override
        {
            {
                const std::lock_guard<std::mutex> lock (mutex);
                searches.push_back (search);
            }

            TestLink::onSearchResult (code, search);
        }

    private:
        mutable std::mutex mutex;
        std::vector<int> searches;
    };

    auto owned = std::make_unique<VirtualMidiPorts> (juce::StringArray { "X" }, juce::StringArray { "A" });
    auto& ports = *owned;
    NumberingLink link (std::move (owned));
    ScriptedInstrument instrument (ports, "A", "X");

    // A search whose only output fails to open (reported on the message
    // thread), then one refused and one accepted (reported on
    // "MidiProcessing"): each comes with a number of its own.
    ports.setFailsToOpen ("A", true);
    link.connect();
    std::vector<int> started { link.getSearchNumber() };
    link.disconnect();
    ports.setFailsToOpen ("A", false);

    for (const auto refuses : { true, false })
    {
        instrument.refuses = refuses;
        link.connect();
        started.push_back (link.getSearchNumber());
        ASSERT_TRUE (pumpUntil ([&link, &started]
                                { return link.getSearches().size() == started.size(); },
                                slackMs));
        link.disconnect();
    }

    EXPECT_EQ (link.getConnectCodes(), (std::vector<int> { Midi::CONNECT_NOT_FOUND, Midi::CONNECT_OUT_OF_DATE, Midi::CONNECT_OK }));
    EXPECT_EQ (link.getSearches(), started);
    EXPECT_LT (started[0], started[1]);
    EXPECT_LT (started[1], started[2]);
}

TEST (MidiConnection, PingsEveryPeriodWhileAnswered)
{
    TwoByTwo rig;
    ScriptedInstrument instrument (*rig.ports, "A", "X");
    rig.link->connect();
    ASSERT_TRUE (rig.connectedWithin (slackMs));

    ASSERT_TRUE (pumpUntil ([&rig]
                            { return pingTimes (*rig.ports).size() == 3; },
                            2 * Midi::pingPeriodMs + slackMs));

    EXPECT_EQ (rig.link->getConnectionState(), Midi::STATE_CONNECTED);
    const auto times = pingTimes (*rig.ports);

    for (size_t i = 1; i < times.size(); ++i)
    {
        EXPECT_GE (times[i] - times[i - 1], Midi::pingPeriodMs - earlyMs);
        EXPECT_LE (times[i] - times[i - 1], Midi::pingPeriodMs + latePingMs);
    }

    // Ping replies are consumed, never decoded.
    EXPECT_TRUE (rig.link->getDecoded().empty());
    EXPECT_EQ (LogFile::count (LogFile::entries(), "Ping request"), 3);

    // The ping message is made once in the life of the link.
    rig.link->disconnect();
    rig.link->connect();
    ASSERT_TRUE (pumpUntil ([&rig]
                            { return rig.link->getConnectCodes().size() == 2; },
                            slackMs));
    EXPECT_EQ (rig.link->pingRequestsCreated, 1);
}

TEST (MidiConnection, UnansweredPingsDeclareTheConnectionLost)
{
    TwoByTwo rig;
    ScriptedInstrument instrument (*rig.ports, "A", "X");
    instrument.answersPings = false;
    rig.link->connect();
    ASSERT_TRUE (rig.connectedWithin (slackMs));
    const auto connectedAt = juce::Time::getMillisecondCounterHiRes();

    // The flag starts set, so the first expiry sends a second ping and the
    // second declares the loss.
    ASSERT_TRUE (pumpUntil ([&rig]
                            { return rig.link->disconnects > 0; },
                            2 * Midi::pingPeriodMs + slackMs));
    const auto lostAfter = juce::Time::getMillisecondCounterHiRes() - connectedAt;
    EXPECT_GE (lostAfter, 2 * Midi::pingPeriodMs - 2 * earlyMs);

    EXPECT_EQ (rig.link->disconnects, 1);
    EXPECT_EQ (pingTimes (*rig.ports).size(), 2u);
    EXPECT_EQ (rig.link->getConnectionState(), Midi::STATE_DISCONNECTED);
    EXPECT_TRUE (rig.portsClosed());
    EXPECT_EQ (rig.link->getActiveOutput(), -1);
    EXPECT_EQ (rig.link->getConnectCodes(), std::vector<int> { Midi::CONNECT_OK });

    EXPECT_TRUE (LogFile::containsInOrder (LogFile::entries(),
                                           { "Device connection lost (Ping Period Timeout)",
                                             "Velmor piano is disconnected!",
                                             "No Midi Output device selected",
                                             "No Midi Input device selected" }));
}

TEST (MidiConnection, DisconnectWhileSearchingClosesBothPortsAndReportsNothing)
{
    TwoByTwo rig;
    rig.link->connect();
    ASSERT_EQ (rig.ports->getOpenOutputName(), "A");
    const auto before = LogFile::entries().size();

    rig.link->disconnect();
    pumpFor (Midi::connectPeriodMs + 100);

    EXPECT_TRUE (rig.portsClosed());
    EXPECT_TRUE (rig.link->getConnectCodes().empty());
    EXPECT_EQ (rig.link->getConnectionState(), Midi::STATE_DISCONNECTED);
    EXPECT_EQ (identifyTimes (*rig.ports).size(), 1u);

    auto entries = LogFile::entries();
    entries.removeRange (0, before);
    EXPECT_EQ (entries,
               (juce::StringArray {
                   "Velmor piano is disconnected!", "No Midi Output device selected", "No Midi Input device selected" }));

    // Already disconnected: nothing to close, nothing written.
    rig.link->disconnect();
    EXPECT_EQ (LogFile::entries().size(), before + 3);
}

TEST (MidiConnection, DisconnectWhileConnectedClosesBothPortsWithoutTheHook)
{
    TwoByTwo rig;
    ScriptedInstrument instrument (*rig.ports, "B", "X");
    rig.link->setActiveOutput (1);
    rig.link->setActiveInput (0);
    rig.link->connect();
    ASSERT_TRUE (rig.connectedWithin (slackMs));
    EXPECT_EQ (rig.link->getActiveOutput(), 1);

    rig.link->disconnect();
    EXPECT_TRUE (rig.portsClosed());
    EXPECT_EQ (rig.link->getActiveOutput(), -1);
    EXPECT_EQ (rig.link->getActiveInput(), -1);
    EXPECT_EQ (rig.link->getConnectionState(), Midi::STATE_DISCONNECTED);

    pumpFor (Midi::pingPeriodMs + 200);
    EXPECT_EQ (rig.link->disconnects, 0);
    EXPECT_EQ (pingTimes (*rig.ports).size(), 1u);

    // Sends with no output open are dropped without a dump.
    const auto sentBefore = rig.ports->getSentMessages().size();
    rig.link->sendMidiMessage (juce::MidiMessage::controllerEvent (1, 7, 1));
    EXPECT_EQ (rig.ports->getSentMessages().size(), sentBefore);
    EXPECT_EQ (LogFile::find (LogFile::entries(), "(O) B0 07 01 "), -1);
}

TEST (MidiConnection, ClosingAnInputWhoseDeviceVanishedStillUnregistersTheLink)
{
    TwoByTwo rig;
    ScriptedInstrument instrument (*rig.ports, "A", "X");
    rig.link->connect();
    ASSERT_TRUE (rig.connectedWithin (slackMs));

    rig.ports->unplug ("X");
    rig.link->disconnect();

    EXPECT_FALSE (rig.ports->hasInputCallback ("X"));
    EXPECT_GE (LogFile::find (LogFile::entries(), "No Midi Input device selected"), 0);
}

TEST (MidiConnection, SendsNeverOverlapAChangeOfTheOutput)
{
    constexpr int rounds = 20;
    TwoByTwo rig;
    ScriptedInstrument instrument (*rig.ports, "A", "X");
    std::atomic<bool> sending { true };

    std::thread sender ([&rig, &sending]
                        {
        while (sending)
            rig.link->sendMidiMessage (juce::MidiMessage::controllerEvent (1, 7, 1)); });

    for (int round = 1; round <= rounds; ++round)
    {
        rig.link->connect();
        pumpUntil ([&rig, round]
                   { return (int) rig.link->getConnectCodes().size() == round; },
                   slackMs);
        rig.link->disconnect();
    }

    sending = false;
    sender.join();

    EXPECT_EQ (rig.link->getConnectCodes(), std::vector<int> ((size_t) rounds, Midi::CONNECT_OK));
    EXPECT_EQ (rig.ports->getOverlappingOutputCalls(), 0);
}

TEST (MidiConnection, ProcessingThreadDecodesInArrivalOrder)
{
    TwoByTwo rig;
    ScriptedInstrument instrument (*rig.ports, "A", "X");
    rig.link->connect();
    ASSERT_TRUE (rig.connectedWithin (slackMs));

    constexpr int messageCount = 300;

    for (int i = 0; i < messageCount; ++i)
    {
        rig.ports->deliver ("X", juce::MidiMessage::controllerEvent (1 + (i / 128) % 16, 7, i % 128));

        if (i % 50 == 0)
            rig.ports->deliver ("X", messageOf (pingReplyBytes));
    }

    rig.ports->deliver ("X", juce::MidiMessage::noteOn (1, 60, (juce::uint8) 1));
    rig.ports->waitUntilDelivered();
    ASSERT_TRUE (pumpUntil ([&rig]
                            { return rig.link->getDecoded().size() == messageCount + 1; },
                            2000));

    const auto decoded = rig.link->getDecoded();

    for (int i = 0; i < messageCount; ++i)
    {
        ASSERT_EQ (decoded[(size_t) i].getControllerValue(), i % 128) << i;
        ASSERT_EQ (decoded[(size_t) i].getChannel(), 1 + (i / 128) % 16) << i;
    }

    EXPECT_TRUE (decoded.back().isNoteOn());
    EXPECT_TRUE (logsEntry ("(I) 90 3C 01 "));
}

TEST (MidiConnection, DestroyingTheLinkWhileMessagesArriveStopsProcessingFirst)
{
    TwoByTwo rig;
    auto instrument = std::make_unique<ScriptedInstrument> (*rig.ports, "A", "X");
    rig.link->connect();
    ASSERT_TRUE (rig.connectedWithin (slackMs));

    for (int i = 0; i < 2000; ++i)
        rig.ports->deliver ("X", juce::MidiMessage::controllerEvent (1, 7, i % 128));

    ASSERT_TRUE (pumpUntil ([&rig]
                            { return ! rig.link->getDecoded().empty(); },
                            slackMs));

    // The ports go with the link, so the instrument goes first; the hooks of
    // the test link record into members that go before the link's bases.
    instrument.reset();
    rig.link.reset();
}

TEST (MidiConnection, SystemPortsOnThisMachineHaveNoInput)
{
    TestLink link;
    link.connect();

    EXPECT_EQ (link.getConnectCodes(), std::vector<int> { Midi::CONNECT_NO_INPUT });
    EXPECT_EQ (link.getConnectionState(), Midi::STATE_DISCONNECTED);
    EXPECT_GE (LogFile::find (LogFile::entries(), "Midi Input device not found!"), 0);
}
