#pragma once
// The object behind the "window handle" an adapter library receives.
//
// The library posts its events from any of its threads. The host copies each
// event at once (the library's record is gone when post returns), queues it
// and rings a wake-up callback; the main thread then drains the queue. Events
// that arrive while ReadyForCalls is off are dropped, not queued, and turning
// the flag off discards whatever was still waiting: the program ignores the
// line until start-up has finished and while it reads the adapter's history.
#include "intake/AdapterAbi.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace kanata {

struct AdapterMessage {
    std::uint32_t message = 0; // WM_LINE_CALLDATA, WM_LINE_ERROR or WM_LINE_NOTICE
    std::int32_t code = 0;
    std::string text;    // UTF-8
    std::string rawText; // the code page 932 bytes as the library sent them
};

class AdapterHost {
public:
    // wakeUp runs on the posting thread after a message was queued; it must
    // only schedule work on the main thread (a queued call, an event).
    explicit AdapterHost(std::function<void()> wakeUp = {});
    AdapterHost(const AdapterHost&) = delete;
    AdapterHost& operator=(const AdapterHost&) = delete;

    // The handle to hand to OpenCommLine. Valid as long as this object.
    AdapterHostObject* handle() { return &bridge_; }

    void setReadyForCalls(bool ready);
    bool readyForCalls() const;

    // The oldest waiting message, or none. Main thread.
    std::optional<AdapterMessage> take();
    std::size_t pending() const;

    // What the library's post lands in; also usable directly.
    void post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam);

private:
    struct Bridge : AdapterHostObject {
        AdapterHost* owner;
    };
    static void postThunk(AdapterHostObject* host, std::uint32_t msg, std::uintptr_t wparam,
                          std::intptr_t lparam);
    static const AdapterHostVtbl vtbl_;

    Bridge bridge_;
    std::function<void()> wakeUp_;
    mutable std::mutex mutex_;
    bool ready_ = false;
    std::deque<AdapterMessage> queue_;
};

} // namespace kanata
