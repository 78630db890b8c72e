#include "history/gui/THistoryList.h"

#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "history/HistoryAutoDelete.h"
#include "history/HistoryRowTexts.h"
#include "history/ListDeletion.h"
#include "history/ListSelection.h"
#include "history/gui/ListRowView.h"
#include "history/gui/ListWindowParts.h"
#include "history/gui/TDeleteTarget.h"
#include "history/gui/THistorySearch.h"
#include "intake/gui/IntakeFlags.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"
#include "ui/gui/ForceForeground.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>
#include <cstdio>

namespace kanata {
namespace {

// The request the window posts to itself once it exists (the number the
// menu window uses for its own start-up): the first page is filled then.
constexpr int kFillRequest = 0x8100;
const auto kFillEvent = static_cast<QEvent::Type>(QEvent::User + kFillRequest);

const char* const kWeekdayCaptions[7] = {"日", "月", "火", "水", "木", "金", "土"};
const char* const kWeekdayNames[7] = {"日曜日", "月曜日", "火曜日", "水曜日",
                                      "木曜日", "金曜日", "土曜日"};

// PopupAllowed is cleared while a dialog of the list runs.
struct NoPopups {
    IntakeFlags& flags;
    bool was;
    explicit NoPopups(IntakeFlags& f) : flags(f), was(f.PopupAllowed) { f.PopupAllowed = false; }
    ~NoPopups() { flags.PopupAllowed = was; }
};

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QStringList columnTitles(const HistoryListOptions& o) {
    return {QStringLiteral("No."),      QStringLiteral("日付"),   QStringLiteral("時刻"),
            QStringLiteral("電話番号"), QStringLiteral("会社名"), QStringLiteral("名前"),
            QStringLiteral("区分"),     QStringLiteral("ランク"), qs(o.SelectItem1),
            qs(o.SelectItem2),          qs(o.SelectItem3)};
}

} // namespace

const std::array<int, 11> THistoryList::kDefaultWidths = {40, 90, 64, 114, 168, 112,
                                                          54, 52, 80, 80,  80};

THistoryList::THistoryList(TDMKanata195& dm, IntakeFlags& flags, MessageService& messages,
                           IniFile& ini, HistoryListOptions options,
                           std::function<DateTime()> clock, QWidget* parent)
    : QWidget(parent, Qt::Window), dm_(dm), flags_(flags), messages_(messages), ini_(ini),
      options_(std::move(options)),
      clock_(clock ? std::move(clock) : [] { return DateTime::now(); }),
      pager_(dm.RecvHis().table(), "RecvDateTime", true, options_.ListMaxCount) {
    setWindowTitle(QStringLiteral("着信対応履歴一覧"));
    createControls();
    readSettings();
    btnWeek[static_cast<std::size_t>(DayOfWeek(clock_()) - 1)]->setChecked(true);
    btnJump->hide();
    btnPrev->hide();
    btnNext->hide();
    UpdateDateDisplay();
    if (options_.AutoDel)
        runAutoDelete();
    QApplication::postEvent(this, new QEvent(kFillEvent));
}

THistoryList::~THistoryList() {
    writeSettings(ini_);
    if (!ini_.save())
        messages_.error(ini_.lastError());
}

void THistoryList::createControls() {
    auto* week = new QHBoxLayout;
    week->setSpacing(2);
    btnAllWeek = new QToolButton(this);
    btnAllWeek->setText(QStringLiteral("全曜日"));
    week->addWidget(btnAllWeek);
    for (int d = 0; d < 7; ++d) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromUtf8(kWeekdayCaptions[d]));
        b->setMinimumWidth(ScaledPixels(this, 28));
        btnWeek[static_cast<std::size_t>(d)] = b;
        week->addWidget(b);
    }
    for (QToolButton* b : {btnAllWeek}) {
        b->setMinimumWidth(ScaledPixels(this, 52));
    }
    std::vector<QToolButton*> weekButtons(btnWeek.begin(), btnWeek.end());
    weekButtons.push_back(btnAllWeek);
    for (QToolButton* b : weekButtons) {
        b->setCheckable(true);
        connect(b, &QToolButton::clicked, this, &THistoryList::btnWeekClick);
    }
    week->addStretch();
    const PageButtons paging = AddPageButtons(this, week);
    btnJump = paging.jump;
    btnPrev = paging.previous;
    btnNext = paging.next;

    model_ = new ListRowModel(columnTitles(options_), {0}, this);
    lbxRecvHis = new RowListView(this);
    lbxRecvHis->setModel(model_);
    ResetColumnWidths(*this, *lbxRecvHis, kDefaultWidths);

    pmHeader = AddColumnWidthMenu(this, lbxRecvHis, kDefaultWidths);
    pmiDefaultWidth = pmHeader->actions().front();

    const ListButtons buttons = AddListButtons(this);
    btnSearch = buttons.search;
    btnInquiry = buttons.inquiry;
    btnDelete = buttons.remove;
    btnClose = buttons.close;

    stbStatus = new QStatusBar(this);
    stbStatus->setSizeGripEnabled(true);
    const int widths[5] = {120, 100, 0, 100, 100};
    for (int i = 0; i < 5; ++i) {
        auto* l = new QLabel(this);
        if (widths[i])
            l->setFixedWidth(ScaledPixels(this, widths[i]));
        pnlStatus[static_cast<std::size_t>(i)] = l;
        stbStatus->addWidget(l, widths[i] ? 0 : 1);
    }
    updateStatus();

    LayOutListWindow(*this, week, lbxRecvHis, buttons.row, stbStatus);
    ConnectListWindow(this, lbxRecvHis, paging, buttons, HandlersOf(this),
                      [this] { return options_.ListMaxCount; });
}

