#pragma once

#include "app/WindowScale.h"

#include <juce_graphics/juce_graphics.h>

#include <vector>

// The part of the main display that the desktop leaves to windows, outside its
// panels and docks. Window managers publish it on the root window, one area a
// desktop in device pixels, beside the number of the current desktop; the
// framework reports the whole display instead.
namespace DesktopWorkArea
{
// The item size, in bits, of the properties that the desktop publishes.
constexpr int cardinalFormat = 32;

// A root window property as the X server hands it over. An absent property has
// no type and no values; values are kept only for the cardinal format.
struct Property
{
    bool isCardinal = false;
    int format = 0;
    std::vector<long> values;
};

struct Published
{
    // x, y, width and height of each desktop's work area, desktop after desktop.
    Property workAreas;
    Property currentDesktop;
};

// The main display as the scale limit reads it: the whole display's user area
// cut to the current desktop's work area. The display comes in pixels at
// 100 % with its own scale, its top left in device pixels; a work area that is
// not published, malformed or outside the display leaves the whole display.
// Without a current desktop the first desktop's area counts.
WindowScale::MainDisplay withinWorkArea (const WindowScale::MainDisplay& wholeDisplay, juce::Point<int> topLeft, const Published& published);

#if JUCE_LINUX
// What the desktop publishes on the root window of the default X display;
// nothing when there is no X display.
Published readPublished();
#endif

// The whole main display, as WindowScale::readMainDisplay reads it, within the
// work area that the desktop publishes now. Off Linux the display is returned
// as it is: there its user area already leaves out docks and task bars.
WindowScale::MainDisplay applyTo (const WindowScale::MainDisplay& wholeDisplay);
} // namespace DesktopWorkArea
