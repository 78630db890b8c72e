#include "printing/gui/RuledLinesPage.h"

#include "printing/gui/StoredColours.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace kanata {

namespace {

const QStringList kLineTypes{"実線（細）", "実線（中）", "実線（太）",
                             "点線（細）", "点線（中）", "一点鎖線"};
const char* const kLineCaptions[kRuledLineCount] = {"上端", "横線", "下端", "左端", "縦線", "右端"};

void Swatch(QLabel* label, std::optional<QColor> colour) {
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window,
                 colour.value_or(label->parentWidget()->palette().color(QPalette::Window)));
    label->setPalette(pal);
    label->setText(colour ? QString() : QStringLiteral("なし"));
}

} // namespace

RuledLinesPage::RuledLinesPage(PrintFormat& format, ColourChooser chooseColour,
                               std::function<void()> linesChanged, QWidget* parent)
    : QWidget(parent), format_(format), chooseColour_(std::move(chooseColour)),
      linesChanged_(std::move(linesChanged)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildLines());
    layout->addWidget(buildColours());
    layout->addStretch();
    connectColours();
}

void RuledLinesPage::showFormat() {
    edtHorzInterval->setValue(format_.horzInterval);
    showLines();
    showColours();
}

QWidget* RuledLinesPage::buildLines() {
    auto* lines = new QGroupBox(QStringLiteral("罫線"), this);
    auto* grid = new QGridLayout(lines);
    for (int i = 0; i < kRuledLineCount; ++i) {
        sbtnLine[static_cast<std::size_t>(i)] = new QToolButton(lines);
        sbtnLine[static_cast<std::size_t>(i)]->setText(QString::fromUtf8(kLineCaptions[i]));
        sbtnLine[static_cast<std::size_t>(i)]->setCheckable(true);
        grid->addWidget(sbtnLine[static_cast<std::size_t>(i)], i / 3, i % 3);
        connect(sbtnLine[static_cast<std::size_t>(i)], &QToolButton::clicked, this, [this, i] {
            ToggleRuledLine(format_.lines, static_cast<RuledLine>(i), lbxLineType->currentRow());
            showLines();
        });
    }
    btnLineNone = new QPushButton(QStringLiteral("なし"), lines);
    btnLineOuter = new QPushButton(QStringLiteral("外枠"), lines);
    btnLineInner = new QPushButton(QStringLiteral("内側"), lines);
    grid->addWidget(btnLineNone, 2, 0);
    grid->addWidget(btnLineOuter, 2, 1);
    grid->addWidget(btnLineInner, 2, 2);
    lbxLineType = new QListWidget(lines);
    lbxLineType->addItems(kLineTypes);
    lbxLineType->setCurrentRow(0);
    grid->addWidget(lbxLineType, 0, 3, 4, 1);
    edtHorzInterval = new QSpinBox(lines);
    edtHorzInterval->setRange(1, 20);
    auto* interval = new QHBoxLayout;
    interval->addWidget(new QLabel(QStringLiteral("水平線の間隔："), lines));
    interval->addWidget(edtHorzInterval);
    interval->addWidget(new QLabel(QStringLiteral("行おき"), lines));
    interval->addStretch();
    grid->addLayout(interval, 3, 0, 1, 3);
    connect(btnLineNone, &QPushButton::clicked, this, [this] {
        ClearRuledLines(format_.lines);
        showLines();
    });
    connect(btnLineOuter, &QPushButton::clicked, this, [this] {
        ToggleEdges(format_.lines, lbxLineType->currentRow());
        showLines();
    });
    connect(btnLineInner, &QPushButton::clicked, this, [this] {
        ToggleInnerLines(format_.lines, lbxLineType->currentRow());
        showLines();
    });
    connect(edtHorzInterval, &QSpinBox::valueChanged, this,
            [this](int v) { format_.horzInterval = v; });

    return lines;
}

