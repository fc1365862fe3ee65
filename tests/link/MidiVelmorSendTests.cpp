#include "ProtocolTestSupport.h"

#include <cstring>

namespace
{
struct SendCase
{
    const char* behaviour;
    std::function<void (MidiVelmor&)> action;
    std::vector<Bytes> sent;
};
} // namespace

TEST (MidiVelmorFrame, PingRequestAndRepliesFollowTheFrame)
{
    MidiVelmor link ("Midi.log", 0x1F, std::make_unique<VirtualMidiPorts> (juce::StringArray {}, juce::StringArray {}));
    const auto logStart = logText().length();

    EXPECT_EQ (hexOf (bytesOf (link.createPingRequest())), "F0 7D 1C 20 01 02 00 43 F7");
    EXPECT_EQ (hexOf (bytesOf (link.createSysEx (MidiVelmor::CMD_GET_LAYER_MODE, nullptr, 0))), "F0 7D 1C 20 01 0A 3B F7");

    const struct
    {
        const char* behaviour;
        Bytes message;
        bool isReply;
    } pings[] = {
        { "the ping reply", { 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x02, 0x01, 0x42, 0xF7 }, true },
        { "an echo of the request", { 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x02, 0x00, 0x43, 0xF7 }, false },
        { "one payload byte too many", editorFrame (MidiVelmor::CMD_PING, { 1, 0 }), false },
        { "another maker", { 0xF0, 0x41, 0x1C, 0x20, 0x01, 0x02, 0x01, 0x42, 0xF7 }, false },
        { "another command", editorFrame (MidiVelmor::CMD_LAYER_MODE, { 1 }), false },
        { "no SysEx", { 0x90, 0x3C, 0x40 }, false },
        { "a wrong checksum", { 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x02, 0x01, 0x41, 0xF7 }, false },
    };

    for (const auto& p : pings)
        EXPECT_EQ (link.checkPingReply (messageOf (p.message)), p.isReply) << p.behaviour;

    EXPECT_EQ (logLinesSince (logStart), (juce::StringArray { "E ZELTRONA SysEx checksum error" }));
}

TEST (MidiVelmorFrame, IdentityReplyAndVersionRule)
{
    MidiVelmor link ("Midi.log", 0x1F, std::make_unique<VirtualMidiPorts> (juce::StringArray {}, juce::StringArray {}));

    auto otherDevice = identityReply (1, 4, 0x48);
    otherDevice[2] = 0x01;
    auto otherFamily = identityReply (1, 4, 0x48);
    otherFamily[7] = 0x1D;
    auto tooShort = identityReply (1, 4, 0x48);
    tooShort.erase (tooShort.begin() + 12);

    const struct
    {
        const char* behaviour;
        Bytes reply;
        bool identified;
        bool accepted;
    } cases[] = {
        { "1.4 with flags 0x48", identityReply (1, 4, 0x48), true, true },
        { "1.10", identityReply (1, 10, 0x48), true, true },
        { "2.0", identityReply (2, 0, 0x48), true, true },
        { "1.3 is too old", identityReply (1, 3, 0x48), true, false },
        { "flags 0x49", identityReply (1, 4, 0x49), true, false },
        { "flags without bit 6", identityReply (1, 4, 0x08), false, false },
        { "device ID 1", otherDevice, false, false },
        { "another family", otherFamily, false, false },
        { "twelve data bytes", tooShort, false, false },
    };

    for (const auto& c : cases)
    {
        const auto message = messageOf (c.reply);
        EXPECT_EQ (link.checkIdentifyReply (message), c.identified) << c.behaviour;

        if (c.identified)
        {
            EXPECT_EQ (link.checkSoftwareVersion (message), c.accepted) << c.behaviour;
        }
    }

    EXPECT_FALSE (link.checkSoftwareVersion (messageOf (tooShort)));
}

