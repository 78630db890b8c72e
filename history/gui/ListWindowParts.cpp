#include "history/gui/ListWindowParts.h"

#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "history/ListDeletion.h"
#include "history/gui/TPageJump.h"
#include "platform/MessageService.h"
#include "settings/IniFile.h"
#include "settings/WindowGeometry.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace kanata {

PageButtons AddPageButtons(QWidget* owner, QHBoxLayout* row) {
    QStyle* style = owner->style();
    PageButtons b;
    b.jump = new QPushButton(style->standardIcon(QStyle::SP_FileDialogContentsView),
                             QStringLiteral("ジャンプ(&J)"), owner);
    b.previous = new QPushButton(style->standardIcon(QStyle::SP_ArrowUp),
                                 QStringLiteral("前ページ(&P)"), owner);
    b.next = new QPushButton(style->standardIcon(QStyle::SP_ArrowDown),
                             QStringLiteral("次ページ(&N)"), owner);
    row->addWidget(b.jump);
    row->addWidget(b.previous);
    row->addWidget(b.next);
    return b;
}

void ShowPageState(const ListPager& pager, bool listed, QLabel* count, QLabel* page,
                   const PageButtons& buttons) {
    const bool any = listed && pager.count() > 0;
    count->setText(QStringLiteral("件数 ： ") +
                   (any ? QString::number(pager.count()) : QStringLiteral("---")));
    page->setText(QStringLiteral("ページ ： ") +
                  (any ? QString::number(pager.page()) : QStringLiteral("---")));
    buttons.jump->setVisible(any && pager.jumpVisible());
    buttons.previous->setVisible(any && pager.previousVisible());
    buttons.next->setVisible(any && pager.nextVisible());
}

bool TurnPageByKey(int key, int caretRow, int pageSize, const PageButtons& buttons,
                   const std::function<void()>& previous, const std::function<void()>& next) {
    if (key == Qt::Key_PageUp && caretRow == 0 && !buttons.previous->isHidden()) {
        previous();
        return true;
    }
    if (key == Qt::Key_PageDown && caretRow == pageSize - 1 && !buttons.next->isHidden()) {
        next();
        return true;
    }
    return false;
}

void RestoreListGeometry(QWidget& window, RowListView& list, const IniFile& ini,
                         const char* section, int defaultWidth, int defaultHeight,
                         std::span<const int> defaultColumns) {
    const int columnCount = static_cast<int>(defaultColumns.size());
    const StoredGeometry stored = readGeometry(ini, section, columnCount);
    ScreenGeometry defaults;
    defaults.width = ScaledPixels(&window, defaultWidth);
    defaults.height = ScaledPixels(&window, defaultHeight);
    for (int w : defaultColumns)
        defaults.columns.push_back(ScaledPixels(&window, w));
    const QRect area =
        window.screen() ? window.screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    const ScreenGeometry g =
        applyGeometry(stored, defaults, area.width(), area.height(), window.logicalDpiX());
    window.resize(g.width, g.height);
    // A stored position is where the window was; a centred one is centred
    // on the screen's free area.
    window.move(stored.left ? g.left : area.left() + g.left,
                stored.top ? g.top : area.top() + g.top);
    for (int c = 0; c < columnCount; ++c)
        list.header()->resizeSection(c, g.columns[static_cast<std::size_t>(c)]);
}

void StoreListGeometry(const QWidget& window, const RowListView& list, IniFile& ini,
                       const char* section, int columnCount) {
    ScreenGeometry g{window.pos().x(), window.pos().y(), window.width(), window.height(), {}};
    for (int c = 0; c < columnCount; ++c)
        g.columns.push_back(list.header()->sectionSize(c));
    writeGeometry(ini, section, storeGeometry(g, window.logicalDpiX(), true));
}

void ResetColumnWidths(const QWidget& window, RowListView& list, std::span<const int> widths) {
    for (std::size_t c = 0; c < widths.size(); ++c)
        list.header()->resizeSection(static_cast<int>(c), ScaledPixels(&window, widths[c]));
    list.viewport()->update();
}

ListButtons AddListButtons(QWidget* owner, const QString& extraCaption) {
    ListButtons b;
    b.search = new QPushButton(QStringLiteral("検索条件(&S)"), owner);
    if (!extraCaption.isEmpty())
        b.extra = new QPushButton(extraCaption, owner);
    b.inquiry = new QPushButton(QStringLiteral("照会(&I)"), owner);
    b.remove = new QPushButton(QStringLiteral("削除(&D)"), owner);
    b.close = new QPushButton(QStringLiteral("閉じる"), owner);
    b.row = new QHBoxLayout;
    b.row->addWidget(b.search);
    b.row->addStretch();
    for (QPushButton* button : {b.extra, b.inquiry, b.remove, b.close})
        if (button)
            b.row->addWidget(button);
    return b;
}

