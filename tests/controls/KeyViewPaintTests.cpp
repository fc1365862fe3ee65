#include "KeyViewTestSupport.h"

#include <gtest/gtest.h>

namespace
{
const juce::Colour whiteColumn (0xff312e27);
const juce::Colour blackColumn (0xff24211a);
const juce::Colour centreLine (0xffff4800);
const juce::Colour bar (0x4045a1ff);
const juce::Colour transparent (0x00000000);

juce::Image paintOf (KeyView& view, int width = 968, juce::Rectangle<int> clip = {})
{
    juce::Image image (juce::Image::ARGB, width, 202, true);
    juce::Graphics g (image);

    if (! clip.isEmpty())
        g.reduceClipRegion (clip);

    editorOf (view).paint (g);
    return image;
}

testing::AssertionResult looksLike (const juce::Image& image, int x, int y, juce::Colour expected)
{
    const auto actual = image.getPixelAt (x, y);
    const auto near = [] (juce::uint8 a, juce::uint8 b)
    { return std::abs ((int) a - (int) b) <= 2; };

    if (near (actual.getAlpha(), expected.getAlpha()) && near (actual.getRed(), expected.getRed())
        && near (actual.getGreen(), expected.getGreen()) && near (actual.getBlue(), expected.getBlue()))
        return testing::AssertionSuccess();

    return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << actual.toDisplayString (true)
                                       << ", expected " << expected.toDisplayString (true);
}

// Column of key k at zoom 1 runs from x = 11 k + 1, 9 pixels wide.
int columnX (int key)
{
    return key * 11 + 1;
}
} // namespace

TEST (KeyViewPaint, NewViewShowsColumnsWithOnlyTheCentreLineAndItsBar)
{
    KeyView view;
    const auto image = paintOf (view);

    EXPECT_TRUE (looksLike (image, columnX (0), 50, whiteColumn));
    EXPECT_TRUE (looksLike (image, columnX (1), 50, blackColumn));
    EXPECT_TRUE (looksLike (image, columnX (87), 201, whiteColumn));
    EXPECT_TRUE (looksLike (image, columnX (0) + 8, 50, whiteColumn));
    EXPECT_TRUE (looksLike (image, columnX (0) + 9, 50, transparent));
    EXPECT_TRUE (looksLike (image, 0, 50, transparent));

    const auto centre = centreLine.overlaidWith (bar);

    for (const auto key : { 0, 1, 44, 87 })
    {
        SCOPED_TRACE ("key " + std::to_string (key));
        const auto column = key == 1 ? blackColumn : whiteColumn;
        EXPECT_TRUE (looksLike (image, columnX (key), 99, column));
        EXPECT_TRUE (looksLike (image, columnX (key), 100, centre));
        EXPECT_TRUE (looksLike (image, columnX (key) + 8, 101, centre));
        EXPECT_TRUE (looksLike (image, columnX (key), 102, column));
    }
}

TEST (KeyViewPaint, BarsReachTheRowOfTheRoundedLimitedValue)
{
    struct Case
    {
        unsigned char held;
        float move;
        int firstBarRow, lastBarRow;
    };

    // Key 0 is white; the bar includes the centre line rows 100 and 101.
    for (const auto c : { Case { 114, 0.0f, 0, 101 }, Case { 200, 0.0f, 0, 101 }, Case { 14, 0.0f, 100, 201 }, Case { 0, 0.0f, 100, 201 }, Case { 65, 0.0f, 98, 101 }, Case { 64, 0.5f, 100, 101 }, Case { 65, 0.5f, 96, 101 }, Case { 63, 0.0f, 100, 103 } })
    {
        SCOPED_TRACE ("value " + std::to_string (c.held) + " + " + std::to_string (c.move));
        KeyView view;
        view.setKeyValues (0, &c.held, 1);

        if (c.move != 0.0f)
            view.setMove (c.move);

        const auto image = paintOf (view);

        for (int y = 0; y < 202; ++y)
        {
            const auto inBar = y >= c.firstBarRow && y <= c.lastBarRow;
            const auto onLine = y == 100 || y == 101;
            const auto expected = onLine ? centreLine.overlaidWith (bar) : (inBar ? whiteColumn.overlaidWith (bar) : whiteColumn);
            ASSERT_TRUE (looksLike (image, columnX (0) + 4, y, expected));
        }
    }
}

