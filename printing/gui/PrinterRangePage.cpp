#include "printing/gui/PrinterRangePage.h"

#include "ui/gui/DialogSupport.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kanata {

PrinterRangePage::PrinterRangePage(PrintFormat& format, std::function<void()> setupPrinter,
                                   QWidget* parent)
    : QWidget(parent), format_(format), setupPrinter_(std::move(setupPrinter)) {
    edtCopies = new QSpinBox(this);
    edtCopies->setRange(1, 100);
    lblPrinterName = new QLabel(this);
    lblPaper = new QLabel(this);
    lblOrientation = new QLabel(this);
    btnPrinterSetup = new QPushButton(QStringLiteral("設定"), this);
    const char* modes[] = {"一覧から選択", "数値で範囲を指定", "全件"};
    auto* printer = new QGroupBox(QStringLiteral("プリンターの設定"), this);
    auto* pform = new QFormLayout(printer);
    pform->addRow(QStringLiteral("プリンター名："), lblPrinterName);
    pform->addRow(QStringLiteral("用紙サイズ："), lblPaper);
    pform->addRow(QStringLiteral("印刷方向："), lblOrientation);
    pform->addRow(QString(), btnPrinterSetup);
    auto* range = new QGroupBox(QStringLiteral("印刷範囲"), this);
    auto* rlayout = new QVBoxLayout(range);
    for (int i = 0; i < 3; ++i) {
        rbDataSelect[static_cast<std::size_t>(i)] =
            new QRadioButton(QString::fromUtf8(modes[i]), range);
        rlayout->addWidget(rbDataSelect[static_cast<std::size_t>(i)]);
        connect(rbDataSelect[static_cast<std::size_t>(i)], &QRadioButton::clicked, this,
                [this, i] { format_.dataSelect = i; });
    }
    ColourChosenCaption({rbDataSelect[0], rbDataSelect[1], rbDataSelect[2]});
    auto* copies = new QHBoxLayout;
    copies->addWidget(new QLabel(QStringLiteral("印刷部数："), this));
    copies->addWidget(edtCopies);
    copies->addWidget(new QLabel(QStringLiteral("部"), this));
    copies->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(copies);
    layout->addWidget(printer);
    layout->addWidget(range);
    layout->addStretch();
    connect(edtCopies, &QSpinBox::valueChanged, this, [this](int v) { format_.copies = v; });
    connect(btnPrinterSetup, &QPushButton::clicked, this, [this] { setupPrinter_(); });
}

void PrinterRangePage::showFormat() {
    edtCopies->setValue(format_.copies);
    rbDataSelect[static_cast<std::size_t>(format_.dataSelect)]->setChecked(true);
}

void PrinterRangePage::setCopies(int copies) {
    edtCopies->setValue(std::clamp(copies, 1, edtCopies->maximum()));
}

void PrinterRangePage::showPrinter(const QPrinter& printer) {
    const QString file = printer.outputFileName();
    if (printer.outputFormat() == QPrinter::PdfFormat)
        lblPrinterName->setText(file.isEmpty() ? QStringLiteral("（PDF）")
                                               : QStringLiteral("PDF ファイル：") + file);
    else
        lblPrinterName->setText(printer.printerName());
    const QPageLayout layout = printer.pageLayout();
    lblPaper->setText(layout.pageSize().name());
    lblOrientation->setText(layout.orientation() == QPageLayout::Landscape ? QStringLiteral("横")
                                                                           : QStringLiteral("縦"));
}

} // namespace kanata
