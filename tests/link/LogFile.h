#pragma once

#include <juce_core/juce_core.h>

// The link's log file as the tests read it back. HOME is a fresh folder for
// each test process, so the file holds only what the running test wrote.
namespace LogFile
{
inline juce::File file()
{
    return juce::File ("~/.config/Velmor Piano Editor/Midi.log");
}

inline juce::String text()
{
    return file().loadFileAsString();
}

// The offset at which the next line will be written.
inline juce::int64 end()
{
    return file().getSize();
}

// What was written from the offset on: a poll of the log then reads only
// what is new, however long the process has been writing.
inline juce::String textSince (juce::int64 offset)
{
    juce::FileInputStream in (file());

    if (! in.openedOk() || ! in.setPosition (offset))
        return {};

    return in.readEntireStreamAsString();
}

// Each line of the text, without its level prefix.
inline juce::StringArray entriesOf (const juce::String& logText)
{
    juce::StringArray lines;
    lines.addTokens (logText, "\r\n", {});
    lines.removeEmptyStrings();

    for (auto& line : lines)
        if (line.matchesWildcard ("?[*] - *", false))
            line = line.fromFirstOccurrenceOf ("] - ", false, false);

    return lines;
}

// Each logged line, without its level prefix.
inline juce::StringArray entries()
{
    return entriesOf (text());
}

// The entries written since the mark, an offset such as end() gives; the mark
// moves past the last whole line, so a line still being written is taken whole
// next time.
inline juce::StringArray takeEntries (juce::int64& mark)
{
    juce::FileInputStream in (file());
    juce::MemoryBlock written;

    if (! in.openedOk() || ! in.setPosition (mark))
        return {};

    in.readIntoMemoryBlock (written);
    const auto* bytes = static_cast<const char*> (written.getData());
    auto whole = written.getSize();

    while (whole > 0 && bytes[whole - 1] != '\n')
        --whole;

    mark += (juce::int64) whole;
    return entriesOf (juce::String::fromUTF8 (bytes, (int) whole));
}

// Index of the first entry at or after from that equals text; -1 when none.
inline int find (const juce::StringArray& lines, const juce::String& entry, int from = 0)
{
    for (int i = juce::jmax (0, from); i < lines.size(); ++i)
        if (lines[i] == entry)
            return i;

    return -1;
}

inline int count (const juce::StringArray& lines, const juce::String& entry)
{
    int found = 0;

    for (const auto& line : lines)
        if (line == entry)
            ++found;

    return found;
}

// Whether the entries appear in this order, each after the one before.
inline bool containsInOrder (const juce::StringArray& lines, const juce::StringArray& wanted)
{
    int from = 0;

    for (const auto& entry : wanted)
    {
        const int at = find (lines, entry, from);

        if (at < 0)
            return false;

        from = at + 1;
    }

    return true;
}
} // namespace LogFile
