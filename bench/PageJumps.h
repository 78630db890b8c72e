#pragma once
// Jumps between the pages a third and two thirds into one order under one
// condition, as when a page number is typed, against the same jumps
// without the condition. `firstUnderCondition` makes each jump the first
// under the condition (the list just opened on page 1), which sorts the
// whole admitted order; otherwise the jumps start from the page starts
// that sort marked. Returns the admitted count.
#include "bench/FloorComparison.h"
#include "history/ListPager.h"

#include <algorithm>
#include <optional>
#include <string>

namespace kanata::bench {

inline std::int64_t JumpBetweenPages(benchmark::State& state, Table& table,
                                     const std::string& index, bool backwards, int pageSize,
                                     const RowFilter& filter, bool firstUnderCondition) {
    std::optional<ListPager> pager;
    const auto opened = [&] {
        pager.emplace(table, index, backwards, pageSize);
        pager->refresh(PageMode::Refill, 1, filter);
    };
    opened();
    ListPager plain(table, index, backwards, pageSize);
    const int pages[] = {std::max(2, pager->totalPages() / 3),
                         std::max(4, pager->totalPages() * 2 / 3)};
    plain.refresh(PageMode::Refill, pages[0], {});
    int next = 0;
    AgainstFloor(
        state, [&] { pager->refresh(PageMode::Refill, pages[next], filter); },
        [&] { plain.refresh(PageMode::Refill, pages[next], {}), next = 1 - next; },
        [&] {
            if (firstUnderCondition)
                opened();
        });
    if (pager->rows().empty())
        state.SkipWithError("no rows");
    return pager->count();
}

} // namespace kanata::bench
