#include "transfer/gui/ExportListWindow.h"

#include "history/gui/ListRowView.h"
#include "history/gui/ListWindowParts.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"
#include "transfer/gui/ExportEnvironment.h"
#include "transfer/gui/ExportRunFlow.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

namespace kanata {

ExportListWindow::ExportListWindow(ExportEnvironment& env, ExportSource source,
                                   const ExportSettings& settings, const char* section,
                                   QWidget* parent)
    : QDialog(parent), env_(env), section_(section),
      flow_(std::make_unique<ExportRunFlow>(env, source, settings, section, *this)) {
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(false);
}

ExportListWindow::~ExportListWindow() {
    writeGeometry();
}

void ExportListWindow::createControls(QHBoxLayout* top, const QStringList& titles,
                                      std::span<const int> defaultWidths, int width, int height) {
    columnCount_ = static_cast<int>(titles.size());
    const PageButtons paging = AddPageButtons(this, top);
    btnJump = paging.jump;
    btnPrev = paging.previous;
    btnNext = paging.next;
    btnJump->hide();
    btnPrev->hide();
    btnNext->hide();

    model_ = new ListRowModel(titles, {0}, this);
    lbxList = new RowListView(this);
    lbxList->setModel(model_);
    lbxList->pageKeyHandler = [this](int key, int caret) { return pageKey(key, caret); };
    ResetColumnWidths(*this, *lbxList, defaultWidths);
    AddColumnWidthMenu(this, lbxList, defaultWidths);

    btnSearch = new QPushButton(QStringLiteral("検索条件(&S)"), this);
    btnExport = new QPushButton(QStringLiteral("出力(&E)"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    for (QPushButton* b : {btnSearch, btnExport, btnCancel, btnJump, btnPrev, btnNext})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnSearch);
    buttons->addStretch();
    buttons->addWidget(btnExport);
    buttons->addWidget(btnCancel);

    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(true);
    for (std::size_t i = 0; i < pnlStatus.size(); ++i) {
        pnlStatus[i] = new QLabel(this);
        pnlStatus[i]->setFixedWidth(ScaledPixels(this, i == 0 ? 120 : 100));
        status->addWidget(pnlStatus[i]);
    }
    LayOutListWindow(*this, top, lbxList, buttons, status);
    RestoreListGeometry(*this, *lbxList, env_.ini, section_, width, height, defaultWidths);

    connect(btnPrev, &QPushButton::clicked, this, [this] {
        RefreshPage(1, 0);
        lbxList->setFocus();
    });
    connect(btnNext, &QPushButton::clicked, this, [this] {
        RefreshPage(2, 0);
        lbxList->setFocus();
    });
    connect(btnJump, &QPushButton::clicked, this, &ExportListWindow::btnJumpClick);
    connect(btnSearch, &QPushButton::clicked, this, &ExportListWindow::btnSearchClick);
    connect(btnExport, &QPushButton::clicked, this, &ExportListWindow::btnExportClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lbxList, &RowListView::enterPressed, this,
            [this] { (keys_.empty() ? btnCancel : btnExport)->setFocus(); });
    updateStatus();
}

void ExportListWindow::setOrder(Table& table, const std::string& index, bool backwards) {
    index_ = index;
    backwards_ = backwards;
    pager_ = std::make_unique<ListPager>(table, index, backwards, env_.pageSize);
}

std::int64_t ExportListWindow::matchingCount() const {
    return pager_ ? pager_->count() : 0;
}

void ExportListWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (filled_)
        return;
    filled_ = true;
    RefreshPage(0, 1);
    flow_->resetRange(matchingCount());
    if (!keys_.empty())
        lbxList->setFocus();
}

void ExportListWindow::updateStatus() {
    if (pager_)
        ShowPageState(*pager_, !keys_.empty(), pnlStatus[0], pnlStatus[1],
                      {btnJump, btnPrev, btnNext});
}

void ExportListWindow::RefreshPage(int mode, int page) {
    BusyCursor busy;
    if (!openTable())
        return;
    struct Close {
        ExportListWindow& w;
        ~Close() { w.closeTable(); }
    } close{*this};
    const auto pageMode = static_cast<PageMode>(std::clamp(mode, 0, 2));
    const bool keepPlace = pageMode == PageMode::Refill && page == 0;
    const RememberedSelection remembered =
        keepPlace ? RememberPlace(*lbxList, keys_) : RememberedSelection{};
    std::optional<std::vector<std::int64_t>> shown =
        FillPage(*pager_, pageMode, page, filter(), env_.messages, this);
    if (!shown)
        return;
    keys_ = std::move(*shown);
    model_->setRows(PageRowTexts(*pager_, keys_.size(),
                                 [this](const Record& r, std::int64_t n) { return cells(r, n); }));
    updateStatus();
    PlaceSelection(*lbxList, keys_, pageMode, keepPlace, remembered);
}

bool ExportListWindow::pageKey(int key, int caretRow) {
    return TurnPageByKey(
        key, caretRow, env_.pageSize, {btnJump, btnPrev, btnNext}, [this] { btnPrev->click(); },
        [this] { btnNext->click(); });
}

void ExportListWindow::btnJumpClick() {
    const std::optional<int> page = AskJumpPage(*this, *pager_, {});
    if (!page)
        return;
    if (*page != pager_->page())
        RefreshPage(0, *page);
    if (!keys_.empty())
        lbxList->setFocus();
}

void ExportListWindow::btnSearchClick() {
    if (!editCondition())
        return;
    RefreshPage(0, 1);
    flow_->resetRange(matchingCount());
    (keys_.empty() ? btnSearch : static_cast<QWidget*>(lbxList))->setFocus();
}

void ExportListWindow::btnExportClick() {
    ExportListState state;
    std::vector<int> rows = lbxList->selectedRowNumbers();
    std::sort(rows.begin(), rows.end());
    for (int row : rows)
        state.selected.push_back(keys_[static_cast<std::size_t>(row)]);
    state.matching = matchingCount();
    state.conditionActive = conditionActive();
    state.filter = filter();
    state.index = index_;
    state.descending = backwards_;
    if (flow_->run(state) == ExportRunFlow::Outcome::NothingSelected)
        (keys_.empty() ? btnSearch : static_cast<QWidget*>(lbxList))->setFocus();
}

void ExportListWindow::writeGeometry() {
    if (!lbxList)
        return;
    StoreListGeometry(*this, *lbxList, env_.ini, section_, columnCount_);
    if (!env_.ini.save())
        env_.messages.error(env_.ini.lastError(), this);
}

} // namespace kanata
