// The item lists of the line PC as shipped when their server goes away and
// comes back on a path that is still silent for new connections: a list
// used meanwhile fails at once (no connect held the window), and it works
// again as soon as the tables are back, not after a pause of its own.
#include "data/ItemListServer.h"
#include "data/TDMKanata195.h"
#include "settings/DatabaseSettings.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ProgramInProcess.h"
#include "tests/support/TcpRelay.h"
#include "tests/support/UserInput.h"
#include "views/RecentFirst.h"

#include <QElapsedTimer>
#include <QLabel>

namespace kanata::test {
namespace {

constexpr const char* kWriteFailed = "データが書き込めませんでした";
constexpr const char* kLossBox = "データベースサーバーに接続できません";

class ItemListsComeBack : public ProgramInProcess {
protected:
    bool redLineShown() const {
        QLabel* line = form->serverStatusLabel();
        return line && line->isVisible();
    }

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

    PostgresServer server{PostgresServer::Options{.tcp = true}};
    const sql::StoreSettings store{sql::Engine::Postgresql, server.createDatabase()};
};

TEST_F(ItemListsComeBack, WithTheTablesWithoutABlockingConnectOrAPauseOfTheirOwn) {
    const sql::ServerSettings direct = server.overTcp(store.server);
    TcpRelay relay(direct.host, direct.port);
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    editSettings([&](IniFile& ini) {
        WriteDatabaseSettings(
            ini, {sql::Engine::Postgresql,
                  {"127.0.0.1", relay.port(), store.server.name, store.server.user, {}}});
    });
    ASSERT_TRUE(start());
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
