#pragma once
// The paged lists' row display: a model of cell texts, the row drawing and
// a multi-select view with a header whose column widths the user drags.
// Nothing here knows which table the rows come from.
#include <QAbstractTableModel>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <functional>
#include <vector>

namespace kanata {

class ListRowModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kOpenRowRole = Qt::UserRole + 1;

    // `rightAligned` lists the columns drawn right-aligned ("No.").
    ListRowModel(QStringList titles, std::vector<int> rightAligned, QObject* parent = nullptr);

    void setTitles(const QStringList& titles);
    void setRows(std::vector<QStringList> rows);
    const std::vector<QStringList>& rows() const { return rows_; }
    // -1 .. rowCount()-1; the row whose record is open elsewhere.
    void setOpenRow(int row);
    int openRow() const { return openRow_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList titles_;
    std::vector<int> rightAligned_;
    std::vector<QStringList> rows_;
    int openRow_ = -1;
};

// Selected rows in the highlight colours, others in the window colours; the
// open row's text blue (yellow when selected); each cell one line,
// vertically centred, cut with an ellipsis inside a margin of 4 pixels
// (scaled) each side; a grey line closes each column.
class ListRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class RowListView : public QTreeView {
    Q_OBJECT
public:
    explicit RowListView(QWidget* parent = nullptr);

    // Page Up / Page Down without Shift: the handler gets the key and the
    // caret row and returns true when it moved the page.
    std::function<bool(int key, int caretRow)> pageKeyHandler;

    int caretRow() const;
    int topRow() const;
    void setTopRow(int row);
    std::vector<int> selectedRowNumbers() const;
    void selectRows(const std::vector<int>& rows, int caret, bool caretSelected);

signals:
    void enterPressed();
    void deletePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Pixels at 96 dpi -> pixels on the widget's screen.
int ScaledPixels(const QWidget* widget, int pixelsAt96);

} // namespace kanata
