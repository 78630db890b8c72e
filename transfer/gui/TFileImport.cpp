#include "transfer/gui/TFileImport.h"

#include "data/TDMKanata195.h"
#include "ui/gui/DialogSupport.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"
#include "transfer/ImportRun.h"
#include "transfer/gui/TConstantInput.h"
#include "transfer/gui/TSetOrderView.h"

#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace kanata {
namespace {

constexpr const char* kSection = "FILE IMPORT";
constexpr int kEmptySampleRows = 20;
constexpr const char* kPbAdrsMessage =
    "ここでのテキストファイル取り込みは着信帳の登録名簿が対象です  \r\n\r\n"
    "番号名鑑のアドレス帳を登録名簿として利用している場合は  \r\n"
    "番号名鑑側で操作をおこなってください";

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QPushButton* button(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    return b;
}

// The sample grid before a file is loaded: 20 rows with their numbers only.
void showEmptySample(QTableWidget* sample) {
    sample->setRowCount(0);
    sample->setRowCount(kEmptySampleRows);
    for (int row = 0; row < kEmptySampleRows; ++row)
        sample->setItem(row, 0, new QTableWidgetItem(QString::asprintf("%3d", row + 1)));
}

QTableWidget* grid(int rows, int columns, QWidget* parent) {
    auto* g = new QTableWidget(rows, columns, parent);
    g->verticalHeader()->hide();
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    return g;
}

// Where browsing starts: the folder of the current path when it exists.
QString browseStart(const QString& current, const std::filesystem::path& appFolder) {
    std::error_code ec;
    const std::filesystem::path path = current.toStdString();
    if (!current.isEmpty() && std::filesystem::is_directory(path.parent_path(), ec))
        return std::filesystem::exists(path, ec) ? current : q(path.parent_path().string());
    return q(appFolder.string());
}

} // namespace

TFileImport::TFileImport(FileImportContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
    setWindowTitle(QStringLiteral("テキストファイル取り込み"));
    buildWidgets();
    connectSignals();
    readSettings();
}

void TFileImport::buildWidgets() {
    rbHistory = new QRadioButton(QStringLiteral("着信対応履歴"), this);
    rbRoster = new QRadioButton(QStringLiteral("登録名簿"), this);
    lblBackup1 = new QLabel(this);
    lblBackup2 = new QLabel(QStringLiteral("フォルダー下にバックアップが作成されます"), this);
    auto* destinationBox = new QGroupBox(QStringLiteral("取り込み先"), this);
    auto* destinationLayout = new QGridLayout(destinationBox);
    destinationLayout->addWidget(rbHistory, 0, 0);
    destinationLayout->addWidget(rbRoster, 0, 1);
    destinationLayout->addWidget(lblBackup1, 0, 2);
    destinationLayout->addWidget(lblBackup2, 1, 2);
    destinationLayout->setColumnStretch(2, 1);
    ColourChosenCaption({rbHistory, rbRoster});

    edtFile = new QLineEdit(this);
    btnBrowse = button(QStringLiteral("参照(&R)"), this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("テキストファイル"), this));
    fileRow->addWidget(edtFile, 1);
    fileRow->addWidget(btnBrowse);

    sgSrc = grid(0, 2, this);
    showEmptySample(sgSrc);
    sgSrc->setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("１件目の内容")});
    sgSrc->setColumnWidth(0, 44);
    sgSrc->horizontalHeader()->setStretchLastSection(true);
    sgSrc->setDragEnabled(true);
    sgSrc->setDragDropMode(QAbstractItemView::DragOnly);
    sgSrc->setMinimumWidth(220);

    sgDest = grid(0, 10, this);
    QStringList captions{QStringLiteral("項目名")};
    for (int slot = 1; slot <= ImportMapping::kSlots; ++slot)
        captions << QStringLiteral("第%1項目").arg(slot);
    sgDest->setHorizontalHeaderLabels(captions);
    sgDest->setColumnWidth(0, 170);
    sgDest->setAcceptDrops(true);
    sgDest->viewport()->setAcceptDrops(true);
    sgDest->setDropIndicatorShown(true);
    sgDest->setContextMenuPolicy(Qt::CustomContextMenu);
    sgDest->setMinimumWidth(520);
    pmDest = new QMenu(this);

    pbProgress = new QProgressBar(this);
    pbProgress->setTextVisible(false);
    btnImport = button(QStringLiteral("取り込み(&I)"), this);
    btnCancel = button(QStringLiteral("キャンセル"), this);

    auto* grids = new QHBoxLayout;
    grids->addWidget(sgSrc, 2);
    grids->addWidget(buildMappingButtons());
    grids->addWidget(sgDest, 5);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(pbProgress, 1);
    bottom->addWidget(btnImport);
    bottom->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(destinationBox);
    layout->addLayout(fileRow);
    layout->addLayout(grids, 1);
    layout->addWidget(buildOptions());
    layout->addLayout(bottom);
    resize(980, 620);
    setGridsActive(false);
}

