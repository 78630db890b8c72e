// Exports 100,000 history rows with all 28 items (so every row looks up its
// caller in a 100,000-record roster) and 100,000 roster records with all 28
// items, to a text file on disk, with hyphenation on. Beside each export its
// floor runs in the same iteration: the same columns read with one plain
// prepared select (the history's callers joined in SQL), each line
// converted to code page 932 and written quoted to a file, with nothing of
// the program in between; `x_floor` is the export's time over the floor's.
// On a machine shared with other work the wall times carry its waits;
// `x_floor_cpu` compares the two by the processor time of this thread
// (`cpu_ms`, `floor_cpu_ms`), which they do not.
// Run from a release tree:
//   build/release/bench/bench_export
#include "data/Hyphenation.h"
#include "transfer/ExportRun.h"

#include "bench/BenchTables.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <iconv.h>
#include <sqlite3.h>
#include <stdexcept>

namespace {

constexpr int kRows = 100000;

std::string landline(int i) {
    return "03" + std::to_string(30000000 + (i * 7919) % 9000000);
}

// Both tables filled once for the run, each in one transaction.
struct Data : kanata::bench::DataFolder {
    kanata::HyphenationService hyphenation;

    Data() {
        if (!dm->OpenMeibo() || !dm->OpenRecvHis())
            throw std::runtime_error("cannot open");
        hyphenation.Load(std::filesystem::path(KANATA_STAGE_DIR) / "Dic", messages);
        fillRoster();
        fillHistory();
    }
    void fillRoster() {
        auto& db = dm->Meibo().table().database();
        kanata::sql::Transaction tx(db);
        kanata::sql::Statement insert(
            db, "INSERT INTO Meibo (RecNo, AxsDateTime, SchTel1, Tel1, SchTel2, Tel2, Pos, Tdfkn, "
                "Adrs1, Adrs2, Adrs3, JisCode, CorpKana, CorpKanji, NameKana, NameKanji, "
                "PrivCorp, Memo1, EMail, Note, AddDateTime, UpdDateTime) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        const char* stamp = "2026-01-02 03:04:05.000";
        for (int i = 0; i < kRows; ++i) {
            const std::string tel = landline(i);
            const std::string mobile = i % 3 ? "" : "090" + std::to_string(10000000 + i);
            insert.reset();
            insert.bind(1, i).bind(2, stamp).bind(3, tel).bind(4, tel).bind(5, mobile);
            insert.bind(6, mobile).bind(7, "1000005").bind(8, "東京都").bind(9, "千代田区");
            insert.bind(10, "丸の内" + std::to_string(i % 5 + 1) + "丁目").bind(11, "1-1");
            insert.bind(12, "13101").bind(13, "ﾏﾙﾉｳﾁｼｮｳｼﾞ").bind(14, "丸の内商事");
            insert.bind(15, "ﾔﾏﾀﾞ").bind(16, "山田　太郎").bind(17, i % 2 ? "1" : "0");
            insert.bind(18, "見積依頼").bind(19, "info@example.com");
            insert.bind(20, "一行目\r\n二行目").bind(21, stamp).bind(22, stamp);
            insert.step();
        }
        tx.commit();
    }
    // Callers: three in four from the roster's first or second numbers, the
    // rest unknown numbers and reason codes.
    void fillHistory() {
        auto& db = dm->RecvHis().table().database();
        kanata::sql::Transaction tx(db);
        kanata::sql::Statement insert(
            db, "INSERT INTO RecvHis (RecNo, AxsDateTime, RecvDateTime, RecvWeek, SchTel, Tel, "
                "CorpKanji, NameKanji, Division, Rank, SelItem1) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < kRows; ++i) {
            std::string tel;
            switch (i % 4) {
            case 0:
                tel = landline((i * 13) % kRows);
                break;
            case 1:
                tel = landline(i);
                break;
            case 2:
                tel = "090" + std::to_string(10000000 + (i / 3) * 3);
                break;
            default:
                tel = i % 8 == 3 ? "P" : "06" + std::to_string(60000000 + i);
                break;
            }
            char when[32];
            std::snprintf(when, sizeof when, "2026-%02d-%02d %02d:%02d:%02d.000", i % 12 + 1,
                          i % 28 + 1, i % 24, i % 60, (i * 7) % 60);
            insert.reset();
            insert.bind(1, i).bind(2, when).bind(3, when).bind(4, i % 7 + 1).bind(5, tel);
            insert.bind(6, tel).bind(7, "丸の内商事").bind(8, "山田　太郎").bind(9, "1");
            insert.bind(10, "A").bind(11, "見積依頼");
            insert.step();
        }
        tx.commit();
    }
};

Data& data() {
    static Data d;
    return d;
}

// The floor: sqlite3, iconv and stdio only.
const char* const kHistoryFloorSql =
    "SELECT h.RecvDateTime, h.Tel, h.CorpKana, h.CorpKanji, h.NameKana, h.NameKanji, "
    "h.Division, h.Rank, h.SelItem1, h.SelItem2, h.SelItem3, m.Pos, m.Tdfkn, m.Adrs1, m.Adrs2, "
    "m.Adrs3, m.JisCode, m.CorpKana, m.CorpKanji, m.NameKana, m.NameKanji, m.Memo1, m.Memo2, "
    "m.Memo3, m.EMail, m.ExtLink, m.Note FROM RecvHis h LEFT JOIN roster.Meibo m ON m.RecNo = "
    "coalesce((SELECT RecNo FROM roster.Meibo WHERE SchTel1 = h.SchTel ORDER BY RecNo LIMIT 1), "
    "(SELECT RecNo FROM roster.Meibo WHERE SchTel2 = h.SchTel ORDER BY RecNo LIMIT 1)) "
    "ORDER BY h.RecvDateTime DESC, h.RecNo DESC";
const char* const kRosterFloorSql =
    "SELECT Tel1, Tel2, Pos, Tdfkn, Adrs1, Adrs2, Adrs3, JisCode, CorpKana, CorpKanji, "
    "NameKana, NameKanji, PrivCorp, Memo1, Memo2, Memo3, EMail, Rank, Msg, Msg1, Msg2, BGColor, "
    "ExtLink, Note, AddDateTime, AddDateTime, UpdDateTime, UpdDateTime FROM Meibo ORDER BY RecNo";

void check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(what);
}

std::int64_t writeFloor(sqlite3* db, const char* sql, const std::filesystem::path& file) {
    sqlite3_stmt* select = nullptr;
    check(sqlite3_prepare_v2(db, sql, -1, &select, nullptr) == SQLITE_OK, sqlite3_errmsg(db));
    iconv_t cd = iconv_open("CP932", "UTF-8");
    check(cd != reinterpret_cast<iconv_t>(-1), "iconv_open");
    std::FILE* out = std::fopen(file.c_str(), "wb");
    check(out != nullptr, "fopen");
    std::string line;
    std::string bytes;
    std::int64_t rows = 0;
    const int columns = sqlite3_column_count(select);
    while (sqlite3_step(select) == SQLITE_ROW) {
        line.clear();
        for (int c = 0; c < columns; ++c) {
            line += c ? ",\"" : "\"";
            if (const auto* text = sqlite3_column_text(select, c))
                line += reinterpret_cast<const char*>(text);
            line += '"';
        }
        line += "\r\n";
        bytes.resize(line.size());
        char* in = line.data();
        std::size_t inLeft = line.size();
        char* to = bytes.data();
        std::size_t toLeft = bytes.size();
        check(iconv(cd, &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1), "iconv");
        std::fwrite(bytes.data(), 1, bytes.size() - toLeft, out);
        ++rows;
    }
    check(std::fclose(out) == 0, "fclose");
    iconv_close(cd);
    sqlite3_finalize(select);
    return rows;
}

// Processor seconds of this thread so far.
double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Seconds of the floor of one export.
double floorSeconds(const std::filesystem::path& folder, kanata::ExportSource source) {
    const auto start = std::chrono::steady_clock::now();
    sqlite3* db = nullptr;
    const bool history = source == kanata::ExportSource::History;
    const auto file = folder / (history ? "RecvHis.DB" : "Meibo.DB");
    check(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK,
          "cannot open the floor's table");
    if (history) {
        const std::string attach = "ATTACH '" + (folder / "Meibo.DB").string() + "' AS roster";
        check(sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK, "attach");
    }
    const std::int64_t rows =
        writeFloor(db, history ? kHistoryFloorSql : kRosterFloorSql, folder / "floor.txt");
    sqlite3_close(db);
    check(rows == kRows, "the floor did not write every row");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void exportAll(benchmark::State& state, kanata::ExportSource source) {
    Data& d = data();
    kanata::ExportJob job;
    job.source = source;
    job.layout.setAll(kanata::kExportItemCount);
    job.captions = kanata::ExportItemCaptions(source, {"内容", "メモ", "受付"});
    job.range = kanata::ExportRange::All;
    job.options.BindDblQuote = true;
    if (source == kanata::ExportSource::History)
        kanata::UseHistoryOrder(job);
    else
        kanata::UseRosterOrder(job, "");
    const auto file = d.folder / "export.txt";
    std::int64_t written = 0;
    double exportTotal = 0, floorTotal = 0, exportCpu = 0, floorCpu = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuSeconds();
        kanata::ExportWriter writer(d.dm->RecvHis(), d.dm->Meibo(), &d.hyphenation);
        written = kanata::WriteExportFile(writer, job, file, false);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpuAfterExport = threadCpuSeconds();
        state.SetIterationTime(seconds);
        exportTotal += seconds;
        exportCpu += cpuAfterExport - cpuStart;
        floorTotal += floorSeconds(d.folder, source);
        floorCpu += threadCpuSeconds() - cpuAfterExport;
    }
    if (written != kRows)
        state.SkipWithError("not every row was written");
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(written),
                                                  benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    state.counters["floor_ms"] =
        benchmark::Counter(floorTotal * 1000, benchmark::Counter::kAvgIterations);
    state.counters["x_floor"] = exportTotal / floorTotal;
    state.counters["cpu_ms"] =
        benchmark::Counter(exportCpu * 1000, benchmark::Counter::kAvgIterations);
    state.counters["floor_cpu_ms"] =
        benchmark::Counter(floorCpu * 1000, benchmark::Counter::kAvgIterations);
    state.counters["x_floor_cpu"] = exportCpu / floorCpu;
}

void History(benchmark::State& s) {
    exportAll(s, kanata::ExportSource::History);
}
void Roster(benchmark::State& s) {
    exportAll(s, kanata::ExportSource::Roster);
}

BENCHMARK(History)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(Roster)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

} // namespace
