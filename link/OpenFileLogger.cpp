#include "link/OpenFileLogger.h"

OpenFileLogger::OpenFileLogger (const juce::String& subFolder,
                                const juce::String& fileName,
                                const juce::String& welcomeMessage,
                                juce::int64 maxInitialFileSize)
    : juce::FileLogger (getSystemLogFileFolder().getChildFile (subFolder).getChildFile (fileName),
                        welcomeMessage,
                        maxInitialFileSize),
      file (getLogFile(), 0)
{
}

OpenFileLogger::~OpenFileLogger()
{
    writeDeferredLines();
}

void OpenFileLogger::logMessage (const juce::String& message)
{
    const juce::ScopedLock sl (lock);
    pending << message << juce::newLine;

    if (juce::Thread::getCurrentThreadId() != deferredThread || pending.getDataSize() >= maxDeferredBytes)
        writePending();
}

void OpenFileLogger::deferLinesOf (juce::Thread::ThreadID thread)
{
    const juce::ScopedLock sl (lock);
    deferredThread = thread;
}

void OpenFileLogger::writeDeferredLines()
{
    const juce::ScopedLock sl (lock);
    writePending();
}

void OpenFileLogger::writePending()
{
    if (pending.getDataSize() == 0)
        return;

    file.write (pending.getData(), pending.getDataSize());
    pending.reset();
}
