#pragma once

#include "common/PianoKeys.h"
#include "link/MicroPerformance.h"

#include <juce_audio_basics/juce_audio_basics.h>

// The instrument's wire format, as the sources of the protocol class share
// it: the editor SysEx frame, the controllers, and names as the instrument
// sends them.
namespace VelmorWire
{
constexpr unsigned char manufacturerId = 0x7D;
constexpr unsigned char editorHeader[] = { 0x1C, 0x20, 0x01 };
constexpr int headerSize = 5; // manufacturer, editor header, command
constexpr int frameOverhead = headerSize + 1; // and the checksum
constexpr unsigned char dataMask = 0x7F;
constexpr int maxPart = 1;
constexpr int nameTextBytes = ST_MICROPERFORMANCE::nameSize - 1;
constexpr int firstKeyNote = PianoKeys::firstKeyNote;

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
