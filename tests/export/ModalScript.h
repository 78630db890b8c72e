#pragma once
// Answers the modal windows of a flow in order: each step waits until the
// active modal window is of its class, then acts on it. An action whose click
// opens another modal window posts that click (Later), so that the poll
// returns and can answer the new window. The timer belongs to the script.
#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <string>

namespace kanata::test {

class ModalScript {
public:
    ModalScript() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(30);
    }
    // `act` gets the window of class T once it is the active modal window.
    template <class T> ModalScript& then(std::function<void(T&)> act, std::string name = {}) {
        steps_.push_back({[act](QWidget* w) {
                              auto* t = qobject_cast<T*>(w);
                              if (!t || !t->isVisible())
                                  return false;
                              act(*t);
                              return true;
                          },
                          std::move(name)});
        return *this;
    }
    // Clicks `button` from the event loop, after the current step returned.
    static void Later(QAbstractButton* button) {
        QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
    }
    bool finished() const { return steps_.empty(); }
    std::string pending() const { return steps_.empty() ? std::string() : steps_.front().name; }

private:
    struct Step {
        std::function<bool(QWidget*)> run;
        std::string name;
    };
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (steps_.empty() || !modal)
            return;
        Step step = steps_.front();
        steps_.pop_front();
        if (!step.run(modal))
            steps_.push_front(std::move(step));
    }

    QTimer timer_;
    std::deque<Step> steps_;
};

} // namespace kanata::test
