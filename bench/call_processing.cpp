// Incoming calls processed per second through CallProcessor, on a history of
// 100,000 rows and a roster of 100,000 entries: every step of a call (lookup
// in the roster, the phonebook data search, the previous-call carry-over,
// the durable append) with windows that do nothing. Half the calls come
// from roster callers, half from unknown numbers; every caller has earlier
// calls in the history.
//
// The history holds 99,999 rows when a call arrives and 100,000 once it is
// stored (the most record numbers allow); the stored row is removed again
// outside the timing, so every call meets the full table. The history list
// keeps the history open while the program runs, so it stays open here; the
// roster is opened by each lookup. No phonebook data is installed (its
// search then ends at the missing folder).
//
//     build/release/bench/bench_call_processing
//
// The calls/s counter is the figure; like history appends it is bound by
// the disk's flush of each stored call.
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
        dm.CloseMeibo();
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
        dm.CloseRecvHis();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

void BM_CallProcessing(benchmark::State& state) {
    World world;
    sql::Database& history = world.dm.RecvHis().table().database();
    std::int64_t calls = 0;
    for (auto _ : state) {
        const int caller = static_cast<int>((calls * 7919) % kCallers);
        const std::string number = calls % 2 == 0 ? rosterNumber(caller) : unknownNumber(caller);
        world.processor->queue().push(CallLine::fromText(number));
        world.processor->ProcessPendingCall();
        ++calls;
        state.PauseTiming();
        if (world.dm.RecvHis().count() != kHistory + 1)
            throw std::runtime_error("the call was not stored");
        history.exec("DELETE FROM RecvHis WHERE RecNo = " + std::to_string(kHistory));
        state.ResumeTiming();
    }
    state.counters["calls/s"] =
        benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_CallProcessing)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

} // namespace
