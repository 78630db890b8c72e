// The text import on 100,000 lines: the roster with and without the address
// completion, and the history, each into a fresh data folder; beside them
// the same rows inserted raw (one prepared statement, one transaction), the
// floor the import's batching is measured against. Each import also runs its
// floor right after it and reports `x_floor`, its time over the floor's, so
// the ratio compares two runs under the same load. KANATA_BENCH_ENGINE=
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

// The rows the import would write, inserted with nothing else around them
// into a fresh folder's plain table (its fields and indexes as sqlite3
// would make them, without the substring index and its triggers); returns
// the seconds of the inserts and the commit.
template <class Row, class TableT> double rawInsertSeconds(const std::vector<Row>& rows) {
    const auto folder = bench::FreshFolder();
    double seconds = 0;
    {
        TableT table;
        TableDef plainDef = table.table().def();
        plainDef.substringTexts.clear();
        Table t(plainDef);
        t.open(bench::ListStore(), folder / TableT::kFileName);
        std::string sql = "INSERT INTO \"" + t.def().name + "\" VALUES (?";
        for (std::size_t i = 1; i < t.def().fields.size(); ++i)
            sql += ", ?";
        sql += ")";
        const auto start = std::chrono::steady_clock::now();
        sql::Transaction tx(t.database());
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
        tx.commit();
        seconds = secondsSince(start);
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

double rosterFloor() {
    return rawInsertSeconds<MeiboRow, MeiboTable>(rosterRows());
}

double historyFloor() {
    return rawInsertSeconds<RecvHisRow, RecvHisTable>(historyRows());
}

// Imports the file into a fresh data folder per iteration, then runs the
// floor; the import's own seconds are the iteration's time.
void runImport(benchmark::State& state, ImportDestination destination,
               const std::filesystem::path& file, AddressSupplement* supplement,
               double (*floor)()) {
    bench::NoBoxes messages;
    HyphenationService hyphenation;
    hyphenation.Load({}, messages);
    NoAddressSupplement none;
    ImportRequest request = requestFor(destination, file);
    request.noSupplement = supplement == nullptr;
    double importSeconds = 0, floorSeconds = 0;
    for (auto _ : state) {
        const auto folder = bench::FreshFolder();
        {
            TDMKanata195 dm(folder, messages, {}, bench::ListStore());
            ImportRun run(dm, hyphenation, supplement ? *supplement : none, messages);
            const auto start = std::chrono::steady_clock::now();
            const ImportResult result = run.run(request);
            const double seconds = secondsSince(start);
            state.SetIterationTime(seconds);
            importSeconds += seconds;
            if (result.registered != kLines)
                throw std::runtime_error("not every line was registered");
        }
        std::filesystem::remove_all(folder);
        floorSeconds += floor();
    }
    state.counters["lines/s"] =
        benchmark::Counter(kLines, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["floor_ms"] =
        benchmark::Counter(floorSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["x_floor"] = importSeconds / floorSeconds;
}

void BM_ImportRoster(benchmark::State& state) {
    EveryAddress dictionary;
    runImport(state, ImportDestination::Roster, files().roster,
              state.range(0) ? &dictionary : nullptr, &rosterFloor);
}

void BM_ImportHistory(benchmark::State& state) {
    runImport(state, ImportDestination::History, files().history, nullptr, &historyFloor);
}

void rawInsert(benchmark::State& state, double (*floor)()) {
    for (auto _ : state)
        state.SetIterationTime(floor());
    state.counters["lines/s"] =
        benchmark::Counter(kLines, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_RawInsertRoster(benchmark::State& state) {
    rawInsert(state, &rosterFloor);
}

void BM_RawInsertHistory(benchmark::State& state) {
    rawInsert(state, &historyFloor);
}

BENCHMARK(BM_ImportRoster)
    ->ArgName("supplement")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(BM_ImportHistory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_RawInsertRoster)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_RawInsertHistory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
