#include "app/MicroPerformanceFile.h"

#include "link/MidiVelmor.h"
#include "link/VelmorWire.h"

#include <algorithm>
#include <array>

namespace MicroPerformanceFile
{
namespace
{
    using Record = ST_MICROPERFORMANCE;

    constexpr size_t versionSize = sizeof (std::int32_t);
    constexpr size_t recordSize = sizeof (Record);
    static_assert (versionSize + recordSize == fileSize);

    constexpr size_t int32Size = sizeof (std::int32_t);
    constexpr int bitsPerByte = 8;
    constexpr unsigned char pianoBank = 0;
    constexpr unsigned char noIcon = 0xFF;
    constexpr unsigned char sevenBitMax = 0x7F;
    constexpr std::uint32_t centre = 64;
    constexpr std::uint32_t block7Bias = 4;
    constexpr signed char lastRaisedNumber = 31;
    constexpr unsigned char numberRaise = 32;
    constexpr unsigned char deleteCharacter = 0x7F;
    constexpr auto extension = ".snd";

    // The part parameters and per-key values are stored centred on zero.
    constexpr size_t centredBegin = offsetof (Record, params);
    constexpr size_t centredEnd = offsetof (Record, padding1);

    // Every int32 of the record: each NRPN block from its first int32 to its end.
    struct Span
    {
        size_t begin, end;
    };

    constexpr Span int32Spans[] = {
        { offsetof (Record, nrpnBlock1.notCarried), offsetof (Record, nrpnBlock1) + sizeof (Record::nrpnBlock1) },
        { offsetof (Record, nrpnBlock2.param1), offsetof (Record, nrpnBlock2) + sizeof (Record::nrpnBlock2) },
        { offsetof (Record, nrpnBlock4.params), offsetof (Record, nrpnBlock4) + sizeof (Record::nrpnBlock4) },
        { offsetof (Record, nrpnBlock3.slots), offsetof (Record, nrpnBlock3) + sizeof (Record::nrpnBlock3) },
        { offsetof (Record, masterEffect.slots), offsetof (Record, masterEffect) + sizeof (Record::masterEffect) },
        { offsetof (Record, nrpnBlock7.slots), offsetof (Record, nrpnBlock7) + sizeof (Record::nrpnBlock7) },
    };

    constexpr size_t block4Param (int param)
    {
        constexpr int firstStored = 2;
        return offsetof (Record, nrpnBlock4.params) + (size_t) (param - firstStored) * int32Size;
    }

    constexpr size_t block7Slot (int slot)
    {
        return offsetof (Record, nrpnBlock7.slots) + (size_t) (slot - 1) * int32Size;
    }

    // The int32 fields that the file stores less a bias.
    struct Bias
    {
        size_t offset;
        std::uint32_t amount;
    };

    constexpr Bias int32Biases[] = {
        { block4Param (2), centre },
        { block4Param (5), centre },
        { block4Param (6), centre },
        { block7Slot (4), block7Bias },
        { block7Slot (5), block7Bias },
    };

    std::uint32_t biasAt (size_t offset)
    {
        for (const auto& bias : int32Biases)
            if (bias.offset == offset)
                return bias.amount;

        return 0;
    }

    std::uint32_t readLittleEndian (const unsigned char* bytes)
    {
        return juce::ByteOrder::littleEndianInt (bytes);
    }

    void writeLittleEndian (unsigned char* bytes, std::uint32_t value)
    {
        for (size_t i = 0; i < int32Size; ++i)
            bytes[i] = (unsigned char) (value >> (bitsPerByte * i));
    }

    // Offsets and int32 arithmetic are modulo 256 and 2^32, so that any bytes
    // come back from a round trip unchanged.
    void writeFileBody (const Record& record, unsigned char* body)
    {
        const auto* image = reinterpret_cast<const unsigned char*> (&record);
        std::memcpy (body, image, recordSize);

        for (auto i = centredBegin; i < centredEnd; ++i)
            body[i] = (unsigned char) (image[i] - centre);

        for (const auto& span : int32Spans)
        {
            for (auto offset = span.begin; offset < span.end; offset += int32Size)
            {
                std::uint32_t value;
                std::memcpy (&value, image + offset, int32Size);
                writeLittleEndian (body + offset, value - biasAt (offset));
            }
        }
    }

