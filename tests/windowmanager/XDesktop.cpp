#include "tests/windowmanager/XDesktop.h"

#include "tests/support/UserInput.h"

#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QStringList>

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kanata::test {
namespace {

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

std::vector<std::uint32_t> listProperty(xcb_connection_t* c, xcb_window_t window,
                                        xcb_atom_t property) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
    std::vector<std::uint32_t> values;
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

xcb_window_t rootOf(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

} // namespace

QString XDesktop::missingPrograms() {
    QStringList missing;
    for (const QString& name : {QStringLiteral("Xvfb"), QStringLiteral("openbox")})
        if (QStandardPaths::findExecutable(name).isEmpty())
            missing << name;
    if (missing.isEmpty())
        return {};
    return missing.join(QStringLiteral(", ")) +
           QStringLiteral(" not installed (scripts/setup.sh installs them)");
}

XDesktop::XDesktop() {
    failure_ = missingPrograms();
    if (failure_.isEmpty() && startServer())
        startWindowManager();
}

XDesktop::~XDesktop() {
    if (connection_)
        xcb_disconnect(connection_);
    for (QProcess* p : {&windowManager_, &server_}) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(5000)) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
}

// Xvfb picks a free display itself and writes its number to standard output,
// so tests that run side by side never race for one.
bool XDesktop::startServer() {
    server_.start(QStringLiteral("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp")});
    QByteArray number;
    waitUntil(
        [&] {
            number += server_.readAllStandardOutput();
            return number.contains('\n') || server_.state() == QProcess::NotRunning;
        },
        20000);
    if (!number.contains('\n')) {
        failure_ = QStringLiteral("Xvfb did not start");
        return false;
    }
    display_ = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    const QByteArray name = display_.toLatin1();
    connection_ = xcb_connect(name.constData(), nullptr);
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        failure_ = QStringLiteral("no connection to Xvfb on ") + display_;
        return false;
    }
    return true;
}

bool XDesktop::startWindowManager() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    windowManager_.setProcessEnvironment(env);
    windowManager_.start(QStringLiteral("openbox"), {});
    // openbox names itself on the root window before it manages new windows;
    // it is ready once a window mapped now is listed.
    const bool up = waitUntil(
        [&] { return windowManager_.state() == QProcess::NotRunning || probeManaged(); }, 20000);
    if (!up || windowManager_.state() == QProcess::NotRunning) {
        failure_ = QStringLiteral("openbox did not start");
        return false;
    }
    return true;
}

bool XDesktop::probeManaged() const {
    const xcb_window_t probe = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, probe, rootOf(connection_), 0, 0, 10, 10,
                      0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_map_window(connection_, probe);
    xcb_flush(connection_);
    const bool managed = waitUntil(
        [&] {
            const auto list = stacking();
            return std::find(list.begin(), list.end(), probe) != list.end();
        },
        1000);
    xcb_destroy_window(connection_, probe);
    xcb_flush(connection_);
    // Its removal is awaited too, so that tests see only their own windows.
    waitUntil(
        [&] {
            const auto list = stacking();
            return std::find(list.begin(), list.end(), probe) == list.end();
        },
        5000);
    return managed;
}

xcb_atom_t XDesktop::atom(const char* name) const {
    return internAtom(connection_, name);
}

std::vector<std::uint32_t> XDesktop::rootList(const char* property) const {
    return listProperty(connection_, rootOf(connection_), atom(property));
}

xcb_window_t XDesktop::activeWindow() const {
    const auto list = rootList("_NET_ACTIVE_WINDOW");
    return list.empty() ? xcb_window_t{XCB_NONE} : list.front();
}

std::vector<xcb_window_t> XDesktop::stacking() const {
    return rootList("_NET_CLIENT_LIST_STACKING");
}

xcb_window_t XDesktop::windowTitled(const QString& title) const {
    const xcb_atom_t name = atom("_NET_WM_NAME");
    for (xcb_window_t window : stacking()) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
            nullptr);
        QString text;
        if (reply)
            text = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply)),
                                     xcb_get_property_value_length(reply));
        std::free(reply);
        if (text.startsWith(title))
            return window;
    }
    return XCB_NONE;
}

void XDesktop::sendToRoot(xcb_window_t window, const char* type, std::uint32_t first,
                          std::uint32_t second) const {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(type);
    message.data.data32[0] = first;
    message.data.data32[1] = second;
    xcb_send_event(connection_, 0, rootOf(connection_),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
}

// Source 2: from a pager or taskbar, the user's own choice.
void XDesktop::activateAsUser(xcb_window_t window) const {
    sendToRoot(window, "_NET_ACTIVE_WINDOW", 2, XCB_CURRENT_TIME);
}

std::uint32_t XDesktop::currentDesktop() const {
    const auto list = rootList("_NET_CURRENT_DESKTOP");
    return list.empty() ? 0 : list.front();
}

std::uint32_t XDesktop::desktopOf(xcb_window_t window) const {
    const auto list = listProperty(connection_, window, atom("_NET_WM_DESKTOP"));
    return list.empty() ? 0 : list.front();
}

void XDesktop::switchToDesktop(std::uint32_t desktop) const {
    sendToRoot(rootOf(connection_), "_NET_CURRENT_DESKTOP", desktop, XCB_CURRENT_TIME);
}

void XDesktop::moveToDesktop(xcb_window_t window, std::uint32_t desktop) const {
    sendToRoot(window, "_NET_WM_DESKTOP", desktop, 2);
}

bool XDesktop::hasState(xcb_window_t window, const char* state) const {
    const auto states = listProperty(connection_, window, atom("_NET_WM_STATE"));
    return std::find(states.begin(), states.end(), atom(state)) != states.end();
}

FocusTakingWindow::FocusTakingWindow(const QString& display, const char* title) {
    const QByteArray name = display.toLatin1();
    connection_ = xcb_connect(name.constData(), nullptr);
    if (xcb_connection_has_error(connection_))
        return;
    window_ = xcb_generate_id(connection_);
    const std::uint32_t mask = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_FOCUS_CHANGE;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, rootOf(connection_), 0, 0, 1200,
                      900, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_EVENT_MASK, &mask);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_,
                        internAtom(connection_, "_NET_WM_NAME"),
                        internAtom(connection_, "UTF8_STRING"), 8,
                        static_cast<std::uint32_t>(std::strlen(title)), title);
    // WM_HINTS: the input field is present and false.
    const std::uint32_t hints[9] = {1, 0, 0, 0, 0, 0, 0, 0, 0};
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_HINTS,
                        XCB_ATOM_WM_HINTS, 32, 9, hints);
    takeFocus_ = internAtom(connection_, "WM_TAKE_FOCUS");
    const xcb_atom_t protocols[1] = {takeFocus_};
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_,
                        internAtom(connection_, "WM_PROTOCOLS"), XCB_ATOM_ATOM, 32, 1, protocols);
    xcb_map_window(connection_, window_);
    xcb_flush(connection_);
    thread_ = std::thread([this] { serve(); });
}

FocusTakingWindow::~FocusTakingWindow() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    xcb_disconnect(connection_);
}

void FocusTakingWindow::serve() {
    while (!stop_ && !xcb_connection_has_error(connection_)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                if (message->data.data32[0] == takeFocus_) {
                    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_PARENT, window_,
                                        message->data.data32[1]);
                    xcb_flush(connection_);
                }
            }
            std::free(event);
        }
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        poll(&fd, 1, 50);
    }
}

} // namespace kanata::test
