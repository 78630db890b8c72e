#include "views/gui/TReceiveViewMini.h"

#include "settings/IniFile.h"
#include "settings/WindowGeometry.h"
#include "ui/gui/ForceForeground.h"
#include "views/MiniViewText.h"
#include "views/gui/TReceiveView.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kanata {
namespace {

// Labels on the button face with a raised edge, values on the window colour;
// one line, vertically centred, cut with an ellipsis.
class MiniCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QPalette& pal = option.palette;
        const QRect r = option.rect;
        painter->save();
        if (index.column() == 0) {
            painter->fillRect(r, pal.button());
            painter->setPen(pal.light().color());
            painter->drawLine(r.topLeft(), r.topRight());
            painter->drawLine(r.topLeft(), r.bottomLeft());
            painter->setPen(pal.dark().color());
            painter->drawLine(r.bottomLeft(), r.bottomRight());
            painter->drawLine(r.topRight(), r.bottomRight());
        } else {
            painter->fillRect(r, pal.base());
            painter->setPen(QColor(192, 192, 192));
            painter->drawLine(r.bottomLeft(), r.bottomRight());
        }
        painter->setPen(pal.text().color());
        const QRect text = r.adjusted(4, 0, -4, 0);
        const QString shown =
            option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, text.width());
        painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
        painter->restore();
    }
};

int screenDpi() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

} // namespace

TReceiveViewMini::TReceiveViewMini(IniFile& ini, bool autoAdd, bool notMoveFocus,
                                   const HyphenationService* hyphenation, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::Tool), ini_(ini), autoAdd_(autoAdd),
      notMoveFocus_(notMoveFocus), hyphenation_(hyphenation) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("簡易着信情報"));
    sgMini = new QTableWidget(4, 2, this);
    sgMini->horizontalHeader()->setVisible(false);
    sgMini->verticalHeader()->setVisible(false);
    // The style's smallest row is taller than ours; left alone it would push
    // the fourth row out of the window.
    sgMini->verticalHeader()->setMinimumSectionSize(kRowHeight);
    sgMini->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sgMini->setShowGrid(false);
    sgMini->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgMini->setSelectionMode(QAbstractItemView::NoSelection);
    sgMini->setFocusPolicy(Qt::NoFocus);
    sgMini->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgMini->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgMini->setItemDelegate(new MiniCellDelegate(sgMini));
    sgMini->setColumnWidth(0, kLabelWidth);
    sgMini->horizontalHeader()->setStretchLastSection(true);
    const char* labels[] = {"電話番号", "住所", "会社名", "名前"};
    for (int row = 0; row < 4; ++row) {
        sgMini->setRowHeight(row, kRowHeight);
        sgMini->setItem(row, 0, new QTableWidgetItem(QString::fromUtf8(labels[row])));
        sgMini->setItem(row, 1, new QTableWidgetItem);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sgMini);
    connect(sgMini, &QTableWidget::cellDoubleClicked, this, [this] { sgMiniDblClick(); });

    const StoredGeometry stored = readGeometry(ini_, kSection);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const ScreenGeometry g =
        applyGeometry(stored, {0, 0, 320, 4 * kRowHeight + 2 * sgMini->frameWidth(), {}},
                      area.width(), area.height(), screenDpi());
    setGeometry(g.left, g.top, g.width, g.height);
}

TReceiveViewMini::~TReceiveViewMini() {
    writeGeometry(ini_, kSection,
                  storeGeometry({x(), y(), width(), height(), {}}, screenDpi(), true));
    ini_.save();
}

void TReceiveViewMini::setOptions(bool autoAdd, bool notMoveFocus) {
    autoAdd_ = autoAdd;
    notMoveFocus_ = notMoveFocus;
}

void TReceiveViewMini::ShowInMiniView(const CallRecord& record) {
    record_ = record;
    hasRecord_ = true;
    const auto lines = MiniViewLines(record_, hyphenation_);
    for (int row = 0; row < 4; ++row)
        sgMini->item(row, 1)->setText(QString::fromStdString(lines[row]));
}

void TReceiveViewMini::BringMiniViewToFront() {
    if (isMinimized())
        showNormal();
    show();
    if (notMoveFocus_)
        return;
    ForceForeground(*this);
}

void TReceiveViewMini::sgMiniDblClick() {
    if (!hasRecord_)
        return;
    TReceiveView* view = hooks_.fullView ? hooks_.fullView() : nullptr;
    // Two calls that could not be stored share no row and are not the same.
    if (view && record_.RecNo != CallRecord::kNoHistoryRow &&
        view->CurrentRecNo() == record_.RecNo) {
        if (view->isMinimized())
            view->showNormal();
        if (hooks_.selectHistoryRow)
            hooks_.selectHistoryRow(record_.RecNo);
        view->raise();
        view->activateWindow();
        return;
    }
    if (view && !view->IsViewBusy() && autoAdd_)
        view->RegisterCurrentCaller();
    if (hooks_.showCallRecord)
        hooks_.showCallRecord(record_);
    if (hooks_.refreshHistory)
        hooks_.refreshHistory();
    if (hooks_.selectHistoryRow)
        hooks_.selectHistoryRow(record_.RecNo);
}

void TReceiveViewMini::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace kanata
