#include "ProtocolTestSupport.h"

#include <cstring>

namespace
{
// A link that is never connected: the tests hand messages straight to decode,
// as "MidiProcessing" would.
struct DecodeRig
{
    DecodeRig()
        : link ("Midi.log", 0x1F, std::make_unique<VirtualMidiPorts> (juce::StringArray { "In" }, juce::StringArray { "Out" }))
    {
        link.messageListener = &inbox;
        link.addListener (&listener);
        logStart = logText().length();
    }

    ~DecodeRig() { link.removeListener (&listener); }

    void decode (const std::vector<Bytes>& messages)
    {
        for (const auto& m : messages)
            link.decode (messageOf (m));

        pumpMessages();
    }

    MidiVelmor link;
    Inbox inbox;
    RecordingListener listener;
    int logStart = 0;
};

Bytes nameText (const std::string& bytes)
{
    Bytes text;

    for (unsigned char c : bytes)
    {
        text.push_back (c >> 4);
        text.push_back (c & 0x0F);
    }

    return text;
}

Bytes partNameReply (int part, int bank, int number, const std::string& name)
{
    Bytes payload { part, bank, number, (int) name.size() };
    const auto text = nameText (name);
    payload.insert (payload.end(), text.begin(), text.end());
    return editorFrame (MidiVelmor::CMD_PART_MICROP_NAME, payload);
}

Bytes trackBlock (int param, int length, int start, int valueCount)
{
    Bytes payload { 0, 0, param, 1, length, start };

    for (int i = 0; i < valueCount; ++i)
        payload.push_back (20 + i);

    return editorFrame (MidiVelmor::CMD_SET_TRACK_PARAMETER, payload);
}

Bytes nrpn (int channel, int group, int param, int value)
{
    return { 0xB0 + channel, 99, group, 0xB0 + channel, 98, param, 0xB0 + channel, 6, value };
}

std::vector<Bytes> split (const Bytes& controllerRun)
{
    std::vector<Bytes> messages;

    for (size_t i = 0; i + 2 < controllerRun.size(); i += 3)
        messages.push_back ({ controllerRun[i], controllerRun[i + 1], controllerRun[i + 2] });

    return messages;
}

using RecordCheck = std::function<void (const ST_MICROPERFORMANCE&)>;

struct DecodeCase
{
    const char* behaviour;
    int editChannel;
    std::vector<Bytes> messages;
    juce::StringArray posts;
    juce::StringArray logLines;
    RecordCheck checkRecord; // none: the record must be left as it was
};

const RecordCheck unchanged;

void runCases (const std::vector<DecodeCase>& cases)
{
    const auto initial = initialMicroPerformance();

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.behaviour);
        DecodeRig rig;
        rig.link.editChannel = (unsigned char) c.editChannel;
        rig.decode (c.messages);

        EXPECT_EQ (rig.inbox.lines, c.posts);
        EXPECT_EQ (logLinesSince (rig.logStart), c.logLines);

        const auto record = rig.link.getMicroPCopy();

        if (c.checkRecord)
            c.checkRecord (record);
        else
            EXPECT_EQ (std::memcmp (&record, &initial, sizeof (record)), 0);
    }
}
} // namespace

