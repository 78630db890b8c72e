#pragma once
// Answers a modal window once it is the active modal widget: polls with a
// timer owned by the script (so nothing fires after the test), runs the
// steps once, and closes the window itself if the steps left it open, so a
// failed step cannot leave the test waiting.
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace kanata::test {

template <class Window> class ModalScript {
public:
    explicit ModalScript(std::function<void(Window&)> steps) : steps_(std::move(steps)) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    bool ran() const { return ran_; }

private:
    void poll() {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window || ran_)
            return;
        ran_ = true;
        timer_.stop();
        steps_(*window);
        if (window->isVisible()) {
            ADD_FAILURE() << "the steps left " << window->metaObject()->className() << " open";
            window->done(QDialog::Rejected);
        }
    }

    std::function<void(Window&)> steps_;
    QTimer timer_;
    bool ran_ = false;
};

} // namespace kanata::test
