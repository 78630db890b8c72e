#include "views/gui/TOutputItem.h"

#include "platform/MessageService.h"
#include "ui/gui/CallerForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kanata {

using ui::MakeButton;
using ui::MakeButtonColumn;
using ui::MakeButtons;
using ui::MakeRightRow;

namespace {

constexpr int kCodeRole = Qt::UserRole;

const char* const kWesternSample = "AaBbYyZz 0123";
const char* const kJapaneseSample = "着信帳１９.５";

} // namespace

TOutputItem::TOutputItem(const OutputItemSettings& settings, bool addressBookMode,
                         const std::array<std::string, 3>& selectItemNames,
                         MessageService& messages, QWidget* parent)
    : QDialog(parent), settings_(settings), addressBookMode_(addressBookMode),
      selectItemNames_(selectItemNames), messages_(messages) {
    setWindowTitle(QStringLiteral("印刷・出力項目の設定"));
    pcMain = new QTabWidget(this);
    pcMain->addTab(createItemPage(), QStringLiteral("項目設定"));
    pcMain->addTab(createFontPage(), QStringLiteral("フォント"));
    pcMain->addTab(createMemoPage(), QStringLiteral("伝言メモ項目設定"));
    pcMain->setCurrentIndex(std::clamp(settings.InitTab, 0, 2));
    MakeButtons(this, {{&btnOK, "OK"}, {&btnCancel, "キャンセル"}});
    btnOK->setDefault(false);
    auto* main = new QVBoxLayout(this);
    main->addWidget(pcMain);
    main->addLayout(MakeRightRow({btnOK, btnCancel}));
    connect(btnOK, &QPushButton::clicked, this, &TOutputItem::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TOutputItem::reject);
}

QWidget* TOutputItem::createItemPage() {
    auto* page = new QWidget(this);
    lbxItems = new QListWidget(page);
    lbxItems->setMinimumSize(220, 470);
    fillItems(settings_.order(addressBookMode_));
    lbxItems->installEventFilter(this);
    MakeButtons(page, {{&btnTop, "最上段"},
                       {&btnUp, "上"},
                       {&btnDown, "下"},
                       {&btnBottom, "最下段"},
                       {&btnAllOutput, "すべて出力"},
                       {&btnRestoreOrder, "並びを戻す"}});
    chkPrintMsg = new QCheckBox(QStringLiteral("印刷前に確認メッセージを表示する"), page);
    chkPrintMsg->setChecked(settings_.PrintMsg);
    QVBoxLayout* side =
        MakeButtonColumn({btnTop, btnUp, btnDown, btnBottom}, 16, {btnAllOutput, btnRestoreOrder});
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("印刷・出力する項目と順番"), page), 0, 0);
    grid->addWidget(lbxItems, 1, 0);
    grid->addLayout(side, 1, 1);
    grid->addWidget(chkPrintMsg, 2, 0, 1, 2);
    connect(btnTop, &QPushButton::clicked, this, [this] { moveSelected(0); });
    connect(btnUp, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(btnDown, &QPushButton::clicked, this, [this] { moveSelected(2); });
    connect(btnBottom, &QPushButton::clicked, this, [this] { moveSelected(3); });
    connect(btnAllOutput, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < lbxItems->count(); ++i)
            lbxItems->item(i)->setCheckState(Qt::Checked);
    });
    connect(btnRestoreOrder, &QPushButton::clicked, this, [this] { restoreOrder(); });
    connect(lbxItems, &QListWidget::itemDoubleClicked, this, [](QListWidgetItem* item) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
    return page;
}

void TOutputItem::fillItems(const OutputItemOrder& order) {
    lbxItems->clear();
    for (const OutputItem& entry : order) {
        std::string name = OutputItemName(entry.code, addressBookMode_);
        if (entry.code >= kOutputSelItem1 && entry.code < kOutputSelItem1 + 3)
            name = selectItemNames_[entry.code - kOutputSelItem1];
        auto* item = new QListWidgetItem(QString::fromStdString(name), lbxItems);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.output ? Qt::Checked : Qt::Unchecked);
        item->setData(kCodeRole, entry.code);
    }
}