TEST (MidiVelmorDecode, ChannelMessagesFollowTheEditChannel)
{
    runCases ({
        { "NRPN group 0 on the edit channel sets the part parameter; the selection stays for further entries",
          0,
          split ({ 0xB0, 99, 0, 0xB0, 98, 5, 0xB0, 6, 0x50, 0xB0, 6, 0x51 }),
          { "Param 3 5 80", "Param 3 5 81" },
          {},
          [] (const ST_MICROPERFORMANCE& r)
          { EXPECT_EQ (r.params[5], 0x51); } },
        { "NRPN on another channel changes nothing and logs nothing", 0, split (nrpn (1, 0, 5, 0x50)), {}, {}, unchanged },
        { "without an edit channel no note, NRPN or part controller is taken",
          0xFF,
          { { 0x90, 60, 100 }, { 0xB0, 7, 100 }, { 0xB0, 10, 1 }, { 0xB0, 91, 1 }, { 0xB0, 93, 1 }, { 0xB0, 99, 0 }, { 0xB0, 98, 1 }, { 0xB0, 6, 1 } },
          {},
          {},
          unchanged },
        { "controllers 7, 10, 91 and 93 go into the record",
          1,
          { { 0xB1, 7, 100 }, { 0xB1, 10, 20 }, { 0xB1, 91, 30 }, { 0xB1, 93, 40 } },
          {},
          {},
          [] (const ST_MICROPERFORMANCE& r)
          {
              EXPECT_EQ (r.volume, 100);
              EXPECT_EQ (r.pan, 20);
              EXPECT_EQ (r.reverbSend, 30);
              EXPECT_EQ (r.chorusSend, 40);
          } },
        { "a data entry before any selection is out of range", 0, { { 0xB0, 6, 1 } }, {}, { "E NRPN 7f:7f out of range" }, unchanged },
        { "group 0 parameter 18 is out of range", 0, split (nrpn (0, 0, 18, 1)), {}, { "E NRPN 0:12 out of range" }, unchanged },
        { "group 5 parameter 20 is out of range", 0, split (nrpn (0, 5, 20, 1)), {}, { "E NRPN 5:14 out of range" }, unchanged },
        { "group 9 is out of range whatever the parameter", 0, split (nrpn (0, 9, 0, 1)), {}, { "E NRPN 9:0 out of range" }, unchanged },
        { "group 8 parameter 3 is taken silently", 0, split (nrpn (0, 8, 3, 1)), {}, {}, unchanged },
        { "group 5 parameter 108 is the fine tuning of key 87",
          0,
          split (nrpn (0, 5, 108, 70)),
          { "Track 4 0 0 1 87" },
          {},
          [] (const ST_MICROPERFORMANCE& r)
          { EXPECT_EQ (r.tracks[0][87], 70); } },
        { "group 6 writes the unfiltered master effect line",
          0,
          split (nrpn (0, 6, 2, 100)),
          {},
          { "Master effect: 2,100" },
          [] (const ST_MICROPERFORMANCE& r)
          { EXPECT_EQ (r.masterEffect.slot (2), 100); } },
        { "on flags become 1 above 63 and 0 otherwise",
          0,
          split (nrpn (0, 1, 0, 64) + nrpn (0, 2, 0, 63) + nrpn (0, 4, 0, 127) + nrpn (0, 7, 0, 100)),
          {},
          {},
          [] (const ST_MICROPERFORMANCE& r)
          {
              EXPECT_EQ (r.nrpnBlock1.on, 1);
              EXPECT_EQ (r.nrpnBlock2.on, 0);
              EXPECT_EQ (r.nrpnBlock4.on, 1);
              EXPECT_EQ (r.nrpnBlock7.on, 1);
          } },
        { "block parameters land in their int32 fields; group 4 parameter 1 is not stored",
          0,
          split (nrpn (0, 1, 4, 11) + nrpn (0, 2, 1, 12) + nrpn (0, 2, 8, 13) + nrpn (0, 4, 1, 14) + nrpn (0, 4, 6, 15) + nrpn (0, 7, 6, 16)),
          {},
          {},
          [] (const ST_MICROPERFORMANCE& r)
          {
              auto expected = initialMicroPerformance();
              expected.nrpnBlock1.params[3] = 11;
              expected.nrpnBlock2.param1 = 12;
              expected.nrpnBlock2.params[6] = 13;
              expected.nrpnBlock4.params[4] = 15;
              expected.nrpnBlock7.slot (6) = 16;
              EXPECT_EQ (std::memcmp (&r, &expected, sizeof (r)), 0);
          } },
        { "group 3 parameter 11 moves with the type; under type 8 parameters 6 and 8 are on flags",
          0,
          split (nrpn (0, 3, 1, 8) + nrpn (0, 3, 11, 33) + nrpn (0, 3, 6, 64) + nrpn (0, 3, 8, 10)),
          {},
          {},
          [] (const ST_MICROPERFORMANCE& r)
          {
              EXPECT_EQ (r.nrpnBlock3.slot (1), 8);
              EXPECT_EQ (r.nrpnBlock3.slot (9), 33);
              EXPECT_EQ (r.nrpnBlock3.slot (6), 1);
              EXPECT_EQ (r.nrpnBlock3.slot (8), 0);
          } },
        { "controller 38 is not handled", 0, { { 0xB0, 38, 1 } }, {}, { "W Controller 26 not handled" }, unchanged },
        { "a program change on any channel reports the last bank select, 255 before any",
          0,
          { { 0xC5, 9 }, { 0xB3, 0, 2 }, { 0xC4, 7 } },
          { "Sound 1 5 255 9", "Sound 1 4 2 7" },
          {},
          unchanged },
        { "notes on the edit channel only; velocity 0 is a note off",
          2,
          { { 0x92, 60, 100 }, { 0x92, 61, 0 }, { 0x82, 62, 64 }, { 0x93, 63, 100 } },
          { "Note 6 60 1", "Note 6 61 0", "Note 6 62 0" },
          {},
          unchanged },
        { "other statuses are logged by kind; 0xF9 is ignored silently",
          0,
          { { 0xF9 }, { 0xFD }, { 0xF8 }, { 0xF1, 0 }, { 0xF6 }, { 0xA0, 1, 2 }, { 0xE3, 0, 0x40 }, { 0x12 } },
          {},
          { "W Undefined fd not handled",
            "W System Realtime f8 not handled",
            "W System Common f1 not handled",
            "W System Common f6 not handled",
            "W Message not handled: a0 (Undefined)",
            "W Message not handled: e3 (Undefined)",
            "W Undefined 12 not handled" },
          unchanged },
        { "channel messages cut short are dropped", 0, { { 0xB0, 7 }, { 0x90 }, { 0xC0 } }, {}, { "E Short message b0 dropped", "E Short message 90 dropped", "E Short message c0 dropped" }, unchanged },
    });
}

