// Calls on a line PC whose tables' server stops (pg_ctl stop -m immediate,
// as a crash) and starts again: they wait, in order and with their arrival
// times, stay open in the intake journal and are stored once each when the
// connection is back.
#include "data/ServerStatus.h"
#include "intake/CallJournal.h"
#include "intake/CallProcessor.h"
#include "lookup/ExtensionLibrary.h"
#include "tests/callerlookup/LookupWorld.h"
#include "tests/intake/FakeWindows.h"
#include "tests/serverloss/Reconnect.h"
#include "tests/support/PostgresServer.h"

#include <gtest/gtest.h>

namespace kanata::test {
namespace {

const DateTime kNoon{2026, 12, 6, 12, 0, 0, 0};

// Makes every table of this process's data modules use `store`, for the
// world's lifetime.
struct ServerStore {
    explicit ServerStore(const sql::StoreSettings& store) { sql::SetDefaultStore(store); }
    ~ServerStore() { sql::SetDefaultStore({}); }
};

class WaitingCalls : public ::testing::Test {
protected:
    WaitingCalls() {
        processor.setJournal(&journal);
        processor.setServerStatus(&status);
        // As the program: both tables open for the whole run.
        EXPECT_TRUE(world.dm.OpenRecvHis());
        EXPECT_TRUE(world.dm.OpenMeibo());
    }
    ~WaitingCalls() override {
        world.dm.CloseMeibo();
        world.dm.CloseRecvHis();
    }

    JournalCall accept(const std::string& number, DateTime at = kNoon) {
        bool durable = false;
        JournalCall call = journal.accept(number, at, durable);
        EXPECT_TRUE(durable);
        return call;
    }
    std::optional<StoredCall> store(const JournalCall& j) {
        return processor.StoreCall(CallLine{j.raw, j.raw, j.seq, j.arrival});
    }
    void restartServer() {
        server.start();
        ASSERT_TRUE(Reconnect(world.dm.RecvHis().table().database()));
        ASSERT_TRUE(Reconnect(world.dm.Meibo().table().database()));
    }
    // The rows as another PC reads them, in record order.
    std::vector<RecvHisRow> rows() {
        RecvHisTable table;
        table.open(store_, world.folders.scratch());
        return table.read(Query{});
    }
    std::size_t openInJournal() { return CallJournal(journal.file()).takeUnfinished().size(); }

    PostgresServer server;
    const sql::StoreSettings store_{sql::Engine::Postgresql, server.createDatabase()};
    ServerStore useServer{store_};
    LookupWorld world;
    FakeWindows windows;
    ServerStatus status;
    CallJournal journal{world.workFolder() / CallJournal::kFileName};
    CallProcessor processor{world.dm,
                            world.lookup(),
                            nullptr,
                            world.hyphenation,
                            windows,
                            world.messages,
                            world.workFolder(),
                            CallProcessingSettings{}};
};

TEST_F(WaitingCalls, CallsWaitInArrivalOrderAndAreStoredWhenTheServerIsBack) {
    const JournalCall a = accept("0311111111");
    const JournalCall b = accept("0322222222");
    const JournalCall c = accept("0333333333");
    const JournalCall d = accept("0344444444");

    // `a` is stored in a batch that the server's stop takes with it.
    processor.BeginBatch();
    ASSERT_TRUE(store(a));
    server.stop("immediate");
    EXPECT_FALSE(store(b));
    EXPECT_FALSE(status.reachable());
    EXPECT_FALSE(store(c));
    EXPECT_FALSE(processor.CommitBatch()) << "the batch's call was not stored";
    ASSERT_EQ(processor.waitingCalls(), 3u);
    EXPECT_EQ(processor.waiting()[0].seq, a.seq);
    EXPECT_EQ(processor.waiting()[1].seq, b.seq);
    EXPECT_EQ(processor.waiting()[2].seq, c.seq);
    EXPECT_TRUE(windows.indicator) << "calls came, though none can be shown";
    EXPECT_FALSE(windows.saw("view"));
    EXPECT_EQ(openInJournal(), 4u);

    // Still down: nothing leaves the queue, nothing is told in a box (the
    // scripted messages fail the test on any).
    EXPECT_EQ(processor.StoreWaitingCalls(200), 0u);
    EXPECT_EQ(processor.waitingCalls(), 3u);

    restartServer();
    // A call that comes now waits behind the others.
    EXPECT_FALSE(store(d));
    ASSERT_EQ(processor.waitingCalls(), 4u);
    // A few per transaction.
    EXPECT_EQ(processor.StoreWaitingCalls(3), 3u);
    EXPECT_EQ(processor.StoreWaitingCalls(3), 1u);
    EXPECT_EQ(processor.waitingCalls(), 0u);

    const auto stored = rows();
    ASSERT_EQ(stored.size(), 4u);
    const std::vector<JournalCall> sent{a, b, c, d};
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(stored[i].SchTel, sent[i].raw);
        EXPECT_EQ(stored[i].RecvDateTime.toText(), sent[i].arrival.toText()) << "arrival kept";
    }
    EXPECT_EQ(openInJournal(), 0u) << "done once committed";
    EXPECT_FALSE(windows.saw("view")) << "calls stored late do not pop up";
    processor.ShowWaitingCallsStored();
    EXPECT_TRUE(windows.saw("refresh"));

    // Calls go the usual way again.
    EXPECT_TRUE(store(accept("0355555555")));
    EXPECT_EQ(rows().size(), 5u);
}

TEST_F(WaitingCalls, AWaitingCallWhoseRowReachedTheServerIsNotStoredTwice) {
    const JournalCall a = accept("0311111111");
    const JournalCall b = accept("0322222222");
    server.stop("immediate");
    EXPECT_FALSE(store(a));
    EXPECT_FALSE(store(b));
    restartServer();

    // `a`'s commit went through before its answer was lost; another line PC
    // stored a call of `b`'s millisecond with another number.
    RecvHisTable other;
    other.open(store_, world.folders.scratch());
    for (const auto& [arrival, number] : {std::pair{a.arrival, std::string("0311111111")},
                                          {b.arrival, std::string("0399999999")}}) {
        RecvHisRow row;
        row.RecvDateTime = arrival;
        row.AxsDateTime = arrival;
        row.SchTel = number;
        row.Tel = number;
        ASSERT_TRUE(other.append(row, world.messages));
    }

    EXPECT_EQ(processor.StoreWaitingCalls(200), 2u);
    const auto stored = rows();
    ASSERT_EQ(stored.size(), 3u) << "a once, the other PC's call, b";
    EXPECT_EQ(stored[2].SchTel, "0322222222");
    EXPECT_EQ(stored[2].RecvDateTime.toText(), b.arrival.toText());
    EXPECT_EQ(openInJournal(), 0u);
}

} // namespace
} // namespace kanata::test
