#include "app/MicroPerformanceFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <vector>

using namespace MicroPerformanceFile;

namespace
{
using Record = ST_MICROPERFORMANCE;
using Bytes = std::vector<unsigned char>;
using Edit = std::function<void (Record&)>;

constexpr auto int32Min = std::numeric_limits<std::int32_t>::min();
constexpr auto int32Max = std::numeric_limits<std::int32_t>::max();

Bytes bytesOf (const juce::MemoryBlock& block)
{
    const auto* data = static_cast<const unsigned char*> (block.getData());
    return Bytes (data, data + block.getSize());
}

Bytes encodeEdited (const Edit& edit)
{
    auto record = initialMicroPerformance();
    edit (record);
    return bytesOf (encode (record));
}

void putInt32 (Bytes& bytes, size_t offset, std::uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        bytes[offset + i] = (unsigned char) (value >> (8 * i));
}

bool sameRecord (const Record& a, const Record& b)
{
    return std::memcmp (&a, &b, sizeof (Record)) == 0;
}

// Gives at most chunk bytes a read, as a stream may before its end.
class TricklingStream : public juce::MemoryInputStream
{
public:
    TricklingStream (const Bytes& bytes, int chunkSize)
        : juce::MemoryInputStream (bytes.data(), bytes.size(), false),
          chunk (chunkSize)
    {
    }

    int read (void* destination, int count) override
    {
        return juce::MemoryInputStream::read (destination, juce::jmin (count, chunk));
    }

private:
    int chunk;
};

Record withName (const char* text, size_t length)
{
    auto record = initialMicroPerformance();
    std::memcpy (record.name, text, length);
    return record;
}
} // namespace

TEST (MicroPerformanceFile, InitialRecordEncodesToItsKnownBytes)
{
    Bytes expected (1364, 0);
    expected[0] = 8;
    expected[0x018] = 0xFF; // no icon
    expected[0x01A] = 32; // number 0, raised
    expected[0x01C] = 32; // infoBytes[1], raised with it
    putInt32 (expected, 0x458, 64);
    putInt32 (expected, 0x47C, 64);
    putInt32 (expected, 0x4CC, 100);
    putInt32 (expected, 0x540, 0xFFFFFFFC); // nrpnBlock7 slots 4 and 5: 0 less 4
    putInt32 (expected, 0x544, 0xFFFFFFFC);

    EXPECT_EQ (bytesOf (encode (initialMicroPerformance())), expected);
}

