#include "intake/AdapterHost.h"

#include "data/Cp932.h"

#include <cstring>

namespace kanata {
namespace {

// A library that forgets the terminating NUL must not make us read on
// forever; no event text comes anywhere near this.
constexpr std::size_t kMaxEventText = 64 * 1024;

bool isLineMessage(std::uint32_t message) {
    return message == WM_LINE_CALLDATA || message == WM_LINE_ERROR || message == WM_LINE_NOTICE;
}

} // namespace

const AdapterHostVtbl AdapterHost::vtbl_ = {&AdapterHost::postThunk};

AdapterHost::AdapterHost(std::function<void()> wakeUp) : wakeUp_(std::move(wakeUp)) {
    bridge_.vtbl = &vtbl_;
    bridge_.owner = this;
}

void AdapterHost::postThunk(AdapterHostObject* host, std::uint32_t msg, std::uintptr_t wparam,
                            std::intptr_t lparam) {
    if (!host)
        return;
    static_cast<Bridge*>(host)->owner->post(msg, wparam, lparam);
}

void AdapterHost::setReadyForCalls(bool ready) {
    std::lock_guard lock(mutex_);
    ready_ = ready;
    if (!ready)
        queue_.clear();
}

bool AdapterHost::readyForCalls() const {
    std::lock_guard lock(mutex_);
    return ready_;
}

void AdapterHost::post(std::uint32_t message, std::uintptr_t, std::intptr_t lparam) {
    if (!isLineMessage(message))
        return;
    {
        std::lock_guard lock(mutex_);
        if (!ready_)
            return;
    }
    // Copy outside the lock: the text is the library's and may be long.
    AdapterMessage copy;
    copy.message = message;
    if (const auto* data = reinterpret_cast<const LineEventData*>(lparam)) {
        copy.code = data->Code;
        if (data->Text)
            copy.rawText.assign(data->Text, strnlen(data->Text, kMaxEventText));
    }
    copy.text = cp932::decode(copy.rawText);
    {
        std::lock_guard lock(mutex_);
        if (!ready_)
            return;
        queue_.push_back(std::move(copy));
    }
    if (wakeUp_)
        wakeUp_();
}

std::optional<AdapterMessage> AdapterHost::take() {
    std::lock_guard lock(mutex_);
    if (queue_.empty())
        return std::nullopt;
    AdapterMessage next = std::move(queue_.front());
    queue_.pop_front();
    return next;
}

std::size_t AdapterHost::pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

} // namespace kanata
