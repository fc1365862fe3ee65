#include "tests/support/SimulatedInstrument.h"
#include "tests/support/VirtualMidiPorts.h"

#include <gtest/gtest.h>

#include <mutex>

namespace
{
using Bytes = std::vector<uint8_t>;

const juce::String inputName = "Velmor In";
const juce::String outputName = "Velmor Out";

Bytes bytesOf (const juce::MidiMessage& message)
{
    return Bytes (message.getRawData(), message.getRawData() + message.getRawDataSize());
}

// Plays the editor's side of the wire: sends through the virtual output and
// collects what the instrument answers on the virtual input.
class InstrumentFixture : public testing::Test, private juce::MidiInputCallback
{
protected:
    InstrumentFixture()
    {
        const auto input = VirtualMidiPorts::identifierFor (inputName);
        ports.setInputEnabled (input, true);
        ports.addInputCallback (input, this);
        ports.setOutput (VirtualMidiPorts::identifierFor (outputName));
    }

    ~InstrumentFixture() override
    {
        ports.removeInputCallback (VirtualMidiPorts::identifierFor (inputName), this);
    }

    std::vector<Bytes> exchange (const Bytes& request)
    {
        {
            const std::lock_guard<std::mutex> guard (mutex);
            replies.clear();
        }
        ports.sendNow (juce::MidiMessage (request.data(), (int) request.size()));
        ports.waitUntilDelivered();
        const std::lock_guard<std::mutex> guard (mutex);
        return replies;
    }

    VirtualMidiPorts ports { { inputName }, { outputName } };
    SimulatedInstrument instrument { ports, inputName, outputName };

private:
    void handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message) override
    {
        const std::lock_guard<std::mutex> guard (mutex);
        replies.push_back (bytesOf (message));
    }

    std::mutex mutex;
    std::vector<Bytes> replies;
};

TEST (SimulatedInstrumentFrame, BuildsTheWorkedExamplesByteForByte)
{
    struct Case
    {
        uint8_t command;
        Bytes payload;
        Bytes expected;
    };

    const std::vector<Case> cases {
        { 2, { 0x00 }, { 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x02, 0x00, 0x43, 0xF7 } },
        { 2, { 0x01 }, { 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x02, 0x01, 0x42, 0xF7 } },
        { 10, {}, { 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x0A, 0x3B, 0xF7 } },
        { 4, { 0x00 }, { 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x04, 0x00, 0x41, 0xF7 } },
        { 6, { 0x00, 0x7F }, { 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x06, 0x00, 0x7F, 0x40, 0xF7 } },
    };

    for (const auto& c : cases)
        EXPECT_EQ (SimulatedInstrument::frame (c.command, c.payload), c.expected) << "command " << (int) c.command;

    const uint8_t accented = 0xE9;
    EXPECT_EQ (SimulatedInstrument::encodeName (&accented, 1), (Bytes { 0x0E, 0x09 }));
}

TEST_F (InstrumentFixture, AnswersTheIdentityRequestAsConfiguredOrNotAtAll)
{
    const Bytes request { 0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7 };
    auto identity = SimulatedInstrument::Identity();
    identity.major = 2;
    identity.minor = 10;
    identity.flags = 0x08;
    identity.familyLow = 0x33;
    instrument.setIdentity (identity);

    EXPECT_EQ (exchange (request), (std::vector<Bytes> { { 0xF0, 0x7E, 0x00, 0x06, 0x02, 0x7D, 0x33, 0x1C, 0x20, 0x00, 0x02, 0x0A, 0x00, 0x08, 0xF7 } }));

    identity.answers = false;
    instrument.setIdentity (identity);
    EXPECT_TRUE (exchange (request).empty());
    EXPECT_EQ (instrument.getIdentityRequestCount(), 2);
}

