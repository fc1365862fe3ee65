#include "KeyViewTestSupport.h"

#include "controls/PMLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
using Reports = std::vector<std::string>;

constexpr float keyWidth = 11.0f;
const juce::ModifierKeys rightButton (juce::ModifierKeys::rightButtonModifier);

float keyCentre (int key)
{
    return (float) key * keyWidth + keyWidth / 2.0f;
}

void pump (int ms)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
}

juce::Component* findMenuWindow()
{
    auto& desktop = juce::Desktop::getInstance();

    for (int i = desktop.getNumComponents(); --i >= 0;)
        if (dynamic_cast<KeyView::KeyEdit::PMLookAndFeel*> (&desktop.getComponent (i)->getLookAndFeel()) != nullptr)
            return desktop.getComponent (i);

    return nullptr;
}

void collectItemTitles (const juce::Component& parent, juce::StringArray& titles)
{
    for (auto* child : parent.getChildren())
    {
        if (auto* handler = child->getAccessibilityHandler())
            if (handler->getRole() == juce::AccessibilityRole::menuItem)
                titles.add (handler->getTitle());

        collectItemTitles (*child, titles);
    }
}

juce::StringArray itemTitles (const juce::Component& menu)
{
    juce::StringArray titles;
    collectItemTitles (menu, titles);
    return titles;
}

// The key view with break points and a ramp of values 20 + key, so that
// resampled curves can be checked against a straight line.
class BreakPointTest : public ::testing::Test
{
protected:
    BreakPointTest()
    {
        view.setSize (968, 202);
        view.addListener (&log);
        setRamp();
    }

    void setRamp()
    {
        std::vector<unsigned char> ramp;

        for (int key = 0; key < 88; ++key)
            ramp.push_back ((unsigned char) (20 + key));

        view.setKeyValues (0, ramp.data(), 88);
    }

    ~BreakPointTest() override
    {
        juce::PopupMenu::dismissAllActiveMenus();
        pump (20);
    }

    void toggleBreakPoint (int key)
    {
        pointer.press (keyCentre (key), 100.0f, rightButton);
        juce::PopupMenu::dismissAllActiveMenus();
        pump (20);
        editorOf (view).popupItemChosen (1);
    }

    // Row of the break point at the key's value 20 + key, with offset 0.
    static float markerRow (int key)
    {
        return (float) (228 - 2 * (20 + key));
    }

    int keyValue (int key) const
    {
        return valuesOf (view, key, 1).front();
    }

    bool hasMarker (int key)
    {
        juce::Image image (juce::Image::ARGB, 968, 202, true);
        juce::Graphics g (image);
        editorOf (view).paint (g);

        for (int y = 0; y < 202; ++y)
            if (image.getPixelAt (key * 11, y) == juce::Colour (0xffcd7b3f))
                return true;

        return false;
    }

    KeyView view;
    ReportLog log;
    Pointer pointer { editorOf (view) };
};
} // namespace

TEST_F (BreakPointTest, PressTakesTheBreakPointOnlyWithinEightPixelsOfItsRow)
{
    struct Case
    {
        float distance;
        bool takes;
    };

    for (const auto c : { Case { 8.0f, true }, Case { -8.0f, true }, Case { 9.0f, false }, Case { -9.0f, false } })
    {
        SCOPED_TRACE ("distance " + std::to_string (c.distance));
        toggleBreakPoint (40);
        log.take();

        const auto y = markerRow (40) + c.distance;
        pointer.press (keyCentre (40), y);
        pointer.drag (keyCentre (45), y);
        pointer.release (keyCentre (45), y);

        EXPECT_EQ (log.reports.back(), c.takes ? "changed 0 87" : "changed 40 45");
        EXPECT_EQ (hasMarker (45), c.takes);
        EXPECT_EQ (hasMarker (40), ! c.takes);

        editorOf (view).popupItemChosen (2);
        setRamp();
    }
}

