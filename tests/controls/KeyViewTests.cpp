#include "KeyViewTestSupport.h"

#include <gtest/gtest.h>

#include <array>

namespace
{
using Reports = std::vector<std::string>;

class KeyViewTest : public ::testing::Test
{
protected:
    KeyViewTest()
    {
        view.setSize (968, 202);
        view.addListener (&log);
    }

    void setKey (int key, unsigned char value)
    {
        view.setKeyValues ((unsigned char) key, &value, 1);
    }

    int keyValue (int key) const
    {
        return valuesOf (view, key, 1).front();
    }

    KeyView view;
    ReportLog log;
    Pointer pointer { editorOf (view) };
};

float keyCentre (int key, int keyWidth)
{
    return (float) (key * keyWidth + keyWidth / 2);
}
} // namespace

TEST_F (KeyViewTest, NewViewHoldsEveryKeyAtTheCentreOnTheNarrowestZoom)
{
    EXPECT_EQ (valuesOf (view), std::vector<int> (88, 64));
    EXPECT_EQ (editorOf (view).getBounds(), juce::Rectangle<int> (0, 0, 968, 202));
    EXPECT_FALSE (view.isHorizontalScrollBarShown());
    EXPECT_FALSE (view.isVerticalScrollBarShown());
    EXPECT_EQ (view.getScrollOnDragMode(), juce::Viewport::ScrollOnDragMode::never);
}

TEST_F (KeyViewTest, ReadsAndWritesOnlyTheKeysThatExist)
{
    struct Case
    {
        int first, count, copied;
    };

    for (const auto c : { Case { 0, 88, 88 }, Case { 80, 20, 8 }, Case { 87, 255, 1 }, Case { 10, 0, 0 }, Case { 88, 5, 0 }, Case { 200, 255, 0 } })
    {
        SCOPED_TRACE ("first " + std::to_string (c.first) + " count " + std::to_string (c.count));

        std::array<unsigned char, 256> dest;
        dest.fill (0xee);
        view.getKeyValues ((unsigned char) c.first, dest.data(), (unsigned char) c.count);

        for (int i = 0; i < 256; ++i)
            ASSERT_EQ (dest[(size_t) i], i < c.copied ? 64 : 0xee) << "byte " << i;

        std::array<unsigned char, 256> source;
        source.fill (30);
        view.setKeyValues ((unsigned char) c.first, source.data(), (unsigned char) c.count);

        for (int key = 0; key < 88; ++key)
        {
            const auto written = key >= c.first && key < c.first + c.copied;
            ASSERT_EQ (keyValue (key), written ? 30 : 64) << "key " << key;
        }

        view.setKeyValues (0, std::vector<unsigned char> (88, 64).data(), 88);
    }

    EXPECT_TRUE (log.reports.empty());
}

TEST_F (KeyViewTest, ReadsHeldValuesTruncatedAndWithinRange)
{
    const std::array<unsigned char, 4> bytes { 70, 0, 200, 114 };
    view.setKeyValues (0, bytes.data(), 4);
    EXPECT_EQ (valuesOf (view, 0, 4), (std::vector<int> { 70, 14, 114, 114 }));

    view.setMove (0.9f);
    EXPECT_EQ (keyValue (0), 70);
}

TEST_F (KeyViewTest, ScaleAndMoveWorkAroundTheCentreAndStayInRangeWithoutReports)
{
    const std::array<unsigned char, 4> bytes { 114, 64, 20, 16 };
    view.setKeyValues (0, bytes.data(), 4);

    view.setScale (1.05f);
    EXPECT_EQ (valuesOf (view, 0, 4), (std::vector<int> { 114, 64, 17, 14 }));

    view.setMove (-6.0f);
    EXPECT_EQ (valuesOf (view, 0, 4), (std::vector<int> { 108, 58, 14, 14 }));

    view.setMove (6.0f);
    view.setOffset (100);
    view.setNote (3, true);
    view.setAllNotesOff();
    EXPECT_EQ (valuesOf (view, 0, 4), (std::vector<int> { 114, 64, 20, 20 }));
    EXPECT_TRUE (log.reports.empty());
}

TEST_F (KeyViewTest, ZoomSetsTheEditorWidthAndKeyWidth)
{
    struct Case
    {
        int zoom, width, keyWidth;
    };

    for (const auto c : { Case { 2, 1936, 22 }, Case { 4, 3872, 44 }, Case { 3, 3872, 44 }, Case { 1, 968, 11 } })
    {
        SCOPED_TRACE ("zoom " + std::to_string (c.zoom));
        view.setViewPosition (500, 0);
        view.setZoom (c.zoom);
        EXPECT_EQ (editorOf (view).getWidth(), c.width);
        EXPECT_EQ (view.getViewPositionX(), c.zoom == 3 ? 500 : 0);

        pointer.move (0.0f, 0.0f);
        log.take();

        pointer.press (keyCentre (87, c.keyWidth), 0.0f);
        pointer.release (keyCentre (87, c.keyWidth), 0.0f);
        EXPECT_EQ (log.take(), (Reports { "over 87 114", "changed 87 87" }));
        setKey (87, 64);
    }
}

