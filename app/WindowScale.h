#pragma once

// The window scale: the largest scale the main display can hold, and what a
// scale that does not fit falls back to. Pure functions, so that they can be
// checked against any display.
namespace WindowScale
{
// The main display as the limit needs it: its user area in pixels at a
// window scale of 100 %, and the display's own scale (2 on a display with
// twice the pixel density).
struct MainDisplay
{
    int userWidth = 0;
    int userHeight = 0;
    double scale = 1.0;
};

constexpr int lowestFactor = 70;
constexpr int defaultFactor = 100;

// The largest scale in percent at which the panel fits the display's user area.
int getLimit (const MainDisplay& display);

// The factor itself when it fits; else the largest scale of the list that
// fits, or the smallest of the list when none does.
int fallBack (int factor, int limit);

// The key view's border in pixels at a factor: wider below 100 %, so that the
// keys stay apart when the window is shrunk.
unsigned char getKeyBorder (int factor);

// Reads the desktop's main display. The desktop reports areas divided by the
// scale in force and rounded; the previous reading, when it is still the
// same display, gives back the exact pixels.
MainDisplay readMainDisplay (const MainDisplay& previous);
} // namespace WindowScale