TEST (MidiVelmorFrame, PayloadBytesAboveSevenBitsAreMaskedAndLogged)
{
    MidiVelmor link ("Midi.log", 0x1F, std::make_unique<VirtualMidiPorts> (juce::StringArray {}, juce::StringArray {}));
    const auto logStart = logText().length();
    const unsigned char payload[] = { 0x90, 0x01 };

    EXPECT_EQ (bytesOf (link.createSysEx (MidiVelmor::CMD_DUMP_START, payload, 2)), editorFrame (MidiVelmor::CMD_DUMP_START, { 0x10, 0x01 }));
    EXPECT_EQ (logLinesSince (logStart), (juce::StringArray { "E SysEx data byte above 7 bits masked (Cmd2 = 5)" }));
}

TEST (MidiVelmorRecord, NamesAreCutToNineteenBytesWithoutSplittingACharacter)
{
    MidiVelmor link ("Midi.log", 0x1F, std::make_unique<VirtualMidiPorts> (juce::StringArray {}, juce::StringArray {}));

    const struct
    {
        const char* utf8;
        std::string stored;
    } cases[] = {
        { "abc\xC3\xA9", std::string ("abc\xC3\xA9") },
        { "ABCDEFGHIJKLMNOPQRSTUVWXY", std::string ("ABCDEFGHIJKLMNOPQRS") },
        { "ABCDEFGHIJKLMNOPQR\xC3\xA9", std::string ("ABCDEFGHIJKLMNOPQR") },
        { "", std::string() },
    };

    for (const auto& c : cases)
    {
        link.setPartMicroPName (1, "junk that must be cleared");
        link.setPartMicroPName (0, juce::String::fromUTF8 (c.utf8));

        const auto record = link.getMicroPCopy();
        auto expected = c.stored;
        expected.resize (20, '\0');
        EXPECT_EQ (std::string (record.name, sizeof (record.name)), expected) << c.utf8;
    }

    // With no part edited the record still takes the name; only sends need a part.
    link.setPartMicroPName (255, "Kept");
    EXPECT_STREQ (link.getMicroPCopy().name, "Kept");
}

TEST (MidiVelmorRecord, ClearingRestoresTheInitialRecordAndKeepsTheEditChannel)
{
    MidiVelmor link ("Midi.log", 0x1F, std::make_unique<VirtualMidiPorts> (juce::StringArray {}, juce::StringArray {}));
    link.editChannel = 1;
    link.setPartParam (0, 3, 100);
    link.setPartMicroPIcon (0, 4);
    link.setPartMicroPTemplate (1, 5);
    link.decode (messageOf ({ 0xB1, 7, 99 }));

    link.clearMicroP();

    const auto record = link.getMicroPCopy();
    const auto initial = initialMicroPerformance();
    EXPECT_EQ (std::memcmp (&record, &initial, sizeof (record)), 0);
    EXPECT_EQ (link.editChannel.load(), 1);
}

//==============================================================================
class MidiVelmorSend : public LinkFixture
{
};

