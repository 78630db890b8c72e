// Incoming calls processed per second through CallProcessor, on a history of
// 100,000 rows and a roster of 100,000 entries: every step of a call (lookup
// in the roster, the phonebook data search, the previous-call carry-over,
// the durable append) with windows that do nothing. Half the calls come
// from roster callers, half from unknown numbers; every caller has earlier
// calls in the history.
//
// The history holds 99,999 rows when a call arrives and 100,000 once it is
// stored (the most record numbers allow); the stored row is removed again
// outside the timing, so every call meets the full table. The program keeps
// both tables open for its whole run, so they stay open here. No phonebook
// data is installed (its search then ends at the missing folder).
//
//     build/release/bench/bench_call_processing
//
// The calls/s counter is the figure; like history appends it is bound by
// the disk's flush of each stored call. After each call, outside its time,
// the floor runs on the same table: one row written by a prepared insert in
// its own durable commit. `floor_ms` is its mean and `x_floor` the call's
// time over it.
#include "data/Hyphenation.h"
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "intake/CallIntakeWindows.h"
#include "intake/CallProcessor.h"
#include "lookup/CallerLookup.h"
#include "platform/MessageService.h"
#include "settings/Registry.h"

#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace {
namespace fs = std::filesystem;
using namespace kanata;

using kanata::bench::NoBoxes;

class NoWindows : public CallIntakeWindows {
public:
    void beginBusy() override {}
    void endBusy() override {}
    void historyUpdateDateDisplay() override {}
    bool historyListVisible() const override { return true; }
    void historyRefreshFirstPage() override {}
    void historyPopUp() override {}
    void historyShowCallRecord(const CallRecord&) override {}
    bool callViewExists() const override { return false; }
    bool callViewBusy() const override { return false; }
    void callViewRegisterCurrentCaller() override {}
    void registerUnshownCaller(CallRecord&) override {}
    bool miniViewExists() const override { return false; }
    void miniViewShow(const CallRecord&) override {}
    void miniViewPopUp(const CallRecord&) override {}
    void miniViewRaise() override {}
    bool canPopUp() const override { return true; }
    bool indicatorSet() const override { return false; }
    void setIndicator(bool) override {}
    bool playRingSound() override { return false; }
};

constexpr int kRoster = 100000;
constexpr int kHistory = 99999;
constexpr int kCallers = 50000; // roster callers with history; as many unknown ones

std::string rosterNumber(int i) {
    return "03" + std::to_string(10000000 + i);
}
std::string unknownNumber(int i) {
    return "06" + std::to_string(10000000 + i);
}

// Runs `insert` for i = 0 .. rows - 1 (the rows come from the recursive
// table n(i)) in one transaction.
void insertNumbered(sql::Database& db, int rows, const std::string& insert) {
    db.exec("BEGIN");
    db.exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(rows - 1) + ") " + insert);
    db.exec("COMMIT");
}

// Both tables built in one transaction each. Roster entry i has the numbers
// 03-1xxx-xxxx and 090-1xxx-xxxx; history row i is a call from roster
// caller i / 2 (even rows) or unknown caller i / 2 (odd rows), one a minute.
void fillTables(TDMKanata195& dm) {
    insertNumbered(
        dm.Meibo().table().database(), kRoster,
        "INSERT INTO Meibo (RecNo, SchTel1, SchTel2, Tel1, Tel2, CorpKanji, NameKanji) "
        "SELECT i, '03' || (10000000 + i), '090' || (10000000 + i), '03-' || (10000000 + i), "
        "'090-' || (10000000 + i), '株式会社着信' || i, '着信太郎' FROM n");
    insertNumbered(
        dm.RecvHis().table().database(), kHistory,
        "INSERT INTO RecvHis (RecNo, AxsDateTime, RecvDateTime, RecvWeek, SchTel, Tel, "
        "Division, SelItem1) SELECT i, t, t, 1, s, s, i % 2, '用件' || (i % 7) FROM "
        "(SELECT i, strftime('%Y-%m-%d %H:%M:%S.000', '2026-01-01', '+' || i || ' minutes') "
        "AS t, CASE i % 2 WHEN 0 THEN '03' ELSE '06' END || (10000000 + (i / 2) % " +
            std::to_string(kCallers) + ") AS s FROM n)");
}

