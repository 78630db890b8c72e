#include "ui/gui/X11Activation.h"

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace kanata {
namespace {

constexpr std::uint32_t kSourcePager = 2;
constexpr std::uint32_t kStateRemove = 0;
constexpr std::uint32_t kStateAdd = 1;

using Clock = std::chrono::steady_clock;

// The next event of `c` that `match` accepts, waiting until `deadline`.
template <typename Match>
bool waitForEvent(xcb_connection_t* c, Clock::time_point deadline, Match match) {
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const bool found = match(event);
            std::free(event);
            if (found)
                return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || xcb_connection_has_error(c))
            return false;
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left)) < 0)
            return false;
    }
}

bool isPropertyChange(const xcb_generic_event_t* event, xcb_window_t window, xcb_atom_t atom) {
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    return change->window == window && change->atom == atom;
}

} // namespace

X11Activation::X11Activation(xcb_connection_t* requests, const char* display)
    : requests_(requests) {
    own_ = xcb_connect(display, nullptr);
    if (xcb_connection_has_error(own_))
        return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(own_)).data->root;
    const std::uint32_t rootMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(own_, root_, XCB_CW_EVENT_MASK, &rootMask);
    clock_ = xcb_generate_id(own_);
    const std::uint32_t clockMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(own_, 0, clock_, root_, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &clockMask);
    xcb_flush(own_);
}

X11Activation::~X11Activation() {
    xcb_disconnect(own_);
}

xcb_atom_t X11Activation::atom(const char* name) const {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        own_, xcb_intern_atom(own_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return result;
}

std::optional<std::uint32_t> X11Activation::windowProperty(xcb_window_t window,
                                                           xcb_atom_t property) const {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        own_, xcb_get_property(own_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1),
        nullptr);
    std::optional<std::uint32_t> value;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        value = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}

bool X11Activation::managed() const {
    if (xcb_connection_has_error(own_))
        return false;
    const xcb_atom_t supported = atom("_NET_SUPPORTED");
    const xcb_atom_t wanted = atom("_NET_ACTIVE_WINDOW");
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        own_, xcb_get_property(own_, 0, root_, supported, XCB_ATOM_ATOM, 0, 4096), nullptr);
    bool found = false;
    if (reply && reply->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < count && !found; ++i)
            found = atoms[i] == wanted;
    }
    std::free(reply);
    return found;
}

// The server stamps a property change with its own time; a zero-length
// append changes nothing but is still reported.
std::optional<std::uint32_t> X11Activation::serverTime() {
    const xcb_atom_t stamp = atom("_KANATA_TIME_STAMP");
    xcb_change_property(own_, XCB_PROP_MODE_APPEND, clock_, stamp, XCB_ATOM_CARDINAL, 32, 0,
                        nullptr);
    xcb_flush(own_);
    std::optional<std::uint32_t> time;
    waitForEvent(own_, Clock::now() + std::chrono::seconds(1), [&](xcb_generic_event_t* event) {
        if (!isPropertyChange(event, clock_, stamp))
            return false;
        time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
        return true;
    });
    return time;
}

void X11Activation::sendToRoot(xcb_window_t window, xcb_atom_t type,
                               const std::uint32_t (&data)[5]) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    std::memcpy(message.data.data32, data, sizeof data);
    xcb_send_event(requests_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(requests_);
}

bool X11Activation::activate(xcb_window_t window, int waitMs) {
    if (xcb_connection_has_error(own_))
        return false;
    const std::optional<std::uint32_t> now = serverTime();
    if (!now)
        return false;
    // Qt keeps the user time on a window of its own when it has one.
    const xcb_atom_t userTime = atom("_NET_WM_USER_TIME");
    const xcb_window_t timeWindow =
        windowProperty(window, atom("_NET_WM_USER_TIME_WINDOW")).value_or(window);
    xcb_change_property(requests_, XCB_PROP_MODE_REPLACE, timeWindow, userTime, XCB_ATOM_CARDINAL,
                        32, 1, &*now);
    bringToCurrentDesktop(window);
    const xcb_atom_t active = atom("_NET_ACTIVE_WINDOW");
    const std::uint32_t current = windowProperty(root_, active).value_or(XCB_NONE);
    sendToRoot(window, active, {kSourcePager, *now, current, 0, 0});
    return waitForActive(window, waitMs);
}

// A window left on another virtual desktop is never activated there (and
// would not be seen if it were): the call comes to the desktop in use.
void X11Activation::bringToCurrentDesktop(xcb_window_t window) {
    constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;
    const xcb_atom_t windowDesktop = atom("_NET_WM_DESKTOP");
    const std::optional<std::uint32_t> shown = windowProperty(window, windowDesktop);
    const std::optional<std::uint32_t> current =
        windowProperty(root_, atom("_NET_CURRENT_DESKTOP"));
    if (!shown || !current || *shown == *current || *shown == kAllDesktops)
        return;
    sendToRoot(window, windowDesktop, {*current, kSourcePager, 0, 0, 0});
}

bool X11Activation::waitForActive(xcb_window_t window, int waitMs) {
    const xcb_atom_t active = atom("_NET_ACTIVE_WINDOW");
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (windowProperty(root_, active) == window)
            return true;
        if (!waitForEvent(own_, deadline, [&](xcb_generic_event_t* event) {
                return isPropertyChange(event, root_, active);
            }))
            return false;
    }
}

void X11Activation::keepAbove(xcb_window_t window, bool above) {
    sendToRoot(window, atom("_NET_WM_STATE"),
               {above ? kStateAdd : kStateRemove, atom("_NET_WM_STATE_ABOVE"), 0, kSourcePager, 0});
}

} // namespace kanata