TEST_F (MidiVelmorSend, SendersWriteTheirExactBytes)
{
    ASSERT_TRUE (connect());
    const auto logStart = logText().length();

    const std::vector<SendCase> cases = {
        { "a part parameter goes as NRPN group 0 on the part's channel",
          [] (MidiVelmor& l)
          {
              l.setPartParam (1, 17, 0x55);
              l.sendPartParam (1, 17);
          },
          { { 0xB1, 0x63, 0x00 }, { 0xB1, 0x62, 0x11 }, { 0xB1, 0x06, 0x55 } } },
        { "channel senders refuse a part above 1",
          [] (MidiVelmor& l)
          {
              l.sendPartNRPN (2, 0, 0, 64);
              l.sendPartCC (2, 7, 1);
              l.sendPartAll (2);
          },
          {} },
        { "a part parameter outside 0..17 is neither stored nor sent",
          [] (MidiVelmor& l)
          {
              l.setPartParam (0, 18, 1);
              l.sendPartParam (0, 18);
              EXPECT_EQ (l.getMicroPCopy().tracks[0][0], 64);
          },
          {} },
        { "a controller", [] (MidiVelmor& l)
          { l.sendPartCC (0, 7, 100); },
          { { 0xB0, 7, 100 } } },
        { "a sound is a bank select then a program change", [] (MidiVelmor& l)
          { l.setSound (1, 0, 5); },
          { { 0xB1, 0, 0 }, { 0xC1, 5 } } },
        { "a sound on a channel above 15 is refused", [] (MidiVelmor& l)
          { l.setSound (16, 0, 5); },
          {} },
        { "part parameters carry no icon as 0x7F",
          [] (MidiVelmor& l)
          { l.sendPartParameters (0); },
          { editorFrame (MidiVelmor::CMD_PART_PARAMETERS, { 0, 0, 0, 0x7F, 0, 0, 0, 0, 0, 0 }) } },
        { "part parameters with an icon and a model",
          [] (MidiVelmor& l)
          {
              l.setPartMicroPIcon (1, 9);
              l.setPartMicroPTemplate (1, 11);
              l.sendPartParameters (1);
          },
          { editorFrame (MidiVelmor::CMD_PART_PARAMETERS, { 1, 0, 0, 9, 0, 0, 0, 0, 11, 0 }) } },
        { "SysEx senders refuse a part above 1",
          [] (MidiVelmor& l)
          {
              l.sendPartParameters (2);
              l.sendPartPedals (255);
              l.sendPartMicroPName (2);
              EXPECT_FALSE (l.sendPartTrackParam (255, 0, 0, 1, 88, 0));
              EXPECT_FALSE (l.getPartMicroPName (2));
              EXPECT_FALSE (l.getPartMicroPData (2));
          },
          {} },
        { "pedals", [] (MidiVelmor& l)
          { l.sendPartPedals (1); },
          { editorFrame (MidiVelmor::CMD_PART_PEDALS, { 1, 0, 0, 0, 0, 0, 0, 0 }) } },
        { "dump start and end", [] (MidiVelmor& l)
          {
              l.sendDumpStart (1);
              l.sendDumpStart (0);
          },
          { editorFrame (MidiVelmor::CMD_DUMP_START, { 1 }), editorFrame (MidiVelmor::CMD_DUMP_START, { 0 }) } },
        { "the name goes whole, as 40 nibbles, a byte 0xC3 as 0C 03", [] (MidiVelmor& l)
          {
              l.setPartMicroPName (0, juce::String::fromUTF8 ("A\xC3\xA9"));
              l.sendPartMicroPName (0);
          },
          { editorFrame (MidiVelmor::CMD_PART_MICROP_NAME, Bytes { 0, 0, 0, 20, 4, 1, 0x0C, 0x03, 0x0A, 0x09 } + Bytes (34, 0)) } },
        { "a per-key range carries the values of its keys", [] (MidiVelmor& l)
          {
              {
                  const juce::ScopedLock sl (l.getRecordLock());
                  l.microP.tracks[3][86] = 14;
                  l.microP.tracks[3][87] = 114;
              }
              EXPECT_TRUE (l.sendPartTrackParam (0, 0, 3, 1, 2, 86));
          },
          { editorFrame (MidiVelmor::CMD_SET_TRACK_PARAMETER, { 0, 0, 3, 1, 2, 86, 14, 114 }) } },
        { "a per-key range past the last key is refused", [] (MidiVelmor& l)
          { EXPECT_FALSE (l.sendPartTrackParam (0, 0, 3, 1, 3, 86)); },
          {} },
        { "the layer mode request", [] (MidiVelmor& l)
          { EXPECT_TRUE (l.getLayerMode()); },
          { { 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x0A, 0x3B, 0xF7 } } },
        { "the part data request", [] (MidiVelmor& l)
          { EXPECT_TRUE (l.getPartMicroPData (0)); },
          { { 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x04, 0x00, 0x41, 0xF7 } } },
        { "the part name request", [] (MidiVelmor& l)
          { EXPECT_TRUE (l.getPartMicroPName (1)); },
          { editorFrame (MidiVelmor::CMD_GET_PART_MICROP_NAME, { 1 }) } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.behaviour);
        clearSent();
        link->clearMicroP();
        c.action (*link);

        const auto sent = sentMessages();
        EXPECT_EQ (sent, c.sent);

        for (size_t i = 0; i < sent.size(); ++i)
            EXPECT_EQ (hexOf (sent[i]), i < c.sent.size() ? hexOf (c.sent[i]) : juce::String());
    }

    EXPECT_FALSE (logLinesSince (logStart).joinIntoString ("\n").contains ("masked")) << "every sender passes 7-bit bytes of its own accord";
}

