#include "ui/gui/ForceForeground.h"

#include "ui/gui/X11Activation.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

namespace kanata {
namespace {

// Long enough for the window manager to answer, short enough that a refusal
// does not hold up the rest of the call's windows noticeably.
constexpr int kActivationWaitMs = 500;
// How long a window the window manager would not activate stays above the
// others: the caller is seen while the telephone rings.
constexpr int kKeptAboveMs = 3000;

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace

void ForceForeground(QWidget& window) {
    window.raise();
    xcb_connection_t* connection = x11Connection();
    if (!connection) {
        window.activateWindow();
        return;
    }
    X11Activation x11(connection);
    if (!x11.managed()) {
        window.activateWindow();
        return;
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    if (x11.activate(id, kActivationWaitMs))
        return;
    x11.keepAbove(id, true);
    // Once it is no longer kept above, the window manager puts it back below
    // the window that has the focus; it is raised again and stays in view.
    QTimer::singleShot(kKeptAboveMs, &window, [connection, id, &window] {
        X11Activation(connection).keepAbove(id, false);
        window.raise();
    });
}

} // namespace kanata