TEST (MicroPerformanceFile, EncodeStoresOffsetFieldsAndRaisesLowNumbers)
{
    const struct
    {
        const char* behaviour;
        Edit edit;
        size_t fileOffset;
        Bytes stored;
    } cases[] = {
        { "first part parameter at the top of the range", [] (Record& r)
          { r.params[0] = 114; },
          0x021,
          { 0x32 } },
        { "first part parameter at the bottom of the range", [] (Record& r)
          { r.params[0] = 14; },
          0x021,
          { 0xCE } },
        { "last per-key value 0 wraps below zero", [] (Record& r)
          { r.tracks[11][87] = 0; },
          0x452,
          { 0xC0 } },
        { "last per-key value 255", [] (Record& r)
          { r.tracks[11][87] = 255; },
          0x452,
          { 0xBF } },
        { "the padding after the tables is not offset", [] (Record& r)
          { r.padding1 = 7; },
          0x453,
          { 7 } },
        { "number 31 raised with infoBytes[1]", [] (Record& r)
          { r.number = 31; r.infoBytes[1] = 5; },
          0x01A,
          { 63, 0, 37 } },
        { "number 32 as it is", [] (Record& r)
          { r.number = 32; r.infoBytes[1] = 5; },
          0x01A,
          { 32, 0, 5 } },
        { "number 127 as it is", [] (Record& r)
          { r.number = 127; r.infoBytes[1] = 5; },
          0x01A,
          { 127, 0, 5 } },
        { "number 200 is negative and raised, infoBytes[1] wraps", [] (Record& r)
          { r.number = 200; r.infoBytes[1] = 250; },
          0x01A,
          { 232, 0, 26 } },
        { "number 240 wraps", [] (Record& r)
          { r.number = 240; },
          0x01A,
          { 16, 0, 32 } },
        { "nrpnBlock4 param 2 at 0", [] (Record& r)
          { r.nrpnBlock4.params[0] = 0; },
          0x4A0,
          { 0xC0, 0xFF, 0xFF, 0xFF } },
        { "nrpnBlock4 param 2 at the int32 minimum wraps", [] (Record& r)
          { r.nrpnBlock4.params[0] = int32Min; },
          0x4A0,
          { 0xC0, 0xFF, 0xFF, 0x7F } },
        { "nrpnBlock4 param 6 at 65", [] (Record& r)
          { r.nrpnBlock4.params[4] = 65; },
          0x4B0,
          { 1, 0, 0, 0 } },
        { "nrpnBlock7 slot 4 at 0", [] (Record& r)
          { r.nrpnBlock7.slot (4) = 0; },
          0x540,
          { 0xFC, 0xFF, 0xFF, 0xFF } },
        { "nrpnBlock7 slot 5 near the int32 minimum", [] (Record& r)
          { r.nrpnBlock7.slot (5) = int32Min + 1; },
          0x544,
          { 0xFD, 0xFF, 0xFF, 0x7F } },
        { "an int32 without offset, little-endian", [] (Record& r)
          { r.masterEffect.slot (1) = 0x01020304; },
          0x4FC,
          { 4, 3, 2, 1 } },
        { "the int32 maximum without offset", [] (Record& r)
          { r.nrpnBlock1.notCarried = int32Max; },
          0x458,
          { 0xFF, 0xFF, 0xFF, 0x7F } },
    };

    for (const auto& c : cases)
    {
        const auto bytes = encodeEdited (c.edit);
        ASSERT_EQ (bytes.size(), 1364u);
        EXPECT_EQ (Bytes (bytes.begin() + (long) c.fileOffset, bytes.begin() + (long) (c.fileOffset + c.stored.size())), c.stored) << c.behaviour;
    }
}

TEST (MicroPerformanceFile, SavedRecordDecodesBackWithTheKeptFieldsFromMemory)
{
    auto saved = initialMicroPerformance();
    std::memcpy (saved.name, "Grand", 5);
    saved.iconId = 3;
    saved.number = 7;
    std::memcpy (saved.infoBytes, "\x01\x02\x03\x04", 4);
    saved.templateId = 11;
    saved.infoByte = 127;
    for (int i = 0; i < Record::paramCount; ++i)
        saved.params[i] = (unsigned char) i;
    for (int t = 0; t < Record::trackCount; ++t)
        for (int k = 0; k < Record::keyCount; ++k)
            saved.tracks[t][k] = (unsigned char) ((t + k) % 128);
    saved.padding1 = 0xAA;
    saved.nrpnBlock1.on = 1;
    saved.nrpnBlock1.notCarried = int32Min;
    saved.nrpnBlock1.reserved[1] = int32Max;
    saved.nrpnBlock4.params[0] = 0;
    saved.nrpnBlock4.params[4] = 127;
    saved.nrpnBlock3.slot (1) = 2;
    saved.nrpnBlock3.slot (8) = 127;
    saved.pedals[4] = 127;
    saved.reverbSend = 100;
    saved.padding2[2] = 0x55;
    saved.masterEffect.slot (13) = -1;
    saved.nrpnBlock7.slot (4) = 0;
    saved.nrpnBlock7.slot (5) = 127;

    auto current = initialMicroPerformance();
    current.bank = 5;
    current.number = 12;
    current.infoBytes[0] = 20;
    current.infoBytes[1] = 21;

    auto expected = saved;
    expected.bank = 5;
    expected.number = 12;
    expected.infoBytes[0] = 20;
    expected.infoBytes[1] = 21;

    const auto bytes = encode (saved);
    const auto decoded = decode (bytes.getData(), bytes.getSize(), current);

    EXPECT_EQ (decoded.refusal, Refusal::none);
    EXPECT_TRUE (sameRecord (decoded.record, expected));
}

