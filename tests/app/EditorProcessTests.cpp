#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "XDisplaySession.h"

#include <functional>

namespace
{
constexpr int startTimeoutMs = 30000;
constexpr int exitTimeoutMs = 20000;
constexpr int closeRetryMs = 2000;
const juce::String titlePattern { "^Velmor Piano Editor v1\\.0$" };

juce::String runTool (const juce::StringArray& arguments)
{
    juce::ChildProcess tool;
    if (! tool.start (arguments, juce::ChildProcess::wantStdOut))
        return {};

    auto output = tool.readAllProcessOutput();
    tool.waitForProcessToFinish (exitTimeoutMs);
    return output;
}

juce::StringArray findEditorWindows()
{
    auto lines = juce::StringArray::fromLines (runTool ({ "xdotool", "search", "--onlyvisible", "--name", titlePattern }));
    lines.removeEmptyStrings();
    return lines;
}

juce::StringPairArray windowGeometry (const juce::String& windowId)
{
    juce::StringPairArray values;
    for (const auto& line : juce::StringArray::fromLines (runTool ({ "xdotool", "getwindowgeometry", "--shell", windowId })))
        if (line.contains ("="))
            values.set (line.upToFirstOccurrenceOf ("=", false, false), line.fromFirstOccurrenceOf ("=", false, false));
    return values;
}

bool waitUntil (std::function<bool()> condition, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (juce::Time::getMillisecondCounter() < end)
    {
        if (condition())
            return true;
        juce::Thread::sleep (50);
    }
    return condition();
}

// One started copy of the editor; killed at the end of the test if it still runs.
struct EditorProcess
{
    bool start() { return process.start (juce::StringArray { VELMOR_EDITOR_PATH }, 0); }

    ~EditorProcess()
    {
        if (process.isRunning())
            process.kill();
    }

    juce::ChildProcess process;
};

class RunningEditor : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (session.isOpen()) << "no X display";
        ASSERT_TRUE (editor.start()) << VELMOR_EDITOR_PATH;
        ASSERT_TRUE (waitUntil ([]
                                { return findEditorWindows().size() == 1; },
                                startTimeoutMs))
            << "no window titled " << titlePattern;
        window = findEditorWindows()[0];
    }

    XDisplaySession session;
    EditorProcess editor;
    juce::String window;
};
} // namespace

TEST_F (RunningEditor, ShowsOneCentredWindowOfThePanelSize)
{
    const auto geometry = windowGeometry (window);
    EXPECT_EQ (geometry["WIDTH"], "1024");
    EXPECT_EQ (geometry["HEIGHT"], "748");

    const auto display = juce::StringArray::fromTokens (runTool ({ "xdotool", "getdisplaygeometry" }).trim(), false);
    ASSERT_EQ (display.size(), 2);
    EXPECT_EQ (geometry["X"].getIntValue(), (display[0].getIntValue() - 1024) / 2);
    EXPECT_EQ (geometry["Y"].getIntValue(), (display[1].getIntValue() - 748) / 2);
}

TEST_F (RunningEditor, SecondStartEndsWithoutOpeningAWindow)
{
    EditorProcess second;
    ASSERT_TRUE (second.start());
    ASSERT_TRUE (second.process.waitForProcessToFinish (exitTimeoutMs)) << "the second copy kept running";
    EXPECT_EQ (second.process.getExitCode(), 0u);

    EXPECT_EQ (findEditorWindows(), juce::StringArray { window });
    EXPECT_TRUE (editor.process.isRunning());
}

TEST_F (RunningEditor, ClosingTheWindowQuits)
{
    // On a bare display nothing else reaches the editor, and Xlib may have
    // taken the request into its queue while the framework waits for the
    // connection to become readable: the request is repeated, as a user's
    // second click would be, until the editor goes.
    const auto closed = waitUntil ([this]
                                   { return session.askToClose ((unsigned long) window.getLargeIntValue())
                                            && editor.process.waitForProcessToFinish (closeRetryMs); },
                                   exitTimeoutMs);

    ASSERT_TRUE (closed) << "the editor kept running after its window was closed";
    EXPECT_EQ (editor.process.getExitCode(), 0u);
    EXPECT_TRUE (findEditorWindows().isEmpty());
}

TEST (EditorWithoutDisplay, SaysSoAndEndsWithAnError)
{
    juce::ChildProcess editor;
    ASSERT_TRUE (editor.start (juce::StringArray { "env", "-u", "DISPLAY", VELMOR_EDITOR_PATH }, juce::ChildProcess::wantStdErr));
    const auto output = editor.readAllProcessOutput();
    ASSERT_TRUE (editor.waitForProcessToFinish (exitTimeoutMs));

    EXPECT_NE (editor.getExitCode(), 0u);
    EXPECT_TRUE (output.contains ("needs a graphical display")) << output;
}
