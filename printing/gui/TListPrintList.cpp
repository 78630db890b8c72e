#include "printing/gui/TListPrintList.h"

#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"
#include "data/TDMKanata195.h"
#include "history/HistoryCondition.h"
#include "history/HistoryRowTexts.h"
#include "history/gui/THistorySearch.h"
#include "platform/MessageService.h"
#include "printing/ListPrintRun.h"
#include "printing/PrintRunTexts.h"
#include "printing/gui/PrinterSettingsFile.h"
#include "roster/gui/TMeiboSearch.h"
#include "settings/IniFile.h"
#include "ui/gui/RangeDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>

#include <array>

namespace kanata {

namespace {

constexpr std::array<int, kHistoryColumnCount> kHistoryWidths{50, 80, 64, 110, 160, 110,
                                                              40, 70, 70, 70,  70};
constexpr std::array<int, kMeiboColumnCount> kMeiboWidths{50, 110, 110, 200, 160, 110};

QStringList HistoryTitles(const std::vector<PrintItem>& items) {
    return {"No.",
            "日付",
            "時刻",
            "電話番号",
            "会社名",
            "名前",
            "区分",
            "ランク",
            QString::fromStdString(items[11].caption),
            QString::fromStdString(items[12].caption),
            QString::fromStdString(items[13].caption)};
}

} // namespace

TListPrintList::TListPrintList(TDMKanata195& dm, MessageService& messages, IniFile& ini,
                               ListPrintSettings settings, QPrinter& printer, QWidget* parent)
    : QDialog(parent), dm_(dm), messages_(messages), ini_(ini), settings_(std::move(settings)),
      printer_(printer), historyCondition_(std::make_unique<HistoryCondition>()) {
    setWindowTitle(history() ? QStringLiteral("一覧表印刷　着信対応履歴一覧")
                             : QStringLiteral("一覧表印刷　登録名簿一覧"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    model_ = new ListRowModel(
        history() ? HistoryTitles(settings_.items)
                  : QStringList{"No.", "電話番号１", "電話番号２", "住所", "会社名", "名前"},
        {0}, this);
    lvRecords = new RowListView(this);
    lvRecords->setModel(model_);
    lvRecords->setItemDelegate(new ListRowDelegate(lvRecords));
    auto* top = new QHBoxLayout;
    lblCount = new QLabel(this);
    lblPage = new QLabel(this);
    top->addWidget(lblCount);
    top->addSpacing(20);
    top->addWidget(lblPage);
    top->addSpacing(20);
    if (!history())
        for (int k = 0; k < kMeiboSortCount; ++k) {
            const auto sort = static_cast<MeiboSort>(k);
            btnSort[static_cast<std::size_t>(k)] =
                new QPushButton(QString::fromUtf8(MeiboSortCaption(sort)), this);
            connect(btnSort[static_cast<std::size_t>(k)], &QPushButton::clicked, this,
                    [this, sort] { btnSortClick(sort); });
            top->addWidget(btnSort[static_cast<std::size_t>(k)]);
        }
    top->addStretch();
    pageButtons = AddPageButtons(this, top);
    auto* buttons = new QHBoxLayout;
    btnSearch = new QPushButton(QStringLiteral("検索条件(&S)"), this);
    btnPrint = new QPushButton(QStringLiteral("印刷(&L)"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    buttons->addWidget(btnSearch);
    buttons->addStretch();
    buttons->addWidget(btnPrint);
    buttons->addWidget(btnCancel);
    LayOutListWindow(*this, top, lvRecords, buttons, new QStatusBar(this));

    if (history())
        RestoreListGeometry(*this, *lvRecords, ini_, section(), 800, 500, kHistoryWidths);
    else
        RestoreListGeometry(*this, *lvRecords, ini_, section(), 800, 500, kMeiboWidths);

    Table& table = history() ? dm_.RecvHis().table() : dm_.Meibo().table();
    pager_ = std::make_unique<ListPager>(table, history() ? "RecvDateTime" : "", history(), 200);
    connect(pageButtons.previous, &QPushButton::clicked, this,
            [this] { refresh(PageMode::Previous, 0); });
    connect(pageButtons.next, &QPushButton::clicked, this, [this] { refresh(PageMode::Next, 0); });
    connect(pageButtons.jump, &QPushButton::clicked, this, [this] {
        if (auto page = AskJumpPage(*this, *pager_, runDialog))
            refresh(PageMode::Refill, *page);
    });
    connect(btnSearch, &QPushButton::clicked, this, [this] { btnSearchClick(); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrintClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    refresh(PageMode::Refill, 1);
}

TListPrintList::~TListPrintList() {
    StoreListGeometry(*this, *lvRecords, ini_, section(),
                      history() ? kHistoryColumnCount : kMeiboColumnCount);
}

const char* TListPrintList::section() const {
    return history() ? "LIST PRINT RECVHIS LIST" : "LIST PRINT MEIBO LIST";
}

RowFilter TListPrintList::filter() const {
    if (history()) {
        WeekdayButtons everyDay;
        everyDay.allWeek = true;
        return HistoryRowFilter(*historyCondition_, everyDay);
    }
    return MeiboRowFilter(meiboCondition_);
}

bool TListPrintList::searchActive() const {
    return history() ? historyCondition_->active : meiboCondition_.active;
}

void TListPrintList::refresh(PageMode mode, int page) {
    BusyCursor busy;
    auto keys = FillPage(*pager_, mode, page, filter(), messages_, this);
    if (!keys)
        return;
    keys_ = *keys;
    const std::size_t rows = keys_.size();
    if (history())
        model_->setRows(PageRowTexts(*pager_, rows, [this](const Record& r, std::int64_t n) {
            return HistoryRowCells(dm_.RecvHis().fromRecord(r), n);
        }));
    else
        model_->setRows(PageRowTexts(*pager_, rows, [this](const Record& r, std::int64_t n) {
            return MeiboRowCells(dm_.Meibo().fromRecord(r), n);
        }));
    ShowPageState(*pager_, true, lblCount, lblPage, pageButtons);
    if (!keys_.empty())
        SelectListRow(*lvRecords, static_cast<int>(rows), 0, true);
}

void TListPrintList::btnSortClick(MeiboSort sort) {
    sort_ = sort;
    pager_ = std::make_unique<ListPager>(dm_.Meibo().table(), MeiboSortIndex(sort), false, 200);
    for (int k = 0; k < kMeiboSortCount; ++k) {
        QFont f = font();
        f.setBold(k == static_cast<int>(sort));
        btnSort[static_cast<std::size_t>(k)]->setFont(f);
    }
    refresh(PageMode::Refill, 1);
}

void TListPrintList::btnSearchClick() {
    if (history()) {
        THistorySearch dialog(*historyCondition_, QDate::currentDate(), this);
        PlaceAtBottomRight(dialog, *this);
        if (RunDialog(runDialog, dialog) != QDialog::Accepted)
            return;
        *historyCondition_ = dialog.condition();
    } else {
        TMeiboSearch dialog(meiboCondition_, this);
        PlaceAtBottomRight(dialog, *this);
        if (RunDialog(runDialog, dialog) != QDialog::Accepted)
            return;
        meiboCondition_ = dialog.condition();
    }
    refresh(PageMode::Refill, 1);
}

std::optional<PrintChoice> TListPrintList::chooseRecords() {
    PrintChoice choice;
    choice.mode = static_cast<PrintChoice::Mode>(settings_.format.dataSelect);
    choice.filter = filter();
    if (choice.mode == PrintChoice::Mode::Selection) {
        choice.selected = SelectedKeys(*lvRecords, keys_);
        if (choice.selected.empty()) {
            (keys_.empty() ? static_cast<QWidget*>(btnSearch) : lvRecords)->setFocus();
            return std::nullopt;
        }
        return choice;
    }
    if (pager_->count() == 0) {
        btnSearch->setFocus();
        return std::nullopt;
    }
    if (choice.mode == PrintChoice::Mode::Range) {
        rangeEnd_ = std::clamp<std::int64_t>(rangeEnd_, 1, pager_->count());
        rangeBegin_ = std::clamp<std::int64_t>(rangeBegin_, 1, rangeEnd_);
        TRangeSpecification dialog(pager_->count(), rangeBegin_, rangeEnd_, this);
        PlaceAtBottomRight(dialog, *this);
        if (RunDialog(runDialog, dialog) != QDialog::Accepted)
            return std::nullopt;
        rangeBegin_ = choice.begin = dialog.begin();
        rangeEnd_ = choice.end = dialog.end();
    }
    return choice;
}

void TListPrintList::btnPrintClick() {
    if (busy_)
        return;
    if (!(printerInstalled ? printerInstalled() : AnyPrinterInstalled())) {
        messages_.error(kNoPrinter, this);
        return;
    }
    busy_ = true;
    if (auto choice = chooseRecords()) {
        const std::int64_t count = ChoiceCount(*choice, pager_->count());
        if (messages_.ask(
                PrintQuestion(choice->mode, count, choice->begin, choice->end, searchActive()),
                false, this))
            print(*choice, count);
    }
    busy_ = false;
}

int TListPrintList::printPages(PrintRecordSource& source, std::int64_t count) {
    const QString file = printer_.outputFileName();
    if (printer_.outputFormat() == QPrinter::PdfFormat && !file.isEmpty())
        return PrintListToPdfDevice(printer_, file.toStdString(), settings_, source, count);
    return PrintList(printer_, settings_, source, count);
}

void TListPrintList::print(const PrintChoice& choice, std::int64_t count) {
    TableUse history(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    TableUse roster(dm_, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    if (!history || !roster)
        return;
    printer_.setDocName(QString::fromUtf8(kPrintJobTitle));
    printer_.setCopyCount(settings_.format.copies);
    {
        BusyCursor busy;
        try {
            if (this->history()) {
                HistoryPrintSource source(dm_.RecvHis(), &dm_.Meibo(), choice,
                                          settings_.format.ignoreTdfkn);
                lastPages_ = printPages(source, count);
            } else {
                RosterPrintSource source(dm_.Meibo(), MeiboSortIndex(sort_), choice,
                                         settings_.format.ignoreTdfkn);
                lastPages_ = printPages(source, count);
            }
        } catch (const sql::SqliteError& e) {
            messages_.error(e.what(), this);
            return;
        }
    }
    messages_.information(kPrintDone, this);
}

} // namespace kanata
