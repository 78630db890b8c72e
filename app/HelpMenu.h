#pragma once
// The help and option commands of the menu window that open things outside
// the program's own windows: the user manual in the desktop's browser, the
// companion utility, and the notices kept from the last start.
#include <QString>

#include <filesystem>
#include <functional>

class QUrl;
class QWidget;

namespace kanata {

class MessageService;
class TInfoDialog;

// manual/index.html in the application folder.
std::filesystem::path manualFile(const std::filesystem::path& appFolder);

// The companion utility beside the program.
std::filesystem::path utilityProgram(const std::filesystem::path& appFolder);

struct HelpMenuContext {
    std::filesystem::path appFolder;
    std::filesystem::path settingsFolder; // where info/info.dat is kept
    MessageService* messages = nullptr;
    QWidget* owner = nullptr;
    // Opens a URL in the desktop's browser (tests answer it); unset =
    // QDesktopServices.
    std::function<bool(const QUrl&)> openUrl;
    // Starts a program without waiting (tests answer it); unset = a
    // detached process.
    std::function<bool(const QString& program)> startProgram;
    // Shows the notices window modally (tests answer it); unset = exec().
    std::function<void(TInfoDialog&)> runInfo;
};

// Opens the manual; a missing file or a desktop without a browser is told.
void openManual(const HelpMenuContext& context);

// Starts the utility; a missing one is told.
void startUtility(const HelpMenuContext& context);

// The two start-up switches of the notices window.
struct NoticeSwitches {
    bool info = true;
    bool updateCheck = true;
};

// The notices window with the notice kept from the last start (the
// welcome text when none was kept); the switches as the user left them.
NoticeSwitches showStoredNotices(const HelpMenuContext& context, NoticeSwitches switches);

} // namespace kanata