TEST (MicroPerformanceFile, EveryValueSentAsSevenBitsIsCheckedOnLoad)
{
    const struct
    {
        const char* behaviour;
        Edit edit;
        Refusal refusal;
    } cases[] = {
        { "last part parameter at 128", [] (Record& r)
          { r.params[17] = 128; },
          Refusal::notValid },
        { "first per-key value at 128", [] (Record& r)
          { r.tracks[0][0] = 128; },
          Refusal::notValid },
        { "last per-key value at 127", [] (Record& r)
          { r.tracks[11][87] = 127; },
          Refusal::none },
        { "a pedal at 128", [] (Record& r)
          { r.pedals[4] = 128; },
          Refusal::notValid },
        { "volume at 128", [] (Record& r)
          { r.volume = 128; },
          Refusal::notValid },
        { "pan at 128", [] (Record& r)
          { r.pan = 128; },
          Refusal::notValid },
        { "chorus send at 128", [] (Record& r)
          { r.chorusSend = 128; },
          Refusal::notValid },
        { "reverb send at 128", [] (Record& r)
          { r.reverbSend = 128; },
          Refusal::notValid },
        { "infoBytes[2] at 128", [] (Record& r)
          { r.infoBytes[2] = 128; },
          Refusal::notValid },
        { "infoBytes[3] at 128", [] (Record& r)
          { r.infoBytes[3] = 128; },
          Refusal::notValid },
        { "infoByte at 128", [] (Record& r)
          { r.infoByte = 128; },
          Refusal::notValid },
        { "number and first info bytes are taken from memory", [] (Record& r)
          { r.number = 200; r.infoBytes[0] = 200; r.infoBytes[1] = 200; },
          Refusal::none },
        { "icon 128", [] (Record& r)
          { r.iconId = 128; },
          Refusal::notValid },
        { "icon 127", [] (Record& r)
          { r.iconId = 127; },
          Refusal::none },
        { "template 11", [] (Record& r)
          { r.templateId = 11; },
          Refusal::none },
        { "template 12, which the panel has no entry for", [] (Record& r)
          { r.templateId = 12; },
          Refusal::none },
        { "template 127", [] (Record& r)
          { r.templateId = 127; },
          Refusal::none },
        { "template 128", [] (Record& r)
          { r.templateId = 128; },
          Refusal::notValid },
        { "name bytes and on flags are not 7-bit values", [] (Record& r)
          { r.name[0] = (char) 0xFF; r.nrpnBlock1.on = 200; },
          Refusal::none },
        { "nrpnBlock1 param 1 at 128", [] (Record& r)
          { r.nrpnBlock1.params[0] = 128; },
          Refusal::notValid },
        { "nrpnBlock2 param 8 at -1", [] (Record& r)
          { r.nrpnBlock2.params[6] = -1; },
          Refusal::notValid },
        { "nrpnBlock4 param 2 at 128", [] (Record& r)
          { r.nrpnBlock4.params[0] = 128; },
          Refusal::notValid },
        { "nrpnBlock3 type 128", [] (Record& r)
          { r.nrpnBlock3.slot (1) = 128; },
          Refusal::notValid },
        { "nrpnBlock3 type 0 sends slot 6 as param 11", [] (Record& r)
          { r.nrpnBlock3.slot (6) = 128; },
          Refusal::notValid },
        { "nrpnBlock3 type 4 does not send slot 6", [] (Record& r)
          { r.nrpnBlock3.slot (1) = 4; r.nrpnBlock3.slot (6) = 128; },
          Refusal::none },
        { "nrpnBlock3 type 8 sends slot 6 as an on flag", [] (Record& r)
          { r.nrpnBlock3.slot (1) = 8; r.nrpnBlock3.slot (6) = 1000; },
          Refusal::none },
        { "master effect param 6 at 128", [] (Record& r)
          { r.masterEffect.slot (6) = 128; },
          Refusal::notValid },
        { "master effect param 7 is not sent", [] (Record& r)
          { r.masterEffect.slot (7) = 128; },
          Refusal::none },
        { "nrpnBlock7 slot 5 at 128", [] (Record& r)
          { r.nrpnBlock7.slot (5) = 128; },
          Refusal::notValid },
        { "nrpnBlock7 reserved slot at the int32 minimum", [] (Record& r)
          { r.nrpnBlock7.slot (8) = int32Min; },
          Refusal::none },
    };

    auto current = initialMicroPerformance();
    current.number = 3;

    for (const auto& c : cases)
    {
        const auto bytes = encodeEdited (c.edit);
        const auto decoded = decode (bytes.data(), bytes.size(), current);

        EXPECT_EQ (decoded.refusal, c.refusal) << c.behaviour;
        if (c.refusal != Refusal::none)
        {
            EXPECT_TRUE (sameRecord (decoded.record, current)) << c.behaviour;
        }
    }
}

