#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <memory>

class OpenFileLogger;

// The link's log: event lines filtered by a level mask, each prefixed with a
// level letter and the milliseconds since construction, and hexadecimal dumps
// of the MIDI traffic. The file logger becomes the process-wide logger, so
// lines written straight to juce::Logger land in the same file, unfiltered.
class AppLogger
{
public:
    enum LogLevel
    {
        LOG_DEBUG = 1,
        LOG_MIDI = 2,
        LOG_INFO = 4,
        LOG_WARNING = 8,
        LOG_ERROR = 16
    };

    AppLogger (const juce::String& logFileName, long long maxInitialFileSize);
    ~AppLogger();

    // Not thread-safe: call before any other thread writes to the log.
    void setLogLevel (unsigned char mask);

    // Both return the time stamp of the line written, or 0 when nothing was written.
    unsigned int writeToLog (const juce::String& text, LogLevel level);
    unsigned int writeToLog (const juce::MidiMessage& message, bool incoming);

    juce::String timeStamp (unsigned int elapsed, LogLevel level);

protected:
    // From now on the lines that the calling thread writes to the log file
    // wait in memory until writeDeferredLines(), until another thread writes a
    // line, or until enough of them gather; they keep their order. The
    // processing thread writes a burst of received messages this way in a few
    // writes rather than one a line. Nothing happens while no file is open.
    void deferLinesOfThisThread();
    void writeDeferredLines();

private:
    unsigned int elapsedMs() const;

    juce::uint32 startTime;
    juce::uint8 logLevel = 0;
    juce::String logFileName;
    long long maxInitialFileSize;
    std::unique_ptr<OpenFileLogger> fileLogger;

    JUCE_DECLARE_NON_COPYABLE (AppLogger)
};
