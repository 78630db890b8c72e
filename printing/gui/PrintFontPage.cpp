#include "printing/gui/PrintFontPage.h"

#include "printing/ListPrintJob.h"
#include "printing/gui/ChoiceBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

#include <cmath>

namespace kanata {

PrintFontPage::PrintFontPage(std::function<void()> changed, QWidget* parent)
    : QWidget(parent), changed_(std::move(changed)) {
    cbxFontName = new QFontComboBox(this);
    // Column widths count half-width characters: only fixed-pitch fonts
    // keep the columns as laid out.
    cbxFontName->setFontFilters(QFontComboBox::MonospacedFonts);
    cbxCharset = Choices(this, {QStringLiteral("日本語"), QStringLiteral("欧文")});
    QStringList sizes;
    for (int p = 7; p <= 30; ++p)
        sizes << QString::number(p);
    cbxFontSize = Choices(this, sizes);
    chkBold = new QCheckBox(QStringLiteral("太字"), this);
    chkItalic = new QCheckBox(QStringLiteral("斜体"), this);
    pnlSample = new QLabel(QStringLiteral("Aaあア亜ｱ123"), this);
    pnlSample->setFrameShape(QFrame::StyledPanel);
    pnlSample->setAlignment(Qt::AlignCenter);
    pnlSample->setMinimumHeight(60);
    cbxRowCount =
        Choices(this, {QStringLiteral("1行"), QStringLiteral("2行"), QStringLiteral("3行")});
    edtOffsetX = new QDoubleSpinBox(this);
    edtOffsetY = new QDoubleSpinBox(this);
    for (QDoubleSpinBox* e : {edtOffsetX, edtOffsetY}) {
        e->setRange(0.0, 50.0);
        e->setDecimals(1);
        e->setSingleStep(0.1);
        e->setSuffix(QStringLiteral(" mm"));
    }
    lblPerPage = new QLabel(this);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("フォント名："), cbxFontName);
    form->addRow(QStringLiteral("書体："), cbxCharset);
    form->addRow(QStringLiteral("サイズ："), cbxFontSize);
    auto* style = new QHBoxLayout;
    style->addWidget(chkBold);
    style->addWidget(chkItalic);
    style->addStretch();
    form->addRow(QString(), style);
    form->addRow(QString(), pnlSample);
    form->addRow(QStringLiteral("１件の行数："), cbxRowCount);
    auto* margins = new QHBoxLayout;
    margins->addWidget(new QLabel(QStringLiteral("左"), this));
    margins->addWidget(edtOffsetX);
    margins->addWidget(new QLabel(QStringLiteral("上"), this));
    margins->addWidget(edtOffsetY);
    margins->addStretch();
    form->addRow(QStringLiteral("余白："), margins);
    form->addRow(QStringLiteral("１ページ当たりの件数："), lblPerPage);
    const auto userChanged = [this] {
        if (!filling_)
            changed_();
    };
    connect(cbxFontName, &QFontComboBox::currentFontChanged, this, userChanged);
    for (QComboBox* box : {cbxCharset, cbxFontSize, cbxRowCount})
        connect(box, &QComboBox::currentIndexChanged, this, userChanged);
    for (QCheckBox* box : {chkBold, chkItalic})
        connect(box, &QCheckBox::toggled, this, userChanged);
    for (QDoubleSpinBox* e : {edtOffsetX, edtOffsetY})
        connect(e, &QDoubleSpinBox::valueChanged, this, userChanged);
}

void PrintFontPage::showFormat(const PrintFormat& format) {
    filling_ = true;
    const QString name = QString::fromStdString(format.fontName);
    cbxFontName->setCurrentFont(
        QFont(QFontDatabase::hasFamily(name) ? name : QString::fromLatin1(kFallbackPrintFont)));
    cbxCharset->setCurrentIndex(format.fontCharset == 128 ? 0 : 1);
    cbxFontSize->setCurrentIndex(format.fontSizeIndex);
    chkBold->setChecked(format.bold());
    chkItalic->setChecked(format.italic());
    cbxRowCount->setCurrentIndex(format.rowCountIndex);
    edtOffsetX->setValue(format.offsetX / 10.0);
    edtOffsetY->setValue(format.offsetY / 10.0);
    pnlSample->setFont(BodyFont(format, logicalDpiY()));
    filling_ = false;
}

void PrintFontPage::collectFormat(PrintFormat& format) const {
    format.fontName = cbxFontName->currentFont().family().toStdString();
    format.fontCharset = cbxCharset->currentIndex() == 0 ? 128 : 0;
    format.fontSizeIndex = cbxFontSize->currentIndex();
    format.fontStyle = (chkBold->isChecked() ? 1 : 0) | (chkItalic->isChecked() ? 2 : 0);
    format.rowCountIndex = cbxRowCount->currentIndex();
    format.offsetX = static_cast<int>(std::lround(edtOffsetX->value() * 10));
    format.offsetY = static_cast<int>(std::lround(edtOffsetY->value() * 10));
}

} // namespace kanata