TEST_F (KeyViewTest, PaintingFillsSkippedKeysInBothDirectionsAtEveryZoomAndOffset)
{
    struct Case
    {
        int zoom, offsetValue, fromKey;
        float fromY;
        int toKey;
        float toY;
        std::vector<int> values; // keys 10 to 14
        Reports reports;
    };

    const std::vector<Case> cases {
        { 1, 64, 10, 0.0f, 14, 201.0f, { 114, 90, 65, 40, 14 }, { "over 10 114", "changed 10 10", "over 14 14", "over 13 40", "over 12 65", "over 11 90", "changed 10 14" } },
        { 2, 64, 14, 0.0f, 10, 201.0f, { 14, 40, 65, 90, 114 }, { "over 14 114", "changed 14 14", "over 10 14", "over 11 40", "over 12 65", "over 13 90", "changed 10 14" } },
        { 4, 114, 10, 0.0f, 14, 201.0f, { 65, 52, 39, 27, 14 }, { "over 10 114", "changed 10 10", "over 14 64", "over 13 77", "over 12 89", "over 11 102", "changed 10 14" } },
        { 1, 14, 10, 201.0f, 14, 0.0f, { 64, 77, 89, 102, 114 }, { "over 10 14", "changed 10 10", "over 14 64", "over 13 52", "over 12 39", "over 11 27", "changed 10 14" } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("zoom " + std::to_string (c.zoom) + " offset value " + std::to_string (c.offsetValue));
        KeyView fresh;
        ReportLog freshLog;
        fresh.addListener (&freshLog);
        fresh.setZoom (c.zoom);
        fresh.setOffset ((unsigned char) c.offsetValue);
        const auto keyWidth = editorOf (fresh).getWidth() / 88;

        Pointer p (editorOf (fresh));
        p.press (keyCentre (c.fromKey, keyWidth), c.fromY);
        p.drag (keyCentre (c.toKey, keyWidth), c.toY);
        p.release (keyCentre (c.toKey, keyWidth), c.toY);

        EXPECT_EQ (valuesOf (fresh, 10, 5), c.values);
        EXPECT_EQ (freshLog.reports, c.reports);
        EXPECT_EQ (valuesOf (fresh, 0, 10), std::vector<int> (10, 64));
    }
}

TEST_F (KeyViewTest, PointerOnOrPastTheEdgesStaysOnTheLastKeyAndRow)
{
    for (const auto zoom : { 1, 2, 4 })
    {
        SCOPED_TRACE ("zoom " + std::to_string (zoom));
        view.setZoom (zoom);
        const auto width = (float) editorOf (view).getWidth();

        pointer.move (width - 0.4f, 50.0f);
        pointer.press (width - 0.4f, 201.6f);
        pointer.drag (width + 500.0f, 900.0f);
        pointer.drag (-300.0f, -50.0f);
        pointer.release (-300.0f, -50.0f);

        EXPECT_EQ (keyValue (87), 14);
        EXPECT_EQ (keyValue (0), 114);
        const auto reports = log.take();
        ASSERT_GE (reports.size(), 3u);
        EXPECT_EQ (reports[0], "over 87 64");
        EXPECT_EQ (reports[1], "over 87 14");
        EXPECT_EQ (reports.back(), "changed 0 87");
        view.setKeyValues (0, std::vector<unsigned char> (88, 64).data(), 88);
    }
}

TEST_F (KeyViewTest, OffsetChangedDuringADragKeepsPaintedValuesInRange)
{
    pointer.press (keyCentre (10, 11), 0.0f);
    view.setOffset (14);
    pointer.drag (keyCentre (14, 11), 201.0f);

    // Held values above 114 would survive a move down unchanged in range.
    view.setMove (-20.0f);
    EXPECT_EQ (valuesOf (view, 10, 5), (std::vector<int> { 94, 94, 94, 70, 44 }));
}

TEST_F (KeyViewTest, ShiftKeepsTheHeightOfThePreviousStepWhileTheEventSaysItIsHeld)
{
    const auto shift = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier | juce::ModifierKeys::shiftModifier);
    pointer.press (keyCentre (5, 11), 50.0f);
    pointer.drag (keyCentre (20, 11), 150.0f, shift);
    pointer.drag (keyCentre (30, 11), 10.0f, shift);
    pointer.release (keyCentre (30, 11), 10.0f);
    EXPECT_EQ (valuesOf (view, 5, 26), std::vector<int> (26, 90));

    // Shift released while the pointer was elsewhere: the editor heard the press only.
    editorOf (view).modifierKeysChanged (juce::ModifierKeys::shiftModifier);
    pointer.press (keyCentre (40, 11), 50.0f);
    pointer.drag (keyCentre (40, 11), 150.0f);
    EXPECT_EQ (keyValue (40), 40);
}

