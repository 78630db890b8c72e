#pragma once
// The menu window's commands and the windows they open: the history and
// roster lists, import, export, list print, the adapter's call list, the
// help menu, the dial dialog and the phonebook product; and what the call
// windows ask of the program (the address book, the dial-out).
#include <QPointer>

#include <string>
#include <vector>

class QWidget;

namespace kanata {

struct ProgramState;
struct ReceiveViewSettings;
class TMeiboList;

inline constexpr const char* kTablesNotOpen =
    "データベースサーバーに接続できないため、この画面は開けません  \r\n"
    "接続が回復してから、もう一度開いてください  ";

class WindowWiring {
public:
    explicit WindowWiring(ProgramState& state) : s_(state) {}

    // Sets the menu window's hooks and the call windows' requests.
    void wire();
    // The roster list works on the tables: it goes before them.
    void releaseRosterList();

private:
    void wireCallWindows();
    void wireListsAndFiles();
    void wireHelp();
    bool tablesAvailable();
    void showListPrint();
    void showRosterList();
    TMeiboList* makeRosterList();
    void showFileImport();
    void showFileExport();
    void showReceiveHistoryRetrieval();
    void openDialDialog(const std::vector<std::string>& numbers, QWidget* owner);
    void startPhonebookProduct();
    void describeAddressBook(ReceiveViewSettings& view) const;
    void refreshHistoryList();

    ProgramState& s_;
    QPointer<TMeiboList> rosterList_;
};

} // namespace kanata
