#include "history/ListPager.h"

#include <algorithm>
#include <stdexcept>

namespace kanata {

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

std::vector<FieldValue> ListPager::keyOf(const Record& row) const {
    std::vector<FieldValue> key;
    for (int field : indexFields_)
        key.push_back(row[static_cast<std::size_t>(field)]);
    key.push_back(row[0]);
    return key;
}

PageOutcome ListPager::refill(int page, const RowFilter& filter) {
    if (page != 0)
        page_ = page;
    count_ = table_.count(filter.where, filter.args);
    tableRows_ = filter.empty() ? count_ : table_.count();
    clear();
    if (count_ == 0)
        return PageOutcome::Empty;
    // A page beyond the rows falls back to count div page size, which is the
    // page before the last one when the last page is a partial one.
    if (static_cast<std::int64_t>(page_ - 1) * pageSize_ + 1 > count_)
        page_ = std::max<std::int64_t>(1, count_ / pageSize_);
    // Skipping runs through every admitted row before the page; a page in
    // the far half is reached sooner from the other end of the index.
    const std::int64_t skip = static_cast<std::int64_t>(page_ - 1) * pageSize_;
    const std::int64_t wanted = std::min<std::int64_t>(pageSize_, count_ - skip);
    const std::int64_t skipFromEnd = count_ - skip - wanted;
    if (skipFromEnd < skip) {
        Query q = walk(false, filter, skipFromEnd);
        q.offset = static_cast<int>(skipFromEnd);
        q.limit = static_cast<int>(wanted);
        rows_ = table_.read(q);
        std::reverse(rows_.begin(), rows_.end());
    } else {
        Query q = walk(true, filter, skip);
        q.offset = static_cast<int>(skip);
        rows_ = table_.read(q);
    }
    firstNumber_ = static_cast<std::int64_t>(page_ - 1) * pageSize_ + 1;
    if (rows_.empty())
        return PageOutcome::Empty;
    firstKey_ = std::get<std::int64_t>(rows_.front()[0]);
    lastKey_ = std::get<std::int64_t>(rows_.back()[0]);
    return PageOutcome::Filled;
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
    firstKey_ = std::get<std::int64_t>(rows_.front()[0]);
    lastKey_ = std::get<std::int64_t>(rows_.back()[0]);
    return PageOutcome::Filled;
}

} // namespace kanata
