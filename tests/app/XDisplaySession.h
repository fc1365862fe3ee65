#pragma once

struct _XDisplay;

// A connection to the X display that stands in for a window manager: it
// creates the close-protocol atoms that a bare X server lacks (without them a
// window never learns that its close button can be pressed) and asks windows to
// close as a title bar's close button does. Xlib stays out of this header
// because its macros clash with the framework's names.
class XDisplaySession
{
public:
    XDisplaySession();
    ~XDisplaySession();

    bool isOpen() const { return display != nullptr; }

    // Sends WM_DELETE_WINDOW to the window.
    bool askToClose (unsigned long windowId);

private:
    _XDisplay* display = nullptr;

    XDisplaySession (const XDisplaySession&) = delete;
    XDisplaySession& operator= (const XDisplaySession&) = delete;
};
