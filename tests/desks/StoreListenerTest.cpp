// A desk's listener on a real server: what a storing transaction announces,
// what it never announces, what a stranger's announcement cannot make it do,
// and how it finds the server again after a crash of the server.
#include "app/DeskMode.h"
#include "data/RecvHisTable.h"
#include "data/ServerStatus.h"
#include "data/Sqlite.h"
#include "data/StoreNotifications.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "tests/support/UserInput.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <poll.h>

namespace kanata::test {
namespace {

RecvHisRow callFrom(const std::string& tel) {
    RecvHisRow row;
    row.RecvDateTime = DateTime::now();
    row.Tel = tel;
    row.SchTel = tel;
    return row;
}

class StoreListener : public ::testing::Test {
protected:
    void SetUp() override {
        table.open(store, folders.root());
        std::string reason;
        ASSERT_TRUE(listener->connect(reason)) << reason;
    }

    // What the listener reads until `count` changes came or two seconds went.
    std::vector<StoreChange> changes(std::size_t count) {
        std::vector<StoreChange> all;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (all.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd fd{listener->socket(), POLLIN, 0};
            if (::poll(&fd, 1, 100) <= 0)
                continue;
            std::string lost;
            for (const StoreChange& c : listener->takeChanges(lost))
                all.push_back(c);
            EXPECT_TRUE(lost.empty()) << lost;
        }
        return all;
    }

    void sendRaw(const std::string& channel, const std::string& payload) {
        sql::Statement stmt(table.table().database(), "SELECT pg_notify(?, ?)");
        stmt.bind(1, channel);
        stmt.bind(2, payload);
        stmt.step();
    }

    TempFolders folders;
    ScriptedMessages messages;
    sql::StoreSettings store{sql::Engine::Postgresql, SharedServer().createDatabase()};
    RecvHisTable table;
    std::unique_ptr<StoreChangeListener> listener = MakeServerChangeListener(store.server);
};

TEST_F(StoreListener, AStoredCallIsAnnouncedWithItsRecordNumberAndARolledBackOneIsNot) {
    {
        sql::Transaction abandoned(table.table().database());
        ASSERT_TRUE(table.append(callFrom("0311110000"), messages).has_value());
    } // rolled back: its number is given again below
    const auto first = table.append(callFrom("0322220000"), messages);
    const auto second = table.append(callFrom("0333330000"), messages);
    ASSERT_TRUE(first && second);
    const auto seen = changes(3); // waits for a third that must not come
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].table, StoredTable::History);
    EXPECT_EQ(seen[0].kind, ChangeKind::Added);
    EXPECT_EQ(seen[0].recNo, *first);
    EXPECT_EQ(seen[1].recNo, *second);

    RecvHisRow changed = *table.find(*first);
    changed.CorpKanji = "株式会社山田商事";
    ASSERT_TRUE(table.update(changed, messages));
    ASSERT_TRUE(table.remove(*second));
    const auto later = changes(2);
    ASSERT_EQ(later.size(), 2u);
    EXPECT_EQ(later[0].kind, ChangeKind::Changed);
    EXPECT_EQ(later[0].recNo, *first);
    EXPECT_EQ(later[1].kind, ChangeKind::Removed);
    EXPECT_EQ(later[1].recNo, *second);
}

TEST_F(StoreListener, AnnouncementsThatAreNotARecordNumberAreIgnored) {
    const std::vector<std::string> strangers{"",     "a",   "a123456", "x12",
                                             "a12b", "a-1", " a1",     std::string(7999, '1')};
    for (const std::string& payload : strangers)
        sendRaw(ChangeChannel("RecvHis"), payload);
    sendRaw("kanata195_other", "a1");
    sendRaw(ChangeChannel("Meibo"), "c99999");
    const auto seen = changes(2);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].table, StoredTable::Roster);
    EXPECT_EQ(seen[0].kind, ChangeKind::Changed);
    EXPECT_EQ(seen[0].recNo, 99999);
}

