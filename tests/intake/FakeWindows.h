#pragma once
// The windows around the call processing, recorded: what was asked of them,
// in order, and the records they were handed.
#include "intake/CallIntakeWindows.h"
#include "data/CallRecord.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace kanata::test {

class FakeWindows : public CallIntakeWindows {
public:
    // State the processing reads.
    bool listVisible = false;
    bool callView = false;
    bool callViewIsBusy = false;
    bool miniView = false;
    bool popUpAllowed = true;
    bool indicator = false;
    bool soundLoaded = true;
    // Makes the next first-page refresh fail once.
    bool failNextRefresh = false;

    std::vector<std::string> events;
    std::vector<CallRecord> shownRecords; // handed to the call view
    std::vector<CallRecord> miniRecords;  // handed to the compact view
    std::vector<CallRecord> unshownRegistered;

    bool saw(const std::string& event) const {
        for (const auto& e : events)
            if (e == event)
                return true;
        return false;
    }

    void beginBusy() override { events.push_back("busy"); }
    void endBusy() override { events.push_back("idle"); }
    void historyUpdateDateDisplay() override { events.push_back("date"); }
    bool historyListVisible() const override { return listVisible; }
    void historyRefreshFirstPage() override {
        events.push_back("refresh");
        if (failNextRefresh) {
            failNextRefresh = false;
            throw std::runtime_error("list refresh failed");
        }
    }
    void historyPopUp() override { events.push_back("list"); }
    void historyShowCallRecord(const CallRecord& record) override {
        events.push_back("view");
        shownRecords.push_back(record);
    }
    bool callViewExists() const override { return callView; }
    bool callViewBusy() const override { return callViewIsBusy; }
    void callViewRegisterCurrentCaller() override { events.push_back("register"); }
    void registerUnshownCaller(CallRecord& record) override {
        events.push_back("register unshown");
        unshownRegistered.push_back(record);
    }
    bool miniViewExists() const override { return miniView; }
    void miniViewShow(const CallRecord& record) override {
        events.push_back("mini");
        miniRecords.push_back(record);
    }
    void miniViewPopUp(const CallRecord& record) override {
        events.push_back("miniPopUp");
        miniRecords.push_back(record);
    }
    void miniViewRaise() override { events.push_back("miniRaise"); }
    bool canPopUp() const override { return popUpAllowed; }
    bool indicatorSet() const override { return indicator; }
    void setIndicator(bool on) override {
        events.push_back(on ? "indicator" : "no indicator");
        indicator = on;
    }
    bool playRingSound() override {
        events.push_back("ring");
        return soundLoaded;
    }
};

} // namespace kanata::test
