#include "ui/gui/XcbKeyTap.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace kanata {
namespace {

constexpr std::uint16_t kModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

int navigationKey(xcb_keysym_t keysym) {
    switch (keysym) {
    case 0xff0d:
        return Qt::Key_Return;
    case 0xff8d:
        return Qt::Key_Enter;
    case 0xff51:
        return Qt::Key_Left;
    case 0xff52:
        return Qt::Key_Up;
    case 0xff53:
        return Qt::Key_Right;
    case 0xff54:
        return Qt::Key_Down;
    case 0xff55:
        return Qt::Key_PageUp;
    case 0xff56:
        return Qt::Key_PageDown;
    default:
        return 0;
    }
}

xcb_connection_t* x11Connection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace

XcbKeyTap::XcbKeyTap(QWidget* target, std::function<bool(int key)> take)
    : target_(target), take_(std::move(take)) {
    loadKeymap();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

XcbKeyTap::~XcbKeyTap() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void XcbKeyTap::loadKeymap() {
    keys_.fill(0);
    xcb_connection_t* c = x11Connection();
    if (!c) {
        // No X server to ask (another platform): the keycodes of the
        // standard Linux keyboard driver.
        for (auto [code, key] : {std::pair{36, Qt::Key_Return},
                                 {104, Qt::Key_Enter},
                                 {113, Qt::Key_Left},
                                 {111, Qt::Key_Up},
                                 {114, Qt::Key_Right},
                                 {116, Qt::Key_Down},
                                 {112, Qt::Key_PageUp},
                                 {117, Qt::Key_PageDown}})
            keys_[static_cast<std::size_t>(code)] = key;
        return;
    }
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int first = setup->min_keycode;
    const int count = setup->max_keycode - first + 1;
    auto cookie = xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<std::uint8_t>(count));
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(c, cookie, nullptr);
    if (!reply)
        return;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    const int perKey = reply->keysyms_per_keycode;
    const int length = xcb_get_keyboard_mapping_keysyms_length(reply);
    for (int k = 0; k < count && (k + 1) * perKey <= length; ++k)
        keys_[static_cast<std::size_t>(first + k)] = navigationKey(syms[k * perKey]);
    std::free(reply);
}

bool XcbKeyTap::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7f) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE: {
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        return keyEvent((event->response_type & 0x7f) == XCB_KEY_PRESS, key->detail, key->event,
                        key->state);
    }
    case XCB_MAPPING_NOTIFY:
        loadKeymap();
        return false;
    default:
        return false;
    }
}

bool XcbKeyTap::keyEvent(bool press, std::uint8_t keycode, std::uint32_t window,
                         std::uint16_t state) {
    if (!press) {
        // The release of a consumed press would only puzzle the input method.
        const bool consumed = keycode == consumedKeycode_;
        if (consumed)
            consumedKeycode_ = -1;
        return consumed;
    }
    if (!target_ || !target_->hasFocus() || target_->window()->internalWinId() != window)
        return false;
    // Shifted or with Ctrl, Alt or Super the keys are the input method's own
    // (Shift with the arrows resizes its segments).
    if ((state & kModifiers) != 0)
        return false;
    const int key = keys_[keycode];
    if (key == 0 || !take_(key))
        return false;
    consumedKeycode_ = keycode;
    return true;
}

} // namespace kanata
