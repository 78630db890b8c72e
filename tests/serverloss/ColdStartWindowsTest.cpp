// What the user of the line PC sees when it started before its tables'
// server: the red line and one box, the lists on the tables saying they
// cannot open yet instead of opening on nothing, and once the server is up
// the red line gone and the history list opened from the menu showing the
// calls that came meanwhile.
#include "history/gui/THistoryList.h"
#include "roster/gui/TMeiboList.h"
#include "tests/support/ProgramOnServer.h"
#include "tests/support/UserInput.h"

#include <QTest>
#include <QToolBar>

namespace kanata::test {
namespace {

constexpr const char* kLossBox = "データベースサーバーに接続できません";
constexpr const char* kCannotOpen = "この画面は開けません";

class ColdStartWindows : public ProgramOnOwnServer {
protected:
    void clickTool(int index) { click(form->toolBar()->widgetForAction(form->toolAction(index))); }
};

TEST_F(ColdStartWindows, ListsSaySoUntilTheServerAnswersThenShowTheCallsThatCame) {
    server.stop("fast");
    ASSERT_NO_FATAL_FAILURE(prepareDemoOn(store.server));
    messages.expect(kLossBox);
    ASSERT_TRUE(start()) << "the line PC starts without its server";
    ASSERT_TRUE(waitUntil([&] { return redLineShown() && messages.allAnswered(); }, 10000));
    call("0311110001");
    call("0311110002");
    EXPECT_TRUE(waitUntil([&] { return form->indicator(); }, 5000)) << "calls came";

    messages.expect(kCannotOpen);
    clickTool(0);
    ASSERT_TRUE(waitUntil([&] { return messages.allAnswered(); }, 5000));
    EXPECT_EQ(visibleWindow<THistoryList>(), nullptr);
    messages.expect(kCannotOpen);
    clickTool(1);
    ASSERT_TRUE(waitUntil([&] { return messages.allAnswered(); }, 5000));
    EXPECT_EQ(visibleWindow<TMeiboList>(), nullptr);
    EXPECT_TRUE(redLineShown());

    server.start();
    ASSERT_TRUE(waitUntil([&] { return !redLineShown() && storedCalls() == 2; }, 40000))
        << storedCalls();
    clickTool(0);
    THistoryList* list = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (list = visibleWindow<THistoryList>()) != nullptr; }, 5000));
    EXPECT_TRUE(waitUntil([&] { return list->matchingCount() == 2; }, 5000))
        << list->matchingCount();
    // A call now is stored as on any day.
    call("0311110003");
    EXPECT_TRUE(waitUntil([&] { return storedCalls() == 3; }, 10000)) << storedCalls();
    EXPECT_EQ(messages.shown().size(), 3u) << "the loss once, and each list's refusal";
}

// The settings move the tables (a new data folder) while the server is
// down: they wait for it as at a start, instead of staying half closed.
TEST_F(ColdStartWindows, TablesMovedWhileTheServerIsDownOpenWhenItAnswers) {
    ASSERT_NO_FATAL_FAILURE(startOn(store.server));
    call("0311110001");
    ASSERT_TRUE(waitUntil([&] { return storedCalls() == 1; }, 10000));

    server.stop("immediate");
    messages.expect(kLossBox);
    GlobalSettings moved = program->settings();
    moved.DataPath = (folders.root() / "moved").string();
    std::filesystem::create_directories(moved.DataPath);
    EXPECT_TRUE(program->applySettings(moved));
    ASSERT_TRUE(waitUntil([&] { return redLineShown() && messages.allAnswered(); }, 10000));
    call("0311110002");
    messages.expect(kCannotOpen);
    clickTool(0);
    ASSERT_TRUE(waitUntil([&] { return messages.allAnswered(); }, 5000));

    server.start();
    ASSERT_TRUE(waitUntil([&] { return !redLineShown() && storedCalls() == 2; }, 40000))
        << storedCalls();
    EXPECT_EQ(messages.shown().size(), 2u);
}

} // namespace
} // namespace kanata::test
