// An office may give each desk a login of its own that reads and writes the
// rows of tables another role owns. Such a desk opens a current store as
// the owner does, and is told what the owner must run when it is not
// current, without anything stored changing.
#include "data/ItemListServer.h"
#include "data/OrderPrefetch.h"
#include "data/Sqlite.h"
#include "data/Table.h"
#include "history/ListPager.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace kanata;

namespace {

TableDef def(bool withC = true) {
    TableDef table{
        "T",
        {{"RecNo", FieldType::Integer}, {"A", FieldType::Alpha, 40}, {"B", FieldType::Alpha, 40}},
        {{"A", {"A"}, true}, {"B", {"B"}, false}},
        0,
        {{"A"}}};
    if (withC) {
        table.fields.push_back({"C", FieldType::Alpha, 40});
        table.substringTexts.push_back({"B", "C"});
    }
    return table;
}

// The log goes to `into` while this lives, however the scope is left.
class LogCaught {
public:
    explicit LogCaught(std::ostringstream& into) : kept_(std::clog.rdbuf(into.rdbuf())) {}
    ~LogCaught() { std::clog.rdbuf(kept_); }
    LogCaught(const LogCaught&) = delete;
    LogCaught& operator=(const LogCaught&) = delete;

private:
    std::streambuf* kept_;
};

// The role is named after this test's database, since roles belong to the
// whole server.
class DeskRole : public ::testing::Test {
protected:
    test::TempFolders folders;
    test::ScriptedMessages messages;
    std::filesystem::path file = folders.scratch() / "T.DB";
    std::string role = "desk_" + sql::DefaultStore().server.name;

    void SetUp() override {
        if (!test::OnServer())
            GTEST_SKIP() << "a server's roles";
        sql::Database owner;
        owner.connect(sql::DefaultStore().server);
        owner.exec("CREATE ROLE " + role + " LOGIN");
    }
    void TearDown() override {
        if (!test::OnServer())
            return;
        sql::Database owner;
        owner.connect(sql::DefaultStore().server);
        owner.exec("DROP OWNED BY " + role);
        owner.exec("DROP ROLE " + role);
    }
    // What an office grants a desk: the rows, never the schema.
    void grantTheRows() {
        sql::Database owner;
        owner.connect(sql::DefaultStore().server);
        owner.exec("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO " +
                   role);
        owner.exec("GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO " + role);
    }
    sql::StoreSettings deskStore() const {
        sql::StoreSettings store = sql::DefaultStore();
        store.server.user = role;
        return store;
    }
    void append(Table& table, Record row) {
        ASSERT_TRUE(table.append(std::move(row), messages, RosterAndHistoryNumbering()));
    }
    static std::string schemaOf(sql::Database& db) {
        sql::Statement stmt(
            db, "SELECT string_agg(name, ' ' ORDER BY name) FROM ("
                "SELECT column_name AS name FROM information_schema.columns WHERE table_name = 't' "
                "UNION ALL SELECT indexname FROM pg_indexes WHERE tablename = 't' "
                "UNION ALL SELECT proname FROM pg_proc WHERE proname IN ('instr', "
                "'kanata195_pieces')) AS names");
        stmt.step();
        return stmt.columnText(0);
    }
};

TEST_F(DeskRole, DeskOfAnotherRoleReadsAndWritesTheOwnersTables) {
    Table owner(def());
    owner.open(sql::DefaultStore(), file);
    append(owner, {std::int64_t{0}, "山田", "本店", "一課"});
    owner.close();
    sql::Database ownerDb;
    ownerDb.connect(sql::DefaultStore().server);
    CreateItemListTable(ownerDb);
    grantTheRows();

    Table desk(def());
    std::ostringstream log;
    {
        const LogCaught caught(log);
        desk.open(deskStore(), file);
        sql::Database deskDb;
        deskDb.connect(deskStore().server);
        CreateItemListTable(deskDb);
    }
    // Nothing tried and refused on the way: the schema was current.
    EXPECT_EQ(log.str(), "");

    ASSERT_EQ(desk.read({}).size(), 1u);
    EXPECT_EQ(std::get<std::string>(desk.read({}).front()[1]), "山田");
    ConditionArgs args;
    const std::string where = ContainsTerm({{"B", "C"}, "店一"}, args);
    EXPECT_EQ(desk.count(where, args), 1);
    append(desk, {std::int64_t{0}, "佐藤", "支店", "二課"});
    desk.close();

    owner.open(sql::DefaultStore(), file);
    const std::vector<Record> rows = owner.read({});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(std::get<std::string>(rows[1][1]), "佐藤");
    owner.close();
}

TEST_F(DeskRole, DeskIsToldWhatTheOwnerMustRunForAFieldTheTableLacks) {
    Table older(def(false));
    older.open(sql::DefaultStore(), file);
    append(older, {std::int64_t{0}, "山田", "本店"});
    older.close();
    grantTheRows();
    sql::Database ownerDb;
    ownerDb.connect(sql::DefaultStore().server);
    const std::string before = schemaOf(ownerDb);

    Table desk(def());
    try {
        desk.open(deskStore(), file);
        FAIL() << "opened a table without its field C";
    } catch (const sql::Error& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("所有者"), std::string::npos) << what;
        EXPECT_NE(what.find("ALTER TABLE \"t\" ADD COLUMN \"c\""), std::string::npos) << what;
    }
    EXPECT_EQ(schemaOf(ownerDb), before);

    Table owner(def());
    owner.open(sql::DefaultStore(), file);
    const std::vector<Record> rows = owner.read({});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::get<std::string>(rows[0][2]), "本店");
    EXPECT_EQ(std::get<std::string>(rows[0][3]), "");
    owner.close();
}

// An office may withhold from the desks' role the function by which the
// server tells what it has committed (or run a server older than it):
// pages asked for by number are then placed by counting, and come right.
TEST_F(DeskRole, PagesComeRightWhereTheServerWithholdsWhatItCommitted) {
    Table owner(def());
    owner.open(sql::DefaultStore(), file);
    for (int i = 0; i < 30; ++i)
        append(owner,
               {std::int64_t{0}, "名" + std::to_string(100 + i), i % 2 ? "本店" : "支店", "一課"});
    grantTheRows();
    owner.database().exec("REVOKE EXECUTE ON FUNCTION pg_current_snapshot() FROM PUBLIC");
    ConditionArgs args;
    const RowFilter mainOffice{ContainsTerm({{"B", "C"}, "本店"}, args), args};

    Table desk(def());
    desk.open(deskStore(), file);
    EXPECT_EQ(desk.committedState(), std::nullopt);
    ListPager pager(desk, "A", false, 3);
    ASSERT_EQ(pager.refresh(PageMode::Refill, 1, mainOffice), PageOutcome::Filled);
    desk.orderPrefetch().waitUntilIdle();
    for (int page : {3, 4, 2}) {
        ASSERT_EQ(pager.refresh(PageMode::Refill, page, mainOffice), PageOutcome::Filled) << page;
        EXPECT_EQ(pager.count(), 15);
        std::vector<std::int64_t> expected;
        for (int row = 0; row < 3; ++row)
            expected.push_back(((page - 1) * 3 + row) * 2 + 1);
        EXPECT_EQ(pager.keys(), expected) << page;
    }
    EXPECT_EQ(pager.pagesFromMarks(), 0);
    desk.close();
}

} // namespace
