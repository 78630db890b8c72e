// Program entry: one instance per work folder, the splash, the menu window
// and the event loop. The start-up processing itself runs from the menu
// window's posted start-up event.
#include "app/KanataProgram.h"
#include "intake/gui/IntakeFlags.h"
#include "intake/gui/TMainForm.h"
#include "intake/gui/TSplashForm.h"
#include "maintenance/gui/AddressBookBackupAtStart.h"
#include "maintenance/gui/StartupNotices.h"
#include "platform/AppFolder.h"
#include "platform/LoggedMessageService.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignal.h"
#include "platform/ThreadsAtExit.h"
#include "platform/gui/KanataApplication.h"
#include "platform/gui/QtMessageService.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"
#include "settings/Registry.h"
#include "settings/WorkFolders.h"

#include <QFont>
#include <QPointer>

#include <cstdlib>

// The version an update compares with the one the server offers.
[[gnu::used]] static const char kFileVersionMark[] = "KANATA_FILE_VERSION=" KANATA_FILE_VERSION;
#include <filesystem>

namespace {

// OPERATION ViewSplash, read before anything else is loaded;
// KANATA_NO_SPLASH=1 switches it off for scripted runs.
bool viewSplash(const std::filesystem::path& workFolder) {
    if (qEnvironmentVariableIntValue("KANATA_NO_SPLASH") != 0)
        return false;
    kanata::IniFile ini(workFolder / kanata::kSettingsFileName);
    ini.load();
    return ini.readBool("OPERATION", "ViewSplash", true);
}

} // namespace

static int runProgram(int argc, char** argv) {
    kanata::KanataApplication app(argc, argv);
    // KANATA_HEADLESS_MESSAGES=1: boxes go to standard error with their
    // default answer (scripted runs and the end-to-end tests).
    kanata::QtMessageService screenMessages;
    kanata::LoggedMessageService loggedMessages;
    kanata::MessageService& messages = qEnvironmentVariableIntValue("KANATA_HEADLESS_MESSAGES") != 0
                                           ? static_cast<kanata::MessageService&>(loggedMessages)
                                           : screenMessages;
    app.setMessageService(&messages);
    QApplication::setApplicationName(QStringLiteral("Kanata195"));
    QApplication::setApplicationVersion(QStringLiteral(KANATA_FILE_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("着信帳１９.５"));
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    // The menu window may be hidden while other windows close; only its own
    // close ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    const std::filesystem::path appFolder = kanata::applicationFolder();
    const std::filesystem::path workFolder = kanata::findWorkFolder(appFolder);
    kanata::SingleInstance instance(workFolder);
    if (!instance.acquire()) {
        messages.information("既に「着信帳１９.５」は起動しています  ");
        return 0;
    }

    QPointer<QWidget> splash;
    if (viewSplash(workFolder)) {
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

    kanata::KanataProgram program(form, flags, messages, appFolder, workFolder);
    // Scripted runs show no notices window (nobody would close it).
    const bool headless = qEnvironmentVariableIntValue("KANATA_HEADLESS_MESSAGES") != 0;
    program.dialogs().noticesAndUpdate = [&](kanata::GlobalSettings& settings) {
        kanata::UpdateContext context{appFolder, workFolder, &messages, &form};
        if (headless)
            context.runInfo = [](kanata::TInfoDialog&) {};
        return kanata::runStartupNoticesAndUpdate(settings, program.isFirstRun(), context);
    };
    kanata::Registry registry;
    program.dialogs().addressBookBackup = [&](const kanata::GlobalSettings& settings) {
        registry.reload();
        const auto dataFolder = kanata::resolveDataFolder(settings.DataPath, workFolder).folder;
        // Scripted runs take the window's default answer, "はい".
        const auto ask =
            headless
                ? std::function<bool(kanata::TBackupPb&)>([](kanata::TBackupPb&) { return true; })
                : std::function<bool(kanata::TBackupPb&)>();
        return kanata::backUpAddressBookAtStart(settings, registry, dataFolder, &form, ask);
    };
    kanata::TerminationSignal termination([&form] {
        form.setAskOnClose(false);
        form.close();
    });
    return QApplication::exec();
}

int main(int argc, char** argv) {
    const int result = runProgram(argc, argv);
#if defined(__SANITIZE_ADDRESS__)
    // Qt's pool threads finish their clean-up after the application is gone;
    // the leak check of a sanitizer build must not run in the middle of it.
    kanata::waitForOtherThreadsToEnd();
#endif
    return result;
}