TEST (MidiVelmorDecode, SysExIsCheckedBeforeItIsRead)
{
    auto badChecksum = editorFrame (MidiVelmor::CMD_LAYER_MODE, { 1 });
    badChecksum[badChecksum.size() - 2] ^= 1;
    auto nonEditor = Bytes { 0xF0, 0x7D, 0x1C, 0x21, 0x01, 0x0B, 0x00 };
    nonEditor.push_back ((~(0x7D + 0x1C + 0x21 + 0x01 + 0x0B)) & 0x7F);
    nonEditor.push_back (0xF7);
    auto shortPartParameters = editorFrame (MidiVelmor::CMD_PART_PARAMETERS, { 0, 1, 2, 3, 4, 5, 6, 7, 8 });

    runCases ({
        { "a wrong checksum is logged and dropped", 0, { badChecksum }, {}, { "E ZELTRONA SysEx checksum error" }, unchanged },
        { "another maker's SysEx and a universal one are ignored silently", 0, { { 0xF0, 0x41, 0x10, 0x42, 0xF7 }, identityReply (1, 4, 0x48) }, {}, {}, unchanged },
        { "a frame without the editor header is logged", 0, { nonEditor }, {}, { "E Non-Editor ZELTRONA SysEx" }, unchanged },
        { "unknown and editor-only command codes are logged",
          0,
          { editorFrame (14, {}), editorFrame (MidiVelmor::CMD_PING, { 0 }), editorFrame (MidiVelmor::CMD_PING, {}), editorFrame (MidiVelmor::CMD_GET_LAYER_MODE, {}) },
          {},
          { "E Unknown ZELTRONA SysEx (Cmd2 = 14)", "E Unknown ZELTRONA SysEx (Cmd2 = 2)", "E Unknown ZELTRONA SysEx (Cmd2 = 2)", "E Unknown ZELTRONA SysEx (Cmd2 = 10)" },
          unchanged },
        { "commands 0 and 5 are ignored", 0, { editorFrame (0, {}), editorFrame (MidiVelmor::CMD_DUMP_START, { 1 }) }, {}, {}, unchanged },
        { "a NACK is logged", 0, { editorFrame (MidiVelmor::CMD_NACK, {}) }, {}, { "E NACK (Cmd2 = 1)" }, unchanged },
        { "a frame too short for any command is dropped", 0, { { 0xF0, 0x7D, 0x1C, 0x20, 0xF7 }, { 0xF0, 0x7D, 0xF7 } }, {}, { "E Short ZELTRONA SysEx dropped", "E Short ZELTRONA SysEx dropped" }, unchanged },
        { "a command shorter than its layout is dropped", 0, { shortPartParameters }, {}, { "E Short ZELTRONA SysEx (Cmd2 = 12)" }, unchanged },
        { "per-key values fill their table and are announced",
          0,
          { trackBlock (3, 8, 80, 8) },
          { "Track 4 0 3 8 80" },
          {},
          [] (const ST_MICROPERFORMANCE& r)
          {
              for (int k = 0; k < 8; ++k)
                  EXPECT_EQ (r.tracks[3][80 + k], 20 + k);

              EXPECT_EQ (r.tracks[3][79], 64);
          } },
        { "per-key blocks past the last key or table are refused",
          0,
          { trackBlock (3, 9, 80, 9), trackBlock (12, 1, 0, 1) },
          {},
          { "E Bad CMD_SET_TRACK_PARAMETER(part = 0, gen = 0, param = 3)", "E Bad CMD_SET_TRACK_PARAMETER(part = 0, gen = 0, param = 12)" },
          unchanged },
        { "a per-key block with fewer values than its length is dropped", 0, { trackBlock (3, 8, 0, 4) }, {}, { "E Short ZELTRONA SysEx (Cmd2 = 3)" }, unchanged },
        { "part parameters fill the record and are announced",
          0,
          { editorFrame (MidiVelmor::CMD_PART_PARAMETERS, { 1, 0, 12, 7, 1, 2, 3, 4, 9, 5 }) },
          { "Info 5 7 9" },
          {},
          [] (const ST_MICROPERFORMANCE& r)
          {
              EXPECT_EQ (r.bank, 0);
              EXPECT_EQ (r.number, 12);
              EXPECT_EQ (r.iconId, 7);
              EXPECT_EQ (Bytes (r.infoBytes, r.infoBytes + 4), (Bytes { 1, 2, 3, 4 }));
              EXPECT_EQ (r.templateId, 9);
              EXPECT_EQ (r.infoByte, 5);
          } },
        { "pedals fill the record silently",
          0,
          { editorFrame (MidiVelmor::CMD_PART_PEDALS, { 1, 2, 3, 10, 11, 12, 13, 14 }) },
          {},
          {},
          [] (const ST_MICROPERFORMANCE& r)
          { EXPECT_EQ (Bytes (r.pedals, r.pedals + 5), (Bytes { 10, 11, 12, 13, 14 })); } },
        { "a part name of bank 1 is reported but not stored", 0, { partNameReply (1, 1, 4, "Grand") }, { "Part 2 1 1 4 Grand" }, { "D Part1 - 1-4 Grand" }, unchanged },
        { "a part name of bank 0 keeps its first 19 bytes",
          0,
          { partNameReply (0, 0, 4, "ABCDEFGHIJKLMNOPQRSTUVWXY") },
          { "Part 2 0 0 4 ABCDEFGHIJKLMNOPQRSTUVWXY" },
          { "D Part0 - 0-4 ABCDEFGHIJKLMNOPQRSTUVWXY" },
          [] (const ST_MICROPERFORMANCE& r)
          { EXPECT_EQ (std::string (r.name, sizeof (r.name)), std::string ("ABCDEFGHIJKLMNOPQRS\0", 20)); } },
        { "cutting a received name never splits a character",
          0,
          { partNameReply (0, 0, 1, "ABCDEFGHIJKLMNOPQR\xC3\xA9") },
          { juce::String ("Part 2 0 0 1 ") + juce::String::fromUTF8 ("ABCDEFGHIJKLMNOPQR\xC3\xA9") },
          { juce::String ("D Part0 - 0-1 ") + juce::String::fromUTF8 ("ABCDEFGHIJKLMNOPQR\xC3\xA9") },
          [] (const ST_MICROPERFORMANCE& r)
          { EXPECT_EQ (std::string (r.name, sizeof (r.name)), std::string ("ABCDEFGHIJKLMNOPQR\0\0", 20)); } },
        { "a name that is not UTF-8 keeps its raw bytes in the record and reads as code points",
          0,
          { partNameReply (0, 0, 2, "caf\xE9") },
          { juce::String ("Part 2 0 0 2 caf") + juce::String::charToString (0xE9) },
          { juce::String ("D Part0 - 0-2 caf") + juce::String::charToString (0xE9) },
          [] (const ST_MICROPERFORMANCE& r)
          { EXPECT_EQ (std::string (r.name, 5), std::string ("caf\xE9\0", 5)); } },
        { "a name whose count reaches past the frame is dropped", 0, { editorFrame (MidiVelmor::CMD_PART_MICROP_NAME, { 0, 0, 1, 5, 4, 1 }) }, {}, { "E Short ZELTRONA SysEx (Cmd2 = 9)" }, unchanged },
    });
}

