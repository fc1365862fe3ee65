#pragma once

#include "link/MicroPerformance.h"

#include <juce_core/juce_core.h>

#include <optional>

// The ".snd" microperformance file: a 32-bit little-endian version, then the
// record in its own layout with some values stored offset. Pure functions, no
// widgets and no file access but through a stream the caller opens, so that the
// panel, the tests and the fuzzer share one codec.
namespace MicroPerformanceFile
{
constexpr int fileSize = 1364;
constexpr std::int32_t currentVersion = 8;

// Why a file is not loaded; none when it is.
enum class Refusal
{
    none,
    notValid,
    unsupportedVersion,
    notPianoBank
};

// The text of the message box that reports a refusal; empty for none.
juce::String getRefusalText (Refusal refusal);

// The check made before a file is read: exactly fileSize bytes and a ".snd"
// extension in any case. fileName is the name without its folder.
bool hasFileSizeAndExtension (juce::int64 size, const juce::String& fileName);

// The first fileSize bytes of stream, or nothing when it ends before them: a
// file cut short after its size was taken is not loaded. Never reads further,
// so a file that grew meanwhile gives the bytes it began with.
std::optional<juce::MemoryBlock> readFileBytes (juce::InputStream& stream);

struct Decoded
{
    Refusal refusal;
    // The record to load; after a refusal, the current record unchanged.
    ST_MICROPERFORMANCE record;
};

// Reads at most fileSize bytes of data; bytes missing from a short read count
// as zero. The record keeps current's bank, number, infoBytes[0] and
// infoBytes[1]. A record that could not go to the instrument as it stands (a
// 7-bit value above 127) is refused as not valid.
Decoded decode (const void* data, size_t size, const ST_MICROPERFORMANCE& current);

// The fileSize bytes that store record. The record's number and infoBytes[1]
// are written 32 higher when number, read as a signed byte, is at most 31.
juce::MemoryBlock encode (const ST_MICROPERFORMANCE& record);

// The name the save dialog proposes: the record's name without "%", control
// characters, ill-formed UTF-8 or anything a file name cannot hold, and
// without leading blanks and dots. Empty when nothing is left.
juce::String getProposedFileName (const ST_MICROPERFORMANCE& record);

// chosen, with ".snd" appended unless its name already ends in ".snd" in any
// case, so that the saved file can be opened again.
juce::File withSndExtension (const juce::File& chosen);

// The file the save dialog starts from: the proposed name inside folder, or
// folder itself when no name is proposed. It lies in folder whatever the name.
juce::File getProposedFile (const juce::File& folder, const ST_MICROPERFORMANCE& record);
} // namespace MicroPerformanceFile