TEST_F (MidiVelmorSend, NameListIsAskedForOnceUntilAPartNameOrRefusalArrives)
{
    ASSERT_TRUE (connect());
    const Bytes request { 0xF0, 0x7D, 0x1C, 0x20, 0x01, 0x06, 0x00, 0x7F, 0x40, 0xF7 };

    EXPECT_TRUE (link->getMicroPNameList (0, 127));
    EXPECT_FALSE (link->getMicroPNameList (0, 127));
    EXPECT_EQ (sentMessages(), std::vector<Bytes> { request });

    deliver (editorFrame (MidiVelmor::CMD_MICROP_NAME, { 0, 0, 0 }));
    pumpMessages();
    EXPECT_FALSE (link->getMicroPNameList (0, 127)) << "a name of the list does not end the wait";

    deliver (editorFrame (MidiVelmor::CMD_PART_MICROP_NAME, { 0, 1, 0, 0 }));
    ASSERT_TRUE (pumpUntil ([this]
                            { return link->getPendingReply() == MidiVelmor::none; }));
    EXPECT_TRUE (link->getMicroPNameList (0, 127));

    deliver (editorFrame (MidiVelmor::CMD_NACK, {}));
    ASSERT_TRUE (pumpUntil ([this]
                            { return link->getPendingReply() == MidiVelmor::none; }));
    EXPECT_TRUE (link->getMicroPNameList (0, 127));
}

TEST_F (MidiVelmorSend, RequestsNeedAConnection)
{
    EXPECT_FALSE (link->getLayerMode());
    EXPECT_FALSE (link->getMicroPNameList (0, 127));
    EXPECT_FALSE (link->getPartMicroPName (0));
    EXPECT_FALSE (link->getPartMicroPData (0));
    EXPECT_FALSE (link->sendPartTrackParam (0, 0, 0, 1, 88, 0));
    EXPECT_EQ (link->getPendingReply(), MidiVelmor::none);
}

namespace
{
// The NRPN triples of one group among the sent messages, as (param, value) pairs in order.
std::vector<std::pair<int, int>> nrpnOfGroup (const std::vector<Bytes>& sent, int group)
{
    std::vector<std::pair<int, int>> result;

    for (size_t i = 0; i + 2 < sent.size(); ++i)
        if (sent[i] == Bytes { 0xB0, 99, group } && sent[i + 1][1] == 98 && sent[i + 2][1] == 6)
            result.emplace_back (sent[i + 1][2], sent[i + 2][2]);

    return result;
}
} // namespace

