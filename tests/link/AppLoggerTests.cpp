#include "LogFile.h"
#include "link/AppLogger.h"

#include <gtest/gtest.h>

namespace
{
constexpr long long maxSize = 131072;

juce::MidiMessage sysExOfSize (int totalBytes)
{
    juce::HeapBlock<juce::uint8> data ((size_t) (totalBytes - 2));

    for (int i = 0; i < totalBytes - 2; ++i)
        data[i] = (juce::uint8) (i & 0x7F);

    return juce::MidiMessage::createSysExMessage (data.get(), totalBytes - 2);
}

juce::String hexBytes (const juce::MidiMessage& message, int from, int to)
{
    juce::String bytes;

    for (int i = from; i < to; ++i)
        bytes << juce::String::toHexString (message.getRawData()[i]).paddedLeft ('0', 2).toUpperCase() << " ";

    return bytes;
}
} // namespace

TEST (AppLogger, OpensNothingUntilGivenAMask)
{
    AppLogger logger ("Midi.log", maxSize);

    EXPECT_FALSE (LogFile::file().exists());
    EXPECT_EQ (logger.writeToLog ("lost", AppLogger::LOG_ERROR), 0u);
}

TEST (AppLogger, OpeningWritesTheBannerWithTheWelcomeLine)
{
    {
        AppLogger logger ("Midi.log", maxSize);
        logger.setLogLevel (0x1F);
        logger.writeToLog ("first", AppLogger::LOG_INFO);
    }

    const auto text = LogFile::text();
    const auto stars = juce::String::repeatedString ("*", 58);
    EXPECT_TRUE (text.startsWith ("\r\n" + stars + "\r\n")) << text;

    juce::StringArray lines;
    lines.addLines (text);
    ASSERT_GE (lines.size(), 5);
    EXPECT_TRUE (lines[2].trimEnd().matchesWildcard ("* - Velmor Piano Editor v1.0 (Build date: * * *)", false))
        << lines[2];
    EXPECT_FALSE (lines[2].contains ("  "));
    EXPECT_TRUE (lines[3].startsWith ("Log started: "));
    // The banner's last line is followed by a blank one.
    EXPECT_TRUE (text.contains ("\r\n\r\nI["));
}

TEST (AppLogger, WritesOnlyTheLevelsInItsMaskWithTheirLetters)
{
    struct Case
    {
        AppLogger::LogLevel level;
        const char* prefix;
    };

    const Case cases[] = { { AppLogger::LOG_DEBUG, "D[" },
                           { AppLogger::LOG_INFO, "I[" },
                           { AppLogger::LOG_WARNING, "W[" },
                           { AppLogger::LOG_ERROR, "E[" } };

    AppLogger logger ("Midi.log", maxSize);
    logger.setLogLevel (AppLogger::LOG_INFO | AppLogger::LOG_ERROR);

    for (const auto& c : cases)
        logger.writeToLog ("line " + juce::String (c.level), c.level);

    EXPECT_EQ (logger.writeToLog ("hidden", AppLogger::LOG_DEBUG), 0u);

    const auto text = LogFile::text();

    for (const auto& c : cases)
    {
        const bool inMask = c.level == AppLogger::LOG_INFO || c.level == AppLogger::LOG_ERROR;
        const auto line = juce::String (c.prefix) + "*] - line " + juce::String (c.level);
        juce::StringArray lines;
        lines.addLines (text);
        bool found = false;

        for (const auto& l : lines)
            found = found || l.matchesWildcard (line, false);

        EXPECT_EQ (found, inMask) << c.prefix;
    }

    EXPECT_EQ (logger.timeStamp (52311, AppLogger::LOG_ERROR), "E[52311] - ");
    EXPECT_EQ (logger.timeStamp (7, static_cast<AppLogger::LogLevel> (3)), "?[7] - ");
}

TEST (AppLogger, DumpsMessagesThirtyTwoBytesALineUnderTheFirstByte)
{
    struct Case
    {
        int size;
        int lines;
    };

    const Case cases[] = { { 3, 1 }, { 32, 1 }, { 33, 2 }, { 64, 2 }, { 65, 3 } };

    AppLogger logger ("Midi.log", maxSize);
    logger.setLogLevel (0x1F);

    for (const auto& c : cases)
    {
        const auto message = c.size == 3 ? juce::MidiMessage::controllerEvent (1, 99, 0) : sysExOfSize (c.size);
        const auto elapsed = logger.writeToLog (message, c.size % 2 == 0);
        const auto head = logger.timeStamp (elapsed, AppLogger::LOG_MIDI) + (c.size % 2 == 0 ? "(I) " : "(O) ");

        juce::String expected = head;

        for (int from = 0; from < c.size; from += 32)
        {
            if (from > 0)
                expected << "\n"
                         << juce::String::repeatedString (" ", head.length());

            expected << hexBytes (message, from, juce::jmin (c.size, from + 32));
        }

        EXPECT_TRUE (LogFile::text().contains (expected + "\r\n")) << "size " << c.size << ": " << expected;
        EXPECT_EQ (expected.retainCharacters ("\n").length(), c.lines - 1);
    }

    EXPECT_TRUE (LogFile::text().contains ("(O) B0 63 00 \r\n"));
}

