#include "transfer/gui/TGetReceiveHistory.h"

#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "history/gui/ListRowView.h"
#include "history/gui/ListWindowParts.h"
#include "platform/MessageService.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kanata {

TGetReceiveHistory::TGetReceiveHistory(TDMKanata195& dm, MessageService& messages,
                                       const HyphenationService* hyphenation,
                                       ReceiveHistorySource source, QWidget* parent)
    : QDialog(parent), dm_(dm), messages_(messages), hyphenation_(hyphenation),
      source_(std::move(source)) {
    setWindowTitle(QStringLiteral("着信履歴取り込み"));
    lbxHistory = new QTreeWidget(this);
    lbxHistory->setColumnCount(3);
    lbxHistory->setHeaderLabels(
        {QStringLiteral("日付"), QStringLiteral("時刻"), QStringLiteral("電話番号")});
    lbxHistory->setRootIsDecorated(false);
    lbxHistory->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbxHistory->setUniformRowHeights(true);
    QHeaderView* header = lbxHistory->header();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    const int widths[3] = {104, 76, 130};
    for (int c = 0; c < 3; ++c) {
        header->setSectionResizeMode(c, QHeaderView::Fixed);
        lbxHistory->setColumnWidth(c, ScaledPixels(this, widths[c]));
    }
    lbxHistory->installEventFilter(this);

    btnSave = new QPushButton(QStringLiteral("保存(&S)"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnSave->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbxHistory, 1);
    layout->addLayout(buttons);
    resize(ScaledPixels(this, 104 + 76 + 130 + 40), ScaledPixels(this, 360));

    connect(btnSave, &QPushButton::clicked, this, &TGetReceiveHistory::btnSaveClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TGetReceiveHistory::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (asked_)
        return;
    asked_ = true;
    // Asked once the window is on screen, so the question stands over it.
    QTimer::singleShot(0, this, &TGetReceiveHistory::readFromAdapter);
}

void TGetReceiveHistory::readFromAdapter() {
    if (!messages_.ask("接続機器から着信履歴を読み込みます\r\nよろしいですか？\r\n\r\n"
                       "※機器構成によっては時間がかかることがあります\r\n"
                       "また読み込み中は着信を確認できません",
                       true, this)) {
        btnCancel->setFocus();
        return;
    }
    std::vector<AdapterHistoryRecord> entries;
    bool read = false;
    {
        BusyCursor busy;
        read = source_.read && source_.read(entries);
    }
    if (!read) {
        messages_.information("着信履歴が読み込めませんでした", this);
        btnCancel->setFocus();
        return;
    }
    lines_ = DescribeAdapterHistory(entries, hyphenation_);
    lbxHistory->clear();
    for (const AdapterHistoryLine& line : lines_)
        lbxHistory->addTopLevelItem(new QTreeWidgetItem({QString::fromStdString(line.date),
                                                         QString::fromStdString(line.time),
                                                         QString::fromStdString(line.number)}));
    (lines_.empty() ? static_cast<QWidget*>(btnCancel) : lbxHistory)->setFocus();
    if (!lines_.empty())
        lbxHistory->setCurrentItem(lbxHistory->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
}

bool TGetReceiveHistory::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lbxHistory && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            (lines_.empty() ? btnCancel : btnSave)->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TGetReceiveHistory::btnSaveClick() {
    std::vector<int> rows;
    for (QTreeWidgetItem* item : lbxHistory->selectedItems())
        rows.push_back(lbxHistory->indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end());
    if (rows.empty()) {
        (lines_.empty() ? static_cast<QWidget*>(btnCancel) : lbxHistory)->setFocus();
        return;
    }
    if (!messages_.ask(std::to_string(rows.size()) +
                           "件のデータを着信対応履歴ファイルに保存します\r\nよろしいですか？",
                       false, this))
        return;
    std::vector<AdapterHistoryRecord> chosen;
    for (int row : rows)
        chosen.push_back(lines_[static_cast<std::size_t>(row)].entry);
    AdapterHistorySave result;
    {
        BusyCursor busy;
        TableUse use(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        if (!use)
            return;
        try {
            result = SaveAdapterHistory(dm_.RecvHis(), chosen, hyphenation_, messages_, this);
        } catch (const sql::SqliteError& e) {
            messages_.error(e.what(), this);
            return;
        }
    }
    if (result.saved > 0 && source_.refreshHistoryList)
        source_.refreshHistoryList();
    if (!result.stoppedAtLimit)
        messages_.information(AdapterHistorySaveMessage(result), this);
}

} // namespace kanata
