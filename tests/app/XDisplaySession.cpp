#include "XDisplaySession.h"

#include <X11/Xatom.h>
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

bool XDisplaySession::setRootCardinals (const char* name, const std::vector<long>& values)
{
    if (display == nullptr)
        return false;

    XChangeProperty (display,
                     DefaultRootWindow (display),
                     XInternAtom (display, name, False),
                     XA_CARDINAL,
                     32,
                     PropModeReplace,
                     reinterpret_cast<const unsigned char*> (values.data()),
                     (int) values.size());
    XSync (display, False);
    return true;
}

void XDisplaySession::removeRootProperty (const char* name)
{
    if (display == nullptr)
        return;

    const auto atom = XInternAtom (display, name, True);

    if (atom != None)
        XDeleteProperty (display, DefaultRootWindow (display), atom);

    XSync (display, False);
}

XDisplaySession::Size XDisplaySession::getSize (unsigned long windowId)
{
    XWindowAttributes attributes {};

    if (display == nullptr || XGetWindowAttributes (display, (Window) windowId, &attributes) == 0)
        return {};

    return { attributes.width, attributes.height };
}