TEST (MicroPerformanceFile, DecodeChecksVersionThenBankAndReadsAtMostTheFileSize)
{
    const auto patchInt32 = [] (size_t offset, std::uint32_t value)
    { return [=] (Bytes& b)
      { putInt32 (b, offset, value); }; };

    const struct
    {
        const char* behaviour;
        std::function<void (Bytes&)> patch;
        Refusal refusal;
    } cases[] = {
        { "a saved file", [] (Bytes&) {}, Refusal::none },
        { "a byte beyond the file size is not read", [] (Bytes& b)
          { b.push_back (0xFF); },
          Refusal::none },
        { "version 9", patchInt32 (0, 9), Refusal::unsupportedVersion },
        { "version 8 big-endian", patchInt32 (0, 0x08000000), Refusal::unsupportedVersion },
        { "three bytes read: the rest counts as zero", [] (Bytes& b)
          { b.resize (3); },
          Refusal::none },
        { "nothing read", [] (Bytes& b)
          { b.clear(); },
          Refusal::unsupportedVersion },
        { "bank 1", [] (Bytes& b)
          { b[0x019] = 1; },
          Refusal::notPianoBank },
        { "version before bank", [] (Bytes& b)
          { b[0] = 9; b[0x019] = 1; },
          Refusal::unsupportedVersion },
        { "bank before the values", [] (Bytes& b)
          { b[0x019] = 1; b[0x021] = 0x40; },
          Refusal::notPianoBank },
        { "nrpnBlock4 param 2 stored as the int32 maximum wraps", patchInt32 (0x4A0, 0x7FFFFFFF), Refusal::notValid },
        { "nrpnBlock4 param 2 stored as -64 is 0", patchInt32 (0x4A0, 0xFFFFFFC0), Refusal::none },
        { "nrpnBlock7 slot 4 stored near the int32 maximum", patchInt32 (0x540, 0x7FFFFFFE), Refusal::notValid },
    };

    for (const auto& c : cases)
    {
        auto bytes = bytesOf (encode (initialMicroPerformance()));
        c.patch (bytes);
        EXPECT_EQ (decode (bytes.data(), bytes.size(), initialMicroPerformance()).refusal, c.refusal) << c.behaviour;
    }
}

TEST (MicroPerformanceFile, OnlyAReadOfAWholeFilesBytesGivesThem)
{
    const auto file = bytesOf (encode (initialMicroPerformance()));

    const struct
    {
        const char* behaviour;
        size_t available;
        int chunk;
        bool whole;
    } cases[] = {
        { "an empty stream", 0, 1364, false },
        { "a file cut short after its size was taken", 1363, 1364, false },
        { "exactly a file", 1364, 1364, true },
        { "a file that grew: what lies beyond is not read", 1365, 1364, true },
        { "a file given in pieces", 1364, 100, true },
        { "a file given in pieces and cut short", 1363, 100, false },
    };

    for (const auto& c : cases)
    {
        auto content = file;
        content.resize (c.available, 0xAB);
        TricklingStream stream (content, c.chunk);

        const auto read = readFileBytes (stream);

        ASSERT_EQ (read.has_value(), c.whole) << c.behaviour;
        if (read.has_value())
        {
            EXPECT_EQ (bytesOf (*read), file) << c.behaviour;
            EXPECT_EQ (stream.getPosition(), 1364) << c.behaviour;
        }
    }
}

