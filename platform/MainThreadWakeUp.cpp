#include "platform/MainThreadWakeUp.h"

#include <QSocketNotifier>

#include <cstdint>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

namespace kanata {

MainThreadWakeUp::MainThreadWakeUp(std::function<void()> onWake, QObject* parent)
    : QObject(parent), onWake_(std::move(onWake)), fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (fd_ < 0)
        throw std::runtime_error("eventfd failed");
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &MainThreadWakeUp::wake);
}

MainThreadWakeUp::~MainThreadWakeUp() {
    delete notifier_;
    ::close(fd_);
}

void MainThreadWakeUp::ring() const {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(fd_, &one, sizeof one);
}

void MainThreadWakeUp::wake() {
    std::uint64_t count = 0;
    [[maybe_unused]] ssize_t got = ::read(fd_, &count, sizeof count);
    if (onWake_)
        onWake_();
}

} // namespace kanata
