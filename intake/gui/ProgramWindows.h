#pragma once
// The windows an incoming call reaches, as the call processing sees them:
// the menu window's indicator and pop-up rule, the ring sound, and the
// history list and call views plugged in by the program as they are made.
#include "intake/CallIntakeWindows.h"

#include <QPointer>

#include <functional>

class QSoundEffect;

namespace kanata {

class TMainForm;

class ProgramWindows : public CallIntakeWindows {
public:
    explicit ProgramWindows(TMainForm& form) : form_(form) {}

    void setRingSound(QSoundEffect* sound) { ringSound_ = sound; }

    struct HistoryList {
        std::function<void()> updateDateDisplay;
        std::function<bool()> visible;
        std::function<void()> refreshFirstPage;
        std::function<void()> popUp;
        std::function<void(const CallRecord&)> showCallRecord;
    } history;
    struct CallView {
        std::function<bool()> exists;
        std::function<bool()> busy;
        std::function<void()> registerCurrentCaller;
    } callView;
    struct MiniView {
        std::function<bool()> exists;
        std::function<void(const CallRecord&)> show;
        std::function<void(const CallRecord&)> popUp;
    } miniView;

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
    bool miniViewExists() const override;
    void miniViewShow(const CallRecord& record) override;
    void miniViewPopUp(const CallRecord& record) override;
    bool canPopUp() const override;
    bool indicatorSet() const override;
    void setIndicator(bool on) override;
    bool playRingSound() override;

private:
    TMainForm& form_;
    QPointer<QSoundEffect> ringSound_;
};

} // namespace kanata
