#include "link/MidiVelmor.h"
#include "tests/support/IgnoringLinkListener.h"
#include "tests/support/SimulatedInstrument.h"
#include "tests/support/VirtualMidiPorts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>

namespace
{
using Part = SimulatedInstrument::Part;

const juce::String inputName = "Velmor In";
const juce::String outputName = "Velmor Out";
constexpr int connectWaitMs = 2500;

// Offsets of the record, read as raw bytes so that the comparison does not
// lean on how the link declares its fields.
namespace offsets
{
    constexpr size_t name = 0x000, iconId = 0x014, bank = 0x015, number = 0x016, infoBytes = 0x017;
    constexpr size_t templateId = 0x01B, infoByte = 0x01C, params = 0x01D, tracks = 0x02F;
    constexpr size_t block1 = 0x450, block2 = 0x470, block4 = 0x498, block3 = 0x4B0;
    constexpr size_t pedals = 0x4E8, volume = 0x4ED, pan = 0x4EE, chorusSend = 0x4EF, reverbSend = 0x4F0;
    constexpr size_t masterEffect = 0x4F4, block7 = 0x52C;
} // namespace offsets

constexpr uint8_t onValue = 64;

// The slot of the group 3 block in which the link keeps a parameter under a
// type; -1 where the type gives the parameter no slot. Type 6 is left out: its
// reading is checked by sending a block back and forth instead.
int group3Slot (int type, int param)
{
    if (param == 11)
    {
        switch (type)
        {
            case 0:
            case 1:
            case 3:
                return 6;
            case 2:
            case 5:
                return 8;
            case 7:
                return 10;
            case 8:
                return 9;
            default:
                return -1;
        }
    }
    return param;
}

std::vector<int> group3Params (int type)
{
    return SimulatedInstrument::group3ParamsOfType (type);
}

bool group3ParamIsFlag (int type, int param)
{
    return (type == 8 && (param == 6 || param == 8)) || (type == 6 && (param == 8 || param == 9));
}

uint8_t lowByte (const uint8_t* record, size_t offset)
{
    std::int32_t value = 0;
    std::memcpy (&value, record + offset, sizeof (value));
    return (uint8_t) (value & 0xFF);
}

uint8_t flagOf (const uint8_t* record, size_t offset)
{
    return record[offset] != 0 ? onValue : 0;
}

// What the instrument should hold after the link's record went to it whole:
// the record seen through the protocol, flags as the values that carry them.
Part viewOf (const ST_MICROPERFORMANCE& microP)
{
    const auto* r = reinterpret_cast<const uint8_t*> (&microP);
    Part p;
    std::memcpy (p.name.data(), r + offsets::name, p.name.size());
    p.iconId = r[offsets::iconId];
    p.bank = r[offsets::bank];
    p.number = r[offsets::number];
    std::memcpy (p.infoBytes.data(), r + offsets::infoBytes, p.infoBytes.size());
    p.templateId = r[offsets::templateId];
    p.infoByte = r[offsets::infoByte];
    std::memcpy (p.params.data(), r + offsets::params, p.params.size());
    for (size_t t = 0; t < p.tracks.size(); ++t)
        std::memcpy (p.tracks[t].data(), r + offsets::tracks + 88 * t, 88);

    p.group1[0] = flagOf (r, offsets::block1);
    for (size_t i = 1; i < p.group1.size(); ++i)
        p.group1[i] = lowByte (r, offsets::block1 + 8 + 4 * (i - 1));

    p.group2[0] = flagOf (r, offsets::block2);
    p.group2[1] = lowByte (r, offsets::block2 + 4);
    for (size_t i = 2; i < p.group2.size(); ++i)
        p.group2[i] = lowByte (r, offsets::block2 + 12 + 4 * (i - 2));

    const auto type = lowByte (r, offsets::block3 + 4);
    p.group3[0] = flagOf (r, offsets::block3);
    p.group3[1] = type;
    p.group3[2] = lowByte (r, offsets::block3 + 8);
    for (auto param : group3Params (type))
    {
        const auto slot = (size_t) group3Slot (type, param);
        p.group3[(size_t) param] = group3ParamIsFlag (type, param) ? flagOf (r, offsets::block3 + 4 * slot)
                                                                   : lowByte (r, offsets::block3 + 4 * slot);
    }

    p.group4[0] = flagOf (r, offsets::block4);
    for (size_t i = 2; i < p.group4.size(); ++i)
        p.group4[i] = lowByte (r, offsets::block4 + 4 + 4 * (i - 2));

    p.group6[0] = flagOf (r, offsets::masterEffect);
    for (size_t i = 1; i < p.group6.size(); ++i)
        p.group6[i] = lowByte (r, offsets::masterEffect + 4 * i);

    p.group7[0] = flagOf (r, offsets::block7);
    for (size_t i = 1; i < p.group7.size(); ++i)
        p.group7[i] = lowByte (r, offsets::block7 + 4 * i);

    std::memcpy (p.pedals.data(), r + offsets::pedals, p.pedals.size());
    p.volume = r[offsets::volume];
    p.pan = r[offsets::pan];
    p.chorusSend = r[offsets::chorusSend];
    p.reverbSend = r[offsets::reverbSend];
    return p;
}

// A part in which neighbouring values all differ, flags alternate, and the
// group 3 block holds exactly the parameters of the given type.
Part variedPart (int type)
{
    int counter = 1;
    const auto next = [&counter]
    { return (uint8_t) ((counter++ * 37) % 128); };
    const auto flag = [&counter]
    { return (uint8_t) ((counter++ % 2) == 0 ? onValue : 0); };

    Part p;
    p.setName ("Salle \xC3\xA9tendue 7");
    p.iconId = 9;
    p.bank = 0;
    p.number = 42;
    for (auto& b : p.infoBytes)
        b = next();
    p.templateId = 11;
    p.infoByte = next();
    for (auto& v : p.params)
        v = next();
    for (auto& table : p.tracks)
        for (auto& v : table)
            v = next();

    p.group1[0] = onValue;
    for (size_t i = 1; i < p.group1.size(); ++i)
        p.group1[i] = next();
    p.group2[0] = flag();
    for (size_t i = 1; i < p.group2.size(); ++i)
        p.group2[i] = next();

    p.group3[0] = onValue;
    p.group3[1] = (uint8_t) type;
    p.group3[2] = next();
    for (auto param : group3Params (type))
        p.group3[(size_t) param] = group3ParamIsFlag (type, param) ? flag() : next();

    p.group4[0] = onValue;
    for (size_t i = 2; i < p.group4.size(); ++i)
        p.group4[i] = next();
    p.group6[0] = onValue;
    for (size_t i = 1; i < p.group6.size(); ++i)
        p.group6[i] = next();
    p.group7[0] = flag();
    for (size_t i = 1; i < p.group7.size(); ++i)
        p.group7[i] = next();

    for (auto& v : p.pedals)
        v = next();
    p.volume = next();
    p.pan = next();
    p.chorusSend = next();
    p.reverbSend = next();
    return p;
}

// Records every post and listener call with the thread it arrived on.
class Events : public juce::MessageListener, public IgnoringLinkListener
{
public:
    struct Event
    {
        juce::String what;
        std::vector<int> values;
        juce::String text;
        bool onMessageThread;
        bool onProcessingThread;
    };

