#include "transfer/gui/TFileExport.h"
#include "ui/gui/ItemDrag.h"

#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "ui/gui/DialogSupport.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"
#include "transfer/gui/ExportEnvironment.h"
#include "transfer/gui/TAddMeiboFileExportList.h"
#include "transfer/gui/TRecvHisFileExportList.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace kanata {
namespace {

constexpr const char* kPbAdrsNotice =
    "ここでのテキストファイル出力は着信帳の登録名簿が対象です  \r\n\r\n"
    "番号名鑑のアドレス帳を登録名簿として利用している場合は  \r\n"
    "番号名鑑側で操作をおこなってください";

QTableWidget* grid(QWidget* owner, const QStringList& titles) {
    auto* g = new QTableWidget(0, static_cast<int>(titles.size()), owner);
    g->setHorizontalHeaderLabels(titles);
    g->verticalHeader()->hide();
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->horizontalHeader()->setStretchLastSection(true);
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
    return g;
}

QRadioButton* radio(QWidget* owner, const char* caption, QButtonGroup* group, QLayout* layout) {
    auto* b = new QRadioButton(QString::fromUtf8(caption), owner);
    group->addButton(b);
    layout->addWidget(b);
    return b;
}

} // namespace

TFileExport::TFileExport(ExportEnvironment& env, QWidget* parent)
    : QDialog(parent), env_(env), settings_(ExportSettings::Read(env.ini)) {
    setWindowTitle(QStringLiteral("テキストファイル出力"));
    createControls();
    loadSettings();
}

void TFileExport::createControls() {
    auto* top = new QHBoxLayout;
    top->addWidget(createChoices());
    top->addWidget(createOptions(), 1);

    btnList = new QPushButton(QStringLiteral("一覧(&L)"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnList);
    bottom->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(createLayoutGrids(), 1);
    layout->addLayout(bottom);

    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);
    connect(btnList, &QPushButton::clicked, this, &TFileExport::btnListClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(ScaledSize(640), ScaledSize(560));
}

int TFileExport::ScaledSize(int pixels) const {
    return pixels * logicalDpiX() / 96;
}

QWidget* TFileExport::createChoices() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);

    auto* source = new QGroupBox(QStringLiteral("出力対象"), box);
    auto* sourceLayout = new QVBoxLayout(source);
    auto* sourceGroup = new QButtonGroup(source);
    rbRecvHis = radio(source, "着信対応履歴", sourceGroup, sourceLayout);
    rbMeibo = radio(source, "登録名簿", sourceGroup, sourceLayout);
    column->addWidget(source);

    auto* range = new QGroupBox(QStringLiteral("出力範囲"), box);
    auto* rangeLayout = new QVBoxLayout(range);
    auto* rangeGroup = new QButtonGroup(range);
    rbRange[0] = radio(range, "一覧から選択", rangeGroup, rangeLayout);
    rbRange[1] = radio(range, "数値で範囲を指定", rangeGroup, rangeLayout);
    rbRange[2] = radio(range, "全件", rangeGroup, rangeLayout);
    column->addWidget(range);

    auto* type = new QGroupBox(QStringLiteral("出力形式"), box);
    auto* typeLayout = new QVBoxLayout(type);
    auto* typeGroup = new QButtonGroup(type);
    rbEncrypt = radio(type, "暗号化出力", typeGroup, typeLayout);
    rbNormal = radio(type, "通常出力", typeGroup, typeLayout);
    column->addWidget(type);
    column->addStretch();

    connect(rbMeibo, &QRadioButton::toggled, this, [this](bool) { sourceChanged(true); });
    return box;
}