QWidget* RuledLinesPage::buildColours() {
    auto* colours = new QGroupBox(QStringLiteral("背景色"), this);
    auto* cgrid = new QGridLayout(colours);
    pnlHeaderColour = new QLabel(colours);
    pnlHeaderColour->setMinimumSize(60, 22);
    pnlHeaderColour->setFrameShape(QFrame::Box);
    btnHeaderColour = new QPushButton(QStringLiteral("項目名の背景色の指定"), colours);
    btnHeaderColourDelete = new QPushButton(QStringLiteral("項目名の背景色を削除"), colours);
    lbxColours = new QListWidget(colours);
    lbxColours->setDragDropMode(QAbstractItemView::InternalMove);
    btnColourAdd = new QPushButton(QStringLiteral("データ行の背景色を追加"), colours);
    btnColourDelete = new QPushButton(QStringLiteral("データ行の背景色を削除"), colours);
    cgrid->addWidget(new QLabel(QStringLiteral("項目名："), colours), 0, 0);
    cgrid->addWidget(pnlHeaderColour, 0, 1);
    cgrid->addWidget(btnHeaderColour, 0, 2);
    cgrid->addWidget(btnHeaderColourDelete, 0, 3);
    cgrid->addWidget(new QLabel(QStringLiteral("データ："), colours), 1, 0);
    cgrid->addWidget(lbxColours, 1, 1, 2, 1);
    cgrid->addWidget(btnColourAdd, 1, 2);
    cgrid->addWidget(btnColourDelete, 1, 3);
    return colours;
}

void RuledLinesPage::connectColours() {
    connect(btnHeaderColour, &QPushButton::clicked, this, [this] {
        if (auto c = chooseColour_(ColourOf(format_.headerColour))) {
            format_.headerColour = StoredOf(*c);
            format_.headerColourExists = true;
            showColours();
        }
    });
    connect(btnHeaderColourDelete, &QPushButton::clicked, this, [this] {
        format_.headerColourExists = false;
        showColours();
    });
    connect(btnColourAdd, &QPushButton::clicked, this, [this] {
        if (format_.dataColours.size() >= kMaxDataColours)
            return;
        if (auto c = chooseColour_(Qt::white)) {
            format_.dataColours.push_back(StoredOf(*c));
            showColours();
        }
    });
    connect(btnColourDelete, &QPushButton::clicked, this, [this] {
        const int row = lbxColours->currentRow();
        if (row < 0 || row >= static_cast<int>(format_.dataColours.size()))
            return;
        format_.dataColours.erase(format_.dataColours.begin() + row);
        showColours();
    });
    // Dragging reorders the list; the colours follow its new order.
    connect(lbxColours->model(), &QAbstractItemModel::rowsMoved, this, [this] {
        format_.dataColours.clear();
        for (int i = 0; i < lbxColours->count(); ++i)
            format_.dataColours.push_back(
                lbxColours->item(i)->data(Qt::UserRole).value<StoredColour>());
    });
}

void RuledLinesPage::showLines() {
    for (int i = 0; i < kRuledLineCount; ++i)
        sbtnLine[static_cast<std::size_t>(i)]->setChecked(
            format_.lines[static_cast<std::size_t>(i)].on);
    // The top and bottom edges take room from the records.
    linesChanged_();
}

void RuledLinesPage::showColours() {
    Swatch(pnlHeaderColour, format_.headerColourExists
                                ? std::optional<QColor>(ColourOf(format_.headerColour))
                                : std::nullopt);
    lbxColours->clear();
    for (StoredColour c : format_.dataColours) {
        auto* item = new QListWidgetItem(QStringLiteral("　　　　"), lbxColours);
        item->setBackground(ColourOf(c));
        item->setData(Qt::UserRole, QVariant::fromValue(c));
    }
    btnColourAdd->setEnabled(format_.dataColours.size() < kMaxDataColours);
}

} // namespace kanata
