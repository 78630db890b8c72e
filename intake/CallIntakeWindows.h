#pragma once
// What the processing of an incoming call needs from the windows around it:
// the history list, the incoming call view, the compact call view, the
// indicator and the ring sound. The main window implements it over the real
// windows; tests implement it with a recording fake. Keeping it here lets
// the call processing stay free of Qt Widgets.
namespace kanata {

struct CallRecord;

class CallIntakeWindows {
public:
    virtual ~CallIntakeWindows() = default;

    // Hourglass around the whole processing of one call.
    virtual void beginBusy() = 0;
    virtual void endBusy() = 0;

    // History list.
    virtual void historyUpdateDateDisplay() = 0;
    virtual bool historyListVisible() const = 0;
    virtual void historyRefreshFirstPage() = 0; // RefreshPage(0, 1)
    virtual void historyPopUp() = 0;            // restore, show, bring to front
    // ShowCallRecord(record, true): loads the record into the call view,
    // creating it when needed, and brings it forward.
    virtual void historyShowCallRecord(const CallRecord& record) = 0;

    // Incoming call view.
    virtual bool callViewExists() const = 0;
    virtual bool callViewBusy() const = 0; // IsViewBusy
    virtual void callViewRegisterCurrentCaller() = 0;
    // Registers, as the call view's automatic registration does (no box),
    // the caller of a call that was stored but never reached the view
    // because a newer call came before the windows' turn.
    virtual void registerUnshownCaller(CallRecord& record) = 0;

    // Compact call view.
    virtual bool miniViewExists() const = 0;
    virtual void miniViewShow(const CallRecord& record) = 0;  // ShowInMiniView
    virtual void miniViewPopUp(const CallRecord& record) = 0; // create or restore, bring to front
    // Puts the compact view back above the history list that popped up
    // after it, without taking the focus.
    virtual void miniViewRaise() = 0;

    // PopupAllowed and no modal dialog of this program open.
    virtual bool canPopUp() const = 0;

    // The incoming-call indicator of the main window and the tray icon.
    virtual bool indicatorSet() const = 0;
    virtual void setIndicator(bool on) = 0;

    // Plays the ring sound loaded at start-up, once, without waiting. False
    // when no sound is loaded.
    virtual bool playRingSound() = 0;
};

} // namespace kanata
