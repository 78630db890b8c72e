#pragma once
// The call desk of the running program, on a data folder whose storage can
// be made to fail: the tables and item lists behind StorageFaults, the call
// windows wired as the program wires them (the history list hands each call
// to the call view) and the call processing feeding them.
#include "data/Hyphenation.h"
#include "data/TDMKanata195.h"
#include "history/gui/THistoryList.h"
#include "intake/CallProcessor.h"
#include "app/CallWindows.h"
#include "intake/gui/IntakeFlags.h"
#include "intake/gui/TMainForm.h"
#include "lookup/CallerLookup.h"
#include "settings/Registry.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/StorageFaults.h"
#include "tests/support/TempFolders.h"
#include "views/gui/TReceiveView.h"
#include "views/gui/TReceiveViewMini.h"

#include <QCoreApplication>
#include <QSoundEffect>
#include <gtest/gtest.h>

#include <memory>

namespace kanata::test {

class CallDesk : public ::testing::Test {
protected:
    TempFolders folders;
    ScriptedMessages messages;
    StorageFaults faults;
    TDMKanata195 dm{folders.scratch() / "Data", messages, faults.hooks()};
    Registry registry{folders.configHome() / "Tenko" / "registry.ini"};
    HyphenationService hyphenation;
    IniFile ini{folders.scratch() / "Kanata195.ini"};
    GlobalSettings settings;
    IntakeFlags flags;
    TMainForm form{flags, messages, MainWindowOptions{}};
    std::unique_ptr<CallerLookup> lookup;
    std::unique_ptr<CallWindows> windows;
    std::unique_ptr<CallProcessor> processor;
    DateTime now{2026, 12, 6, 10, 0, 0, 0};

    void SetUp() override {
        hyphenation.Load(stageFolder() / "Dic", messages);
        ASSERT_TRUE(dm.OpenRecvHis());
        ASSERT_TRUE(dm.OpenMeibo());
        lookup =
            std::make_unique<CallerLookup>(dm, std::nullopt, hyphenation, registry, messages,
                                           folders.scratch() / "app", folders.workFolder(), "");
        // The call windows as the program wires them: the history list hands
        // each call to the call view.
        windows = std::make_unique<CallWindows>(form, flags, messages, ini, settings, hyphenation);
        windows->attach(dm, *lookup);
        windows->createHistoryList();
        flags.PopupAllowed = true;
        processor = std::make_unique<CallProcessor>(
            dm, *lookup, nullptr, hyphenation, *windows, messages, folders.workFolder(),
            CallProcessingSettings::from(settings), [this] { return now; });
    }
    void TearDown() override {
        if (TReceiveView* view = windows->receiveView())
            view->setAttribute(Qt::WA_DeleteOnClose, false);
        windows.reset();
        dm.CloseMeibo();
        dm.CloseRecvHis();
    }

    void call(const std::string& number) {
        now.minute += 1;
        processor->queue().push(CallLine::fromText(number));
        processor->ProcessPendingCall();
    }
    // Closed as with its close button, and gone as after the event loop.
    void closeView() {
        ASSERT_TRUE(view().close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(windows->receiveView(), nullptr);
    }
    TReceiveView& view() {
        TReceiveView* v = windows->receiveView();
        EXPECT_NE(v, nullptr);
        return *v;
    }
    std::vector<RecvHisRow> history() { return dm.RecvHis().read(Query{}); }
    std::vector<MeiboRow> roster() { return dm.Meibo().read(Query{}); }
};

} // namespace kanata::test
