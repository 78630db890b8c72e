#include "transfer/gui/TAddMeiboFileExportList.h"

#include "data/TDMKanata195.h"
#include "history/gui/DialogSupport.h"
#include "history/gui/ListRowView.h"
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
    auto* top = new QHBoxLayout;
    top->setSpacing(2);
    for (int k = 0; k < kMeiboSortCount; ++k) {
        const auto sort = static_cast<MeiboSort>(k);
        auto* b = new QPushButton(QString::fromUtf8(MeiboSortCaption(sort)), this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, sort] { btnSortClick(sort); });
        btnSort[static_cast<std::size_t>(k)] = b;
        top->addWidget(b);
    }
    top->addStretch();
    const QStringList titles = {QStringLiteral("No."),        QStringLiteral("電話番号１"),
                                QStringLiteral("電話番号２"), QStringLiteral("住所"),
                                QStringLiteral("会社名"),     QStringLiteral("名前")};
    createControls(top, titles, TMeiboList::kDefaultWidths, 780, 380);
    markSortButtons();
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
    markSortButtons();
    RefreshPage(0, 1);
    lbxList->setFocus();
}

void TAddMeiboFileExportList::markSortButtons() {
    for (int k = 0; k < kMeiboSortCount; ++k) {
        QPushButton* b = btnSort[static_cast<std::size_t>(k)];
        const bool current = k == static_cast<int>(sort_);
        QFont f = font();
        f.setBold(current);
        b->setFont(f);
        QPalette p = palette();
        if (current)
            p.setColor(QPalette::ButtonText, Qt::blue);
        b->setPalette(p);
    }
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
