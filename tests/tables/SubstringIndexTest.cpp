#include "data/SubstringIndex.h"
#include "data/Sqlite.h"
#include "data/Table.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace kanata;

namespace {

// Characters a search must treat as they stand: the code page 932 ones
// whose Unicode mapping differs between converters, half-width kana and
// their marks, both widths of one letter in both cases, quotes, spaces,
// and what a LIKE pattern would read as its own.
const char* const kAlphabet[] = {"～", "－", "∥", "￠", "￡", "￢", "ｱ",  "ｲ",
                                 "ﾞ",  "ﾟ",  "ｰ", "a",  "A",  "Ａ", "ａ", "山",
                                 "田", "\"", "'", " ",  "　", "%",  "_",  "\\"};

TableDef def() {
    return {"T",
            {{"RecNo", FieldType::Integer},
             {"A", FieldType::Alpha, 40},
             {"B", FieldType::Alpha, 40},
             {"C", FieldType::Alpha, 40}},
            {{"A", {"A"}, true}},
            0,
            {{"A"}, {"B", "C"}}};
}

class SubstringIndex : public ::testing::Test {
protected:
    test::TempFolders folders;
    test::ScriptedMessages messages;
    std::filesystem::path file = folders.scratch() / "T.DB";
    std::mt19937 random{20240607};
    Table table{def()};

    std::string text(int most) {
        std::string t;
        for (int n = std::uniform_int_distribution<>(0, most)(random); n > 0; --n)
            t += kAlphabet[random() % std::size(kAlphabet)];
        return t;
    }

    void appendRandomRows(int rows) {
        for (int i = 0; i < rows; ++i)
            ASSERT_TRUE(table.append({std::int64_t{0}, text(8), text(4), text(4)}, messages,
                                     RosterAndHistoryNumbering()));
    }

    std::string condition() {
        std::string t;
        for (int n = std::uniform_int_distribution<>(1, 4)(random); n > 0; --n)
            t += kAlphabet[random() % std::size(kAlphabet)];
        return t;
    }

    // The rows the condition admits through the index, and by reading
    // every row.
    std::pair<std::set<std::int64_t>, std::set<std::int64_t>> bothWays(const TextCondition& c) {
        ConditionArgs args;
        Query q;
        q.where = ContainsTerm(c, args);
        q.whereArgs = args;
        std::set<std::int64_t> indexed, scanned;
        for (const Record& r : table.read(q))
            indexed.insert(std::get<std::int64_t>(r[0]));
        // A walk along an order writes the condition its own way.
        Query walked = q;
        walked.index = "A";
        walked.walkIndex = true;
        std::set<std::int64_t> alongTheOrder;
        for (const Record& r : table.read(walked))
            alongTheOrder.insert(std::get<std::int64_t>(r[0]));
        EXPECT_EQ(alongTheOrder, indexed) << c.text;
        // Counted from the index alone, and along the rows when the term is
        // one of several.
        EXPECT_EQ(table.count("(" + q.where + ")", args),
                  static_cast<std::int64_t>(indexed.size()));
        ConditionArgs twice = args;
        twice.insert(twice.end(), args.begin(), args.end());
        EXPECT_EQ(table.count("(" + q.where + ") AND (" + q.where + ")", twice),
                  static_cast<std::int64_t>(indexed.size()));
        std::string joined;
        for (const auto& f : c.fields)
            joined += (joined.empty() ? "" : " || ") + f;
        q.where = "instr(" + joined + ", ?) > 0";
        q.whereArgs = {c.text};
        for (const Record& r : table.read(q))
            scanned.insert(std::get<std::int64_t>(r[0]));
        EXPECT_EQ(table.count(q.where, q.whereArgs), static_cast<std::int64_t>(scanned.size()));
        return {indexed, scanned};
    }

    void expectAgreement(int conditions) {
        for (int i = 0; i < conditions; ++i) {
            const TextCondition c{i % 2 ? std::vector<std::string>{"B", "C"}
                                        : std::vector<std::string>{"A"},
                                  condition()};
            const auto [indexed, scanned] = bothWays(c);
            ASSERT_EQ(indexed, scanned) << "condition " << c.text;
        }
    }

