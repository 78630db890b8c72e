#include "printing/gui/TListPrint.h"

#include "data/TDMKanata195.h"
#include "history/gui/ListWindowParts.h"
#include "platform/MessageService.h"
#include "printing/ListPrintSettingsStore.h"
#include "printing/PrintCustomColours.h"
#include "printing/PrintRunTexts.h"
#include "printing/TablePrintSources.h"
#include "printing/gui/PrintFontPage.h"
#include "printing/gui/PrintLayoutGrid.h"
#include "printing/gui/PrinterRangePage.h"
#include "printing/gui/PrinterSettingsFile.h"
#include "printing/gui/RuledLinesPage.h"
#include "printing/gui/StoredColours.h"
#include "printing/gui/TListPrintList.h"
#include "printing/gui/TListPrintPreview.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"
#include "settings/WindowGeometry.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kanata {

TListPrint::TListPrint(ListPrintContext context, QWidget* parent)
    : QDialog(parent), c_(std::move(context)) {
    setWindowTitle(QStringLiteral("一覧表の印刷"));
    const std::array<std::vector<PrintItem>, 2> items{HistoryPrintItems(SelectionItemNames(c_.ini)),
                                                      RosterPrintItems()};
    std::array<PrintLayout, 2> layouts;
    PrintContentsPage::Templates templates;
    for (int s = 0; s < 2; ++s) {
        const auto source = static_cast<PrintSource>(s);
        templates[s] = std::make_unique<PrintTemplates>(c_.dataFolder / TemplateFileName(source),
                                                        static_cast<int>(items[s].size()));
        const auto stored = StoredLayout(c_.ini, source);
        layouts[s] = stored.value_or(PrintLayout{});
        templates[s]->load(stored);
    }
    layoutGrid = new PrintLayoutGrid(items, std::move(layouts), c_.messages, this);
    if (!RestorePrinterSettings(c_.workFolder / kPrinterSettingsFileName, printer_))
        printer_.setPageMargins(DefaultListPageLayout().margins(), QPageLayout::Millimeter);

    auto* switches = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    pages = new QStackedWidget(this);
    int n = 0;
    for (auto [button, caption, page] :
         {std::tuple{&sbtnContents, "印刷内容", buildContentsPage(std::move(templates))},
          std::tuple{&sbtnFormat, "書式", buildFormatPage()},
          std::tuple{&sbtnLines, "罫線・色", buildLinesPage()},
          std::tuple{&sbtnRange, "範囲・プリンター", buildRangePage()}}) {
        *button = new QToolButton(this);
        (*button)->setText(QString::fromUtf8(caption));
        (*button)->setCheckable(true);
        (*button)->setMinimumWidth(110);
        group->addButton(*button, n++);
        switches->addWidget(*button);
        pages->addWidget(page);
    }
    switches->addStretch();
    sbtnContents->setChecked(true);
    connect(group, &QButtonGroup::idClicked, pages, &QStackedWidget::setCurrentIndex);

    btnPreview = new QPushButton(QStringLiteral("プレビュー(&V)"), this);
    btnList = new QPushButton(QStringLiteral("一覧(&L)"), this);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnPreview);
    bottom->addWidget(btnList);
    bottom->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(switches);
    layout->addWidget(pages, 1);
    layout->addLayout(bottom);
    connect(btnPreview, &QPushButton::clicked, this, [this] { btnPreviewClick(); });
    connect(btnList, &QPushButton::clicked, this, [this] { btnListClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    loadSettings();
    const int left = c_.ini.readInteger(kSection, "Left", -1);
    const int top = c_.ini.readInteger(kSection, "Top", -1);
    if (left >= 0 && top >= 0)
        move(toScreenPixels(left, logicalDpiX()), toScreenPixels(top, logicalDpiY()));
}

TListPrint::~TListPrint() {
    c_.ini.writeInteger(kSection, "Left", toStoredUnits(pos().x(), logicalDpiX()));
    c_.ini.writeInteger(kSection, "Top", toStoredUnits(pos().y(), logicalDpiY()));
    c_.ini.save();
}

QWidget* TListPrint::buildContentsPage(PrintContentsPage::Templates templates) {
    contentsPage = new PrintContentsPage(layoutGrid, std::move(templates), c_.messages,
                                         {[this](PrintSource s) { switchSource(s, true); },
                                          [this] {
                                              collectFormat();
                                              showPerPage();
                                          }},
                                         this);
    return contentsPage;
}

QWidget* TListPrint::buildFormatPage() {
    fontPage = new PrintFontPage(
        [this] {
            collectFormat();
            showFormat();
        },
        this);
    return fontPage;
}

QWidget* TListPrint::buildLinesPage() {
    linesPage = new RuledLinesPage(
        format_, [this](const QColor& initial) { return askColour(initial); },
        [this] { showPerPage(); }, this);
    return linesPage;
}

QWidget* TListPrint::buildRangePage() {
    rangePage = new PrinterRangePage(
        format_, [this] { btnPrinterSetupClick(); }, this);
    return rangePage;
}

void TListPrint::loadSettings() {
    format_ = ReadPrintFormat(c_.ini);
    showFormat();
    switchSource(format_.source, false);
    if (format_.source == PrintSource::Roster && c_.usePbAdrs)
        QMetaObject::invokeMethod(
            this, [this] { switchSource(PrintSource::Roster, true); }, Qt::QueuedConnection);
}

void TListPrint::showFormat() {
    contentsPage->showFormat(format_);
    fontPage->showFormat(format_);
    linesPage->showFormat();
    rangePage->showFormat();
    rangePage->showPrinter(printer_);
    showPerPage();
}

void TListPrint::collectFormat() {
    contentsPage->collectFormat(format_);
    fontPage->collectFormat(format_);
}

void TListPrint::writeSettings() {
    collectFormat();
    WritePrintFormat(c_.ini, format_);
    for (int s = 0; s < 2; ++s)
        WriteLayout(c_.ini, LayoutSection(static_cast<PrintSource>(s)),
                    layoutGrid->layout(static_cast<PrintSource>(s)));
    if (!c_.ini.save())
        c_.messages.error(c_.ini.lastError(), this);
    SavePrinterSettings(c_.workFolder / kPrinterSettingsFileName, printer_);
}

void TListPrint::switchSource(PrintSource source, bool announce) {
    format_.source = source;
    contentsPage->showSource(source);
    if (announce && source == PrintSource::Roster && c_.usePbAdrs)
        c_.messages.information("ここでの一覧表印刷は着信帳の登録名簿が対象です  \r\n\r\n"
                                "番号名鑑のアドレス帳を登録名簿として利用している場合は  \r\n"
                                "番号名鑑側で操作をおこなってください",
                                this);
}

void TListPrint::showPerPage() {
    fontPage->lblPerPage->setText(
        QString::number(RecordsPerPage(format_, {printer_.width(), printer_.height(),
                                                 static_cast<double>(printer_.logicalDpiX()),
                                                 static_cast<double>(printer_.logicalDpiY())})) +
        QStringLiteral(" 件"));
}

std::optional<QColor> TListPrint::askColour(const QColor& initial) {
    if (chooseColour)
        return chooseColour(initial);
    const auto file = c_.workFolder / kCustomColoursIniName;
    PrintCustomColours custom = ReadPrintCustomColours(file);
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, ColourOf(custom[static_cast<std::size_t>(i)]));
    QColorDialog dialog(initial, this);
    if (RunDialog(runDialog, dialog) != QDialog::Accepted)
        return std::nullopt;
    for (int i = 0; i < 16; ++i)
        custom[static_cast<std::size_t>(i)] = StoredOf(QColorDialog::customColor(i));
    WritePrintCustomColours(file, custom);
    return dialog.selectedColor();
}

