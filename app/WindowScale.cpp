#include "app/WindowScale.h"

#include "app/PanelTables.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>

namespace
{
// The panel's size in pixels at 100 %, as reciprocals in single precision.
constexpr float perPanelHeight = 1.0f / (float) PANEL_HEIGHT;
constexpr float perPanelWidth = 1.0f / (float) PANEL_WIDTH;
constexpr double percent = 100.0;
constexpr unsigned char narrowKeyBorder = 2;
constexpr unsigned char wideKeyBorder = 3;
} // namespace

namespace WindowScale
{
int getLimit (const MainDisplay& display)
{
    const auto heightRatio = (float) display.userHeight * perPanelHeight;
    const auto widthRatio = (float) display.userWidth * perPanelWidth;
    const auto ratio = std::min (heightRatio, widthRatio);

    return (int) ((double) ratio * (display.scale * percent));
}

int fallBack (int factor, int limit)
{
    if (factor <= limit)
        return factor;

    for (const auto item : GLOBALSCALECB_ITEM)
        if (item <= limit)
            return item;

    return lowestFactor;
}

unsigned char getKeyBorder (int factor)
{
    return factor < defaultFactor ? wideKeyBorder : narrowKeyBorder;
}

MainDisplay readMainDisplay (const MainDisplay& previous)
{
    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();

    if (display == nullptr)
        return previous;

    const auto globalScale = (double) juce::Desktop::getInstance().getGlobalScaleFactor();
    const auto area = display->userArea;
    const auto displayScale = display->scale / globalScale;

    // A reading taken at another scale is exact where this one is rounded:
    // keep it while it still describes the same display.
    const auto matches = [globalScale] (int pixels, int logical)
    { return juce::roundToInt (pixels / globalScale) == logical; };

    if (juce::approximatelyEqual (previous.scale, displayScale)
        && matches (previous.userWidth, area.getWidth())
        && matches (previous.userHeight, area.getHeight()))
        return previous;

    return { juce::roundToInt (area.getWidth() * globalScale), juce::roundToInt (area.getHeight() * globalScale), displayScale };
}
} // namespace WindowScale