void TOutputItem::moveSelected(int how) {
    const int row = lbxItems->currentRow();
    if (row < 0)
        return;
    const int last = lbxItems->count() - 1;
    const int target = how == 0   ? 0
                       : how == 1 ? std::max(0, row - 1)
                       : how == 2 ? std::min(last, row + 1)
                                  : last;
    if (target == row)
        return;
    QListWidgetItem* item = lbxItems->takeItem(row);
    lbxItems->insertItem(target, item);
    lbxItems->setCurrentRow(target);
}

void TOutputItem::restoreOrder() {
    OutputItemOrder order = settings().order(addressBookMode_);
    std::sort(order.begin(), order.end(),
              [](const OutputItem& a, const OutputItem& b) { return a.position < b.position; });
    const int code =
        lbxItems->currentItem() ? lbxItems->currentItem()->data(kCodeRole).toInt() : -1;
    fillItems(order);
    for (int i = 0; i < lbxItems->count(); ++i) {
        if (lbxItems->item(i)->data(kCodeRole).toInt() == code)
            lbxItems->setCurrentRow(i);
    }
}

QStringList TOutputItem::FixedPitchFonts() {
    QStringList fonts;
    const auto families = QFontDatabase::families();
    for (const QString& family : families) {
        if (family.startsWith(QLatin1Char('@')) || !QFontDatabase::isFixedPitch(family))
            continue;
        const auto systems = QFontDatabase::writingSystems(family);
        if (systems.contains(QFontDatabase::Latin) || systems.contains(QFontDatabase::Japanese))
            fonts << family;
    }
    fonts.removeDuplicates();
    fonts.sort(Qt::CaseInsensitive);
    return fonts;
}

int TOutputItem::charsetOf(const QString& family) const {
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese) ? 128 : 0;
}

QWidget* TOutputItem::createFontPage() {
    auto* page = new QWidget(this);
    lbxFont = new QListWidget(page);
    lbxFont->addItems(FixedPitchFonts());
    lbxFont->setMinimumWidth(220);
    const auto found =
        lbxFont->findItems(QString::fromStdString(settings_.FontName), Qt::MatchExactly);
    if (!found.isEmpty())
        lbxFont->setCurrentItem(found.front());
    lbxSize = new QListWidget(page);
    for (int p = 7; p <= 30; ++p)
        lbxSize->addItem(QString::number(p));
    lbxSize->setCurrentRow(settings_.FontSize);
    lbxSize->setFixedWidth(60);
    chkBold = new QCheckBox(QStringLiteral("太字"), page);
    chkBold->setChecked(settings_.bold());
    chkItalic = new QCheckBox(QStringLiteral("斜体"), page);
    chkItalic->setChecked(settings_.italic());
    lblCharset = new QLabel(page);
    pnlSample = new QLabel(page);
    pnlSample->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlSample->setAlignment(Qt::AlignCenter);
    pnlSample->setMinimumHeight(70);
    auto* note =
        new QLabel(QStringLiteral("※伝言メモを印刷する場合はサイズ９を指定してください"), page);
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("フォント名"), page), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("サイズ"), page), 0, 1);
    grid->addWidget(lbxFont, 1, 0, 3, 1);
    grid->addWidget(lbxSize, 1, 1, 3, 1);
    grid->addWidget(chkBold, 1, 2);
    grid->addWidget(chkItalic, 2, 2);
    auto* sample = new QGroupBox(QStringLiteral("サンプル"), page);
    auto* sampleLayout = new QVBoxLayout(sample);
    sampleLayout->addWidget(pnlSample);
    sampleLayout->addWidget(lblCharset);
    grid->addWidget(sample, 4, 0, 1, 3);
    grid->addWidget(note, 5, 0, 1, 3);
    connect(lbxFont, &QListWidget::currentRowChanged, this, [this] { updateSample(); });
    connect(lbxSize, &QListWidget::currentRowChanged, this, [this] { updateSample(); });
    connect(chkBold, &QCheckBox::toggled, this, [this] { updateSample(); });
    connect(chkItalic, &QCheckBox::toggled, this, [this] { updateSample(); });
    updateSample();
    return page;
}

