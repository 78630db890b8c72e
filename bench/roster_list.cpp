// Refills page 1 of the roster list from a 100,000-row roster, as the list
// does when its sort order or conditions change: in address order and in
// name order, each without conditions and with a name condition (which the
// list counts and filters in SQL over every row). Run from a release tree:
//   build/release/bench/bench_roster_list
#include "history/ListPager.h"
#include "platform/MessageService.h"
#include "roster/MeiboCondition.h"

#include "bench/BenchTables.h"

#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

constexpr int kRows = 100000;
constexpr int kPage = 200;

const char* const kKana[] = {"ｱ", "ｲ", "ｳ", "ｴ", "ｵ", "ｶ", "ｷ", "ｸ", "ｹ", "ｺ",
                             "ｻ", "ｼ", "ｽ", "ｾ", "ｿ", "ﾀ", "ﾁ", "ﾂ", "ﾃ", "ﾄ"};
const char* const kTowns[] = {"丸の内", "大手町", "日本橋", "神田", "有楽町", "銀座", "築地"};

std::string kanaName(int n) {
    return std::string(kKana[n % 20]) + kKana[(n / 20) % 20] + kKana[(n / 400) % 20];
}

// One roster for every benchmark of this run, built in one transaction.
struct Roster : kanata::bench::DataFolder {
    Roster() {
        if (!dm->OpenMeibo())
            throw std::runtime_error("cannot open");
        auto& table = dm->Meibo().table();
        kanata::sql::Transaction tx(table.database());
        kanata::sql::Statement insert(
            table.database(),
            "INSERT INTO Meibo (RecNo, SchTel1, Tel1, SchTel2, Tel2, Tdfkn, Adrs1, Adrs2, "
            "Adrs3, JisCode, CorpKana, CorpKanji, NameKana, NameKanji) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < kRows; ++i) {
            const std::string tel = "03" + std::to_string(30000000 + (i * 7919) % 9000000);
            const std::string mobile = i % 3 ? "" : "090" + std::to_string(10000000 + i);
            insert.reset();
            insert.bind(1, i).bind(2, tel).bind(3, tel).bind(4, mobile).bind(5, mobile);
            insert.bind(6, "東京都").bind(7, "千代田区");
            insert.bind(8, std::string(kTowns[i % 7]) + std::to_string(i % 5 + 1) + "丁目");
            insert.bind(9, std::to_string(i % 40 + 1) + "-" + std::to_string(i % 9 + 1));
            insert.bind(10, std::to_string(13101 + i % 23));
            insert.bind(11, kanaName(i * 31) + "ｼｮｳｼﾞ");
            insert.bind(12, "商事" + std::to_string(i % 997));
            insert.bind(13, kanaName(i));
            insert.bind(14, "名前" + std::to_string(i));
            insert.step();
        }
        tx.commit();
    }
};

Roster& roster() {
    static Roster r;
    return r;
}

void refillPage1(benchmark::State& state, kanata::MeiboSort sort, bool nameCondition) {
    kanata::MeiboCondition condition;
    if (nameCondition) {
        condition.active = true;
        condition.nameKana = "ｱｲ"; // a part of the kana name: about one row in 200
    }
    const kanata::RowFilter filter = kanata::MeiboRowFilter(condition);
    kanata::ListPager pager(roster().dm->Meibo().table(), kanata::MeiboSortIndex(sort), false,
                            kPage);
    for (auto _ : state) {
        const auto outcome = pager.refresh(kanata::PageMode::Refill, 1, filter);
        if (outcome != kanata::PageOutcome::Filled)
            state.SkipWithError("no rows");
        benchmark::DoNotOptimize(pager.rows().data());
    }
    state.counters["rows"] = static_cast<double>(pager.rows().size());
    state.counters["matching"] = static_cast<double>(pager.count());
}

void AddressOrder(benchmark::State& s) {
    refillPage1(s, kanata::MeiboSort::Address, false);
}
void AddressOrderNameCondition(benchmark::State& s) {
    refillPage1(s, kanata::MeiboSort::Address, true);
}
void NameOrder(benchmark::State& s) {
    refillPage1(s, kanata::MeiboSort::NameKana, false);
}
void NameOrderNameCondition(benchmark::State& s) {
    refillPage1(s, kanata::MeiboSort::NameKana, true);
}

BENCHMARK(AddressOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(AddressOrderNameCondition)->Unit(benchmark::kMillisecond);
BENCHMARK(NameOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(NameOrderNameCondition)->Unit(benchmark::kMillisecond);

} // namespace
