#include "platform/gui/KanataApplication.h"

#include "platform/MessageService.h"

#include <exception>
#include <string>

namespace kanata {

bool EventExceptionGuard::deliver(const std::function<bool()>& deliver) {
    try {
        return deliver();
    } catch (const std::exception& e) {
        report(e.what());
    } catch (...) {
        report("予期しないエラーが発生しました");
    }
    return false;
}

void EventExceptionGuard::report(const std::string& what) {
    qWarning("unhandled exception in an event handler: %s", what.c_str());
    // The box runs its own loop; a fault repeating while it shows must not
    // stack boxes without end.
    if (!messages_ || reporting_)
        return;
    reporting_ = true;
    try {
        messages_->error(what + "  ");
    } catch (...) {
    }
    reporting_ = false;
}

KanataApplication::KanataApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KanataApplication::notify(QObject* receiver, QEvent* event) {
    return guard_.deliver([&] { return QApplication::notify(receiver, event); });
}

} // namespace kanata