QWidget* TFileImport::buildMappingButtons() {
    auto* panel = new QWidget(this);
    btnSet = button(QStringLiteral("セット"), panel);
    btnAdd = button(QStringLiteral("追加"), panel);
    btnConstant = button(QStringLiteral("固定値"), panel);
    btnDelete = button(QStringLiteral("削除"), panel);
    btnRowClear = button(QStringLiteral("行クリア"), panel);
    btnAllClear = button(QStringLiteral("全クリア"), panel);
    btnUp = button(QStringLiteral("↑"), panel);
    btnDown = button(QStringLiteral("↓"), panel);
    btnAutoSet = button(QStringLiteral("一括セット"), panel);
    auto* column = new QVBoxLayout(panel);
    column->addStretch(1);
    for (QPushButton* b : {btnSet, btnAdd, btnConstant, btnDelete, btnRowClear, btnAllClear})
        column->addWidget(b);
    column->addSpacing(12);
    column->addWidget(btnUp);
    column->addWidget(btnDown);
    column->addSpacing(12);
    column->addWidget(btnAutoSet);
    column->addStretch(1);
    btnAdd->hide();
    return panel;
}

QWidget* TFileImport::buildOptions() {
    auto* box = new QGroupBox(QStringLiteral("オプション"), this);
    chkSkipRecord =
        new QCheckBox(QStringLiteral("取り込むテキストファイルの１件目は取り込まない"), box);
    chkSameReplace = new QCheckBox(
        QStringLiteral("同じ電話番号のデータが存在する場合新しいデータに置き換える"), box);
    chkNotAutoSupplement =
        new QCheckBox(QStringLiteral("取り込み項目の自動補完をおこなわない"), box);
    chkSkipRecord->setToolTip(
        QStringLiteral("１件目のデータは取り込みません\n１件目がヘッダ情報の場合などに指定します"));
    chkSameReplace->setToolTip(QStringLiteral(
        "既に同じ電話番号のデータが存在する場合に\nそのデータを取り込むデータで置き換えます"));
    chkNotAutoSupplement->setToolTip(
        QStringLiteral("住所がセットされている場合に幾つかの項目が自動的にセットされますが\n"
                       "この処理をおこないません\n"
                       "この指定をおこなうことにより取り込み速度が大幅に向上します"));
    auto* layout = new QVBoxLayout(box);
    for (QCheckBox* c : {chkSkipRecord, chkSameReplace, chkNotAutoSupplement}) {
        layout->addWidget(c);
        auto colour = [c] {
            QPalette p = c->palette();
            p.setColor(QPalette::WindowText, c->isChecked()
                                                 ? QColor(Qt::blue)
                                                 : QApplication::palette().windowText().color());
            c->setPalette(p);
        };
        connect(c, &QCheckBox::toggled, c, colour);
        colour();
    }
    return box;
}