    std::vector<Event> all() const
    {
        const std::lock_guard<std::mutex> guard (mutex);
        return events;
    }

    std::vector<Event> named (const juce::String& what) const
    {
        std::vector<Event> found;
        for (const auto& e : all())
            if (e.what == what)
                found.push_back (e);
        return found;
    }

    void clear()
    {
        const std::lock_guard<std::mutex> guard (mutex);
        events.clear();
    }

    std::function<void (MidiVelmor*, unsigned char)> layerModeHook;

    void handleMessage (const juce::Message& message) override
    {
        if (auto* m = dynamic_cast<const ConnectMessage*> (&message))
            add ("connect", { m->result });
        else if (auto* s = dynamic_cast<const SoundMessage*> (&message))
            add ("sound", { s->channel, s->bank, s->program });
        else if (auto* p = dynamic_cast<const PartMessage*> (&message))
            add ("part", { p->part, p->bank, p->number }, p->name);
        else if (auto* pm = dynamic_cast<const ParamMessage*> (&message))
            add ("param", { pm->param, pm->value });
        else if (auto* t = dynamic_cast<const TrackParamMessage*> (&message))
            add ("track", { t->gen, t->param, t->length, t->start });
        else if (auto* i = dynamic_cast<const InfoMessage*> (&message))
            add ("info", { i->iconId, i->templateId });
        else if (auto* n = dynamic_cast<const NoteMessage*> (&message))
            add ("note", { n->note, n->on });
    }

