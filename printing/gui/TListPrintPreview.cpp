#include "printing/gui/TListPrintPreview.h"

#include "printing/PreviewZoom.h"
#include "settings/IniFile.h"
#include "settings/WindowGeometry.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kanata {

TPaintPanel::TPaintPanel(const PreviewSheet& sheet, QScrollArea* scroller, QWidget* parent)
    : QWidget(parent), sheet_(sheet), scroller_(scroller) {
    setCursor(Qt::OpenHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintPanel::setPage(PagePlan page) {
    page_ = std::move(page);
    update();
}

void TPaintPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (sheet_.paper.width() <= 0 || sheet_.paper.height() <= 0)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(width() / sheet_.paper.width(), height() / sheet_.paper.height());
    painter.translate(sheet_.offset);
    PaintPlan(painter, page_);
}

void TPaintPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    dragging_ = true;
    dragFrom_ = event->globalPosition().toPoint();
    setCursor(Qt::ClosedHandCursor);
}

void TPaintPanel::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !scroller_)
        return;
    const QPoint now = event->globalPosition().toPoint();
    const QPoint moved = now - dragFrom_;
    dragFrom_ = now;
    scroller_->horizontalScrollBar()->setValue(scroller_->horizontalScrollBar()->value() -
                                               moved.x());
    scroller_->verticalScrollBar()->setValue(scroller_->verticalScrollBar()->value() - moved.y());
}

void TPaintPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        setCursor(Qt::OpenHandCursor);
    }
}

namespace {

QToolButton* NavButton(QWidget* owner, const QString& text, const QString& tip) {
    auto* b = new QToolButton(owner);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    return b;
}

} // namespace

