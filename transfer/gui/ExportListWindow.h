#pragma once
// The list window of an export source: the records a page at a time, the
// search conditions, multi-selection and "出力(&E)". The history and roster
// windows fill in what differs (columns, order, search dialog).
#ifndef Q_MOC_RUN
#include "history/ListPager.h"
#include "transfer/ExportSettings.h"
#endif

#include <QDialog>
#include <QStringList>

#include <array>
#include <memory>
#include <span>

class QHBoxLayout;
class QLabel;
class QPushButton;

namespace kanata {

class ExportRunFlow;
class ListRowModel;
class RowListView;
struct ExportEnvironment;

class ExportListWindow : public QDialog {
    Q_OBJECT
public:
    ~ExportListWindow() override;

    void RefreshPage(int mode, int page);
    const std::vector<std::int64_t>& keys() const { return keys_; }
    std::int64_t matchingCount() const;
    ExportRunFlow& flow() { return *flow_; }

    QPushButton* btnJump = nullptr;
    QPushButton* btnPrev = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnExport = nullptr;
    QPushButton* btnCancel = nullptr;
    RowListView* lbxList = nullptr;
    std::array<QLabel*, 2> pnlStatus{};

    void btnExportClick();

protected:
    ExportListWindow(ExportEnvironment& env, ExportSource source, const ExportSettings& settings,
                     const char* section, QWidget* parent);
    // Builds the controls; `top` gets the paging buttons at its end.
    void createControls(QHBoxLayout* top, const QStringList& titles,
                        std::span<const int> defaultWidths, int width, int height);
    void setOrder(Table& table, const std::string& index, bool backwards);

    virtual RowFilter filter() const = 0;
    virtual bool conditionActive() const = 0;
    virtual std::vector<std::string> cells(const Record& record, std::int64_t number) const = 0;
    // Opens the search dialog; true when the conditions were accepted.
    virtual bool editCondition() = 0;
    virtual bool openTable() = 0;
    virtual void closeTable() = 0;

    ExportEnvironment& env_;
    void showEvent(QShowEvent* e) override;

private:
    void updateStatus();
    void btnSearchClick();
    void btnJumpClick();
    bool pageKey(int key, int caretRow);
    void writeGeometry();

    const char* section_;
    int columnCount_ = 0;
    std::unique_ptr<ListPager> pager_;
    std::string index_;
    bool backwards_ = false;
    ListRowModel* model_ = nullptr;
    std::vector<std::int64_t> keys_;
    std::unique_ptr<ExportRunFlow> flow_;
    bool filled_ = false;
};

} // namespace kanata
