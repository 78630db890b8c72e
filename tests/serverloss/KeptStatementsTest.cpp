// Statements run again on a server are kept there, planned once: they
// answer as fresh ones do after the server restarts, after another desk
// changes the table under them, and the server lets go of those no longer
// used.
#include "tests/serverloss/Reconnect.h"
#include "tests/support/PostgresServer.h"

#include <gtest/gtest.h>

#include <memory>

namespace kanata::test {
namespace {

class KeptStatements : public ::testing::Test {
protected:
    KeptStatements() {
        db.connect(database);
        db.exec("CREATE TABLE t (k bigint PRIMARY KEY, v text NOT NULL)");
        db.exec("INSERT INTO t VALUES (1, 'one'), (2, 'two'), (3, 'three')");
    }

    static std::string valueOf(sql::Statement& stmt, std::int64_t key) {
        stmt.reset();
        stmt.bind(1, key);
        std::string text = stmt.step() ? stmt.columnText(stmt.columnCount() - 1) : "(none)";
        stmt.reset();
        return text;
    }
    // The statements this connection's session on the server keeps.
    std::int64_t keptOnServer() {
        sql::Statement count(db, "SELECT count(*) FROM pg_prepared_statements");
        count.step();
        return count.columnInt(0);
    }

    PostgresServer server;
    const sql::ServerSettings database = server.createDatabase();
    sql::Database db;
};

TEST_F(KeptStatements, AnswerAsFreshOnesAndComeBackAfterTheServerRestarts) {
    sql::Statement lookUp(db, "SELECT v FROM t WHERE k = ?");
    EXPECT_EQ(valueOf(lookUp, 1), "one");
    EXPECT_EQ(keptOnServer(), 0) << "a statement run once is not kept";
    EXPECT_EQ(valueOf(lookUp, 2), "two");
    EXPECT_EQ(valueOf(lookUp, 9), "(none)");
    EXPECT_EQ(valueOf(lookUp, 3), "three");
    EXPECT_EQ(keptOnServer(), 1);

    server.stop("fast");
    EXPECT_THROW(valueOf(lookUp, 1), sql::SqliteError);
    server.start();
    ASSERT_TRUE(Reconnect(db));
    // The new session has none of the old one's statements: asked for
    // inside a transaction, which a refusal would end, it is kept anew.
    sql::Transaction tx(db);
    EXPECT_EQ(valueOf(lookUp, 1), "one");
    EXPECT_EQ(valueOf(lookUp, 2), "two");
    EXPECT_EQ(keptOnServer(), 1);
    tx.commit();
}

TEST_F(KeptStatements, FollowATableAnotherDeskChanged) {
    sql::Statement whole(db, "SELECT * FROM t WHERE k = ?");
    EXPECT_EQ(valueOf(whole, 1), "one");
    EXPECT_EQ(valueOf(whole, 2), "two");

    sql::Database other;
    other.connect(database);
    other.exec("ALTER TABLE t ADD COLUMN note text NOT NULL DEFAULT 'noted'");
    // Its kept plan no longer fits the table's rows.
    EXPECT_EQ(valueOf(whole, 1), "noted");

    // Inside a transaction the refusal ends it, as any failed statement's
    // does; the statement is prepared again for the next one.
    other.exec("ALTER TABLE t DROP COLUMN note");
    {
        sql::Transaction tx(db);
        EXPECT_THROW(valueOf(whole, 2), sql::SqliteError);
    }
    EXPECT_EQ(valueOf(whole, 3), "three");
}

TEST_F(KeptStatements, TheServerLetsGoOfThoseNoLongerUsed) {
    auto first = std::make_unique<sql::Statement>(db, "SELECT v FROM t WHERE k = ?");
    valueOf(*first, 1);
    valueOf(*first, 2);
    ASSERT_EQ(keptOnServer(), 1);
    {
        // Dropped inside a failed transaction, where nothing more can be
        // sent: let go of later.
        sql::Transaction tx(db);
        EXPECT_THROW(db.exec("SELECT k FROM nowhere"), sql::SqliteError);
        first.reset();
    }
    sql::Statement second(db, "SELECT v FROM t WHERE k = ? AND v <> ''");
    EXPECT_EQ(valueOf(second, 1), "one");
    EXPECT_EQ(valueOf(second, 3), "three");
    EXPECT_EQ(keptOnServer(), 1) << "only the statement in use is kept";
}

} // namespace
} // namespace kanata::test