TEST (AppLogger, MidiBitAloneGivesDumpsAndNoEventLines)
{
    AppLogger logger ("Midi.log", maxSize);
    logger.setLogLevel (AppLogger::LOG_MIDI);
    logger.writeToLog ("event", AppLogger::LOG_ERROR);
    logger.writeToLog (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), false);

    logger.setLogLevel (0x1F & ~AppLogger::LOG_MIDI);
    EXPECT_EQ (logger.writeToLog (juce::MidiMessage::noteOn (1, 61, (juce::uint8) 100), false), 0u);
    logger.writeToLog ("second event", AppLogger::LOG_ERROR);

    const auto entries = LogFile::entries();
    EXPECT_EQ (LogFile::find (entries, "event"), -1);
    EXPECT_GE (LogFile::find (entries, "(O) 90 3C 64 "), 0);
    EXPECT_EQ (LogFile::find (entries, "(O) 90 3D 64 "), -1);
    EXPECT_GE (LogFile::find (entries, "second event"), 0);
}

TEST (AppLogger, ZeroMaskUninstallsTheLoggerAndReopeningWritesNoSecondBanner)
{
    AppLogger logger ("Midi.log", maxSize);
    logger.setLogLevel (0x1F);
    ASSERT_NE (juce::Logger::getCurrentLogger(), nullptr);

    logger.setLogLevel (0);
    EXPECT_EQ (juce::Logger::getCurrentLogger(), nullptr);
    EXPECT_EQ (logger.writeToLog ("muted", AppLogger::LOG_ERROR), 0u);

    logger.setLogLevel (0x1F);
    EXPECT_NE (juce::Logger::getCurrentLogger(), nullptr);
    logger.writeToLog ("back", AppLogger::LOG_ERROR);
    juce::Logger::writeToLog ("Ping request");

    const auto text = LogFile::text();
    EXPECT_EQ (text.indexOf ("Log started: "), text.lastIndexOf ("Log started: "));

    const auto entries = LogFile::entries();
    EXPECT_EQ (LogFile::find (entries, "muted"), -1);
    EXPECT_TRUE (LogFile::containsInOrder (entries, { "back", "Ping request" }));
}

TEST (AppLogger, EmptyFileNameOpensNoFileAndInstallsNoLogger)
{
    AppLogger logger ({}, maxSize);
    logger.setLogLevel (0x1F);

    EXPECT_EQ (juce::Logger::getCurrentLogger(), nullptr);
    EXPECT_FALSE (LogFile::file().getParentDirectory().getChildFile ("Midi.log").exists());
}

TEST (AppLogger, DestructionClearsTheProcessWideLogger)
{
    {
        AppLogger logger ("Midi.log", maxSize);
        logger.setLogLevel (0x1F);
    }

    EXPECT_EQ (juce::Logger::getCurrentLogger(), nullptr);
}

TEST (AppLogger, ExistingLargeFileIsCutToItsTailBeforeTheBanner)
{
    const auto file = LogFile::file();
    ASSERT_TRUE (file.getParentDirectory().createDirectory());

    // Made in one step: measuring a growing string's length each time round
    // would cost time quadratic in its size.
    constexpr int oldLines = 16000;
    juce::StringArray lines;

    for (int i = 0; i < oldLines; ++i)
        lines.add ("old line " + juce::String (i));

    const auto old = lines.joinIntoString ("\r\n") + "\r\n";
    ASSERT_GT (old.length(), 200000);
    ASSERT_TRUE (file.replaceWithText (old));
    const auto lastOldLine = old.trimEnd().fromLastOccurrenceOf ("\r\n", false, false);

    {
        AppLogger logger ("Midi.log", maxSize);
        logger.setLogLevel (0x1F);
    }

    const auto text = LogFile::text();
    EXPECT_LE (text.upToFirstOccurrenceOf ("\r\n***", false, false).length(), maxSize);
    EXPECT_FALSE (text.startsWith ("old line 0\r\n"));
    EXPECT_TRUE (text.contains (lastOldLine + "\r\n\r\n***"));
}
