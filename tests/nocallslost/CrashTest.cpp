// The real program under calls from ktcall: calls sent from the moment it
// starts, and a burst with the program killed at random moments. Every call
// ktcall reported as accepted must end up in the history exactly once, in
// the order it arrived, with its raw log line.
#include "data/Sqlite.h"
#include "tests/nocallslost/RunningProgram.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <thread>

namespace kanata::test {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct HistoryRow {
    std::string schTel;
    std::string recvDateTime;
};

class NoCallsLost : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(prepareDemoFolder()); }

    fs::path dataFolder() const { return folders.workFolder() / "Data"; }

    std::vector<HistoryRow> history() const {
        sql::Database db;
        db.open(dataFolder() / "RecvHis.DB", false);
        sql::Statement rows(db, "SELECT SchTel, RecvDateTime FROM RecvHis ORDER BY RecNo");
        std::vector<HistoryRow> out;
        while (rows.step())
            out.push_back({rows.columnText(0), rows.columnText(1)});
        return out;
    }

    std::string integrity(const char* table) const {
        sql::Database db;
        db.open(dataFolder() / table, false);
        sql::Statement check(db, "PRAGMA integrity_check");
        return check.step() ? check.columnText(0) : "no answer";
    }

    // The number of every line of the raw call logs, as logged.
    std::vector<std::string> rawLogNumbers() const {
        std::vector<std::string> numbers;
        for (const auto& file : fs::directory_iterator(folders.workFolder() / "rd")) {
            std::ifstream in(file.path(), std::ios::binary);
            std::string line;
            while (std::getline(in, line)) {
                const std::string number = line.substr(9, 11); // after "hh:nn:ss,"
                numbers.push_back(number.substr(0, number.find(' ')));
            }
        }
        return numbers;
    }

    bool waitForRows(std::size_t atLeast, std::chrono::seconds timeout) const {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (history().size() < atLeast) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(50ms);
        }
        return true;
    }

    bool waitForRow(const std::string& number, std::chrono::seconds timeout) const {
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            for (const auto& row : history())
                if (row.schTel == number)
                    return true;
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(50ms);
        }
    }

    static std::string numberFor(int n) { return "03" + std::to_string(10000000 + n); }

    TempFolders folders;
};

TEST_F(NoCallsLost, CallsSentFromTheFirstMomentAreStoredInOrder) {
    RunningProgram program(folders.scratch() / "program.log");
    constexpr int kSenders = 3, kEach = 15;
    std::vector<std::vector<std::string>> accepted(kSenders);
    std::atomic<int> beforeReady = 0;
    program.start();
    // Each sender tries each of its numbers until the simulator takes it:
    // the first ones go out while the program is still starting.
    std::vector<std::thread> senders;
    for (int t = 0; t < kSenders; ++t) {
        senders.emplace_back([&, t] {
            const auto giveUp = std::chrono::steady_clock::now() + 60s;
            for (int n = 0; n < kEach; ++n) {
                const std::string number = numberFor(t * 1000 + n);
                while (runKtcall({number}) != 0)
                    if (std::chrono::steady_clock::now() > giveUp)
                        return;
                accepted[t].push_back(number);
                if (!program.ready())
                    ++beforeReady;
            }
        });
    }
    for (auto& s : senders)
        s.join();
    ASSERT_TRUE(program.waitReady(60s));
    ASSERT_TRUE(waitForRows(kSenders * kEach, 60s));
    program.kill();
    std::printf("%d calls accepted before the program was ready\n", beforeReady.load());

    // Each sender's calls are in the history in the order it sent them, and
    // nothing else is.
    const auto rows = history();
    ASSERT_EQ(rows.size(), std::size_t{kSenders * kEach});
    std::vector<std::vector<std::string>> stored(kSenders);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int sender = (std::stoi(rows[i].schTel.substr(2)) - 10000000) / 1000;
        ASSERT_TRUE(sender >= 0 && sender < kSenders) << rows[i].schTel;
        stored[sender].push_back(rows[i].schTel);
        if (i > 0) {
            EXPECT_LT(rows[i - 1].recvDateTime, rows[i].recvDateTime) << "row " << i;
        }
    }
    EXPECT_EQ(stored, accepted);
    std::vector<std::string> logged = rawLogNumbers();
    std::vector<std::string> inRows;
    for (const auto& row : rows)
        inRows.push_back(row.schTel);
    EXPECT_EQ(logged, inRows);
}

