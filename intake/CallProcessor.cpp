#include "intake/CallProcessor.h"

#include "data/Cp932.h"
#include "data/Hyphenation.h"
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
#include <stdexcept>
#include <utility>

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
    if (batch_)
        return;
    auto use =
        std::make_unique<TableUse>(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    if (!*use)
        return;
    batchUse_ = std::move(use);
    batch_ = std::make_unique<sql::Transaction>(dm_.RecvHis().table().database());
}

void CallProcessor::CommitBatch() {
    if (!batch_)
        return;
    const std::unique_ptr<sql::Transaction> batch = std::move(batch_);
    const std::unique_ptr<TableUse> use = std::move(batchUse_);
    const std::vector<std::uint64_t> done = std::exchange(doneAfterCommit_, {});
    batch->commit();
    if (journal_)
        for (const std::uint64_t seq : done)
            journal_->markDone(seq);
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

std::optional<StoredCall> CallProcessor::StoreCall(const CallLine& line) {
    const DateTime arrival = line.arrival.value_or(clock_());
    if (settings_.ExportRecvData)
        logRawLine(line, arrival);
    if (cp932::trim(line.text).empty() || (line.recovered && storedBefore(arrival))) {
        markDone(line);
        return std::nullopt;
    }
    announce(!line.recovered);
    StoredCall call = processCall(line.text, arrival);
    call.live = !line.recovered;
    if (call.stored)
        markDone(line);
    if (call.live && callViewWouldTakeCall())
        unshown_ = call.record;
    return call;
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

void CallProcessor::markDone(const CallLine& line) {
    if (!journal_ || line.seq == 0)
        return;
    if (batch_)
        doneAfterCommit_.push_back(line.seq);
    else
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

StoredCall CallProcessor::processCall(const std::string& line, const DateTime& arrival) {
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
    const auto recNo = table.append(dm_.RecvHis().toRecord(row), messages_,
                                    {kCallHistoryLimitReached, kCallHistoryCounterFull});
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
