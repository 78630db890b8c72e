// Calls that come while the program starts: the line is open long before
// the tables are, and the calls taken meanwhile are stored once it is
// ready, in order and with the time they arrived. The program runs in this
// process, so the test can send calls at a fixed step of the start-up.
#include "app/KanataProgram.h"
#include "data/TDMKanata195.h"
#include "history/gui/ListRowView.h"
#include "history/gui/THistoryList.h"
#include "intake/gui/IntakeFlags.h"
#include "intake/gui/TMainForm.h"
#include "settings/IniFile.h"
#include "tests/nocallslost/RunningProgram.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "tests/support/UserInput.h"

#include <QApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace kanata::test {
namespace {

TEST(StartupCalls, CallsTakenBeforeTheProgramIsReadyAreStoredInOrderWithTheirTime) {
    TempFolders folders;
    ASSERT_TRUE(prepareDemoFolder());
    {
        // The automatic backup runs after the line is open and before the
        // program takes calls: the moment to call.
        IniFile ini(folders.workFolder() / "Kanata195.ini");
        ini.load();
        ini.writeBool("AUTO BACKUP", "AutoBU", true);
        ASSERT_TRUE(ini.save());
    }
    ScriptedMessages messages;
    IntakeFlags flags;
    TMainForm form(flags, messages, MainWindowOptions{});
    form.setTrayAvailable(false);
    KanataProgram program(form, flags, messages, stageFolder(), folders.workFolder());

    const std::vector<std::string> numbers{"0311112222", "P", "09012345678"};
    std::vector<std::string> accepted;
    std::size_t waitingBeforeReady = 0;
    std::int64_t rowsBeforeReady = -1;
    program.dialogs().autoBackup = [&](const GlobalSettings&) {
        accepted = sendCalls(numbers, folders.scratch() / "ktcall.out");
        waitingBeforeReady = program.waitingCalls();
        TDMKanata195* dm = program.dataModule();
        dm->OpenRecvHis();
        rowsBeforeReady = dm->RecvHis().table().count();
        dm->CloseRecvHis();
    };
    DateTime readyAt;
    QObject::connect(&program, &KanataProgram::readyForCalls, [&] { readyAt = DateTime::now(); });

    ASSERT_TRUE(waitUntil([&] { return flags.ReadyForCalls; }));
    EXPECT_EQ(accepted, numbers) << "every call was taken while the program started";
    EXPECT_EQ(waitingBeforeReady, numbers.size());
    EXPECT_EQ(rowsBeforeReady, 0);

    TDMKanata195* dm = program.dataModule();
    auto rows = [dm] {
        dm->OpenRecvHis();
        auto all = dm->RecvHis().read(Query{});
        dm->CloseRecvHis();
        return all;
    };
    ASSERT_TRUE(waitUntil([&] { return rows().size() == numbers.size(); }));
    const auto stored = rows();
    EXPECT_EQ(stored[0].Tel, "03-1111-2222");
    EXPECT_EQ(stored[1].Tel, "P");
    EXPECT_EQ(stored[2].Tel, "090-1234-5678");
    for (const auto& row : stored)
        EXPECT_LT(row.RecvDateTime, readyAt) << "stored with the time it arrived";
    EXPECT_LT(stored[0].RecvDateTime, stored[1].RecvDateTime);
    EXPECT_LT(stored[1].RecvDateTime, stored[2].RecvDateTime);

    // The history list catches up and shows the newest call first.
    THistoryList* list = existingWindow<THistoryList>();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(waitUntil([&] { return list->model()->rows().size() == numbers.size(); }));
    EXPECT_TRUE(list->model()->rows()[0].join('|').contains(QStringLiteral("090-1234-5678")));
    EXPECT_EQ(program.waitingCalls(), 0u);

    form.setAskOnClose(false);
}

} // namespace
} // namespace kanata::test
