#pragma once
#include "intake/gui/IntakeFlags.h"
#include "intake/gui/MainWindowHooks.h"

#include <QEvent>
#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>

class QAction;
class QLabel;
class QMenu;
class QSessionManager;
class QToolBar;

namespace kanata {

class MessageService;

// The start-up request the menu window posts to itself once it exists.
inline constexpr int WM_STARTUP = 0x8100;
inline constexpr QEvent::Type kStartupEvent = static_cast<QEvent::Type>(QEvent::User + WM_STARTUP);

inline constexpr const char* kServerUnreachableStatus = "サーバーに接続できません";

// The program's small menu window: main menu, tool bar, notification-area
// icon, the incoming-call indicator and the close query.
//
// The end of the desktop session arrives as QGuiApplication::commitDataRequest
// (X11 session management); it runs the close query with "Windows ending"
// set and cancels the logout when the user says No.
// Without a notification area (a bare X server) the menu window is the only
// way into the program, so it cannot be hidden then: the first attempt says
// why, once per run. The icon's menu is popped up by the program itself on
// the context request, so that it appears only while a call may pop up.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // `splash` (may be null) is waited for before the start-up is posted.
    TMainForm(IntakeFlags& flags, MessageService& messages, MainWindowOptions options,
              QWidget* splash = nullptr, QWidget* parent = nullptr);
    ~TMainForm() override;

    MainWindowHooks& hooks() { return hooks_; }
    const MainWindowOptions& options() const { return options_; }
    // The settings as loaded at start-up.
    void setOptions(const MainWindowOptions& options) { options_ = options; }
    // The close questions as the settings dialog changed them.
    void setCloseOptions(bool closeMsg, bool windowsEnd) {
        options_.CloseMsg = closeMsg;
        options_.WindowsEnd = windowsEnd;
    }

    // The menu and tool bar actions.
    QAction* actRecvHisList = nullptr;
    QAction* actMeiboList = nullptr;
    QAction* actFileImport = nullptr;
    QAction* actFileExport = nullptr;
    QAction* actGetRecvHis = nullptr;
    QAction* actListPrint = nullptr;
    QAction* actEnvironment = nullptr;
    QAction* actMenuVisible = nullptr;
    QAction* actMenuTopMost = nullptr;
    QAction* actUtility = nullptr;
    QAction* actTopic = nullptr;
    QAction* actInfo = nullptr;
    QAction* actVersion = nullptr;
    QAction* actExit = nullptr;
    // The icon menu's own exit, which closes without asking.
    QAction* pmiTrayExit = nullptr;

    // The incoming-call indicator: tray icon, tool button image and caption.
    void setIndicator(bool on);
    bool indicator() const { return indicator_; }

    // The line under the menu that says the tables' server cannot be
    // reached; hidden (with it the status line) while it can.
    void setServerUnreachable(bool unreachable);
    QLabel* serverStatusLabel() const { return serverStatus_; }

    // Whether a call may pop windows up now.
    bool CanPopUp() const;

    void setAskOnClose(bool on) { askOnClose_ = on; }
    bool askOnClose() const { return askOnClose_; }

    // Shows the notification-area icon (start-up, near its end).
    void showTrayIcon();
    bool trayAvailable() const { return trayAvailable_; }
    // Tests and desktops without a notification area.
    void setTrayAvailable(bool available) { trayAvailable_ = available; }
    QSystemTrayIcon* trayIcon() const { return tray_; }
    QMenu* trayMenu() const { return trayMenu_; }
    QToolBar* toolBar() const { return toolBar_; }
    QAction* toolAction(int index) const; // 0 history, 1 roster, 2 settings, 3 exit

    // Applies the menu settings through their actions, as start-up and the
    // settings dialog do.
    void applyMenuVisible(bool visible);
    void applyMenuTopMost(bool topMost);

    // The session is ending: the close query runs with "Windows ending" set.
    // Returns true when the window closed.
    bool queryEndSession();

    // Brings the menu window forward (a second start asked for it).
    void bringForward();

public slots:
    void trayActivated(QSystemTrayIcon::ActivationReason reason);

signals:
    void closed(); // the close query let the window close

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void fitHeight();
    void createActions();
    void createMenus();
    void createToolBar();
    void createTrayMenu();
    QAction* newAction(const char* caption, const QKeySequence& shortcut = {});
    void runHook(const std::function<void()>& hook);
    void runModal(const std::function<void()>& hook);
    void actRecvHisListExecute();
    void actMenuVisibleExecute();
    void setMenuVisible(bool wanted, bool byUser);
    void showMenuState(bool visible);
    void actMenuTopMostExecute();
    void trayExit();
    bool closeQuery();
    bool acceptsInput() const;
    void bringAllToFront();
    void commitDataRequest(QSessionManager& manager);
    void notifyOptions();

    IntakeFlags& flags_;
    MessageService& messages_;
    MainWindowOptions options_;
    MainWindowHooks hooks_;
    QToolBar* toolBar_ = nullptr;
    QAction* tbRecvHis_ = nullptr;
    QAction* tbMeibo_ = nullptr;
    QAction* tbEnvironment_ = nullptr;
    QAction* tbExit_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QLabel* serverStatus_ = nullptr;
    bool trayAvailable_ = false;
    bool toldNoTray_ = false;
    bool indicator_ = false;
    bool askOnClose_ = false;
    bool windowsEnding_ = false;
};

} // namespace kanata
