#pragma once
// Jumps between the pages a third and two thirds into one order under one
// condition, as when a page number is typed, against the same jumps
// without the condition. Each jump is a later one, starting from the page
// starts an earlier sort marked (JumpKind::Later), or the first under the
// condition, the list just opened on page 1: asked for at once, while the
// order may still be sorted on the prefetch's connection, or asked for
// after the pause a person takes to read page 1 and type a number; or the
// first after another desk's commit, which the list, open on page 1 under
// the condition, was told of and refilled its page for (JumpKind::
// AfterACommit), after the same pause.
// `sorted_here` is the share of jumps that sorted the whole order on the
// list's own connection, `from_marks` the share placed by the marks alone
// (nothing committed since they were made). Returns the admitted count.
#include "bench/FloorComparison.h"
#include "history/ListPager.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace kanata::bench {

enum class JumpKind { Later = 0, FirstAtOnce = 1, FirstAfterAPause = 2, AfterACommit = 3 };

// Reading page 1, opening the page dialog and typing a number take a person
// longer than this.
constexpr std::chrono::milliseconds kPersonsPause{100};

inline std::int64_t JumpBetweenPages(benchmark::State& state, Table& table,
                                     const std::string& index, bool backwards, int pageSize,
                                     const RowFilter& filter, JumpKind kind) {
    // The table keeps the marks of the last condition sorted for any of its
    // lists: first jumps take turns between the condition and two
    // bracketed twins, which admit the same rows, so that each one finds
    // another condition sorted last (`sorted_here` shows where not).
    RowFilter twins[3] = {filter, filter, filter};
    twins[1].where = "(" + filter.where + ")";
    twins[2].where = "((" + filter.where + "))";
    int turn = 0;
    const RowFilter* asked = &filter;
    std::optional<ListPager> pager;
    const bool reopened = kind == JumpKind::FirstAtOnce || kind == JumpKind::FirstAfterAPause;
    const auto opened = [&] {
        if (reopened)
            asked = &twins[turn++ % 3];
        pager.emplace(table, index, backwards, pageSize);
        pager->refresh(PageMode::Refill, 1, *asked);
    };
    opened();
    ListPager plain(table, index, backwards, pageSize);
    // Another desk: it rewrites a row as it stands, which commits.
    std::unique_ptr<Table> desk = kind == JumpKind::AfterACommit ? table.readerOpener()() : nullptr;
    const auto committedElsewhere = [&] {
        pager->refresh(PageMode::Refill, 1, *asked);
        desk->update(*desk->find(plain.keys().front()));
        pager->refresh(PageMode::Refill, 1, *asked);
    };
    const int pages[] = {std::max(2, pager->totalPages() / 3),
                         std::max(4, pager->totalPages() * 2 / 3)};
    plain.refresh(PageMode::Refill, pages[0], {});
    int next = 0;
    int sortedHere = 0;
    int fromMarks = 0;
    AgainstFloor(
        state,
        [&] {
            const int sortsBefore = pager->wholeOrderSorts();
            const int markedBefore = pager->pagesFromMarks();
            pager->refresh(PageMode::Refill, pages[next], *asked);
            sortedHere += pager->wholeOrderSorts() - sortsBefore;
            fromMarks += pager->pagesFromMarks() - markedBefore;
        },
        [&] { plain.refresh(PageMode::Refill, pages[next], {}), next = 1 - next; },
        [&] {
            if (reopened)
                opened();
            if (kind == JumpKind::AfterACommit)
                committedElsewhere();
            if (kind == JumpKind::FirstAfterAPause || kind == JumpKind::AfterACommit)
                std::this_thread::sleep_for(kPersonsPause);
        });
    if (pager->rows().empty())
        state.SkipWithError("no rows");
    state.counters["sorted_here"] =
        static_cast<double>(sortedHere) / static_cast<double>(state.iterations());
    state.counters["from_marks"] =
        static_cast<double>(fromMarks) / static_cast<double>(state.iterations());
    return pager->count();
}

} // namespace kanata::bench