TEST (MicroPerformanceFile, OnlyFilesOfTheExactSizeWithAnSndExtensionAreRead)
{
    const struct
    {
        juce::int64 size;
        const char* name;
        bool accepted;
    } cases[] = {
        { 1364, "Grand.snd", true },
        { 1364, "Grand.SnD", true },
        { 1363, "Grand.snd", false },
        { 1365, "Grand.snd", false },
        { 1364, "Grand.snd.bak", false },
        { 1364, "Grand", false },
        { 1364, "Grandsnd", false },
    };

    for (const auto& c : cases)
        EXPECT_EQ (hasFileSizeAndExtension (c.size, c.name), c.accepted) << c.size << " " << c.name;
}

TEST (MicroPerformanceFile, ProposedNameIsALegalFileNameFromTheNameField)
{
    const struct
    {
        const char* behaviour;
        Record record;
        const char* proposed;
    } cases[] = {
        { "empty", withName ("", 0), "" },
        { "leading blanks and percent signs go, trailing blanks stay", withName ("  Grand%1 ", 10), "Grand1 " },
        { "20 bytes without a zero", withName ("ABCDEFGHIJKLMNOPQRST", 20), "ABCDEFGHIJKLMNOPQRST" },
        { "slashes go", withName ("a/b\\c", 5), "abc" },
        { "no way up", withName ("../..", 5), "" },
        { "no leading dots", withName (". .hidden", 9), "hidden" },
        { "characters other file systems refuse", withName ("a:b?c*\"d", 8), "abcd" },
        { "control characters", withName ("a\tb\x7F", 4), "ab" },
        { "a lone 0xA5 reads as a percent sign", withName ("\xA5Grand", 6), "Grand" },
        { "0xA5 inside a sequence stays", withName ("Yen \xC2\xA5", 6), "Yen \xC2\xA5" },
        { "ill-formed UTF-8 is dropped", withName ("\xFFx\xC0\xAFy\xED\xA0\x80z", 9), "xyz" },
        { "a sequence cut by the end of the field is dropped", withName ("ABCDEFGHIJKLMNOPQRS\xF0", 20), "ABCDEFGHIJKLMNOPQRS" },
    };

    for (const auto& c : cases)
    {
        auto record = c.record;
        record.iconId = 'Z'; // nothing past the field may be read
        EXPECT_EQ (getProposedFileName (record), juce::String::fromUTF8 (c.proposed)) << c.behaviour;
    }
}

TEST (MicroPerformanceFile, SndIsAppendedUnlessTheNameEndsWithIt)
{
    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory);

    const struct
    {
        const char* chosen;
        const char* saved;
    } cases[] = {
        { "Grand", "Grand.snd" },
        { "Grand.SND", "Grand.SND" },
        { "Grand.snd.bak", "Grand.snd.bak.snd" },
        { "Grand.v2", "Grand.v2.snd" },
    };

    for (const auto& c : cases)
        EXPECT_EQ (withSndExtension (folder.getChildFile (c.chosen)), folder.getChildFile (c.saved)) << c.chosen;
}

TEST (MicroPerformanceFile, TheProposedFileLiesInTheFolderWhateverTheName)
{
    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("last");

    const struct
    {
        const char* name;
        const char* fileName;
    } cases[] = {
        { "Grand", "Grand" },
        { "~", "~" },
        { "~x", "~x" },
        { "~root", "~root" },
        { "~/x", "~x" },
        { "../x", "x" },
    };

    for (const auto& c : cases)
    {
        const auto proposed = getProposedFile (folder, withName (c.name, std::strlen (c.name)));
        EXPECT_EQ (proposed.getFullPathName(), folder.getFullPathName() + "/" + c.fileName) << c.name;
    }

    EXPECT_EQ (getProposedFile (folder, withName ("", 0)).getFullPathName(), folder.getFullPathName()) << "no name: the folder itself";
}
