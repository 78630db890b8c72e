// The item lists of the line PC as shipped when their server goes away and
// comes back on a path that is still silent for new connections: a list
// used meanwhile fails at once (no connect held the window), and it works
// again as soon as the tables are back, not after a pause of its own.
#include "data/ItemListServer.h"
#include "data/TDMKanata195.h"
#include "tests/support/ProgramOnServer.h"
#include "tests/support/TcpRelay.h"
#include "tests/support/UserInput.h"
#include "views/RecentFirst.h"

#include <QElapsedTimer>

namespace kanata::test {
namespace {

constexpr const char* kWriteFailed = "データが書き込めませんでした";
constexpr const char* kLossBox = "データベースサーバーに接続できません";

class ItemListsComeBack : public ProgramOnOwnServer {
protected:
    ItemListsComeBack() : ProgramOnOwnServer(PostgresServer::Options{.tcp = true}) {}

    // Moves `text` to the top of the first selection list as a saved call
    // does; the milliseconds it took.
    qint64 use(const std::string& text) {
        QElapsedTimer took;
        took.start();
        MoveToTop(program->dataModule()->SelItem(1), text, messages);
        return took.elapsed();
    }

    std::vector<std::string> stored() {
        TDMKanata195 reader(folders.scratch() / "reader", messages, StorageHooks{}, store);
        EXPECT_EQ(reader.LoadItemLists(folders.scratch() / "no-app"), 0);
        std::vector<std::string> out;
        for (int i = 0; i < reader.SelItem(1).Count(); ++i)
            out.push_back(reader.SelItem(1).Get(i));
        return out;
    }
};

TEST_F(ItemListsComeBack, WithTheTablesWithoutABlockingConnectOrAPauseOfTheirOwn) {
    const sql::ServerSettings direct = server.overTcp(store.server);
    TcpRelay relay(direct.host, direct.port);
    ASSERT_NO_FATAL_FAILURE(
        startOn({"127.0.0.1", relay.port(), store.server.name, store.server.user, {}}));
    ASSERT_LT(use("見積依頼"), 3000);
    ASSERT_TRUE(messages.shown().empty());

    server.stop("immediate");
    messages.expect(kWriteFailed).expect(kLossBox);
    EXPECT_LT(use("苦情"), 1000);
    ASSERT_TRUE(waitUntil([&] { return redLineShown() && messages.allAnswered(); }, 10000));
    relay.hold();
    server.start();
    // The server is up, the path to it silent: a connect would wait for
    // its timeout here.
    messages.expect(kWriteFailed);
    EXPECT_LT(use("納期確認"), 1000);
    EXPECT_TRUE(messages.allAnswered());

    relay.release();
    ASSERT_TRUE(waitUntil([&] { return !redLineShown(); }, 40000));
    const std::size_t boxes = messages.shown().size();
    use("折り返し");
    EXPECT_EQ(messages.shown().size(), boxes) << messages.shown().back().text;
    EXPECT_EQ(stored(), (std::vector<std::string>{"折り返し", "見積依頼"}));
}

} // namespace
} // namespace kanata::test
