#include "data/StatementCache.h"
#include "data/RecvHisTable.h"
#include "data/Sqlite.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

using namespace kanata;

namespace {

class StatementCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.open(file, true);
        db.exec("CREATE TABLE t (n INTEGER); INSERT INTO t VALUES (1), (2), (3)");
    }
    // The rows of `sql` with ?1 = `from`, through a statement of the cache.
    std::vector<std::int64_t> rows(const std::string& sql, std::int64_t from) {
        auto stmt = cache.lease(db, sql);
        stmt->bind(1, from);
        std::vector<std::int64_t> found;
        while (stmt->step())
            found.push_back(stmt->columnInt(0));
        return found;
    }

    kanata::test::TempFolders folders;
    std::filesystem::path file = folders.scratch() / "cache.db";
    sql::Database db;
    sql::StatementCache cache{3};
};

} // namespace

TEST_F(StatementCacheTest, ReusedStatementsAnswerLikeFreshOnes) {
    const std::string sql = "SELECT n FROM t WHERE n >= ? ORDER BY n";
    EXPECT_EQ(rows(sql, 2), (std::vector<std::int64_t>{2, 3}));
    db.exec("INSERT INTO t VALUES (4)");
    EXPECT_EQ(rows(sql, 3), (std::vector<std::int64_t>{3, 4}));
    EXPECT_EQ(cache.size(), 1u);
}

TEST_F(StatementCacheTest, TheSameTextInUseTwiceGetsTwoStatements) {
    const std::string sql = "SELECT n FROM t WHERE n >= ? ORDER BY n";
    auto outer = cache.lease(db, sql);
    outer->bind(1, 1);
    ASSERT_TRUE(outer->step());
    EXPECT_EQ(rows(sql, 3), (std::vector<std::int64_t>{3}));
    EXPECT_EQ(outer->columnInt(0), 1);
    ASSERT_TRUE(outer->step());
    EXPECT_EQ(outer->columnInt(0), 2);
}

TEST_F(StatementCacheTest, StaysWithinItsCapacity) {
    for (int limit = 1; limit <= 10; ++limit) {
        const auto found =
            rows("SELECT n FROM t WHERE n >= ? ORDER BY n LIMIT " + std::to_string(limit), 1);
        EXPECT_EQ(found.size(), static_cast<std::size_t>(std::min(limit, 3)));
        EXPECT_LE(cache.size(), 3u);
    }
}

// A read left half done would keep its lock on the file, and another
// connection could not commit.
TEST_F(StatementCacheTest, AnEndedLeaseReleasesItsRead) {
    {
        auto stmt = cache.lease(db, "SELECT n FROM t WHERE n >= ?");
        stmt->bind(1, 1);
        ASSERT_TRUE(stmt->step());
    }
    sql::Database other;
    other.open(file, false);
    EXPECT_NO_THROW(other.exec("BEGIN IMMEDIATE; INSERT INTO t VALUES (9); COMMIT"));
}

// The table's statements belong to the file it had open, also when it opens
// another without closing first.
TEST(TableStatements, AReopenedTableReadsItsNewFile) {
    kanata::test::TempFolders folders;
    kanata::test::ScriptedMessages messages;
    RecvHisTable history;
    for (const char* folder : {"first", "second"}) {
        const auto data = folders.scratch() / folder;
        std::filesystem::create_directories(data);
        history.open(data);
        RecvHisRow row;
        row.SchTel = row.Tel = std::string("03") + folder;
        ASSERT_TRUE(history.append(row, messages));
        const auto all = history.read({});
        ASSERT_EQ(all.size(), 1u) << folder;
        EXPECT_EQ(all.front().SchTel, std::string("03") + folder);
    }
}
