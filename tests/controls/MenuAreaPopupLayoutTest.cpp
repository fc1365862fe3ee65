#include "controls/MenuAreaPopup.h"

#include <gtest/gtest.h>

namespace
{
constexpr int border = 2;

std::vector<int> heights (int count, int height)
{
    return std::vector<int> ((size_t) count, height);
}

struct LayoutCase
{
    const char* name;
    juce::Rectangle<int> area;
    std::vector<int> itemHeights;
    int rows;
    int columns;
    int columnWidth;
};

std::string caseName (const testing::TestParamInfo<LayoutCase>& testCase)
{
    return testCase.param.name;
}

class MenuAreaLayout : public testing::TestWithParam<LayoutCase>
{
};

TEST_P (MenuAreaLayout, FillsTheAreaInEqualColumnsTopToBottomThenLeftToRight)
{
    const auto& c = GetParam();
    const auto layout = MenuAreaPopup::layOut (c.area, c.itemHeights, border);

    EXPECT_EQ (layout.rows, c.rows);
    EXPECT_EQ (layout.columns, c.columns);
    EXPECT_EQ (layout.columnWidth, c.columnWidth);
    EXPECT_EQ (layout.window, c.area.translated (1, 1));
    ASSERT_EQ (layout.items.size(), c.itemHeights.size());

    for (size_t i = 0; i < layout.items.size(); ++i)
    {
        const auto row = (int) i % c.rows;
        const auto column = (int) i / c.rows;
        auto y = border;

        for (auto above = i - (size_t) row; above < i; ++above)
            y += c.itemHeights[above];

        EXPECT_EQ (layout.items[i], juce::Rectangle<int> (column * c.columnWidth, y, c.columnWidth, c.itemHeights[i])) << "item " << i;
    }
}

INSTANTIATE_TEST_SUITE_P (Cases,
                          MenuAreaLayout,
                          testing::Values (LayoutCase { "microperformances", { 12, 34, 1000, 509 }, heights (64, 31), 16, 4, 250 },
                                           LayoutCase { "icons", { 398, 36, 332, 504 }, heights (15, 100), 5, 3, 110 },
                                           LayoutCase { "fewItems", { 0, 0, 1000, 509 }, heights (3, 31), 16, 1, 1000 },
                                           LayoutCase { "oneOverARow", { 0, 0, 1000, 509 }, heights (17, 31), 16, 2, 500 },
                                           LayoutCase { "tallestItemSetsTheRows", { 0, 0, 300, 104 }, { 10, 50, 10, 10 }, 2, 2, 150 }),
                          caseName);

TEST (MenuAreaLayoutCases, MatchesTheKnownPositions)
{
    const auto list = MenuAreaPopup::layOut ({ 0, 0, 1000, 509 }, heights (64, 31), border);
    EXPECT_EQ (list.items[16].getPosition(), juce::Point<int> (250, 2));

    const auto icons = MenuAreaPopup::layOut ({ 0, 0, 332, 504 }, heights (15, 100), border);

    for (int row = 0; row < 5; ++row)
        EXPECT_EQ (icons.items[(size_t) row].getY(), 2 + 100 * row);

    const auto overflow = MenuAreaPopup::layOut ({ 0, 0, 1000, 509 }, heights (17, 31), border);
    EXPECT_EQ (overflow.items[16].getPosition(), juce::Point<int> (500, 2));
}

TEST (MenuAreaLayoutCases, RowsLeaveRoomForTheBorderAboveAndBelow)
{
    // 100 px would hold two 50 px rows, but not with 2 px of border at each end.
    const auto layout = MenuAreaPopup::layOut ({ 0, 0, 200, 100 }, heights (4, 50), border);
    EXPECT_EQ (layout.rows, 1);
    EXPECT_EQ (layout.columns, 4);
}

TEST (MenuAreaLayoutCases, AnAreaLowerThanAnItemStillGetsOneRow)
{
    for (auto areaHeight : { 30, 4, 0, -10 })
    {
        const auto layout = MenuAreaPopup::layOut ({ 0, 0, 90, areaHeight }, heights (3, 31), border);
        EXPECT_EQ (layout.rows, 1) << areaHeight;
        EXPECT_EQ (layout.columns, 3) << areaHeight;
        EXPECT_EQ (layout.columnWidth, 30) << areaHeight;
    }
}

TEST (MenuAreaLayoutCases, NoItemsGiveNoColumns)
{
    const auto layout = MenuAreaPopup::layOut ({ 5, 5, 100, 100 }, {}, border);
    EXPECT_EQ (layout.columns, 0);
    EXPECT_TRUE (layout.items.empty());
    EXPECT_EQ (layout.window, juce::Rectangle<int> (6, 6, 100, 100));
}

TEST (MenuAreaLayoutCases, ItemHeightsAreLimitedLikeTheFrameworksMenus)
{
    const auto layout = MenuAreaPopup::layOut ({ 0, 0, 100, 2000 }, { 0, 900 }, border);
    EXPECT_EQ (layout.items[0].getHeight(), MenuAreaPopup::minItemHeight);
    EXPECT_EQ (layout.items[1].getHeight(), MenuAreaPopup::maxItemHeight);
    EXPECT_EQ (layout.rows, (2000 - 2 * border) / MenuAreaPopup::maxItemHeight);
}

TEST (MenuAreaPopup, AMenuWithoutItemsOpensNoWindowAndStillReportsNothingChosen)
{
    std::vector<int> results;
    auto record = [&results] (int result)
    { results.push_back (result); };
    juce::LookAndFeel_V3 lookAndFeel;

    MenuAreaPopup::showAsync ({}, juce::PopupMenu::Options().withTargetScreenArea ({ 0, 0, 300, 300 }), lookAndFeel, juce::ModalCallbackFunction::create (record));
    EXPECT_EQ (juce::Desktop::getInstance().getNumComponents(), 0);
    EXPECT_TRUE (results.empty()) << "never from within the call";

    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    EXPECT_EQ (results, std::vector<int> { 0 });
}
} // namespace