TListPrintPreview::TListPrintPreview(ListPrintSettings settings, RecordOpener openRecords,
                                     long long recordCount, const PreviewSheet& sheet, IniFile& ini,
                                     QWidget* parent)
    : QDialog(parent), settings_(std::move(settings)), openRecords_(std::move(openRecords)),
      recordCount_(std::max(0LL, recordCount)), sheet_(sheet), ini_(ini) {
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    sbtnFirst = NavButton(this, QStringLiteral("|◀"), QStringLiteral("最初のページ"));
    sbtnPrior = NavButton(this, QStringLiteral("◀"), QStringLiteral("前のページ"));
    sbtnNext = NavButton(this, QStringLiteral("▶"), QStringLiteral("次のページ"));
    sbtnLast = NavButton(this, QStringLiteral("▶|"), QStringLiteral("最後のページ"));
    lblPage = new QLabel(this);
    cbxZoom = new QComboBox(this);
    cbxZoom->addItems(PreviewZoomCaptions());
    btnClose = new QPushButton(QStringLiteral("閉じる"), this);
    sbxPage = new QScrollArea(this);
    sbxPage->setAlignment(Qt::AlignCenter);
    sbxPage->setBackgroundRole(QPalette::Dark);
    pnlPage = new TPaintPanel(sheet_, sbxPage);
    sbxPage->setWidget(pnlPage);
    stbStatus = new QStatusBar(this);
    stbStatus->setSizeGripEnabled(false);
    lblStatus_ = new QLabel(this);
    stbStatus->addWidget(lblStatus_);

    auto* bar = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(sbtnFirst), static_cast<QWidget*>(sbtnPrior),
                       static_cast<QWidget*>(lblPage), static_cast<QWidget*>(sbtnNext),
                       static_cast<QWidget*>(sbtnLast)})
        bar->addWidget(w);
    bar->addSpacing(16);
    bar->addWidget(new QLabel(QStringLiteral("倍率："), this));
    bar->addWidget(cbxZoom);
    bar->addStretch();
    bar->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addLayout(bar);
    layout->addWidget(sbxPage, 1);
    layout->addWidget(stbStatus);

    pmnZoom = new QMenu(QStringLiteral("倍率"), this);
    for (int i = 0; i < kPreviewZoomCount; ++i)
        pmnZoom->addAction(cbxZoom->itemText(i), this, [this, i] { cbxZoom->setCurrentIndex(i); });
    sbxPage->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(sbxPage, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmnZoom->popup(sbxPage->mapToGlobal(at)); });

    VectorRecordSource none({});
    ListPrintJob probe(settings_, sheet_.printable, none, recordCount_);
    pageCount_ = std::max(1, probe.pageCount());
    connect(sbtnFirst, &QToolButton::clicked, this, [this] { showPage(1); });
    connect(sbtnPrior, &QToolButton::clicked, this, [this] { showPage(page_ - 1); });
    connect(sbtnNext, &QToolButton::clicked, this, [this] { showPage(page_ + 1); });
    connect(sbtnLast, &QToolButton::clicked, this, [this] { showPage(pageCount_); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
    restoreGeometry();
    connect(cbxZoom, &QComboBox::currentIndexChanged, this, [this] { applyZoom(); });
    showPage(1);
}

TListPrintPreview::~TListPrintPreview() {
    storeGeometry();
}

void TListPrintPreview::showPage(int page) {
    page_ = std::clamp(page, 1, pageCount_);
    PagePlan plan;
    try {
        if (const auto records = openRecords_ ? openRecords_() : nullptr) {
            ListPrintJob job(settings_, sheet_.printable, *records, recordCount_);
            job.startAtPage(page_);
            bool more = false;
            job.planPage(plan, more);
        }
    } catch (const std::exception&) {
        // A table that fails to read shows an empty sheet, as a page without
        // records would; the print itself reports the failure.
        plan = {};
    }
    pnlPage->setPage(std::move(plan));
    lblPage->setText(QStringLiteral("%1 / %2").arg(page_).arg(pageCount_));
    sbtnFirst->setEnabled(page_ > 1);
    sbtnPrior->setEnabled(page_ > 1);
    sbtnNext->setEnabled(page_ < pageCount_);
    sbtnLast->setEnabled(page_ < pageCount_);
}

void TListPrintPreview::applyZoom() {
    const QSizeF sheet96(sheet_.paper.width() * 96.0 / sheet_.printable.dpiX,
                         sheet_.paper.height() * 96.0 / sheet_.printable.dpiY);
    const double dpi = screen() ? screen()->logicalDotsPerInch() : 96.0;
    scale_ = PreviewScale(cbxZoom->currentIndex(), sheet96, sbxPage->viewport()->size(), dpi);
    pnlPage->resize((sheet96 * scale_).toSize());
    sbxPage->horizontalScrollBar()->setValue(0);
    sbxPage->verticalScrollBar()->setValue(0);
    lblStatus_->setText(QStringLiteral("  表示： %1%").arg(qRound(scale_ * 100)));
}

void TListPrintPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    applyZoom();
}

void TListPrintPreview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (cbxZoom->currentIndex() == 0)
        applyZoom();
}

void TListPrintPreview::restoreGeometry() {
    const StoredGeometry stored = readGeometry(ini_, kSection);
    ScreenGeometry defaults{0, 0, 800, 900, {}};
    const QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    const int dpi = logicalDpiX();
    const ScreenGeometry g = applyGeometry(stored, defaults, area.width(), area.height(), dpi);
    resize(std::min(g.width, area.width()), std::min(g.height, area.height()));
    move(stored.left ? g.left : area.left() + g.left, stored.top ? g.top : area.top() + g.top);
    const int zoom = ini_.readInteger(kSection, "Zoom", 0);
    cbxZoom->setCurrentIndex(zoom >= 0 && zoom < kPreviewZoomCount ? zoom : 0);
}

void TListPrintPreview::storeGeometry() {
    writeGeometry(
        ini_, kSection,
        kanata::storeGeometry({pos().x(), pos().y(), width(), height(), {}}, logicalDpiX(), true));
    ini_.writeInteger(kSection, "Zoom", cbxZoom->currentIndex());
}

} // namespace kanata
