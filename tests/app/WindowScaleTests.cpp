#include "app/WindowScale.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace
{
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