    // Writes on the rows numbered below `rows`; with `renumbering` also
    // moves rows to other numbers, overwriting the row there.
    void randomWrites(sql::Database& db, int writes, int rows = 300, bool renumbering = false) {
        sql::Transaction tx(db);
        for (int i = 0; i < writes; ++i) {
            const int row = static_cast<int>(random() % static_cast<unsigned>(rows));
            const char* const statements[] = {
                "INSERT OR IGNORE INTO T (RecNo, A, B, C) VALUES (?, ?, ?, ?)",
                "INSERT OR REPLACE INTO T (RecNo, A, B, C) VALUES (?, ?, ?, ?)",
                "UPDATE T SET A = ?2, B = ?3, C = ?4 WHERE RecNo = ?1",
                "UPDATE T SET C = ?4 WHERE RecNo = ?1",
                "DELETE FROM T WHERE RecNo = ?1 AND ?2 = ?2 AND ?3 = ?3 AND ?4 = ?4",
                "UPDATE OR REPLACE T SET RecNo = ?5, A = ?2 WHERE RecNo = ?1 AND ?3 = ?3 AND "
                "?4 = ?4"};
            const std::size_t kinds = std::size(statements) - (renumbering ? 0 : 1);
            const std::size_t kind = random() % kinds;
            sql::Statement s(db, statements[kind]);
            s.bind(1, row).bind(2, text(6)).bind(3, text(3)).bind(4, text(3));
            if (kind == std::size(statements) - 1)
                s.bind(5, static_cast<int>(random() % static_cast<unsigned>(rows)));
            s.step();
        }
        tx.commit();
    }

