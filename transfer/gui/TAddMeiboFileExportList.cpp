#include "transfer/gui/TAddMeiboFileExportList.h"

#include "data/TDMKanata195.h"
#include "ui/gui/DialogSupport.h"
#include "history/gui/ListRowView.h"
#include "roster/gui/MeiboListParts.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboSearch.h"
#include "transfer/gui/ExportEnvironment.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace kanata {

TAddMeiboFileExportList::TAddMeiboFileExportList(ExportEnvironment& env,
                                                 const ExportSettings& settings, QWidget* parent)
    : ExportListWindow(env, ExportSource::Roster, settings, kSection, parent) {
    setWindowTitle(QStringLiteral("テキストファイル出力　登録名簿一覧"));
    setOrder(env.dm.Meibo().table(), MeiboSortIndex(sort_), false);
    QHBoxLayout* top = MakeMeiboSortRow(this, btnSort, [this](MeiboSort s) { btnSortClick(s); });
    createControls(top, MeiboColumnTitles(), TMeiboList::kDefaultWidths, 780, 380);
    MarkMeiboSort(*this, btnSort, sort_);
}

std::vector<std::string> TAddMeiboFileExportList::cells(const Record& record,
                                                        std::int64_t number) const {
    return MeiboRowCells(env_.dm.Meibo().fromRecord(record), number);
}

void TAddMeiboFileExportList::btnSortClick(MeiboSort sort) {
    if (sort == sort_)
        return;
    sort_ = sort;
    setOrder(env_.dm.Meibo().table(), MeiboSortIndex(sort), false);
    MarkMeiboSort(*this, btnSort, sort_);
    RefreshPage(0, 1);
    lbxList->setFocus();
}

bool TAddMeiboFileExportList::editCondition() {
    TMeiboSearch dialog(condition_, this);
    PlaceAtBottomRight(dialog, *this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    condition_ = dialog.condition();
    return true;
}

bool TAddMeiboFileExportList::openTable() {
    return env_.dm.OpenMeibo();
}

void TAddMeiboFileExportList::closeTable() {
    env_.dm.CloseMeibo();
}

} // namespace kanata