TEST (MidiVelmorDecode, EachCommandIsReadOnlyWhenItHoldsEveryByteOfItsLayout)
{
    // Each payload is exactly as long as its command's layout asks; the same
    // frame one byte shorter is logged and changes nothing.
    const std::vector<std::pair<int, Bytes>> exactPayloads {
        { MidiVelmor::CMD_SET_TRACK_PARAMETER, { 0, 0, 3, 1, 0, 86 } },
        { MidiVelmor::CMD_SET_TRACK_PARAMETER, { 0, 0, 3, 1, 2, 86, 20, 21 } },
        { MidiVelmor::CMD_MICROP_NAME, { 0, 3, 0 } },
        { MidiVelmor::CMD_MICROP_NAME, { 0, 3, 1, 4, 1 } },
        { MidiVelmor::CMD_PART_MICROP_NAME, { 0, 1, 4, 0 } },
        { MidiVelmor::CMD_PART_MICROP_NAME, { 0, 1, 4, 1, 4, 1 } },
        { MidiVelmor::CMD_LAYER_MODE, { 1 } },
        { MidiVelmor::CMD_PART_PARAMETERS, { 1, 0, 12, 7, 1, 2, 3, 4, 9, 5 } },
        { MidiVelmor::CMD_PART_PEDALS, { 1, 2, 3, 10, 11, 12, 13, 14 } },
    };
    const auto initial = initialMicroPerformance();

    for (const auto& [command, payload] : exactPayloads)
    {
        SCOPED_TRACE (juce::String (command) + " with " + juce::String ((int) payload.size()) + " payload bytes");

        DecodeRig whole;
        whole.decode ({ editorFrame (command, payload) });
        const auto wholeRecord = whole.link.getMicroPCopy();

        EXPECT_FALSE (logLinesSince (whole.logStart).joinIntoString ("\n").contains ("Short"));
        EXPECT_TRUE (! whole.inbox.lines.isEmpty() || ! whole.listener.getLines().isEmpty() || std::memcmp (&wholeRecord, &initial, sizeof (initial)) != 0);

        DecodeRig cut;
        cut.decode ({ editorFrame (command, Bytes (payload.begin(), payload.end() - 1)) });
        const auto cutRecord = cut.link.getMicroPCopy();

        EXPECT_EQ (logLinesSince (cut.logStart), juce::StringArray ("E Short ZELTRONA SysEx (Cmd2 = " + juce::String (command) + ")"));
        EXPECT_TRUE (cut.inbox.lines.isEmpty());
        EXPECT_TRUE (cut.listener.getLines().isEmpty());
        EXPECT_EQ (std::memcmp (&cutRecord, &initial, sizeof (initial)), 0);
    }
}

