#include "link/AppLogger.h"

namespace
{
constexpr auto applicationName = "Velmor Piano Editor";
constexpr auto applicationVersion = "1.0";
constexpr int bytesPerDumpLine = 32;

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
} // namespace

AppLogger::AppLogger (const juce::String& fileName, long long maxFileSize)
    : startTime (juce::Time::getMillisecondCounter()),
      logFileName (fileName),
      maxInitialFileSize (maxFileSize)
{
}

AppLogger::~AppLogger()
{
    // Cleared first, so no line can reach the deleted logger through the framework.
    juce::Logger::setCurrentLogger (nullptr);
    fileLogger.reset();
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
                             + applicationName + " v" + applicationVersion + " (Build date: " + buildDate()
                             + ")";
        fileLogger.reset (juce::FileLogger::createDefaultAppLogger (applicationName,
                                                                    logFileName,
                                                                    welcome,
                                                                    maxInitialFileSize));
    }

    juce::Logger::setCurrentLogger (fileLogger.get());
}

unsigned int AppLogger::elapsedMs() const
{
    return juce::Time::getMillisecondCounter() - startTime;
}

juce::String AppLogger::timeStamp (unsigned int elapsed, LogLevel level)
{
    return juce::String::charToString (static_cast<juce::juce_wchar> (letterFor (level))) + "["
           + juce::String (elapsed) + "] - ";
}

unsigned int AppLogger::writeToLog (const juce::String& text, LogLevel level)
{
    if ((level & logLevel) == 0)
        return 0;

    const auto elapsed = elapsedMs();
    juce::Logger::writeToLog (timeStamp (elapsed, level) + text);
    return elapsed;
}

unsigned int AppLogger::writeToLog (const juce::MidiMessage& message, bool incoming)
{
    if ((logLevel & LOG_MIDI) == 0)
        return 0;

    const auto elapsed = elapsedMs();
    auto line = timeStamp (elapsed, LOG_MIDI) + (incoming ? "(I) " : "(O) ");

    const auto size = message.getRawDataSize();
    const auto* data = message.getRawData();
    // Continuation lines start under the first byte.
    const auto continuation = size > bytesPerDumpLine ? "\n" + juce::String::repeatedString (" ", line.length())
                                                      : juce::String();

    for (int i = 0; i < size; ++i)
    {
        if (i > 0 && i % bytesPerDumpLine == 0)
            line << continuation;

        line << juce::String::toHexString (data[i]).paddedLeft ('0', 2).toUpperCase() << " ";
    }

    juce::Logger::writeToLog (line);
    return elapsed;
}
