#pragma once
// The processing of one incoming call: from a line of call data to a stored
// history row and the notifications the user sees.
//
// Storing and showing are two steps: StoreCall writes the raw log and the
// history row and marks the call done in the intake journal; ShowCall
// refreshes the list and pops the windows up. A backlog of calls is stored
// first, and only the newest of them is shown, so storing never waits for
// the windows. ProcessPendingCall does both for the oldest queued line.
// The windows are reached only through CallIntakeWindows, so this class
// knows no widgets.
//
// With the tables on a server, a call that cannot reach it (the connection
// is lost) waits in this class, with its arrival time, and stays open in the
// intake journal; every later call waits behind it, so the order holds.
// StoreWaitingCalls stores them once the server is back.
#include "data/CallRecord.h"
#include "data/DateTime.h"
#include "intake/RawCallLog.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kanata {

class CallIntakeWindows;
class CallJournal;
class ServerStatus;
class CallerLookup;
class ExtensionLibrary;
class HyphenationService;
class MessageService;
class TDMKanata195;
class TableUse;
struct GlobalSettings;
namespace sql {
class Transaction;
}

// One line of call data: the text (UTF-8) and the bytes as the adapter
// library sent them (code page 932), which the raw call log keeps.
struct CallLine {
    std::string text;
    std::string raw;
    // Its record in the intake journal; 0 when it has none.
    std::uint64_t seq = 0;
    // When the adapter handed it over; none = when it is processed.
    std::optional<DateTime> arrival;
    // Left unfinished by an earlier run: its row or raw log line may exist.
    bool recovered = false;
    std::optional<std::uint64_t> logOffset;
    // Waited for the server: its raw log line is written, it has been
    // announced, and its row may have reached the server already.
    bool held = false;

    // A line typed or injected as UTF-8; its raw form is its code page 932
    // encoding.
    static CallLine fromText(std::string text);
};

// The lines waiting to be processed, oldest first.
class CallLineQueue {
public:
    void push(CallLine line) { lines_.push_back(std::move(line)); }
    bool empty() const { return lines_.empty(); }
    std::size_t size() const { return lines_.size(); }
    const CallLine& front() const { return lines_.front(); }
    CallLine take();

private:
    std::deque<CallLine> lines_;
};

// The settings the processing reads (from the global sections).
struct CallProcessingSettings {
    bool ExportRecvData = false; // COMMON: write the raw call log
    bool HisListPopup = true;    // OPERATION
    bool RecvViewPopup = true;
    bool RecvViewMiniPopup = false;
    bool RingSound = false;
    bool EarlierSearch = true; // RECEIVE HISTORY
    bool NewDataView = true;
    bool AutoAdd = true;
    bool BeforeSelectItems = true;
    bool BeforeRecvDateTime = true;
    bool UsePbAdrs = false; // USE PBADRS

    static CallProcessingSettings from(const GlobalSettings& settings);
};

// The shown texts when no record number is left; each line ends in two
// blanks as the program's boxes do.
inline constexpr const char* kCallHistoryLimitReached =
    "最大登録件数10万件に達しました  \r\nこれ以上登録できません  ";
inline constexpr const char* kCallHistoryCounterFull =
    "データ管理カウンタが一杯になり登録できませんでした  \r\n"
    "最適化処理をおこなうことにより登録できるようになります  ";
inline constexpr const char* kCallProcessingFailure = "着信データが正しく取得できませんでした  ";
// Told once when the raw call log cannot be written (followed by the file
// and the reason); the calls are stored all the same.
inline constexpr const char* kRawLogFailure = "着信データの記録ファイルに書き込めませんでした  \r\n"
                                              "着信は着信履歴に保存しています  \r\n"
                                              "記録フォルダー（rd）の状態を確認してください  ";

// What StoreCall did with one line.
struct StoredCall {
    CallRecord record;
    bool stored = false; // the history row is committed
    bool live = true;    // false for a call recovered from an earlier run
};

class CallProcessor {
public:
    using Clock = std::function<DateTime()>;

    // extension may be null (no extension library in the application folder).
    CallProcessor(TDMKanata195& dm, CallerLookup& lookup, ExtensionLibrary* extension,
                  const HyphenationService& hyphenation, CallIntakeWindows& windows,
                  MessageService& messages, std::filesystem::path workFolder,
                  CallProcessingSettings settings, Clock clock = &DateTime::now);
    ~CallProcessor();
    CallProcessor(const CallProcessor&) = delete;
    CallProcessor& operator=(const CallProcessor&) = delete;

    CallLineQueue& queue() { return queue_; }
    // Calls are marked done in this journal once stored (may be null).
    void setJournal(CallJournal* journal) { journal_ = journal; }
    void setSettings(const CallProcessingSettings& settings) { settings_ = settings; }
    const CallProcessingSettings& settings() const { return settings_; }

    // Processes the oldest waiting line, if any: StoreCall, then ShowCall.
    // Every failure is reported in a box and ends the processing of that
    // line only: later lines stay in the queue for their own turn.
    void ProcessPendingCall();

