#pragma once
// Wakes the main thread from any other thread without calling into Qt there.
// The adapter libraries post from their own threads; a Qt call made on such
// a thread would adopt it into Qt, whose bookkeeping then outlives a thread
// that ends while the program exits. Here the other thread only writes to an
// eventfd, and the main thread's event loop reads it.
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace kanata {

class MainThreadWakeUp : public QObject {
    Q_OBJECT
public:
    // `onWake` runs on the thread that made this object, once per batch of
    // rings.
    explicit MainThreadWakeUp(std::function<void()> onWake, QObject* parent = nullptr);
    ~MainThreadWakeUp() override;
    MainThreadWakeUp(const MainThreadWakeUp&) = delete;
    MainThreadWakeUp& operator=(const MainThreadWakeUp&) = delete;

    // Safe from any thread; async-signal-safe.
    void ring() const;

private:
    void wake();

    std::function<void()> onWake_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace kanata
