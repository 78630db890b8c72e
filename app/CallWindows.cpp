#include "app/CallWindows.h"

#include "maps/gui/MapButton.h"

#include "history/ListSelection.h"
#include "history/gui/THistoryList.h"
#include "intake/gui/TMainForm.h"
#include "lookup/CallerLookup.h"
#include "platform/AppFolder.h"
#include "printing/gui/CallViewPrints.h"
#include "settings/GlobalSettings.h"
#include "ui/gui/ForceForeground.h"
#include "views/ReceiveViewSettings.h"
#include "views/gui/TReceiveView.h"
#include "views/gui/TReceiveViewMini.h"

#include <QApplication>
#include <QScopedValueRollback>
#include <QSoundEffect>
#include <QTimer>

namespace kanata {

CallWindows::CallWindows(TMainForm& form, IntakeFlags& flags, MessageService& messages,
                         IniFile& ini, const GlobalSettings& settings,
                         const HyphenationService& hyphenation)
    : form_(form), flags_(flags), messages_(messages), ini_(ini), settings_(settings),
      hyphenation_(hyphenation) {}

CallWindows::~CallWindows() {
    closeAll();
}

void CallWindows::attach(TDMKanata195& dm, CallerLookup& lookup) {
    closeAll();
    dm_ = &dm;
    lookup_ = &lookup;
}

void CallWindows::closeAll() {
    // The windows write their sections into the settings file as they go.
    delete miniView_.data();
    delete receiveView_.data();
    delete historyList_.data();
}

void CallWindows::settingsChanged() {
    if (miniView_)
        miniView_->setOptions(settings_.AutoAdd, settings_.NotMoveFocus);
}

void CallWindows::createHistoryList() {
    HistoryListOptions options = HistoryListOptions::From(settings_);
    // Old calls are deleted once a run, by the list made at start-up; a list
    // made again after the settings moved the tables leaves them.
    options.AutoDel = options.AutoDel && !historyListMade_;
    historyListMade_ = true;
    historyList_ = new THistoryList(*dm_, flags_, messages_, ini_, options);
    wireHistoryList();
}

void CallWindows::wireHistoryList() {
    HistoryListHooks& hooks = historyList_->hooks();
    hooks.lookupCaller = [this](bool own, bool ask, const std::string& number, CallRecord& r) {
        return lookup_->LookupCaller(own, ask, number, r);
    };
    hooks.showInCallView = [this](const CallRecord& r, bool popup) { showInCallView(r, popup); };
    hooks.callViewOpen = [this] { return callViewExists(); };
    hooks.callViewBusy = [this] { return callViewBusy(); };
    hooks.callViewRecNo = [this] { return receiveView_ ? receiveView_->CurrentRecNo() : -1; };
    hooks.callViewToFront = [this] {
        if (!receiveView_)
            return;
        if (receiveView_->isMinimized())
            receiveView_->showNormal();
        receiveView_->show();
        if (!settings_.NotMoveFocus)
            ForceForeground(*receiveView_);
    };
    // The list's own inquiry shows its refreshed rows at once.
    hooks.callViewRegisterCurrentCaller = [this] {
        if (receiveView_)
            receiveView_->RegisterCurrentCaller();
    };
    hooks.closeCallView = [this] { return !receiveView_ || receiveView_->RequestClose(); };
    hooks.serverLost = [this](const std::string& reason) {
        if (serverLost)
            serverLost(reason);
    };
}

void CallWindows::openMap(TReceiveView& view) {
    const CallerFields f = view.fields();
    const MapButtonInput input{f.Tel1,
                               f.Tel2,
                               f.Tdfkn,
                               f.Adrs1,
                               f.Adrs2,
                               f.Adrs3,
                               view.record().Latitude,
                               view.record().Longitude,
                               !view.isNewMode()};
    runMapButton(input, settings_.Map, settings_.MapSearchKind,
                 programFolder.empty() ? applicationFolder() : programFolder, messages_, &view);
}

void CallWindows::focusAfterCallView() {
    QWidget* next = nullptr;
    if (historyList_ && historyList_->isVisible())
        next = historyList_;
    else if (form_.isVisible())
        next = &form_;
    if (!next || (receiveView_ && receiveView_->isVisible()))
        return;
    next->raise();
    next->activateWindow();
}

ReceiveViewSettings CallWindows::callViewSettings() const {
    ReceiveViewSettings viewSettings = ReceiveViewSettings::From(settings_);
    if (settings_.UsePbAdrs && describeAddressBook)
        describeAddressBook(viewSettings);
    return viewSettings;
}

void CallWindows::showInCallView(const CallRecord& record, bool popup) {
    if (!receiveView_) {
        receiveView_ = new TReceiveView(*dm_, messages_, callViewSettings(), ini_);
        ReceiveViewHooks& hooks = receiveView_->hooks();
        if (!programFolder.empty())
            hooks.dictionaryFolder = programFolder / "Dic";
        hooks.onRegistered = [this](int) {
            if (historyList_ && !registeringForIntake_)
                historyList_->RefreshPage(0, 0);
        };
        hooks.onClosed = [this] {
            if (historyList_)
                historyList_->SetOpenRow(-1);
            // Once the view has gone, the user goes on where the call found
            // them: in the history list, else in the menu window.
            QTimer::singleShot(0, &form_, [this] { focusAfterCallView(); });
        };
        hooks.map = [this](TReceiveView& view) { openMap(view); };
        // A number the caller lookup knows comes back from the dictionary
        // search as that caller.
        hooks.lookupCaller = [this](bool own, const std::string& number, CallRecord& r) {
            return lookup_ ? lookup_->LookupCaller(own, true, number, r) : 5;
        };
        hooks.dial = [this](const std::string& number) {
            if (dialOut)
                dialOut({number}, receiveView_);
        };
        hooks.itemPrint = [this](TReceiveView& v) { PrintCallItems(v, {messages_, {}, {}}); };
        hooks.windowPrint = [this](TReceiveView& v) { PrintCallWindow(v, {messages_, {}, {}}); };
        hooks.memoPrint = [this](TReceiveView& v) { PrintMessageMemo(v, {messages_, {}, {}}); };
    }
    receiveView_->LoadCallRecord(record);
    receiveView_->showNormal();
    if (!popup || !settings_.NotMoveFocus)
        ForceForeground(*receiveView_);
}

TReceiveViewMini* CallWindows::ensureMiniView() {
    if (miniView_)
        return miniView_;
    miniView_ =
        new TReceiveViewMini(ini_, settings_.AutoAdd, settings_.NotMoveFocus, &hyphenation_);
    MiniViewHooks& hooks = miniView_->hooks();
    hooks.fullView = [this] { return receiveView_.data(); };
    hooks.showCallRecord = [this](const CallRecord& r) {
        if (historyList_)
            historyList_->ShowCallRecord(r, false);
    };
    hooks.refreshHistory = [this] {
        if (historyList_)
            historyList_->RefreshPage(0, 0);
    };
    // The full view the double click opened stays in front of the list.
    hooks.selectHistoryRow = [this](int recNo) {
        if (!historyList_)
            return;
        // A call that is not on the shown page selects nothing.
        const int index = IndexOfKey(historyList_->rowKeys(), recNo);
        if (index >= 0)
            historyList_->SelectRow(index, true);
    };
    return miniView_;
}

void CallWindows::beginBusy() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}
void CallWindows::endBusy() {
    QApplication::restoreOverrideCursor();
}