TEST_F (KeyViewTest, OnlyADragThatBeganWithALeftPressPaints)
{
    pointer.drag (keyCentre (30, 11), 0.0f);
    pointer.press (keyCentre (5, 11), 0.0f, juce::ModifierKeys::middleButtonModifier);
    pointer.drag (keyCentre (9, 11), 0.0f, juce::ModifierKeys::middleButtonModifier);
    pointer.release (keyCentre (9, 11), 0.0f);

    pointer.press (keyCentre (12, 11), 0.0f);
    pointer.release (keyCentre (12, 11), 0.0f);
    pointer.drag (keyCentre (20, 11), 0.0f);

    EXPECT_EQ (log.take(), (Reports { "over 12 114", "changed 12 12" }));
    auto expected = std::vector<int> (88, 64);
    expected[12] = 114;
    EXPECT_EQ (valuesOf (view), expected);
}

TEST_F (KeyViewTest, HoverReportsTheLimitedSumOnceForEachChange)
{
    struct Case
    {
        unsigned char value, offsetValue;
        std::string report;
    };

    for (const auto& c : { Case { 14, 14, "over 3 14" }, Case { 114, 114, "over 3 114" }, Case { 200, 64, "over 3 114" }, Case { 70, 54, "over 3 60" } })
    {
        setKey (3, c.value);
        view.setOffset (c.offsetValue);
        pointer.move (keyCentre (3, 11), 10.0f);
        pointer.move (keyCentre (3, 11) + 2.0f, 150.0f);
        EXPECT_EQ (log.take(), (Reports { c.report }));
        pointer.move (keyCentre (50, 11), 10.0f);
        log.take();
    }
}

TEST_F (KeyViewTest, RepeatFilterSkipsOnlyStepsThatLeaveTheKeyUnchanged)
{
    pointer.press (keyCentre (5, 11), 50.0f);
    pointer.drag (keyCentre (5, 11) + 3.0f, 50.0f);
    pointer.release (keyCentre (5, 11), 50.0f);
    pointer.press (keyCentre (5, 11), 50.0f);
    pointer.release (keyCentre (5, 11), 50.0f);
    EXPECT_EQ (log.take(), (Reports { "over 5 90", "changed 5 5" }));

    // The panel changed the key in between: painting it back is a change to send.
    setKey (5, 100);
    pointer.press (keyCentre (5, 11), 50.0f);
    pointer.release (keyCentre (5, 11), 50.0f);
    EXPECT_EQ (log.take(), (Reports { "changed 5 5" }));
    EXPECT_EQ (keyValue (5), 90);
}

TEST_F (KeyViewTest, ReleaseLimitsHeldValuesWithoutAReport)
{
    const std::array<unsigned char, 2> bytes { 200, 2 };
    view.setKeyValues (0, bytes.data(), 2);
    pointer.release (500.0f, 10.0f);
    view.setMove (-10.0f);
    EXPECT_EQ (valuesOf (view, 0, 2), (std::vector<int> { 104, 14 }));
    EXPECT_TRUE (log.reports.empty());
}

TEST_F (KeyViewTest, ListenerRegisteredTwiceHearsEachReportOnce)
{
    view.addListener (&log);
    view.addListener (nullptr);
    pointer.press (keyCentre (1, 11), 0.0f);
    EXPECT_EQ (log.take(), (Reports { "over 1 114", "changed 1 1" }));
}

TEST (KeyViewLifetime, ListenerMayDeleteTheViewInTheMiddleOfAStroke)
{
    struct Deleter : KeyView::Listener
    {
        void mouseOverKey (KeyView*, unsigned char key, unsigned char) override
        {
            if (key == deleteAtKey)
                view.reset();
        }

        void valuesChanged (KeyView*, unsigned char firstKey, unsigned char lastKey) override
        {
            if (firstKey != lastKey)
                view.reset();
        }

        std::unique_ptr<KeyView> view = std::make_unique<KeyView>();
        int deleteAtKey = 0;
    };

    // Key 50 is the pointer's, key 40 is filled in, and the range report comes last.
    for (const auto deleteAtKey : { 50, 40, 255 })
    {
        SCOPED_TRACE ("deleted at key " + std::to_string (deleteAtKey));
        Deleter deleter;
        deleter.deleteAtKey = deleteAtKey;
        deleter.view->addListener (&deleter);
        auto& editor = editorOf (*deleter.view);

        editor.mouseDown (mouseAt (editor, keyCentre (30, 11), 0.0f, juce::ModifierKeys::leftButtonModifier));

        if (deleter.view != nullptr)
            editor.mouseDrag (mouseAt (editor, keyCentre (50, 11), 0.0f, juce::ModifierKeys::leftButtonModifier));

        EXPECT_EQ (deleter.view, nullptr);
    }
}
