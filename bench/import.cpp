// The text import on 100,000 lines: the roster with and without the address
// completion, and the history, each into a fresh data folder; beside them
// the same rows inserted raw (one prepared statement, one transaction), the
// floor the import's batching is measured against. Each import also runs its
// floor right after it and reports `x_floor`, its time over the floor's, so
// the ratio compares two runs under the same load; `cpu_x_floor` is the
// same in processor time, and `x_indexed` / `cpu_x_indexed` compare with
// the floor that also builds the substring index. KANATA_BENCH_ENGINE=
// postgresql writes both to a server of the benchmark's own.
#include "data/Cp932.h"
#include "data/Hyphenation.h"
#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "lookup/AddressSupplement.h"
#include "transfer/ImportRecords.h"
#include "transfer/ImportRun.h"
#include "transfer/ImportStart.h"

#include "bench/BenchServer.h"
#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <fstream>
#include <stdexcept>

namespace {

using namespace kanata;
constexpr int kLines = 100000;

// A dictionary that knows every address: each lookup fills what is missing,
// so the run pays for the completion itself. (The real dictionary's own
// lookup time comes on top.)
class EveryAddress : public AddressSupplement {
public:
    std::string open() override { return {}; }
    std::optional<AddressCodes> lookUp(const std::string&) override {
        return AddressCodes{"100-0005", "131016", "001002", 128000000, 503000000};
    }
};

struct Files {
    std::filesystem::path folder = bench::FreshFolder();
    std::filesystem::path roster = folder / "roster.csv";
    std::filesystem::path history = folder / "history.csv";