void TFileImport::connectSignals() {
    connect(rbHistory, &QRadioButton::clicked, this,
            [this] { chooseDestination(ImportDestination::History); });
    connect(rbRoster, &QRadioButton::clicked, this,
            [this] { chooseDestination(ImportDestination::Roster); });
    connect(btnBrowse, &QPushButton::clicked, this, &TFileImport::browse);
    connect(btnSet, &QPushButton::clicked, this, [this] { setFromSample(false); });
    connect(btnAdd, &QPushButton::clicked, this, [this] { setFromSample(true); });
    connect(btnConstant, &QPushButton::clicked, this, &TFileImport::addConstant);
    connect(btnDelete, &QPushButton::clicked, this, [this] {
        mapping_.removeLast(selectedItem());
        refillDest();
    });
    auto clearRow = [this] {
        if (selectedItem() > 0)
            mapping_.clearItem(selectedItem());
        refillDest();
    };
    auto clearAll = [this] {
        mapping_.clearAll();
        refillDest();
    };
    connect(btnRowClear, &QPushButton::clicked, this, clearRow);
    connect(btnAllClear, &QPushButton::clicked, this, clearAll);
    connect(btnUp, &QPushButton::clicked, this, [this] { moveItem(-1); });
    connect(btnDown, &QPushButton::clicked, this, [this] { moveItem(1); });
    connect(btnAutoSet, &QPushButton::clicked, this, &TFileImport::autoSet);
    connect(btnImport, &QPushButton::clicked, this, &TFileImport::runImport);
    connect(btnCancel, &QPushButton::clicked, this, &TFileImport::reject);
    connect(sgSrc, &QTableWidget::cellDoubleClicked, this, [this] {
        if (loaded_)
            setFromSample(mapping_.hasFirst(selectedItem()));
    });
    connect(sgDest, &QTableWidget::cellDoubleClicked, this, [this] {
        if (mapping_.hasFirst(selectedItem()))
            showSetOrder();
    });
    connect(sgDest, &QTableWidget::itemSelectionChanged, this, [this] {
        refillDest();
        updateButtons();
    });
    pmDest->addAction(QStringLiteral("セットした内容を確認"), this, &TFileImport::showSetOrder);
    pmDest->addAction(QStringLiteral("行クリア"), this, clearRow);
    pmDest->addAction(QStringLiteral("全クリア"), this, clearAll);
    connect(sgDest, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmDest->popup(sgDest->viewport()->mapToGlobal(at)); });
    edtFile->installEventFilter(this);
    sgDest->viewport()->installEventFilter(this);
}

void TFileImport::readSettings() {
    const IniFile& ini = context_.ini;
    int stored = ini.readInteger(kSection, "ImportDest", 0);
    destination_ = stored == 1 ? ImportDestination::Roster : ImportDestination::History;
    const std::string file = ini.readString(kSection, "File");
    std::error_code ec;
    if (!file.empty() && std::filesystem::exists(file, ec))
        edtFile->setText(q(file));
    chkSkipRecord->setChecked(ini.readBool(kSection, "SkipRecord", false));
    chkSameReplace->setChecked(ini.readBool(kSection, "SameReplace", false));
    chkNotAutoSupplement->setChecked(ini.readBool(kSection, "NotAutoSupplement", false));
    (destination_ == ImportDestination::History ? rbHistory : rbRoster)->setChecked(true);
    chooseDestination(destination_);
}

void TFileImport::writeSettings() {
    IniFile& ini = context_.ini;
    ini.writeInteger(kSection, "ImportDest", static_cast<int>(destination_));
    ini.writeString(kSection, "File", loadedFile_.toStdString());
    ini.writeBool(kSection, "SkipRecord", chkSkipRecord->isChecked());
    ini.writeBool(kSection, "SameReplace", chkSameReplace->isChecked());
    ini.writeBool(kSection, "NotAutoSupplement", chkNotAutoSupplement->isChecked());
    if (!ini.save())
        context_.messages.error(ini.lastError(), this);
}