    void onConnect (MidiVelmor*, int) override { add ("onConnect", {}); }
    void onConnectionLost (MidiVelmor*) override { add ("onConnectionLost", {}); }
    void onSoundChanged (MidiVelmor*, unsigned char, unsigned char, unsigned char) override { add ("onSoundChanged", {}); }
    void onGetLayerMode (MidiVelmor* sender, unsigned char mode) override
    {
        add ("onGetLayerMode", { mode });
        if (layerModeHook)
            layerModeHook (sender, mode);
    }
    void onGetChangeMode (MidiVelmor*, unsigned char mode) override { add ("onGetChangeMode", { mode }); }
    void onGetMicroPName (MidiVelmor*, unsigned char bank, unsigned char index, const juce::String& name) override
    {
        add ("onGetMicroPName", { bank, index }, name);
    }

private:
    void add (const juce::String& what, std::vector<int> values, const juce::String& text = {})
    {
        const auto* thread = juce::Thread::getCurrentThread();
        const bool processing = thread != nullptr && thread->getThreadName() == "MidiProcessing";
        const bool messageThread = juce::MessageManager::getInstance()->isThisTheMessageThread();
        const std::lock_guard<std::mutex> guard (mutex);
        events.push_back ({ what, std::move (values), text, messageThread, processing });
    }

    mutable std::mutex mutex;
    std::vector<Event> events;
};

bool waitFor (const std::function<bool()>& condition, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }
    return true;
}

void pump (int ms)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
}

// The link on the message thread, the simulated instrument behind its ports.
class InstrumentLink : public testing::Test
{
protected:
    InstrumentLink()
    {
        auto virtualPorts = std::make_unique<VirtualMidiPorts> (juce::StringArray { inputName }, juce::StringArray { outputName });
        ports = virtualPorts.get();
        instrument = std::make_unique<SimulatedInstrument> (*ports, inputName, outputName);
        link = std::make_unique<MidiVelmor> ("Midi.log", 0x1F, std::move (virtualPorts));
        link->messageListener = &events;
        link->addListener (&events);
        link->setActiveInput (0);
        link->setActiveOutput (0);
    }

    ~InstrumentLink() override
    {
        link->disconnect();
        link->removeListener (&events);
        instrument.reset();
        link.reset();
        pump (1); // posts still queued go to a listener that is still alive
    }

    void TearDown() override
    {
        EXPECT_TRUE (instrument->getProblems().isEmpty()) << instrument->getProblems().joinIntoString ("\n");
    }

    // Connects and returns the connect code, or -1 when none came.
    int connect()
    {
        link->connect();
        waitFor ([this]
                 { return ! events.named ("connect").empty(); },
                 connectWaitMs);
        const auto results = events.named ("connect");
        return results.empty() ? -1 : results.front().values.front();
    }

    // Waits until the link has decoded everything the instrument sent so far:
    // the layer-mode reply comes after it and is decoded in order.
    void settle()
    {
        const auto before = events.named ("onGetLayerMode").size();
        ASSERT_TRUE (link->getLayerMode());
        ASSERT_TRUE (waitFor ([&]
                              { return events.named ("onGetLayerMode").size() > before; },
                              connectWaitMs));
        pump (20); // and the posts made before it
    }

    Events events;
    VirtualMidiPorts* ports = nullptr;
    std::unique_ptr<SimulatedInstrument> instrument;
    std::unique_ptr<MidiVelmor> link;
};

