#pragma once
// "登録名簿": one roster record viewed, created or changed, with its links,
// its incoming-call message and the calls of its numbers.
#include "maps/MapLaunch.h"
#include "roster/MeiboCallHistory.h"
#include "roster/MeiboEditor.h"
#include "roster/MeiboSettings.h"
#include "roster/gui/MeiboMainPage.h"
#include "roster/gui/MeiboSubPage.h"
#include "roster/gui/MeiboViewHooks.h"
#include "ui/gui/CallerForm.h"
#include "views/gui/CallerFormActions.h"

#include <QColor>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace kanata {

class IniFile;
class MessageService;
class TDMKanata195;
class TMeiboView;
class MeiboCallTable;

class TMeiboView : public QWidget, public ui::CallerFormControls, public MeiboMainControls {
    Q_OBJECT
public:
    static constexpr const char* kSection = "MEIBO VIEW";

    // `ini` (window section) must outlive the view; `customColours` is the
    // path of CstmClr.ini. The view deletes itself when closed.
    TMeiboView(TDMKanata195& dm, MessageService& messages, MeiboSettings settings, IniFile& ini,
               std::filesystem::path customColours, QWidget* parent = nullptr);
    ~TMeiboView() override;

    MeiboViewHooks& hooks() { return hooks_; }
    MeiboEditor& editor() { return editor_; }

    // With a row: inquiry; without: an empty new record.
    void LoadRecord(const MeiboRow* row);
    int SavePendingChanges();
    bool IsSubDialogOpen() const { return actions_.busy(); }
    bool HasUnsavedChanges() const { return editor_.HasChanges(fields()); }
    void BringToFront();

    MeiboFields fields() const;
    void setFields(const MeiboFields& fields);
    const QColor& messageColour() const;
    // Coordinates from a map; stored with the record at the next write.
    void setCoordinates(int latitude, int longitude);
    // The map button's work around `launch` (which starts the product of
    // `mapIndex`): the note or the question on coordinates first, then the
    // position the map returned is held and, for a stored record, written
    // at once.
    void ShowMap(int mapIndex, const std::function<MapLaunchResult()>& launch);
    int historyCount() const;
    bool historyVisible() const;

    // Controls, besides those of the caller form and the main page.
    QTabWidget* tabPages = nullptr;
    MeiboSubPage* subPage = nullptr;
    QPushButton* btnHistory = nullptr;
    QTableView* lvRecvList = nullptr;

    // Handlers, public so that the roster list and the tests drive them.
    void btnRegisterClick();
    void btnExchangeClick();
    void btnMailClick();
    void btnRankEditClick();
    void btnHistoryClick();
    void ReloadHistory();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A modal dialog of the editor: the roster list does not switch records
    // meanwhile.
    using SubDialog = CallerFormActions::Busy;
    void createControls(std::filesystem::path customColours);
    void connectControls();
    void fillRanks(const std::string& keep);
    void focusNumber(int edit);
    void focusNote();
    void dictionary(int kind);
    void runDictionarySearch(int kind);
    void setHistoryVisible(bool visible);
    void restoreGeometry();
    void saveGeometry();

    TDMKanata195& dm_;
    MessageService& messages_;
    MeiboSettings settings_;
    IniFile& ini_;
    MeiboEditor editor_;
    MeiboViewHooks hooks_;
    CallerFormActions actions_;
    MeiboCallHistory history_;
    MeiboCallTable* callTable_ = nullptr;
    // Held, not shown: from the loaded record, the dictionaries or the map.
    std::string jisCode_, kajoCode_;
    int latitude_ = 0, longitude_ = 0;
};

} // namespace kanata
