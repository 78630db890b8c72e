#pragma once
// A store on a server tells every desk what another desk has written: each
// stored or changed row of the history and the roster is announced on the
// table's channel with its record number, at the commit of the transaction
// that wrote it (a rolled-back row is never announced). A desk listens on
// its own connection and reads the announced rows itself.
//
// The listener knows no event loop: its owner watches socket() for reading
// and calls takeChanges(), so a window toolkit or a test drives it alike.
#include "data/Sqlite.h"
#include "data/StoreSettings.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanata {

enum class StoredTable { History, Roster };
// Spelt in an announcement as its first letter: "a123", "c123", "r123".
enum class ChangeKind : char { Added = 'a', Changed = 'c', Removed = 'r' };

struct StoreChange {
    StoredTable table = StoredTable::History;
    ChangeKind kind = ChangeKind::Added;
    int recNo = 0;
};

// Anyone who may connect to the database may send on any channel, so an
// announcement is checked before it is believed: a kind letter and a record
// number of at most five digits, nothing else.
inline constexpr std::size_t kMaxChangePayload = 6;

// The channel on which writes to the table `tableName` are announced, and
// the text that announces one row.
std::string ChangeChannel(std::string_view tableName);
std::string ChangePayload(ChangeKind kind, std::int64_t recNo);
// The change an announcement names; none when the channel is not one of the
// tables' or the payload is not a record number.
std::optional<StoreChange> ParseChange(std::string_view channel, std::string_view payload);

class StoreChangeListener {
public:
    virtual ~StoreChangeListener() = default;
    // Connects and listens on the history's and the roster's channels; false
    // with the reason when the server cannot be reached. Waits for the
    // server: for a caller with an event loop of its own, the steps below.
    bool connect(std::string& reason);
    // The same without blocking: begin, then continue whenever socket() is
    // ready as the last step asked, until Connected (listening) or Failed.
    // beginConnect is false (the reason in `reason`) when nothing could
    // even start.
    virtual bool beginConnect(std::string& reason) = 0;
    virtual sql::ReconnectStep continueConnect(std::string& reason) = 0;
    virtual bool connected() const = 0;
    // The connection's socket, to be watched for reading; -1 while neither
    // connected nor connecting.
    virtual int socket() const = 0;
    // Reads what the server sent: the changes announced since the last call,
    // in their order. A lost connection is closed, `lostReason` says why and
    // connected() turns false; the changes read before it are returned.
    virtual std::vector<StoreChange> takeChanges(std::string& lostReason) = 0;
    virtual void disconnect() = 0;
};

// A listener on the server `server` (not connected yet).
std::unique_ptr<StoreChangeListener> MakeServerChangeListener(const sql::ServerSettings& server);

// The waits between attempts to reach a lost server: short at first, so a
// restart is noticed soon, then longer, so an absent server is not pressed.
class ReconnectBackOff {
public:
    static constexpr int kFirstMs = 250;
    static constexpr int kLongestMs = 8000;

    explicit ReconnectBackOff(int firstMs = kFirstMs, int longestMs = kLongestMs)
        : first_(firstMs), longest_(longestMs), delay_(firstMs) {}

    int nextDelayMs() {
        const int delay = delay_;
        delay_ = delay_ >= longest_ / 2 ? longest_ : delay_ * 2;
        return delay;
    }
    void reset() { delay_ = first_; }

private:
    int first_;
    int longest_;
    int delay_;
};

} // namespace kanata
