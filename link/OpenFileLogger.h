#pragma once

#include <juce_core/juce_core.h>

// The log file of the link, kept open from start to end. juce::FileLogger
// opens, seeks and closes its file for every line, which costs more than all
// the rest of what a received message takes; this one writes each line with
// one call to the file. The file, its cut and its banner are those of
// juce::FileLogger::createDefaultAppLogger.
//
// One thread may have its lines deferred: they wait in memory, in order, until
// writeDeferredLines(), until any other thread writes a line (which then
// follows them at once), or until they fill maxDeferredBytes. A burst of
// received messages then reaches the file in a few writes instead of one a line.
class OpenFileLogger : public juce::FileLogger
{
public:
    static constexpr size_t maxDeferredBytes = 65536;

    OpenFileLogger (const juce::String& subFolder,
                    const juce::String& fileName,
                    const juce::String& welcomeMessage,
                    juce::int64 maxInitialFileSize);
    ~OpenFileLogger() override;

    // Thread-safe; the line ends in CR LF, as juce::FileLogger ends it.
    void logMessage (const juce::String& message) override;

    void deferLinesOf (juce::Thread::ThreadID thread);
    void writeDeferredLines();

private:
    void writePending();

    juce::CriticalSection lock;
    // Unbuffered: what is written is in the file at once.
    juce::FileOutputStream file;
    juce::MemoryOutputStream pending;
    juce::Thread::ThreadID deferredThread = {};

    JUCE_DECLARE_NON_COPYABLE (OpenFileLogger)
};