QWidget* TFileExport::createOptions() {
    auto* box = new QGroupBox(QStringLiteral("オプション"), this);
    auto* layout = new QVBoxLayout(box);
    struct Option {
        QCheckBox** box;
        const char* caption;
        const char* hint;
    };
    const Option options[] = {
        {&chkOutHeader, "１レコード目に項目名称を出力する", "１件目に出力する項目名を出力します"},
        {&chkBindDblQuote, "項目を 「”」 でくくる",
         "出力する項目内容を「\"」でくくります\r\n\r\n金額をカンマ付きで入力している場合に\r\n"
         "この項目を出力すると項目数が増えてしまう原因になりますが\r\nこれを防ぐことができます"},
        {&chkEditTelHyphen, "電話番号をハイフン付きで出力する",
         "電話番号を出力する場合に、ハイフン編集をおこないます"},
        {&chkEditPosHyphen, "郵便番号をハイフン付きで出力する",
         "郵便番号を出力する場合に、ハイフン編集をおこないます"},
        {&chkEditDate, "着信日付を「/」で編集して出力する",
         "着信日付を出力する場合に、「/」編集をおこないます"},
        {&chkEditTime, "着信時刻を「：」で編集して出力する",
         "着信時刻を出力する場合に、「:」編集をおこないます"},
        {&chkOutUtf8, "UTF-8で出力する",
         "Shift_JISで表せない文字（𠮷、絵文字など）も「?」に置き換えずに出力します\r\n"
         "ファイルの先頭にはBOMが付きます"},
    };
    for (const Option& o : options) {
        *o.box = new QCheckBox(QString::fromUtf8(o.caption), box);
        (*o.box)->setToolTip(QString::fromUtf8(o.hint).replace(QStringLiteral("\r\n"), "\n"));
        layout->addWidget(*o.box);
        ColourChosenCaption({*o.box});
    }
    layout->addStretch();
    return box;
}

QWidget* TFileExport::createLayoutGrids() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    sgSrc = grid(box, {QStringLiteral("項目")});
    sgSrc->setDragEnabled(true);
    sgSrc->setDragDropMode(QAbstractItemView::DragOnly);
    sgDest = grid(box, {QStringLiteral("列"), QStringLiteral("出力項目")});
    sgDest->setColumnWidth(0, ScaledSize(40));
    sgDest->setAcceptDrops(true);
    sgDest->viewport()->setAcceptDrops(true);
    sgDest->setDragDropMode(QAbstractItemView::DropOnly);
    sgDest->viewport()->installEventFilter(this);

    auto* buttons = new QVBoxLayout;
    btnSet = new QPushButton(QStringLiteral("セット"), box);
    btnAdd = new QPushButton(QStringLiteral("追加"), box);
    btnSetAll = new QPushButton(QStringLiteral("全セット"), box);
    btnDelete = new QPushButton(QStringLiteral("削除"), box);
    btnDeleteAll = new QPushButton(QStringLiteral("全削除"), box);
    btnUp = new QPushButton(QStringLiteral("↑"), box);
    btnDown = new QPushButton(QStringLiteral("↓"), box);
    for (QPushButton* b : {btnSet, btnAdd, btnSetAll, btnDelete, btnDeleteAll, btnUp, btnDown})
        buttons->addWidget(b);
    buttons->addStretch();
    row->addWidget(sgSrc, 1);
    row->addLayout(buttons);
    row->addWidget(sgDest, 1);

    connect(btnSet, &QPushButton::clicked, this, &TFileExport::btnSetClick);
    connect(btnAdd, &QPushButton::clicked, this, &TFileExport::btnAddClick);
    connect(btnSetAll, &QPushButton::clicked, this, &TFileExport::btnSetAllClick);
    connect(btnDelete, &QPushButton::clicked, this, &TFileExport::btnDeleteClick);
    connect(btnDeleteAll, &QPushButton::clicked, this, &TFileExport::btnDeleteAllClick);
    connect(btnUp, &QPushButton::clicked, this, &TFileExport::btnUpClick);
    connect(btnDown, &QPushButton::clicked, this, &TFileExport::btnDownClick);
    connect(sgSrc, &QTableWidget::cellDoubleClicked, this, [this] { btnSetClick(); });
    return box;
}