    Record readFileBody (const unsigned char* body)
    {
        std::array<unsigned char, recordSize> image;
        std::memcpy (image.data(), body, recordSize);

        for (auto i = centredBegin; i < centredEnd; ++i)
            image[i] = (unsigned char) (body[i] + centre);

        for (const auto& span : int32Spans)
        {
            for (auto offset = span.begin; offset < span.end; offset += int32Size)
            {
                const auto value = readLittleEndian (body + offset) + biasAt (offset);
                std::memcpy (image.data() + offset, &value, int32Size);
            }
        }

        Record record;
        std::memcpy (&record, image.data(), recordSize);
        return record;
    }

    bool isSevenBit (unsigned char value)
    {
        return value <= sevenBitMax;
    }

    template<typename Bytes>
    bool areSevenBit (const Bytes& bytes)
    {
        const auto* first = reinterpret_cast<const unsigned char*> (&bytes);
        return std::all_of (first, first + sizeof (bytes), isSevenBit);
    }

    // Whether every value the instrument receives from the file goes on the wire
    // as it stands. The name goes as nibbles and on flags as 0 or 64, so any byte
    // of theirs is fine; bank, number and the first two info bytes are not the
    // file's. A piano model the panel has no entry for is kept, as it is when the
    // instrument reports one, so that every saved file opens again.
    bool canBeSent (const Record& record)
    {
        return areSevenBit (record.params)
               && areSevenBit (record.tracks)
               && areSevenBit (record.pedals)
               && isSevenBit (record.volume)
               && isSevenBit (record.pan)
               && isSevenBit (record.chorusSend)
               && isSevenBit (record.reverbSend)
               && isSevenBit (record.infoBytes[2])
               && isSevenBit (record.infoBytes[3])
               && isSevenBit (record.infoByte)
               && (record.iconId == noIcon || isSevenBit (record.iconId))
               && isSevenBit (record.templateId)
               && MidiVelmor::hasSevenBitNrpnBlockValues (record);
    }

    // Well-formed UTF-8: for each range of lead bytes, the length of the sequence
    // and the range of its second byte; any further bytes are 0x80..0xBF.
    struct Utf8Lead
    {
        unsigned char first, last;
        int length;
        unsigned char secondLow, secondHigh;
    };

    constexpr unsigned char continuationLow = 0x80;
    constexpr unsigned char continuationHigh = 0xBF;

    constexpr Utf8Lead utf8Leads[] = {
        { 0x00, 0x7F, 1, 0, 0 },
        { 0xC2, 0xDF, 2, continuationLow, continuationHigh },
        { 0xE0, 0xE0, 3, 0xA0, continuationHigh },
        { 0xE1, 0xEC, 3, continuationLow, continuationHigh },
        { 0xED, 0xED, 3, continuationLow, 0x9F },
        { 0xEE, 0xEF, 3, continuationLow, continuationHigh },
        { 0xF0, 0xF0, 4, 0x90, continuationHigh },
        { 0xF1, 0xF3, 4, continuationLow, continuationHigh },
        { 0xF4, 0xF4, 4, continuationLow, 0x8F },
    };

    // The length of the well-formed sequence that starts text, or 0 when there is none.
    int getSequenceLength (const unsigned char* text, int available)
    {
        const auto inRange = [] (unsigned char c, unsigned char low, unsigned char high)
        { return c >= low && c <= high; };

        for (const auto& lead : utf8Leads)
        {
            if (! inRange (text[0], lead.first, lead.last))
                continue;

            if (lead.length > available || (lead.length > 1 && ! inRange (text[1], lead.secondLow, lead.secondHigh)))
                return 0;

            for (int i = 2; i < lead.length; ++i)
                if (! inRange (text[i], continuationLow, continuationHigh))
                    return 0;

            return lead.length;
        }

        return 0;
    }

