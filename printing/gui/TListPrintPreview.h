#pragma once
// "印刷プレビュー": the printed list page by page as the printer would print
// it. Each page shown is recorded as its vector plan in printer pixels and
// drawn scaled onto a sheet of the paper's size. (A QPicture would do the
// same, but replaying one rescales its fonts for the screen, so the columns
// would no longer match the printout.)
#include "printing/ListPrintJob.h"

#include <QDialog>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QStatusBar;
class QToolButton;

namespace kanata {

class IniFile;

// The sheet in printer pixels: the paper, and the printable area (its size,
// resolution and offset on the paper).
struct PreviewSheet {
    QSizeF paper;
    QPointF offset;
    PageGeometry printable;
};

// A panel that owns a page and paints it stretched onto the sheet,
// framed; dragging it scrolls the scroll area it sits in.
class TPaintPanel : public QWidget {
    Q_OBJECT
public:
    TPaintPanel(const PreviewSheet& sheet, QScrollArea* scroller, QWidget* parent = nullptr);
    void setPage(PagePlan page);
    const PagePlan& page() const { return page_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PreviewSheet sheet_;
    QScrollArea* scroller_;
    PagePlan page_;
    QPoint dragFrom_;
    bool dragging_ = false;
};

class TListPrintPreview : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "LIST PRINT PREVIEW";

    // Each page shown reads its own records: `openRecords` starts a fresh
    // pass over the `recordCount` records (in print order), and the page
    // skips to its first record, as the printed list pages through them.
    using RecordOpener = std::function<std::unique_ptr<PrintRecordSource>()>;
    TListPrintPreview(ListPrintSettings settings, RecordOpener openRecords, long long recordCount,
                      const PreviewSheet& sheet, IniFile& ini, QWidget* parent = nullptr);
    ~TListPrintPreview() override;

    int page() const { return page_; }
    int pageCount() const { return pageCount_; }
    double scale() const { return scale_; }

    QToolButton* sbtnFirst = nullptr;
    QToolButton* sbtnPrior = nullptr;
    QToolButton* sbtnNext = nullptr;
    QToolButton* sbtnLast = nullptr;
    QLabel* lblPage = nullptr;
    QComboBox* cbxZoom = nullptr;
    QPushButton* btnClose = nullptr;
    QScrollArea* sbxPage = nullptr;
    TPaintPanel* pnlPage = nullptr;
    QStatusBar* stbStatus = nullptr;
    QMenu* pmnZoom = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showPage(int page);
    void applyZoom();
    void restoreGeometry();
    void storeGeometry();

    ListPrintSettings settings_;
    RecordOpener openRecords_;
    long long recordCount_;
    PreviewSheet sheet_;
    IniFile& ini_;
    int page_ = 1;
    int pageCount_ = 1;
    double scale_ = 1;
    QLabel* lblStatus_ = nullptr;
};

} // namespace kanata
