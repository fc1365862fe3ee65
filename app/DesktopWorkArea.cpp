// The work area's rule, and the main display read within it.
#include "app/DesktopWorkArea.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

namespace
{
constexpr size_t valuesPerArea = 4;

bool isAbsent (const DesktopWorkArea::Property& property)
{
    return property.format == 0;
}

bool isCardinals (const DesktopWorkArea::Property& property)
{
    return property.isCardinal && property.format == DesktopWorkArea::cardinalFormat;
}

std::optional<size_t> findCurrentDesktop (const DesktopWorkArea::Property& property)
{
    if (isAbsent (property))
        return 0;

    if (! isCardinals (property) || property.values.empty() || property.values.front() < 0)
        return {};

    return (size_t) property.values.front();
}

// The current desktop's work area in device pixels; empty when there is none.
juce::Rectangle<juce::int64> findWorkArea (const DesktopWorkArea::Published& published)
{
    const auto desktop = findCurrentDesktop (published.currentDesktop);
    const auto& values = published.workAreas.values;

    if (! desktop || ! isCardinals (published.workAreas) || values.size() / valuesPerArea <= *desktop)
        return {};

    const auto first = *desktop * valuesPerArea;
    return { values[first], values[first + 1], values[first + 2], values[first + 3] };
}
} // namespace

namespace DesktopWorkArea
{
WindowScale::MainDisplay withinWorkArea (const WindowScale::MainDisplay& wholeDisplay, juce::Point<int> topLeft, const Published& published)
{
    // The work area is in device pixels, the display's user area in pixels at
    // 100 %: the display's own scale lies between them.
    const auto scale = wholeDisplay.scale;
    const juce::Rectangle<juce::int64> display (topLeft.x,
                                                topLeft.y,
                                                juce::roundToInt (wholeDisplay.userWidth * scale),
                                                juce::roundToInt (wholeDisplay.userHeight * scale));
    const auto userArea = display.getIntersection (findWorkArea (published));

    if (userArea.isEmpty())
        return wholeDisplay;

    return { juce::roundToInt ((double) userArea.getWidth() / scale), juce::roundToInt ((double) userArea.getHeight() / scale), scale };
}

WindowScale::MainDisplay applyTo (const WindowScale::MainDisplay& wholeDisplay)
{
#if JUCE_LINUX
    const auto& displays = juce::Desktop::getInstance().getDisplays();
    const auto* display = displays.getPrimaryDisplay();

    if (display == nullptr)
        return wholeDisplay;

    // A lone display keeps no device origin of its own: its area is the device
    // area divided by the display's scale.
    const auto topLeft = displays.displays.size() == 1 ? (display->totalArea.getTopLeft().toDouble() * display->scale).roundToInt()
                                                       : display->topLeftPhysical;

    return withinWorkArea (wholeDisplay, topLeft, readPublished());
#else
    return wholeDisplay;
#endif
}
} // namespace DesktopWorkArea