TEST_F (InstrumentLink, ConnectsToTheInstrumentAndKeepsItAliveWithPings)
{
    ASSERT_EQ (connect(), Midi::CONNECT_OK);
    EXPECT_EQ (link->getConnectionState(), Midi::STATE_CONNECTED);
    EXPECT_TRUE (events.named ("connect").front().onMessageThread);
    EXPECT_EQ (instrument->getIdentityRequestCount(), 1);
    EXPECT_EQ (instrument->getPingRequestCount(), 1);

    pump (3300);
    EXPECT_EQ (link->getConnectionState(), Midi::STATE_CONNECTED);
    EXPECT_EQ (instrument->getPingRequestCount(), 3);
    EXPECT_TRUE (events.named ("onConnectionLost").empty());
}

TEST_F (InstrumentLink, DeclaresTheConnectionLostWhenPingsGoUnanswered)
{
    using Mode = SimulatedInstrument::PingMode;
    struct Case
    {
        Mode mode;
        int answered;
    };
    // The first period after connecting may still see the flag left set, so
    // the loss comes after at most two periods without a valid reply.
    const std::vector<Case> cases { { Mode::answerNone, 0 }, { Mode::badChecksum, 0 }, { Mode::answerFirstN, 2 } };

    for (const auto& c : cases)
    {
        events.clear();
        instrument->setPingMode (c.mode, c.answered);
        ASSERT_EQ (connect(), Midi::CONNECT_OK);
        const auto pingsBefore = instrument->getPingRequestCount();

        ASSERT_TRUE (waitFor ([this]
                              { return ! events.named ("onConnectionLost").empty(); },
                              (c.answered + 3) * Midi::pingPeriodMs));
        EXPECT_TRUE (events.named ("onConnectionLost").front().onMessageThread);
        EXPECT_EQ (link->getConnectionState(), Midi::STATE_DISCONNECTED);
        EXPECT_EQ (ports->getOpenOutputName(), "");
        EXPECT_FALSE (ports->isInputOpen (inputName));
        EXPECT_GE (instrument->getPingRequestCount() - pingsBefore, c.answered);
    }
}

TEST_F (InstrumentLink, AcceptsOnlyVersionsFromOneFourAndTheExpectedFlags)
{
    struct Case
    {
        uint8_t major, minor, flags, familyHigh;
        int expected;
    };
    const std::vector<Case> cases {
        { 1, 3, 0x48, 0x1C, Midi::CONNECT_OUT_OF_DATE },
        { 1, 4, 0x48, 0x1C, Midi::CONNECT_OK },
        { 1, 10, 0x48, 0x1C, Midi::CONNECT_OK },
        { 2, 0, 0x48, 0x1C, Midi::CONNECT_OK },
        { 1, 4, 0x49, 0x1C, Midi::CONNECT_OUT_OF_DATE },
        { 1, 4, 0x4C, 0x1C, Midi::CONNECT_OUT_OF_DATE },
        { 1, 4, 0x08, 0x1C, Midi::CONNECT_NOT_FOUND }, // bit 6 clear: no identity reply at all
        { 1, 4, 0x48, 0x1D, Midi::CONNECT_NOT_FOUND },
    };

    for (const auto& c : cases)
    {
        link->disconnect();
        events.clear();
        auto identity = SimulatedInstrument::Identity();
        identity.major = c.major;
        identity.minor = c.minor;
        identity.flags = c.flags;
        identity.familyHigh = c.familyHigh;
        instrument->setIdentity (identity);

        EXPECT_EQ (connect(), c.expected) << (int) c.major << "." << (int) c.minor << " flags " << (int) c.flags;
        EXPECT_EQ (link->getConnectionState() == Midi::STATE_CONNECTED, c.expected == Midi::CONNECT_OK);
    }
}

TEST_F (InstrumentLink, ReportsNoInstrumentWhenTheIdentityRequestGoesUnanswered)
{
    auto identity = SimulatedInstrument::Identity();
    identity.answers = false;
    instrument->setIdentity (identity);

    EXPECT_EQ (connect(), Midi::CONNECT_NOT_FOUND);
    EXPECT_EQ (instrument->getIdentityRequestCount(), 2); // the preset pair, then the same pair in the scan
}