TEST (KeyViewPaint, OffsetMovesTheCentreLine)
{
    struct Case
    {
        unsigned char value;
        int lineRow;
    };

    for (const auto c : { Case { 64, 100 }, Case { 114, 0 }, Case { 14, 200 }, Case { 74, 80 } })
    {
        SCOPED_TRACE ("offset value " + std::to_string (c.value));
        KeyView view;
        view.setOffset (c.value);
        const auto image = paintOf (view);

        EXPECT_TRUE (looksLike (image, columnX (0), c.lineRow, centreLine.overlaidWith (bar)));
        EXPECT_TRUE (looksLike (image, columnX (0), c.lineRow + 1, centreLine.overlaidWith (bar)));

        if (c.lineRow > 0)
        {
            EXPECT_TRUE (looksLike (image, columnX (0), c.lineRow - 1, whiteColumn));
        }

        if (c.lineRow < 200)
        {
            EXPECT_TRUE (looksLike (image, columnX (0), c.lineRow + 2, whiteColumn));
        }
    }
}

TEST (KeyViewPaint, SoundingKeysAreLitUntilAllNotesGoOff)
{
    KeyView view;
    view.setNote (0, true);
    view.setNote (1, true);
    view.setNote (88, true);
    view.setNote (255, true);

    auto image = paintOf (view);
    EXPECT_TRUE (looksLike (image, columnX (0), 50, whiteColumn.overlaidWith (juce::Colour (0x50ffffff))));
    EXPECT_TRUE (looksLike (image, columnX (1), 50, blackColumn.overlaidWith (juce::Colour (0xdb000000))));
    EXPECT_TRUE (looksLike (image, columnX (2), 50, whiteColumn));
    EXPECT_TRUE (looksLike (image, columnX (0), 100, centreLine.overlaidWith (bar)));

    view.setNote (0, false);
    image = paintOf (view);
    EXPECT_TRUE (looksLike (image, columnX (0), 50, whiteColumn));
    EXPECT_TRUE (looksLike (image, columnX (1), 50, blackColumn.overlaidWith (juce::Colour (0xdb000000))));

    view.setAllNotesOff();
    image = paintOf (view);
    EXPECT_TRUE (looksLike (image, columnX (1), 50, blackColumn));
}

TEST (KeyViewPaint, KeyBorderSetsTheGapBetweenColumns)
{
    KeyView view;
    view.setKeyBorder (3);
    auto image = paintOf (view);
    EXPECT_TRUE (looksLike (image, columnX (0) + 7, 50, whiteColumn));
    EXPECT_TRUE (looksLike (image, columnX (0) + 8, 50, transparent));

    view.setKeyBorder (2);
    image = paintOf (view);
    EXPECT_TRUE (looksLike (image, columnX (0) + 8, 50, whiteColumn));
}

TEST (KeyViewPaint, DrawsOnlyTheKeysInsideTheClipAndNothingPastTheLastKey)
{
    KeyView view;
    auto image = paintOf (view, 1100, { 22, 0, 1078, 202 });
    EXPECT_TRUE (looksLike (image, columnX (1), 50, transparent));
    EXPECT_TRUE (looksLike (image, columnX (2), 50, whiteColumn));
    EXPECT_TRUE (looksLike (image, columnX (87) + 8, 50, whiteColumn));

    for (int x = 967; x < 1100; ++x)
        ASSERT_TRUE (looksLike (image, x, 50, transparent));

    view.setZoom (4);
    image = paintOf (view, 968, { 45, 0, 20, 202 });
    EXPECT_TRUE (looksLike (image, 44 + 1, 50, blackColumn));
    EXPECT_TRUE (looksLike (image, 1, 50, transparent));
    EXPECT_TRUE (looksLike (image, 88 + 1, 50, transparent));
}
