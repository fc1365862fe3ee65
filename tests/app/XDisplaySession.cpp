#include "XDisplaySession.h"

#include <X11/Xlib.h>

#include <initializer_list>

XDisplaySession::XDisplaySession()
    : display (XOpenDisplay (nullptr))
{
    if (display == nullptr)
        return;

    for (const auto* name : { "WM_PROTOCOLS", "WM_DELETE_WINDOW" })
        XInternAtom (display, name, False);

    XSync (display, False);
}

XDisplaySession::~XDisplaySession()
{
    if (display != nullptr)
        XCloseDisplay (display);
}

bool XDisplaySession::askToClose (unsigned long windowId)
{
    if (display == nullptr)
        return false;

    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = (Window) windowId;
    event.xclient.message_type = XInternAtom (display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long) XInternAtom (display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;

    const auto sent = XSendEvent (display, (Window) windowId, False, NoEventMask, &event) != 0;
    XSync (display, False);
    return sent;
}
