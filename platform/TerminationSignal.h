#pragma once
// SIGTERM and SIGINT end the program in order (tables closed, exit settings
// written) instead of killing it mid-write: a desktop session sends SIGTERM
// at logout, and an administrator may stop the program the same way.
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace kanata {

class TerminationSignal : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; `onSignal` runs on the main thread. One object
    // per process.
    explicit TerminationSignal(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignal() override;

private:
    void readSignal();

    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace kanata