TEST_F (BreakPointTest, HeldValueAboveTheMarkerTableUsesItsTopRow)
{
    const unsigned char high = 200;
    view.setKeyValues (40, &high, 1);
    toggleBreakPoint (40);
    log.take();

    pointer.press (keyCentre (40), 8.0f);
    pointer.drag (keyCentre (42), 8.0f);
    EXPECT_EQ (log.reports.back(), "changed 0 87");
}

TEST_F (BreakPointTest, MenuChoiceAfterAZoomChangeActsOnAKeyThatExists)
{
    view.setZoom (4);
    pointer.press (3870.0f, 100.0f, rightButton);
    juce::PopupMenu::dismissAllActiveMenus();
    pump (20);

    view.setZoom (1);
    editorOf (view).popupItemChosen (1);
    EXPECT_TRUE (hasMarker (87));
}

TEST_F (BreakPointTest, MarkerRowFollowsTheOffset)
{
    toggleBreakPoint (40);
    view.setOffset (74);
    log.take();

    pointer.press (keyCentre (40), markerRow (40) - 20.0f);
    pointer.drag (keyCentre (42), markerRow (40) - 20.0f);
    EXPECT_EQ (log.reports.back(), "changed 0 87");
}

TEST_F (BreakPointTest, LoneBreakPointCarriesTheWholeCurveAndLosesNothing)
{
    toggleBreakPoint (40);
    log.take();

    pointer.press (keyCentre (40), 108.0f);
    EXPECT_EQ (log.take(), (Reports { "over 40 61", "changed 0 87" }));

    // 20 pixels up is a rise of 9.95 in value units; the curve shifts 5 keys right.
    pointer.drag (keyCentre (45), 88.0f);
    EXPECT_EQ (log.take(), (Reports { "over 45 71", "changed 0 87" }));
    EXPECT_EQ (valuesOf (view, 0, 5), std::vector<int> (5, 29));
    EXPECT_EQ (keyValue (5), 29);
    EXPECT_EQ (keyValue (6), 30);
    EXPECT_EQ (keyValue (44), 68);
    EXPECT_EQ (keyValue (45), 71);
    EXPECT_EQ (keyValue (46), 70);
    EXPECT_EQ (keyValue (86), 110);
    EXPECT_EQ (keyValue (87), 111);
    EXPECT_TRUE (hasMarker (45));
    EXPECT_FALSE (hasMarker (40));

    // Far past the top: the held values stay within range, and going back
    // restores the curve saved at the press.
    pointer.drag (keyCentre (45), 0.0f);
    view.setMove (-20.0f);
    EXPECT_EQ (keyValue (87), 94);
    pointer.drag (keyCentre (40), 108.0f);
    pointer.release (keyCentre (40), 108.0f);

    for (int key = 0; key < 88; ++key)
        EXPECT_EQ (keyValue (key), key == 40 ? 61 : 20 + key) << "key " << key;

    EXPECT_TRUE (hasMarker (40));
}

TEST_F (BreakPointTest, BreakPointBetweenNeighboursReshapesOnlyTheKeysBetweenThem)
{
    toggleBreakPoint (30);
    toggleBreakPoint (50);
    toggleBreakPoint (40);
    log.take();

    pointer.press (keyCentre (40), 108.0f);
    pointer.drag (keyCentre (44), 108.0f);
    EXPECT_EQ (log.reports.back(), "changed 31 49");

    for (int key = 0; key <= 30; ++key)
        EXPECT_EQ (keyValue (key), 20 + key) << "key " << key;

    for (int key = 50; key < 88; ++key)
        EXPECT_EQ (keyValue (key), 20 + key) << "key " << key;

    // The saved straight line is stretched: 31..43 cover 30..40, 45..49 cover 40..50.
    for (int key = 31; key < 44; ++key)
        EXPECT_NEAR (keyValue (key), 50.0 + (key - 30) * 10.0 / 14.0, 1.0) << "key " << key;

    for (int key = 45; key < 50; ++key)
        EXPECT_NEAR (keyValue (key), 70.0 - (50 - key) * 10.0 / 6.0, 1.0) << "key " << key;

    EXPECT_EQ (keyValue (44), 61);

    // Cannot pass a neighbour; a rise ramps up from each neighbour toward the marker.
    pointer.drag (keyCentre (70), 88.0f);
    EXPECT_TRUE (hasMarker (49));
    EXPECT_TRUE (hasMarker (50));
    EXPECT_EQ (keyValue (49), 71);
    EXPECT_EQ (keyValue (50), 70);
    EXPECT_NEAR (keyValue (31), 50.0 + 10.0 / 19.0 + 9.95 / 19.0, 1.0);
    EXPECT_EQ (log.reports.back(), "changed 31 49");
}

