// The line PC as shipped, its tables on a server reached through a relay
// that falls silent as a broken network path does: nothing reset, nothing
// answered, so the statement the program is sending waits. The calls that
// come meanwhile from the real ktcall are accepted and in the intake journal
// at once, each as it is accepted; once the path carries again every one is
// stored, exactly once.
#include "data/RecvHisTable.h"
#include "intake/CallJournal.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ProgramRunOnServer.h"
#include "tests/support/TcpRelay.h"
#include "tests/support/TempFolders.h"
#include "tests/support/UserInput.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace kanata::test {
namespace {

constexpr int kCalls = 20;

// The raw lines the journal accepted, undecoded.
std::vector<std::string> journalledLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    std::string record;
    while (std::getline(in, record)) {
        std::vector<std::string> fields;
        std::stringstream split(record);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        if (fields.size() < 4 || fields[0] != "A")
            continue;
        std::string raw;
        for (std::size_t i = 0; i + 1 < fields[3].size(); i += 2)
            raw += static_cast<char>(std::stoi(fields[3].substr(i, 2), nullptr, 16));
        lines.push_back(raw);
    }
    return lines;
}

int journalledCount(const std::filesystem::path& file, const std::string& number) {
    int count = 0;
    for (const std::string& line : journalledLines(file))
        count += line.find(number) != std::string::npos ? 1 : 0;
    return count;
}

TEST(SilentPath, CallsReachTheJournalAtOnceAndAreStoredOnceWhenThePathCarriesAgain) {
    PostgresServer server(PostgresServer::Options{.tcp = true});
    const sql::StoreSettings store{sql::Engine::Postgresql, server.createDatabase()};
    const sql::ServerSettings direct = server.overTcp(store.server);
    TcpRelay relay(direct.host, direct.port);
    TempFolders folders;
    ProgramRun run{folders, stageFolder()};
    ASSERT_TRUE(run.prepareDemo());
    ASSERT_NO_FATAL_FAILURE(
        UseServer(folders.workFolder(),
                  {"127.0.0.1", relay.port(), store.server.name, store.server.user, {}}));
    ASSERT_TRUE(run.start()) << run.log().toStdString();
    TempFolders scratch;
    RecvHisTable history;
    history.open(store, scratch.root());
    ASSERT_EQ(run.ktcall({"0390000000"}), 0);
    ASSERT_TRUE(waitUntil([&] { return history.count() == 1; }, 10000)) << run.log().toStdString();

    relay.hold();
    const std::filesystem::path journal = folders.workFolder() / CallJournal::kFileName;
    qint64 slowest = 0;
    for (int i = 1; i <= kCalls; ++i) {
        const std::string number = "039000" + std::to_string(1000 + i);
        QElapsedTimer took;
        took.start();
        QString output;
        ASSERT_EQ(run.ktcall({QString::fromStdString(number)}, &output), 0) << number;
        slowest = std::max(slowest, took.elapsed());
        // In the journal by the time the adapter said OK, while the program
        // waits for the server: a call journalled behind the store would be
        // missing here until the path carried again.
        EXPECT_EQ(journalledCount(journal, number), 1) << number;
    }
    std::fprintf(stderr, "[figures] %d calls on a silent path, the slowest accepted in %lld ms\n",
                 kCalls, static_cast<long long>(slowest));
    QTest::qWait(1000);
    EXPECT_EQ(history.count(), 1) << "nothing reached the server through the silent path";

    relay.release();
    ASSERT_TRUE(waitUntil([&] { return history.count() >= kCalls + 1; }, 60000))
        << history.count() << "\n"
        << run.log().toStdString();
    QTest::qWait(500); // nothing more comes later
    std::map<std::string, int> stored;
    for (const RecvHisRow& row : history.read(Query{}))
        ++stored[row.SchTel];
    EXPECT_EQ(stored.size(), static_cast<std::size_t>(kCalls + 1));
    for (const auto& [number, times] : stored)
        EXPECT_EQ(times, 1) << number;
    EXPECT_TRUE(run.stop()) << run.log().toStdString();
}

} // namespace
} // namespace kanata::test
