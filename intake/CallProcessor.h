#pragma once
// The processing of one incoming call: from a line of call data to a stored
// history row and the notifications the user sees.
//
// The main window appends each call-data line of the adapter to the queue
// and posts itself one ProcessPendingCall per line; each processes the
// oldest line. The windows are reached only through CallIntakeWindows, so
// this class knows no widgets.
#include "data/DateTime.h"
#include "lookup/CallRecord.h"

#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>

namespace kanata {

class CallIntakeWindows;
class CallerLookup;
class ExtensionLibrary;
class HyphenationService;
class MessageService;
class TDMKanata195;
struct GlobalSettings;

// One line of call data: the text (UTF-8) and the bytes as the adapter
// library sent them (code page 932), which the raw call log keeps.
struct CallLine {
    std::string text;
    std::string raw;

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
inline constexpr const char* kCallDataFailure = "着信データが正しく取得できませんでした  ";
inline constexpr const char* kCallProcessingFailure = "着信の処理中にエラーが発生しました  ";

class CallProcessor {
public:
    using Clock = std::function<DateTime()>;

    // extension may be null (no extension library in the application folder).
    CallProcessor(TDMKanata195& dm, CallerLookup& lookup, ExtensionLibrary* extension,
                  const HyphenationService& hyphenation, CallIntakeWindows& windows,
                  MessageService& messages, std::filesystem::path workFolder,
                  CallProcessingSettings settings, Clock clock = &DateTime::now);

    CallLineQueue& queue() { return queue_; }
    void setSettings(const CallProcessingSettings& settings) { settings_ = settings; }
    const CallProcessingSettings& settings() const { return settings_; }

    // Processes the oldest waiting line, if any. Every failure is reported in
    // a box and ends the processing of that line only: later lines stay in
    // the queue for their own turn.
    void ProcessPendingCall();

    // Appends the history row of a call and sets record.RecNo. False, after
    // one stop box, when no row was written: the record numbers are used up,
    // the table cannot be opened or the row cannot be posted; record.RecNo
    // is then CallRecord::kNoHistoryRow.
    bool AppendCallHistory(CallRecord& record);

    // Appends "hh:nn:ss,<line as received>" and CR LF to the work folder's
    // rd/yyyymmdd.txt (date and time of the local clock), creating the folder
    // and file when missing. The line is written in the code page 932 bytes
    // the adapter sent. Throws std::runtime_error when it cannot be written.
    void WriteRawCallLog(const CallLine& line);

    // Pop-ups are allowed and no modal dialog of this program is open.
    bool CanPopUp() const;

private:
    // Steps of ProcessPendingCall; false when the line was used up here.
    bool prepareLine();
    void updateIndicator();
    void processCall(const std::string& line);
    void carryOverPreviousCall(const std::string& number, CallRecord& record);
    void popUp(const CallRecord& record);

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
};

} // namespace kanata