// An office's desks reach the server over the network: the same store and
// announcements over TCP (a server of this test's own on 127.0.0.1).
TEST(StoreOverTcp, StoresAndAnnouncesAsOnTheSocket) {
    TempFolders folders;
    ScriptedMessages messages;
    PostgresServer server(PostgresServer::Options{.tcp = true});
    const sql::ServerSettings onSocket = server.createDatabase();
    const sql::ServerSettings onTcp = server.overTcp(onSocket);
    EXPECT_EQ(onTcp.host, "127.0.0.1");
    EXPECT_EQ(onTcp.name, onSocket.name);

    sql::Database db;
    db.connect(onTcp);
    sql::Statement where(db, "SELECT host(inet_server_addr())");
    ASSERT_TRUE(where.step());
    EXPECT_EQ(where.columnText(0), "127.0.0.1") << "reached over TCP, not the socket";

    const sql::StoreSettings store{sql::Engine::Postgresql, onTcp};
    auto listener = MakeServerChangeListener(onTcp);
    std::string reason;
    ASSERT_TRUE(listener->connect(reason)) << reason;
    RecvHisTable table;
    table.open(store, folders.root());
    const auto recNo = table.append(callFrom("0311110000"), messages);
    ASSERT_TRUE(recNo);
    pollfd fd{listener->socket(), POLLIN, 0};
    ASSERT_EQ(::poll(&fd, 1, 5000), 1);
    std::string lost;
    const auto seen = listener->takeChanges(lost);
    ASSERT_EQ(seen.size(), 1u) << lost;
    EXPECT_EQ(seen[0].recNo, *recNo);
    table.close();
}

TEST(ChangeAnnouncement, IsReadBackAsWritten) {
    const auto change = ParseChange(ChangeChannel("RecvHis"), ChangePayload(ChangeKind::Added, 0));
    ASSERT_TRUE(change);
    EXPECT_EQ(change->recNo, 0);
    EXPECT_FALSE(ParseChange(ChangeChannel("Adrs"), "a1"));
    EXPECT_EQ(ChangePayload(ChangeKind::Removed, 99999).size(), kMaxChangePayload);
}

TEST(ReconnectWaits, GrowToTheLongestAndStartAgainAfterSuccess) {
    ReconnectBackOff backOff;
    EXPECT_EQ(backOff.nextDelayMs(), ReconnectBackOff::kFirstMs);
    EXPECT_EQ(backOff.nextDelayMs(), 2 * ReconnectBackOff::kFirstMs);
    int last = 0;
    for (int i = 0; i < 20; ++i)
        last = backOff.nextDelayMs();
    EXPECT_EQ(last, ReconnectBackOff::kLongestMs);
    backOff.reset();
    EXPECT_EQ(backOff.nextDelayMs(), ReconnectBackOff::kFirstMs);
}

// The desk's own loop: the socket watched by the event loop, the server
// crashed and started again under it.
TEST(DeskListening, SaysTheServerWentFindsItAgainAndHearsTheNextCall) {
    TempFolders folders;
    ScriptedMessages messages;
    PostgresServer& server = SharedServer();
    const sql::StoreSettings store{sql::Engine::Postgresql, server.createDatabase()};
    RecvHisTable table;
    table.open(store, folders.root());

    ServerStatus status;
    std::vector<bool> reachability;
    status.onChange([&](bool reachable, const std::string&) { reachability.push_back(reachable); });
    std::vector<int> calls;
    int reconnects = 0;
    DeskMode* resumable = nullptr;
    DeskMode::Reactions reactions;
    reactions.callStored = [&](int recNo) { calls.push_back(recNo); };
    // As the program does: the server counts as back once the desk's other
    // connections are, here a moment later.
    reactions.reconnected = [&] {
        ++reconnects;
        QTimer::singleShot(300, [&] { resumable->resume(); });
    };
    DeskMode desk(MakeServerChangeListener(store.server), status, reactions);
    resumable = &desk;
    desk.start();
    ASSERT_TRUE(waitUntil([&] { return desk.listening(); }, 5000));

    const auto first = table.append(callFrom("0311110000"), messages);
    ASSERT_TRUE(waitUntil([&] { return calls.size() == 1; }, 5000));
    EXPECT_EQ(calls[0], *first);

    server.stop("immediate");
    EXPECT_TRUE(waitUntil([&] { return !status.reachable(); }, 5000));
    EXPECT_FALSE(desk.listening());
    waitUntil([] { return false; }, 1200); // a few attempts fail meanwhile
    EXPECT_EQ(reachability, std::vector<bool>{false}) << "one change, not one per attempt";

    server.start();
    ASSERT_TRUE(waitUntil([&] { return reconnects == 1; }, 15000));
    EXPECT_FALSE(status.reachable()) << "not before resume()";

    // Announced between the listener's return and resume(): read then.
    table.close(); // its connection died with the server
    table.open(store, folders.root());
    const auto second = table.append(callFrom("0322220000"), messages);
    ASSERT_TRUE(second);
    EXPECT_EQ(calls.size(), 1u);
    ASSERT_TRUE(waitUntil([&] { return calls.size() == 2; }, 5000));
    EXPECT_EQ(calls[1], *second);
    EXPECT_TRUE(status.reachable());
    EXPECT_EQ(reconnects, 1);
    EXPECT_EQ(reachability, (std::vector<bool>{false, true}));
}

} // namespace
} // namespace kanata::test