TEST_F (InstrumentLink, ReadsTheNameListAndLayerModeOnTheProcessingThread)
{
    instrument->setNames (0, { "Concert", "Caf\xC3\xA9", "Bright" });
    instrument->setLayerMode (1);
    ASSERT_EQ (connect(), Midi::CONNECT_OK);

    ASSERT_TRUE (link->getMicroPNameList (0, 127));
    settle();

    const auto names = events.named ("onGetMicroPName");
    ASSERT_EQ (names.size(), 3u);
    EXPECT_EQ (names[1].values, (std::vector<int> { 0, 1 }));
    EXPECT_EQ (names[1].text, juce::String::fromUTF8 ("Caf\xC3\xA9"));
    for (const auto& e : names)
        EXPECT_TRUE (e.onProcessingThread);

    const auto layer = events.named ("onGetLayerMode");
    ASSERT_EQ (layer.size(), 1u);
    EXPECT_EQ (layer[0].values, std::vector<int> { 1 });
    EXPECT_TRUE (layer[0].onProcessingThread);
}

TEST_F (InstrumentLink, AnswersTheLayerModeWithPartNameRequestsFromTheProcessingThread)
{
    auto part = variedPart (0);
    part.setName ("Layered");
    part.bank = 3;
    instrument->setPart (1, part);
    instrument->setLayerMode (1);
    events.layerModeHook = [] (MidiVelmor* sender, unsigned char)
    { sender->getPartMicroPName (1); };
    ASSERT_EQ (connect(), Midi::CONNECT_OK);

    settle();
    ASSERT_TRUE (waitFor ([this]
                          { return ! events.named ("part").empty(); },
                          connectWaitMs));

    const auto reply = events.named ("part").front();
    EXPECT_EQ (reply.values, (std::vector<int> { 1, 3, part.number }));
    EXPECT_EQ (reply.text, "Layered");
    EXPECT_TRUE (reply.onMessageThread);
    EXPECT_EQ (link->getMicroPCopy().name[0], 0) << "a name of another bank leaves the record's name alone";
}

TEST_F (InstrumentLink, KeepsThePartNameOfBankZeroAsItsRawBytesCutWithoutSplittingACharacter)
{
    struct Case
    {
        std::string reported;
        std::string stored;
    };
    const std::vector<Case> cases {
        { "", "" },
        { "Grand", "Grand" },
        { std::string (18, 'a') + "\xC3\xA9", std::string (18, 'a') },
        { "\xFF\xFE"
          "ab",
          "\xFF\xFE"
          "ab" },
    };
    ASSERT_EQ (connect(), Midi::CONNECT_OK);

    for (const auto& c : cases)
    {
        events.clear();
        auto part = Part();
        part.setName (c.reported);
        instrument->setPart (0, part);
        ASSERT_TRUE (link->getPartMicroPName (0));
        ASSERT_TRUE (waitFor ([this]
                              { return ! events.named ("part").empty(); },
                              connectWaitMs));

        const auto record = link->getMicroPCopy();
        EXPECT_EQ (std::string (record.name, strnlen (record.name, sizeof (record.name))), c.stored);
        EXPECT_EQ (link->getPendingReply(), MidiVelmor::none);
    }
}

TEST_F (InstrumentLink, LoadsAWholePartIntoTheRecordAndReportsEachItem)
{
    const auto part = variedPart (7);
    instrument->setPart (0, part);
    ASSERT_EQ (connect(), Midi::CONNECT_OK);
    link->editChannel = 0;

    ASSERT_TRUE (link->getPartMicroPData (0));
    settle();

    EXPECT_EQ (viewOf (link->getMicroPCopy()), part);

    const auto partPosts = events.named ("part");
    ASSERT_EQ (partPosts.size(), 1u);
    EXPECT_EQ (partPosts[0].values, (std::vector<int> { 0, 0, part.number }));
    EXPECT_EQ (partPosts[0].text, juce::String::fromUTF8 (part.getName().c_str()));
    EXPECT_EQ (events.named ("info").size(), 1u);
    EXPECT_EQ (events.named ("info").front().values, (std::vector<int> { part.iconId, part.templateId }));

    const auto tracks = events.named ("track");
    ASSERT_EQ (tracks.size(), 12u);
    for (int t = 0; t < 12; ++t)
        EXPECT_EQ (tracks[(size_t) t].values, (std::vector<int> { 0, t, 88, 0 }));

    const auto params = events.named ("param");
    ASSERT_EQ (params.size(), 18u);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ (params[(size_t) i].values, (std::vector<int> { i, part.params[(size_t) i] }));

    for (const auto& e : events.all())
        EXPECT_TRUE (e.what.startsWith ("on") || e.onMessageThread) << e.what;
}

