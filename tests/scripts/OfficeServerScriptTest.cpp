// scripts/office-server.sh against a real server of the test's own: it
// creates the role and a database the role owns, prints settings that a
// desk can use as they stand, and keeps the password when run again.
#include "data/RecvHisTable.h"
#include "data/Sqlite.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/TempFolders.h"

#include <QProcess>

#include <gtest/gtest.h>
#include <regex>

namespace kanata::test {
namespace {

struct ScriptRun {
    int exitCode = -1;
    std::string out, err;
};

ScriptRun runScript(const QStringList& args) {
    const sql::ServerSettings admin = SharedServer().maintenance();
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("OFFICE_SERVER_PSQL",
               QString::fromStdString("psql -h " + admin.host + " -U " + admin.user));
    process.setProcessEnvironment(env);
    process.start(QString::fromStdString((sourceFolder() / "scripts/office-server.sh").string()),
                  args);
    ScriptRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

std::string setting(const std::string& out, const std::string& key) {
    std::smatch m;
    return std::regex_search(out, m, std::regex("\\n" + key + "=([^\\n]*)")) ? m[1].str() : "";
}

TEST(OfficeServerScript, CreatesARoleThatOwnsItsDatabaseAndPrintsTheDeskSettings) {
    const ScriptRun first = runScript({"--name", "office_db", "--user", "desk"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(setting(first.out, "Engine"), "postgresql");
    EXPECT_EQ(setting(first.out, "Name"), "office_db");
    EXPECT_EQ(setting(first.out, "User"), "desk");
    std::smatch pgpass;
    ASSERT_TRUE(std::regex_search(first.out, pgpass,
                                  std::regex(R"(\*:(\d+):office_db:desk:([A-Za-z0-9=]{20,}))")))
        << first.out;

    // The role, not the server's superuser, can make the program's tables
    // in it (PostgreSQL 15 lets only the owner create in "public").
    sql::StoreSettings desk{sql::Engine::Postgresql, SharedServer().maintenance()};
    desk.server.name = "office_db";
    desk.server.user = "desk";
    desk.server.port = pgpass[1].str();
    RecvHisTable table;
    ASSERT_NO_THROW(table.open(desk, {}));
    EXPECT_EQ(table.count(), 0);
    table.close();

    const ScriptRun again = runScript({"--name", "office_db", "--user", "desk"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out.find(pgpass[2].str()), std::string::npos);
    EXPECT_NE(again.out.find("the password set before"), std::string::npos);

    EXPECT_EQ(runScript({"--name", "Office; DROP"}).exitCode, 2);
    EXPECT_EQ(runScript({"--network", "everyone"}).exitCode, 2);
}

} // namespace
} // namespace kanata::test
