#pragma once

#include "link/MicroPerformance.h"

#include <juce_audio_basics/juce_audio_basics.h>

// The instrument's wire format, as the sources of the protocol class share
// it: the identity reply, the editor SysEx frame with its commands, the
// controllers and NRPN groups, and names as the instrument sends them.
namespace VelmorWire
{
constexpr unsigned char manufacturerId = 0x7D;
// The instrument's device family (its high byte) and family member (its low
// byte): the identity reply carries them, and the editor header begins with them.
constexpr unsigned char deviceFamily = 0x1C;
constexpr unsigned char familyMember = 0x20;
constexpr unsigned char editorHeader[] = { deviceFamily, familyMember, 0x01 };

// The universal identity reply's data, as getSysExData gives them: universal
// non-real-time, device 0, general information, identity reply; then the
// manufacturer, the device family and the family member, each low byte
// first, and the four bytes of the software revision, the last of them flags.
constexpr unsigned char identityReplyHeader[] = { 0x7E, 0x00, 0x06, 0x02 };

namespace IdentityReply
{
    constexpr int header = 0;
    constexpr int manufacturer = header + (int) sizeof (identityReplyHeader);
    constexpr int familyLow = manufacturer + 1, familyHigh = familyLow + 1, memberLow = familyHigh + 1, memberHigh = memberLow + 1;
    constexpr int major = memberHigh + 1, minor = major + 1, revision = minor + 1, flags = revision + 1;
    constexpr int size = flags + 1;
} // namespace IdentityReply
static_assert (IdentityReply::size == 13);

// The flags the editor takes: the marker bit set, and 8 in the bits below it.
constexpr unsigned char identityFlagsMarker = 0x40;
constexpr unsigned char identityFlagsValueMask = 0x3F;
constexpr unsigned char identityFlagsValue = 8;

// An editor frame's data, as getSysExData gives them: the manufacturer, the
// editor header, the command, its payload, and the checksum of all before it.
constexpr int manufacturerIndex = 0;
constexpr int editorHeaderIndex = manufacturerIndex + 1;
constexpr int commandIndex = editorHeaderIndex + (int) sizeof (editorHeader);
constexpr int payloadIndex = commandIndex + 1;
constexpr int frameOverhead = payloadIndex + 1; // the data of a frame without payload
static_assert (frameOverhead == 6);

// The names of the wire's numbers that the protocol class takes in as its own.
struct Codes
{
    // The editor commands, by code.
    enum Command
    {
        CMD_NACK = 1,
        CMD_PING = 2,
        CMD_SET_TRACK_PARAMETER = 3,
        CMD_GET_PART_MICROP_DATA = 4,
        CMD_DUMP_START = 5,
        CMD_GET_MICROP_NAME_LIST = 6,
        CMD_MICROP_NAME = 7,
        CMD_GET_PART_MICROP_NAME = 8,
        CMD_PART_MICROP_NAME = 9,
        CMD_GET_LAYER_MODE = 10,
        CMD_LAYER_MODE = 11,
        CMD_PART_PARAMETERS = 12,
        CMD_PART_PEDALS = 13
    };

    // The NRPN groups (controller 99), by what they carry: the groups of the
    // parameter blocks by the record's block that holds them.
    enum NrpnGroup
    {
        NRPN_GROUP_PART = 0,
        NRPN_GROUP_BLOCK_1 = 1,
        NRPN_GROUP_BLOCK_2 = 2,
        NRPN_GROUP_BLOCK_3 = 3,
        NRPN_GROUP_BLOCK_4 = 4,
        NRPN_GROUP_KEY_TUNING = 5,
        NRPN_GROUP_MASTER_EFFECT = 6,
        NRPN_GROUP_BLOCK_7 = 7,
        // Taken without effect.
        NRPN_GROUP_UNUSED = 8
    };

    // The controller by which the instrument reports a new layer mode.
    static constexpr int CC_CHANGE_MODE = 102;
};

// The payload of each command with fields, offsets from payloadIndex. A
// counted part (per-key values, name text) follows the fixed fields. Each
// layout is tied to the data size of its command's frame.
namespace TrackParameterPayload
{
    constexpr int part = 0, gen = 1, param = 2, flag = 3, length = 4, start = 5;
    constexpr int values = 6; // one byte per key, length of them
} // namespace TrackParameterPayload
static_assert (frameOverhead + TrackParameterPayload::values == 12);

namespace MicroPNamePayload
{
    constexpr int bank = 0, index = 1, count = 2;
    constexpr int text = 3; // count characters
} // namespace MicroPNamePayload
static_assert (frameOverhead + MicroPNamePayload::text == 9);

namespace PartMicroPNamePayload
{
    constexpr int part = 0, bank = 1, number = 2, count = 3;
    constexpr int text = 4; // count characters
} // namespace PartMicroPNamePayload
static_assert (frameOverhead + PartMicroPNamePayload::text == 10);

namespace LayerModePayload
{
    constexpr int mode = 0;
    constexpr int size = mode + 1;
} // namespace LayerModePayload
static_assert (frameOverhead + LayerModePayload::size == 7);

namespace PartParametersPayload
{
    constexpr int part = 0, bank = 1, number = 2, iconId = 3, infoBytes = 4, templateId = 8, infoByte = 9;
    constexpr int size = infoByte + 1;
} // namespace PartParametersPayload
static_assert (frameOverhead + PartParametersPayload::size == 16);

namespace PartPedalsPayload
{
    constexpr int part = 0, bank = 1, number = 2, pedals = 3;
    constexpr int size = pedals + ST_MICROPERFORMANCE::pedalCount;
} // namespace PartPedalsPayload
static_assert (frameOverhead + PartPedalsPayload::size == 14);

constexpr unsigned char dataMask = 0x7F;
// The instrument's two parts, 0 and 1, also the MIDI channels of their controllers.
constexpr int partCount = 2;
constexpr int maxPart = partCount - 1;
constexpr int nameTextBytes = ST_MICROPERFORMANCE::nameSize - 1;
constexpr int firstKeyNote = 21; // the note of key index 0, A0

constexpr int ccBankSelect = 0;
constexpr int ccDataEntry = 6;
constexpr int ccVolume = 7;
constexpr int ccPan = 10;
constexpr int ccReverbSend = 91;
constexpr int ccChorusSend = 93;
constexpr int ccNrpnParam = 98;
constexpr int ccNrpnGroup = 99;

unsigned char checksumOf (const unsigned char* data, int count);
bool hasEditorHeader (const unsigned char* data);
int sysExDataSize (const juce::MidiMessage& message);

// A name on the wire takes two text bytes per character, its high nibble first.
constexpr int textBytesPerCharacter = 2;

// The text of count characters on the wire: each byte as its two nibbles,
// NULs and bytes above 7 bits included; textBytesPerCharacter * count bytes.
void nameTextFromBytes (const void* bytes, int count, unsigned char* text);
// The characters of a name on the wire: one byte per pair of nibbles, NULs dropped.
juce::MemoryBlock nameBytesFromText (const unsigned char* text, int count);
// The text of a stored name: its bytes up to the first zero, at most size of
// them. Names come from the instrument and from files: invalid UTF-8 is taken
// byte for byte rather than trusted.
juce::String decodeName (const void* bytes, size_t size);
// Writes at most 19 bytes of text and a NUL padding into the name field,
// never cutting a UTF-8 character in two.
void storeName (ST_MICROPERFORMANCE& record, const char* text, int size);
// The same for a name typed or chosen in the editor.
void storeNameText (ST_MICROPERFORMANCE& record, const juce::String& name);
} // namespace VelmorWire