    // The stored name with only what a file name may take from it: bytes that
    // are not part of well-formed UTF-8 are dropped, and with them a stray 0xA5,
    // which a lenient reader takes for a "%"; so are control characters.
    juce::String readFileNameText (const Record& record)
    {
        const auto* field = reinterpret_cast<const unsigned char*> (record.name);
        const auto length = (int) (std::find (field, field + Record::nameSize, 0) - field);

        char kept[Record::nameSize];
        int keptLength = 0;

        for (int i = 0; i < length;)
        {
            const auto sequence = getSequenceLength (field + i, length - i);
            const auto isControl = sequence == 1 && (field[i] < ' ' || field[i] == deleteCharacter);

            if (sequence > 0 && ! isControl)
            {
                std::copy (field + i, field + i + sequence, kept + keptLength);
                keptLength += sequence;
            }

            i += std::max (sequence, 1);
        }

        return VelmorWire::decodeName (kept, (size_t) keptLength);
    }

    bool hasSndExtension (const juce::String& fileName)
    {
        return fileName.endsWithIgnoreCase (extension);
    }
} // namespace

juce::String getRefusalText (Refusal refusal)
{
    switch (refusal)
    {
        case Refusal::notValid:
            return "  The selected file is not valid.  ";
        case Refusal::unsupportedVersion:
            return "  This microperformance version is not supported.  ";
        case Refusal::notPianoBank:
            return "  Microperformance different from  \n  the piano type cannot be loaded.  ";
        case Refusal::none:
            break;
    }

    return {};
}

bool hasFileSizeAndExtension (juce::int64 size, const juce::String& fileName)
{
    return size == fileSize && hasSndExtension (fileName);
}

std::optional<juce::MemoryBlock> readFileBytes (juce::InputStream& stream)
{
    juce::MemoryBlock bytes ((size_t) fileSize);
    auto* destination = static_cast<char*> (bytes.getData());

    // A stream may give fewer bytes than asked for before its end.
    for (int done = 0; done < fileSize;)
    {
        const auto read = stream.read (destination + done, fileSize - done);

        if (read <= 0)
            return std::nullopt;

        done += read;
    }

    return bytes;
}

Decoded decode (const void* data, size_t size, const ST_MICROPERFORMANCE& current)
{
    std::array<unsigned char, fileSize> bytes {};

    if (size > 0)
        std::memcpy (bytes.data(), data, std::min (size, bytes.size()));

    const auto* body = bytes.data() + versionSize;

    if (readLittleEndian (bytes.data()) != (std::uint32_t) currentVersion)
        return { Refusal::unsupportedVersion, current };

    if (body[offsetof (Record, bank)] != pianoBank)
        return { Refusal::notPianoBank, current };

    auto record = readFileBody (body);
    record.bank = current.bank;
    record.number = current.number;
    record.infoBytes[0] = current.infoBytes[0];
    record.infoBytes[1] = current.infoBytes[1];

    if (! canBeSent (record))
        return { Refusal::notValid, current };

    return { Refusal::none, record };
}

juce::MemoryBlock encode (const ST_MICROPERFORMANCE& record)
{
    juce::MemoryBlock block (fileSize, true);
    auto* bytes = static_cast<unsigned char*> (block.getData());
    auto* body = bytes + versionSize;

    writeLittleEndian (bytes, (std::uint32_t) currentVersion);
    writeFileBody (record, body);

    // The raise never comes back: loading takes number and infoBytes from memory.
    if ((signed char) record.number <= lastRaisedNumber)
    {
        body[offsetof (Record, number)] = (unsigned char) (record.number + numberRaise);
        body[offsetof (Record, infoBytes[1])] = (unsigned char) (record.infoBytes[1] + numberRaise);
    }

    return block;
}

juce::String getProposedFileName (const ST_MICROPERFORMANCE& record)
{
    auto name = juce::File::createLegalFileName (readFileNameText (record).removeCharacters ("%"));

    // A leading dot would hide the file, and two alone name the parent folder.
    while (name.isNotEmpty() && (name[0] == '.' || juce::CharacterFunctions::isWhitespace (name[0])))
        name = name.substring (1);

    return name;
}

juce::File withSndExtension (const juce::File& chosen)
{
    if (hasSndExtension (chosen.getFileName()))
        return chosen;

    return juce::File (chosen.getFullPathName() + extension);
}

juce::File getProposedFile (const juce::File& folder, const ST_MICROPERFORMANCE& record)
{
    const auto name = getProposedFileName (record);

    if (name.isEmpty())
        return folder;

    // Not getChildFile, which takes a name that starts with "~" for a home folder.
    return juce::File (juce::File::addTrailingSeparator (folder.getFullPathName()) + name);
}
} // namespace MicroPerformanceFile