TEST_F(NoCallsLost, KilledDuringABurstTheProgramStoresEveryAcceptedCallOnce) {
    RunningProgram program(folders.scratch() / "program.log");
    program.start();
    ASSERT_TRUE(program.waitReady(60s));

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::atomic<bool> sending = true;
    std::atomic<int> kills = 0;
    // The killer: SIGKILL at a random moment while calls come in, restart at
    // once, again.
    std::thread killer([&] {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> pause(100, 1200);
        while (sending) {
            program.waitReady(60s);
            std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
            if (!sending)
                break;
            program.kill();
            ++kills;
            program.start();
        }
    });

    // Four callers, each sending calls one after another: the program has up
    // to four calls arriving at any moment, and a kill catches some half
    // taken.
    constexpr int kSenders = 4;
    std::mutex mutex;
    std::vector<std::string> accepted;
    std::atomic<int> sent = 0;
    const auto giveUp = std::chrono::steady_clock::now() + 90s;
    auto enough = [&] {
        std::lock_guard lock(mutex);
        return accepted.size() >= 500 && kills >= 5;
    };
    std::vector<std::thread> senders;
    for (int t = 0; t < kSenders; ++t) {
        senders.emplace_back([&, t] {
            const fs::path out = folders.scratch() / ("ktcall" + std::to_string(t) + ".out");
            while (!enough() && std::chrono::steady_clock::now() < giveUp) {
                std::vector<std::string> batch;
                for (int i = 0; i < 20; ++i)
                    batch.push_back(numberFor(sent++));
                const auto taken = sendCalls(batch, out);
                std::lock_guard lock(mutex);
                accepted.insert(accepted.end(), taken.begin(), taken.end());
            }
        });
    }
    for (auto& s : senders)
        s.join();
    sending = false;
    killer.join();
    ASSERT_GE(accepted.size(), 500u);
    ASSERT_GE(kills, 5);

    // One more start stores what the last kill left in the journal. Calls
    // are stored in the order they arrived, so once the row of a last call
    // is there, everything before it has been stored.
    if (!program.running())
        program.start();
    ASSERT_TRUE(program.waitReady(60s));
    const std::string last = "0399999999";
    ASSERT_EQ(runKtcall({last}), 0);
    accepted.push_back(last);
    ASSERT_TRUE(waitForRow(last, 60s));
    program.kill();

    std::map<std::string, int> rowsOf;
    for (const auto& row : history())
        ++rowsOf[row.schTel];
    for (const auto& number : accepted)
        EXPECT_EQ(rowsOf.contains(number) ? rowsOf.at(number) : 0, 1) << number;
    for (const auto& [number, count] : rowsOf)
        EXPECT_EQ(count, 1) << number << " stored more than once";
    // Calls the program took but could not answer before it died are stored
    // too; the raw log has every stored call once, and nothing else.
    std::map<std::string, int> logged;
    for (const auto& number : rawLogNumbers())
        ++logged[number];
    EXPECT_EQ(logged, rowsOf);
    EXPECT_EQ(integrity("RecvHis.DB"), "ok");
    EXPECT_EQ(integrity("Meibo.DB"), "ok");
    std::printf("%zu calls accepted of %d sent, %d kills, %zu rows\n", accepted.size(), sent.load(),
                kills.load(), rowsOf.size());
}

} // namespace
} // namespace kanata::test
