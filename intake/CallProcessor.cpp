#include "intake/CallProcessor.h"

#include "data/Cp932.h"
#include "data/Hyphenation.h"
#include "data/ServerStatus.h"
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "intake/CallIntakeWindows.h"
#include "intake/CallJournal.h"
#include "intake/PreviousCall.h"
#include "lookup/CallerLookup.h"
#include "lookup/ExtensionLibrary.h"
#include "platform/MessageService.h"
#include "settings/GlobalSettings.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>
#include <variant>
#include <vector>

namespace kanata {
namespace fs = std::filesystem;
namespace {

// The hourglass for the whole call, restored however the processing ends.
class BusyCursor {
public:
    explicit BusyCursor(CallIntakeWindows& windows) : windows_(windows) { windows_.beginBusy(); }
    ~BusyCursor() { windows_.endBusy(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    CallIntakeWindows& windows_;
};

// The number of a call-data line: its first 11 characters, trimmed. The
// adapter sends numbers in ASCII, so 11 code page 932 bytes are 11
// characters; a stray double-byte character is never split.
std::string numberOf(const std::string& line) {
    return cp932::trim(cp932::cutToWidth(line, 11));
}

// Keeps the boxes of a table write back, so that a write that failed only
// because the server went away shows none (the call waits instead), and
// every other box is shown as the write would have shown it.
class HeldBoxes final : public MessageService {
public:
    MessageResult ShowCenteredMessage(const MessageRequest& request) override {
        held.push_back(request);
        return MessageResult::Ok;
    }
    std::vector<MessageRequest> held;
};

} // namespace

CallLine CallLine::fromText(std::string text) {
    CallLine line;
    line.raw = cp932::encode(text);
    line.text = std::move(text);
    return line;
}

CallLine CallLineQueue::take() {
    CallLine line = std::move(lines_.front());
    lines_.pop_front();
    return line;
}

CallProcessingSettings CallProcessingSettings::from(const GlobalSettings& s) {
    CallProcessingSettings c;
    c.ExportRecvData = s.ExportRecvData;
    c.HisListPopup = s.HisListPopup;
    c.RecvViewPopup = s.RecvViewPopup;
    c.RecvViewMiniPopup = s.RecvViewMiniPopup;
    c.RingSound = s.RingSound;
    c.EarlierSearch = s.EarlierSearch;
    c.NewDataView = s.NewDataView;
    c.AutoAdd = s.AutoAdd;
    c.BeforeSelectItems = s.BeforeSelectItems;
    c.BeforeRecvDateTime = s.BeforeRecvDateTime;
    c.UsePbAdrs = s.UsePbAdrs;
    return c;
}

CallProcessor::CallProcessor(TDMKanata195& dm, CallerLookup& lookup, ExtensionLibrary* extension,
                             const HyphenationService& hyphenation, CallIntakeWindows& windows,
                             MessageService& messages, fs::path workFolder,
                             CallProcessingSettings settings, Clock clock)
    : dm_(dm), lookup_(lookup), extension_(extension), hyphenation_(hyphenation), windows_(windows),
      messages_(messages), workFolder_(std::move(workFolder)), settings_(settings),
      clock_(std::move(clock)), rawLog_(workFolder_) {}

// An open batch is rolled back; its calls are still in the journal.
CallProcessor::~CallProcessor() = default;

void CallProcessor::BeginBatch() {
    batchLost_ = false;
    if (batch_)
        return;
    auto use =
        std::make_unique<TableUse>(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    sql::Database& db = dm_.RecvHis().table().database();
    // Without the server there is nothing to batch: the calls wait.
    if (!*use || db.connectionLost())
        return;
    try {
        batch_ = std::make_unique<sql::Transaction>(db);
    } catch (const sql::Error& e) {
        if (!e.connectionLost())
            throw;
        reportLost(e.what());
        return;
    }
    batchUse_ = std::move(use);
}

bool CallProcessor::CommitBatch() {
    if (!batch_)
        return !std::exchange(batchLost_, false);
    const std::unique_ptr<sql::Transaction> batch = std::move(batch_);
    const std::unique_ptr<TableUse> use = std::move(batchUse_);
    std::vector<CallLine> lines = std::exchange(batchLines_, {});
    try {
        batch->commit();
    } catch (const sql::Error& e) {
        if (!e.connectionLost())
            throw;
        // The commit may have reached the server before its answer was
        // lost: the guard against storing twice sorts that out on the retry.
        for (CallLine& line : lines)
            line.held = true;
        waiting_.insert(waiting_.begin(), lines.begin(), lines.end());
        unshown_.reset();
        reportLost(e.what());
        return false;
    }
    if (journal_)
        for (const CallLine& line : lines)
            if (line.seq != 0)
                journal_->markDone(line.seq);
    return true;
}

bool CallProcessor::CanPopUp() const {
    return windows_.canPopUp();
}

void CallProcessor::ProcessPendingCall() {
    BusyCursor busy(windows_);
    windows_.historyUpdateDateDisplay();
    if (queue_.empty())
        return;
    const CallLine line = queue_.take();
    // Each line has its own record: a box shown while it is processed may
    // let the next line be processed in between, which must not touch it.
    try {
        if (const auto stored = StoreCall(line))
            ShowCall(*stored);
    } catch (const std::exception& e) {
        messages_.error(std::string(kCallProcessingFailure) + "\r\n" + e.what());
    }
    ReportRawLogFailure();
}

std::optional<StoredCall> CallProcessor::StoreCall(const CallLine& arrived) {
    CallLine line = arrived;
    line.arrival = arrived.arrival.value_or(clock_());
    if (!waiting_.empty() || draining_) {
        holdBehind(std::move(line));
        return std::nullopt;
    }
    try {
        return storeNow(line);
    } catch (const sql::Error& e) {
        if (!e.connectionLost())
            throw;
        lose(line, e.what());
        return std::nullopt;
    }
}

std::optional<StoredCall> CallProcessor::storeNow(const CallLine& line) {
    const DateTime arrival = *line.arrival;
    if (settings_.ExportRecvData && !line.held)
        logRawLine(line, arrival);
    if (cp932::trim(line.text).empty() || (line.recovered && storedBefore(arrival))) {
        markDone(line);
        return std::nullopt;
    }
    if (!line.held)
        announce(!line.recovered);
    StoredCall call = processCall(line.text, arrival, line.held);
    call.live = !line.recovered && !line.held;
    if (call.stored)
        markDone(line);
    if (call.live && callViewWouldTakeCall())
        unshown_ = call.record;
    return call;
}

// A call behind others that wait for the server: logged and announced now,
// as it rings, and stored after them.
void CallProcessor::holdBehind(CallLine line) {
    if (!line.held) {
        if (settings_.ExportRecvData)
            logRawLine(line, *line.arrival);
        try {
            if (!line.recovered && settings_.RingSound)
                windows_.playRingSound();
            if (!windows_.indicatorSet())
                windows_.setIndicator(true);
        } catch (const std::exception& e) {
            messages_.error(std::string(kCallProcessingFailure) + "\r\n" + e.what());
        }
        line.held = true;
    }
    waiting_.push_back(std::move(line));
}

// The server went while `line` was being stored: it waits, and so do the
// calls of the open batch before it, whose rows went with the transaction.
void CallProcessor::lose(const CallLine& line, const std::string& reason) {
    std::vector<CallLine> lines = abandonBatch();
    lines.push_back(line);
    for (CallLine& l : lines)
        l.held = true;
    waiting_.insert(waiting_.begin(), lines.begin(), lines.end());
    if (!windows_.indicatorSet())
        windows_.setIndicator(true);
    reportLost(reason);
}

std::vector<CallLine> CallProcessor::abandonBatch() {
    unshown_.reset(); // its row went with the batch; it is stored again later
    if (batch_)
        batchLost_ = true;
    batch_.reset(); // its rollback fails quietly on the lost connection
    batchUse_.reset();
    return std::exchange(batchLines_, {});
}

void CallProcessor::reportLost(const std::string& reason) {
    if (serverStatus_)
        serverStatus_->reportUnreachable(reason);
}

std::size_t CallProcessor::StoreWaitingCalls(std::size_t most) {
    if (waiting_.empty() || draining_ || most == 0)
        return 0;
    const std::size_t count = std::min(most, waiting_.size());
    std::vector<CallLine> slice(std::make_move_iterator(waiting_.begin()),
                                std::make_move_iterator(waiting_.begin() + count));
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(count));
    // Calls that arrive meanwhile (a box runs its own event loop) wait
    // behind the rest.
    draining_ = true;
    std::vector<CallLine> again;
    std::string lostReason;
    try {
        BeginBatch();
    } catch (const sql::Error& e) {
        if (!e.connectionLost()) {
            draining_ = false;
            waiting_.insert(waiting_.begin(), slice.begin(), slice.end());
            throw;
        }
        again = slice;
        lostReason = e.what();
    }
    for (std::size_t i = 0; again.empty() && i < slice.size(); ++i) {
        try {
            storeNow(slice[i]);
        } catch (const sql::Error& e) {
            if (e.connectionLost()) {
                again = abandonBatch();
                again.insert(again.end(), slice.begin() + static_cast<std::ptrdiff_t>(i),
                             slice.end());
                lostReason = e.what();
                break;
            }
            messages_.error(std::string(kCallProcessingFailure) + "\r\n" + e.what());
        } catch (const std::exception& e) {
            // As for a call processed at once: told, and left in the journal
            // for the next start.
            messages_.error(std::string(kCallProcessingFailure) + "\r\n" + e.what());
        }
    }
    draining_ = false;
    if (!again.empty()) {
        batchLost_ = false;
        waiting_.insert(waiting_.begin(), again.begin(), again.end());
        reportLost(lostReason);
        return 0;
    }
    return CommitBatch() ? count : 0; // a lost commit puts the slice back in front
}

void CallProcessor::ShowWaitingCallsStored() {
    windows_.historyRefreshFirstPage();
    if (!windows_.indicatorSet())
        windows_.setIndicator(true);
}

void CallProcessor::ShowCall(const StoredCall& call) {
    viewRegistered_ = false; // the view may show another caller from here on
    unshown_.reset();
    windows_.historyRefreshFirstPage();
    if (!call.live)
        return; // a call of an earlier run is in the list; nothing pops up for it
    if (windows_.miniViewExists())
        windows_.miniViewShow(call.record);
    if (CanPopUp())
        popUp(call.record);
}

void CallProcessor::ShowCallStoredElsewhere(const CallRecord& record) {
    announce(true);
    StoredCall call;
    call.record = record;
    call.stored = true;
    ShowCall(call);
}

void CallProcessor::logRawLine(const CallLine& line, const DateTime& arrival) {
    try {
        WriteRawCallLog(line, arrival);
        rawLogFailing_ = false;
    } catch (const std::exception& e) {
        if (!rawLogFailing_)
            rawLogFailure_ = e.what();
        rawLogFailing_ = true;
    }
}

void CallProcessor::ReportRawLogFailure() {
    if (rawLogFailure_.empty())
        return;
    const std::string reason = std::exchange(rawLogFailure_, {});
    messages_.warning(std::string(kRawLogFailure) + "\r\n\r\n" + reason);
}

bool CallProcessor::storedBefore(const DateTime& arrival) {
    TableUse use(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    if (!use)
        return false;
    // Stored exactly as AppendCallHistory stores it; the journal gives every
    // call its own arrival time, so the time alone finds its row.
    const std::string stored = DateTime::fromDays(arrival.toDays()).toText();
    return dm_.RecvHis().table().count("\"RecvDateTime\" = ?", {stored}) > 0;
}

// A call that waited for the server may have been stored by a commit whose
// answer never came back. Its row has its arrival time and its number; the
// number as well, because another line PC on the same server has its own
// clock and may store a call of the same millisecond.
bool CallProcessor::storedBefore(const CallRecord& record) {
    TableUse use(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    if (!use)
        return false;
    Table& table = dm_.RecvHis().table();
    const int telField = table.fieldIndex("SchTel");
    const std::size_t index = static_cast<std::size_t>(std::clamp(record.TelIndex, 0, 3));
    const FieldValue schTel = table.storedForm(
        table.def().fields[static_cast<std::size_t>(telField)], record.SchTel[index]);
    const std::string stored = DateTime::fromDays(record.RecvDateTime).toText();
    return table.count("\"RecvDateTime\" = ? AND \"SchTel\" = ?",
                       {stored, std::get<std::string>(schTel)}) > 0;
}

void CallProcessor::markDone(const CallLine& line) {
    if (batch_) {
        batchLines_.push_back(line);
        return;
    }
    if (journal_ && line.seq != 0)
        journal_->markDone(line.seq);
}

// The indicator and the ring sound, before the call is stored. A call
// recovered from an earlier run only sets the indicator.
void CallProcessor::announce(bool live) {
    try {
        if (!live) {
            if (!windows_.indicatorSet())
                windows_.setIndicator(true);
            return;
        }
        updateIndicator();
        if (settings_.RingSound)
            windows_.playRingSound();
    } catch (const std::exception& e) {
        // Telling the user must not cost the call.
        messages_.error(std::string(kCallProcessingFailure) + "\r\n" + e.what());
    }
}

void CallProcessor::updateIndicator() {
    if (windows_.indicatorSet() || windows_.historyListVisible() || windows_.callViewExists() ||
        windows_.miniViewExists())
        return;
    const bool popUpWanted =
        settings_.HisListPopup || settings_.RecvViewPopup || settings_.RecvViewMiniPopup;
    if (popUpWanted && CanPopUp())
        return; // a window will pop up
    windows_.setIndicator(true);
}

StoredCall CallProcessor::processCall(const std::string& line, const DateTime& arrival,
                                      bool guard) {
    std::string number = numberOf(line);
    if (number.starts_with('0'))
        hyphenation_.FormatTelHyphenInPlace(number);

    // The caller the view shows is registered before a later call replaces
    // it. While calls come faster than they are shown, the view keeps its
    // record across several of them: registering it once is enough.
    if (!viewRegistered_ && windows_.callViewExists() && !windows_.callViewBusy() &&
        settings_.NewDataView && settings_.AutoAdd) {
        windows_.callViewRegisterCurrentCaller();
        viewRegistered_ = true;
    }
    registerSupersededCall();

    StoredCall call;
    CallRecord& record = call.record;
    lookup_.LookupCaller(settings_.EarlierSearch, false, number, record);
    if (settings_.BeforeSelectItems || settings_.BeforeRecvDateTime)
        carryOverPreviousCall(number, record);
    record.RecvDateTime = arrival.toDays();
    if (extension_ && extension_->loaded())
        extension_->CallExtension(record);
    if (guard && storedBefore(record)) {
        call.stored = true;
        return call;
    }
    call.stored = AppendCallHistory(record); // a call that could not be stored is still shown
    return call;
}

// Whether the call view, shown the call now, would load it and register its
// caller before the next call replaced it.
bool CallProcessor::callViewWouldTakeCall() const {
    return settings_.RecvViewPopup && settings_.NewDataView && settings_.AutoAdd &&
           !windows_.callViewBusy() && CanPopUp();
}

void CallProcessor::registerSupersededCall() {
    if (!unshown_)
        return;
    CallRecord record = std::move(*unshown_);
    unshown_.reset();
    // The view would have kept it no longer than until this call.
    if (!windows_.callViewBusy())
        windows_.registerUnshownCaller(record);
}

void CallProcessor::carryOverPreviousCall(const std::string& number, CallRecord& record) {
    const auto keys = PreviousCallKeys(record, number, settings_.UsePbAdrs);
    if (keys.empty())
        return;
    TableUse use(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    if (!use)
        return;
    const auto previous = FindPreviousCall(dm_.RecvHis(), keys);
    if (!previous || previous->recvDateTime <= DateTime{})
        return;
    if (settings_.BeforeSelectItems) {
        record.SelItem1 = cp932::cutToWidth(previous->selItem1, CallRecord::kSelItemWidth);
        record.SelItem2 = cp932::cutToWidth(previous->selItem2, CallRecord::kSelItemWidth);
        record.SelItem3 = cp932::cutToWidth(previous->selItem3, CallRecord::kSelItemWidth);
    }
    if (settings_.BeforeRecvDateTime)
        record.PrevRecvDateTime = previous->recvDateTime.toDays();
}

void CallProcessor::popUp(const CallRecord& record) {
    if (settings_.RecvViewMiniPopup)
        windows_.miniViewPopUp(record);
    if (settings_.HisListPopup) {
        windows_.historyPopUp();
        // The list is the larger window; it must not bury the compact view.
        if (settings_.RecvViewMiniPopup)
            windows_.miniViewRaise();
    }
    // A busy call view keeps the caller it shows; the history list then only
    // brings it forward.
    if (settings_.RecvViewPopup)
        windows_.historyShowCallRecord(record);
}

bool CallProcessor::AppendCallHistory(CallRecord& record) {
    record.RecNo = CallRecord::kNoHistoryRow; // until the row is written
    TableUse use(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    if (!use)
        return false;
    const int index = std::clamp(record.TelIndex, 0, 3);
    RecvHisRow row;
    row.AxsDateTime = clock_();
    row.RecvDateTime = DateTime::fromDays(record.RecvDateTime);
    row.RecvWeek = DayOfWeek(row.RecvDateTime);
    row.SchTel = record.SchTel[static_cast<std::size_t>(index)];
    row.Tel = record.Tel[static_cast<std::size_t>(index)];
    row.CorpKana = record.CorpKana;
    row.CorpKanji = record.CorpKanji;
    row.NameKana = record.NameKana;
    row.NameKanji = record.NameKanji;
    row.Division = std::to_string(record.Division);
    row.Rank = record.Rank;
    row.SelItem1 = record.SelItem1;
    row.SelItem2 = record.SelItem2;
    row.SelItem3 = record.SelItem3;
    Table& table = dm_.RecvHis().table();
    const bool onServer = table.database().engine() == sql::Engine::Postgresql;
    HeldBoxes boxes;
    const auto recNo = table.append(dm_.RecvHis().toRecord(row),
                                    onServer ? static_cast<MessageService&>(boxes) : messages_,
                                    {kCallHistoryLimitReached, kCallHistoryCounterFull});
    if (!recNo && table.database().connectionLost())
        throw sql::Error(1, boxes.held.empty() ? "connection lost" : boxes.held.front().text, true);
    for (const MessageRequest& box : boxes.held)
        messages_.ShowCenteredMessage(box);
    if (!recNo)
        return false;
    record.RecNo = *recNo;
    return true;
}

void CallProcessor::WriteRawCallLog(const CallLine& line, const DateTime& arrival) {
    if (line.recovered && line.logOffset && rawLog_.holds(arrival, line.raw, *line.logOffset))
        return;
    rawLog_.append(arrival, line.raw, [&](std::uint64_t offset) {
        if (journal_ && line.seq != 0)
            journal_->markLogged(line.seq, offset);
    });
}

} // namespace kanata
