#pragma once
// The layout grid of the list print: the items not yet placed, the order
// they print in with each column's width, and the buttons and drops that
// move items between the two. It keeps one order for each source.
#include "printing/ListPrintJob.h"

#include <QWidget>

#include <array>
#include <vector>

class QDropEvent;
class QListWidget;
class QPushButton;
class QSpinBox;
class QToolButton;
class QTreeWidget;

namespace kanata {

class MessageService;

class PrintLayoutGrid : public QWidget {
public:
    PrintLayoutGrid(std::array<std::vector<PrintItem>, 2> items, std::array<PrintLayout, 2> layouts,
                    MessageService& messages, QWidget* parent);

    // Shows the items and order of `source`, which the edits then change.
    void showSource(PrintSource source);
    // Replaces the shown order (a template was chosen, or it was cleared).
    void replaceLayout(PrintLayout layout);

    const PrintLayout& layout() const { return layouts_[index()]; }
    const PrintLayout& layout(PrintSource source) const {
        return layouts_[static_cast<std::size_t>(source)];
    }
    const std::vector<PrintItem>& items() const { return items_[index()]; }

    QListWidget* lbxItems = nullptr;
    QTreeWidget* lvLayout = nullptr;
    QPushButton* btnSet = nullptr;
    QPushButton* btnRemove = nullptr;
    QPushButton* btnClear = nullptr;
    QToolButton* btnUp = nullptr;
    QToolButton* btnDown = nullptr;
    // Placed by the page, beside its other options.
    QSpinBox* edtWidth = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::size_t index() const { return static_cast<std::size_t>(source_); }
    PrintLayout& shown() { return layouts_[index()]; }
    void createWidgets();
    void arrange();
    void connectButtons();
    bool dropOnLayout(QDropEvent* drop);
    void fillItems();
    void fillLayout(int select);
    void selectedEntryChanged();
    void widthChanged(int value);
    void btnSetClick();
    void btnRemoveClick();
    void moveEntry(int by);

    std::array<std::vector<PrintItem>, 2> items_;
    std::array<PrintLayout, 2> layouts_;
    MessageService& messages_;
    PrintSource source_ = PrintSource::History;
    bool filling_ = false;
};

} // namespace kanata
