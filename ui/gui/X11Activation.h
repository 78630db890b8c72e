#pragma once
// Activation of one of this program's windows on X11 when another program
// has the focus, as a window manager with focus-stealing prevention allows
// it. Qt's own activation request says it comes from an application and
// carries the time of the last input Qt saw, so such a window manager may
// only mark the window as wanting attention. An incoming call is the moment
// the user wants to see, so the request is sent as a pager sends it (source
// 2) with the X server's current time, also given to the window as its user
// time, after the window was brought to the virtual desktop in use. A window manager that still
// refuses gets the window kept above the others for a moment, so that the call is at least seen.
//
// The pointer nudge a Windows program needs before such a request has no
// counterpart here: no X11 window manager grants activation for pointer
// motion, and moving the user's pointer could hand the focus to whatever
// window lies under it with focus-follows-mouse.
#include <xcb/xcb.h>

#include <cstdint>
#include <optional>

namespace kanata {

class X11Activation {
public:
    // `requests` is the connection the window belongs to (Qt's); the class
    // opens one of its own to the same display (`display`, else $DISPLAY, as
    // Qt chooses it) to read the server's time and the window manager's
    // answer without taking events from Qt.
    explicit X11Activation(xcb_connection_t* requests, const char* display = nullptr);
    ~X11Activation();
    X11Activation(const X11Activation&) = delete;
    X11Activation& operator=(const X11Activation&) = delete;

    // True when a window manager that takes activation requests runs.
    bool managed() const;
    // Asks for `window` (a top-level client window) to become the active
    // one; true once the window manager made it so, within `waitMs`.
    bool activate(xcb_window_t window, int waitMs);
    // Adds or removes the keep-above state of `window`.
    void keepAbove(xcb_window_t window, bool above);

private:
    xcb_atom_t atom(const char* name) const;
    std::optional<std::uint32_t> windowProperty(xcb_window_t window, xcb_atom_t property) const;
    std::optional<std::uint32_t> serverTime();
    void bringToCurrentDesktop(xcb_window_t window);
    bool waitForActive(xcb_window_t window, int waitMs);
    void sendToRoot(xcb_window_t window, xcb_atom_t type, const std::uint32_t (&data)[5]);

    xcb_connection_t* requests_;
    xcb_connection_t* own_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    xcb_window_t clock_ = XCB_NONE; // a hidden window whose property changes tell the time
};

} // namespace kanata
