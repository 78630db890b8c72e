#include "intake/CallProcessor.h"
#include "data/Cp932.h"
#include "data/Sqlite.h"
#include "lookup/ExtensionLibrary.h"
#include "tests/callerlookup/LookupWorld.h"
#include "tests/intake/FakeWindows.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/RosterEntry.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sys/resource.h>
#include <tuple>

using namespace kanata;
using namespace kanata::test;
namespace fs = std::filesystem;

namespace {

// The caller's names and rank: what the history row takes over from the
// roster entry.
template <class Row> auto callerNames(const Row& row) {
    return std::tie(row.CorpKana, row.CorpKanji, row.NameKana, row.NameKanji, row.Rank);
}

class CallProcessing : public ::testing::Test {
protected:
    CallProcessor& processor() {
        if (!processor_)
            processor_ = std::make_unique<CallProcessor>(
                world.dm, world.lookup(), &extension, world.hyphenation, windows, world.messages,
                world.workFolder(), settings, [this] { return now; });
        return *processor_;
    }

    void receive(const std::string& text) { processor().queue().push(CallLine::fromText(text)); }
    void call(const std::string& text) {
        receive(text);
        processor().ProcessPendingCall();
    }

    std::vector<RecvHisRow> history() {
        TableUse use(world.dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        return world.dm.RecvHis().read(Query{});
    }

    void allPopUpsOff() {
        settings.HisListPopup = settings.RecvViewPopup = settings.RecvViewMiniPopup = false;
    }

    LookupWorld world;
    FakeWindows windows;
    ExtensionLibrary extension{world.workFolder(), world.messages};
    CallProcessingSettings settings;
    DateTime now{2026, 12, 6, 10, 11, 12, 345}; // a Sunday

private:
    std::unique_ptr<CallProcessor> processor_;
};

TEST_F(CallProcessing, NumbersAreStoredHyphenatedAndReasonCodesAsTheyCame) {
    call("0312345678 20261206101112 extra");
    now.second = 40;
    call("P");

    const auto rows = history();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].RecNo, 0);
    EXPECT_EQ(rows[0].Tel, "03-1234-5678");
    EXPECT_EQ(rows[0].SchTel, "0312345678");
    EXPECT_EQ(rows[0].RecvDateTime.toText(), "2026-12-06 10:11:12.345");
    EXPECT_EQ(rows[0].RecvWeek, 1);
    EXPECT_EQ(rows[0].Division, "0");
    EXPECT_EQ(rows[1].RecNo, 1);
    EXPECT_EQ(rows[1].Tel, "P");
    EXPECT_EQ(rows[1].SchTel, "P");
    EXPECT_EQ(rows[1].RecvDateTime.toText(), "2026-12-06 10:11:40.345");

    // With the default pop-ups the list and the call view come up, in order.
    EXPECT_EQ(windows.events,
              (std::vector<std::string>{"busy", "date", "refresh", "list", "view", "idle", "busy",
                                        "date", "refresh", "list", "view", "idle"}));
    ASSERT_EQ(windows.shownRecords.size(), 2u);
    EXPECT_EQ(windows.shownRecords[0].RecNo, 0);
    EXPECT_EQ(windows.shownRecords[0].Tel[0], "03-1234-5678");
    EXPECT_EQ(windows.shownRecords[1].RecNo, 1);
    EXPECT_TRUE(processor().queue().empty());
    EXPECT_TRUE(world.messages.shown().empty());
}

TEST_F(CallProcessing, ARosterCallerIsStoredWithTheNumberThatCalled) {
    MeiboRow row = RosterEntry("03-1111-2222", "090-3333-4444");
    row.CorpKana = "ﾁｬｸｼﾝｼｮｳｼﾞ";
    row.CorpKanji = "着信商事";
    row.NameKana = "ﾔﾏﾀﾞ";
    row.NameKanji = "山田";
    row.Rank = "Ａ";
    world.addRoster(row);

    call("09033334444");
    const auto rows = history();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Tel, "090-3333-4444");
    EXPECT_EQ(rows[0].SchTel, "09033334444");
    EXPECT_EQ(callerNames(rows[0]), callerNames(row));
    EXPECT_EQ(rows[0].Division, "1");
    EXPECT_EQ(windows.shownRecords.at(0).TelIndex, 1);
}