TEST_F (InstrumentLink, PartDataOffTheEditChannelLeaveTheNrpnBlocksAlone)
{
    instrument->setPart (1, variedPart (7));
    ASSERT_EQ (connect(), Midi::CONNECT_OK);
    link->editChannel = 0;

    ASSERT_TRUE (link->getPartMicroPData (1));
    settle();

    const auto fresh = MidiVelmor ("", 0, std::make_unique<VirtualMidiPorts> (juce::StringArray {}, juce::StringArray {})).getMicroPCopy();
    const auto loaded = link->getMicroPCopy();
    const auto* a = reinterpret_cast<const uint8_t*> (&loaded);
    const auto* b = reinterpret_cast<const uint8_t*> (&fresh);
    EXPECT_EQ (std::memcmp (a + offsets::params, b + offsets::params, 18), 0);
    EXPECT_EQ (std::memcmp (a + offsets::block1, b + offsets::block1, offsets::pedals - offsets::block1), 0);
    EXPECT_EQ (std::memcmp (a + offsets::volume, b + offsets::volume, sizeof (ST_MICROPERFORMANCE) - offsets::volume), 0);
    EXPECT_TRUE (events.named ("param").empty());
}

TEST_F (InstrumentLink, SendingAWholePartLeavesTheInstrumentHoldingTheRecord)
{
    ASSERT_EQ (connect(), Midi::CONNECT_OK);
    {
        // Every field the protocol carries gets a value of its own.
        const juce::ScopedLock sl (link->getRecordLock());
        auto* r = reinterpret_cast<uint8_t*> (&link->microP);
        int counter = 1;
        const auto next = [&counter]
        { return (uint8_t) ((counter++ * 37) % 128); };
        const auto setInt = [r] (size_t offset, uint8_t value)
        {
            const std::int32_t v = value;
            std::memcpy (r + offset, &v, sizeof (v));
        };

        std::memset (r + offsets::name, 0, 20);
        std::memcpy (r + offsets::name, "Round \xC3\xA9 trip", 13);
        r[offsets::iconId] = 14;
        r[offsets::bank] = 0;
        r[offsets::number] = 77;
        for (size_t i = offsets::infoBytes; i <= offsets::infoByte; ++i)
            r[i] = next();
        for (size_t i = offsets::params; i < offsets::tracks + 12 * 88; ++i)
            r[i] = next();
        r[offsets::block1] = 1;
        for (size_t i = 0; i < 4; ++i)
            setInt (offsets::block1 + 8 + 4 * i, next());
        r[offsets::block2] = 1;
        setInt (offsets::block2 + 4, next());
        for (size_t i = 0; i < 7; ++i)
            setInt (offsets::block2 + 12 + 4 * i, next());
        r[offsets::block4] = 1;
        for (size_t i = 0; i < 5; ++i)
            setInt (offsets::block4 + 4 + 4 * i, next());
        r[offsets::block3] = 1;
        setInt (offsets::block3 + 4, 7);
        for (size_t s = 2; s < 14; ++s)
            setInt (offsets::block3 + 4 * s, next());
        for (size_t i = offsets::pedals; i <= offsets::reverbSend; ++i)
            r[i] = next();
        r[offsets::masterEffect] = 1;
        for (size_t s = 1; s < 14; ++s)
            setInt (offsets::masterEffect + 4 * s, next());
        r[offsets::block7] = 1;
        for (size_t s = 1; s < 9; ++s)
            setInt (offsets::block7 + 4 * s, next());
    }

    link->sendPartAll (0);

    auto expected = viewOf (link->getMicroPCopy());
    for (size_t i = 7; i < expected.group6.size(); ++i)
        expected.group6[i] = 0; // master-effect parameters 7 to 13 are never sent
    EXPECT_EQ (instrument->getPart (0), expected);
    EXPECT_EQ (instrument->getPart (1), Part());
    EXPECT_EQ (instrument->getDumpStartCount (1), 1);
    EXPECT_EQ (instrument->getDumpStartCount (0), 1);
}

