#include "app/ProgramStartup.h"

#include "app/CallWindows.h"
#include "app/DeskCalls.h"
#include "app/DeskMode.h"
#include "app/ProgramState.h"
#include "data/AddressBook.h"
#include "intake/LineReports.h"
#include "intake/StartupRules.h"
#include "intake/TKTCommDLL.h"
#include "intake/gui/TMainForm.h"
#include "intake/gui/TPasswordForm.h"
#include "lookup/PhonebookEditions.h"
#include "maintenance/AutoBackup.h"
#include "maintenance/gui/StartupNotices.h"
#include "platform/DriveScan.h"
#include "platform/MessageService.h"
#include "settings/DatabaseSettings.h"
#include "settings/WindowGeometry.h"
#include "settings/WorkFolders.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QScreen>

#include <cstdio>
#include <string>

namespace kanata {

void ProgramStartup::run() {
    s_.flags.NeedEnvironmentSetup = false;
    if (!constructAdapter())
        return s_.actions.closeProgram();
    loadSettings();
    if (!checkStartupPassword())
        return s_.actions.closeProgram();
    openLineAheadOfTheCheck();
    if (!noticesAndUpdate())
        return s_.actions.closeProgram();
    if (!prepareAdapterModels())
        return s_.actions.closeProgram();
    checkPhonebookLink();
    backUpAddressBook();
    if (s_.flags.NeedEnvironmentSetup && !runEnvironmentSetup())
        return s_.actions.closeProgram();
    if (!openLine())
        return s_.actions.closeProgram();
    s_.flags.NeedEnvironmentSetup = false;
    loadServices();
    if (!openTablesOrAwaitServer())
        return s_.actions.closeProgram();
    s_.loadRingSound();
    // The backup copies the server's tables too: it waits for the next start
    // rather than fail on a server that is not up yet.
    if (s_.settings.AutoBU && !s_.loadResult.dataPathReplaced && !s_.tablesAwaitServer)
        runAutoBackup();
    finish();
}

bool ProgramStartup::constructAdapter() {
    // The settings file is read once here: LineType is needed before the
    // library, the rest is checked by loadSettings.
    s_.ini.load();
    // A damaged file is replaced only once the user has confirmed what
    // could be read from it in the settings dialog.
    if (s_.ini.damaged())
        s_.ini.holdWrites();
    const int lineType = s_.ini.readInteger("COMMON", "UseType", 0);
    if (lineType != 0 && lineType != 1)
        return true;
    s_.adapter = TKTCommDLL::create(s_.messages, s_.appFolder, lineType, s_.host);
    return s_.adapter != nullptr;
}

void ProgramStartup::loadSettings() {
    SettingsEnvironment env;
    env.applicationFolder = s_.appFolder;
    env.workFolder = s_.workFolder;
    if (s_.adapter)
        env.adapterLibraryVersion = std::to_string(s_.adapter->GetVersion());
    env.scanDrives = [](bool network) { return scanDrives(network); };
    s_.loadResult = LoadGlobalSettings(s_.ini, env, s_.messages, s_.settings);
    if (s_.loadResult.needEnvironmentSetup)
        s_.flags.NeedEnvironmentSetup = true;
    placeMenuWindow();
}

void ProgramStartup::placeMenuWindow() {
    TMainForm& form = s_.form;
    const int dpi = form.logicalDpiX();
    QScreen* screen = form.screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    StoredGeometry stored;
    stored.left = s_.settings.MenuLeft;
    stored.top = s_.settings.MenuTop;
    ScreenGeometry defaults{0, 0, form.width(), form.height(), {}};
    ScreenGeometry placed = applyGeometry(stored, defaults, area.width(), area.height(), dpi);
    form.move(placed.left, placed.top);

    MainWindowOptions options;
    options.CloseMsg = s_.settings.CloseMsg;
    options.WindowsEnd = s_.settings.WindowsEnd;
    options.MenuVisible = s_.settings.MenuVisible;
    options.MenuTopMost = s_.settings.MenuTopMost;
    form.setOptions(options);
}

bool ProgramStartup::checkStartupPassword() {
    s_.registry.reload();
    const auto stored = s_.registry.readString(kStartupPasswordKey, kStartupPasswordValue);
    return askStartupPassword(stored.value_or(std::string()), s_.messages, &s_.form);
}

// The update check may wait on the network for seconds. A line that opens
// without a word to the user is opened before it, so that a call in that
// time waits in the journal instead of finding no line. Whatever would show
// something (a first run, a USB cable's notices, a model the library does
// not list, a port that fails) is left to the line's own step, in its place.
void ProgramStartup::openLineAheadOfTheCheck() {
    const GlobalSettings& settings = s_.settings;
    if (!s_.adapter || settings.Adapter == 0 || s_.flags.NeedEnvironmentSetup ||
        settings.UsbSerial != 0)
        return;
    s_.adapter->SetExtendMode(settings.AdapterExtend);
    if (!s_.adapter->LoadKinds() || !s_.adapter->SelectKind(settings.Adapter))
        return;
    s_.lineOpenedEarly = s_.openLineOnce() == KT_OPEN_OK;
}

// False when an update was started that needs the program to end.
bool ProgramStartup::noticesAndUpdate() {
    if (s_.dialogs.noticesAndUpdate && s_.dialogs.noticesAndUpdate(s_.settings))
        return false;
    SaveNotices(s_.settings, s_.ini);
    s_.ini.save();
    return true;
}

bool ProgramStartup::prepareAdapterModels() {
    if (!s_.adapter || s_.lineOpenedEarly)
        return true;
    s_.adapter->SetExtendMode(s_.settings.AdapterExtend);
    if (!s_.adapter->LoadKinds()) {
        s_.messages.error("対応機器情報が取得できませんでした  \r\nプログラムを終了します  ");
        return false;
    }
    if (!s_.flags.NeedEnvironmentSetup && !s_.adapter->SelectKind(s_.settings.Adapter))
        s_.flags.NeedEnvironmentSetup = true;
    return true;
}

void ProgramStartup::checkPhonebookLink() {
    s_.phonebookLinkProblem = false;
    if (!s_.settings.UsePbAdrs)
        return;
    s_.registry.reload();
    const auto book = s_.chosenAddressBook();
    if (!book || book->displayName != s_.settings.PbAdrsBookName) {
        s_.phonebookLinkProblem = true;
        s_.flags.NeedEnvironmentSetup = true;
    }
}

void ProgramStartup::backUpAddressBook() {
    const GlobalSettings& settings = s_.settings;
    if (!settings.UsePbAdrs || s_.phonebookLinkProblem || !settings.PbBackup ||
        !s_.dialogs.addressBookBackup)
        return;
    if (!s_.dialogs.addressBookBackup(settings))
        s_.messages.information("アドレス帳のバックアップに失敗しました　", &s_.form);
}

bool ProgramStartup::runEnvironmentSetup() {
    // The dialog may change the line's settings: a line opened ahead of the
    // check is closed and opened again by the usual step.
    if (s_.lineOpenedEarly) {
        s_.adapter->CloseLine();
        s_.lineOpenedEarly = false;
    }
    const std::string library = s_.adapter ? s_.adapter->fileName() : std::string();
    const SettingsLoadResult& load = s_.loadResult;
    s_.messages.information(load.fileDamaged
                                ? DamagedSettingsFileMessage(s_.ini.path())
                                : setupReasonMessage(load.firstRun, load.adapterLibraryReplaced,
                                                     library, s_.phonebookLinkProblem),
                            &s_.form);
    s_.form.raise();
    s_.form.activateWindow();
    if (!s_.actions.environmentDialog())
        return false;
    if (s_.adapter)
        s_.adapter->SelectKind(s_.settings.Adapter);
    return true;
}

bool ProgramStartup::openLine() {
    if (!s_.adapter || s_.settings.Adapter == 0 || s_.lineOpenedEarly)
        return true;
    LineOpenSteps steps;
    steps.request = [this] { return LineOpenRequest{s_.settings.UsbSerial, s_.settings.Port}; };
    // The settings dialog may have left no model, or no library, to open.
    steps.open = [this] {
        return s_.adapter && s_.settings.Adapter != 0 ? s_.openLineOnce() : KT_OPEN_OK;
    };
    steps.settingsDialog = [this] {
        s_.flags.NeedEnvironmentSetup = true;
        return s_.actions.environmentDialog();
    };
    steps.modelName = [this] { return adapterKindName(s_.adapter->CurrentKind()); };
    steps.usbProgressWindow = [this] {
        QLabel note(QStringLiteral("USB-シリアル変換ケーブル使用時の処理中．．．  "), &s_.form,
                    Qt::Tool | Qt::WindowStaysOnTopHint);
        note.setMargin(16);
        note.show();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 1000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    };
    return OpenLineAtStartup(steps, s_.messages) == LineOpenOutcome::Opened;
}

void ProgramStartup::loadServices() {
    s_.hyphenation.Load(s_.appFolder / "Dic", s_.messages);
    s_.extension.load(s_.appFolder);
}

// An office's PCs start together after a power cut, and the server may be
// the last to answer: the line and its journal must not wait for it. The
// user is told as on a loss while running, and the tables are opened once
// the server answers.
bool ProgramStartup::openTablesOrAwaitServer() {
    std::string reason;
    if (!s_.tablesServerAway(reason))
        return s_.openTables();
    s_.tablesAwaitServer = true;
    s_.serverStatus.reportUnreachable(reason);
    return true;
}

void ProgramStartup::runAutoBackup() {
    if (s_.dialogs.autoBackup)
        return s_.dialogs.autoBackup(s_.settings);
    const sql::StoreSettings store = ReadDatabaseSettings(s_.ini).store;
    TAutoBackup backup(s_.workFolder, resolveDataFolder(s_.settings.DataPath, s_.workFolder).folder,
                       s_.settings.AutoBUCount, store);
    backup.setDumpServerTables(!IsDesk(s_.settings, store));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    backup.Run();
    QApplication::restoreOverrideCursor();
    backup.Report(s_.messages, &s_.form);
}

void ProgramStartup::finish() {
    TMainForm& form = s_.form;
    const bool historyCapacity = s_.adapter && s_.adapter->CurrentKind().HistoryCapacity != 0;
    form.actGetRecvHis->setEnabled(historyCapacity);
    form.showTrayIcon();
    s_.flags.PopupAllowed = true;
    form.setIndicator(false);
    form.setAskOnClose(true);
    if (s_.tablesOpen)
        s_.windows->createHistoryList();
    ReviewDeskMode(s_);
    form.applyMenuVisible(s_.settings.MenuVisible);
    form.applyMenuTopMost(s_.settings.MenuTopMost);
    s_.started = true;
    s_.setReadyForCalls(true);
    std::fprintf(stderr, "kanata195: ready for calls\n");
    std::fflush(stderr);
}

} // namespace kanata
