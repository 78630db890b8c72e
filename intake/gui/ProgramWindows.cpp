#include "intake/gui/ProgramWindows.h"

#include "intake/gui/TMainForm.h"

#include <QApplication>
#include <QSoundEffect>

namespace kanata {
namespace {
template <class F, class... Args> void callIfSet(const F& f, Args&&... args) {
    if (f)
        f(std::forward<Args>(args)...);
}
template <class F> bool askIfSet(const F& f) {
    return f && f();
}
} // namespace

void ProgramWindows::beginBusy() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}
void ProgramWindows::endBusy() {
    QApplication::restoreOverrideCursor();
}

void ProgramWindows::historyUpdateDateDisplay() {
    callIfSet(history.updateDateDisplay);
}
bool ProgramWindows::historyListVisible() const {
    return askIfSet(history.visible);
}
void ProgramWindows::historyRefreshFirstPage() {
    callIfSet(history.refreshFirstPage);
}
void ProgramWindows::historyPopUp() {
    callIfSet(history.popUp);
}
void ProgramWindows::historyShowCallRecord(const CallRecord& record) {
    callIfSet(history.showCallRecord, record);
}

bool ProgramWindows::callViewExists() const {
    return askIfSet(callView.exists);
}
bool ProgramWindows::callViewBusy() const {
    return askIfSet(callView.busy);
}
void ProgramWindows::callViewRegisterCurrentCaller() {
    callIfSet(callView.registerCurrentCaller);
}

bool ProgramWindows::miniViewExists() const {
    return askIfSet(miniView.exists);
}
void ProgramWindows::miniViewShow(const CallRecord& record) {
    callIfSet(miniView.show, record);
}
void ProgramWindows::miniViewPopUp(const CallRecord& record) {
    callIfSet(miniView.popUp, record);
}

bool ProgramWindows::canPopUp() const {
    return form_.CanPopUp();
}
bool ProgramWindows::indicatorSet() const {
    return form_.indicator();
}
void ProgramWindows::setIndicator(bool on) {
    form_.setIndicator(on);
}

bool ProgramWindows::playRingSound() {
    if (!ringSound_)
        return false;
    ringSound_->play();
    return true;
}

} // namespace kanata
