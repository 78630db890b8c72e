// Program entry: one instance per work folder, the splash, the menu window
// and the event loop. The start-up processing itself runs from the menu
// window's posted start-up event.
#include "intake/gui/IntakeFlags.h"
#include "intake/gui/TMainForm.h"
#include "intake/gui/TSplashForm.h"
#include "platform/SingleInstance.h"
#include "platform/gui/KanataApplication.h"
#include "platform/gui/QtMessageService.h"

#include <QFont>
#include <QPointer>

#include <cstdlib>
#include <filesystem>

namespace {

std::filesystem::path workFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (dataHome && *dataHome) {
        base = dataHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home ? home : ".") / ".local" / "share";
    }
    return base / "Tenko" / "Kanata195";
}

// OPERATION ViewSplash; KANATA_NO_SPLASH=1 switches it off for scripted runs.
bool viewSplash() {
    return qEnvironmentVariableIntValue("KANATA_NO_SPLASH") == 0;
}

} // namespace

int main(int argc, char** argv) {
    kanata::KanataApplication app(argc, argv);
    kanata::QtMessageService messages;
    app.setMessageService(&messages);
    QApplication::setApplicationName(QStringLiteral("Kanata195"));
    QApplication::setApplicationDisplayName(QStringLiteral("着信帳１９.５"));
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    // The menu window may be hidden while other windows close; only its own
    // close ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    kanata::SingleInstance instance(workFolder());
    if (!instance.acquire()) {
        messages.information("既に「着信帳１９.５」は起動しています  ");
        return 0;
    }

    QPointer<QWidget> splash;
    if (viewSplash()) {
        splash = new kanata::TSplashForm();
        splash->show();
    }

    kanata::IntakeFlags flags;
    flags.PopupAllowed = false;
    flags.ReadyForCalls = false;

    kanata::MainWindowOptions options;
    kanata::TMainForm form(flags, messages, options, splash);
    instance.setBringForwardHandler([&form] { form.bringForward(); });
    QObject::connect(&form, &kanata::TMainForm::closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);

    // The last steps of the start-up processing; the earlier ones plug in here.
    form.hooks().startup = [&form, &flags] {
        form.showTrayIcon();
        flags.PopupAllowed = true;
        form.setIndicator(false);
        form.setAskOnClose(true);
        form.applyMenuVisible(form.options().MenuVisible || !form.trayAvailable());
        form.applyMenuTopMost(form.options().MenuTopMost);
        flags.ReadyForCalls = true;
    };
    return QApplication::exec();
}
