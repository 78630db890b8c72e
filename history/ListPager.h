#pragma once
// Pages through one table along one index, a page of rows at a time, with
// an SQL filter: the paging shared by the history list and the roster list.
//
// Page 1 holds the first rows of the walking direction (the newest calls for
// the history, which walks its date index backwards). Counting and skipping
// run in SQL, so a filter never brings the whole table into the program.
#include "data/OrderPrefetch.h"
#include "data/Table.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kanata {

// An SQL condition with "?" parameters (values and text conditions);
// empty admits every row.
struct RowFilter {
    std::string where;
    ConditionArgs args;
    bool empty() const { return where.empty(); }
    bool operator==(const RowFilter&) const = default;
};

enum class PageMode {
    Refill = 0,   // page 0 = the current page again, else that page
    Previous = 1, // the page before (towards page 1)
    Next = 2,     // the page after
};

enum class PageOutcome {
    Filled,          // rows are shown
    Empty,           // nothing matches: no rows, no page
    BoundaryMissing, // the row at the edge of the page has gone
    NoPreviousPage,
    NoNextPage,
};

// The error text shown for an outcome that leaves the page as it was; empty
// for Filled and Empty.
std::string PageOutcomeMessage(PageOutcome outcome);

// Total pages: count div page size, plus one for a remainder.
int TotalPages(std::int64_t count, int pageSize);

class ListPager {
public:
    // `index` names one of the table's indexes (empty = RecNo); `backwards`
    // walks it from its last row, so that page 1 holds the greatest keys.
    ListPager(Table& table, std::string index, bool backwards, int pageSize);

    void setPageSize(int pageSize) { pageSize_ = pageSize > 0 ? pageSize : 1; }
    int pageSize() const { return pageSize_; }

    // Fills a page. On BoundaryMissing, NoPreviousPage and NoNextPage the
    // rows, page and keys stay as they were. Throws sql::SqliteError.
    PageOutcome refresh(PageMode mode, int page, const RowFilter& filter);

    const std::vector<Record>& rows() const { return rows_; }
    std::vector<std::int64_t> keys() const;
    int page() const { return page_; }
    std::int64_t count() const { return count_; }
    // The running number of the first row shown (1 = first row of page 1).
    std::int64_t firstNumber() const { return firstNumber_; }
    std::optional<std::int64_t> firstKey() const { return firstKey_; }
    std::optional<std::int64_t> lastKey() const { return lastKey_; }

    bool jumpVisible() const { return count_ > pageSize_; }
    bool previousVisible() const { return !rows_.empty() && page_ >= 2; }
    bool nextVisible() const;
    int totalPages() const { return TotalPages(count_, pageSize_); }
    // How many refills sorted a whole order on the table's own connection
    // (the others found their page from a row of the page shown or from one
    // the table's prefetch marked).
    int wholeOrderSorts() const { return wholeOrderSorts_; }
    // How many refills took their page's place and the count from the marks
    // alone, the server having committed nothing since the sort that made
    // them.
    int pagesFromMarks() const { return pagesFromMarks_; }

private:
    // The first row shown, found again: its key in the order, how many rows
    // the condition admits, and how many of them lie before it.
    struct Anchor {
        std::vector<FieldValue> key;
        std::int64_t admitted = 0;
        std::int64_t before = 0;
    };

    PageOutcome refill(int page, const RowFilter& filter);
    bool onServer() const;
    bool insideOrderOnServer(const RowFilter& filter) const;
    Query wholeOrderQuery(const RowFilter& filter) const;
    std::vector<std::int64_t> wholeOrder(const RowFilter& filter);
    bool marked(const RowFilter& filter) const;
    bool freshlyMarked(const RowFilter& filter);
    std::optional<std::int64_t> markedStart(const RowFilter& filter);
    bool pageAsMarked(const RowFilter& filter);
    void prefetchMarks(const RowFilter& filter);
    void sortAgain(const RowFilter& filter);
    std::optional<Anchor> anchorOnServer(const RowFilter& filter);
    bool nearAnchor(std::int64_t anchorAt, std::int64_t skip) const;
    std::optional<std::vector<Record>> aroundAnchor(const Anchor& anchor, const RowFilter& filter,
                                                    std::int64_t skip, std::int64_t wanted);
    static std::vector<std::int64_t> slice(const std::vector<std::int64_t>& keys, std::int64_t skip,
                                           std::int64_t wanted);
    // Takes the rows read as the page shown, its first row numbered
    // `firstNumber`.
    PageOutcome shown(const RowFilter& filter, std::int64_t firstNumber);
    std::vector<Record> readPage(const RowFilter& filter, std::int64_t skip, std::int64_t wanted);
    PageOutcome step(bool towardsPageOne, const RowFilter& filter);
    Query walk(bool forward, const RowFilter& filter, std::int64_t skipped) const;
    std::optional<std::vector<Record>> readThroughKeys(bool forward, const RowFilter& filter,
                                                       std::int64_t skipped, std::int64_t wanted);
    std::optional<std::vector<std::int64_t>>
    pickAlongIndex(const std::vector<std::int64_t>& admitted, bool descending, std::int64_t skipped,
                   std::int64_t wanted);
    std::vector<FieldValue> keyOf(const Record& row) const;
    void clear();

    Table& table_;
    std::string index_;
    std::vector<int> indexFields_; // positions of the index's fields in a Record
    bool backwards_;
    int pageSize_;
    std::vector<Record> rows_;
    int page_ = 1;
    std::int64_t count_ = 0;
    std::int64_t tableRows_ = 0; // about, with or without the filter, at the last refill
    std::int64_t firstNumber_ = 1;
    std::optional<std::int64_t> firstKey_, lastKey_;
    bool afterPreviousMove_ = false;
    RowFilter shownFilter_; // the condition the rows shown were read under
    // The first row of each page, as the last sort of the whole order on a
    // server found them.
    struct PageMarks {
        RowFilter filter;
        int pageSize = 0;
        OrderMarks order;
    } marks_;
    int wholeOrderSorts_ = 0;
    int pagesFromMarks_ = 0;
};

} // namespace kanata