void TFileExport::loadSettings() {
    const QSignalBlocker block(rbMeibo);
    (settings_.source == ExportSource::Roster ? rbMeibo : rbRecvHis)->setChecked(true);
    rbRange[static_cast<std::size_t>(settings_.range)]->setChecked(true);
    (settings_.type == ExportType::Normal ? rbNormal : rbEncrypt)->setChecked(true);
    const ExportOptions& o = settings_.options;
    chkOutHeader->setChecked(o.OutHeader);
    chkBindDblQuote->setChecked(o.BindDblQuote);
    chkEditTelHyphen->setChecked(o.EditTelHyphen);
    chkEditPosHyphen->setChecked(o.EditPosHyphen);
    chkEditDate->setChecked(o.EditDate);
    chkEditTime->setChecked(o.EditTime);
    chkOutUtf8->setChecked(o.OutUtf8);
    ColourChosenCaption({rbRecvHis, rbMeibo});
    ColourChosenCaption({rbRange[0], rbRange[1], rbRange[2]});
    ColourChosenCaption({rbEncrypt, rbNormal});
    sourceChanged(false);
}

void TFileExport::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (shown_)
        return;
    shown_ = true;
    if (env_.usePbAdrs && settings_.source == ExportSource::Roster)
        QTimer::singleShot(0, this, [this] { env_.messages.information(kPbAdrsNotice, this); });
}

void TFileExport::sourceChanged(bool fromUser) {
    settings_.source = rbMeibo->isChecked() ? ExportSource::Roster : ExportSource::History;
    const bool history = settings_.source == ExportSource::History;
    chkEditDate->setEnabled(history);
    chkEditTime->setEnabled(history);
    showItems();
    showLayout(0);
    if (fromUser && !history && env_.usePbAdrs && isVisible())
        env_.messages.information(kPbAdrsNotice, this);
}

void TFileExport::showItems() {
    const std::vector<std::string> captions =
        ExportItemCaptions(settings_.source, env_.selItemCaptions);
    sgSrc->setRowCount(static_cast<int>(captions.size()));
    for (int i = 0; i < static_cast<int>(captions.size()); ++i)
        sgSrc->setItem(
            i, 0,
            new QTableWidgetItem(QString::fromStdString(captions[static_cast<std::size_t>(i)])));
    sgSrc->setCurrentCell(0, 0);
}

void TFileExport::showLayout(int selectRow) {
    const std::vector<std::string> captions =
        ExportItemCaptions(settings_.source, env_.selItemCaptions);
    const ExportLayout& l = layout();
    sgDest->setRowCount(l.size() + 1); // the trailing empty row takes new entries
    for (int r = 0; r < l.size(); ++r) {
        const ExportLayoutEntry& e = l.entries()[static_cast<std::size_t>(r)];
        char number[16] = "";
        if (e.column != 0)
            std::snprintf(number, sizeof number, "%3d", e.column);
        sgDest->setItem(r, 0, new QTableWidgetItem(QString::fromLatin1(number)));
        sgDest->setItem(r, 1,
                        new QTableWidgetItem(
                            QString::fromStdString(captions[static_cast<std::size_t>(e.item)])));
    }
    sgDest->setItem(l.size(), 0, new QTableWidgetItem);
    sgDest->setItem(l.size(), 1, new QTableWidgetItem);
    sgDest->setCurrentCell(std::clamp(selectRow, 0, l.size()), 1);
}

int TFileExport::layoutRow() const {
    const int row = sgDest->currentRow();
    return row < 0 ? layout().size() : row;
}

int TFileExport::itemRow() const {
    return std::max(sgSrc->currentRow(), 0);
}

void TFileExport::tooMany(bool all) {
    std::string text =
        "セットできる最大項目数は" + std::to_string(ExportLayout::kMaxEntries) + "項目です  ";
    if (all)
        text += "\r\nお手数ですが、個々にセットしてください  ";
    env_.messages.information(text, this);
}

void TFileExport::btnSetClick() {
    const int row = layoutRow();
    const int item = itemRow();
    if (!layout().set(row, item)) {
        tooMany(false);
        return;
    }
    showLayout(row + 1);
    sgSrc->setCurrentCell(std::min(item + 1, kExportItemCount - 1), 0);
}

