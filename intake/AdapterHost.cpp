#include "intake/AdapterHost.h"

#include "data/Cp932.h"

#include <cstring>
#include <utility>

namespace kanata {
namespace {

// A library that forgets the terminating NUL must not make us read on
// forever; no event text comes anywhere near this.
constexpr std::size_t kMaxEventText = 64 * 1024;

bool isLineReport(std::uint32_t message) {
    return message == WM_LINE_ERROR || message == WM_LINE_NOTICE;
}

} // namespace

const AdapterHostVtbl AdapterHost::vtbl_ = {&AdapterHost::postThunk};

AdapterHost::AdapterHost(std::function<void()> wakeUp, Clock clock)
    : wakeUp_(std::move(wakeUp)), clock_(std::move(clock)) {
    bridge_.vtbl = &vtbl_;
    bridge_.owner = this;
}

void AdapterHost::postThunk(AdapterHostObject* host, std::uint32_t msg, std::uintptr_t wparam,
                            std::intptr_t lparam) {
    if (!host)
        return;
    static_cast<Bridge*>(host)->owner->post(msg, wparam, lparam);
}

void AdapterHost::attachJournal(CallJournal* journal) {
    std::vector<JournalCall> earlier;
    if (journal)
        earlier = journal->takeUnfinished();
    {
        std::lock_guard lock(mutex_);
        journal_ = journal;
        // The calls of an earlier run go before anything of this one.
        for (auto it = earlier.rbegin(); it != earlier.rend(); ++it) {
            ArrivedCall call{std::move(*it), {}, true};
            call.text = cp932::decode(call.journal.raw);
            calls_.push_front(std::move(call));
        }
    }
    if (!earlier.empty() && wakeUp_)
        wakeUp_();
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
    if (message != WM_LINE_CALLDATA && !isLineReport(message))
        return;
    // Copy first: the text is the library's and gone when post returns.
    std::string raw;
    std::int32_t code = 0;
    if (const auto* data = reinterpret_cast<const LineEventData*>(lparam)) {
        code = data->Code;
        if (data->Text)
            raw.assign(data->Text, strnlen(data->Text, kMaxEventText));
    }
    if (message == WM_LINE_CALLDATA) {
        acceptCall(std::move(raw));
    } else {
        AdapterMessage copy{message, code, cp932::decode(raw), std::move(raw)};
        std::lock_guard lock(mutex_);
        if (!ready_)
            return;
        queue_.push_back(std::move(copy));
    }
    if (wakeUp_)
        wakeUp_();
}

void AdapterHost::acceptCall(std::string raw) {
    ArrivedCall call;
    call.text = cp932::decode(raw);
    std::lock_guard order(intake_);
    CallJournal* journal = nullptr;
    {
        std::lock_guard lock(mutex_);
        journal = journal_;
    }
    if (journal) {
        call.journal = journal->accept(std::move(raw), clock_(), call.durable);
    } else {
        call.journal.arrival = clock_();
        call.journal.raw = std::move(raw);
    }
    std::lock_guard lock(mutex_);
    if (journal && !call.durable)
        ++journalFailures_;
    calls_.push_back(std::move(call));
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

std::optional<ArrivedCall> AdapterHost::takeCall() {
    std::lock_guard lock(mutex_);
    if (calls_.empty())
        return std::nullopt;
    ArrivedCall next = std::move(calls_.front());
    calls_.pop_front();
    return next;
}

std::size_t AdapterHost::pendingCalls() const {
    std::lock_guard lock(mutex_);
    return calls_.size();
}

int AdapterHost::takeJournalFailures() {
    std::lock_guard lock(mutex_);
    return std::exchange(journalFailures_, 0);
}

} // namespace kanata