void TFileImport::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    if (destination_ == ImportDestination::Roster && context_.usePbAdrs)
        QTimer::singleShot(0, this,
                           [this] { context_.messages.information(kPbAdrsMessage, this); });
}

void TFileImport::chooseDestination(ImportDestination destination) {
    if (destination == ImportDestination::Roster && context_.usePbAdrs && isVisible())
        context_.messages.information(kPbAdrsMessage, this);
    destination_ = destination;
    items_ = ImportItems(destination, context_.selectionCaptions);
    mapping_.reset(static_cast<int>(items_.size()) - 1);
    sgDest->setRowCount(static_cast<int>(items_.size()) - 1);
    for (int row = 0; row + 1 < static_cast<int>(items_.size()); ++row)
        sgDest->setItem(row, 0, new QTableWidgetItem(q(items_[row + 1].caption)));
    const bool roster = destination == ImportDestination::Roster;
    chkSameReplace->setEnabled(roster);
    chkNotAutoSupplement->setEnabled(roster);
    lblBackup1->setText(roster ? QStringLiteral("取り込み前データは 「backupMB.imp」 という")
                               : QStringLiteral("取り込み前データは 「backupRH.imp」 という"));
    sgDest->setCurrentCell(0, 0);
    refillDest();
}

bool TFileImport::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtFile && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            confirmFile();
            return true;
        }
    }
    if (watched == sgDest->viewport() && dropOnDest(event))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool TFileImport::dropOnDest(QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    // Only rows of the sample grid are taken (a drop from elsewhere in this
    // program names its source; one from outside carries no row of ours).
    const bool fromSample =
        drop->source() == sgSrc ||
        (!drop->source() && drop->mimeData() &&
         drop->mimeData()->hasFormat(QStringLiteral("application/x-qabstractitemmodeldatalist")));
    if (!fromSample || !loaded_) {
        drop->ignore();
        return true;
    }
    const int row = sgDest->rowAt(drop->position().toPoint().y());
    if (row < 0) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        sgDest->selectRow(row);
        setFromSample(mapping_.hasFirst(selectedItem()));
    }
    return true;
}

void TFileImport::confirmFile() {
    const QString path = edtFile->text().trimmed();
    if (path.isEmpty()) {
        btnBrowse->setFocus();
        return;
    }
    std::error_code ec;
    if (!std::filesystem::exists(path.toStdString(), ec)) {
        context_.messages.information("指定したテキストファイルが見つかりません  ", this);
        edtFile->setFocus();
        return;
    }
    if (path != loadedFile_)
        loadSample(path);
}

void TFileImport::browse() {
    const QString chosen = QFileDialog::getOpenFileName(
        this, QString(), browseStart(edtFile->text().trimmed(), context_.appFolder),
        QStringLiteral("テキストファイル (*.txt);;ＣＳＶファイル (*.csv);;すべてのファイル (*)"));
    if (chosen.isEmpty())
        return;
    edtFile->setText(chosen);
    loadSample(chosen);
}

void TFileImport::resetSample() {
    sample_ = {};
    loaded_ = false;
    loadedFile_.clear();
    mapping_.clearAll();
    showEmptySample(sgSrc);
    setGridsActive(false);
    refillDest();
}

void TFileImport::loadSample(const QString& path) {
    ImportSample sample;
    const SampleProblem problem =
        LoadImportSample(path.toStdString(), context_.dm.dataFolder(), sample);
    if (problem != SampleProblem::None) {
        context_.messages.information(SampleProblemText(problem), this);
        resetSample();
        return;
    }
    resetSample();
    sample_ = std::move(sample);
    const int rows = static_cast<int>(sample_.fields.size());
    sgSrc->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        sgSrc->setItem(row, 0, new QTableWidgetItem(QString::asprintf("%3d", row + 1)));
        sgSrc->setItem(row, 1, new QTableWidgetItem(q(sample_.fields[row])));
    }
    sgSrc->setCurrentCell(0, 1);
    loadedFile_ = path;
    loaded_ = true;
    setGridsActive(true);
    refillDest();
    if (sample_.unmarkedUtf8)
        context_.messages.information(kUnmarkedUtf8Notice, this);
}