struct World {
    NoBoxes messages;
    NoWindows windows;
    fs::path folder = kanata::bench::FreshFolder();
    TDMKanata195 dm{folder / "Data", messages};
    Registry registry{folder / "registry.ini"};
    HyphenationService hyphenation;
    std::unique_ptr<CallerLookup> lookup;
    std::unique_ptr<CallProcessor> processor;

    World() {
        if (!dm.OpenRecvHis() || !dm.OpenMeibo())
            throw std::runtime_error("cannot open the tables");
        fillTables(dm);
        hyphenation.Load(folder / "Dic", messages);
        lookup = std::make_unique<CallerLookup>(dm, std::nullopt, hyphenation, registry, messages,
                                                folder / "app", folder / "work", "");
        processor =
            std::make_unique<CallProcessor>(dm, *lookup, nullptr, hyphenation, windows, messages,
                                            folder / "work", CallProcessingSettings{});
    }
    ~World() {
        processor.reset();
        lookup.reset();
        dm.CloseMeibo();
        dm.CloseRecvHis();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One history row in its own durable commit, as the call's append writes
// it, with nothing else around it; returns its seconds.
double durableCommitSeconds(sql::Database& history, sql::Statement& insert) {
    const auto start = std::chrono::steady_clock::now();
    history.exec("BEGIN IMMEDIATE");
    insert.reset();
    insert.bind(1, kHistory).bind(2, "2027-01-01 00:00:00.000").bind(3, "2027-01-01 00:00:00.000");
    insert.bind(4, 6).bind(5, "0310000001").bind(6, "03-1000-0001").bind(7, "ｶﾌﾞｼｷｶﾞｲｼｬ");
    insert.bind(8, "株式会社着信1").bind(9, "").bind(10, "着信太郎").bind(11, "1").bind(12, "");
    insert.bind(13, "用件1").bind(14, "").bind(15, "");
    insert.step();
    history.exec("COMMIT");
    return secondsSince(start);
}

void BM_CallProcessing(benchmark::State& state) {
    World world;
    sql::Database& history = world.dm.RecvHis().table().database();
    sql::Statement floorInsert(history, "INSERT INTO RecvHis VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                        "?, ?, ?, ?, ?, ?)");
    const std::string removeStored =
        "DELETE FROM RecvHis WHERE RecNo = " + std::to_string(kHistory);
    std::int64_t calls = 0;
    double callSeconds = 0, floorSeconds = 0;
    for (auto _ : state) {
        const int caller = static_cast<int>((calls * 7919) % kCallers);
        const std::string number = calls % 2 == 0 ? rosterNumber(caller) : unknownNumber(caller);
        const auto start = std::chrono::steady_clock::now();
        world.processor->queue().push(CallLine::fromText(number));
        world.processor->ProcessPendingCall();
        const double seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        callSeconds += seconds;
        ++calls;
        if (world.dm.RecvHis().count() != kHistory + 1)
            throw std::runtime_error("the call was not stored");
        history.exec(removeStored);
        floorSeconds += durableCommitSeconds(history, floorInsert);
        history.exec(removeStored);
    }
    state.counters["calls/s"] =
        benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate);
    state.counters["floor_ms"] =
        benchmark::Counter(floorSeconds * 1000 / static_cast<double>(calls));
    state.counters["x_floor"] = callSeconds / floorSeconds;
    // What the call costs besides the commit: the figure the disk's speed
    // does not hide.
    state.counters["beyond_floor_ms"] =
        benchmark::Counter((callSeconds - floorSeconds) * 1000 / static_cast<double>(calls));
}

BENCHMARK(BM_CallProcessing)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(5.0);

} // namespace