TEST_F (InstrumentFixture, AnswersPingsAccordingToItsPingMode)
{
    const auto request = SimulatedInstrument::frame (2, { 0 });
    const auto reply = SimulatedInstrument::frame (2, { 1 });
    auto badReply = reply;
    badReply[badReply.size() - 2] ^= 0x01;

    struct Case
    {
        SimulatedInstrument::PingMode mode;
        int answered;
        std::vector<std::vector<Bytes>> expected; // for three pings in a row
    };

    using Mode = SimulatedInstrument::PingMode;
    const std::vector<Case> cases {
        { Mode::answerAll, 0, { { reply }, { reply }, { reply } } },
        { Mode::answerNone, 0, { {}, {}, {} } },
        { Mode::answerFirstN, 2, { { reply }, { reply }, {} } },
        { Mode::badChecksum, 0, { { badReply }, { badReply }, { badReply } } },
    };

    for (size_t i = 0; i < cases.size(); ++i)
    {
        // A fresh instrument per case takes over the observer and counts from zero.
        SimulatedInstrument fresh { ports, inputName, outputName };
        fresh.setPingMode (cases[i].mode, cases[i].answered);

        std::vector<std::vector<Bytes>> seen;
        for (int ping = 0; ping < 3; ++ping)
            seen.push_back (exchange (request));

        EXPECT_EQ (seen, cases[i].expected) << "case " << i;
        EXPECT_EQ (fresh.getPingRequestCount(), 3);
    }
}

TEST_F (InstrumentFixture, AnswersNameAndLayerRequests)
{
    instrument.setLayerMode (1);
    instrument.setNames (0, { "AB", "C" });
    auto part = SimulatedInstrument::Part();
    part.setName ("Hall");
    part.number = 3;
    instrument.setPart (1, part);

    const auto name = [] (uint8_t bank, uint8_t index, Bytes text)
    {
        text.insert (text.begin(), { bank, index, (uint8_t) (text.size() / 2) });
        return SimulatedInstrument::frame (7, text);
    };

    EXPECT_EQ (exchange ({ 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x0A, 0x3B, 0xF7 }), (std::vector<Bytes> { SimulatedInstrument::frame (11, { 1 }) }));
    EXPECT_EQ (exchange ({ 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x06, 0x00, 0x7F, 0x40, 0xF7 }),
               (std::vector<Bytes> { name (0, 0, { 4, 1, 4, 2 }), name (0, 1, { 4, 3 }) }));
    EXPECT_EQ (exchange (SimulatedInstrument::frame (6, { 0, 1 })), (std::vector<Bytes> { name (0, 1, { 4, 3 }) }));
    EXPECT_EQ (exchange (SimulatedInstrument::frame (6, { 0, 5 })), (std::vector<Bytes> { SimulatedInstrument::frame (1, {}) }));
    EXPECT_EQ (exchange (SimulatedInstrument::frame (8, { 1 })),
               (std::vector<Bytes> { SimulatedInstrument::frame (9, { 1, 0, 3, 4, 4, 8, 6, 1, 6, 0xC, 6, 0xC }) }));
    EXPECT_TRUE (instrument.getProblems().isEmpty()) << instrument.getProblems().joinIntoString ("\n");
}

TEST_F (InstrumentFixture, AnswersAPartDataRequestWithTheWholePart)
{
    auto part = SimulatedInstrument::Part();
    part.group3[1] = 7; // an effect type with eight parameters after the first three
    instrument.setPart (0, part);

    const auto dump = exchange ({ 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x04, 0x00, 0x41, 0xF7 });

    constexpr size_t sysExReplies = 3 + 12;
    constexpr size_t nrpnValues = 18 + 5 + 9 + (3 + 8) + 6 + 14 + 7;
    constexpr size_t controllers = 4;
    ASSERT_EQ (dump.size(), sysExReplies + 3 * nrpnValues + controllers);
    EXPECT_EQ (dump[0][5], 9);
    EXPECT_EQ (dump[1][5], 12);
    EXPECT_EQ (dump[2][5], 13);
    for (size_t t = 0; t < 12; ++t)
    {
        EXPECT_EQ (dump[3 + t].size(), 8u + 6u + 88u);
        EXPECT_EQ (dump[3 + t][8], t);
    }
    for (const auto& reply : dump)
        EXPECT_TRUE (reply[0] == 0xF0 || reply[0] == 0xB0) << "every controller on the part's channel";
}