void TFileImport::setGridsActive(bool active) {
    for (QTableWidget* g : {sgSrc, sgDest}) {
        QPalette p = g->palette();
        p.setColor(QPalette::Base, active ? QApplication::palette().base().color()
                                          : QApplication::palette().button().color());
        g->setPalette(p);
    }
}

int TFileImport::selectedItem() const {
    const int row = sgDest->currentRow();
    return row >= 0 && row < sgDest->rowCount() ? row + 1 : 0;
}

void TFileImport::setFromSample(bool add) {
    const int item = selectedItem();
    const int field = sgSrc->currentRow();
    if (!loaded_ || item == 0 || field < 0 || field >= static_cast<int>(sample_.fields.size()))
        return;
    MappingSlot slot =
        MappingSlot::forField(field, sample_.fields[static_cast<std::size_t>(field)]);
    if (add)
        mapping_.add(item, std::move(slot));
    else
        mapping_.set(item, std::move(slot));
    refillDest();
}

void TFileImport::addConstant() {
    const int item = selectedItem();
    if (item == 0 || mapping_.isFull(item))
        return;
    TConstantInput input(items_[static_cast<std::size_t>(item)].constantMax, this);
    if (input.exec() != QDialog::Accepted)
        return;
    mapping_.add(item, MappingSlot::forConstant(input.value().toStdString()));
    refillDest();
}

void TFileImport::showSetOrder() {
    const int item = selectedItem();
    if (item == 0)
        return;
    QStringList texts;
    for (const MappingSlot& slot : mapping_.slotsOf(item))
        if (!slot.isEmpty())
            texts << q(slot.shown());
    TSetOrderView view(q(items_[static_cast<std::size_t>(item)].caption), texts, this);
    view.exec();
}

void TFileImport::moveItem(int delta) {
    const int item = selectedItem();
    const int other = item + delta;
    if (item == 0 || other < 1 || other > mapping_.itemCount())
        return;
    mapping_.swap(item, other);
    sgDest->setCurrentCell(other - 1, sgDest->currentColumn());
    refillDest();
}

void TFileImport::autoSet() {
    if (!context_.messages.ask("ファイルの１件目の項目情報を元に  \r\n"
                               "取り込む項目にまとめてセットします  \r\nよろしいですか？  \r\n\r\n"
                               "※認識するヘッダ名称については  \r\n"
                               "マニュアル及びオンラインヘルプを参照してください  ",
                               true, this))
        return;
    chkSkipRecord->setChecked(true);
    AssignByHeaderNames(mapping_, items_, sample_.fields);
    refillDest();
}

void TFileImport::refillDest() {
    const int selected = selectedItem();
    for (int item = 1; item <= mapping_.itemCount(); ++item) {
        const bool chosen = item == selected;
        const auto& itemSlots = mapping_.slotsOf(item);
        for (int s = 0; s < ImportMapping::kSlots; ++s) {
            const MappingSlot& slot = itemSlots[static_cast<std::size_t>(s)];
            auto* cell = new QTableWidgetItem(q(slot.shown()));
            if (slot.kind == MappingSlot::Kind::Constant)
                cell->setForeground(chosen ? QColor(Qt::cyan) : QColor(Qt::blue));
            else if (slot.kind == MappingSlot::Kind::Field && slot.emptySample)
                cell->setForeground(chosen ? QColor(Qt::yellow) : QColor(Qt::red));
            const QSignalBlocker block(sgDest);
            sgDest->setItem(item - 1, s + 1, cell);
        }
    }
    updateButtons();
}