TEST (MidiVelmorDecode, ReplyNamesDropNulBytes)
{
    const unsigned char text[] = { 0x04, 0x01, 0x00, 0x00, 0x04, 0x02 };
    EXPECT_EQ (MidiVelmor::getSysExString (text, 3), "AB");
    EXPECT_EQ (MidiVelmor::getSysExString (text, 0), "");

    const unsigned char accented[] = { 0x0C, 0x03, 0x0A, 0x09 };
    EXPECT_EQ (MidiVelmor::getSysExString (accented, 2), juce::String::charToString (0xE9));
}

TEST (MidiVelmorDecode, DirectRepliesCallTheListenersOnTheDecodingThread)
{
    DecodeRig rig;
    const auto nameReply = editorFrame (MidiVelmor::CMD_MICROP_NAME, Bytes { 0, 3, 4 } + nameText ("Bell"));

    rig.decode ({ editorFrame (MidiVelmor::CMD_LAYER_MODE, { 1 }), { 0xB7, 102, 2 }, nameReply });

    EXPECT_EQ (rig.listener.getLines(), (juce::StringArray { "onGetLayerMode 1", "onGetChangeMode 2", "onGetMicroPName 0 3 Bell" }));
    EXPECT_EQ (rig.listener.getThreads(), (juce::StringArray { "message", "message", "message" }));
    EXPECT_EQ (logLinesSince (rig.logStart), (juce::StringArray { "D 0-3 Bell" }));
    EXPECT_EQ (rig.link.getLastName(), "Bell");
    EXPECT_TRUE (rig.inbox.lines.isEmpty());
}

TEST (MidiVelmorDecode, ControllerZeroSetsTheBankOnAnyChannel)
{
    DecodeRig rig;
    rig.decode ({ { 0xB9, 0, 42 } });
    EXPECT_EQ (rig.link.getCurrentBank(), 42);
    EXPECT_TRUE (logLinesSince (rig.logStart).isEmpty());
}
