#pragma once
// The pieces the paged list windows (call history, roster) share: the
// paging buttons and their status, the window and column geometry kept in
// the settings file, the header menu that resets the column widths, and the
// selection that survives a refill of the page.
#include "history/ListPager.h"
#include "history/ListSelection.h"
#include "history/gui/ListRowView.h"
#include "history/gui/TDeleteTarget.h"
#include "ui/gui/DialogSupport.h"

#include <QApplication>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QWidget;

namespace kanata {

class IniFile;
class MessageService;
class Table;
class TDMKanata195;

struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// "ジャンプ(&J)", "前ページ(&P)", "次ページ(&N)" at the end of `row`.
struct PageButtons {
    QPushButton* jump = nullptr;
    QPushButton* previous = nullptr;
    QPushButton* next = nullptr;
};
PageButtons AddPageButtons(QWidget* owner, QHBoxLayout* row);

// "件数 ： n" and "ページ ： n" ("---" while nothing is listed); a paging
// button shows only where it leads somewhere.
void ShowPageState(const ListPager& pager, bool listed, QLabel* count, QLabel* page,
                   const PageButtons& buttons);

// Page Up on the first row and Page Down on the last row of a full page
// turn the page when that button is there.
bool TurnPageByKey(int key, int caretRow, int pageSize, const PageButtons& buttons,
                   const std::function<void()>& previous, const std::function<void()>& next);

// Size and place from the settings file's section (centred on the screen's
// free area at the default size when none is stored), and the column widths.
void RestoreListGeometry(QWidget& window, RowListView& list, const IniFile& ini,
                         const char* section, int defaultWidth, int defaultHeight,
                         std::span<const int> defaultColumns);
void StoreListGeometry(const QWidget& window, const RowListView& list, IniFile& ini,
                       const char* section, int columnCount);
void ResetColumnWidths(const QWidget& window, RowListView& list, std::span<const int> widths);

// "検索条件(&S)" on the left; on the right `extraCaption`'s button (when
// given), "照会(&I)", "削除(&D)" and "閉じる".
struct ListButtons {
    QHBoxLayout* row = nullptr;
    QPushButton* search = nullptr;
    QPushButton* extra = nullptr;
    QPushButton* inquiry = nullptr;
    QPushButton* remove = nullptr;
    QPushButton* close = nullptr;
};
ListButtons AddListButtons(QWidget* owner, const QString& extraCaption = {});

// Double click and Enter on a row (Enter moves the focus to the returned
// widget), and the Delete key.
void ConnectRowActions(QWidget* owner, RowListView* list, std::function<void()> inquire,
                       std::function<void()> remove, std::function<QWidget*()> enterTarget);

// What a list window's buttons do.
struct ListHandlers {
    std::function<void()> jump, previous, next, search, inquire, remove;
};
// The handlers of a list window; they carry the same names in every one.
template <class Window> ListHandlers HandlersOf(Window* w) {
    return {[w] { w->btnJumpClick(); },    [w] { w->btnPrevClick(); },
            [w] { w->btnNextClick(); },    [w] { w->btnSearchClick(); },
            [w] { w->btnInquiryClick(); }, [w] { w->btnDeleteClick(); }};
}
// Connects the paging buttons, "検索条件(&S)", "照会(&I)", "削除(&D)" and
// "閉じる" (which closes the window); the rows as ConnectRowActions, Enter
// going to "照会(&I)" (to "閉じる" while nothing is listed); Page Up and Page
// Down on the list as TurnPageByKey, for pages of `pageSize()` rows.
void ConnectListWindow(QWidget* window, RowListView* list, const PageButtons& paging,
                       const ListButtons& buttons, ListHandlers handlers,
                       std::function<int()> pageSize);

// Escape closes the list window; false for any other key.
bool CloseOnEscape(QWidget& window, const QKeyEvent* event);

// The top row, the list, the button row and the status bar, top to bottom.
void LayOutListWindow(QWidget& window, QHBoxLayout* top, RowListView* list, QHBoxLayout* buttons,
                      QStatusBar* status);

// The header's context menu with "項目幅を初期値に戻す(&R)".
QMenu* AddColumnWidthMenu(QWidget* owner, RowListView* list, std::function<void()> reset);
// The same menu, which resets the columns to `widths` (ResetColumnWidths).
QMenu* AddColumnWidthMenu(QWidget* owner, RowListView* list, std::span<const int> widths);

// The keys of the selected, caret and top rows, before the page is filled
// again.
RememberedSelection RememberPlace(const RowListView& list, const std::vector<std::int64_t>& keys);
// Fills the page; the keys of its rows, or none when the page could not be
// read (the reason shown to the user). A list given `connectionLost` hands
// a lost server connection to it instead of a box: the program says that
// once, not each window for itself.
std::optional<std::vector<std::int64_t>>
FillPage(ListPager& pager, PageMode mode, int page, const RowFilter& filter,
         MessageService& messages, QWidget* owner,
         const std::function<void(const std::string&)>& connectionLost = {});
// After filling: the remembered place kept, the last row after going back a
// page, else the first row.
void PlaceSelection(RowListView& list, const std::vector<std::int64_t>& keys, PageMode mode,
                    bool keepPlace, const RememberedSelection& remembered);
// Selects row `index` (clamped to the listed rows), alone or besides the
// selection, and scrolls it into view.
void SelectListRow(RowListView& list, int rowCount, int index, bool exclusive);
// After deleting rows: the top and the caret as near as they were.
void KeepTopAndCaret(RowListView& list, int rowCount, int top, int caret);

// The records of the rows selected in `list` deleted from `table`, and
// where the list stood before.
struct RowDeletion {
    std::vector<std::int64_t> deleted;
    int top = 0;
    int caret = 0;
};
// Deletes them with the table opened by `open` for the work; none when the
// table did not open or a database error (shown to the user) stopped it.
std::optional<RowDeletion> DeleteSelectedRows(const RowListView& list,
                                              const std::vector<std::int64_t>& keys,
                                              TDMKanata195& dm, bool (TDMKanata195::*open)(),
                                              void (TDMKanata195::*close)(), Table& table,
                                              MessageService& messages, QWidget* owner);
// "n件のデータを削除しました".
void TellDeleted(MessageService& messages, std::int64_t count, QWidget* owner);

// The keys of the selected rows.
std::vector<std::int64_t> SelectedKeys(const RowListView& list,
                                       const std::vector<std::int64_t>& keys);

// Opens the table for `work` under the wait cursor; false when the table
// did not open or a database error (shown to the user) stopped the work.
bool WorkOnTable(TDMKanata195& dm, bool (TDMKanata195::*open)(), void (TDMKanata195::*close)(),
                 MessageService& messages, QWidget* owner, const std::function<void()>& work);

// The page chosen in "ジャンプ", none when cancelled.
std::optional<int> AskJumpPage(QWidget& owner, const ListPager& pager, const DialogRunner& run);
// The rows "削除" takes: asked with the target dialog titled `caption` when
// `askTarget`, else the selected rows once `confirm` is answered Yes. None
// when there is nothing to delete or the user stops.
std::optional<TDeleteTarget::Target> ChooseRowsToDelete(QWidget& owner, bool askTarget,
                                                        const QString& caption, int selectedCount,
                                                        bool anyListed, const std::string& confirm,
                                                        MessageService& messages,
                                                        const DialogRunner& run);
// Runs the deletion of the chosen rows: `selected` for the selected rows,
// `all` for every row the conditions admit. False when none was chosen.
bool RunChosenDeletion(const std::optional<TDeleteTarget::Target>& target,
                       const std::function<void()>& selected, const std::function<void()>& all);

// The cell texts of the pager's rows; `cells` turns a fetched row and its
// running number into texts.
template <class CellsOf>
std::vector<QStringList> PageRowTexts(const ListPager& pager, std::size_t rowCount, CellsOf cells) {
    std::vector<QStringList> rows;
    rows.reserve(rowCount);
    std::int64_t number = pager.firstNumber();
    for (std::size_t i = 0; i < rowCount; ++i) {
        QStringList texts;
        for (const std::string& c : cells(pager.rows()[i], number++))
            texts << QString::fromStdString(c);
        rows.push_back(texts);
    }
    return rows;
}

} // namespace kanata
