#pragma once
// "印刷内容" of the list print: which records print (the call history or the
// roster), the items and their order with the saved templates, and the
// headings: the title, the date and the page number with their positions.
#include "printing/PrintFormat.h"
#include "printing/PrintTemplates.h"

#include <QDate>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kanata {

class MessageService;
class PrintLayoutGrid;

class PrintContentsPage : public QWidget {
public:
    // The templates of the call history and of the roster, in that order.
    using Templates = std::array<std::unique_ptr<PrintTemplates>, 2>;
    struct Hooks {
        // The user picked the records to print.
        std::function<void(PrintSource)> sourceClicked;
        // The user changed a heading or its position.
        std::function<void()> headingsChanged;
    };

    // The page shows `layoutGrid` between the source row and the headings.
    PrintContentsPage(PrintLayoutGrid* layoutGrid, Templates templates, MessageService& messages,
                      Hooks hooks, QWidget* parent);

    // The headings and the prefecture choice of `format`, and back.
    void showFormat(const PrintFormat& format);
    void collectFormat(PrintFormat& format) const;
    // Shows the items and the templates of `source`.
    void showSource(PrintSource source);
    // The date the headings print.
    QDate date() const;

    QRadioButton* rbHistory = nullptr;
    QRadioButton* rbMeibo = nullptr;
    QComboBox* cbxTemplate = nullptr;
    QPushButton* btnTemplateSave = nullptr;
    QPushButton* btnTemplateDelete = nullptr;
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

private:
    PrintTemplates& templates() { return *templates_[static_cast<int>(source_)]; }
    void createControls();
    void layOut();
    void connectControls();
    void fillTemplates();
    void btnTemplateSaveClick();
    void btnTemplateDeleteClick();
    void templateChosen(int index);

    PrintLayoutGrid* layoutGrid_;
    Templates templates_;
    MessageService& messages_;
    Hooks hooks_;
    PrintSource source_ = PrintSource::History;
    bool filling_ = false;
};

} // namespace kanata