    Files() {
        std::ofstream r(roster, std::ios::binary);
        r << cp932::encode("電話番号,会社名,名前カナ,住所,ランク,備考\r\n");
        std::ofstream h(history, std::ios::binary);
        h << cp932::encode("日付,時刻,電話番号,会社名,名前,ランク\r\n");
        for (int n = 0; n < kLines; ++n) {
            const std::string tel = "03" + std::to_string(50000000 + n);
            const std::string corp = "株式会社" + std::to_string(n);
            r << cp932::encode(tel + "," + corp + ",ﾀﾅｶ,東京都千代田区丸の内" +
                               std::to_string(n % 9 + 1) + "丁目,Ａ,初回登録\r\n");
            h << cp932::encode("2024/03/" + std::to_string(10 + n % 20) + ",12:34:56," + tel + "," +
                               corp + ",田中,Ａ\r\n");
        }
    }
    ~Files() { std::filesystem::remove_all(folder); }
};

const Files& files() {
    static const Files generated;
    return generated;
}

ImportRequest requestFor(ImportDestination destination, const std::filesystem::path& file) {
    ImportSample sample;
    if (LoadImportSample(file, file.parent_path() / "none", sample) != SampleProblem::None)
        throw std::runtime_error("no sample");
    ImportRequest request;
    request.destination = destination;
    request.file = file;
    request.sampleFieldCount = static_cast<int>(sample.fields.size());
    request.skipFirst = true;
    AssignByHeaderNames(request.mapping, ImportItems(destination, {"内容", "メモ", "受付"}),
                        sample.fields);
    return request;
}

// Seconds since `start`.
double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The processor seconds the process has used: on the shared machine the
// steadier measure of the work than the wall clock.
double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// A run's wall and processor seconds.
struct Seconds {
    double wall = 0, cpu = 0;
    Seconds& operator+=(const Seconds& other) {
        wall += other.wall;
        cpu += other.cpu;
        return *this;
    }
};

// Whether a floor keeps the substring index: the plain floor leaves it
// out; the indexed one builds it for all the rows in one statement before
// the commit, the least any writer of the table pays for it.
enum class FloorIndex { Without, OneStatement };

// The rows the import would write, inserted with nothing else around them
// into a fresh folder's plain table (its fields and indexes as sqlite3
// would make them, without the substring index and its triggers unless
// `index` asks for the index); returns the seconds of the inserts and the
// commit.
template <class Row, class TableT>
Seconds rawInsertSeconds(const std::vector<Row>& rows, FloorIndex index) {
    const auto folder = bench::FreshFolder();
    Seconds seconds;
    {
        TableT table;
        TableDef plainDef = table.table().def();
        if (index == FloorIndex::Without)
            plainDef.substringTexts.clear();
        Table t(plainDef);
        t.open(bench::ListStore(), folder / TableT::kFileName);
        // FAIL as the import writes it on SQLite: a trigger on the table
        // makes a plain INSERT keep a statement journal.
        const bool plainInsert =
            index == FloorIndex::Without || bench::ListStore().engine == sql::Engine::Postgresql;
        std::string sql = std::string(plainInsert ? "INSERT" : "INSERT OR FAIL") + " INTO \"" +
                          t.def().name + "\" VALUES (?";
        for (std::size_t i = 1; i < t.def().fields.size(); ++i)
            sql += ", ?";
        sql += ")";
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuSeconds();
        sql::Transaction tx(t.database());
        if (index == FloorIndex::OneStatement)
            t.beginBulkWrite(BulkWrite::NewRowsOnly);
        sql::Statement insert(t.database(), sql);
        for (const Row& row : rows) {
            const Record record = table.toRecord(row);
            for (std::size_t i = 0; i < record.size(); ++i) {
                if (const auto* n = std::get_if<std::int64_t>(&record[i]))
                    insert.bind(static_cast<int>(i + 1), *n);
                else
                    insert.bind(static_cast<int>(i + 1), std::get<std::string>(record[i]));
            }
            insert.step();
            insert.reset();
        }
        if (index == FloorIndex::OneStatement)
            t.endBulkWrite();
        tx.commit();
        seconds = {secondsSince(start), cpuSeconds() - cpuStart};
    }
    std::filesystem::remove_all(folder);
    return seconds;
}

// Generated line n's caller as the import stores it: the digit key, the
// number shown with hyphens, and the company.
struct LineCaller {
    std::string schTel, tel, corpKanji;
};

LineCaller lineCaller(int n) {
    return {"03" + std::to_string(50000000 + n),
            "03-" + std::to_string(5000 + n / 10000) + "-" + std::to_string(n % 10000),
            "株式会社" + std::to_string(n)};
}

MeiboRow rosterRow(int n) {
    const LineCaller caller = lineCaller(n);
    const DateTime now = DateTime::now();
    return {.RecNo = n,
            .AxsDateTime = now,
            .SchTel1 = caller.schTel,
            .Tel1 = caller.tel,
            .Tdfkn = "東京都",
            .Adrs1 = "千代田区丸の内" + std::to_string(n % 9 + 1) + "丁目",
            .CorpKanji = caller.corpKanji,
            .NameKana = "ﾀﾅｶ",
            .PrivCorp = "0",
            .Rank = "Ａ",
            .Note = "初回登録",
            .AddDateTime = now,
            .UpdDateTime = now};
}

RecvHisRow historyRow(int n) {
    const LineCaller caller = lineCaller(n);
    RecvHisRow r;
    r.RecNo = n;
    r.SchTel = caller.schTel;
    r.Tel = caller.tel;
    r.CorpKanji = caller.corpKanji;
    r.NameKanji = "田中";
    r.Rank = "Ａ";
    r.Division = "0";
    r.RecvDateTime = DateTime{2024, 3, 10 + n % 20, 12, 34, 56};
    r.AxsDateTime = DateTime::now();
    return r;
}

// Every generated line's row, made once before the runs.
template <class Row> std::vector<Row> allRows(Row (*rowFor)(int)) {
    std::vector<Row> rows;
    rows.reserve(kLines);
    for (int n = 0; n < kLines; ++n)
        rows.push_back(rowFor(n));
    return rows;
}

const std::vector<MeiboRow>& rosterRows() {
    static const std::vector<MeiboRow> rows = allRows(rosterRow);
    return rows;
}

const std::vector<RecvHisRow>& historyRows() {
    static const std::vector<RecvHisRow> rows = allRows(historyRow);
    return rows;
}

Seconds rosterFloor(FloorIndex index) {
    return rawInsertSeconds<MeiboRow, MeiboTable>(rosterRows(), index);
}

Seconds historyFloor(FloorIndex index) {
    return rawInsertSeconds<RecvHisRow, RecvHisTable>(historyRows(), index);
}

// Imports the file into a fresh data folder per iteration, then runs the
// floor; the import's own seconds are the iteration's time.
void runImport(benchmark::State& state, ImportDestination destination,
               const std::filesystem::path& file, AddressSupplement* supplement,
               Seconds (*floor)(FloorIndex)) {
    bench::NoBoxes messages;
    HyphenationService hyphenation;
    hyphenation.Load({}, messages);
    NoAddressSupplement none;
    ImportRequest request = requestFor(destination, file);
    request.noSupplement = supplement == nullptr;
    Seconds importSeconds, floorSeconds, indexedSeconds;
    for (auto _ : state) {
        const auto folder = bench::FreshFolder();
        {
            TDMKanata195 dm(folder, messages, {}, bench::ListStore());
            ImportRun run(dm, hyphenation, supplement ? *supplement : none, messages);
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = cpuSeconds();
            const ImportResult result = run.run(request);
            const Seconds seconds{secondsSince(start), cpuSeconds() - cpuStart};
            state.SetIterationTime(seconds.wall);
            importSeconds += seconds;
            if (result.registered != kLines)
                throw std::runtime_error("not every line was registered");
        }
        std::filesystem::remove_all(folder);
        floorSeconds += floor(FloorIndex::Without);
        indexedSeconds += floor(FloorIndex::OneStatement);
    }
    state.counters["lines/s"] =
        benchmark::Counter(kLines, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["floor_ms"] =
        benchmark::Counter(floorSeconds.wall * 1000, benchmark::Counter::kAvgIterations);
    state.counters["x_floor"] = importSeconds.wall / floorSeconds.wall;
    state.counters["cpu_ms"] =
        benchmark::Counter(importSeconds.cpu * 1000, benchmark::Counter::kAvgIterations);
    state.counters["floor_cpu_ms"] =
        benchmark::Counter(floorSeconds.cpu * 1000, benchmark::Counter::kAvgIterations);
    state.counters["cpu_x_floor"] = importSeconds.cpu / floorSeconds.cpu;
    state.counters["x_indexed"] = importSeconds.wall / indexedSeconds.wall;
    state.counters["cpu_x_indexed"] = importSeconds.cpu / indexedSeconds.cpu;
}

void BM_ImportRoster(benchmark::State& state) {
    EveryAddress dictionary;
    runImport(state, ImportDestination::Roster, files().roster,
              state.range(0) ? &dictionary : nullptr, &rosterFloor);
}

void BM_ImportHistory(benchmark::State& state) {
    runImport(state, ImportDestination::History, files().history, nullptr, &historyFloor);
}

// A floor on its own: the plain table (`indexed:0`) or with the index
// built in one statement (`indexed:1`).
void BM_RawInsert(benchmark::State& state, Seconds (*floor)(FloorIndex)) {
    const FloorIndex index = state.range(0) ? FloorIndex::OneStatement : FloorIndex::Without;
    for (auto _ : state)
        state.SetIterationTime(floor(index).wall);
    state.counters["lines/s"] =
        benchmark::Counter(kLines, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_ImportRoster)
    ->ArgName("supplement")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(BM_ImportHistory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(BM_RawInsert, Roster, &rosterFloor)
    ->Name("BM_RawInsertRoster")
    ->ArgName("indexed")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_RawInsert, History, &historyFloor)
    ->Name("BM_RawInsertHistory")
    ->ArgName("indexed")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

} // namespace