    std::int64_t bulkMarks() {
        sql::Statement marks(table.database(), "SELECT count(*) FROM T_substrings_bulk");
        marks.step();
        return marks.columnInt(0);
    }
};

TEST_F(SubstringIndex, AgreesWithReadingEveryRowAcrossWrites) {
    table.open(sql::DefaultStore(), file);
    for (int i = 0; i < 200; ++i) {
        Record r{std::int64_t{0}, text(8), text(4), text(4)};
        ASSERT_TRUE(table.append(r, messages, RosterAndHistoryNumbering()));
    }
    expectAgreement(150);
    // This program's own writes: updates of every field and of one.
    for (std::int64_t recNo = 0; recNo < 200; recNo += 3) {
        ASSERT_TRUE(table.update({recNo, text(8), text(4), text(4)}));
        ASSERT_TRUE(
            table.update({recNo, std::string("x"), std::string(), std::string()}, {"B", "C"}));
    }
    for (std::int64_t recNo = 1; recNo < 200; recNo += 7)
        ASSERT_TRUE(table.remove(recNo));
    expectAgreement(150);
    if (!test::OnServer()) {
        randomWrites(table.database(), 600);
        expectAgreement(300);
    }

    // Both ways of answering a short condition: "ｱ" begins few trigrams,
    // "a" begins too many.
    table.removeWhere("");
    sql::Statement insert(table.database(), "INSERT INTO T VALUES (?, ?, '', '')");
    int recNo = 0;
    for (const char* x : kAlphabet)
        for (const char* y : kAlphabet) {
            insert.reset();
            insert.bind(1, recNo++).bind(2, std::string("a") + x + y + "ｱ");
            insert.step();
        }
    if (!test::OnServer()) {
        EXPECT_TRUE(substring::MatchQuery(table.database(), "T", "A", "ｱ"));
        EXPECT_FALSE(substring::MatchQuery(table.database(), "T", "A", "a"));
    }
    for (const char* c : {"a", "ｱ", "aa", "ｱa", "a～－"}) {
        const auto [indexed, scanned] = bothWays({{"A"}, c});
        EXPECT_EQ(indexed, scanned) << c;
    }
}

TEST_F(SubstringIndex, WritesOfAnotherConnectionWithoutRecursiveTriggersStayRight) {
    if (test::OnServer())
        GTEST_SKIP() << "SQLite's own index";
    // A tool's INSERT OR REPLACE fires no delete trigger: the replaced
    // row's trigrams stay behind and must not bring the row back.
    table.open(file);
    ASSERT_TRUE(
        table.append({std::int64_t{0}, std::string("山田～"), std::string("ｱｲ"), std::string("ｳ")},
                     messages, RosterAndHistoryNumbering()));
    {
        sql::Database tool;
        tool.open(file, false);
        tool.exec("INSERT OR REPLACE INTO T (RecNo, A, B, C) VALUES (0, '田中－', 'x', 'y')");
        randomWrites(tool, 300);
    }
    const auto [indexed, scanned] = bothWays({{"A"}, "山田～"});
    EXPECT_EQ(indexed, scanned);
    expectAgreement(200);
    // The next open builds the index afresh.
    table.close();
    table.open(file);
    sql::Statement left(table.database(), "SELECT count(*) FROM T_substrings_stale");
    left.step();
    EXPECT_EQ(left.columnInt(0), 0);
    expectAgreement(200);
}

TEST_F(SubstringIndex, TableWithoutTheIndexGetsItAtOpen) {
    if (test::OnServer())
        GTEST_SKIP() << "SQLite's own index";
    // As the sqlite3 tool or an older version leaves it: the table alone.
    {
        sql::Database plain;
        plain.open(file, true);
        plain.exec("CREATE TABLE T (RecNo INTEGER PRIMARY KEY, A TEXT NOT NULL DEFAULT '', "
                   "B TEXT NOT NULL DEFAULT '', C TEXT NOT NULL DEFAULT '')");
        plain.exec("INSERT INTO T VALUES (0, '∥￠ｱ', '￡', '￢'), (1, 'ﾊﾟﾝ', 'A', 'a'), "
                   "(2, 'ｱ', '', '')");
    }
    table.open(file);
    EXPECT_EQ(bothWays({{"A"}, "ｱ"}).first, (std::set<std::int64_t>{0, 2}));
    EXPECT_EQ(bothWays({{"B", "C"}, "￡￢"}).first, (std::set<std::int64_t>{0}));
    EXPECT_EQ(bothWays({{"B", "C"}, "Aa"}).first, (std::set<std::int64_t>{1}));
    EXPECT_EQ(bothWays({{"A"}, "ﾊﾟﾝ"}).first, (std::set<std::int64_t>{1}));
    table.close();

    // Rows written while a trigger was gone: the next open builds it again.
    {
        sql::Database plain;
        plain.open(file, false);
        plain.exec("DROP TRIGGER \"T_substrings_insert\"");
        plain.exec("INSERT INTO T VALUES (3, 'ｱｲｳ', '', '')");
    }
    table.open(file);
    EXPECT_EQ(bothWays({{"A"}, "ｲｳ"}).first, (std::set<std::int64_t>{3}));
    EXPECT_EQ(bothWays({{"A"}, "ｱ"}).first, (std::set<std::int64_t>{0, 2, 3}));
}

TEST_F(SubstringIndex, TheSqliteToolWritesThroughTheTriggers) {
    if (test::OnServer())
        GTEST_SKIP() << "SQLite's own index";
    if (std::system("sqlite3 -version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "no sqlite3 command";
    table.open(file);
    table.close();
    const auto script = folders.scratch() / "tool.sql";
    std::ofstream(script) << "INSERT INTO T VALUES (5, '～山田', 'b', 'c');\n"
                             "INSERT OR REPLACE INTO T VALUES (5, '～田中', 'b', 'c');\n"
                             "INSERT INTO T VALUES (6, 'ｱ', 'b', 'c');\n"
                             "UPDATE T SET A = 'ｲ' WHERE RecNo = 6;\n";
    ASSERT_EQ(std::system(("sqlite3 '" + file.string() + "' < '" + script.string() + "'").c_str()),
              0);
    table.open(file);
    EXPECT_EQ(bothWays({{"A"}, "～田中"}).first, (std::set<std::int64_t>{5}));
    EXPECT_TRUE(bothWays({{"A"}, "～山田"}).first.empty());
    EXPECT_TRUE(bothWays({{"A"}, "ｱ"}).first.empty());
    EXPECT_EQ(bothWays({{"A"}, "ｲ"}).first, (std::set<std::int64_t>{6}));
}

TEST_F(SubstringIndex, KilledWriterLeavesIndexAndTableInStep) {
    if (test::OnServer())
        GTEST_SKIP() << "SQLite's own index";
    table.open(file);
    table.close();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Table writer(def());
        writer.open(file);
        sql::Transaction committed(writer.database());
        writer.database().exec("INSERT INTO T VALUES (0, '山田', '', '')");
        committed.commit();
        writer.database().exec("BEGIN IMMEDIATE");
        writer.database().exec("INSERT INTO T VALUES (1, '山田', '', '')");
        writer.database().exec("DELETE FROM T WHERE RecNo = 0");
        raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    table.open(file);
    EXPECT_EQ(bothWays({{"A"}, "山田"}).first, (std::set<std::int64_t>{0}));
    EXPECT_EQ(bothWays({{"A"}, "山"}).first, (std::set<std::int64_t>{0}));
}

TEST_F(SubstringIndex, TextConditionsKeepTheirPlacesAmongOtherParameters) {
    table.open(sql::DefaultStore(), file);
    for (int i = 0; i < 120; ++i)
        ASSERT_TRUE(table.append({std::int64_t{0}, text(6), text(3), text(3)}, messages,
                                 RosterAndHistoryNumbering()));
    for (int i = 0; i < 40; ++i) {
        const TextCondition inB{{"B", "C"}, condition()};
        const TextCondition inA{{"A"}, condition()};
        const std::int64_t above = random() % 60;
        const std::string other = text(2);
        ConditionArgs args{above};
        std::string where = "\"RecNo\" > ? AND (" + ContainsTerm(inB, args) + " OR \"A\" = '?')";
        where += " AND \"A\" <> ?";
        args.emplace_back(other);
        where += " AND " + ContainsTerm(inA, args);
        // The same written as row tests by hand: the order of the arguments
        // is the order of the "?" in the text.
        const std::string plain = "\"RecNo\" > ? AND (instr(\"B\" || \"C\", ?) > 0 OR "
                                  "\"A\" = '?') AND \"A\" <> ? AND instr(\"A\", ?) > 0";
        const ConditionArgs plainArgs{above, inB.text, other, inA.text};
        ASSERT_EQ(table.count(where, args), table.count(plain, plainArgs))
            << inB.text << " / " << inA.text;
        Query q;
        q.index = "A";
        q.where = where;
        q.whereArgs = args;
        Query byHand = q;
        byHand.where = plain;
        byHand.whereArgs = plainArgs;
        ASSERT_EQ(table.read(q), table.read(byHand));
    }
    const TextCondition any{{"A"}, "a"};
    EXPECT_THROW(table.count("? AND ?", {any}), std::invalid_argument);
    EXPECT_THROW(table.count("?", {any, std::string("y")}), std::invalid_argument);
}

// Fields that are not one of the table's searched texts have no index to
// answer from: the condition is refused on either engine, never answered
// with no rows.
TEST_F(SubstringIndex, ConditionOnTextsTheTableDoesNotSearchIsRefused) {
    table.open(sql::DefaultStore(), file);
    appendRandomRows(20);
    for (const std::vector<std::string>& fields :
         {std::vector<std::string>{"B"}, {"C", "B"}, {"A", "B", "C"}}) {
        ConditionArgs args;
        Query q;
        q.where = ContainsTerm({fields, "a"}, args);
        q.whereArgs = args;
        EXPECT_THROW(table.count(q.where, args), std::invalid_argument) << fields.size();
        EXPECT_THROW(table.read(q), std::invalid_argument) << fields.size();
        EXPECT_THROW(table.removeWhere(q.where, args), std::invalid_argument) << fields.size();
    }
    EXPECT_EQ(table.count(), 20);
}

// The server's pieces indexes come with the table, or at the next open
// when missing; that open also drops the trigram and short-piece indexes an
// older program made, and a condition of any length goes through the
// pieces index.
TEST_F(SubstringIndex, ServerKeepsPiecesIndexesInPlaceOfTheOlderOnes) {
    if (!test::OnServer())
        GTEST_SKIP() << "a server's index";
    table.open(sql::DefaultStore(), file);
    const auto indexes = [this] {
        sql::Statement s(table.database(),
                         "SELECT string_agg(indexname, ' ' ORDER BY indexname) FROM pg_indexes "
                         "WHERE tablename = 't' AND indexdef LIKE '%USING gin%'");
        s.step();
        return s.columnText(0);
    };
    ASSERT_EQ(indexes(), "t_a_pieces t_b_c_pieces");
    table.database().exec("DROP INDEX \"t_b_c_pieces\"");
    table.database().exec("CREATE EXTENSION IF NOT EXISTS pg_trgm");
    table.database().exec(
        "CREATE INDEX \"t_b_c_trgm\" ON \"T\" USING gin ((\"B\" || \"C\") gin_trgm_ops)");
    table.database().exec("CREATE INDEX \"t_a_short\" ON \"T\" USING gin "
                          "(string_to_array(\"A\", NULL))");
    table.close();
    table.open(sql::DefaultStore(), file);
    EXPECT_EQ(indexes(), "t_a_pieces t_b_c_pieces");

    appendRandomRows(300);
    table.database().exec("ANALYZE \"T\"");
    {
        sql::Transaction tx(table.database());
        table.database().exec("SET LOCAL enable_seqscan = off");
        sql::Statement plan(table.database(),
                            "EXPLAIN SELECT count(*) FROM \"T\" WHERE kanata195_pieces("
                            "(\"B\" || \"C\")) @> ARRAY[CAST(? AS text)]");
        plan.bind(1, std::string("山田太"));
        std::string text;
        while (plan.step())
            text += plan.columnText(0) + "\n";
        EXPECT_NE(text.find("t_b_c_pieces"), std::string::npos) << text;
    }
    for (const char* c : {"山田太", "山田太郎", "a山田　太郎Ａ", "%_\\ｱ"}) {
        const auto [indexed, scanned] = bothWays({{"B", "C"}, c});
        EXPECT_EQ(indexed, scanned) << c;
    }
}

// A condition of one or two characters looks up the index of pieces of the
// same text, and the index comes back at the next open when missing.
TEST_F(SubstringIndex, ServerLooksUpShortConditionsInTheirIndex) {
    if (!test::OnServer())
        GTEST_SKIP() << "a server's index";
    table.open(sql::DefaultStore(), file);
    table.database().exec("DROP INDEX \"t_b_c_pieces\"");
    table.close();
    table.open(sql::DefaultStore(), file);
    appendRandomRows(300);
    table.database().exec("ANALYZE \"T\"");
    for (const char* c : {"ｱ", "ｱﾞ", "～\\"}) {
        {
            sql::Transaction tx(table.database());
            table.database().exec("SET LOCAL enable_seqscan = off");
            sql::Statement plan(table.database(),
                                "EXPLAIN SELECT count(*) FROM \"T\" WHERE kanata195_pieces("
                                "(\"B\" || \"C\")) @> ARRAY[CAST(? AS text)]");
            plan.bind(1, std::string(c));
            std::string text;
            while (plan.step())
                text += plan.columnText(0) + "\n";
            EXPECT_NE(text.find("t_b_c_pieces"), std::string::npos) << text;
        }
        const auto [indexed, scanned] = bothWays({{"B", "C"}, c});
        EXPECT_EQ(indexed, scanned) << c;
    }
    // The empty text is in every row, though among no pieces.
    EXPECT_EQ(bothWays({{"A"}, ""}).first.size(), 300u);
}

// Every condition of one and two characters the alphabet makes, on both
// searched texts, before and after another tool rewrites rows on the
// server: the index of pieces gives what reading the rows gives.
TEST_F(SubstringIndex, ServerShortConditionsAgreeWithReadingEveryRow) {
    if (!test::OnServer())
        GTEST_SKIP() << "a server's index";
    table.open(sql::DefaultStore(), file);
    sql::Statement shortIndexes(table.database(),
                                "SELECT count(*) FROM pg_indexes WHERE tablename = 't' AND "
                                "indexname LIKE '%\\_pieces'");
    shortIndexes.step();
    ASSERT_EQ(shortIndexes.columnInt(0), 2);
    appendRandomRows(300);
    std::vector<std::string> conditions;
    for (const char* x : kAlphabet) {
        conditions.emplace_back(x);
        for (const char* y : kAlphabet)
            conditions.push_back(std::string(x) + y);
    }
    const auto agree = [&](std::size_t step) {
        for (std::size_t i = 0; i < conditions.size(); i += step) {
            const std::vector<std::string> fields =
                i % 2 ? std::vector<std::string>{"B", "C"} : std::vector<std::string>{"A"};
            const auto [indexed, scanned] = bothWays({fields, conditions[i]});
            ASSERT_EQ(indexed, scanned) << conditions[i];
        }
    };
    agree(1);
    {
        sql::Transaction tx(table.database());
        for (int i = 0; i < 200; ++i) {
            const int row = static_cast<int>(random() % 300);
            if (i % 4 == 0) {
                sql::Statement s(table.database(), "DELETE FROM \"T\" WHERE \"RecNo\" = ?");
                s.bind(1, row).step();
                continue;
            }
            sql::Statement s(table.database(),
                             "UPDATE \"T\" SET \"A\" = ?, \"C\" = ? WHERE \"RecNo\" = ?");
            s.bind(1, text(8)).bind(2, text(4)).bind(3, row).step();
        }
        tx.commit();
    }
    agree(3);
}

// Pages far into an order are the same rows, in the same order, however
// the server gets to them: the whole order cut at the page.
TEST_F(SubstringIndex, SkippedRowsLeaveTheSliceOfTheWholeOrder) {
    table.open(sql::DefaultStore(), file);
    for (int i = 0; i < 250; ++i)
        ASSERT_TRUE(table.append({std::int64_t{0}, text(3), text(4), text(4)}, messages,
                                 RosterAndHistoryNumbering()));
    const auto recNos = [](const std::vector<Record>& rows) {
        std::vector<std::int64_t> numbers;
        for (const Record& r : rows)
            numbers.push_back(std::get<std::int64_t>(r[0]));
        return numbers;
    };
    for (const std::string index : {"", "A"})
        for (const bool descending : {false, true})
            for (const char* c : {"", "a", "ｱ"}) {
                Query whole;
                whole.index = index;
                whole.descending = descending;
                if (*c) {
                    whole.where =
                        ContainsTerm({{"B", "C"}, c}, whole.whereArgs) + " AND \"RecNo\" <> ?";
                    whole.whereArgs.emplace_back(std::int64_t{7});
                }
                const std::vector<std::int64_t> all = recNos(table.read(whole));
                ASSERT_GT(all.size(), 10u) << c;
                for (const int offset : {1, 9, static_cast<int>(all.size()) - 3, 300})
                    for (const int limit : {5, -1}) {
                        Query page = whole;
                        page.offset = offset;
                        page.limit = limit;
                        page.walkIndex = limit < 0;
                        const auto from = all.begin() + std::min<std::size_t>(offset, all.size());
                        const auto to =
                            limit < 0 || all.end() - from < limit ? all.end() : from + limit;
                        EXPECT_EQ(recNos(table.read(page)), std::vector<std::int64_t>(from, to))
                            << index << descending << c << offset << limit;
                    }
            }
}

// The case-folded orders are read from their index alone on a server, and
// a store whose index was made without the texts gets the one with them.
TEST_F(SubstringIndex, ServerReadsFoldedOrdersFromTheIndexAlone) {
    if (!test::OnServer())
        GTEST_SKIP() << "a server's plan";
    table.open(sql::DefaultStore(), file);
    table.database().exec("DROP INDEX \"t_a_cover\"");
    table.database().exec("CREATE INDEX \"t_a\" ON \"T\" (lower(\"A\"), \"RecNo\")");
    table.close();
    table.open(sql::DefaultStore(), file);
    sql::Statement names(table.database(),
                         "SELECT string_agg(indexname, ' ' ORDER BY indexname) FROM pg_indexes "
                         "WHERE tablename = 't' AND indexname LIKE 't\\_a%'");
    names.step();
    EXPECT_EQ(names.columnText(0), "t_a_cover t_a_pieces");
    appendRandomRows(300);
    table.database().exec("VACUUM ANALYZE \"T\"");
    sql::Transaction tx(table.database());
    table.database().exec("SET LOCAL enable_seqscan = off");
    table.database().exec("SET LOCAL enable_sort = off");
    sql::Statement plan(table.database(), "EXPLAIN SELECT \"RecNo\" FROM \"T\" ORDER BY "
                                          "lower(\"A\"), \"RecNo\" LIMIT 10 OFFSET 100");
    std::string text;
    while (plan.step())
        text += plan.columnText(0) + "\n";
    EXPECT_NE(text.find("Index Only Scan using t_a_cover"), std::string::npos) << text;
}

// A login of the test's own with fewer rights than the test server's
// superuser. Roles and languages belong to the whole server: the role is
// named after this test's database, and what `restrict` took away is given
// back with `restore` when the test ends.
class LesserRole {
public:
    LesserRole(const std::string& prefix, const std::string& restrict = {},
               const std::string& restore = {})
        : server_(sql::DefaultStore().server), role_(prefix + server_.name), restore_(restore) {
        sql::Database admin;
        admin.connect(server_);
        admin.exec("CREATE ROLE " + role_ + " LOGIN");
        admin.exec("GRANT CREATE ON SCHEMA public TO " + role_);
        if (!restrict.empty())
            admin.exec(restrict);
    }
    ~LesserRole() {
        sql::Database admin;
        admin.connect(server_);
        if (!restore_.empty())
            admin.exec(restore_);
        admin.exec("DROP OWNED BY " + role_);
        admin.exec("DROP ROLE " + role_);
    }
    sql::StoreSettings store() const {
        sql::StoreSettings as = sql::DefaultStore();
        as.server.user = role_;
        return as;
    }

private:
    sql::ServerSettings server_;
    std::string role_, restore_;
};

// A user who may not add extensions gets the pieces indexes all the same:
// they need none.
TEST_F(SubstringIndex, ServerIndexesTheTextsWithoutAnExtension) {
    if (!test::OnServer())
        GTEST_SKIP() << "a server's rights";
    const LesserRole role("plain_");
    table.open(role.store(), file);
    sql::Statement extension(table.database(),
                             "SELECT count(*) FROM pg_extension WHERE extname = 'pg_trgm'");
    extension.step();
    EXPECT_EQ(extension.columnInt(0), 0);
    sql::Statement pieces(table.database(), "SELECT count(*) FROM pg_indexes WHERE tablename = "
                                            "'t' AND indexname LIKE '%\\_pieces'");
    pieces.step();
    EXPECT_EQ(pieces.columnInt(0), 2);
    appendRandomRows(100);
    expectAgreement(60);
    table.close();
}

// A user who may not write functions keeps the row test for every
// condition, with its line on the log, and the same answers.
TEST_F(SubstringIndex, ServerWithoutFunctionsReadsTheRows) {
    if (!test::OnServer())
        GTEST_SKIP() << "a server's rights";
    const LesserRole role("nofunc_", "REVOKE USAGE ON LANGUAGE plpgsql FROM PUBLIC",
                          "GRANT USAGE ON LANGUAGE plpgsql TO PUBLIC");
    std::ostringstream log;
    std::streambuf* const kept = std::clog.rdbuf(log.rdbuf());
    table.open(role.store(), file);
    std::clog.rdbuf(kept);
    EXPECT_NE(log.str().find("文字列条件の索引を作れません"), std::string::npos) << log.str();
    sql::Statement pieces(table.database(), "SELECT count(*) FROM pg_indexes WHERE tablename = "
                                            "'t' AND indexname LIKE '%\\_pieces'");
    pieces.step();
    EXPECT_EQ(pieces.columnInt(0), 0);
    appendRandomRows(100);
    expectAgreement(60);
    table.close();
}

} // namespace

TEST_F(SubstringIndex, BulkWriteIndexesItsRowsAsTheyStandAtItsEnd) {
    if (test::OnServer())
        GTEST_SKIP() << "SQLite's own index";
    table.open(file);
    randomWrites(table.database(), 400);
    // Each round adds rows past the last one and writes on old and new
    // rows alike (REPLACE and moves across the bulk write's first number
    // included), as an import and a call arriving meanwhile would.
    for (int rows = 450; rows <= 750; rows += 150) {
        sql::Transaction tx(table.database());
        table.beginBulkWrite();
        for (int recNo = rows - 150; recNo < rows; ++recNo) {
            sql::Statement add(table.database(), "INSERT INTO T VALUES (?, ?, ?, ?)");
            add.bind(1, recNo).bind(2, text(8)).bind(3, text(4)).bind(4, text(4));
            add.step();
        }
        randomWrites(table.database(), 300, rows, true);
        table.endBulkWrite();
        tx.commit();
        EXPECT_EQ(bulkMarks(), 0);
        expectAgreement(150);
    }
    // The triggers are the index's keepers again, for this connection and
    // for a tool's.
    randomWrites(table.database(), 200, 800);
    {
        sql::Database tool;
        tool.open(file, false);
        randomWrites(tool, 200, 800);
    }
    expectAgreement(150);
}

TEST_F(SubstringIndex, BulkWriteRolledBackOrKilledLeavesTheTriggersOn) {
    if (test::OnServer())
        GTEST_SKIP() << "SQLite's own index";
    table.open(file);
    ASSERT_TRUE(table.append({std::int64_t{0}, std::string("山田"), std::string(), std::string()},
                             messages, RosterAndHistoryNumbering()));
    {
        sql::Transaction undone(table.database());
        table.beginBulkWrite();
        table.database().exec("INSERT INTO T VALUES (1, '山田', '', '')");
    }
    EXPECT_EQ(bulkMarks(), 0);
    table.close();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Table writer(def());
        writer.open(file);
        writer.database().exec("BEGIN IMMEDIATE");
        writer.beginBulkWrite();
        writer.database().exec("INSERT INTO T VALUES (1, '山田', '', '')");
        writer.endBulkWrite();
        writer.database().exec("INSERT INTO T VALUES (2, '山田', '', '')");
        raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    // A tool writing before this program opens the file again goes through
    // the triggers.
    {
        sql::Database tool;
        tool.open(file, false);
        tool.exec("INSERT INTO T VALUES (3, '山田', '', '')");
    }
    table.open(file);
    EXPECT_EQ(bulkMarks(), 0);
    EXPECT_EQ(bothWays({{"A"}, "山田"}).first, (std::set<std::int64_t>{0, 3}));
    EXPECT_EQ(bothWays({{"A"}, "田"}).first, (std::set<std::int64_t>{0, 3}));
}

namespace {

// The triggers of the index as the schema holds them.
std::string triggerSchema(sql::Database& db) {
    sql::Statement all(db, "SELECT name || ': ' || sql FROM sqlite_master WHERE type = 'trigger' "
                           "ORDER BY name");
    std::string schema;
    while (all.step())
        schema += all.columnText(0) + "\n";
    return schema;
}

} // namespace

TEST_F(SubstringIndex, BulkWriteOfNewRowsIndexesThemAndPutsTheTriggersBack) {
    if (test::OnServer())
        GTEST_SKIP() << "SQLite's own index";
    table.open(file);
    randomWrites(table.database(), 400);
    const std::string triggers = triggerSchema(table.database());
    ASSERT_NE(triggers.find("T_substrings_insert"), std::string::npos);
    // Each round adds rows past the last one, and rewrites and deletes old
    // and new rows alike, as an import replacing records does.
    for (int round = 0; round < 3; ++round) {
        sql::Transaction tx(table.database());
        table.beginBulkWrite(BulkWrite::NewRowsOnly);
        sql::Statement last(table.database(), "SELECT max(RecNo) + 1 FROM T");
        last.step();
        const std::int64_t first = last.columnInt(0);
        for (std::int64_t recNo = first; recNo < first + 150; ++recNo) {
            sql::Statement add(table.database(), "INSERT OR FAIL INTO T VALUES (?, ?, ?, ?)");
            add.bind(1, recNo).bind(2, text(8)).bind(3, text(4)).bind(4, text(4));
            add.step();
        }
        for (int i = 0; i < 100; ++i) {
            const auto recNo = static_cast<std::int64_t>(random() % (first + 150));
            sql::Statement change(table.database(),
                                  i % 5 ? "UPDATE T SET A = ?, C = ? WHERE RecNo = ?"
                                        : "DELETE FROM T WHERE ?1 = ?1 AND "
                                          "?2 = ?2 AND RecNo = ?3");
            change.bind(1, text(6)).bind(2, text(3)).bind(3, recNo);
            change.step();
        }
        table.endBulkWrite();
        tx.commit();
        EXPECT_EQ(bulkMarks(), 0);
        EXPECT_EQ(triggerSchema(table.database()), triggers);
        expectAgreement(150);
    }
    // Undone, it leaves the triggers as they were.
    {
        sql::Transaction undone(table.database());
        table.beginBulkWrite(BulkWrite::NewRowsOnly);
        table.database().exec("INSERT OR FAIL INTO T VALUES (100000, '山田', '', '')");
    }
    EXPECT_EQ(triggerSchema(table.database()), triggers);
    {
        sql::Database tool;
        tool.open(file, false);
        randomWrites(tool, 300, 1000);
    }
    expectAgreement(150);
}

TEST_F(SubstringIndex, BulkWriteOfNewRowsRollsBackAWriteOnAnOldNumber) {
    if (test::OnServer())
        GTEST_SKIP() << "SQLite's own index";
    table.open(file);
    table.database().exec("INSERT INTO T VALUES (0, '山田', '', ''), (1, '田中', '', '')");
    table.database().exec("DELETE FROM T WHERE RecNo = 0");
    const std::string triggers = triggerSchema(table.database());
    for (const char* old : {"INSERT OR REPLACE INTO T VALUES (1, '川田', '', '')",
                            "INSERT OR FAIL INTO T VALUES (0, '川田', '', '')",
                            "INSERT OR FAIL INTO T (A, B, C) VALUES ('川田', '', '')"}) {
        sql::Transaction tx(table.database());
        table.beginBulkWrite(BulkWrite::NewRowsOnly);
        table.database().exec("INSERT OR FAIL INTO T VALUES (2, '川田', '', '')");
        EXPECT_THROW(table.database().exec(old), sql::SqliteError) << old;
        EXPECT_FALSE(table.database().inTransaction()) << old;
    }
    EXPECT_EQ(table.count(), 1);
    EXPECT_EQ(triggerSchema(table.database()), triggers);
    EXPECT_EQ(bulkMarks(), 0);
    EXPECT_EQ(bothWays({{"A"}, "田"}).first, (std::set<std::int64_t>{1}));
}

TEST_F(SubstringIndex, BulkWriteOfNewRowsKilledLeavesTheTriggersOn) {
    if (test::OnServer())
        GTEST_SKIP() << "SQLite's own index";
    table.open(file);
    table.database().exec("INSERT INTO T VALUES (0, '山田', '', '')");
    const std::string triggers = triggerSchema(table.database());
    table.close();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Table writer(def());
        writer.open(file);
        writer.database().exec("BEGIN IMMEDIATE");
        writer.beginBulkWrite(BulkWrite::NewRowsOnly);
        writer.database().exec("INSERT OR FAIL INTO T VALUES (1, '山田', '', '')");
        raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    {
        sql::Database tool;
        tool.open(file, false);
        EXPECT_EQ(triggerSchema(tool), triggers);
        tool.exec("INSERT INTO T VALUES (2, '山田', '', '')");
    }
    table.open(file);
    EXPECT_EQ(bulkMarks(), 0);
    EXPECT_EQ(bothWays({{"A"}, "山田"}).first, (std::set<std::int64_t>{0, 2}));
}

TEST_F(SubstringIndex, BulkMarkLeftByAnotherToolIsRebuiltAway) {
    if (test::OnServer())
        GTEST_SKIP() << "SQLite's own index";
    table.open(file);
    table.close();
    {
        // Rows a tool wrote after marking them as a bulk write's, and never
        // indexed.
        sql::Database tool;
        tool.open(file, false);
        tool.exec("INSERT INTO T_substrings_bulk VALUES (0)");
        tool.exec("INSERT INTO T VALUES (0, 'ｱｲｳ', '', ''), (1, 'ｲｳｴ', '', '')");
    }
    table.open(file);
    EXPECT_EQ(bulkMarks(), 0);
    EXPECT_EQ(bothWays({{"A"}, "ｲｳ"}).first, (std::set<std::int64_t>{0, 1}));
    EXPECT_EQ(bothWays({{"A"}, "ｴ"}).first, (std::set<std::int64_t>{1}));
    table.database().exec("INSERT INTO T VALUES (2, 'ｴｵ', '', '')");
    EXPECT_EQ(bothWays({{"A"}, "ｴ"}).first, (std::set<std::int64_t>{1, 2}));
}