TEST_F (BreakPointTest, BreakPointBetweenAdjacentNeighboursOnlyMovesUpAndDown)
{
    toggleBreakPoint (39);
    toggleBreakPoint (41);
    toggleBreakPoint (40);
    log.take();

    pointer.press (keyCentre (40), 108.0f);
    pointer.drag (keyCentre (45), 108.0f);
    EXPECT_EQ (log.take(), (Reports { "over 40 61", "changed 40 40" }));

    pointer.drag (keyCentre (45), 88.0f);
    EXPECT_EQ (log.take(), (Reports { "over 40 71", "changed 40 40" }));
    EXPECT_TRUE (hasMarker (40));
    EXPECT_EQ (keyValue (39), 59);
    EXPECT_EQ (keyValue (41), 61);
}

TEST_F (BreakPointTest, MarkerDraggedEitherWayResamplesTheSavedCurveExactly)
{
    struct Case
    {
        std::vector<int> neighbours;
        int toKey;
        float rise;
        int firstKey;
        std::vector<int> values;
    };

    // Key 40 holds 80, whose marker row is 68. On a jagged curve a sampling
    // position a little off shows at once. Between neighbours one side is
    // stretched and the other squeezed; a lone marker repeats an end value.
    // Moved only sideways, some keys fall just short of a whole value as the
    // sampling position is stepped out from each neighbour.
    const std::vector<Case> cases {
        { { 30, 50 }, 44, 15.0f, 29, { 77, 114, 68, 66, 79, 34, 46, 73, 100, 55, 53, 80, 107, 76, 60, 88, 46, 73, 66, 59, 86, 46, 83 } },
        { { 30, 50 }, 36, -15.0f, 29, { 77, 114, 73, 32, 93, 52, 79, 73, 27, 25, 52, 79, 48, 32, 59, 86, 69, 39, 66, 93, 91, 46, 83 } },
        { { 30, 50 }, 44, 0.0f, 29, { 77, 114, 68, 65, 77, 32, 44, 70, 96, 51, 48, 75, 101, 70, 53, 81, 40, 68, 62, 57, 85, 46, 83 } },
        { { 30, 50 }, 35, 0.0f, 29, { 77, 114, 87, 60, 33, 107, 81, 37, 28, 52, 77, 68, 26, 50, 75, 99, 57, 48, 72, 97, 88, 46, 83 } },
        { {}, 36, -15.0f, 76, { 37, 74, 14, 47, 84, 20, 57, 94, 94, 94, 94, 94 } },
        { {}, 44, 15.0f, 0, { 21, 21, 21, 21, 21, 58, 95, 31, 68, 105, 41, 78 } },
    };

    std::vector<unsigned char> curve;

    for (int key = 0; key < 88; ++key)
        curve.push_back ((unsigned char) (14 + (key * 37) % 101));

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("to key " + std::to_string (c.toKey) + " rise " + std::to_string (c.rise));
        view.setKeyValues (0, curve.data(), 88);
        editorOf (view).popupItemChosen (2);

        for (const auto key : c.neighbours)
            toggleBreakPoint (key);

        toggleBreakPoint (40);
        pointer.press (keyCentre (40), 68.0f);
        pointer.drag (keyCentre (c.toKey), 68.0f - c.rise);
        EXPECT_EQ (valuesOf (view, c.firstKey, (int) c.values.size()), c.values);
        pointer.release (keyCentre (c.toKey), 68.0f - c.rise);
    }
}

