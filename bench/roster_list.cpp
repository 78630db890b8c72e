// Refills pages of the roster list from a 100,000-row roster, as the list
// does when its sort order or conditions change: every sort order under a
// name, an address and a company condition, each beside the same refill
// without a condition. Run from a release tree:
//   build/release/bench/bench_roster_list
#include "history/ListPager.h"
#include "platform/MessageService.h"
#include "roster/MeiboCondition.h"

#include "bench/BenchServer.h"
#include "bench/BenchTables.h"
#include "bench/FloorComparison.h"
#include "bench/PageJumps.h"

#include <algorithm>
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
    Roster() : DataFolder(kanata::bench::ListStore()) {
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
        kanata::bench::SettleOnServer(table.database(), "Meibo");
    }
};

Roster& roster() {
    static Roster r;
    return r;
}

// The conditions measured: a two-character kana name (about one row in
// 200), a three-character address (one row in seven) and a company (about
// one row in 90).
kanata::MeiboCondition condition(int which) {
    kanata::MeiboCondition c;
    c.active = true;
    if (which == 1)
        c.nameKana = "ｱｲ";
    else if (which == 2)
        c.address = "日本橋";
    else
        c.corpKanji = "商事12";
    return c;
}

// Refills page 1 (page:0) or the middle page (page:1, the farthest from
// both ends) of one sort order under one condition, against the same
// refill without a condition: the page shown filled again, as when a call
// comes in or a row is written.
void Refill(benchmark::State& state) {
    const auto sort = static_cast<kanata::MeiboSort>(state.range(0));
    const kanata::RowFilter filter =
        kanata::MeiboRowFilter(condition(static_cast<int>(state.range(1))));
    auto& table = roster().dm->Meibo().table();
    kanata::ListPager pager(table, kanata::MeiboSortIndex(sort), false, kPage);
    kanata::ListPager plain(table, kanata::MeiboSortIndex(sort), false, kPage);
    pager.refresh(kanata::PageMode::Refill, 1, filter);
    const int page = state.range(2) ? std::max(1, pager.totalPages() / 2) : 1;
    plain.refresh(kanata::PageMode::Refill, page, {});
    kanata::bench::AgainstFloor(
        state, [&] { pager.refresh(kanata::PageMode::Refill, page, filter); },
        [&] { plain.refresh(kanata::PageMode::Refill, page, {}); });
    if (pager.rows().empty())
        state.SkipWithError("no rows");
    state.counters["matching"] = static_cast<double>(pager.count());
}

// Jumps between pages far apart in one sort order under one condition
// (first:1 the first jump under it asked for at once, first:2 after a
// person's pause, first:3 the first after another desk's commit, with the
// same pause).
void Jump(benchmark::State& state) {
    const std::int64_t count = kanata::bench::JumpBetweenPages(
        state, roster().dm->Meibo().table(),
        kanata::MeiboSortIndex(static_cast<kanata::MeiboSort>(state.range(0))), false, kPage,
        kanata::MeiboRowFilter(condition(static_cast<int>(state.range(1)))),
        static_cast<kanata::bench::JumpKind>(state.range(2)));
    state.counters["matching"] = static_cast<double>(count);
}

// The filtered count alone, against counting as many rows along the
// primary key.
void Count(benchmark::State& state) {
    const kanata::RowFilter filter =
        kanata::MeiboRowFilter(condition(static_cast<int>(state.range(0))));
    auto& table = roster().dm->Meibo().table();
    const std::int64_t matching = table.count(filter.where, filter.args);
    std::int64_t counted = 0;
    kanata::bench::AgainstFloor(
        state, [&] { counted = table.count(filter.where, filter.args); },
        [&] { benchmark::DoNotOptimize(table.count("\"RecNo\" < ?", {matching})); });
    state.counters["matching"] = static_cast<double>(counted);
}

BENCHMARK(Refill)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {1, 2, 3}, {0, 1}})
    ->ArgNames({"sort", "cond", "middle"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Jump)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {2, 3}, {0, 1}})
    ->ArgNames({"sort", "cond", "first"})
    ->Unit(benchmark::kMillisecond);
// A set number of jumps, as each waits for a person's pause first.
BENCHMARK(Jump)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {2, 3}, {2, 3}})
    ->ArgNames({"sort", "cond", "first"})
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Count)->DenseRange(1, 3)->ArgName("cond")->Unit(benchmark::kMillisecond);

} // namespace
