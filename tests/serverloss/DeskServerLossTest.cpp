// A desk (no line, its tables on a server) as shipped, in the test's own
// process, reaching its server through a relay that can fall silent as a
// broken network does. While the server is away or says nothing the desk's
// window keeps running (a timer of the window's thread is never held up),
// the loss is shown once, and the calls the line stores pop up again once
// the server answers.
#include "data/RecvHisTable.h"
#include "tests/support/ProgramOnServer.h"
#include "tests/support/TcpRelay.h"
#include "tests/support/UserInput.h"
#include "views/gui/TReceiveView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace kanata::test {
namespace {

constexpr const char* kLossBox = "データベースサーバーに接続できません";

// The longest the window's event loop went without running a timer due
// every 20 ms, and how often the red line appeared meanwhile.
class Ticker {
public:
    explicit Ticker(std::function<bool()> redLine) : redLine_(std::move(redLine)) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, since_.restart());
            const bool shown = redLine_();
            appeared_ += shown && !shown_ ? 1 : 0;
            shown_ = shown;
        });
        since_.start();
        timer_.start();
    }
    qint64 longestMs() const { return longest_; }
    void print(const char* what) const {
        std::fprintf(stderr, "[figures] %s: the window's timer waited at most %lld ms\n", what,
                     static_cast<long long>(longest_));
    }
    int redLineAppeared() const { return appeared_; }

private:
    std::function<bool()> redLine_;
    QTimer timer_;
    QElapsedTimer since_;
    qint64 longest_ = 0;
    bool shown_ = false;
    int appeared_ = 0;
};

class DeskServerLoss : public ProgramOnOwnServer {
protected:
    DeskServerLoss() : ProgramOnOwnServer({.tcp = true}) {}

    void startDesk() {
        startOn({"127.0.0.1", relay.port(), store.server.name, store.server.user, {}}, Role::Desk);
    }

    // Stores a call as the line PC does, past the relay; the server
    // announces it to the desk.
    void storeCall(const std::string& tel) {
        RecvHisTable table;
        table.open(store, folders.scratch());
        RecvHisRow row;
        row.RecvDateTime = DateTime::now();
        row.Tel = tel;
        row.SchTel = tel;
        ASSERT_TRUE(table.append(row, messages));
    }

    static bool poppedUp(const std::string& tel, int timeoutMs = 10000) {
        return waitUntil(
            [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* view = qobject_cast<TReceiveView*>(w); view && view->isVisible())
                        if (view->edtTel1->text().remove('-').toStdString() == tel)
                            return true;
                return false;
            },
            timeoutMs);
    }

    // The desk starts listening a moment after it starts taking calls: the
    // first call is stored again until the desk heard one.
    void firstCallPopsUp() {
        for (int tries = 0; tries < 20; ++tries) {
            storeCall("0311110001");
            if (poppedUp("0311110001", 500))
                return;
        }
        FAIL() << "the desk never popped up a call";
    }

    void loseTheServer() {
        messages.expect(kLossBox);
        server.stop("immediate");
        ASSERT_TRUE(waitUntil([&] { return redLineShown() && messages.allAnswered(); }, 10000));
    }

    TcpRelay relay{server.overTcp(store.server).host, server.overTcp(store.server).port};
};

TEST_F(DeskServerLoss, TheWindowRunsOnWhileTheServerIsAwayAndCallsPopUpAfterItsRestart) {
    ASSERT_NO_FATAL_FAILURE(startDesk());
    ASSERT_NO_FATAL_FAILURE(firstCallPopsUp());

    const Ticker ticker([this] { return redLineShown(); });
    ASSERT_NO_FATAL_FAILURE(loseTheServer());
    QTest::qWait(2500); // several attempts fail meanwhile
    EXPECT_TRUE(redLineShown());

    server.start();
    ASSERT_TRUE(waitUntil([&] { return !redLineShown(); }, 30000));
    storeCall("0311110002");
    EXPECT_TRUE(poppedUp("0311110002"));
    EXPECT_EQ(messages.shown().size(), 1u) << "one box for the loss";
    EXPECT_EQ(ticker.redLineAppeared(), 1) << "the line stays until everything is back";
    EXPECT_LT(ticker.longestMs(), 1000);
    ticker.print("server away");
}

// The server is back but the path to it has gone silent: connections are
// accepted and then hear nothing, first all of them, then all but the
// first to come (the desk's listener or one of its tables, whichever tries
// first). The desk waits for each in the background.
TEST_F(DeskServerLoss, TheWindowRunsOnWhileThePathSaysNothingAndTheDeskComesBackWithIt) {
    ASSERT_NO_FATAL_FAILURE(startDesk());
    ASSERT_NO_FATAL_FAILURE(firstCallPopsUp());

    const Ticker ticker([this] { return redLineShown(); });
    ASSERT_NO_FATAL_FAILURE(loseTheServer());
    relay.hold();
    server.start();
    const int before = relay.accepted();
    ASSERT_TRUE(waitUntil([&] { return relay.accepted() >= before + 2; }, 20000))
        << "the desk keeps trying";
    relay.holdAfter(1);
    const int passed = relay.accepted();
    ASSERT_TRUE(waitUntil([&] { return relay.accepted() >= passed + 2; }, 40000));
    QTest::qWait(1000);
    EXPECT_TRUE(redLineShown()) << "back only once everything answers";

    relay.release();
    ASSERT_TRUE(waitUntil([&] { return !redLineShown(); }, 40000));
    storeCall("0311110002");
    EXPECT_TRUE(poppedUp("0311110002"));
    EXPECT_EQ(messages.shown().size(), 1u) << "one box for the loss";
    EXPECT_EQ(ticker.redLineAppeared(), 1) << "the line stays until everything is back";
    EXPECT_LT(ticker.longestMs(), 1000);
    ticker.print("silent path");
}

} // namespace
} // namespace kanata::test
