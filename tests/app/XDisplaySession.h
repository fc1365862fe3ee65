#pragma once

#include <vector>

struct _XDisplay;

// A connection to the X display that stands in for a window manager: it
// creates the close-protocol atoms that a bare X server lacks (without them a
// window never learns that its close button can be pressed), asks windows to
// close as a title bar's close button does, and publishes the hints that a
// window manager sets on the root window. Xlib stays out of this header
// because its macros clash with the framework's names.
class XDisplaySession
{
public:
    XDisplaySession();
    ~XDisplaySession();

    bool isOpen() const { return display != nullptr; }

    // Sends WM_DELETE_WINDOW to the window.
    bool askToClose (unsigned long windowId);

    // Sets a property of 32-bit cardinals on the root window, as a window
    // manager publishes its hints, or removes it again.
    bool setRootCardinals (const char* name, const std::vector<long>& values);
    void removeRootProperty (const char* name);

    struct Size
    {
        int width = 0;
        int height = 0;
    };

    // The window's size in device pixels as the server has it; 0 x 0 when the
    // window is unknown.
    Size getSize (unsigned long windowId);

private:
    _XDisplay* display = nullptr;

    XDisplaySession (const XDisplaySession&) = delete;
    XDisplaySession& operator= (const XDisplaySession&) = delete;
};