void TOutputItem::updateSample() {
    const QString family = lbxFont->currentItem() ? lbxFont->currentItem()->text()
                                                  : QString::fromStdString(settings_.FontName);
    QFont font(family);
    font.setPointSize(std::max(0, lbxSize->currentRow()) + 7);
    font.setBold(chkBold->isChecked());
    font.setItalic(chkItalic->isChecked());
    pnlSample->setFont(font);
    const bool japanese =
        lbxFont->currentItem() ? charsetOf(family) == 128 : settings_.FontCharset == 128;
    lblCharset->setText(japanese ? QStringLiteral("文字セット: 日本語")
                                 : QStringLiteral("文字セット: 欧文"));
    pnlSample->setText(QString::fromUtf8(japanese ? kJapaneseSample : kWesternSample));
}

QWidget* TOutputItem::createMemoPage() {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    edtMemoTitle = new QLineEdit(QString::fromStdString(settings_.MemoTitle), page);
    edtMemoTitle->setMaxLength(16);
    form->addRow(QStringLiteral("タイトル"), edtMemoTitle);
    for (int i = 0; i < OutputItemSettings::kMemoItemCount; ++i) {
        edtMemoItem[i] = new QLineEdit(QString::fromStdString(settings_.MemoItems[i]), page);
        edtMemoItem[i]->setMaxLength(16);
        form->addRow(QStringLiteral("項目") + QChar(0xFF11 + i), edtMemoItem[i]);
    }
    cbxTelPos = new QComboBox(page);
    cbxTelPos->addItem(QStringLiteral("表示しない"));
    for (int k = 1; k <= OutputItemSettings::kMemoItemCount; ++k)
        cbxTelPos->addItem(QStringLiteral("項目") + QChar(0xFF10 + k) + QStringLiteral("の下"));
    cbxTelPos->setCurrentIndex(settings_.MemoTelPos);
    form->addRow(QStringLiteral("電話番号の位置"), cbxTelPos);
    chkMemoPrintMsg = new QCheckBox(QStringLiteral("印刷前に用紙設定のメッセージを表示する"), page);
    chkMemoPrintMsg->setChecked(settings_.MemoPrintMsg);
    form->addRow(chkMemoPrintMsg);
    btnMemoDefault = MakeButton("初期状態に戻す", page);
    form->addRow(btnMemoDefault);
    connect(btnMemoDefault, &QPushButton::clicked, this, [this] {
        edtMemoTitle->setText(QString::fromStdString(OutputItemSettings::DefaultMemoTitle()));
        const auto items = OutputItemSettings::DefaultMemoItems();
        for (int i = 0; i < OutputItemSettings::kMemoItemCount; ++i)
            edtMemoItem[i]->setText(QString::fromStdString(items[i]));
        cbxTelPos->setCurrentIndex(2);
    });
    return page;
}

OutputItemSettings TOutputItem::settings() const {
    OutputItemSettings s = settings_;
    OutputItemOrder& order = s.order(addressBookMode_);
    for (int i = 0; i < lbxItems->count() && i < kOutputItemCount; ++i) {
        const int code = lbxItems->item(i)->data(kCodeRole).toInt();
        order[i] = {code, code, lbxItems->item(i)->checkState() == Qt::Checked};
    }
    s.PrintMsg = chkPrintMsg->isChecked();
    if (lbxFont->currentItem()) {
        s.FontName = lbxFont->currentItem()->text().toStdString();
        s.FontCharset = charsetOf(lbxFont->currentItem()->text());
    }
    s.FontSize = std::max(0, lbxSize->currentRow());
    s.FontStyle = (chkBold->isChecked() ? 1 : 0) | (chkItalic->isChecked() ? 2 : 0);
    s.MemoTitle = edtMemoTitle->text().trimmed().toStdString();
    for (int i = 0; i < OutputItemSettings::kMemoItemCount; ++i)
        s.MemoItems[i] = edtMemoItem[i]->text().trimmed().toStdString();
    s.MemoTelPos = cbxTelPos->currentIndex();
    s.MemoPrintMsg = chkMemoPrintMsg->isChecked();
    s.InitTab = pcMain->currentIndex();
    return s;
}

void TOutputItem::accept() {
    bool any = false;
    for (int i = 0; i < lbxItems->count(); ++i)
        any = any || lbxItems->item(i)->checkState() == Qt::Checked;
    if (!any) {
        messages_.information("項目を１つ以上選択してください  ", this);
        pcMain->setCurrentIndex(0);
        lbxItems->setFocus();
        return;
    }
    QDialog::accept();
}

bool TOutputItem::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lbxItems && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kanata
