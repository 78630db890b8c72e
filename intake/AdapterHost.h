#pragma once
// The object behind the "window handle" an adapter library receives.
//
// The library posts its events from any of its threads. The host copies each
// event at once (the library's record is gone when post returns), queues it
// and rings a wake-up callback; the main thread then drains the queues.
//
// Call lines are never dropped: each is written to the intake journal
// (flushed to the disk) before post returns, so a library that answers its
// caller after posting answers only once the call is safe, and the call
// waits in the queue until the program is ready to store it, however long
// start-up or a re-opening of the line takes. Line errors and notices that
// arrive while ReadyForCalls is off are dropped, and turning the flag off
// discards those still waiting: they describe a line the program is not
// using yet.
#include "intake/AdapterAbi.h"
#include "intake/CallJournal.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace kanata {

struct AdapterMessage {
    std::uint32_t message = 0; // WM_LINE_ERROR or WM_LINE_NOTICE
    std::int32_t code = 0;
    std::string text;    // UTF-8
    std::string rawText; // the code page 932 bytes as the library sent them
};

// One call line as it arrived, with its place in the journal.
struct ArrivedCall {
    JournalCall journal; // seq 0 when no journal is attached
    std::string text;    // UTF-8
    // False when the journal could not take the call: it lives only in
    // memory until it is stored.
    bool durable = false;
};

class AdapterHost {
public:
    using Clock = std::function<DateTime()>;

    // wakeUp runs on the posting thread after something was queued; it must
    // only schedule work on the main thread (a queued call, an event).
    explicit AdapterHost(std::function<void()> wakeUp = {}, Clock clock = &DateTime::now);
    AdapterHost(const AdapterHost&) = delete;
    AdapterHost& operator=(const AdapterHost&) = delete;

    // The handle to hand to OpenCommLine. Valid as long as this object.
    AdapterHostObject* handle() { return &bridge_; }

    // Calls are journaled from now on, and the calls an earlier run left
    // unfinished in it are queued first. Null: calls are kept in memory only.
    // Attach before the line is opened.
    void attachJournal(CallJournal* journal);

    void setReadyForCalls(bool ready);
    bool readyForCalls() const;

    // The oldest waiting report (error or notice), or none. Main thread.
    std::optional<AdapterMessage> take();
    std::size_t pending() const;
    // The oldest waiting call, or none. Main thread.
    std::optional<ArrivedCall> takeCall();
    std::size_t pendingCalls() const;
    // Calls that the journal could not take since the last ask.
    int takeJournalFailures();

    // What the library's post lands in; also usable directly.
    void post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam);

private:
    struct Bridge : AdapterHostObject {
        AdapterHost* owner;
    };
    static void postThunk(AdapterHostObject* host, std::uint32_t msg, std::uintptr_t wparam,
                          std::intptr_t lparam);
    static const AdapterHostVtbl vtbl_;
    void acceptCall(std::string raw);

    Bridge bridge_;
    std::function<void()> wakeUp_;
    Clock clock_;
    mutable std::mutex mutex_;
    // Held while a call is journaled and queued, so that the queue keeps
    // the journal's order.
    std::mutex intake_;
    bool ready_ = false;
    CallJournal* journal_ = nullptr;
    std::deque<AdapterMessage> queue_;
    std::deque<ArrivedCall> calls_;
    int journalFailures_ = 0;
};

} // namespace kanata
