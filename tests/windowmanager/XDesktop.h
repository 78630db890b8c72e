#pragma once
// A desktop of its own for a test: an Xvfb server on a free display with the
// openbox window manager, both ended with the object, and the questions a
// test asks the X server about the windows on it.
#include <QProcess>
#include <QString>

#include <xcb/xcb.h>

#include <atomic>
#include <thread>
#include <vector>

namespace kanata::test {

class XDesktop {
public:
    // Empty when Xvfb and openbox are installed; otherwise what is missing.
    static QString missingPrograms();

    XDesktop();
    ~XDesktop();
    XDesktop(const XDesktop&) = delete;
    XDesktop& operator=(const XDesktop&) = delete;

    // Empty when the desktop is up; otherwise why it is not.
    const QString& failure() const { return failure_; }
    // ":N", for the DISPLAY of the programs started on it.
    const QString& display() const { return display_; }
    xcb_connection_t* connection() const { return connection_; }

    xcb_window_t activeWindow() const;
    // The managed windows, bottom first.
    std::vector<xcb_window_t> stacking() const;
    // The managed window whose title begins with `title`; XCB_NONE if none.
    xcb_window_t windowTitled(const QString& title) const;
    // Asks the window manager to activate `window`, as a taskbar click does.
    void activateAsUser(xcb_window_t window) const;
    // Virtual desktops, counted from 0, switched and moved to as a pager does.
    std::uint32_t currentDesktop() const;
    std::uint32_t desktopOf(xcb_window_t window) const;
    void switchToDesktop(std::uint32_t desktop) const;
    void moveToDesktop(xcb_window_t window, std::uint32_t desktop) const;
    // Whether the window manager lists `state` (such as "_NET_WM_STATE_ABOVE")
    // in the window's _NET_WM_STATE.
    bool hasState(xcb_window_t window, const char* state) const;

private:
    bool startServer();
    bool startWindowManager();
    bool probeManaged() const;
    xcb_atom_t atom(const char* name) const;
    std::vector<std::uint32_t> rootList(const char* property) const;
    void sendToRoot(xcb_window_t window, const char* type, std::uint32_t first,
                    std::uint32_t second) const;

    QString failure_;
    QString display_;
    QProcess server_;
    QProcess windowManager_;
    xcb_connection_t* connection_ = nullptr;
};

// Another program's window that holds the focus: a large window, served by
// a connection of its own, that takes the focus itself when the window
// manager offers it (no input hint, with WM_TAKE_FOCUS), as Java programs
// do; the kind of focus holder window managers are most reluctant to take
// the focus from.
class FocusTakingWindow {
public:
    FocusTakingWindow(const QString& display, const char* title);
    ~FocusTakingWindow();
    FocusTakingWindow(const FocusTakingWindow&) = delete;
    FocusTakingWindow& operator=(const FocusTakingWindow&) = delete;

    xcb_window_t window() const { return window_; }

private:
    void serve();

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t window_ = XCB_NONE;
    xcb_atom_t takeFocus_ = XCB_NONE;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace kanata::test