void TFileImport::updateButtons() {
    const int item = selectedItem();
    const bool first = item > 0 && mapping_.hasFirst(item);
    const bool full = item > 0 && mapping_.isFull(item);
    btnSet->setVisible(!first);
    btnAdd->setVisible(first);
    btnSet->setEnabled(loaded_ && item > 0);
    btnAdd->setEnabled(loaded_ && !full);
    btnConstant->setEnabled(loaded_ && item > 0 && !full);
    btnAutoSet->setEnabled(loaded_);
    btnImport->setEnabled(loaded_);
    btnDelete->setEnabled(first);
    btnRowClear->setEnabled(first);
    btnAllClear->setEnabled(!mapping_.isEmpty());
    btnUp->setEnabled(first && item > 1);
    btnDown->setEnabled(first && item < mapping_.itemCount());
}

void TFileImport::setAreasEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             rbHistory, rbRoster, edtFile,     btnBrowse,     sgSrc,          sgDest,
             btnSet,    btnAdd,   btnConstant, btnDelete,     btnRowClear,    btnAllClear,
             btnUp,     btnDown,  btnAutoSet,  chkSkipRecord, chkSameReplace, chkNotAutoSupplement,
             btnImport, btnCancel})
        w->setEnabled(enabled);
    if (enabled) {
        const bool roster = destination_ == ImportDestination::Roster;
        chkSameReplace->setEnabled(roster);
        chkNotAutoSupplement->setEnabled(roster);
        updateButtons();
    }
}

void TFileImport::reject() {
    // The run cannot be left half way through from the window's close box.
    if (!running_)
        QDialog::reject();
}

void TFileImport::runImport() {
    MessageService& messages = context_.messages;
    if (!loaded_) {
        messages.information("テキストファイルが読み込まれていません  ", this);
        edtFile->setFocus();
        return;
    }
    if (const std::string problem = MappingProblem(destination_, mapping_); !problem.empty()) {
        messages.information(problem, this);
        if (!mapping_.isEmpty())
            sgDest->setFocus();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const long long records =
        ImportRecordCount(loadedFile_.toStdString(), chkSkipRecord->isChecked());
    QApplication::restoreOverrideCursor();
    if (records < 1) {
        messages.information(kOnlyOneLineMessage, this);
        return;
    }
    if (!messages.ask("テキストファイルの取り込みを開始します  \r\nよろしいですか？  ", false,
                      this))
        return;

    ImportRequest request;
    request.destination = destination_;
    request.file = loadedFile_.toStdString();
    request.mapping = mapping_;
    request.sampleFieldCount = static_cast<int>(sample_.fields.size());
    request.skipFirst = chkSkipRecord->isChecked();
    const bool roster = destination_ == ImportDestination::Roster;
    request.sameReplace = roster && chkSameReplace->isChecked();
    request.noSupplement = !roster || chkNotAutoSupplement->isChecked();

    setAreasEnabled(false);
    running_ = true;
    pbProgress->setRange(1, static_cast<int>(std::min<long long>(records, INT_MAX)));
    pbProgress->setValue(1);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ImportRun run(context_.dm, context_.hyphenation, context_.supplement, messages, this);
    const ImportResult result = run.run(request, [this](long long read) {
        pbProgress->setValue(static_cast<int>(std::min<long long>(read, pbProgress->maximum())));
        QApplication::processEvents();
    });
    QApplication::restoreOverrideCursor();
    running_ = false;
    messages.information("テキストファイルの取り込みが完了しました  \r\n\r\n読込件数 : " +
                             std::to_string(result.read) +
                             " 件\r\n登録件数 : " + std::to_string(result.registered) + " 件",
                         this);
    writeSettings();
    if (!roster && result.registered > 0 && context_.historyRows)
        context_.historyRows();
    accept();
}

} // namespace kanata
