#include "app/DesktopWorkArea.h"
#include "app/WindowScale.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace
{
DesktopWorkArea::Property cardinals (std::vector<long> values)
{
    return { true, 32, std::move (values) };
}

TEST (WindowScale, TheLimitIsTheLargestScaleThatTheDisplayHolds)
{
    struct Case
    {
        int width;
        int height;
        double scale;
        int limit;
    };

    const Case cases[] = {
        { 1024, 748, 1.0, 100 },
        { 1366, 744, 1.0, 99 },
        { 1440, 877, 1.0, 117 },
        { 1920, 1057, 1.0, 141 },
        { 1920, 1080, 1.0, 144 },
        { 1280, 1024, 1.0, 125 },
        { 800, 600, 1.0, 78 },
        { 640, 480, 1.0, 62 },
        { 1024, 748, 2.0, 200 },
        { 1440, 877, 2.0, 234 },
        { 0, 0, 1.0, 0 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (WindowScale::getLimit ({ c.width, c.height, c.scale }), c.limit) << c.width << " x " << c.height << " at " << c.scale;
}

TEST (WindowScale, AFactorAboveTheLimitFallsToTheLargestListedScaleThatFits)
{
    struct Case
    {
        int factor;
        int limit;
        int result;
    };

    const Case cases[] = {
        { 150, 150, 150 }, // equal to the limit
        { 95, 117, 95 }, // not listed, but it fits
        { 200, 141, 125 },
        { 100, 99, 90 },
        { 175, 77, 70 },
        { 90, 77, 70 },
        { 200, 62, 70 }, // nothing fits: the smallest listed scale
    };

    for (const auto& c : cases)
        EXPECT_EQ (WindowScale::fallBack (c.factor, c.limit), c.result) << c.factor << " with limit " << c.limit;
}

TEST (WindowScale, KeysGetAWiderBorderBelowFullSize)
{
    EXPECT_EQ (WindowScale::getKeyBorder (70), 3);
    EXPECT_EQ (WindowScale::getKeyBorder (99), 3);
    EXPECT_EQ (WindowScale::getKeyBorder (100), 2);
    EXPECT_EQ (WindowScale::getKeyBorder (200), 2);
}

TEST (WindowScale, TheLimitReadsTheCurrentDesktopsWorkAreaOnTheMainDisplay)
{
    struct Case
    {
        const char* name;
        WindowScale::MainDisplay display;
        juce::Point<int> topLeft;
        DesktopWorkArea::Published published;
        WindowScale::MainDisplay expected;
        int limit;
    };

    const WindowScale::MainDisplay laptop { 1366, 768, 1.0 };
    const auto topBar = cardinals ({ 0, 27, 1366, 741 });
    const DesktopWorkArea::Property notCardinals { false, 32, { 0, 27, 1366, 741 } };
    const DesktopWorkArea::Property sixteenBits { true, 16, {} };

    const Case cases[] = {
        { "none published", laptop, {}, {}, laptop, 102 },
        { "a top bar", laptop, {}, { topBar, cardinals ({ 0 }) }, { 1366, 741, 1.0 }, 99 },
        { "a top bar, no current desktop", laptop, {}, { topBar, {} }, { 1366, 741, 1.0 }, 99 },
        { "a left dock", { 1024, 768, 1.0 }, {}, { cardinals ({ 48, 0, 976, 768 }), cardinals ({ 0 }) }, { 976, 768, 1.0 }, 95 },
        { "the second of two desktops", laptop, {}, { cardinals ({ 0, 0, 1366, 768, 0, 27, 1366, 741 }), cardinals ({ 1 }) }, { 1366, 741, 1.0 }, 99 },
        { "an area across two screens", laptop, {}, { cardinals ({ 0, 27, 3286, 1053 }), cardinals ({ 0 }) }, { 1366, 741, 1.0 }, 99 },
        { "a main display right of a docked one", { 1024, 768, 1.0 }, { 1920, 0 }, { cardinals ({ 48, 0, 2896, 768 }), cardinals ({ 0 }) }, { 1024, 768, 1.0 }, 100 },
        { "device pixels at twice the density", { 1366, 768, 2.0 }, {}, { cardinals ({ 0, 54, 2732, 1482 }), cardinals ({ 0 }) }, { 1366, 741, 2.0 }, 198 },
        { "not cardinals", laptop, {}, { notCardinals, cardinals ({ 0 }) }, laptop, 102 },
        { "16-bit values", laptop, {}, { sixteenBits, cardinals ({ 0 }) }, laptop, 102 },
        { "too few values for the current desktop", laptop, {}, { topBar, cardinals ({ 1 }) }, laptop, 102 },
        { "a current desktop that is not a cardinal", laptop, {}, { topBar, notCardinals }, laptop, 102 },
        { "an empty area", laptop, {}, { cardinals ({ 0, 0, 0, 741 }), cardinals ({ 0 }) }, laptop, 102 },
        { "an area off the display", laptop, {}, { cardinals ({ 1366, 0, 1920, 1080 }), cardinals ({ 0 }) }, laptop, 102 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto display = DesktopWorkArea::withinWorkArea (c.display, c.topLeft, c.published);

        EXPECT_EQ (display.userWidth, c.expected.userWidth);
        EXPECT_EQ (display.userHeight, c.expected.userHeight);
        EXPECT_DOUBLE_EQ (display.scale, c.expected.scale);
        EXPECT_EQ (WindowScale::getLimit (display), c.limit);
    }
}

TEST (WindowScale, TheDisplayReadingDoesNotChangeWithTheScaleInForce)
{
    auto& desktop = juce::Desktop::getInstance();

    if (desktop.getDisplays().getPrimaryDisplay() == nullptr)
        GTEST_SKIP() << "needs a display";

    const auto atFullSize = WindowScale::readMainDisplay ({});

    for (const auto scale : { 0.7f, 0.9f, 1.25f, 1.5f, 1.75f, 2.0f })
    {
        desktop.setGlobalScaleFactor (scale);
        EXPECT_EQ (WindowScale::getLimit (WindowScale::readMainDisplay (atFullSize)), WindowScale::getLimit (atFullSize)) << scale;
    }

    desktop.setGlobalScaleFactor (1.0f);
}
} // namespace