    // Logs and stores one call; none for a blank line or a recovered call
    // that was stored before. The call is marked done in the journal once
    // its row is committed; a call that could not be stored stays in the
    // journal and is tried again at the next start.
    std::optional<StoredCall> StoreCall(const CallLine& line);
    // The calls stored between these two are committed together: a backlog
    // costs one flush of the history table, not one per call. The intake
    // journal keeps them safe meanwhile; they are marked done only after
    // the commit. CommitBatch throws sql::SqliteError when the commit fails
    // (the calls stay in the journal for the next start). CommitBatch is
    // false when the server was lost during the batch: its calls wait again
    // and none of them is stored.
    void BeginBatch();
    bool CommitBatch();

    // Between BeginBatch and CommitBatch.
    bool inBatch() const { return batch_ != nullptr; }
    // Losses of the server are reported here (may be null).
    void setServerStatus(ServerStatus* status) { serverStatus_ = status; }
    // Calls that wait for the server, oldest first.
    std::size_t waitingCalls() const { return waiting_.size(); }
    const std::deque<CallLine>& waiting() const { return waiting_; }
    // The waiting calls handed from the processing of tables that close to
    // that of the tables opened in their place, in their order.
    std::deque<CallLine> takeWaiting() { return std::exchange(waiting_, {}); }
    void adoptWaiting(std::deque<CallLine> calls) {
        waiting_.insert(waiting_.begin(), std::make_move_iterator(calls.begin()),
                        std::make_move_iterator(calls.end()));
    }
    // Stores up to `most` of the waiting calls, oldest first, in one
    // transaction, and marks them done in the journal after its commit. A
    // call whose row is on the server already (its commit went through but
    // its answer was lost) is not stored again. They are not popped up (they
    // are old news); ShowWaitingCallsStored refreshes the list. Returns how
    // many left the queue; 0 when the server was lost again (all still wait).
    std::size_t StoreWaitingCalls(std::size_t most);
    // The list shows the calls stored late; the indicator says there are
    // new calls.
    void ShowWaitingCallsStored();
    // Refreshes the history list and, for a live call, pops the windows up.
    void ShowCall(const StoredCall& call);
    // A call that another PC stored, as this PC would show its own: the
    // indicator, the ring sound, the list refreshed, the windows popped up.
    void ShowCallStoredElsewhere(const CallRecord& record);
    // Shows the raw log failure box if the log failed since the last box
    // and the user has not been told yet.
    void ReportRawLogFailure();

    // Appends the history row of a call and sets record.RecNo. False, after
    // one stop box, when no row was written: the record numbers are used up,
    // the table cannot be opened or the row cannot be posted; record.RecNo
    // is then CallRecord::kNoHistoryRow.
    bool AppendCallHistory(CallRecord& record);

    // Appends the line to the raw call log of its arrival day (see
    // RawCallLog), unless a recovered call's line is there already. Throws
    // std::runtime_error when it cannot be written.
    void WriteRawCallLog(const CallLine& line, const DateTime& arrival);

    // Pop-ups are allowed and no modal dialog of this program is open.
    bool CanPopUp() const;

private:
    void logRawLine(const CallLine& line, const DateTime& arrival);
    void announce(bool live);
    bool storedBefore(const DateTime& arrival);
    bool storedBefore(const CallRecord& record);
    std::optional<StoredCall> storeNow(const CallLine& line);
    void holdBehind(CallLine line);
    void lose(const CallLine& line, const std::string& reason);
    std::vector<CallLine> abandonBatch();
    void reportLost(const std::string& reason);
    StoredCall processCall(const std::string& line, const DateTime& arrival, bool guard);
    void updateIndicator();
    void markDone(const CallLine& line);
    void carryOverPreviousCall(const std::string& number, CallRecord& record);
    void popUp(const CallRecord& record);
    bool callViewWouldTakeCall() const;
    void registerSupersededCall();

    TDMKanata195& dm_;
    CallerLookup& lookup_;
    ExtensionLibrary* extension_;
    const HyphenationService& hyphenation_;
    CallIntakeWindows& windows_;
    MessageService& messages_;
    std::filesystem::path workFolder_;
    CallProcessingSettings settings_;
    Clock clock_;
    CallLineQueue queue_;
    RawCallLog rawLog_;
    CallJournal* journal_ = nullptr;
    std::unique_ptr<TableUse> batchUse_;
    std::unique_ptr<sql::Transaction> batch_;
    // Every line handled in the open batch, to mark done after its commit,
    // or to wait again when the server is lost before it.
    std::vector<CallLine> batchLines_;
    bool batchLost_ = false;
    std::deque<CallLine> waiting_;
    bool draining_ = false;
    ServerStatus* serverStatus_ = nullptr;
    std::string rawLogFailure_;   // waiting to be told
    bool rawLogFailing_ = false;  // told; not again until the log works
    bool viewRegistered_ = false; // the call view's caller, since the last show
    // The newest live call stored and not shown yet, when the call view
    // would have taken it: if a newer call comes first, its caller is
    // registered all the same, so the roster does not depend on how fast
    // calls arrive.
    std::optional<CallRecord> unshown_;
};

} // namespace kanata