TEST_F(CallProcessing, TheRawLogKeepsEveryLineAsTheAdapterSentIt) {
    settings.ExportRecvData = true;
    const std::string raw = "0312345678 " + cp932::encode("２０２６年");
    processor().queue().push({cp932::decode(raw), raw});
    processor().ProcessPendingCall();
    now.second = 13;
    call("   ");

    EXPECT_EQ(readFile(world.workFolder() / "rd" / "20261206.txt"),
              "10:11:12," + raw + "\r\n10:11:13,   \r\n");
    EXPECT_EQ(history().size(), 1u);
    // The blank line: no indicator, no window, only the hourglass.
    EXPECT_EQ(std::vector<std::string>(windows.events.end() - 3, windows.events.end()),
              (std::vector<std::string>{"busy", "date", "idle"}));
}

TEST_F(CallProcessing, AFailingExtensionIsLoggedAndTheCallStoredAllTheSame) {
    fs::copy_file(stageFolder().parent_path() / "plugins-sample" / "ExtDLL.so",
                  world.appFolder() / "ExtDLL.so");
    setenv("KANATA_EXTDLL_RESULT", "0", 1);
    ASSERT_TRUE(extension.load(world.appFolder()));
    call("0312345678");
    unsetenv("KANATA_EXTDLL_RESULT");

    EXPECT_TRUE(std::regex_match(
        readFile(world.workFolder() / "extdll_call.log"),
        std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d,extended dll call error \[rc=0\]\n)")));
    // number, shown number, matched index, company, person, division, item
    EXPECT_EQ(readFile(world.workFolder() / "extdll_sample.txt"),
              "0312345678\t03-1234-5678\t0\t\t\t0\t\n");
    EXPECT_EQ(history().size(), 1u);
}

TEST_F(CallProcessing, WithoutPopUpsTheIndicatorMarksTheCallUnlessAWindowShowsIt) {
    allPopUpsOff();
    call("0312345678");
    EXPECT_TRUE(windows.indicator);
    EXPECT_FALSE(windows.saw("list") || windows.saw("view") || windows.saw("miniPopUp"));

    for (int open = 0; open < 3; ++open) {
        windows = FakeWindows{};
        windows.listVisible = open == 0;
        windows.callView = open == 1;
        windows.miniView = open == 2;
        call("0312345678");
        EXPECT_FALSE(windows.indicator) << open;
        // The open call view registers its caller; the compact view shows
        // the new call without popping up.
        EXPECT_EQ(windows.saw("register"), open == 1);
        EXPECT_EQ(windows.saw("mini"), open == 2);
        EXPECT_FALSE(windows.saw("miniPopUp"));
    }
    EXPECT_EQ(history().size(), 4u);
}

TEST_F(CallProcessing, AModalDialogKeepsWindowsDownAndSetsTheIndicator) {
    settings.RecvViewMiniPopup = true;
    settings.RingSound = true;
    windows.popUpAllowed = false;
    call("0312345678");
    EXPECT_TRUE(windows.indicator);
    EXPECT_TRUE(windows.saw("ring"));
    EXPECT_FALSE(windows.saw("list") || windows.saw("view") || windows.saw("miniPopUp"));
    EXPECT_EQ(history().size(), 1u);
}

TEST_F(CallProcessing, PopUpsComeInTheirOrder) {
    settings.RecvViewMiniPopup = true;
    windows.callView = true;
    windows.miniView = true;
    call("0312345678");
    EXPECT_EQ(windows.events,
              (std::vector<std::string>{"busy", "date", "register", "refresh", "mini", "miniPopUp",
                                        "list", "miniRaise", "view", "idle"}));
}

TEST_F(CallProcessing, ABusyCallViewKeepsItsCaller) {
    windows.callView = true;
    windows.callViewIsBusy = true;
    call("0312345678");
    EXPECT_FALSE(windows.saw("register"));
    // Still handed on: the history list keeps the busy view's caller and
    // brings the view forward.
    EXPECT_TRUE(windows.saw("view"));
    EXPECT_TRUE(windows.saw("list"));

    // Not busy, but new calls are not to replace the view: no registering.
    windows = FakeWindows{};
    windows.callView = true;
    settings.NewDataView = false;
    processor().setSettings(settings);
    call("0312345678");
    EXPECT_FALSE(windows.saw("register"));
    EXPECT_EQ(history().size(), 2u);
}

// Calls that come faster than the windows get their turn are stored one
// after another and only the newest is shown; every caller the view would
// have registered had the calls come slowly is registered all the same.
TEST_F(CallProcessing, CallsOvertakenBeforeTheyAreShownStillHaveTheirCallersRegistered) {
    std::vector<StoredCall> stored;
    for (const char* number : {"0311110000", "0311110001", "0311110002", "0311110003"}) {
        auto call = processor().StoreCall(CallLine::fromText(number));
        ASSERT_TRUE(call);
        stored.push_back(*call);
    }
    processor().ShowCall(stored.back());
    ASSERT_EQ(windows.unshownRegistered.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(windows.unshownRegistered[i].RecNo, i);
        EXPECT_EQ(windows.unshownRegistered[i].Tel[0], "03-1111-000" + std::to_string(i));
    }
    ASSERT_EQ(windows.shownRecords.size(), 1u);
    EXPECT_EQ(windows.shownRecords[0].RecNo, 3);

    // The shown call is the view's to register, once, when the next comes.
    windows.callView = true;
    ASSERT_TRUE(processor().StoreCall(CallLine::fromText("0311110004")));
    ASSERT_TRUE(processor().StoreCall(CallLine::fromText("0311110005")));
    EXPECT_EQ(std::count(windows.events.begin(), windows.events.end(), "register"), 1);
    EXPECT_EQ(windows.unshownRegistered.size(), 4u);
    EXPECT_EQ(windows.unshownRegistered.back().RecNo, 4);
}

TEST_F(CallProcessing, OnlyCallsTheViewWouldHaveTakenAreRegisteredUnshown) {
    const auto burstOfTwo = [this] {
        windows.unshownRegistered.clear();
        ASSERT_TRUE(processor().StoreCall(CallLine::fromText("0322220000")));
        ASSERT_TRUE(processor().StoreCall(CallLine::fromText("0322220001")));
    };
    // A locked view keeps its caller: the overtaken call never reached it.
    windows.callView = windows.callViewIsBusy = true;
    burstOfTwo();
    EXPECT_TRUE(windows.unshownRegistered.empty());

    // No call view pops up, new calls do not replace it, or no registering
    // is wanted: nothing to register either.
    windows.callViewIsBusy = false;
    for (bool CallProcessingSettings::*off :
         {&CallProcessingSettings::RecvViewPopup, &CallProcessingSettings::NewDataView,
          &CallProcessingSettings::AutoAdd}) {
        CallProcessingSettings changed = settings;
        changed.*off = false;
        processor().setSettings(changed);
        burstOfTwo();
        EXPECT_TRUE(windows.unshownRegistered.empty());
    }
    // A modal dialog keeps every window down.
    processor().setSettings(settings);
    windows.popUpAllowed = false;
    burstOfTwo();
    EXPECT_TRUE(windows.unshownRegistered.empty());

    windows.popUpAllowed = true;
    burstOfTwo();
    EXPECT_EQ(windows.unshownRegistered.size(), 1u);
}

TEST_F(CallProcessing, TheLimitMessagesEndInTwoBlanksAndTheCallIsStillShown) {
    {
        TableUse use(world.dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        world.dm.RecvHis().table().database().exec(
            "INSERT INTO RecvHis (RecNo, SchTel) VALUES (99999, '0300000000')");
    }
    world.messages.expect("データ管理カウンタ");
    call("0312345678");
    EXPECT_EQ(world.messages.shown().at(0).text,
              "データ管理カウンタが一杯になり登録できませんでした  \r\n"
              "最適化処理をおこなうことにより登録できるようになります  ");
    EXPECT_EQ(world.messages.shown().at(0).icon, MessageIcon::Stop);
    EXPECT_EQ(history().size(), 1u);
    EXPECT_TRUE(windows.saw("view"));

    {
        TableUse use(world.dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        world.dm.RecvHis().table().database().exec(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99998) "
            "INSERT INTO RecvHis (RecNo) SELECT i FROM n");
    }
    world.messages.expect("最大登録件数");
    CallRecord record;
    record.Tel[0] = "P";
    EXPECT_FALSE(processor().AppendCallHistory(record));
    EXPECT_EQ(world.messages.shown().at(1).text,
              "最大登録件数10万件に達しました  \r\nこれ以上登録できません  ");
    EXPECT_EQ(history().size(), 100000u);
}

// A full disk: the row cannot be posted. The original dropped it without a
// word and reported success; the user is told once, and the call is still
// shown.
TEST_F(CallProcessing, ARowThatCannotBeWrittenIsReportedOnce) {
    if (OnServer())
        GTEST_SKIP() << "the file-size limit binds this process's files, not the server's";
    call("0312345678"); // the table exists and holds one row
    world.messages.expect("データの書き込みに失敗しました");

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = old;
    tiny.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    CallRecord record;
    record.SchTel[0] = record.Tel[0] = "P";
    const bool stored = processor().AppendCallHistory(record);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(stored);
    ASSERT_EQ(world.messages.shown().size(), 1u);
    EXPECT_EQ(world.messages.shown()[0].icon, MessageIcon::Stop);
    EXPECT_EQ(history().size(), 1u);

    // Through the processing: one box, the call shown, the next call stored.
    world.messages.expect("データの書き込みに失敗しました");
    windows = FakeWindows{};
    receive("0398765432");
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    processor().ProcessPendingCall();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(world.messages.shown().size(), 2u);
    ASSERT_EQ(windows.shownRecords.size(), 1u);
    EXPECT_EQ(windows.shownRecords[0].Tel[0], "03-9876-5432");

    call("P");
    ASSERT_EQ(history().size(), 2u);
    EXPECT_EQ(history()[1].RecNo, 1);
}

TEST_F(CallProcessing, AnUnwritableRawLogNeverCostsTheCall) {
    // The folder of the raw log is taken by a file: every call is stored
    // all the same, and the user is told once, naming the file.
    settings.ExportRecvData = true;
    { std::ofstream blocker(world.workFolder() / "rd"); }
    world.messages.expect("着信データの記録ファイルに書き込めませんでした");
    receive("0311111111");
    receive("0322222222");
    receive("0333333333");
    processor().ProcessPendingCall();
    processor().ProcessPendingCall();
    ASSERT_EQ(world.messages.shown().size(), 1u);
    EXPECT_EQ(world.messages.shown()[0].icon, MessageIcon::Warning);
    EXPECT_NE(world.messages.shown()[0].text.find("rd/20261206.txt"), std::string::npos);

    // A window fails after the call was stored: reported, and the next line
    // is still there for its turn.
    windows.failNextRefresh = true;
    world.messages.expect("list refresh failed");
    processor().ProcessPendingCall();
    EXPECT_TRUE(processor().queue().empty());
    ASSERT_EQ(world.messages.shown().size(), 2u) << "the log failure is told only once";
    EXPECT_EQ(world.messages.shown()[1].icon, MessageIcon::Stop);
    EXPECT_TRUE(
        world.messages.shown()[1].text.starts_with("着信データが正しく取得できませんでした  \r\n"))
        << world.messages.shown()[1].text;

    const auto rows = history();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].SchTel, "0311111111");
    EXPECT_EQ(rows[1].SchTel, "0322222222");
    EXPECT_EQ(rows[2].SchTel, "0333333333");
    EXPECT_EQ(windows.events.back(), "idle");

    // Once the folder is free again, the log is written again.
    fs::remove(world.workFolder() / "rd");
    call("0344444444");
    EXPECT_EQ(world.messages.shown().size(), 2u);
    EXPECT_NE(readFile(world.workFolder() / "rd" / "20261206.txt").find("0344444444"),
              std::string::npos);
}

} // namespace