TEST_F (BreakPointTest, MenuActsOnTheKeyOfTheRightPress)
{
    pointer.press (keyCentre (10), 100.0f, rightButton);
    pointer.move (keyCentre (20), 100.0f);
    juce::PopupMenu::dismissAllActiveMenus();
    pump (20);
    editorOf (view).popupItemChosen (1);
    EXPECT_TRUE (hasMarker (10));
    EXPECT_FALSE (hasMarker (20));

    toggleBreakPoint (20);
    editorOf (view).popupItemChosen (0);
    editorOf (view).popupItemChosen (7);
    EXPECT_TRUE (hasMarker (10));
    EXPECT_TRUE (hasMarker (20));

    editorOf (view).popupItemChosen (2);
    EXPECT_FALSE (hasMarker (10));
    EXPECT_FALSE (hasMarker (20));

    toggleBreakPoint (20);
    toggleBreakPoint (20);
    EXPECT_FALSE (hasMarker (20));
    EXPECT_EQ (log.reports, (Reports { "over 20 40" }));
}

// A real menu needs X focus, or it closes itself at once.
class BreakPointMenuTest : public ::testing::Test
{
protected:
    BreakPointMenuTest()
    {
        view = std::make_unique<KeyView>();
        view->setBounds (0, 0, 968, 202);
        view->addToDesktop (0);
        view->setVisible (true);
        view->toFront (true);
        view->grabKeyboardFocus();

        for (int i = 0; i < 100 && ! juce::Process::isForegroundProcess(); ++i)
            pump (20);
    }

    ~BreakPointMenuTest() override
    {
        juce::PopupMenu::dismissAllActiveMenus();
        pump (50);
    }

    juce::Component* openMenuOn (int key)
    {
        editorOf (*view).mouseDown (mouseAt (editorOf (*view), keyCentre (key), 100.0f, rightButton));

        for (int i = 0; i < 50 && findMenuWindow() == nullptr; ++i)
            pump (10);

        pump (50);
        return findMenuWindow();
    }

    std::unique_ptr<KeyView> view;
};

TEST_F (BreakPointMenuTest, MenuOffersTheBreakPointItemsInThePanelLook)
{
    ASSERT_TRUE (juce::Process::isForegroundProcess());
    auto* menu = openMenuOn (12);
    ASSERT_NE (menu, nullptr);

    EXPECT_EQ (itemTitles (*menu), juce::StringArray ("Add a break point", "Clear all break points"));

    auto& look = *dynamic_cast<KeyView::KeyEdit::PMLookAndFeel*> (&menu->getLookAndFeel());
    EXPECT_EQ (look.findColour (juce::PopupMenu::backgroundColourId), juce::Colour (0xff000000));
    EXPECT_EQ (look.findColour (juce::PopupMenu::textColourId), juce::Colour (0xffd0d0d0));
    EXPECT_EQ (look.findColour (juce::PopupMenu::highlightedBackgroundColourId), juce::Colour (0xff404040));
    EXPECT_EQ (look.findColour (juce::PopupMenu::highlightedTextColourId), juce::Colour (0xffffffff));
    EXPECT_FLOAT_EQ (look.getPopupMenuFont().getHeight(), 26.0f);
    EXPECT_EQ (look.getPopupMenuFont().getTypefaceName(), "Roboto Condensed");

    // Choosing the first item through the menu itself adds the break point.
    menu->keyPressed (juce::KeyPress (juce::KeyPress::downKey));
    menu->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    pump (100);
    ASSERT_EQ (findMenuWindow(), nullptr);

    menu = openMenuOn (12);
    ASSERT_NE (menu, nullptr);
    EXPECT_EQ (itemTitles (*menu), juce::StringArray ("Remove this break point", "Clear all break points"));
}

TEST_F (BreakPointMenuTest, ViewDeletedWhileItsMenuIsOpenTakesTheMenuDown)
{
    ASSERT_TRUE (juce::Process::isForegroundProcess());
    const auto withoutMenu = juce::Desktop::getInstance().getNumComponents();
    ASSERT_NE (openMenuOn (30), nullptr);

    view.reset();
    pump (100);
    EXPECT_EQ (juce::Desktop::getInstance().getNumComponents(), withoutMenu - 1);
}