void CallWindows::historyUpdateDateDisplay() {
    if (historyList_)
        historyList_->UpdateDateDisplay();
}
bool CallWindows::historyListVisible() const {
    return historyList_ && historyList_->isVisible();
}
void CallWindows::historyRefreshFirstPage() {
    if (historyList_)
        historyList_->RefreshPage(0, 1);
}
void CallWindows::historyPopUp() {
    if (historyList_)
        historyList_->PopUp();
}
void CallWindows::historyShowCallRecord(const CallRecord& record) {
    if (historyList_)
        historyList_->ShowCallRecord(record, true);
}

bool CallWindows::callViewExists() const {
    return !receiveView_.isNull();
}
bool CallWindows::callViewBusy() const {
    return receiveView_ && receiveView_->IsViewBusy();
}
// The intake registers the shown caller just before it stores the call
// that replaces it; showing that call refreshes the list, so a refresh here
// would only be read again at once (and, on a server, cost a burst of calls
// a count of the history for every caller).
void CallWindows::callViewRegisterCurrentCaller() {
    if (!receiveView_)
        return;
    const QScopedValueRollback<bool> intake(registeringForIntake_, true);
    receiveView_->RegisterCurrentCaller();
}

void CallWindows::registerUnshownCaller(CallRecord& record) {
    if (!dm_)
        return;
    const ReceiveViewSettings viewSettings = callViewSettings();
    // What the view would have shown, registered as it stood.
    CallerFields fields = FieldsFromRecord(record, viewSettings.UsePbAdrs);
    const CallerFields loaded = fields;
    CallerRegistration registration(*dm_, messages_, viewSettings.registrationOptions());
    registration.RegisterSilently(record, fields, loaded);
}

bool CallWindows::miniViewExists() const {
    return !miniView_.isNull();
}
void CallWindows::miniViewShow(const CallRecord& record) {
    if (miniView_)
        miniView_->ShowInMiniView(record);
}
void CallWindows::miniViewPopUp(const CallRecord& record) {
    const bool created = miniView_.isNull();
    TReceiveViewMini* view = ensureMiniView();
    if (created)
        view->ShowInMiniView(record);
    view->showNormal();
    view->BringMiniViewToFront();
}

void CallWindows::miniViewRaise() {
    if (miniView_ && miniView_->isVisible() && !settings_.NotMoveFocus)
        miniView_->raise();
}

bool CallWindows::canPopUp() const {
    return form_.CanPopUp();
}
bool CallWindows::indicatorSet() const {
    return form_.indicator();
}
void CallWindows::setIndicator(bool on) {
    form_.setIndicator(on);
}

bool CallWindows::playRingSound() {
    if (!ringSound_)
        return false;
    ringSound_->play();
    return true;
}

} // namespace kanata
