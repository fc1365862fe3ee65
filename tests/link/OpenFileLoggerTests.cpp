#include "LogFile.h"
#include "link/OpenFileLogger.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
constexpr juce::int64 maxSize = 131072;

// The lines in the file after the banner.
juce::StringArray linesAfterBanner()
{
    auto lines = LogFile::entries();

    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith ("Log started: "))
            lines.removeRange (0, i + 1);

    return lines;
}

void logOnAnotherThread (OpenFileLogger& logger, const juce::String& line)
{
    std::thread other ([&logger, &line]
                       { logger.logMessage (line); });
    other.join();
}
} // namespace

TEST (OpenFileLogger, DeferredLinesKeepTheirPlaceAndReachTheFileWhenWrittenOut)
{
    OpenFileLogger logger ("Velmor Piano Editor", "Midi.log", "welcome", maxSize);
    logger.logMessage ("at once");
    EXPECT_EQ (linesAfterBanner(), juce::StringArray { "at once" });

    logger.deferLinesOf (juce::Thread::getCurrentThreadId());
    logger.logMessage ("deferred 1");
    logger.logMessage ("deferred 2");
    EXPECT_EQ (linesAfterBanner(), juce::StringArray { "at once" });

    // A line of another thread follows the deferred ones, and all are written.
    logOnAnotherThread (logger, "from another thread");
    EXPECT_EQ (linesAfterBanner(), (juce::StringArray { "at once", "deferred 1", "deferred 2", "from another thread" }));

    logger.logMessage ("deferred 3");
    EXPECT_EQ (linesAfterBanner().size(), 4);
    logger.writeDeferredLines();
    EXPECT_EQ (linesAfterBanner()[4], "deferred 3");
}

TEST (OpenFileLogger, DeferredLinesAreWrittenWhenTheyFillTheBufferAndWhenTheLoggerGoes)
{
    const auto halfBuffer = juce::String::repeatedString ("x", (int) OpenFileLogger::maxDeferredBytes / 2);

    {
        OpenFileLogger logger ("Velmor Piano Editor", "Midi.log", "welcome", maxSize);
        logger.deferLinesOf (juce::Thread::getCurrentThreadId());

        logger.logMessage (halfBuffer);
        EXPECT_TRUE (linesAfterBanner().isEmpty());
        logger.logMessage (halfBuffer);
        EXPECT_EQ (linesAfterBanner().size(), 2);

        logger.logMessage ("last");
        EXPECT_EQ (linesAfterBanner().size(), 2);
    }

    EXPECT_EQ (linesAfterBanner()[2], "last");
}
