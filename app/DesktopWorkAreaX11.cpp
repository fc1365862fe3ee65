// What the desktop publishes, read from the X server's root window.
#include "app/DesktopWorkArea.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>

namespace
{
// Enough for a thousand desktops' areas, in 32-bit units.
constexpr long longestProperty = 4096;

DesktopWorkArea::Property readProperty (Display* display, const char* name)
{
    // An atom that nobody made names a property that nobody set; asking for it
    // must not make it.
    const auto atom = XInternAtom (display, name, True);

    if (atom == None)
        return {};

    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;

    if (XGetWindowProperty (display, DefaultRootWindow (display), atom, 0, longestProperty, False, AnyPropertyType, &type, &format, &count, &remaining, &data)
        != Success)
        return {};

    const std::unique_ptr<unsigned char, decltype (&XFree)> owned (data, &XFree);
    DesktopWorkArea::Property property { type == XA_CARDINAL, format, {} };

    // Xlib hands 32-bit items over as longs.
    if (format == DesktopWorkArea::cardinalFormat && data != nullptr)
    {
        const auto* items = reinterpret_cast<const long*> (data);
        property.values.assign (items, items + count);
    }

    return property;
}
} // namespace

namespace DesktopWorkArea
{
Published readPublished()
{
    const std::unique_ptr<Display, decltype (&XCloseDisplay)> display (XOpenDisplay (nullptr), &XCloseDisplay);

    if (display == nullptr)
        return {};

    return { readProperty (display.get(), "_NET_WORKAREA"), readProperty (display.get(), "_NET_CURRENT_DESKTOP") };
}
} // namespace DesktopWorkArea