void ConnectRowActions(QWidget* owner, RowListView* list, std::function<void()> inquire,
                       std::function<void()> remove, std::function<QWidget*()> enterTarget) {
    QObject::connect(list, &QAbstractItemView::doubleClicked, owner, inquire);
    QObject::connect(list, &RowListView::deletePressed, owner, std::move(remove));
    QObject::connect(list, &RowListView::enterPressed, owner,
                     [target = std::move(enterTarget)] { target()->setFocus(); });
}

void ConnectListWindow(QWidget* window, RowListView* list, const PageButtons& paging,
                       const ListButtons& buttons, ListHandlers handlers,
                       std::function<int()> pageSize) {
    auto onClick = [window](QPushButton* button, std::function<void()> handler) {
        QObject::connect(button, &QPushButton::clicked, window, [h = std::move(handler)] { h(); });
    };
    onClick(paging.jump, handlers.jump);
    onClick(paging.previous, handlers.previous);
    onClick(paging.next, handlers.next);
    onClick(buttons.search, handlers.search);
    onClick(buttons.inquiry, handlers.inquire);
    onClick(buttons.remove, handlers.remove);
    QObject::connect(buttons.close, &QPushButton::clicked, window, &QWidget::close);
    ConnectRowActions(window, list, handlers.inquire, handlers.remove, [list, buttons] {
        return list->model()->rowCount() > 0 ? buttons.inquiry : buttons.close;
    });
    list->pageKeyHandler = [paging, handlers, pageSize = std::move(pageSize)](int key, int caret) {
        return TurnPageByKey(key, caret, pageSize(), paging, handlers.previous, handlers.next);
    };
}

bool CloseOnEscape(QWidget& window, const QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape)
        return false;
    window.close();
    return true;
}

void LayOutListWindow(QWidget& window, QHBoxLayout* top, RowListView* list, QHBoxLayout* buttons,
                      QStatusBar* status) {
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
    layout->addWidget(status);
    window.setMinimumSize(ScaledPixels(&window, 480), ScaledPixels(&window, 170));
}

QMenu* AddColumnWidthMenu(QWidget* owner, RowListView* list, std::function<void()> reset) {
    auto* menu = new QMenu(owner);
    QAction* action = menu->addAction(QStringLiteral("項目幅を初期値に戻す(&R)"));
    QObject::connect(action, &QAction::triggered, owner, std::move(reset));
    QObject::connect(
        list->header(), &QWidget::customContextMenuRequested, owner,
        [menu, list](const QPoint& p) { menu->popup(list->header()->mapToGlobal(p)); });
    return menu;
}

QMenu* AddColumnWidthMenu(QWidget* owner, RowListView* list, std::span<const int> widths) {
    return AddColumnWidthMenu(owner, list,
                              [owner, list, widths] { ResetColumnWidths(*owner, *list, widths); });
}

RememberedSelection RememberPlace(const RowListView& list, const std::vector<std::int64_t>& keys) {
    RememberedSelection remembered;
    if (keys.empty())
        return remembered;
    remembered.selected = SelectedKeys(list, keys);
    const int caret = list.caretRow();
    if (caret >= 0 && caret < static_cast<int>(keys.size()))
        remembered.caret = keys[static_cast<std::size_t>(caret)];
    remembered.topIndex = list.topRow();
    if (remembered.topIndex < static_cast<int>(keys.size()))
        remembered.top = keys[static_cast<std::size_t>(remembered.topIndex)];
    return remembered;
}

std::optional<std::vector<std::int64_t>>
FillPage(ListPager& pager, PageMode mode, int page, const RowFilter& filter,
         MessageService& messages, QWidget* owner,
         const std::function<void(const std::string&)>& connectionLost) {
    PageOutcome outcome;
    try {
        outcome = pager.refresh(mode, page, filter);
    } catch (const sql::SqliteError& e) {
        if (e.connectionLost() && connectionLost) {
            connectionLost(e.what());
            return std::nullopt;
        }
        messages.error(e.what(), owner);
        return std::nullopt;
    }
    if (outcome != PageOutcome::Filled && outcome != PageOutcome::Empty) {
        messages.error(PageOutcomeMessage(outcome), owner);
        return std::nullopt;
    }
    return outcome == PageOutcome::Filled ? pager.keys() : std::vector<std::int64_t>{};
}

