#pragma once
// Answers the dictionary search dialog once it is the active modal window:
// polls, so that it does not matter which event loop runs first.
#include "lookup/gui/TDicSearch.h"

#include <QApplication>
#include <QTimer>

#include <functional>

namespace kanata::test {

inline void whenDialogOpens(std::function<void(TDicSearch&)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto* dialog = qobject_cast<TDicSearch*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        answer(*dialog);
    });
    timer->start();
}

} // namespace kanata::test
