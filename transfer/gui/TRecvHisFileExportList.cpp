#include "transfer/gui/TRecvHisFileExportList.h"

#include "data/TDMKanata195.h"
#include "history/HistoryRowTexts.h"
#include "ui/gui/DialogSupport.h"
#include "history/gui/THistoryList.h"
#include "history/gui/THistorySearch.h"
#include "transfer/gui/ExportEnvironment.h"

#include <QHBoxLayout>

namespace kanata {
namespace {

QStringList titles(const ExportEnvironment& env) {
    return {QStringLiteral("No."),
            QStringLiteral("日付"),
            QStringLiteral("時刻"),
            QStringLiteral("電話番号"),
            QStringLiteral("会社名"),
            QStringLiteral("名前"),
            QStringLiteral("区分"),
            QStringLiteral("ランク"),
            QString::fromStdString(env.selItemCaptions[0]),
            QString::fromStdString(env.selItemCaptions[1]),
            QString::fromStdString(env.selItemCaptions[2])};
}

} // namespace

TRecvHisFileExportList::TRecvHisFileExportList(ExportEnvironment& env,
                                               const ExportSettings& settings, QWidget* parent)
    : ExportListWindow(env, ExportSource::History, settings, kSection, parent) {
    setWindowTitle(QStringLiteral("テキストファイル出力　着信対応履歴一覧"));
    setOrder(env.dm.RecvHis().table(), "RecvDateTime", true);
    auto* top = new QHBoxLayout;
    top->addStretch();
    createControls(top, titles(env), THistoryList::kDefaultWidths, 750, 380);
}

RowFilter TRecvHisFileExportList::filter() const {
    WeekdayButtons everyDay;
    everyDay.allWeek = true;
    return HistoryRowFilter(condition_, everyDay);
}

std::vector<std::string> TRecvHisFileExportList::cells(const Record& record,
                                                       std::int64_t number) const {
    return HistoryRowCells(env_.dm.RecvHis().fromRecord(record), number);
}

bool TRecvHisFileExportList::editCondition() {
    const DateTime now = DateTime::now();
    THistorySearch dialog(condition_, QDate(now.year, now.month, now.day), this);
    PlaceAtBottomRight(dialog, *this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    condition_ = dialog.condition();
    return true;
}

bool TRecvHisFileExportList::openTable() {
    return env_.dm.OpenRecvHis();
}

void TRecvHisFileExportList::closeTable() {
    env_.dm.CloseRecvHis();
}

} // namespace kanata
