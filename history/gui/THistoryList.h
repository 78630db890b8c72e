#pragma once
// "着信対応履歴一覧": the call history newest first, a page at a time, with
// the weekday buttons, the search conditions, paging, inquiry and deletion.
// The main window creates it once and keeps it for the whole run.
// moc of Qt 6.4 cannot read the C++20 library headers these pull in.
#ifndef Q_MOC_RUN
#include "data/DateTime.h"
#include "history/HistoryCondition.h"
#include "history/HistoryInquiry.h"
#include "history/HistoryListOptions.h"
#include "history/ListPager.h"
#include "ui/gui/DialogSupport.h"
#endif

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace kanata {

class IniFile;
class ListRowModel;
class MessageService;
class RowListView;
class TDMKanata195;
struct IntakeFlags;

// The incoming call view and the caller lookup belong to other windows; the
// owner connects them here. An unset hook makes the inquiry say that the
// function is not ready yet, and never crashes.
struct HistoryListHooks {
    LookupCallerFn lookupCaller;
    // Loads the record into the call view (created when needed), restores
    // it and shows it on top; `popup` is set for an incoming call.
    std::function<void(const CallRecord&, bool popup)> showInCallView;
    std::function<bool()> callViewOpen;
    std::function<bool()> callViewBusy; // unsaved changes or locked: keeps its record
    std::function<int()> callViewRecNo; // -1 when it shows none
    std::function<void()> callViewToFront;
    std::function<void()> callViewRegisterCurrentCaller;
    std::function<bool()> closeCallView; // true when it closed (or was not open)
    // The tables' server went away while the list was filled; unset = a box.
    std::function<void(const std::string& reason)> serverLost;
};

inline constexpr const char* kHistoryListSection = "HISTORY LIST";
inline constexpr const char* kNotReadyMessage = "この機能は現在準備中です  ";

class THistoryList : public QWidget {
    Q_OBJECT
public:
    // `ini` receives section "HISTORY LIST" when the window is destroyed.
    // `clock` gives the present time (tests fix it).
    THistoryList(TDMKanata195& dm, IntakeFlags& flags, MessageService& messages, IniFile& ini,
                 HistoryListOptions options, std::function<DateTime()> clock = {},
                 QWidget* parent = nullptr);
    ~THistoryList() override;

    HistoryListHooks& hooks() { return hooks_; }
    void setDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }
    // New settings (the settings dialog): captions and page size.
    void setOptions(const HistoryListOptions& options);

    // Operations used by the rest of the program.
    void RefreshPage(int mode, int page);
    void ShowCallRecord(const CallRecord& record, bool fromIncomingCall);
    void SetOpenRow(int index);
    void SelectRow(int index, bool exclusive);
    void UpdateDateDisplay();
    void BringToFront();
    // Restores from minimised, shows and brings to front (a call pops it up).
    void PopUp();
    // Writes section "HISTORY LIST" into the settings file.
    void writeSettings(IniFile& ini) const;

    // State, for the owner and the tests.
    int openRow() const { return openRow_; }
    int currentPage() const { return pager_.page(); }
    std::int64_t matchingCount() const { return pager_.count(); }
    const std::vector<std::int64_t>& rowKeys() const { return keys_; }
    const HistoryCondition& condition() const { return condition_; }
    const HistoryListOptions& options() const { return options_; }
    ListRowModel* model() const { return model_; }

    // Controls.
    QToolButton* btnAllWeek = nullptr;
    std::array<QToolButton*, 7> btnWeek{}; // 日 .. 土
    QPushButton* btnJump = nullptr;
    QPushButton* btnPrev = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnInquiry = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClose = nullptr;
    RowListView* lbxRecvHis = nullptr;
    QStatusBar* stbStatus = nullptr;
    std::array<QLabel*, 5> pnlStatus{};
    QMenu* pmHeader = nullptr;
    QAction* pmiDefaultWidth = nullptr;

    static const std::array<int, 11> kDefaultWidths;

    // The paging and list buttons' handlers (ConnectListWindow).
    void btnJumpClick();
    void btnPrevClick();
    void btnNextClick();
    void btnSearchClick();
    void btnInquiryClick();
    void btnDeleteClick();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void createControls();
    void readSettings();
    void applyWeekdayColours();
    RowFilter filter() const;
    void runAutoDelete();
    bool callViewOpen() const;
    void focusListOr(QWidget* fallback);
    void updateStatus();

    void btnWeekClick();
    void deleteSelected();
    void deleteAllMatching();

    TDMKanata195& dm_;
    IntakeFlags& flags_;
    MessageService& messages_;
    IniFile& ini_;
    HistoryListOptions options_;
    std::function<DateTime()> clock_;
    HistoryListHooks hooks_;
    DialogRunner runDialog_;
    ListPager pager_;
    ListRowModel* model_ = nullptr;
    std::vector<std::int64_t> keys_;
    HistoryCondition condition_;
    int openRow_ = -1;
    std::optional<DateTime> shownDate_;
    bool weekdaysGrey_ = false;
};

} // namespace kanata
