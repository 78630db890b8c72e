// Exports 100,000 history rows with all 28 items (so every row looks up its
// caller in a 100,000-record roster) and 100,000 roster records with all 28
// items, to a text file on disk, with hyphenation on. Run from a release tree:
//   build/release/bench/bench_export
#include "data/Hyphenation.h"
#include "transfer/ExportRun.h"

#include "bench/BenchTables.h"

#include <benchmark/benchmark.h>
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
    for (auto _ : state) {
        kanata::ExportWriter writer(d.dm->RecvHis(), d.dm->Meibo(), &d.hyphenation);
        written = kanata::WriteExportFile(writer, job, file, false);
    }
    if (written != kRows)
        state.SkipWithError("not every row was written");
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(written),
                                                  benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}

void History(benchmark::State& s) {
    exportAll(s, kanata::ExportSource::History);
}
void Roster(benchmark::State& s) {
    exportAll(s, kanata::ExportSource::Roster);
}

BENCHMARK(History)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Roster)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
