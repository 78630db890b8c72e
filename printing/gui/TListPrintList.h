#pragma once
// The two list windows of a list print, "一覧表印刷　着信対応履歴一覧" and
// "一覧表印刷　登録名簿一覧": the source's records page by page, narrowed by
// the search conditions, where the user picks what "印刷(&L)" prints.
#include "history/ListPager.h"
#include "ui/gui/DialogSupport.h"
#include "history/gui/ListWindowParts.h"
#include "printing/ListPrintJob.h"
#include "printing/TablePrintSources.h"
#include "roster/MeiboCondition.h"

#include <QDialog>

#include <array>
#include <memory>

class QLabel;
class QPrinter;
class QPushButton;
class QSpinBox;

namespace kanata {

class IniFile;
class MessageService;
class TDMKanata195;
struct HistoryCondition;

class TListPrintList : public QDialog {
    Q_OBJECT
public:
    TListPrintList(TDMKanata195& dm, MessageService& messages, IniFile& ini,
                   ListPrintSettings settings, QPrinter& printer, QWidget* parent = nullptr);
    ~TListPrintList() override;

    // Tests answer the search and range dialogs through this.
    DialogRunner runDialog;
    // Whether a printer exists to print on; tests printing to PDF answer yes.
    std::function<bool()> printerInstalled;
    // Pages printed by the last run.
    int lastPages() const { return lastPages_; }

    RowListView* lvRecords = nullptr;
    QLabel* lblCount = nullptr;
    QLabel* lblPage = nullptr;
    PageButtons pageButtons;
    // The roster's sort orders (none for the history, which prints newest
    // first); the print follows the order shown.
    std::array<QPushButton*, kMeiboSortCount> btnSort{};
    QPushButton* btnSearch = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    bool history() const { return settings_.format.source == PrintSource::History; }
    const char* section() const;
    void refresh(PageMode mode, int page);
    void btnSearchClick();
    void btnSortClick(MeiboSort sort);
    void btnPrintClick();
    std::optional<PrintChoice> chooseRecords();
    void print(const PrintChoice& choice, std::int64_t count);
    int printPages(PrintRecordSource& source, std::int64_t count);
    RowFilter filter() const;
    bool searchActive() const;

    TDMKanata195& dm_;
    MessageService& messages_;
    IniFile& ini_;
    ListPrintSettings settings_;
    QPrinter& printer_;
    std::unique_ptr<ListPager> pager_;
    ListRowModel* model_ = nullptr;
    std::vector<std::int64_t> keys_;
    // Held apart: its header is more than the meta-object compiler reads.
    std::unique_ptr<HistoryCondition> historyCondition_;
    MeiboCondition meiboCondition_;
    MeiboSort sort_ = MeiboSort::Registration;
    std::int64_t rangeBegin_ = 1, rangeEnd_ = 1;
    bool busy_ = false;
    int lastPages_ = 0;
};

} // namespace kanata