void THistoryList::readSettings() {
    RestoreListGeometry(*this, *lbxRecvHis, ini_, kHistoryListSection, 750, 380, kDefaultWidths);
    btnAllWeek->setChecked(ini_.readBool(kHistoryListSection, "AllWeek", false));
}

void THistoryList::writeSettings(IniFile& ini) const {
    StoreListGeometry(*this, *lbxRecvHis, ini, kHistoryListSection, kHistoryColumnCount);
    ini.writeBool(kHistoryListSection, "AllWeek", btnAllWeek->isChecked());
}

void THistoryList::setOptions(const HistoryListOptions& options) {
    options_ = options;
    pager_.setPageSize(options_.ListMaxCount);
    model_->setTitles(columnTitles(options_));
}

bool THistoryList::event(QEvent* e) {
    if (e->type() == kFillEvent) {
        RefreshPage(0, 1);
        return true;
    }
    return QWidget::event(e);
}

void THistoryList::keyPressEvent(QKeyEvent* e) {
    if (!CloseOnEscape(*this, e))
        QWidget::keyPressEvent(e);
}

bool THistoryList::callViewOpen() const {
    return hooks_.callViewOpen && hooks_.callViewOpen();
}

RowFilter THistoryList::filter() const {
    WeekdayButtons w;
    w.allWeek = btnAllWeek->isChecked();
    for (std::size_t d = 0; d < 7; ++d)
        w.days[d] = btnWeek[d]->isChecked();
    return HistoryRowFilter(condition_, w);
}

void THistoryList::updateStatus() {
    ShowPageState(pager_, !keys_.empty(), pnlStatus[0], pnlStatus[1], {btnJump, btnPrev, btnNext});
}