TEST_F (InstrumentLink, APartSentBackAfterLoadingItIsUnchangedForEveryEffectType)
{
    ASSERT_EQ (connect(), Midi::CONNECT_OK);
    link->editChannel = 0;

    for (int type = 0; type <= 8; ++type)
    {
        const auto part = variedPart (type);
        instrument->setPart (0, part);
        ASSERT_TRUE (link->getPartMicroPData (0));
        settle();

        instrument->setPart (0, Part());
        link->sendPartAll (0);
        auto sentBack = instrument->getPart (0);
        auto expected = part;
        for (size_t i = 7; i < expected.group6.size(); ++i)
            expected.group6[i] = sentBack.group6[i] = 0; // not part of a whole-part transmission
        EXPECT_EQ (sentBack, expected) << "effect type " << type;
    }
}

TEST_F (InstrumentLink, InjectedMessagesArePostedToTheMessageThreadOrCalledOnTheProcessingThread)
{
    ASSERT_EQ (connect(), Midi::CONNECT_OK);
    link->editChannel = 0;

    instrument->injectBytes ({ 0xC5, 0x07 });
    instrument->injectBytes ({ 0xB3, 0x66, 0x02 });
    instrument->injectBytes ({ 0x90, 0x3C, 0x40 });
    instrument->injectBytes ({ 0x91, 0x3D, 0x40 });
    settle();

    const auto sound = events.named ("sound");
    ASSERT_EQ (sound.size(), 1u);
    EXPECT_EQ (sound[0].values, (std::vector<int> { 5, 0xFF, 7 }));
    EXPECT_TRUE (sound[0].onMessageThread);

    const auto changeMode = events.named ("onGetChangeMode");
    ASSERT_EQ (changeMode.size(), 1u);
    EXPECT_EQ (changeMode[0].values, std::vector<int> { 2 });
    EXPECT_TRUE (changeMode[0].onProcessingThread);

    const auto notes = events.named ("note");
    ASSERT_EQ (notes.size(), 1u) << "only the edit channel's notes are reported";
    EXPECT_EQ (notes[0].values, (std::vector<int> { 0x3C, 1 }));
    EXPECT_TRUE (notes[0].onMessageThread);
}

TEST_F (InstrumentLink, SelectsASoundOnTheGivenChannelAndRefusesChannelsAbove15)
{
    ASSERT_EQ (connect(), Midi::CONNECT_OK);
    const auto sentBefore = ports->getSentMessages().size();

    link->setSound (1, 0, 5);
    EXPECT_EQ (instrument->getBank (1), 0);
    EXPECT_EQ (instrument->getProgram (1), 5);
    EXPECT_EQ (ports->getSentMessages().size(), sentBefore + 2);

    link->setSound (16, 0, 6);
    EXPECT_EQ (ports->getSentMessages().size(), sentBefore + 2);
}

TEST_F (InstrumentLink, TheInitialRecordAndPartlessSendsPutNoHighByteInsideASysEx)
{
    ASSERT_EQ (connect(), Midi::CONNECT_OK);
    link->clearMicroP();

    link->sendPartAll (0);
    link->sendPartMicroPName (255);
    link->sendPartParameters (255);
    link->sendPartPedals (255);
    EXPECT_FALSE (link->sendPartTrackParam (255, 0, 0, 1, 88, 0));

    EXPECT_EQ (instrument->getPart (0).iconId, 0x7F) << "no icon travels as 0x7F";
    for (const auto& sent : ports->getSentMessages())
    {
        const auto* raw = sent.message.getRawData();
        const int end = sent.message.isSysEx() ? sent.message.getRawDataSize() - 1 : 1;
        for (int i = 1; i < end; ++i)
            ASSERT_LT (raw[i], 0x80);
    }
}
} // namespace
