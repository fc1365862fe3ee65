#pragma once

#include "link/MicroPerformance.h"

#include <juce_audio_basics/juce_audio_basics.h>

// The instrument's wire format, as the sources of the protocol class share
// it: the editor SysEx frame, the controllers, and names as the instrument
// sends them.
namespace VelmorWire
{
constexpr unsigned char manufacturerId = 0x7D;
constexpr unsigned char editorHeader[] = { 0x1C, 0x20, 0x01 };

// An editor frame's data, as getSysExData gives them: the manufacturer, the
// editor header, the command, its payload, and the checksum of all before it.
constexpr int manufacturerIndex = 0;
constexpr int editorHeaderIndex = manufacturerIndex + 1;
constexpr int commandIndex = editorHeaderIndex + (int) sizeof (editorHeader);
constexpr int payloadIndex = commandIndex + 1;
constexpr int frameOverhead = payloadIndex + 1; // the data of a frame without payload

// The payload of each command with fields, offsets from payloadIndex. A
// counted part (per-key values, name text) follows the fixed fields.
namespace TrackParameterPayload
{
    constexpr int part = 0, gen = 1, param = 2, flag = 3, length = 4, start = 5;
    constexpr int values = 6; // one byte per key, length of them
} // namespace TrackParameterPayload

namespace MicroPNamePayload
{
    constexpr int bank = 0, index = 1, count = 2;
    constexpr int text = 3; // count characters
} // namespace MicroPNamePayload

namespace PartMicroPNamePayload
{
    constexpr int part = 0, bank = 1, number = 2, count = 3;
    constexpr int text = 4; // count characters
} // namespace PartMicroPNamePayload

namespace LayerModePayload
{
    constexpr int mode = 0;
    constexpr int size = mode + 1;
} // namespace LayerModePayload

namespace PartParametersPayload
{
    constexpr int part = 0, bank = 1, number = 2, iconId = 3, infoBytes = 4, templateId = 8, infoByte = 9;
    constexpr int size = infoByte + 1;
} // namespace PartParametersPayload

namespace PartPedalsPayload
{
    constexpr int part = 0, bank = 1, number = 2, pedals = 3;
    constexpr int size = pedals + ST_MICROPERFORMANCE::pedalCount;
} // namespace PartPedalsPayload

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
