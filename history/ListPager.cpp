#include "history/ListPager.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

namespace kanata {
namespace {
// The widest range of RecNos marked for a walk: 2 MB of marks.
constexpr std::int64_t kMostMarkedSpan = std::int64_t{1} << 24;
} // namespace

std::string PageOutcomeMessage(PageOutcome outcome) {
    switch (outcome) {
    case PageOutcome::BoundaryMissing:
        return "該当するデータが見つかりませんでした";
    case PageOutcome::NoPreviousPage:
        return "前頁のデータが見つかりませんでした";
    case PageOutcome::NoNextPage:
        return "次頁のデータが見つかりませんでした";
    default:
        return {};
    }
}

int TotalPages(std::int64_t count, int pageSize) {
    if (pageSize <= 0 || count <= 0)
        return 0;
    return static_cast<int>(count / pageSize + (count % pageSize ? 1 : 0));
}

ListPager::ListPager(Table& table, std::string index, bool backwards, int pageSize)
    : table_(table), index_(std::move(index)), backwards_(backwards),
      pageSize_(pageSize > 0 ? pageSize : 1) {
    if (!index_.empty()) {
        const auto& indexes = table_.def().indexes;
        auto it = std::find_if(indexes.begin(), indexes.end(),
                               [&](const IndexDef& d) { return d.name == index_; });
        if (it == indexes.end())
            throw std::invalid_argument("unknown index " + index_);
        for (const std::string& field : it->fields)
            indexFields_.push_back(table_.fieldIndex(field));
    }
}

std::vector<std::int64_t> ListPager::keys() const {
    std::vector<std::int64_t> keys;
    keys.reserve(rows_.size());
    for (const Record& row : rows_)
        keys.push_back(std::get<std::int64_t>(row[0]));
    return keys;
}

bool ListPager::nextVisible() const {
    if (rows_.empty())
        return false;
    return afterPreviousMove_ || static_cast<std::int64_t>(page_) * pageSize_ < count_;
}

PageOutcome ListPager::refresh(PageMode mode, int page, const RowFilter& filter) {
    switch (mode) {
    case PageMode::Previous:
        return step(true, filter);
    case PageMode::Next:
        return step(false, filter);
    default:
        return refill(page, filter);
    }
}

void ListPager::clear() {
    rows_.clear();
    firstKey_.reset();
    lastKey_.reset();
    afterPreviousMove_ = false;
}

Query ListPager::walk(bool forward, const RowFilter& filter, std::int64_t skipped) const {
    Query q;
    // Fetching the rows an indexed condition picks costs about ten index
    // steps a row, as they are then sorted; walking the order costs the
    // steps up to the last row wanted, where one in table/count rows passes.
    const double picked = static_cast<double>(count_);
    q.walkIndex = !filter.empty() &&
                  picked * picked * 10 >
                      static_cast<double>(skipped + pageSize_) * static_cast<double>(tableRows_);
    q.index = index_;
    q.descending = forward == backwards_;
    q.where = filter.where;
    q.whereArgs = filter.args;
    q.limit = pageSize_;
    return q;
}

// A page beyond the first under a condition the substring index answers:
// testing the condition on every row walked over before the page costs
// several times more than walking the index's RecNos and picking those the
// index listed. The rows and their order are those of the walk with OFFSET.
std::optional<std::vector<Record>> ListPager::readThroughKeys(bool forward, const RowFilter& filter,
                                                              std::int64_t skipped,
                                                              std::int64_t wanted) {
    if (filter.empty() || skipped == 0)
        return std::nullopt;
    // Few rows admitted along an index: fetching and sorting them beats any
    // walk.
    if (!index_.empty() && !walk(forward, filter, skipped).walkIndex)
        return std::nullopt;
    std::optional<std::vector<std::int64_t>> admitted =
        table_.indexedKeys(filter.where, filter.args);
    if (!admitted)
        return std::nullopt;
    const bool descending = forward == backwards_;
    std::vector<std::int64_t> picked;
    if (index_.empty()) {
        // Along RecNo the admitted keys in order are the walk itself.
        std::sort(admitted->begin(), admitted->end());
        if (descending)
            std::reverse(admitted->begin(), admitted->end());
        picked = slice(*admitted, skipped, wanted);
    } else if (auto along = pickAlongIndex(*admitted, descending, skipped, wanted)) {
        picked = std::move(*along);
    } else {
        return std::nullopt;
    }
    return table_.readKeys(picked);
}

// Rows `skipped` .. `skipped + wanted - 1` of the walk along the index that
// `admitted` lets through; nullopt when its numbers lie too far apart to be
// marked (written by another tool), which the walk with the condition reads.
std::optional<std::vector<std::int64_t>>
ListPager::pickAlongIndex(const std::vector<std::int64_t>& admitted, bool descending,
                          std::int64_t skipped, std::int64_t wanted) {
    if (admitted.empty())
        return std::vector<std::int64_t>{};
    const auto [least, most] = std::minmax_element(admitted.begin(), admitted.end());
    const std::int64_t base = *least;
    if (*most - base >= kMostMarkedSpan)
        return std::nullopt;
    const std::int64_t span = *most - base + 1;
    std::vector<bool> marked(static_cast<std::size_t>(span));
    for (std::int64_t key : admitted)
        marked[static_cast<std::size_t>(key - base)] = true;
    std::vector<std::int64_t> picked;
    std::int64_t passed = 0;
    table_.walkKeys(index_, descending, [&](std::int64_t key) {
        const std::int64_t at = key - base;
        if (at < 0 || at >= span || !marked[static_cast<std::size_t>(at)])
            return true;
        if (passed++ >= skipped)
            picked.push_back(key);
        return static_cast<std::int64_t>(picked.size()) < wanted;
    });
    return picked;
}

std::vector<FieldValue> ListPager::keyOf(const Record& row) const {
    std::vector<FieldValue> key;
    for (int field : indexFields_)
        key.push_back(row[static_cast<std::size_t>(field)]);
    key.push_back(row[0]);
    return key;
}

bool ListPager::onServer() const {
    return table_.database().engine() == sql::Engine::Postgresql;
}

bool ListPager::insideOrderOnServer(const RowFilter& filter) const {
    return !filter.empty() && onServer() && page_ > 1 && page_ < totalPages();
}

Query ListPager::wholeOrderQuery(const RowFilter& filter) const {
    Query q;
    q.index = index_;
    q.descending = backwards_;
    q.where = filter.where;
    q.whereArgs = filter.args;
    return q;
}

// A page inside a server's order under a condition: every admitted row is
// sorted either way (by the desk, see Table::keysInOrder), and their record
// numbers also count them, where a count of its own would look them all up again
// (a history's middle page under 田中: 13.5 ms as a count and a page, 9 ms
// so). Page 1 and the last page come sooner from a count and a short walk;
// the count of the refill before tells which page that is. The first row of
// each page is kept, for the pages asked for by number later.
std::vector<std::int64_t> ListPager::wholeOrder(const RowFilter& filter) {
    const Query query = wholeOrderQuery(filter);
    table_.orderPrefetch().dropUnstarted(query, pageSize_);
    OrderRead order = ReadWholeOrder(table_, query);
    ++wholeOrderSorts_;
    marks_ = {filter, pageSize_, MarkPages(order, pageSize_)};
    return std::move(order.keys);
}

bool ListPager::marked(const RowFilter& filter) const {
    return filter == marks_.filter && pageSize_ == marks_.pageSize;
}

// Takes the prefetch's marks of `filter`'s order unless those kept are of
// it and were made while the server committed nothing; true when those
// kept then are.
bool ListPager::freshlyMarked(const RowFilter& filter) {
    if (!marked(filter) || !marks_.order.committed)
        if (auto order = table_.orderPrefetch().marks(wholeOrderQuery(filter), pageSize_))
            marks_ = {filter, pageSize_, std::move(*order)};
    return marked(filter) && marks_.order.committed;
}

// The first row of page page_ as the last sort of the whole order under
// `filter` marked it, here or on the prefetch's connection (on a server).
std::optional<std::int64_t> ListPager::markedStart(const RowFilter& filter) {
    freshlyMarked(filter);
    const auto mark = static_cast<std::size_t>(page_ - 1);
    if (marked(filter) && mark < marks_.order.starts.size())
        return marks_.order.starts[mark];
    return std::nullopt;
}

// With nothing committed on the server since the sort that marked the pages
// under `filter`, the marks still place every admitted row: the page is one
// walk from its marked first row, and the count is the sort's, where
// counting again visits every admitted row (5 ms of a roster's page under
// 日本橋). A commit found after the walk leaves the page to be placed by
// counting, and has the order sorted again meanwhile for the jumps after.
bool ListPager::pageAsMarked(const RowFilter& filter) {
    // The list's own writes not yet committed are not in the marks.
    if (table_.database().inTransaction())
        return false;
    const std::optional<std::int64_t> start = markedStart(filter);
    if (!start || !marks_.order.committed)
        return false;
    const std::optional<Record> row = table_.find(*start);
    if (!row)
        return false;
    const std::int64_t skip = static_cast<std::int64_t>(page_ - 1) * pageSize_;
    Query forth = walk(true, filter, 0);
    forth.from = keyOf(*row);
    forth.limit = static_cast<int>(std::min<std::int64_t>(pageSize_, marks_.order.admitted - skip));
    std::vector<Record> rows = table_.read(forth);
    if (table_.committedState() != marks_.order.committed) {
        sortAgain(filter);
        return false;
    }
    count_ = marks_.order.admitted;
    clear();
    rows_ = std::move(rows);
    ++pagesFromMarks_;
    return true;
}

// The first page asked for by number under a new condition on a server
// finds no row near it to start from and sorts every admitted row (15-25
// ms under 日本橋). Typing the number takes a person longer than that sort,
// so it runs meanwhile on a connection of its own, once per condition, and
// only where the order has pages between its first and its last.
//
// A page refilled after a commit (another desk's, announced) has the order
// sorted again too, so that the jump after it finds fresh marks instead of
// counting (7-15 ms under 日本橋).
void ListPager::prefetchMarks(const RowFilter& filter) {
    if (filter.empty() || !onServer() || totalPages() < 3)
        return;
    if (!freshlyMarked(filter)) {
        table_.orderPrefetch().request(wholeOrderQuery(filter), pageSize_, marked(filter));
        return;
    }
    const std::optional<std::string> committed = table_.committedState();
    if (committed && committed != marks_.order.committed)
        sortAgain(filter);
}

// The marks kept no longer stand for what the server holds: they place no
// page until the prefetch has sorted the order again.
void ListPager::sortAgain(const RowFilter& filter) {
    marks_.order.committed.reset();
    table_.orderPrefetch().request(wholeOrderQuery(filter), pageSize_, true);
}

// The page shown again, or one beside it, or a page whose first row the
// last sort of the whole order marked, under the same condition: how many
// admitted rows now lie before that row tells where it stands, without
// sorting them all (a roster's middle page under 日本橋 in address order:
// 21.6 ms sorted, 5 ms counted). nullopt when neither is at hand: the page
// shown too far from the one asked for, the marked row gone.
std::optional<ListPager::Anchor> ListPager::anchorOnServer(const RowFilter& filter) {
    const std::int64_t skip = static_cast<std::int64_t>(page_ - 1) * pageSize_;
    // The key of the first row shown marks its place in the order even
    // once the row has changed or gone, so it needs no reading.
    std::optional<Record> row;
    if (!rows_.empty() && filter == shownFilter_ && nearAnchor(firstNumber_ - 1, skip))
        row = rows_.front();
    else if (const std::optional<std::int64_t> start = markedStart(filter))
        row = table_.find(*start);
    if (!row)
        return std::nullopt;
    Query before = walk(false, filter, 0);
    before.from = keyOf(*row);
    before.fromInclusive = false;
    const Table::StartSplit split = table_.countSplitAtStart(before);
    return Anchor{before.from, split.admitted, split.fromStart};
}

bool ListPager::nearAnchor(std::int64_t anchorAt, std::int64_t skip) const {
    return anchorAt >= 0 && std::abs(anchorAt - skip) <= pageSize_;
}

// Rows skip .. skip + wanted - 1 of the order, walked from the anchor: the
// ones before it backwards, the rest forwards from it.
std::optional<std::vector<Record>> ListPager::aroundAnchor(const Anchor& anchor,
                                                           const RowFilter& filter,
                                                           std::int64_t skip, std::int64_t wanted) {
    if (!nearAnchor(anchor.before, skip))
        return std::nullopt;
    std::vector<Record> rows;
    if (anchor.before > skip) {
        Query back = walk(false, filter, 0);
        back.from = anchor.key;
        back.fromInclusive = false;
        back.limit = static_cast<int>(anchor.before - skip);
        rows = table_.read(back);
        std::reverse(rows.begin(), rows.end());
    }
    const std::int64_t dropped = std::max<std::int64_t>(0, skip - anchor.before);
    const std::int64_t ahead = skip + wanted - std::max(skip, anchor.before);
    if (ahead > 0) {
        Query forth = walk(true, filter, 0);
        forth.from = anchor.key;
        forth.limit = static_cast<int>(dropped + ahead);
        std::vector<Record> got = table_.read(forth);
        const auto from = got.begin() + std::min<std::int64_t>(dropped, got.size());
        rows.insert(rows.end(), std::make_move_iterator(from), std::make_move_iterator(got.end()));
    }
    if (static_cast<std::int64_t>(rows.size()) > wanted)
        rows.resize(static_cast<std::size_t>(wanted));
    return rows;
}

PageOutcome ListPager::refill(int page, const RowFilter& filter) {
    if (page != 0)
        page_ = page;
    const bool inside = insideOrderOnServer(filter);
    if (inside && pageAsMarked(filter))
        return shown(filter, static_cast<std::int64_t>(page_ - 1) * pageSize_ + 1);
    const std::optional<Anchor> anchor = inside ? anchorOnServer(filter) : std::nullopt;
    std::optional<std::vector<std::int64_t>> ordered;
    if (inside && !anchor)
        ordered = wholeOrder(filter);
    count_ = anchor    ? anchor->admitted
             : ordered ? static_cast<std::int64_t>(ordered->size())
                       : table_.count(filter.where, filter.args);
    // Only the choice of the way to the page rests on it.
    tableRows_ = filter.empty() ? count_ : table_.roughCount();
    clear();
    if (count_ == 0)
        return PageOutcome::Empty;
    // A page beyond the rows falls back to count div page size, which is the
    // page before the last one when the last page is a partial one.
    if (static_cast<std::int64_t>(page_ - 1) * pageSize_ + 1 > count_)
        page_ = std::max<std::int64_t>(1, count_ / pageSize_);
    const std::int64_t skip = static_cast<std::int64_t>(page_ - 1) * pageSize_;
    const std::int64_t wanted = std::min<std::int64_t>(pageSize_, count_ - skip);
    std::optional<std::vector<Record>> around;
    if (anchor)
        around = aroundAnchor(*anchor, filter, skip, wanted);
    if (anchor && !around)
        ordered = wholeOrder(filter);
    if (around)
        rows_ = std::move(*around);
    else if (ordered)
        rows_ = table_.readKeys(slice(*ordered, skip, wanted));
    else
        rows_ = readPage(filter, skip, wanted);
    prefetchMarks(filter);
    return shown(filter, static_cast<std::int64_t>(page_ - 1) * pageSize_ + 1);
}

std::vector<std::int64_t> ListPager::slice(const std::vector<std::int64_t>& keys, std::int64_t skip,
                                           std::int64_t wanted) {
    const auto size = static_cast<std::int64_t>(keys.size());
    const auto first = keys.begin() + std::min(skip, size);
    return {first, keys.begin() + std::min(skip + wanted, size)};
}

PageOutcome ListPager::shown(const RowFilter& filter, std::int64_t firstNumber) {
    firstNumber_ = firstNumber;
    if (rows_.empty())
        return PageOutcome::Empty;
    firstKey_ = std::get<std::int64_t>(rows_.front()[0]);
    lastKey_ = std::get<std::int64_t>(rows_.back()[0]);
    shownFilter_ = filter;
    return PageOutcome::Filled;
}

// Skipping runs through every admitted row before the page; a page in the
// far half is reached sooner from the other end of the index.
std::vector<Record> ListPager::readPage(const RowFilter& filter, std::int64_t skip,
                                        std::int64_t wanted) {
    const std::int64_t skipFromEnd = count_ - skip - wanted;
    const bool fromEnd = skipFromEnd < skip;
    const std::int64_t skipped = fromEnd ? skipFromEnd : skip;
    // From the end exactly the rows before the page are read, which a
    // partial last page makes fewer than a page.
    const std::int64_t limit = fromEnd ? wanted : pageSize_;
    std::vector<Record> rows;
    if (auto through = readThroughKeys(!fromEnd, filter, skipped, limit)) {
        rows = std::move(*through);
    } else {
        Query q = walk(!fromEnd, filter, skipped);
        q.offset = static_cast<int>(skipped);
        q.limit = static_cast<int>(limit);
        rows = table_.read(q);
    }
    if (fromEnd)
        std::reverse(rows.begin(), rows.end());
    return rows;
}

PageOutcome ListPager::step(bool towardsPageOne, const RowFilter& filter) {
    const auto edge = towardsPageOne ? firstKey_ : lastKey_;
    std::optional<Record> row;
    if (edge)
        row = table_.find(*edge);
    if (!row)
        return PageOutcome::BoundaryMissing;
    Query q = walk(!towardsPageOne, filter, 0);
    q.from = keyOf(*row);
    q.fromInclusive = false;
    std::vector<Record> got = table_.read(q);
    if (got.empty())
        return towardsPageOne ? PageOutcome::NoPreviousPage : PageOutcome::NoNextPage;
    const auto n = static_cast<std::int64_t>(got.size());
    if (towardsPageOne) {
        std::reverse(got.begin(), got.end());
        page_ = std::max(1, page_ - 1);
        // Numbered from the bottom: the last row of page p is p x page size.
        firstNumber_ = static_cast<std::int64_t>(page_) * pageSize_ - n + 1;
    } else {
        ++page_;
        firstNumber_ = static_cast<std::int64_t>(page_ - 1) * pageSize_ + 1;
    }
    rows_ = std::move(got);
    afterPreviousMove_ = towardsPageOne;
    return shown(filter, firstNumber_);
}

} // namespace kanata