void THistoryList::RefreshPage(int mode, int page) {
    BusyCursor busy;
    TableUse use(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    if (!use)
        return;
    std::optional<std::int64_t> openKey;
    if (openRow_ >= 0 && openRow_ < static_cast<int>(keys_.size()))
        openKey = keys_[static_cast<std::size_t>(openRow_)];
    else if (callViewOpen() && hooks_.callViewRecNo && hooks_.callViewRecNo() >= 0)
        openKey = hooks_.callViewRecNo();
    const int oldOpen = openRow_;
    openRow_ = -1;

    const auto pageMode = static_cast<PageMode>(std::clamp(mode, 0, 2));
    const bool keepPlace = pageMode == PageMode::Refill && page == 0;
    const RememberedSelection remembered =
        keepPlace ? RememberPlace(*lbxRecvHis, keys_) : RememberedSelection{};

    std::optional<std::vector<std::int64_t>> shown =
        FillPage(pager_, pageMode, page, filter(), messages_, this, hooks_.serverLost);
    if (!shown) {
        openRow_ = oldOpen;
        return;
    }
    keys_ = std::move(*shown);
    model_->setRows(PageRowTexts(pager_, keys_.size(), [this](const auto& row, std::int64_t n) {
        return HistoryRowCells(dm_.RecvHis().fromRecord(row), n);
    }));
    updateStatus();
    openRow_ = IndexOfKey(keys_, openKey);
    model_->setOpenRow(openRow_);
    PlaceSelection(*lbxRecvHis, keys_, pageMode, keepPlace, remembered);
}

void THistoryList::SetOpenRow(int index) {
    if (index < -1 || index >= static_cast<int>(keys_.size()))
        return;
    openRow_ = index;
    model_->setOpenRow(index);
    lbxRecvHis->viewport()->update();
}

void THistoryList::SelectRow(int index, bool exclusive) {
    SelectListRow(*lbxRecvHis, static_cast<int>(keys_.size()), index, exclusive);
}

void THistoryList::UpdateDateDisplay() {
    const DateTime now = clock_();
    const DateTime today{now.year, now.month, now.day, 0, 0, 0, 0};
    if (shownDate_ && !(today > *shownDate_))
        return;
    shownDate_ = today;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", today.year, today.month, today.day);
    pnlStatus[3]->setText(QString::fromLatin1(buf));
    pnlStatus[4]->setText(QString::fromUtf8(kWeekdayNames[DayOfWeek(today) - 1]));
}

void THistoryList::BringToFront() {
    if (options_.NotMoveFocus)
        return;
    ForceForeground(*this);
}

void THistoryList::PopUp() {
    if (isMinimized())
        showNormal();
    show();
    BringToFront();
}

void THistoryList::runAutoDelete() {
    NoPopups noPopups(flags_);
    TableUse use(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    if (!use)
        return;
    try {
        DeleteOldHistory(dm_.RecvHis(), options_.DeleteDay, options_.AutoDelConfirm, clock_(),
                         messages_);
    } catch (const sql::SqliteError& e) {
        messages_.error(e.what(), this);
    }
}

void THistoryList::applyWeekdayColours() {
    weekdaysGrey_ = condition_.hasDateRange();
    std::vector<QToolButton*> all(btnWeek.begin(), btnWeek.end());
    all.push_back(btnAllWeek);
    for (QToolButton* b : all) {
        QPalette pal = palette();
        if (weekdaysGrey_)
            pal.setColor(QPalette::ButtonText, palette().color(QPalette::Disabled, QPalette::Text));
        b->setPalette(pal);
    }
}

void THistoryList::focusListOr(QWidget* fallback) {
    (keys_.empty() ? fallback : static_cast<QWidget*>(lbxRecvHis))->setFocus();
}

void THistoryList::btnWeekClick() {
    // While a date range is set, the buttons are grey and do not filter.
    if (weekdaysGrey_)
        return;
    RefreshPage(0, 1);
    if (openRow_ >= 0)
        SelectRow(openRow_, true);
    lbxRecvHis->setFocus();
}

void THistoryList::btnPrevClick() {
    RefreshPage(1, 0);
    lbxRecvHis->setFocus();
}

void THistoryList::btnNextClick() {
    RefreshPage(2, 0);
    lbxRecvHis->setFocus();
}

void THistoryList::btnJumpClick() {
    NoPopups noPopups(flags_);
    const std::optional<int> page = AskJumpPage(*this, pager_, runDialog_);
    if (!page)
        return;
    if (*page != pager_.page())
        RefreshPage(0, *page);
    if (!keys_.empty())
        lbxRecvHis->setFocus();
}

void THistoryList::btnSearchClick() {
    NoPopups noPopups(flags_);
    std::optional<BusyCursor> busy(std::in_place);
    const DateTime now = clock_();
    THistorySearch dialog(condition_, QDate(now.year, now.month, now.day), this);
    PlaceAtBottomRight(dialog, *this);
    busy.reset();
    if (RunDialog(runDialog_, dialog) != QDialog::Accepted)
        return;
    condition_ = dialog.condition();
    if (callViewOpen() && hooks_.closeCallView)
        hooks_.closeCallView();
    applyWeekdayColours();
    RefreshPage(0, 1);
    if (openRow_ >= 0)
        SelectRow(openRow_, true);
    if (!keys_.empty())
        lbxRecvHis->setFocus();
    else
        (condition_.active ? btnSearch : btnClose)->setFocus();
}

void THistoryList::btnInquiryClick() {
    const std::vector<int> selected = lbxRecvHis->selectedRowNumbers();
    if (selected.size() != 1) {
        if (selected.size() >= 2) {
            messages_.information("照会するには１件だけ選択してください", this);
            focusListOr(btnClose);
        }
        return;
    }
    const int row = selected.front();
    // Taken now: the automatic registration below refills the page, and the
    // row may then hold another call, or be gone.
    const std::int64_t recNo = keys_[static_cast<std::size_t>(row)];
    if (callViewOpen()) {
        if (row == openRow_) {
            if (hooks_.callViewToFront)
                hooks_.callViewToFront();
            return;
        }
        const bool busy = hooks_.callViewBusy && hooks_.callViewBusy();
        if (!busy && options_.AutoAdd && hooks_.callViewRegisterCurrentCaller)
            hooks_.callViewRegisterCurrentCaller();
    }
    CallRecord record;
    {
        BusyCursor busy;
        TableUse use(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        if (!use)
            return;
        try {
            auto found = dm_.RecvHis().find(static_cast<int>(recNo));
            if (!found) {
                messages_.error("該当するデータが見つかりませんでした", this);
                return;
            }
            record = BuildInquiryRecord(*found, hooks_.lookupCaller, options_.EarlierSearch,
                                        dm_.RecvHis());
        } catch (const sql::SqliteError& e) {
            messages_.error(e.what(), this);
            return;
        }
    }
    ShowCallRecord(record, false);
}

void THistoryList::ShowCallRecord(const CallRecord& record, bool fromIncomingCall) {
    if (callViewOpen()) {
        const bool busy = hooks_.callViewBusy && hooks_.callViewBusy();
        if (busy || (fromIncomingCall && !options_.NewDataView)) {
            if (hooks_.callViewToFront)
                hooks_.callViewToFront();
            return;
        }
    }
    if (!hooks_.showInCallView) {
        // No call view to hand the record to yet; an incoming call goes on
        // without a box.
        if (!fromIncomingCall)
            messages_.information(kNotReadyMessage, this);
        return;
    }
    SetOpenRow(IndexOfKey(keys_, record.RecNo));
    if (openRow_ >= 0)
        SelectRow(openRow_, true);
    hooks_.showInCallView(record, fromIncomingCall);
    lbxRecvHis->viewport()->update();
}

void THistoryList::btnDeleteClick() {
    const std::size_t selected = lbxRecvHis->selectedRowNumbers().size();
    const auto target =
        ChooseRowsToDelete(*this, options_.DeleteType, QStringLiteral("着信対応履歴　削除"),
                           static_cast<int>(selected), !keys_.empty(),
                           std::to_string(selected) + "件のデータを削除します\r\nよろしいですか？",
                           messages_, runDialog_);
    if (RunChosenDeletion(
            target, [this] { deleteSelected(); }, [this] { deleteAllMatching(); }))
        focusListOr(btnClose);
}

void THistoryList::deleteSelected() {
    const std::optional<RowDeletion> deletion =
        DeleteSelectedRows(*lbxRecvHis, keys_, dm_, &TDMKanata195::OpenRecvHis,
                           &TDMKanata195::CloseRecvHis, dm_.RecvHis().table(), messages_, this);
    if (!deletion)
        return;
    const std::vector<std::int64_t>& deleted = deletion->deleted;
    const bool openGone =
        openRow_ >= 0 && std::find(deleted.begin(), deleted.end(),
                                   keys_[static_cast<std::size_t>(openRow_)]) != deleted.end();
    if (openGone) {
        SetOpenRow(-1);
        if (hooks_.closeCallView)
            hooks_.closeCallView();
    }
    if (!deleted.empty()) {
        // Deleted rows leave the selection; the rest of the place stays.
        for (std::size_t i = 0; i < keys_.size(); ++i)
            if (std::find(deleted.begin(), deleted.end(), keys_[i]) != deleted.end())
                lbxRecvHis->selectionModel()->select(model_->index(static_cast<int>(i), 0),
                                                     QItemSelectionModel::Deselect |
                                                         QItemSelectionModel::Rows);
        RefreshPage(0, 0);
        KeepTopAndCaret(*lbxRecvHis, static_cast<int>(keys_.size()), deletion->top,
                        deletion->caret);
    }
    TellDeleted(messages_, static_cast<std::int64_t>(deleted.size()), this);
}

void THistoryList::deleteAllMatching() {
    std::int64_t deleted = 0;
    if (!WorkOnTable(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis, messages_, this,
                     [&] { deleted = DeleteMatchingRows(dm_.RecvHis().table(), filter()); }))
        return;
    if (callViewOpen() && hooks_.closeCallView) {
        SetOpenRow(-1);
        hooks_.closeCallView();
    }
    TellDeleted(messages_, deleted, this);
    if (deleted > 0)
        RefreshPage(0, 0);
}

void THistoryList::closeEvent(QCloseEvent* e) {
    // The list stays while the call view it opened is still there.
    if (callViewOpen()) {
        if (hooks_.closeCallView)
            hooks_.closeCallView();
        if (callViewOpen()) {
            e->ignore();
            return;
        }
    }
    e->accept();
}

} // namespace kanata
