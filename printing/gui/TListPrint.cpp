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
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kanata {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QComboBox* Choices(QWidget* owner, const QStringList& items) {
    auto* box = new QComboBox(owner);
    box->addItems(items);
    return box;
}

const QStringList kPositionsX{"左", "中央", "右"};
const QStringList kPositionsY{"上", "下"};
} // namespace

TListPrint::TListPrint(ListPrintContext context, QWidget* parent)
    : QDialog(parent), c_(std::move(context)) {
    setWindowTitle(QStringLiteral("一覧表の印刷"));
    const std::array<std::vector<PrintItem>, 2> items{HistoryPrintItems(SelectionItemNames(c_.ini)),
                                                      RosterPrintItems()};
    std::array<PrintLayout, 2> layouts;
    for (int s = 0; s < 2; ++s) {
        const auto source = static_cast<PrintSource>(s);
        templates_[s] = std::make_unique<PrintTemplates>(c_.dataFolder / TemplateFileName(source),
                                                         static_cast<int>(items[s].size()));
        const auto stored = StoredLayout(c_.ini, source);
        layouts[s] = stored.value_or(PrintLayout{});
        templates_[s]->load(stored);
    }
    layoutGrid = new PrintLayoutGrid(items, std::move(layouts), c_.messages, this);
    if (!RestorePrinterSettings(c_.workFolder / kPrinterSettingsFileName, printer_))
        printer_.setPageMargins(DefaultListPageLayout().margins(), QPageLayout::Millimeter);

    auto* switches = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    pages = new QStackedWidget(this);
    int n = 0;
    for (auto [button, caption, page] :
         {std::tuple{&sbtnContents, "印刷内容", buildContentsPage()},
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

QWidget* TListPrint::buildContentsPage() {
    auto* page = new QWidget(this);
    rbHistory = new QRadioButton(QStringLiteral("着信対応履歴"), page);
    rbMeibo = new QRadioButton(QStringLiteral("登録名簿"), page);
    ColourChosenCaption({rbHistory, rbMeibo});
    cbxTemplate = new QComboBox(page);
    cbxTemplate->setEditable(true);
    cbxTemplate->lineEdit()->setMaxLength(30);
    cbxTemplate->setInsertPolicy(QComboBox::NoInsert);
    btnTemplateSave = new QPushButton(QStringLiteral("保存"), page);
    btnTemplateDelete = new QPushButton(QStringLiteral("削除"), page);
    chkIgnoreTdfkn = new QCheckBox(QStringLiteral("都道府県名は印刷しない"), page);
    edtTitle = new QLineEdit(page);
    edtTitle->setMaxLength(200);
    cbxTitlePos = Choices(page, kPositionsX);
    chkViewDate = new QCheckBox(QStringLiteral("日付を表示する"), page);
    dtpDate = new QDateEdit(QDate::currentDate(), page);
    dtpDate->setCalendarPopup(true);
    dtpDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    cbxDatePosX = Choices(page, kPositionsX);
    cbxDatePosY = Choices(page, kPositionsY);
    chkViewPage = new QCheckBox(QStringLiteral("ページ数を表示する"), page);
    QStringList formats;
    for (const std::string& f : PageTypeCaptions())
        formats << Q(f);
    cbxPageType = Choices(page, formats);
    cbxPagePosX = Choices(page, kPositionsX);
    cbxPagePosY = Choices(page, kPositionsY);

    auto* grid = new QGridLayout(page);
    auto* source = new QHBoxLayout;
    source->addWidget(new QLabel(QStringLiteral("印刷情報："), page));
    source->addWidget(rbHistory);
    source->addWidget(rbMeibo);
    source->addStretch();
    source->addWidget(new QLabel(QStringLiteral("テンプレート："), page));
    source->addWidget(cbxTemplate, 1);
    source->addWidget(btnTemplateSave);
    source->addWidget(btnTemplateDelete);
    grid->addLayout(source, 0, 0, 1, 3);
    layoutGrid->setParent(page);
    grid->addWidget(layoutGrid, 1, 0, 2, 3);
    auto* width = new QHBoxLayout;
    width->addWidget(chkIgnoreTdfkn);
    width->addStretch();
    width->addWidget(new QLabel(QStringLiteral("項目幅："), page));
    width->addWidget(layoutGrid->edtWidth);
    width->addWidget(new QLabel(QStringLiteral("(半角文字数)"), page));
    grid->addLayout(width, 3, 0, 1, 3);
    auto* form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("タイトル："), page), 0, 0);
    form->addWidget(edtTitle, 0, 1, 1, 2);
    form->addWidget(cbxTitlePos, 0, 3);
    form->addWidget(chkViewDate, 1, 0);
    form->addWidget(dtpDate, 1, 1);
    form->addWidget(cbxDatePosX, 1, 2);
    form->addWidget(cbxDatePosY, 1, 3);
    form->addWidget(chkViewPage, 2, 0);
    form->addWidget(cbxPageType, 2, 1);
    form->addWidget(cbxPagePosX, 2, 2);
    form->addWidget(cbxPagePosY, 2, 3);
    grid->addLayout(form, 4, 0, 1, 3);
    grid->setRowStretch(2, 1);

    connect(rbHistory, &QRadioButton::clicked, this,
            [this] { switchSource(PrintSource::History, true); });
    connect(rbMeibo, &QRadioButton::clicked, this,
            [this] { switchSource(PrintSource::Roster, true); });
    // The headings take room from the records: the count per page follows.
    const auto headingsChanged = [this] {
        if (loading_)
            return;
        collectFormat();
        showPerPage();
    };
    connect(edtTitle, &QLineEdit::textChanged, this, headingsChanged);
    for (QCheckBox* box : {chkViewDate, chkViewPage})
        connect(box, &QCheckBox::toggled, this, headingsChanged);
    for (QComboBox* box :
         {cbxTitlePos, cbxDatePosX, cbxDatePosY, cbxPageType, cbxPagePosX, cbxPagePosY})
        connect(box, &QComboBox::currentIndexChanged, this, headingsChanged);
    connect(btnTemplateSave, &QPushButton::clicked, this, [this] { btnTemplateSaveClick(); });
    connect(btnTemplateDelete, &QPushButton::clicked, this, [this] { btnTemplateDeleteClick(); });
    connect(cbxTemplate, &QComboBox::activated, this, [this](int i) { templateChosen(i); });
    return page;
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
    loading_ = true;
    chkIgnoreTdfkn->setChecked(format_.ignoreTdfkn);
    edtTitle->setText(Q(format_.title));
    cbxTitlePos->setCurrentIndex(static_cast<int>(format_.titlePos));
    chkViewDate->setChecked(format_.viewDate);
    cbxDatePosX->setCurrentIndex(static_cast<int>(format_.datePosX));
    cbxDatePosY->setCurrentIndex(static_cast<int>(format_.datePosY));
    chkViewPage->setChecked(format_.viewPage);
    cbxPageType->setCurrentIndex(format_.pageType);
    cbxPagePosX->setCurrentIndex(static_cast<int>(format_.pagePosX));
    cbxPagePosY->setCurrentIndex(static_cast<int>(format_.pagePosY));
    loading_ = false;
    fontPage->showFormat(format_);
    linesPage->showFormat();
    rangePage->showFormat();
    rangePage->showPrinter(printer_);
    showPerPage();
}

void TListPrint::collectFormat() {
    format_.ignoreTdfkn = chkIgnoreTdfkn->isChecked();
    format_.title = edtTitle->text().toStdString();
    format_.titlePos = static_cast<HorizontalPosition>(cbxTitlePos->currentIndex());
    format_.viewDate = chkViewDate->isChecked();
    format_.datePosX = static_cast<HorizontalPosition>(cbxDatePosX->currentIndex());
    format_.datePosY = static_cast<VerticalPosition>(cbxDatePosY->currentIndex());
    format_.viewPage = chkViewPage->isChecked();
    format_.pageType = cbxPageType->currentIndex();
    format_.pagePosX = static_cast<HorizontalPosition>(cbxPagePosX->currentIndex());
    format_.pagePosY = static_cast<VerticalPosition>(cbxPagePosY->currentIndex());
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
    (source == PrintSource::History ? rbHistory : rbMeibo)->setChecked(true);
    layoutGrid->showSource(source);
    fillTemplates();
    if (announce && source == PrintSource::Roster && c_.usePbAdrs)
        c_.messages.information("ここでの一覧表印刷は着信帳の登録名簿が対象です  \r\n\r\n"
                                "番号名鑑のアドレス帳を登録名簿として利用している場合は  \r\n"
                                "番号名鑑側で操作をおこなってください",
                                this);
}

void TListPrint::fillTemplates() {
    cbxTemplate->clear();
    for (const PrintTemplate& t : templates().entries())
        cbxTemplate->addItem(Q(t.name));
    cbxTemplate->setCurrentIndex(-1);
    cbxTemplate->setEditText({});
    btnTemplateSave->setEnabled(templates().canSave());
}

void TListPrint::btnTemplateSaveClick() {
    const std::string name = cbxTemplate->currentText().toStdString();
    const auto outcome = templates().save(name, layoutGrid->layout());
    if (outcome != TemplateSaveOutcome::Saved) {
        c_.messages.warning(TemplateSaveMessage(outcome), this);
        return;
    }
    fillTemplates();
    cbxTemplate->setCurrentIndex(cbxTemplate->findText(Q(name)));
}

void TListPrint::btnTemplateDeleteClick() {
    const std::string name = cbxTemplate->currentText().toStdString();
    if (name == kLastLayoutName || !templates().find(name)) {
        c_.messages.warning(TemplateDeleteMessage(name == kLastLayoutName
                                                      ? TemplateDeleteOutcome::ReservedName
                                                      : TemplateDeleteOutcome::NotFound),
                            this);
        return;
    }
    if (!c_.messages.ask("「" + name + "」\r\n\r\nこのテンプレートを削除してもよろしいですか？  ",
                         false, this))
        return;
    const auto outcome = templates().remove(name);
    if (outcome != TemplateDeleteOutcome::Deleted)
        c_.messages.error(TemplateDeleteMessage(outcome), this);
    fillTemplates();
}

void TListPrint::templateChosen(int index) {
    if (index < 0 || index >= static_cast<int>(templates().entries().size()))
        return;
    layoutGrid->replaceLayout(templates().entries()[static_cast<std::size_t>(index)].layout);
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
    s.date = dtpDate->date();
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