ListPrintSettings TListPrint::printSettings() const {
    ListPrintSettings s;
    s.format = format_;
    s.layout = layoutGrid->layout();
    s.items = layoutGrid->items();
    s.date = contentsPage->date();
    return s;
}

void TListPrint::btnPreviewClick() {
    writeSettings();
    // The tables stay open while the preview reads its pages from them.
    TableUse history(c_.dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    TableUse roster(c_.dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    if (!history || !roster)
        return;
    const bool calls = format_.source == PrintSource::History;
    const long long count = calls ? c_.dm.RecvHis().count() : c_.dm.Meibo().count();
    const bool ignoreTdfkn = format_.ignoreTdfkn;
    TListPrintPreview::RecordOpener open = [this, calls,
                                            ignoreTdfkn]() -> std::unique_ptr<PrintRecordSource> {
        if (calls)
            return std::make_unique<HistoryPrintSource>(c_.dm.RecvHis(), &c_.dm.Meibo(),
                                                        PrintChoice{}, ignoreTdfkn);
        return std::make_unique<RosterPrintSource>(c_.dm.Meibo(), std::string(), PrintChoice{},
                                                   ignoreTdfkn);
    };
    const int res = printer_.resolution();
    PreviewSheet sheet;
    const QPageLayout layout = printer_.pageLayout();
    sheet.paper = layout.fullRectPixels(res).size();
    sheet.offset = layout.paintRectPixels(res).topLeft();
    sheet.printable = {printer_.width(), printer_.height(), static_cast<double>(res),
                       static_cast<double>(res)};
    TListPrintPreview preview(printSettings(), std::move(open), count, sheet, c_.ini, this);
    preview.setWindowModality(Qt::WindowModal);
    RunDialog(runDialog, preview);
}

void TListPrint::btnListClick() {
    if (layoutGrid->layout().empty()) {
        c_.messages.warning(kNoPrintItems, this);
        return;
    }
    writeSettings();
    TListPrintList list(c_.dm, c_.messages, c_.ini, printSettings(), printer_, this);
    list.runDialog = runDialog;
    RunDialog(runDialog, list);
}

void TListPrint::btnPrinterSetupClick() {
    // The printer with its paper and margins. Which records print is chosen
    // in the list window, so the print dialog offers no page range; the
    // copies it shows are those of "印刷部数：".
    QPrintDialog dialog(&printer_, this);
    dialog.setWindowTitle(QStringLiteral("プリンターの設定"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    printer_.setCopyCount(format_.copies);
    if (RunDialog(runDialog, dialog) != QDialog::Accepted)
        return;
    rangePage->setCopies(printer_.copyCount());
    SavePrinterSettings(c_.workFolder / kPrinterSettingsFileName, printer_);
    rangePage->showPrinter(printer_);
    showPerPage();
}

} // namespace kanata
