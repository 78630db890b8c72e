#include "app/WindowWiring.h"

#include "app/CallWindows.h"
#include "app/HelpMenu.h"
#include "app/ProgramState.h"
#include "data/AddressBook.h"
#include "data/TDMKanata195.h"
#include "history/gui/THistoryList.h"
#include "intake/DialOut.h"
#include "intake/TKTCommDLL.h"
#include "intake/gui/TCallsTelephone.h"
#include "intake/gui/TMainForm.h"
#include "intake/gui/TRunPb.h"
#include "intake/gui/TVersion.h"
#include "lookup/AddressSupplement.h"
#include "lookup/CallerLookup.h"
#include "lookup/PhonebookEditions.h"
#include "maintenance/gui/StartupNotices.h"
#include "maps/gui/MapButton.h"
#include "platform/MessageService.h"
#include "printing/gui/PrinterSettingsFile.h"
#include "printing/gui/TListPrint.h"
#include "roster/MeiboSettings.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboView.h"
#include "settings/WorkFolders.h"
#include "transfer/AdapterHistory.h"
#include "transfer/SfxBuilder.h"
#include "transfer/gui/ExportEnvironment.h"
#include "transfer/gui/TFileExport.h"
#include "transfer/gui/TFileImport.h"
#include "transfer/gui/TGetReceiveHistory.h"
#include "views/ReceiveViewSettings.h"
#include "views/gui/TReceiveView.h"
#include "views/gui/TReceiveViewMini.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>

#include <algorithm>

