// What the user of the line PC sees when the tables' server goes away, twice
// in one run: the menu window's red line while it lasts, one box per loss
// (not one per call, and none of the history list's own), and everything
// gone once it is back, with the calls of the outage in the list.
#include "history/gui/THistoryList.h"
#include "tests/support/ProgramOnServer.h"
#include "tests/support/Screenshots.h"
#include "tests/support/UserInput.h"

#include <QLabel>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace kanata::test {
namespace {

constexpr const char* kLossBox = "データベースサーバーに接続できません";

class UnreachableIndicator : public ProgramOnOwnServer {
protected:
    THistoryList* openHistoryFromMenu() {
        click(form->toolBar()->widgetForAction(form->toolAction(0)));
        THistoryList* list = nullptr;
        waitUntil([&] { return (list = visibleWindow<THistoryList>()) != nullptr; }, 5000);
        return list;
    }

    // The line takes room of its own below the tool bar, inside the window.
    void expectRedLineClearOfTheToolBar() const {
        QLabel* line = form->serverStatusLabel();
        const QRect onForm(line->mapTo(form.get(), QPoint(0, 0)), line->size());
        EXPECT_GE(onForm.top(), form->toolBar()->geometry().bottom());
        EXPECT_LE(onForm.bottom(), form->height());
    }
};

TEST_F(UnreachableIndicator, ShowsTheLossOnceAndGoesWhenTheServerIsBackTwiceInARun) {
    ASSERT_NO_FATAL_FAILURE(startOn(store.server));
    const int heightWithoutLine = form->height();
    THistoryList* list = openHistoryFromMenu();
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(redLineShown());

    // The first loss is met by a call.
    call("0311110001");
    ASSERT_TRUE(waitUntil([&] { return storedCalls() == 1; }, 10000));
    server.stop("immediate");
    messages.expect(kLossBox);
    call("0311110002");
    ASSERT_TRUE(waitUntil([&] { return redLineShown() && messages.allAnswered(); }, 10000));
    // More calls, no more boxes (an unexpected one fails the test).
    call("0311110003");
    call("0311110004");
    QTest::qWait(1500);
    EXPECT_TRUE(redLineShown());
    expectRedLineClearOfTheToolBar();
    EXPECT_EQ(messages.shown().size(), 1u);
    if (const Screenshots pictures; pictures.wanted())
        pictures.save(*form, "server-unreachable.png");

    server.start();
    ASSERT_TRUE(waitUntil([&] { return !redLineShown() && storedCalls() == 4; }, 40000))
        << storedCalls();
    EXPECT_EQ(form->height(), heightWithoutLine);
    EXPECT_TRUE(waitUntil([&] { return list->matchingCount() == 4; }, 5000))
        << "the list shows the calls stored late: " << list->matchingCount();

    // The second loss is met by the list first, refilled by its own button.
    server.stop("immediate");
    messages.expect(kLossBox);
    click(list->btnAllWeek);
    ASSERT_TRUE(waitUntil([&] { return redLineShown() && messages.allAnswered(); }, 10000));
    click(list->btnAllWeek);
    call("0311110005");
    QTest::qWait(1500);
    EXPECT_EQ(messages.shown().size(), 2u);

    server.start();
    ASSERT_TRUE(waitUntil([&] { return !redLineShown() && storedCalls() == 5; }, 40000))
        << storedCalls();
    EXPECT_EQ(messages.shown().size(), 2u);
}

} // namespace
} // namespace kanata::test
