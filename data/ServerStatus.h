#pragma once
// Whether the server that holds the tables answers, as every part of the
// program that talks to it sees it: the line's call storing and a desk's
// call listener both report here, and the menu window shows the outcome.
// Reports that do not change the state are not passed on, so a burst of
// failed calls makes one change, not one per call.
#include <functional>
#include <string>
#include <utility>

namespace kanata {

class ServerStatus {
public:
    using Listener = std::function<void(bool reachable, const std::string& reason)>;

    void onChange(Listener listener) { listener_ = std::move(listener); }

    void reportReachable() { set(true, {}); }
    void reportUnreachable(const std::string& reason) { set(false, reason); }

    bool reachable() const { return reachable_; }
    const std::string& reason() const { return reason_; }

private:
    void set(bool reachable, const std::string& reason) {
        if (reachable == reachable_)
            return;
        reachable_ = reachable;
        reason_ = reason;
        if (listener_)
            listener_(reachable_, reason_);
    }

    Listener listener_;
    bool reachable_ = true;
    std::string reason_;
};

} // namespace kanata
