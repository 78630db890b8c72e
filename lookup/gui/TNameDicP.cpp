#include "lookup/gui/TNameDicP.h"

#include "data/Cp932.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <vector>

namespace kanata {

TNameDicP::TNameDicP(const std::filesystem::path& dicFolder, QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      dicFolder_(dicFolder) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    try {
        dictionary_ = std::make_unique<NameDictionary>(dicFolder);
    } catch (const std::exception&) {
        dictionary_.reset(); // no dictionary: the popup finds nothing
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* top = new QHBoxLayout;
    rbSei = new QRadioButton(QStringLiteral("姓"), this);
    rbMei = new QRadioButton(QStringLiteral("名"), this);
    btnClose = new QToolButton(this);
    btnClose->setText(QStringLiteral("×"));
    for (QWidget* w : std::initializer_list<QWidget*>{rbSei, rbMei, btnClose})
        w->setFocusPolicy(Qt::NoFocus);
    rbSei->setChecked(true);
    top->addWidget(rbSei);
    top->addWidget(rbMei);
    top->addStretch();
    top->addWidget(btnClose);
    layout->addLayout(top);
    sgNames = new QTableWidget(this);
    sgNames->setFocusPolicy(Qt::NoFocus);
    sgNames->setColumnCount(1 + kColumns);
    sgNames->horizontalHeader()->hide();
    sgNames->verticalHeader()->hide();
    sgNames->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgNames->setSelectionMode(QAbstractItemView::SingleSelection);
    const int width = logicalDpiX() * 64 / 96;
    for (int c = 0; c <= kColumns; ++c)
        sgNames->setColumnWidth(c, width);
    sgNames->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    layout->addWidget(sgNames);
    resize(width * (kColumns + 1) + 10, (fontMetrics().height() + 4) * 8 + 40);

    connect(btnClose, &QToolButton::clicked, this, &QWidget::close);
    connect(rbSei, &QRadioButton::clicked, this, [this] { setKind(0); });
    connect(rbMei, &QRadioButton::clicked, this, [this] { setKind(1); });
    connect(sgNames, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        select(row, column);
        choose();
    });
    // Switching to another application closes the popup.
    tmrActive_ = new QTimer(this);
    tmrActive_->setInterval(200);
    connect(tmrActive_, &QTimer::timeout, this, [this] {
        if (isVisible() && !QApplication::activeWindow())
            close();
    });
}

TNameDicP::~TNameDicP() = default;

int TNameDicP::QueryNames(const std::string& text, int kind) {
    if (!dictionary_ || text.empty())
        return 0;
    std::int32_t count = 0;
    const std::string query = cp932::encode(text);
    const int rc = kind == 0 ? dictionary_->DLNMSeiCount(query.c_str(), 0, &count, "")
                             : dictionary_->DLNMMeiCount(query.c_str(), 0, &count, "");
    return rc == kNameFound ? count : 0;
}

void TNameDicP::ShowNames(QWidget* edit, const std::string& text, int kind, int count) {
    if (!isVisible()) {
        edit_ = edit;
        move(edit->mapToGlobal(QPoint(0, edit->height())));
    }
    query_ = text;
    kind_ = kind;
    (kind == 0 ? rbSei : rbMei)->setChecked(true);
    fill(count);
    show();
    // Where the platform activated the popup anyway, the typing goes on in
    // the edit.
    if (edit_ && isActiveWindow())
        edit_->activateWindow();
    tmrActive_->start();
}

void TNameDicP::fill(int count) {
    sgNames->clearContents();
    sgNames->setRowCount(0);
    column_ = 1;
    empty_ = count <= 0;
    if (count <= 0 || !dictionary_)
        return;
    std::vector<NameCandidate> list(static_cast<std::size_t>(count));
    const std::string query = cp932::encode(query_);
    const int rc = kind_ == 0 ? dictionary_->DLNMSeiList(query.c_str(), 0, list.data(), count, "")
                              : dictionary_->DLNMMeiList(query.c_str(), 0, list.data(), count, "");
    if (rc != kNameFound) {
        close();
        return;
    }
    auto field = [](const char(&f)[12]) {
        return cp932::decode(std::string(f, strnlen(f, sizeof f)));
    };
    std::string previous;
    int row = -1, column = kColumns;
    for (const NameCandidate& c : list) {
        const std::string reading = field(c.reading);
        const bool newGroup = row < 0 || reading != previous;
        if (newGroup || column == kColumns) {
            sgNames->insertRow(++row);
            auto* head =
                new QTableWidgetItem(newGroup ? QString::fromStdString(reading) : QString());
            head->setFlags(Qt::ItemIsEnabled);
            head->setBackground(palette().button());
            sgNames->setItem(row, 0, head);
            column = 0;
        }
        sgNames->setItem(row, ++column,
                         new QTableWidgetItem(QString::fromStdString(field(c.kanji))));
        previous = reading;
    }
    sgNames->clearSelection();
    sgNames->setCurrentItem(nullptr);
    sgNames->scrollToTop();
}

void TNameDicP::setKind(int kind) {
    kind_ = kind;
    const int count = QueryNames(query_, kind);
    fill(count); // no entry in this kind: an empty grid, the popup stays
}

int TNameDicP::filledColumnAtOrLeft(int row, int column) const {
    for (int c = column; c >= 1; --c)
        if (sgNames->item(row, c))
            return c;
    return 1;
}

void TNameDicP::select(int row, int column) {
    sgNames->setCurrentCell(row, column);
    sgNames->scrollToItem(sgNames->item(row, column));
}

int TNameDicP::visibleRows() const {
    const int h = sgNames->verticalHeader()->defaultSectionSize();
    return std::max(1, sgNames->viewport()->height() / std::max(1, h));
}

bool TNameDicP::HandleKey(int key) {
    if (!isVisible() || sgNames->rowCount() == 0)
        return false;
    const int rows = sgNames->rowCount();
    const bool selected = !sgNames->selectedItems().isEmpty();
    const int row = selected ? sgNames->currentRow() : -1;
    const int column = selected ? sgNames->currentColumn() : 1;
    auto moveTo = [&](int r) {
        r = std::clamp(r, 0, rows - 1);
        select(r, filledColumnAtOrLeft(r, column_));
    };
    switch (key) {
    case Qt::Key_Down:
        if (!selected)
            select(0, 1);
        else
            moveTo(row + 1);
        return true;
    case Qt::Key_PageDown:
        if (!selected)
            select(0, 1);
        else
            moveTo(row + visibleRows());
        return true;
    case Qt::Key_Up:
        if (!selected)
            return true;
        if (row == 0) {
            sgNames->clearSelection();
            sgNames->setCurrentItem(nullptr);
        } else {
            moveTo(row - 1);
        }
        return true;
    case Qt::Key_PageUp:
        if (selected)
            moveTo(row - visibleRows());
        return true;
    case Qt::Key_Left:
        if (selected && column > 1) {
            column_ = column - 1;
            select(row, column_);
        }
        return true;
    case Qt::Key_Right:
        if (selected && column < kColumns && sgNames->item(row, column + 1)) {
            column_ = column + 1;
            select(row, column_);
        }
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!selected)
            return false;
        choose();
        return true;
    default:
        return false;
    }
}

void TNameDicP::choose() {
    const int row = sgNames->currentRow();
    const int column = sgNames->currentColumn();
    QTableWidgetItem* item = sgNames->item(row, column);
    if (!item || column < 1)
        return;
    chosenKanji_ = item->text().toStdString();
    chosenReading_.clear();
    for (int r = row; r >= 0 && chosenReading_.empty(); --r)
        if (QTableWidgetItem* head = sgNames->item(r, 0))
            chosenReading_ = head->text().toStdString();
    QMetaObject::invokeMethod(this, &TNameDicP::nameSelected, Qt::QueuedConnection);
}

} // namespace kanata
