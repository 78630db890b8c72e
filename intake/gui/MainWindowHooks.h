#pragma once
// The menu window opens windows that belong to other subsystems. It reaches
// them only through these hooks, set by whoever builds the program; a hook
// that is not set makes its action tell the user it is not available yet.
#include <functional>

namespace kanata {

// Settings the menu window reads and updates (mapped from the settings file
// by the owner).
struct MainWindowOptions {
    bool CloseMsg = true;     // ask before closing from the menu
    bool WindowsEnd = true;   // ask when the session ends
    bool MenuVisible = false; // the menu window is shown
    bool MenuTopMost = false;
};

struct MainWindowHooks {
    // Runs the start-up processing (posted once the window exists).
    std::function<void()> startup;

    // Non-modal windows and programs.
    std::function<void()> showHistoryList; // restore and show the history list
    std::function<void()> utility;
    std::function<void()> topic;
    std::function<void()> info;

    // Modal windows: the menu window clears PopupAllowed around them.
    std::function<void()> meiboList;
    std::function<void()> fileImport;
    std::function<void()> fileExport;
    std::function<void()> getRecvHis;
    std::function<void()> listPrint;
    std::function<void()> environment;
    std::function<void()> version;

    // Call views: true when the view is closed (or was not open); false when
    // it refused (for example an unsaved edit the user kept).
    std::function<bool()> closeMiniView;
    std::function<bool()> closeReceiveView;
    // True while an incoming call view is open (modal actions wait for it).
    std::function<bool()> receiveViewOpen;
    // The history list: whether it accepts input, and its release on close.
    std::function<bool()> historyListEnabled;
    std::function<void()> releaseHistoryList;
    // The menu settings changed through the menu (for writing back).
    std::function<void(const MainWindowOptions&)> optionsChanged;
};

} // namespace kanata
