#include "ProtocolTestSupport.h"

namespace
{
constexpr int largeSysExSize = 40000;
// Longest a call on the message thread may take. With the dump made under the
// state lock such calls waited for seconds; the rest is room for a thread
// that a loaded machine leaves waiting under ThreadSanitizer.
constexpr double responsiveMs = 200.0;
constexpr int slackMs = 1000;

// Another maker's SysEx, which the decoder leaves alone; the seed tells them apart.
Bytes largeSysEx (int seed)
{
    Bytes bytes { 0xF0, 0x41, seed };

    while ((int) bytes.size() < largeSysExSize - 1)
        bytes.push_back ((int) (bytes.size() * 7) & 0x7F);

    bytes.push_back (0xF7);
    return bytes;
}

Bytes firstBytesOf (int seed)
{
    return { 0xF0, 0x41, seed };
}

juce::String dumpTagOf (int seed)
{
    return "(I) " + hexOf (firstBytesOf (seed)) + " ";
}

// The bytes of the received message whose dump begins with these bytes, read
// back from the log; empty when there is no such dump, or when it does not
// hold 32 bytes a line with each continuation line starting under the first byte.
Bytes dumpedBytes (const std::string& log, int seed)
{
    constexpr size_t bytesPerLine = 32;
    constexpr size_t tagSize = 4; // "(I) "
    const auto tag = log.find (dumpTagOf (seed).toStdString());

    if (tag == std::string::npos)
        return {};

    const auto previousLineEnd = log.rfind ("\r\n", tag);
    const auto headWidth = tag + tagSize - (previousLineEnd == std::string::npos ? 0 : previousLineEnd + 2);
    const auto indentation = std::string (headWidth, ' ');
    const auto lineEnd = log.find ("\r\n", tag);
    Bytes bytes;
    size_t onThisLine = 0;

    for (auto at = tag + tagSize; at < lineEnd;)
    {
        if (log[at] == '\n')
        {
            if (onThisLine != bytesPerLine || log.compare (at + 1, headWidth, indentation) != 0)
                return {};

            onThisLine = 0;
            at += 1 + headWidth;
            continue;
        }

        if (onThisLine == bytesPerLine)
            return {};

        bytes.push_back (std::stoi (log.substr (at, 2), nullptr, 16));
        ++onThisLine;
        at += 3;
    }

    return bytes;
}

double nowMs()
{
    return juce::Time::getMillisecondCounterHiRes();
}

class MidiVelmorLargeSysEx : public LinkFixture
{
protected:
    int pingsSent() const
    {
        const auto ping = editorFrame (MidiVelmor::CMD_PING, { 0x00 });
        int count = 0;

        for (const auto& sent : ports->getSentMessages())
            count += bytesOf (sent.message) == ping ? 1 : 0;

        return count;
    }
};
} // namespace

TEST_F (MidiVelmorLargeSysEx, LeavesTheMessageThreadResponsiveAndTheConnectionAlive)
{
    ASSERT_TRUE (connect());
    constexpr int count = 8;

    for (int i = 0; i < count; ++i)
        ports->deliver (inputName, messageOf (largeSysEx (i)));

    // While "MidiProcessing" dumps them, the message thread keeps calling the
    // link, until two more pings show that replies queued behind them came through.
    const auto pingsBefore = pingsSent();
    const auto deadline = nowMs() + 3 * Midi::pingPeriodMs + slackMs;
    double longestCallMs = 0.0;

    while (pingsSent() < pingsBefore + 2 && nowMs() < deadline)
    {
        const auto start = nowMs();
        link->connect(); // does nothing while connected, after taking the state lock
        longestCallMs = juce::jmax (longestCallMs, nowMs() - start);
        pumpMessages (1);
    }

    EXPECT_GE (pingsSent(), pingsBefore + 2);
    EXPECT_EQ (link->getConnectionState(), Midi::STATE_CONNECTED);
    EXPECT_LT (longestCallMs, responsiveMs);

    // And while more of them are queued and dumped.
    for (int i = count; i < 2 * count; ++i)
        ports->deliver (inputName, messageOf (largeSysEx (i)));

    ports->waitUntilDelivered();
    const auto start = nowMs();
    link->disconnect();
    EXPECT_LT (nowMs() - start, responsiveMs);

    const auto log = logText().toStdString();

    for (int i = 0; i < count; ++i)
        EXPECT_EQ (dumpedBytes (log, i), largeSysEx (i)) << "dump " << i;
}

TEST_F (MidiVelmorLargeSysEx, DestroyingTheLinkWhileItStreamsAndDumpsLeavesEveryDumpWhole)
{
    ASSERT_TRUE (connect());
    constexpr int count = 4;
    constexpr int controllersBetween = 500;

    for (int i = 0; i < count; ++i)
    {
        ports->deliver (inputName, messageOf (largeSysEx (i)));

        for (int c = 0; c < controllersBetween; ++c)
            ports->deliver (inputName, messageOf ({ 0xB0, 7, c & 0x7F }));
    }

    // A dump reaches the file in one write.
    ASSERT_TRUE (pumpUntil ([]
                            { return logText().contains (dumpTagOf (0)); },
                            3 * slackMs));

    // Without disconnecting, as the instrument goes on sending.
    link->removeListener (&listener);
    link.reset();

    const auto log = logText().toStdString();

    for (int i = 0; i < count; ++i)
    {
        const auto dumped = dumpedBytes (log, i);
        EXPECT_TRUE (dumped.empty() || dumped == largeSysEx (i)) << "dump " << i << " is cut short";
    }
}
