#include "roster/gui/TMeiboList.h"

#include "data/TDMKanata195.h"
#include "history/ListDeletion.h"
#include "history/ListSelection.h"
#include "history/gui/ListRowView.h"
#include "history/gui/ListWindowParts.h"
#include "history/gui/TDeleteTarget.h"
#include "platform/MessageService.h"
#include "roster/gui/MeiboListParts.h"
#include "roster/gui/TMeiboSearch.h"
#include "settings/IniFile.h"
#include "views/CallerRegistration.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>

#include <algorithm>

namespace kanata {
namespace {

std::unique_ptr<ListPager> pagerFor(TDMKanata195& dm, MeiboSort sort, int pageSize) {
    return std::make_unique<ListPager>(dm.Meibo().table(), MeiboSortIndex(sort), false, pageSize);
}

} // namespace

const std::array<int, kMeiboColumnCount> TMeiboList::kDefaultWidths = {40, 114, 114, 200, 170, 114};

// Buttons ignore clicks while one of their operations runs.
class TMeiboList::Busy {
public:
    explicit Busy(TMeiboList& list) : list_(list), entered_(!list.busy_) { list_.busy_ = true; }
    ~Busy() {
        if (entered_)
            list_.busy_ = false;
    }
    explicit operator bool() const { return entered_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    TMeiboList& list_;
    bool entered_;
};

TMeiboList::TMeiboList(TDMKanata195& dm, MessageService& messages, IniFile& ini,
                       MeiboSettings settings, std::filesystem::path customColours, QWidget* parent)
    : QWidget(parent, Qt::Window), dm_(dm), messages_(messages), ini_(ini),
      settings_(std::move(settings)), customColours_(std::move(customColours)),
      pager_(pagerFor(dm, MeiboSort::Registration, settings_.ListMaxCount)) {
    setWindowTitle(QStringLiteral("登録名簿一覧"));
    createControls();
    readSettings();
    btnJump->hide();
    btnPrev->hide();
    btnNext->hide();
}

TMeiboList::~TMeiboList() {
    if (view_) {
        view_->hooks().onClosed = nullptr;
        view_->hooks().onRegistered = nullptr;
        view_->hooks().onCallerTakenOver = nullptr;
        delete view_.data();
    }
    writeSettings();
}

void TMeiboList::createControls() {
    QHBoxLayout* top = MakeMeiboSortRow(this, btnSort, [this](MeiboSort s) { btnSortClick(s); });
    const PageButtons paging = AddPageButtons(this, top);
    btnJump = paging.jump;
    btnPrev = paging.previous;
    btnNext = paging.next;

    model_ = new ListRowModel(MeiboColumnTitles(), {0}, this);
    lbxMeibo = new RowListView(this);
    lbxMeibo->setModel(model_);
    pmHeader = AddColumnWidthMenu(this, lbxMeibo, kDefaultWidths);

    const ListButtons buttons = AddListButtons(this, QStringLiteral("新規登録(&A)"));
    btnSearch = buttons.search;
    btnNew = buttons.extra;
    btnInquiry = buttons.inquiry;
    btnDelete = buttons.remove;
    btnClose = buttons.close;

    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(true);
    for (std::size_t i = 0; i < 2; ++i) {
        pnlStatus[i] = new QLabel(this);
        pnlStatus[i]->setFixedWidth(ScaledPixels(this, i == 0 ? 120 : 100));
        status->addWidget(pnlStatus[i]);
    }
    updateStatus();

    LayOutListWindow(*this, top, lbxMeibo, buttons.row, status);
    ConnectListWindow(this, lbxMeibo, paging, buttons, HandlersOf(this),
                      [this] { return settings_.ListMaxCount; });
    connect(btnNew, &QPushButton::clicked, this, &TMeiboList::btnNewClick);
}

void TMeiboList::readSettings() {
    RestoreListGeometry(*this, *lbxMeibo, ini_, kSection, 780, 380, kDefaultWidths);
}

void TMeiboList::writeSettings() {
    StoreListGeometry(*this, *lbxMeibo, ini_, kSection, kMeiboColumnCount);
    if (!ini_.save())
        messages_.error(ini_.lastError());
}

void TMeiboList::updateStatus() {
    ShowPageState(*pager_, !keys_.empty(), pnlStatus[0], pnlStatus[1], {btnJump, btnPrev, btnNext});
}

void TMeiboList::updateSortButtons() {
    MarkMeiboSort(*this, btnSort, sortSet_ ? std::optional(sort_) : std::nullopt);
}

void TMeiboList::RefreshPage(int mode, int page) {
    BusyCursor busy;
    TableUse use(dm_, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    if (!use)
        return;
    if (openRow_ >= 0 && openRow_ < static_cast<int>(keys_.size()))
        openRecNo_ = keys_[static_cast<std::size_t>(openRow_)];
    else if (view_ && view_->editor().existing())
        openRecNo_ = view_->editor().recNo();
    const int oldOpen = openRow_;
    openRow_ = -1;

    const auto pageMode = static_cast<PageMode>(std::clamp(mode, 0, 2));
    const bool keepPlace = pageMode == PageMode::Refill && page == 0;
    const RememberedSelection remembered =
        keepPlace ? RememberPlace(*lbxMeibo, keys_) : RememberedSelection{};

    std::optional<std::vector<std::int64_t>> shown =
        FillPage(*pager_, pageMode, page, MeiboRowFilter(condition_), messages_, this);
    if (!shown) {
        openRow_ = oldOpen;
        return;
    }
    keys_ = std::move(*shown);
    model_->setRows(PageRowTexts(*pager_, keys_.size(), [this](const auto& row, std::int64_t n) {
        return MeiboRowCells(dm_.Meibo().fromRecord(row), n);
    }));
    updateStatus();
    if (view_ && openRecNo_)
        openRow_ = IndexOfKey(keys_, openRecNo_);
    // Marked on one page of one order; elsewhere nothing is drawn open.
    model_->setOpenRow(pager_->page() == openPage_ ? openRow_ : -1);
    PlaceSelection(*lbxMeibo, keys_, pageMode, keepPlace, remembered);
}

void TMeiboList::SetOpenRow(int index) {
    if (index < -1 || index >= static_cast<int>(keys_.size()))
        return;
    openRow_ = index;
    openPage_ = pager_->page();
    openRecNo_.reset();
    if (index >= 0)
        openRecNo_ = keys_[static_cast<std::size_t>(index)];
    model_->setOpenRow(index);
    lbxMeibo->viewport()->update();
}

void TMeiboList::SelectRow(int index, bool exclusive) {
    SelectListRow(*lbxMeibo, static_cast<int>(keys_.size()), index, exclusive);
}

int TMeiboList::IndexOfRecNo(int recNo) const {
    return IndexOfKey(keys_, recNo);
}

void TMeiboList::MarkRecord(int recNo) {
    const int index = IndexOfRecNo(recNo);
    if (index < 0)
        return;
    SetOpenRow(index);
    SelectRow(index, true);
}

QStringList TMeiboList::rowCells(int row) const {
    if (row < 0 || row >= static_cast<int>(model_->rows().size()))
        return {};
    return model_->rows()[static_cast<std::size_t>(row)];
}

bool TMeiboList::rowDrawnOpen(int row) const {
    return row >= 0 && model_->openRow() == row;
}

void TMeiboList::focusListOr(QWidget* fallback) {
    (keys_.empty() ? fallback : static_cast<QWidget*>(lbxMeibo))->setFocus();
}

void TMeiboList::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (e->spontaneous()) // restored from minimised: not an opening
        return;
    // Every opening starts in registration order on page 1.
    sortSet_ = false;
    btnSortClick(MeiboSort::Registration);
}

void TMeiboList::btnSortClick(MeiboSort sort) {
    if (sortSet_ && sort == sort_)
        return;
    Busy busy(*this);
    if (!busy)
        return;
    sort_ = sort;
    sortSet_ = true;
    pager_ = pagerFor(dm_, sort, settings_.ListMaxCount);
    updateSortButtons();
    RefreshPage(0, 1);
    if (openRow_ >= 0)
        SelectRow(openRow_, true);
    focusListOr(btnClose);
}

void TMeiboList::btnPrevClick() {
    Busy busy(*this);
    if (!busy)
        return;
    RefreshPage(1, 0);
    lbxMeibo->setFocus();
}

void TMeiboList::btnNextClick() {
    Busy busy(*this);
    if (!busy)
        return;
    RefreshPage(2, 0);
    lbxMeibo->setFocus();
}

void TMeiboList::btnJumpClick() {
    Busy busy(*this);
    if (!busy)
        return;
    const std::optional<int> page = AskJumpPage(*this, *pager_, runDialog_);
    if (!page)
        return;
    if (*page != pager_->page())
        RefreshPage(0, *page);
    if (!keys_.empty())
        lbxMeibo->setFocus();
}

void TMeiboList::btnSearchClick() {
    Busy busy(*this);
    if (!busy)
        return;
    TMeiboSearch dialog(condition_, this);
    PlaceAtBottomRight(dialog, *this);
    if (RunDialog(runDialog_, dialog) != QDialog::Accepted)
        return;
    closeView();
    condition_ = dialog.condition();
    RefreshPage(0, 1);
    if (openRow_ >= 0)
        SelectRow(openRow_, true);
    if (!keys_.empty())
        lbxMeibo->setFocus();
    else
        (condition_.active ? btnSearch : btnClose)->setFocus();
}

TMeiboView& TMeiboList::ensureView() {
    if (!view_) {
        // Its own child: while the list is modal, only its children take input.
        auto* view = new TMeiboView(dm_, messages_, settings_, ini_, customColours_, this);
        MeiboViewHooks hooks = viewHooks_;
        hooks.onRegistered = [this](bool replaced) {
            RefreshPage(0, 0);
            if (replaced && openRow_ >= 0)
                SelectRow(openRow_, true);
        };
        hooks.onCallerTakenOver = [this](int recNo) { MarkRecord(recNo); };
        hooks.onClosed = [this] {
            view_ = nullptr;
            SetOpenRow(-1);
            RefreshPage(0, 0);
            focusListOr(btnClose);
        };
        view->hooks() = std::move(hooks);
        view_ = view;
    }
    return *view_;
}

// The editor's pending changes before it takes another record; false when
// the switch stops.
bool TMeiboList::saveEditorFirst(bool forInquiry) {
    if (!view_ || view_->IsSubDialogOpen() || !settings_.AutoSaveMeibo)
        return true;
    const int result = view_->SavePendingChanges();
    if (result == kSaveDone)
        RefreshPage(0, 0);
    if (result == kSaveDone || result == kSaveDiscarded)
        return true;
    if (!forInquiry || result == kSaveCancelled) {
        view_->BringToFront();
        return false;
    }
    if (settings_.SaveMeiboConfirm) {
        if (result == kSaveConflict)
            messages_.information(MessageLines({"指定した電話番号は既に登録されているため",
                                                "自動登録できませんでした"}),
                                  this);
        else
            messages_.information(MessageLines({"何らかの原因により自動登録に失敗しました"}), this);
    }
    return true;
}

void TMeiboList::btnNewClick() {
    Busy busy(*this);
    if (!busy)
        return;
    if (!saveEditorFirst(false))
        return;
    TMeiboView& view = ensureView();
    SetOpenRow(-1);
    view.LoadRecord(nullptr);
    view.BringToFront();
    view.edtTel1->setFocus();
}

void TMeiboList::btnInquiryClick() {
    Busy busy(*this);
    if (!busy)
        return;
    const std::vector<int> selected = lbxMeibo->selectedRowNumbers();
    if (selected.size() != 1) {
        if (selected.size() >= 2)
            messages_.information("照会するには１件だけ選択してください", this);
        return;
    }
    const int row = selected.front();
    // Taken now: saving the editor refills the page, and the row may then
    // hold another record, or be gone.
    const std::int64_t recNo = keys_[static_cast<std::size_t>(row)];
    if (view_) {
        if (row == openRow_ && pager_->page() == openPage_) {
            view_->BringToFront();
            return;
        }
        if (!saveEditorFirst(true))
            return;
    }
    std::optional<MeiboRow> record;
    {
        TableUse use(dm_, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        if (!use)
            return;
        record = dm_.Meibo().find(static_cast<int>(recNo));
    }
    if (!record) {
        messages_.error("該当するデータが見つかりませんでした", this);
        return;
    }
    // A refill after saving may have moved the row.
    const int index = IndexOfRecNo(static_cast<int>(recNo));
    SetOpenRow(index);
    if (index >= 0)
        SelectRow(index, true);
    TMeiboView& view = ensureView();
    view.LoadRecord(&*record);
    view.BringToFront();
}

void TMeiboList::btnDeleteClick() {
    Busy busy(*this);
    if (!busy)
        return;
    const std::size_t selected = lbxMeibo->selectedRowNumbers().size();
    const auto target = ChooseRowsToDelete(
        *this, settings_.DeleteType, QStringLiteral("登録名簿　削除"), static_cast<int>(selected),
        !keys_.empty(),
        MessageLines(
            {(std::to_string(selected) + "件のデータを削除します").c_str(), "よろしいですか？"}),
        messages_, runDialog_);
    if (RunChosenDeletion(
            target, [this] { deleteSelected(); }, [this] { deleteAllMatching(); }))
        focusListOr(btnClose);
}

void TMeiboList::closeView() {
    if (view_)
        view_->close();
}

void TMeiboList::deleteSelected() {
    const std::optional<RowDeletion> deletion =
        DeleteSelectedRows(*lbxMeibo, keys_, dm_, &TDMKanata195::OpenMeibo,
                           &TDMKanata195::CloseMeibo, dm_.Meibo().table(), messages_, this);
    if (!deletion)
        return;
    const std::vector<std::int64_t>& deleted = deletion->deleted;
    const bool openGone =
        view_ && view_->editor().existing() &&
        std::find(deleted.begin(), deleted.end(), view_->editor().recNo()) != deleted.end();
    if (openGone) {
        SetOpenRow(-1);
        closeView();
    }
    if (!deleted.empty()) {
        lbxMeibo->clearSelection();
        RefreshPage(0, 0);
        KeepTopAndCaret(*lbxMeibo, static_cast<int>(keys_.size()), deletion->top, deletion->caret);
    }
    TellDeleted(messages_, static_cast<std::int64_t>(deleted.size()), this);
}

void TMeiboList::deleteAllMatching() {
    std::int64_t deleted = 0;
    if (!WorkOnTable(
            dm_, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo, messages_, this,
            [&] { deleted = DeleteMatchingRows(dm_.Meibo().table(), MeiboRowFilter(condition_)); }))
        return;
    if (view_) {
        SetOpenRow(-1);
        closeView();
    }
    TellDeleted(messages_, deleted, this);
    if (deleted > 0)
        RefreshPage(0, 0);
}

void TMeiboList::keyPressEvent(QKeyEvent* e) {
    if (!CloseOnEscape(*this, e))
        QWidget::keyPressEvent(e);
}

void TMeiboList::closeEvent(QCloseEvent* e) {
    // The list stays while its editor is still there.
    closeView();
    if (view_ && view_->isVisible()) {
        e->ignore();
        return;
    }
    e->accept();
}

void TMeiboList::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    if (!e->spontaneous()) // not when minimised
        emit closed();
}

void TMeiboList::setSettings(MeiboSettings settings) {
    const bool pageSizeChanged = settings.ListMaxCount != settings_.ListMaxCount;
    settings_ = std::move(settings);
    if (pageSizeChanged)
        pager_ = pagerFor(dm_, sort_, settings_.ListMaxCount);
}

} // namespace kanata
