#pragma once
// "一覧表の印刷": how a list of calls or roster entries is printed. Four
// pages: the items and their order with templates, title, date and page
// number ("印刷内容"); font, rows per record and margins ("書式"); ruled
// lines and background colours ("罫線・色"); copies, printer and the range
// of records ("範囲・プリンター").
#include "printing/ListPrintJob.h"
#include "printing/gui/PrintContentsPage.h"
#include "printing/gui/PrintFontPage.h"
#include "printing/gui/PrintLayoutGrid.h"
#include "printing/gui/PrinterRangePage.h"
#include "printing/gui/RuledLinesPage.h"
#include "ui/gui/DialogSupport.h"

#include <QDialog>
#include <QPrinter>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QPushButton;
class QStackedWidget;
class QToolButton;

namespace kanata {

class IniFile;
class MessageService;
class TDMKanata195;

struct ListPrintContext {
    IniFile& ini; // the settings file
    std::filesystem::path dataFolder;
    std::filesystem::path workFolder;
    MessageService& messages;
    TDMKanata195& dm;
    bool usePbAdrs = false;
};

class TListPrint : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "LIST PRINT";

    TListPrint(ListPrintContext context, QWidget* parent = nullptr);
    ~TListPrint() override;

    // Tests answer the sub-windows (list, preview, colour and printer
    // dialogs) through this; `chooseColour` stands in for the colour dialog.
    DialogRunner runDialog;
    std::function<std::optional<QColor>(const QColor& initial)> chooseColour;

    QPrinter& printer() { return printer_; }
    const PrintFormat& format() const { return format_; }
    const PrintLayout& layout() const { return layoutGrid->layout(); }
    // The settings the list and the preview print with.
    ListPrintSettings printSettings() const;

    // Page switches and the pages.
    QToolButton* sbtnContents = nullptr;
    QToolButton* sbtnFormat = nullptr;
    QToolButton* sbtnLines = nullptr;
    QToolButton* sbtnRange = nullptr;
    QStackedWidget* pages = nullptr;
    // 印刷内容
    PrintLayoutGrid* layoutGrid = nullptr;
    PrintContentsPage* contentsPage = nullptr;
    // 書式
    PrintFontPage* fontPage = nullptr;
    // 罫線・色
    RuledLinesPage* linesPage = nullptr;
    // 範囲・プリンター
    PrinterRangePage* rangePage = nullptr;
    // Bottom row.
    QPushButton* btnPreview = nullptr;
    QPushButton* btnList = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    QWidget* buildContentsPage(PrintContentsPage::Templates templates);
    QWidget* buildFormatPage();
    QWidget* buildLinesPage();
    QWidget* buildRangePage();
    void loadSettings();
    void showFormat();
    void collectFormat();
    void writeSettings();
    void switchSource(PrintSource source, bool announce);
    void showPerPage();
    std::optional<QColor> askColour(const QColor& initial);
    void btnPreviewClick();
    void btnListClick();
    void btnPrinterSetupClick();

    ListPrintContext c_;
    PrintFormat format_;
    QPrinter printer_{QPrinter::HighResolution};
};

} // namespace kanata