TEST_F (MidiVelmorSend, WholePartGoesInOrderWithAPauseAfterEachTable)
{
    ASSERT_TRUE (connect());

    {
        const juce::ScopedLock sl (link->getRecordLock());
        link->microP.nrpnBlock1.on = 1;
        link->microP.nrpnBlock3.slot (1) = 8;
        link->microP.nrpnBlock3.slot (6) = 1;
        link->microP.nrpnBlock3.slot (9) = 77;
        link->microP.masterEffect.slot (13) = 5;
        link->microP.volume = 90;
    }

    const auto start = juce::Time::getMillisecondCounterHiRes();
    link->sendPartAll (0);
    EXPECT_GE (juce::Time::getMillisecondCounterHiRes() - start, 120.0);

    const auto sent = sentMessages();
    ASSERT_GE (sent.size(), 4u + 54u + 12u);

    EXPECT_EQ (sent.front(), editorFrame (MidiVelmor::CMD_DUMP_START, { 1 }));
    EXPECT_EQ (sent[1][5], MidiVelmor::CMD_PART_MICROP_NAME);
    EXPECT_EQ (sent[2][5], MidiVelmor::CMD_PART_PARAMETERS);
    EXPECT_EQ (sent[3][5], MidiVelmor::CMD_PART_PEDALS);

    const auto group0 = nrpnOfGroup (sent, 0);
    ASSERT_EQ (group0.size(), 18u);

    for (int p = 0; p < 18; ++p)
        EXPECT_EQ (group0[(size_t) p], std::make_pair (p, 64));

    for (int t = 0; t < 12; ++t)
    {
        const auto& table = sent[4 + 54 + (size_t) t];
        ASSERT_EQ (table.size(), 8u + 6u + 88u);
        EXPECT_EQ (Bytes (table.begin() + 5, table.begin() + 12), (Bytes { MidiVelmor::CMD_SET_TRACK_PARAMETER, 0, 0, t, 0, 88, 0 }));
    }

    using P = std::vector<std::pair<int, int>>;
    EXPECT_EQ (nrpnOfGroup (sent, 1), (P { { 0, 64 }, { 1, 0 }, { 2, 0 }, { 3, 0 }, { 4, 0 } }));
    EXPECT_EQ (nrpnOfGroup (sent, 2).size(), 9u);
    EXPECT_EQ (nrpnOfGroup (sent, 3), (P { { 1, 8 }, { 0, 0 }, { 2, 0 }, { 3, 0 }, { 4, 0 }, { 5, 0 }, { 6, 64 }, { 7, 0 }, { 8, 0 }, { 11, 77 } }));
    EXPECT_EQ (nrpnOfGroup (sent, 4), (P { { 0, 0 }, { 2, 64 }, { 3, 0 }, { 4, 0 }, { 5, 64 }, { 6, 64 } }));
    EXPECT_EQ (nrpnOfGroup (sent, 6).size(), 7u) << "params 7 to 13 of the master effect are not sent";
    EXPECT_EQ (nrpnOfGroup (sent, 7).size(), 7u);
    EXPECT_TRUE (nrpnOfGroup (sent, 5).empty());
    EXPECT_TRUE (nrpnOfGroup (sent, 8).empty());

    const std::vector<Bytes> tail (sent.end() - 5, sent.end());
    EXPECT_EQ (tail, (std::vector<Bytes> { { 0xB0, 7, 90 }, { 0xB0, 10, 0 }, { 0xB0, 93, 0 }, { 0xB0, 91, 0 }, editorFrame (MidiVelmor::CMD_DUMP_START, { 0 }) }));
}

TEST_F (MidiVelmorSend, TypeSixEffectBlockGoesBackAsItCame)
{
    ASSERT_TRUE (connect());
    link->editChannel = 0;

    std::vector<std::pair<int, int>> received { { 1, 6 }, { 0, 64 }, { 2, 12 }, { 3, 13 }, { 4, 14 }, { 5, 15 }, { 6, 16 }, { 7, 17 }, { 8, 18 }, { 9, 64 }, { 10, 20 } };

    for (auto [param, value] : received)
        for (const auto& m : std::vector<Bytes> { { 0xB0, 99, 3 }, { 0xB0, 98, param }, { 0xB0, 6, value } })
            ports->deliver (inputName, messageOf (m));

    ports->waitUntilDelivered();
    ASSERT_TRUE (pumpUntil ([this]
                            { return link->getMicroPCopy().nrpnBlock3.slot (10) == 20; }));
    EXPECT_EQ (link->getMicroPCopy().nrpnBlock3.slot (9), 1) << "under type 6 param 9 is an on flag";

    clearSent();
    link->sendPartAll (0);
    EXPECT_EQ (nrpnOfGroup (sentMessages(), 3), received);
}

TEST_F (MidiVelmorSend, WholePartWithoutConnectionSkipsOnlyTheTables)
{
    EXPECT_FALSE (connect (1, 3, 0x48)) << "an out-of-date instrument leaves the output open";
    ASSERT_EQ (ports->getOpenOutputName(), outputName);

    const auto start = juce::Time::getMillisecondCounterHiRes();
    link->sendPartAll (0);
    EXPECT_GE (juce::Time::getMillisecondCounterHiRes() - start, 120.0);

    const auto sent = sentMessages();
    EXPECT_EQ (sent.size(), 4u + 3u * (18u + 5u + 9u + 7u + 6u + 7u + 7u) + 4u + 1u);

    for (const auto& m : sent)
        EXPECT_NE (m.size() > 5 ? m[5] : -1, MidiVelmor::CMD_SET_TRACK_PARAMETER);
}
