#pragma once
// "登録名簿一覧": the roster one page at a time in one of six sort orders,
// filtered by the search conditions; new records, inquiry and deletion.
#include "history/ListPager.h"
#include "ui/gui/DialogSupport.h"
#include "roster/MeiboCondition.h"
#include "roster/MeiboSettings.h"
#include "roster/gui/MeiboListParts.h"
#include "roster/gui/TMeiboView.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>

class QLabel;
class QMenu;
class QPushButton;

namespace kanata {

class IniFile;
class ListRowModel;
class MessageService;
class RowListView;
class TDMKanata195;

class TMeiboList : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kSection = "MEIBO LIST";
    static const std::array<int, kMeiboColumnCount> kDefaultWidths;

    // `ini` receives section "MEIBO LIST" when the window is destroyed and
    // is handed to the editor for "MEIBO VIEW"; `customColours` is the path
    // of CstmClr.ini.
    TMeiboList(TDMKanata195& dm, MessageService& messages, IniFile& ini, MeiboSettings settings,
               std::filesystem::path customColours, QWidget* parent = nullptr);
    ~TMeiboList() override;

    // Hooks every editor the list opens gets (dictionaries, dial-out, map,
    // desktop); the list sets the editor's own list hooks itself.
    MeiboViewHooks& viewHooks() { return viewHooks_; }
    void setDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }
    // The settings changed while the list was hidden; they hold from its
    // next opening (the editor, closed with the list, takes them anew).
    void setSettings(MeiboSettings settings);

    void RefreshPage(int mode, int page);
    void SetOpenRow(int index);
    void SelectRow(int index, bool exclusive);
    int IndexOfRecNo(int recNo) const;
    // Selects and marks the row of a record the editor took over.
    void MarkRecord(int recNo);

    TMeiboView* view() const { return view_; }
    MeiboSort sort() const { return sort_; }
    const MeiboCondition& condition() const { return condition_; }
    int openRow() const { return openRow_; }
    int currentPage() const { return pager_->page(); }
    std::int64_t matchingCount() const { return pager_->count(); }
    const std::vector<std::int64_t>& keys() const { return keys_; }
    // The cell texts of a shown row.
    QStringList rowCells(int row) const;
    bool rowDrawnOpen(int row) const;

    MeiboSortButtons btnSort{};
    QPushButton* btnJump = nullptr;
    QPushButton* btnPrev = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnNew = nullptr;
    QPushButton* btnInquiry = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClose = nullptr;
    RowListView* lbxMeibo = nullptr;
    QMenu* pmHeader = nullptr;
    std::array<QLabel*, 2> pnlStatus{};

    void btnSortClick(MeiboSort sort);
    void btnJumpClick();
    void btnPrevClick();
    void btnNextClick();
    void btnSearchClick();
    void btnNewClick();
    void btnInquiryClick();
    void btnDeleteClick();

signals:
    // The list was closed (it is only hidden, and keeps its conditions).
    // Emitted when it hides, however that came about.
    void closed();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    class Busy;
    void createControls();
    void readSettings();
    void writeSettings();
    void updateStatus();
    void updateSortButtons();
    void focusListOr(QWidget* fallback);
    TMeiboView& ensureView();
    bool saveEditorFirst(bool forInquiry);
    void deleteSelected();
    void deleteAllMatching();
    void closeView();

    TDMKanata195& dm_;
    MessageService& messages_;
    IniFile& ini_;
    MeiboSettings settings_;
    std::filesystem::path customColours_;
    MeiboViewHooks viewHooks_;
    DialogRunner runDialog_;
    std::unique_ptr<ListPager> pager_;
    MeiboSort sort_ = MeiboSort::Registration;
    bool sortSet_ = false;
    MeiboCondition condition_;
    std::vector<std::int64_t> keys_;
    ListRowModel* model_ = nullptr;
    QPointer<TMeiboView> view_;
    int openRow_ = -1;
    int openPage_ = 0;
    std::optional<std::int64_t> openRecNo_;
    bool busy_ = false;
};

} // namespace kanata
