#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "app/PanelTables.h"

#include <set>

TEST (PanelTables, KeyNamesFollowTheNoteOfEachKey)
{
    struct Case
    {
        int key;
        const char* name;
    };
    const Case cases[] = { { 0, "A0" }, { 1, "A#0" }, { 2, "B0" }, { 3, "C1" }, { 39, "C4" }, { 48, "A4" }, { 86, "B7" }, { 87, "C8" } };

    for (const auto& c : cases)
        EXPECT_STREQ (PIANO_KEY_NAME[c.key], c.name) << "key " << c.key;

    static const char* const pitchClasses[] = { "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B" };

    for (int key = 0; key < KEY_COUNT; ++key)
    {
        const int note = key + FIRST_KEY_NOTE;
        const auto expected = juce::String (pitchClasses[note % 12]) + juce::String (note / 12 - 1);
        EXPECT_EQ (juce::String (PIANO_KEY_NAME[key]), expected) << "key " << key;
    }
}

TEST (PanelTables, PairingsOfPerKeyAndPartParametersAreInverse)
{
    for (int k = 0; k < KEY_PARAM_COUNT; ++k)
    {
        const int slider = PIANO_KCIRCLE_TO_SLIDER[k];
        ASSERT_GE (slider, 0);
        ASSERT_LT (slider, PART_PARAM_COUNT);
        EXPECT_EQ (PIANO_SLIDER_TO_KCIRCLE[slider], k) << "per-key parameter " << k;

        // A k-circle sits beside its paired slider.
        EXPECT_EQ (PIANO_KCIRCLE_POS[k][0], PIANO_SLIDER_POS[slider][0] + 275);
        EXPECT_EQ (PIANO_KCIRCLE_POS[k][1], PIANO_SLIDER_POS[slider][1] + 2);
    }

    std::set<int> unpaired;
    for (int i = 0; i < PART_PARAM_COUNT; ++i)
    {
        EXPECT_EQ (PIANO_VALUE_POS[i][0], PIANO_SLIDER_POS[i][0] + 230);
        EXPECT_EQ (PIANO_VALUE_POS[i][1], PIANO_SLIDER_POS[i][1] + 10);

        if (PIANO_SLIDER_TO_KCIRCLE[i] < 0)
            unpaired.insert (i);
    }
    EXPECT_EQ (unpaired, (std::set<int> { 5, 7, 9, 10, 11, 15 }));

    EXPECT_STREQ (PIANO_KEYCB_ITEM_NAME[1], "Volume");
    EXPECT_EQ (PIANO_KCIRCLE_TO_SLIDER[1], 16);
    EXPECT_EQ (PIANO_SLIDER_POS[16][0], 20);
    EXPECT_EQ (PIANO_SLIDER_POS[16][1], 87);
}

TEST (PanelTables, ModelItemIdsAreTemplateIdsPlusOne)
{
    struct Case
    {
        int row;
        const char* name;
        int itemId;
    };
    const Case cases[] = { { 0, "Model A", 2 }, { 3, "Model D", 1 }, { 4, "Model E", 12 }, { 11, "Model L", 11 } };

    for (const auto& c : cases)
    {
        EXPECT_STREQ (PIANO_MODELCB_ITEM_NAME[c.row], c.name);
        EXPECT_EQ (PIANO_MODELCB_ITEM_ID[c.row] + 1, c.itemId) << c.name;
    }

    std::set<int> templateIds (std::begin (PIANO_MODELCB_ITEM_ID), std::end (PIANO_MODELCB_ITEM_ID));
    EXPECT_EQ (templateIds.size(), (size_t) PIANO_MODEL_COUNT);
    EXPECT_EQ (*templateIds.begin(), 0);
    EXPECT_EQ (*templateIds.rbegin(), PIANO_MODEL_COUNT - 1);
}

TEST (PanelTables, IconRowsCarryDistinctIdsAndDecodableImages)
{
    EXPECT_EQ (PIANO_ICONCB_ITEM_ID[0], 0);
    EXPECT_EQ (PIANO_ICONCB_ITEM_ID[9], 1);
    EXPECT_EQ (PIANO_ICONCB_ITEM_ID[14], 42);

    std::set<int> ids (std::begin (PIANO_ICONCB_ITEM_ID), std::end (PIANO_ICONCB_ITEM_ID));
    EXPECT_EQ (ids.size(), (size_t) PIANO_ICON_COUNT);

    std::set<const char*> images;
    for (int row = 0; row < PIANO_ICON_COUNT; ++row)
    {
        ASSERT_NE (PIANO_ICONCB_ITEM_IMAGEDATA[row], nullptr) << "row " << row;
        images.insert (PIANO_ICONCB_ITEM_IMAGEDATA[row]);

        const auto image = juce::ImageCache::getFromMemory (PIANO_ICONCB_ITEM_IMAGEDATA[row], PIANO_ICONCB_ITEM_IMAGESIZE[row]);
        ASSERT_TRUE (image.isValid()) << "row " << row;
        EXPECT_EQ (image.getWidth(), row == 4 ? 88 : 80) << "row " << row;
        EXPECT_EQ (image.getHeight(), 80) << "row " << row;
    }
    EXPECT_EQ (images.size(), (size_t) PIANO_ICON_COUNT);
}

TEST (PanelTables, WindowScalesAreListedLargestFirst)
{
    const int expected[] = { 200, 175, 150, 125, 100, 90, 70 };
    for (int i = 0; i < GLOBAL_SCALE_COUNT; ++i)
        EXPECT_EQ (GLOBALSCALECB_ITEM[i], expected[i]);
}