void PlaceSelection(RowListView& list, const std::vector<std::int64_t>& keys, PageMode mode,
                    bool keepPlace, const RememberedSelection& remembered) {
    if (keys.empty())
        return;
    if (keepPlace) {
        const RestoredSelection s = RestoreSelection(keys, remembered);
        list.selectRows(s.selected, s.caret, s.caretSelected);
        list.setTopRow(s.top);
    } else if (mode == PageMode::Previous) {
        const int last = static_cast<int>(keys.size()) - 1;
        list.selectRows({last}, last, true);
        list.scrollToBottom();
    } else {
        list.selectRows({0}, 0, true);
        list.scrollToTop();
    }
}

void SelectListRow(RowListView& list, int rowCount, int index, bool exclusive) {
    if (rowCount == 0)
        return;
    index = std::clamp(index, 0, rowCount - 1);
    std::vector<int> rows = exclusive ? std::vector<int>{} : list.selectedRowNumbers();
    rows.push_back(index);
    list.selectRows(rows, index, true);
    list.scrollTo(list.model()->index(index, 0));
}

void KeepTopAndCaret(RowListView& list, int rowCount, int top, int caret) {
    if (rowCount <= 0)
        return;
    list.setTopRow(std::min(top, rowCount - 1));
    list.selectionModel()->setCurrentIndex(
        list.model()->index(std::clamp(caret, 0, rowCount - 1), 0), QItemSelectionModel::NoUpdate);
}

std::vector<std::int64_t> SelectedKeys(const RowListView& list,
                                       const std::vector<std::int64_t>& keys) {
    std::vector<std::int64_t> selected;
    for (int r : list.selectedRowNumbers())
        selected.push_back(keys[static_cast<std::size_t>(r)]);
    return selected;
}

bool WorkOnTable(TDMKanata195& dm, bool (TDMKanata195::*open)(), void (TDMKanata195::*close)(),
                 MessageService& messages, QWidget* owner, const std::function<void()>& work) {
    BusyCursor busy;
    TableUse use(dm, open, close);
    if (!use)
        return false;
    try {
        work();
    } catch (const sql::SqliteError& e) {
        messages.error(e.what(), owner);
        return false;
    }
    return true;
}

std::optional<RowDeletion> DeleteSelectedRows(const RowListView& list,
                                              const std::vector<std::int64_t>& keys,
                                              TDMKanata195& dm, bool (TDMKanata195::*open)(),
                                              void (TDMKanata195::*close)(), Table& table,
                                              MessageService& messages, QWidget* owner) {
    const std::vector<std::int64_t> wanted = SelectedKeys(list, keys);
    RowDeletion deletion;
    deletion.caret = list.caretRow();
    deletion.top = list.topRow();
    if (!WorkOnTable(dm, open, close, messages, owner,
                     [&] { deletion.deleted = DeleteRowsByRecNo(table, wanted); }))
        return std::nullopt;
    return deletion;
}

void TellDeleted(MessageService& messages, std::int64_t count, QWidget* owner) {
    messages.information(std::to_string(count) + "件のデータを削除しました", owner);
}

std::optional<int> AskJumpPage(QWidget& owner, const ListPager& pager, const DialogRunner& run) {
    TPageJump dialog(pager.totalPages(), pager.page(), &owner);
    PlaceAtBottomRight(dialog, owner);
    if (RunDialog(run, dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.page();
}

bool RunChosenDeletion(const std::optional<TDeleteTarget::Target>& target,
                       const std::function<void()>& selected, const std::function<void()>& all) {
    if (!target)
        return false;
    if (*target == TDeleteTarget::Target::Selected)
        selected();
    else
        all();
    return true;
}

std::optional<TDeleteTarget::Target> ChooseRowsToDelete(QWidget& owner, bool askTarget,
                                                        const QString& caption, int selectedCount,
                                                        bool anyListed, const std::string& confirm,
                                                        MessageService& messages,
                                                        const DialogRunner& run) {
    if (!askTarget) {
        if (selectedCount == 0 || !messages.ask(confirm, false, &owner))
            return std::nullopt;
        return TDeleteTarget::Target::Selected;
    }
    if (!anyListed)
        return std::nullopt;
    TDeleteTarget dialog(caption, selectedCount, messages, &owner);
    PlaceAtBottomRight(dialog, owner);
    if (RunDialog(run, dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.target();
}

} // namespace kanata