namespace kanata {

void WindowWiring::wire() {
    s_.actions.refreshRosterList = [this] {
        if (rosterList_ && rosterList_->isVisible())
            rosterList_->RefreshPage(0, 0);
    };
    wireCallWindows();
    wireListsAndFiles();
    wireHelp();
}

void WindowWiring::wireCallWindows() {
    CallWindows& windows = *s_.windows;
    windows.describeAddressBook = [this](ReceiveViewSettings& view) { describeAddressBook(view); };
    windows.dialOut = [this](const std::vector<std::string>& numbers, QWidget* owner) {
        openDialDialog(numbers, owner);
    };
    windows.programFolder = s_.appFolder;

    MainWindowHooks& hooks = s_.form.hooks();
    hooks.showHistoryList = [this] {
        if (tablesAvailable())
            s_.windows->historyPopUp();
    };
    hooks.closeReceiveView = [this] {
        TReceiveView* view = s_.windows->receiveView();
        return !view || view->RequestClose();
    };
    hooks.closeMiniView = [this] {
        TReceiveViewMini* view = s_.windows->miniView();
        return !view || view->close();
    };
    hooks.receiveViewOpen = [this] { return s_.windows->callViewExists(); };
    hooks.historyListEnabled = [this] {
        THistoryList* list = s_.windows->historyList();
        return !list || list->isEnabled();
    };
    hooks.releaseHistoryList = [this] { delete s_.windows->historyList(); };
}

void WindowWiring::wireListsAndFiles() {
    MainWindowHooks& hooks = s_.form.hooks();
    hooks.meiboList = [this] { showRosterList(); };
    hooks.fileImport = [this] { showFileImport(); };
    // The menu's own changes are the settings from now on: the settings
    // dialog shows them and compares against them.
    hooks.optionsChanged = [this](const MainWindowOptions& options) {
        s_.settings.MenuVisible = options.MenuVisible;
        s_.settings.MenuTopMost = options.MenuTopMost;
    };
    hooks.environment = [this] { s_.actions.showEnvironment(); };
    hooks.version = [this] {
        TVersion version(&s_.form);
        version.exec();
    };
    hooks.listPrint = [this] { showListPrint(); };
    hooks.fileExport = [this] { showFileExport(); };
    hooks.getRecvHis = [this] { showReceiveHistoryRetrieval(); };
}

void WindowWiring::wireHelp() {
    MainWindowHooks& hooks = s_.form.hooks();
    const auto help = [this] {
        return HelpMenuContext{s_.appFolder, s_.workFolder, &s_.messages, &s_.form, {}, {}, {}};
    };
    hooks.topic = [help] { openManual(help()); };
    hooks.utility = [help] { startUtility(help()); };
    hooks.info = [this, help] {
        GlobalSettings& settings = s_.settings;
        const NoticeSwitches chosen =
            showStoredNotices(help(), {settings.Info, settings.UpdateCheck});
        settings.Info = chosen.info;
        settings.UpdateCheck = chosen.updateCheck;
        SaveNotices(settings, s_.ini);
        if (!s_.ini.save())
            s_.messages.error(s_.ini.lastError(), &s_.form);
    };
}

// The tables are missing while their server has not answered since the
// start (or since the settings moved them): a window on them cannot open.
bool WindowWiring::tablesAvailable() {
    if (s_.dm && s_.tablesOpen)
        return true;
    s_.messages.information(kTablesNotOpen, &s_.form);
    return false;
}

void WindowWiring::showListPrint() {
    if (!tablesAvailable())
        return;
    const bool printer =
        s_.dialogs.printerInstalled ? s_.dialogs.printerInstalled() : AnyPrinterInstalled();
    if (!printer) {
        s_.messages.information("プリンターがインストールされていません  \r\n\r\n"
                                "先にプリンターをインストールしてください  ",
                                &s_.form);
        return;
    }
    TListPrint dialog(
        {s_.ini, s_.dm->dataFolder(), s_.workFolder, s_.messages, *s_.dm, s_.settings.UsePbAdrs},
        &s_.form);
    dialog.exec();
}

void WindowWiring::refreshHistoryList() {
    if (THistoryList* list = s_.windows->historyList())
        list->RefreshPage(0, 0);
}

void WindowWiring::showFileExport() {
    if (!tablesAvailable())
        return;
    const MeiboSettings roster = MeiboSettings::From(s_.settings);
    ExportEnvironment env{*s_.dm, s_.messages, s_.ini};
    env.hyphenation = &s_.hyphenation;
    env.selItemCaptions = roster.SelectItem;
    env.pageSize = roster.ListMaxCount;
    env.usePbAdrs = s_.settings.UsePbAdrs;
    env.extractor = s_.appFolder / kSfxExtractorName;
    TFileExport dialog(env, &s_.form);
    dialog.exec();
}

void WindowWiring::showReceiveHistoryRetrieval() {
    if (!tablesAvailable())
        return;
    ReceiveHistorySource source;
    source.read = [this](std::vector<AdapterHistoryRecord>& entries) {
        if (!s_.adapter)
            return false;
        const int adapter = s_.settings.Adapter;
        const int capacity = AdapterHistoryCapacity(s_.adapter->Kinds(), adapter);
        entries.assign(static_cast<std::size_t>(capacity), AdapterHistoryRecord{});
        std::int32_t count = capacity;
        if (!s_.adapter->ReadHistory(adapter, count, entries.data()))
            return false;
        entries.resize(static_cast<std::size_t>(std::clamp(count, 0, capacity)));
        return true;
    };
    source.refreshHistoryList = [this] { refreshHistoryList(); };
    // The adapter is busy with its own list: no call is taken meanwhile.
    s_.setReadyForCalls(false);
    struct Ready {
        ProgramState& s;
        ~Ready() { s.setReadyForCalls(true); }
    } ready{s_};
    TGetReceiveHistory dialog(*s_.dm, s_.messages, &s_.hyphenation, std::move(source), &s_.form);
    dialog.exec();
}

// The roster list is made once and only hidden when closed, so that its
// search conditions stay for the next opening. It is modal to the program;
// the editor it opens is its own child, so it takes input.
void WindowWiring::showRosterList() {
    if (!tablesAvailable())
        return;
    if (s_.settings.UsePbAdrs) {
        startPhonebookProduct();
        return;
    }
    if (rosterList_)
        rosterList_->setSettings(MeiboSettings::From(s_.settings));
    else
        rosterList_ = makeRosterList();
    QEventLoop loop;
    QObject::connect(rosterList_, &TMeiboList::closed, &loop, &QEventLoop::quit);
    QObject::connect(rosterList_, &QObject::destroyed, &loop, &QEventLoop::quit);
    rosterList_->show();
    rosterList_->raise();
    rosterList_->activateWindow();
    loop.exec();
}

TMeiboList* WindowWiring::makeRosterList() {
    auto* list = new TMeiboList(*s_.dm, s_.messages, s_.ini, MeiboSettings::From(s_.settings),
                                s_.workFolder / kCustomColoursIniName, &s_.form);
    list->setWindowModality(Qt::ApplicationModal);
    // The editor's dictionaries are those of this program's folder, as the
    // import's address completion uses them.
    list->viewHooks().dictionaryFolder = s_.appFolder / "Dic";
    list->viewHooks().lookupCaller = [this](bool own, const std::string& number, CallRecord& r) {
        return s_.lookup ? s_.lookup->LookupCaller(own, true, number, r) : 5;
    };
    list->viewHooks().dial = [this](const std::string& tel1, const std::string& tel2) {
        QWidget* owner = QApplication::activeWindow();
        openDialDialog({tel1, tel2}, owner ? owner : rosterList_.data());
    };
    list->viewHooks().map = [this](TMeiboView& view) {
        view.ShowMap(s_.settings.Map, [this, &view] {
            const MeiboFields f = view.fields();
            const MapButtonInput input{f.Tel1,     f.Tel2,      f.Tdfkn,
                                       f.Adrs1,    f.Adrs2,     f.Adrs3,
                                       f.Latitude, f.Longitude, view.editor().existing()};
            return launchMapButton(input, s_.settings.Map, s_.settings.MapSearchKind, s_.appFolder,
                                   s_.messages, &view);
        });
    };
    return list;
}

void WindowWiring::releaseRosterList() {
    delete rosterList_.data();
}

void WindowWiring::showFileImport() {
    if (!tablesAvailable())
        return;
    const GlobalSettings& settings = s_.settings;
    FileImportContext context{*s_.dm,
                              s_.messages,
                              s_.ini,
                              s_.hyphenation,
                              *s_.addressSupplement,
                              {settings.SelectItem1, settings.SelectItem2, settings.SelectItem3},
                              settings.UsePbAdrs,
                              s_.appFolder,
                              [this] { refreshHistoryList(); }};
    TFileImport dialog(std::move(context), &s_.form);
    dialog.exec();
}

void WindowWiring::openDialDialog(const std::vector<std::string>& numbers, QWidget* owner) {
    const GlobalSettings& settings = s_.settings;
    if (!s_.adapter || settings.Adapter == 0 || settings.UseType > 1)
        return;
    IniFile ipIni(s_.workFolder / kIpAdapterIniName);
    ipIni.load();
    const DialLine line{settings.UseType, settings.Adapter, s_.adapter->CurrentKind().DialPorts,
                        dialExtension(settings.Adapter, ipIni)};
    TCallsTelephone dialog(
        line, s_.ini, s_.messages,
        [this](std::int32_t lineNumber, const std::string& digits) {
            if (s_.adapter)
                s_.adapter->Dial(lineNumber, digits);
        },
        owner);
    dialog.setNumbers(numbers);
    dialog.exec();
}

void WindowWiring::startPhonebookProduct() {
    const PhonebookEdition& edition = PhonebookEditionAt(s_.settings.PbSeries);
    s_.registry.reload();
    const auto program = s_.registry.readString(PhonebookAppPathsKey(edition));
    if (s_.settings.RunPbDlg) {
        TRunPb confirm(edition.displayName, s_.settings.PbAdrsBookName, &s_.form);
        if (s_.dialogs.runPhonebook ? !s_.dialogs.runPhonebook(confirm)
                                    : confirm.exec() != QDialog::Accepted)
            return;
    }
    if (!program || !QProcess::startDetached(QString::fromStdString(*program), {}))
        s_.messages.warning(std::string(edition.displayName) + "が起動できませんでした  ",
                            &s_.form);
}

void WindowWiring::describeAddressBook(ReceiveViewSettings& view) const {
    const GlobalSettings& settings = s_.settings;
    view.PbEditionTitle = PhonebookEditionAt(settings.PbSeries).displayName;
    view.PbAdrsBookName = settings.PbAdrsBookName;
    AddressBookPlace& place = view.addressBook;
    const auto book = s_.chosenAddressBook();
    place.installed = book.has_value();
    if (book)
        place.folder = book->path;
    place.usesExtFile = IsOldestPhonebookGeneration(settings.PbSeries);
    place.Memo1 = settings.Memo1;
    place.Memo2 = settings.Memo2;
    place.Memo3 = settings.Memo3;
    place.rank = settings.rank;
    place.Line1 = settings.Line1;
    place.Line2 = settings.Line2;
}

} // namespace kanata
