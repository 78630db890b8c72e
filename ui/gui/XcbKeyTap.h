#pragma once
// The navigation keys pressed in one window on X11, seen before the input
// method gets them. Qt gives every key press to the input method first and
// passes on to the widgets only what the input method leaves, so Enter, the
// arrows and the paging keys typed during a composition never reach a
// widget's key handler; the X events themselves still pass through the
// application's native event filters first.
#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

namespace kanata {

class XcbKeyTap : public QAbstractNativeEventFilter {
public:
    // `take(key)`, a Qt::Key, is asked for every unmodified navigation key
    // pressed while `target` has the focus; true consumes the press and its
    // release, so the input method never sees them.
    XcbKeyTap(QWidget* target, std::function<bool(int key)> take);
    ~XcbKeyTap() override;
    XcbKeyTap(const XcbKeyTap&) = delete;
    XcbKeyTap& operator=(const XcbKeyTap&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void loadKeymap();
    bool keyEvent(bool press, std::uint8_t keycode, std::uint32_t window, std::uint16_t state);

    QPointer<QWidget> target_;
    std::function<bool(int)> take_;
    std::array<int, 256> keys_{}; // X keycode -> navigation Qt::Key, 0 for the others
    int consumedKeycode_ = -1;
};

} // namespace kanata
