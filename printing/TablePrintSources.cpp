#include "printing/TablePrintSources.h"

#include "data/Cp932.h"
#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"
#include "printing/PrintValues.h"

#include <algorithm>

namespace kanata {

namespace {
constexpr int kBatch = 500;
} // namespace

std::int64_t ChoiceCount(const PrintChoice& choice, std::int64_t matching) {
    switch (choice.mode) {
    case PrintChoice::Mode::Selection:
        return static_cast<std::int64_t>(choice.selected.size());
    case PrintChoice::Mode::Range: {
        const std::int64_t end = std::min(choice.end, matching);
        return choice.begin < 1 || end < choice.begin ? 0 : end - choice.begin + 1;
    }
    case PrintChoice::Mode::All:
        break;
    }
    return matching;
}

TableWalk::TableWalk(Table& table, std::string index, bool descending, RowFilter filter,
                     std::int64_t skip)
    : table_(table), index_(std::move(index)), descending_(descending), filter_(std::move(filter)),
      skip_(skip) {}

std::optional<Record> TableWalk::next() {
    if (at_ >= batch_.size()) {
        if (exhausted_)
            return std::nullopt;
        Query q;
        q.index = index_;
        q.descending = descending_;
        q.where = filter_.where;
        q.whereArgs = filter_.args;
        q.limit = kBatch;
        if (last_) {
            // Continue exactly after the last row: its index fields, then RecNo.
            const TableDef& def = table_.def();
            const auto idx = std::find_if(def.indexes.begin(), def.indexes.end(),
                                          [&](const IndexDef& i) { return i.name == index_; });
            if (idx != def.indexes.end())
                for (const std::string& field : idx->fields)
                    q.from.push_back((*last_)[static_cast<std::size_t>(table_.fieldIndex(field))]);
            q.from.push_back((*last_)[0]);
            q.fromInclusive = false;
        } else {
            q.offset = static_cast<int>(skip_);
        }
        batch_ = table_.read(q);
        at_ = 0;
        exhausted_ = static_cast<int>(batch_.size()) < kBatch;
        if (batch_.empty())
            return std::nullopt;
    }
    last_ = batch_[at_++];
    return last_;
}

void TableWalk::skip(std::int64_t count) {
    if (count <= 0)
        return;
    if (!last_ && batch_.empty() && !exhausted_) {
        skip_ += count;
        return;
    }
    while (count-- > 0 && next())
        ;
}

HistoryPrintSource::HistoryPrintSource(RecvHisTable& history, MeiboTable* roster,
                                       PrintChoice choice, bool ignoreTdfkn)
    : history_(history), roster_(roster), choice_(std::move(choice)), ignoreTdfkn_(ignoreTdfkn) {
    if (choice_.mode != PrintChoice::Mode::Selection)
        walk_.emplace(history_.table(), "RecvDateTime", true, choice_.filter,
                      choice_.mode == PrintChoice::Mode::Range ? choice_.begin - 1 : 0);
}

std::optional<Record> HistoryPrintSource::nextRecord() {
    if (walk_)
        return walk_->next();
    while (selectedAt_ < choice_.selected.size())
        if (auto r = history_.table().find(choice_.selected[selectedAt_++]))
            return r;
    return std::nullopt;
}

void HistoryPrintSource::skip(long long count) {
    if (walk_)
        return walk_->skip(count);
    while (count-- > 0 && nextRecord())
        ;
}

std::optional<MeiboRow> HistoryPrintSource::callerOf(const std::string& schTel) {
    const std::string key = cp932::trim(schTel);
    if (!roster_ || key.empty())
        return std::nullopt;
    for (const char* field : {"SchTel1", "SchTel2"}) {
        Query q;
        q.index = field;
        q.where = std::string(field) + " = ?";
        q.whereArgs = {key};
        q.limit = 1;
        auto rows = roster_->read(q);
        if (!rows.empty())
            return rows.front();
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> HistoryPrintSource::next() {
    auto record = nextRecord();
    if (!record)
        return std::nullopt;
    const RecvHisRow row = history_.fromRecord(*record);
    return HistoryPrintValues(row, callerOf(row.SchTel), ignoreTdfkn_);
}

RosterPrintSource::RosterPrintSource(MeiboTable& roster, std::string index, PrintChoice choice,
                                     bool ignoreTdfkn)
    : roster_(roster), choice_(std::move(choice)), ignoreTdfkn_(ignoreTdfkn) {
    if (choice_.mode != PrintChoice::Mode::Selection)
        walk_.emplace(roster_.table(), std::move(index), false, choice_.filter,
                      choice_.mode == PrintChoice::Mode::Range ? choice_.begin - 1 : 0);
}

std::optional<Record> RosterPrintSource::nextRecord() {
    if (walk_)
        return walk_->next();
    while (selectedAt_ < choice_.selected.size())
        if (auto r = roster_.table().find(choice_.selected[selectedAt_++]))
            return r;
    return std::nullopt;
}

void RosterPrintSource::skip(long long count) {
    if (walk_)
        return walk_->skip(count);
    while (count-- > 0 && nextRecord())
        ;
}

std::optional<std::vector<std::string>> RosterPrintSource::next() {
    const std::optional<Record> record = nextRecord();
    if (!record)
        return std::nullopt;
    return RosterPrintValues(roster_.fromRecord(*record), ignoreTdfkn_);
}

} // namespace kanata
