#pragma once
// The windows an incoming call reaches: the history list (alive from the end
// of start-up to the end of the program), the incoming call view and the
// compact call view (made when first needed). They are wired to each other
// here, and the call processing reaches them through CallIntakeWindows.
#include "history/gui/THistoryList.h"
#include "intake/CallIntakeWindows.h"
#include "views/gui/TReceiveView.h"
#include "views/gui/TReceiveViewMini.h"

#include <QPointer>
#include <QSoundEffect>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace kanata {

class CallerLookup;
class HyphenationService;
class IniFile;
class MessageService;
class TDMKanata195;
class TMainForm;
struct GlobalSettings;
struct IntakeFlags;
struct ReceiveViewSettings;

class CallWindows : public CallIntakeWindows {
public:
    // `ini` receives the windows' sections; `settings` is read whenever a
    // window is made, so it must outlive this object.
    CallWindows(TMainForm& form, IntakeFlags& flags, MessageService& messages, IniFile& ini,
                const GlobalSettings& settings, const HyphenationService& hyphenation);
    ~CallWindows() override;
    CallWindows(const CallWindows&) = delete;
    CallWindows& operator=(const CallWindows&) = delete;

    // The tables and the lookup the windows work on (closes any window that
    // worked on earlier ones).
    void attach(TDMKanata195& dm, CallerLookup& lookup);
    void createHistoryList();
    void closeAll();
    // The settings changed: the open windows take what they read from them.
    void settingsChanged();
    void setRingSound(QSoundEffect* sound) { ringSound_ = sound; }
    // Fills in where the address book is, for a call view in address-book mode.
    std::function<void(ReceiveViewSettings&)> describeAddressBook;
    // Opens the dial dialog for the numbers, owned by `owner`.
    std::function<void(const std::vector<std::string>&, QWidget*)> dialOut;
    // The program's folder: the call view's dictionaries (Dic/) and the map
    // starters are looked for there. Empty: the running executable's folder.
    std::filesystem::path programFolder;
    // A window found the tables' server gone (the program tells the user).
    std::function<void(const std::string& reason)> serverLost;

    THistoryList* historyList() const { return historyList_; }
    TReceiveView* receiveView() const { return receiveView_; }
    TReceiveViewMini* miniView() const { return miniView_; }
    // Loads a record into the call view, creating it when needed.
    void openMap(TReceiveView& view);
    void showInCallView(const CallRecord& record, bool popup);

    void beginBusy() override;
    void endBusy() override;
    void historyUpdateDateDisplay() override;
    bool historyListVisible() const override;
    void historyRefreshFirstPage() override;
    void historyPopUp() override;
    void historyShowCallRecord(const CallRecord& record) override;
    bool callViewExists() const override;
    bool callViewBusy() const override;
    void callViewRegisterCurrentCaller() override;
    void registerUnshownCaller(CallRecord& record) override;
    bool miniViewExists() const override;
    void miniViewShow(const CallRecord& record) override;
    void miniViewPopUp(const CallRecord& record) override;
    void miniViewRaise() override;
    bool canPopUp() const override;
    bool indicatorSet() const override;
    void setIndicator(bool on) override;
    bool playRingSound() override;

private:
    void wireHistoryList();
    TReceiveViewMini* ensureMiniView();
    ReceiveViewSettings callViewSettings() const;
    void focusAfterCallView();

    TMainForm& form_;
    IntakeFlags& flags_;
    MessageService& messages_;
    IniFile& ini_;
    const GlobalSettings& settings_;
    const HyphenationService& hyphenation_;
    TDMKanata195* dm_ = nullptr;
    CallerLookup* lookup_ = nullptr;
    QPointer<THistoryList> historyList_;
    QPointer<TReceiveView> receiveView_;
    QPointer<TReceiveViewMini> miniView_;
    QPointer<QSoundEffect> ringSound_;
    bool historyListMade_ = false;
    bool registeringForIntake_ = false;
};

} // namespace kanata
