#pragma once

#include <juce_graphics/juce_graphics.h>

#include <utility>

// One choice of an ImageComboBox. Ids need not be unique, and 0 is allowed.
struct ItemInfo
{
    ItemInfo (int itemId, juce::Image itemImage) : id (itemId),
                                                   image (std::move (itemImage)) {}

    int id;
    juce::Image image; // shares the pixels of the image it was made from
};
