#pragma once
// "一覧表の印刷": how a list of calls or roster entries is printed. Four
// pages: the items and their order with templates, title, date and page
// number ("印刷内容"); font, rows per record and margins ("書式"); ruled
// lines and background colours ("罫線・色"); copies, printer and the range
// of records ("範囲・プリンター").
#include "printing/ListPrintJob.h"
#include "printing/PrintTemplates.h"
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

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
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
    QRadioButton* rbHistory = nullptr;
    QRadioButton* rbMeibo = nullptr;
    QComboBox* cbxTemplate = nullptr;
    QPushButton* btnTemplateSave = nullptr;
    QPushButton* btnTemplateDelete = nullptr;
    PrintLayoutGrid* layoutGrid = nullptr;
    QCheckBox* chkIgnoreTdfkn = nullptr;
    QLineEdit* edtTitle = nullptr;
    QComboBox* cbxTitlePos = nullptr;
    QCheckBox* chkViewDate = nullptr;
    QDateEdit* dtpDate = nullptr;
    QComboBox* cbxDatePosX = nullptr;
    QComboBox* cbxDatePosY = nullptr;
    QCheckBox* chkViewPage = nullptr;
    QComboBox* cbxPageType = nullptr;
    QComboBox* cbxPagePosX = nullptr;
    QComboBox* cbxPagePosY = nullptr;
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
    int sourceIndex() const { return static_cast<int>(format_.source); }
    PrintTemplates& templates() { return *templates_[sourceIndex()]; }
    QWidget* buildContentsPage();
    QWidget* buildFormatPage();
    QWidget* buildLinesPage();
    QWidget* buildRangePage();
    void loadSettings();
    void showFormat();
    void collectFormat();
    void writeSettings();
    void switchSource(PrintSource source, bool announce);
    void fillTemplates();
    void showPerPage();
    void btnTemplateSaveClick();
    void btnTemplateDeleteClick();
    void templateChosen(int index);
    std::optional<QColor> askColour(const QColor& initial);
    void btnPreviewClick();
    void btnListClick();
    void btnPrinterSetupClick();

    ListPrintContext c_;
    PrintFormat format_;
    std::array<std::unique_ptr<PrintTemplates>, 2> templates_;
    QPrinter printer_{QPrinter::HighResolution};
    bool loading_ = false;
};

} // namespace kanata
