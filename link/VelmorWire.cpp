#include "link/VelmorWire.h"

#include <algorithm>
#include <cstring>

unsigned char VelmorWire::checksumOf (const unsigned char* data, int count)
{
    unsigned int sum = 0;

    for (int i = 0; i < count; ++i)
        sum += data[i];

    return (unsigned char) (~sum & dataMask);
}

bool VelmorWire::hasEditorHeader (const unsigned char* data)
{
    return std::memcmp (data + editorHeaderIndex, editorHeader, sizeof (editorHeader)) == 0;
}

int VelmorWire::sysExDataSize (const juce::MidiMessage& message)
{
    return juce::jmax (0, message.getSysExDataSize());
}

void VelmorWire::nameTextFromBytes (const void* bytes, int count, unsigned char* text)
{
    const auto* characters = static_cast<const unsigned char*> (bytes);

    for (int i = 0; i < count; ++i)
    {
        text[textBytesPerCharacter * i] = (unsigned char) ((characters[i] >> 4) & 0x0F);
        text[textBytesPerCharacter * i + 1] = (unsigned char) (characters[i] & 0x0F);
    }
}

juce::MemoryBlock VelmorWire::nameBytesFromText (const unsigned char* text, int count)
{
    juce::MemoryBlock bytes;

    for (int i = 0; i < count; ++i)
    {
        const auto c = (unsigned char) (((text[textBytesPerCharacter * i] << 4) | text[textBytesPerCharacter * i + 1]) & 0xFF);

        if (c != 0)
            bytes.append (&c, 1);
    }

    return bytes;
}

juce::String VelmorWire::decodeName (const void* bytes, size_t size)
{
    const auto* data = static_cast<const char*> (bytes);
    const auto length = (int) (std::find (data, data + size, 0) - data);

    if (juce::CharPointer_UTF8::isValidString (data, length))
        return juce::String::fromUTF8 (data, length);

    juce::String result;

    for (int i = 0; i < length; ++i)
        result += (juce::juce_wchar) (unsigned char) data[i];

    return result;
}

void VelmorWire::storeName (ST_MICROPERFORMANCE& record, const char* text, int size)
{
    std::memset (record.name, 0, sizeof (record.name));

    auto count = juce::jmin (size, nameTextBytes);

    if (count < size && juce::CharPointer_UTF8::isValidString (text, size))
        while (count > 0 && (((unsigned char) text[count]) & 0xC0) == 0x80)
            --count;

    if (count > 0)
        std::memcpy (record.name, text, (size_t) count);
}

void VelmorWire::storeNameText (ST_MICROPERFORMANCE& record, const juce::String& name)
{
    const auto utf8 = name.substring (0, nameTextBytes).toStdString();
    storeName (record, utf8.data(), (int) utf8.size());
}
