#include "intake/CallProcessor.h"

#include "data/Cp932.h"
#include "data/Hyphenation.h"
#include "data/TDMKanata195.h"
#include "intake/CallIntakeWindows.h"
#include "intake/PreviousCall.h"
#include "lookup/CallerLookup.h"
#include "lookup/ExtensionLibrary.h"
#include "platform/MessageService.h"
#include "settings/GlobalSettings.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

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
      clock_(std::move(clock)) {}

bool CallProcessor::CanPopUp() const {
    return windows_.canPopUp();
}

void CallProcessor::ProcessPendingCall() {
    BusyCursor busy(windows_);
    windows_.historyUpdateDateDisplay();
    if (queue_.empty() || !prepareLine())
        return;
    const CallLine line = queue_.take();
    // Each line has its own record: a box shown while it is processed may
    // let the next line be processed in between, which must not touch it.
    try {
        processCall(line.text);
    } catch (const std::exception& e) {
        messages_.error(std::string(kCallProcessingFailure) + "\r\n" + e.what());
    }
}

bool CallProcessor::prepareLine() {
    try {
        if (settings_.ExportRecvData)
            WriteRawCallLog(queue_.front());
        if (cp932::trim(queue_.front().text).empty()) {
            queue_.take();
            return false;
        }
        updateIndicator();
        if (settings_.RingSound)
            windows_.playRingSound();
    } catch (...) {
        queue_.take();
        messages_.error(kCallDataFailure);
        return false;
    }
    return true;
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

void CallProcessor::processCall(const std::string& line) {
    std::string number = numberOf(line);
    if (number.starts_with('0'))
        hyphenation_.FormatTelHyphenInPlace(number);

    if (windows_.callViewExists() && !windows_.callViewBusy() && settings_.NewDataView &&
        settings_.AutoAdd)
        windows_.callViewRegisterCurrentCaller();

    CallRecord record;
    lookup_.LookupCaller(settings_.EarlierSearch, false, number, record);
    if (settings_.BeforeSelectItems || settings_.BeforeRecvDateTime)
        carryOverPreviousCall(number, record);
    record.RecvDateTime = clock_().toDays();
    if (extension_ && extension_->loaded())
        extension_->CallExtension(record);
    AppendCallHistory(record); // a call that could not be stored is still shown

    windows_.historyRefreshFirstPage();
    if (windows_.miniViewExists())
        windows_.miniViewShow(record);
    if (CanPopUp())
        popUp(record);
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
    if (settings_.HisListPopup)
        windows_.historyPopUp();
    // A busy call view keeps the caller it shows; the history list then only
    // brings it forward.
    if (settings_.RecvViewPopup)
        windows_.historyShowCallRecord(record);
}

bool CallProcessor::AppendCallHistory(CallRecord& record) {
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

void CallProcessor::WriteRawCallLog(const CallLine& line) {
    const DateTime now = clock_();
    char name[16], time[16];
    std::snprintf(name, sizeof name, "%04d%02d%02d.txt", now.year, now.month, now.day);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d,", now.hour, now.minute, now.second);
    const fs::path folder = workFolder_ / "rd";
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::ofstream log(folder / name, std::ios::app | std::ios::binary);
    log << time << line.raw << "\r\n";
    log.flush();
    if (!log)
        throw std::runtime_error("cannot write " + (folder / name).string());
}

} // namespace kanata