TEST_F (InstrumentFixture, KeepsWhatTheEditorSendsInItsOwnRecord)
{
    const auto send = [this] (const Bytes& bytes)
    { EXPECT_TRUE (exchange (bytes).empty()); };

    send ({ 0xB1, 0x63, 0x00 });
    send ({ 0xB1, 0x62, 0x11 });
    send ({ 0xB1, 0x06, 0x2A });
    send ({ 0xB1, 0x63, 0x03 });
    send ({ 0xB1, 0x62, 0x0D });
    send ({ 0xB1, 0x06, 0x33 });
    send ({ 0xB1, 0x5B, 0x44 });
    send (SimulatedInstrument::frame (3, { 1, 0, 3, 1, 2, 86, 0x11, 0x22 }));
    send (SimulatedInstrument::frame (12, { 1, 0, 9, 4, 1, 2, 3, 5, 11, 6 }));
    send (SimulatedInstrument::frame (13, { 1, 0, 9, 10, 20, 30, 40, 50 }));

    Bytes namePayload { 1, 0, 9, 20 };
    const uint8_t nameBytes[20] = { 0xC3, 0xA9, 't', 0 };
    const auto text = SimulatedInstrument::encodeName (nameBytes, 20);
    namePayload.insert (namePayload.end(), text.begin(), text.end());
    send (SimulatedInstrument::frame (9, namePayload));

    const auto part = instrument.getPart (1);
    EXPECT_EQ (part.params[17], 0x2A);
    EXPECT_EQ (part.group3[13], 0x33);
    EXPECT_EQ (part.reverbSend, 0x44);
    EXPECT_EQ (part.tracks[3][86], 0x11);
    EXPECT_EQ (part.tracks[3][87], 0x22);
    EXPECT_EQ (part.iconId, 4);
    EXPECT_EQ (part.templateId, 11);
    EXPECT_EQ (part.infoByte, 6);
    EXPECT_EQ (part.pedals[4], 50);
    EXPECT_EQ (part.number, 9);
    EXPECT_EQ (part.getName(), "\xC3\xA9t");
    EXPECT_EQ (instrument.getPart (0), SimulatedInstrument::Part());
    EXPECT_TRUE (instrument.getProblems().isEmpty()) << instrument.getProblems().joinIntoString ("\n");
}

TEST_F (InstrumentFixture, ReportsWhatItCannotTake)
{
    auto badChecksum = SimulatedInstrument::frame (4, { 0 });
    badChecksum[badChecksum.size() - 2] ^= 0x01;
    auto highByte = SimulatedInstrument::frame (12, { 0, 0, 0, 0x7F, 0, 0, 0, 0, 0, 0 });
    highByte[9] = 0xFF;

    const std::vector<Bytes> cases {
        badChecksum,
        highByte,
        SimulatedInstrument::frame (4, { 2 }), // no such part
        SimulatedInstrument::frame (4, { 0, 0 }), // too long
        SimulatedInstrument::frame (3, { 0, 0, 12, 1, 1, 0, 64 }), // no such table
        SimulatedInstrument::frame (3, { 0, 0, 0, 1, 9, 80, 1, 2, 3, 4, 5, 6, 7, 8, 9 }), // past the last key
        SimulatedInstrument::frame (20, {}),
        { 0xB0, 0x26, 0x00 },
    };

    for (size_t i = 0; i < cases.size(); ++i)
    {
        const auto before = instrument.getProblems().size();
        EXPECT_TRUE (exchange (cases[i]).empty()) << "case " << i;
        EXPECT_EQ (instrument.getProblems().size(), before + 1) << "case " << i;
    }
    EXPECT_EQ (instrument.getPart (0), SimulatedInstrument::Part());
}
} // namespace