void TFileExport::btnAddClick() {
    const int row = layoutRow();
    const int inserted = row >= layout().size() ? layout().size() : row + 1;
    if (!layout().add(row, itemRow())) {
        tooMany(false);
        return;
    }
    // As after "セット", the next entry goes below the one just added.
    showLayout(inserted + 1);
}

void TFileExport::btnSetAllClick() {
    if (!layout().setAll(kExportItemCount)) {
        tooMany(true);
        return;
    }
    showLayout(layout().size());
}

void TFileExport::btnDeleteClick() {
    if (layout().empty())
        return;
    const int row = layoutRow();
    layout().remove(row);
    showLayout(std::min(row, layout().size()));
}

void TFileExport::btnDeleteAllClick() {
    layout().clear();
    showLayout(0);
}

void TFileExport::btnUpClick() {
    const int row = layoutRow();
    if (layout().moveUp(row))
        showLayout(row - 1);
}

void TFileExport::btnDownClick() {
    const int row = layoutRow();
    if (layout().moveDown(row))
        showLayout(row + 1);
}

bool TFileExport::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sgDest->viewport() &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
         event->type() == QEvent::Drop))
        return dropOnLayout(event);
    return QDialog::eventFilter(watched, event);
}

// An item dragged from the item grid onto the layout is set where it lands.
// The item is read from the drag's own data, the grid's row of the caption.
bool TFileExport::dropOnLayout(QEvent* event) {
    auto* drop = static_cast<QDropEvent*>(event);
    const int itemRow = DraggedRow(drop->mimeData());
    if (itemRow < 0 || itemRow >= kExportItemCount) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (event->type() != QEvent::Drop)
        return true;
    const int row = sgDest->rowAt(drop->position().toPoint().y());
    sgDest->setCurrentCell(row < 0 ? layout().size() : row, 1);
    sgSrc->setCurrentCell(itemRow, 0);
    btnSetClick();
    return true;
}

void TFileExport::takeOptions() {
    settings_.range = rbRange[1]->isChecked()   ? ExportRange::Numeric
                      : rbRange[2]->isChecked() ? ExportRange::All
                                                : ExportRange::Selection;
    settings_.type = rbNormal->isChecked() ? ExportType::Normal : ExportType::Encrypted;
    ExportOptions& o = settings_.options;
    o.OutHeader = chkOutHeader->isChecked();
    o.BindDblQuote = chkBindDblQuote->isChecked();
    o.EditTelHyphen = chkEditTelHyphen->isChecked();
    o.EditPosHyphen = chkEditPosHyphen->isChecked();
    o.EditDate = chkEditDate->isChecked();
    o.EditTime = chkEditTime->isChecked();
    o.OutUtf8 = chkOutUtf8->isChecked();
}

void TFileExport::btnListClick() {
    const bool history = settings_.source == ExportSource::History;
    std::int64_t count = 0;
    {
        TableUse use(env_.dm, history ? &TDMKanata195::OpenRecvHis : &TDMKanata195::OpenMeibo,
                     history ? &TDMKanata195::CloseRecvHis : &TDMKanata195::CloseMeibo);
        if (!use)
            return;
        try {
            count = history ? env_.dm.RecvHis().count() : env_.dm.Meibo().count();
        } catch (const sql::SqliteError& e) {
            env_.messages.error(e.what(), this);
            return;
        }
    }
    if (count == 0) {
        env_.messages.information(history ? "着信対応履歴ファイルにはデータが登録されていません  "
                                          : "登録名簿ファイルにはデータが登録されていません  ",
                                  this);
        return;
    }
    if (layout().empty()) {
        env_.messages.information("出力項目をセットしてください  ", this);
        return;
    }
    takeOptions();
    settings_.write(env_.ini);
    if (!env_.ini.save())
        env_.messages.error(env_.ini.lastError(), this);
    std::unique_ptr<ExportListWindow> list;
    if (history)
        list = std::make_unique<TRecvHisFileExportList>(env_, settings_, this);
    else
        list = std::make_unique<TAddMeiboFileExportList>(env_, settings_, this);
    list->exec();
}

} // namespace kanata
