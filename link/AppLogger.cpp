#include "link/AppLogger.h"

#include "link/BetweenMessages.h"
#include "link/OpenFileLogger.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{
constexpr int bytesPerDumpLine = 32;
constexpr int charsPerDumpedByte = 3;
constexpr char hexDigits[] = "0123456789ABCDEF";
// A level letter, a time stamp of up to ten digits and a direction tag.
constexpr size_t maxHeadSize = 32;

// The compiler's date pads a one-digit day with a second blank; the log
// separates month, day and year by one.
juce::String buildDate()
{
    return juce::StringArray::fromTokens (__DATE__, " ", {}).joinIntoString (" ");
}

char letterFor (AppLogger::LogLevel level)
{
    switch (level)
    {
        case AppLogger::LOG_DEBUG:
        case AppLogger::LOG_MIDI:
            return 'D';
        case AppLogger::LOG_INFO:
            return 'I';
        case AppLogger::LOG_WARNING:
            return 'W';
        case AppLogger::LOG_ERROR:
            return 'E';
        default:
            return '?';
    }
}

// The prefix of a line, "%c[%u] - ", in a buffer of maxHeadSize; returns its length.
size_t formatHead (char* head, unsigned int elapsed, AppLogger::LogLevel level)
{
    return (size_t) std::snprintf (head, maxHeadSize, "%c[%u] - ", letterFor (level), elapsed);
}

// The whole dump of a message as one line, built in one buffer of its final
// size, so that its cost grows with the message and no faster.
juce::String midiDumpLine (const juce::MidiMessage& message, bool incoming, unsigned int elapsed)
{
    char head[maxHeadSize];
    auto headSize = formatHead (head, elapsed, AppLogger::LOG_MIDI);
    headSize += (size_t) std::snprintf (head + headSize, maxHeadSize - headSize, incoming ? "(I) " : "(O) ");

    const auto size = message.getRawDataSize();
    const auto* data = message.getRawData();
    const auto breaks = (size_t) (size > 0 ? (size - 1) / bytesPerDumpLine : 0);

    // One buffer for each thread that dumps, kept from dump to dump: giving a
    // large one back at every dump costs the process fresh pages each time.
    // Filled with blanks, so that the separators and the indentation of the
    // continuation lines, which start under the first byte, are there already.
    thread_local std::string line;
    line.assign (headSize + charsPerDumpedByte * (size_t) size + breaks * (1 + headSize), ' ');
    auto* out = line.data();
    out = std::copy (head, head + headSize, out);

    for (int i = 0; i < size; ++i)
    {
        if (i > 0 && i % bytesPerDumpLine == 0)
        {
            *out = '\n';
            out += 1 + headSize;
        }

        out[0] = hexDigits[data[i] >> 4];
        out[1] = hexDigits[data[i] & 0x0F];
        out += charsPerDumpedByte;
    }

    return juce::String::fromUTF8 (line.data(), (int) line.size());
}
} // namespace

AppLogger::AppLogger (const juce::String& fileName, long long maxFileSize)
    : startTime (juce::Time::getMillisecondCounter()),
      logFileName (fileName),
      maxInitialFileSize (maxFileSize)
{
}

AppLogger::~AppLogger()
{
    // Cleared before the file logger goes, so no line can reach it through
    // the framework. The message thread may be writing a line through it at
    // any moment, also when a listener on "MidiProcessing" deletes the link.
    callBetweenMessages ([]
                         { juce::Logger::setCurrentLogger (nullptr); });
}

void AppLogger::setLogLevel (unsigned char mask)
{
    logLevel = mask;

    if (mask == 0 || (fileLogger == nullptr && logFileName.isEmpty()))
    {
        juce::Logger::setCurrentLogger (nullptr);
        return;
    }

    if (fileLogger == nullptr)
    {
        const auto welcome = juce::Time::getCurrentTime().toString (true, true, true, false) + " - "
                             + VELMOR_PRODUCT_TITLE " (Build date: " + buildDate()
                             + ")";
        fileLogger = std::make_unique<OpenFileLogger> (VELMOR_PRODUCT_NAME, logFileName, welcome, maxInitialFileSize);
    }

    juce::Logger::setCurrentLogger (fileLogger.get());
}

unsigned int AppLogger::elapsedMs() const
{
    return juce::Time::getMillisecondCounter() - startTime;
}

juce::String AppLogger::timeStamp (unsigned int elapsed, LogLevel level)
{
    char head[maxHeadSize];
    return juce::String (head, formatHead (head, elapsed, level));
}

unsigned int AppLogger::writeToLog (const juce::String& text, LogLevel level)
{
    if ((level & logLevel) == 0)
        return 0;

    const auto elapsed = elapsedMs();
    char head[maxHeadSize];
    const auto headSize = formatHead (head, elapsed, level);

    // One allocation for the whole line.
    juce::String line;
    line.preallocateBytes (headSize + text.getNumBytesAsUTF8());
    line.appendCharPointer (juce::CharPointer_ASCII (head), juce::CharPointer_ASCII (head + headSize));
    line += text;
    juce::Logger::writeToLog (line);
    return elapsed;
}

unsigned int AppLogger::writeToLog (const juce::MidiMessage& message, bool incoming)
{
    if ((logLevel & LOG_MIDI) == 0)
        return 0;

    const auto elapsed = elapsedMs();
    juce::Logger::writeToLog (midiDumpLine (message, incoming, elapsed));
    return elapsed;
}

void AppLogger::deferLinesOfThisThread()
{
    if (fileLogger != nullptr)
        fileLogger->deferLinesOf (juce::Thread::getCurrentThreadId());
}

void AppLogger::writeDeferredLines()
{
    if (fileLogger != nullptr)
        fileLogger->writeDeferredLines();
}
