#include "transfer/CallerRecords.h"

#include "data/Sqlite.h"

#include <algorithm>
#include <array>

namespace kanata {
namespace {

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

// The record of each wanted number in one statement: the numbers as a
// table of kBatch rows (the unused ones NULL, which nothing equals), each
// joined to its record the way a look-up of one number finds it.
std::string byNumbersSql(const TableDef& def) {
    const std::string table = quoted(def.name);
    auto lowest = [&](const char* field) {
        const std::string f = quoted(field);
        return "(SELECT \"RecNo\" FROM " + table + " WHERE " + f + " = wanted.tel ORDER BY " + f +
               ", \"RecNo\" LIMIT 1)";
    };
    std::string sql = "WITH wanted(tel) AS (VALUES ";
    for (std::size_t i = 0; i < CallerRecords::kBatch; ++i)
        sql += i ? ", (CAST(? AS TEXT))" : "(CAST(? AS TEXT))";
    sql += ") SELECT wanted.tel";
    for (const char* field : CallerItems::Fields())
        sql += ", m." + quoted(field);
    sql += " FROM wanted JOIN " + table + " m ON m.\"RecNo\" = coalesce(" + lowest("SchTel1") +
           ", " + lowest("SchTel2") + ")";
    return sql;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20)
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20)
        s.remove_suffix(1);
    return s;
}

} // namespace

CallerRecords::CallerRecords(MeiboTable& roster)
    : byNumbers_(std::make_unique<sql::Statement>(roster.table().database(),
                                                  byNumbersSql(roster.table().def()))) {}

CallerRecords::~CallerRecords() = default;

CallerItems CallerRecords::itemsAt(int firstColumn) const {
    std::array<std::string_view, CallerItems::kCount> texts;
    std::size_t size = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = byNumbers_->columnView(firstColumn + static_cast<int>(i));
        size += texts[i].size();
    }
    CallerItems items(size);
    for (std::string_view text : texts)
        items.add(text);
    return items;
}

// `keys` are distinct, trimmed and not empty.
void CallerRecords::lookUp(const std::vector<std::string_view>& keys) {
    for (std::size_t at = 0; at < keys.size(); at += kBatch) {
        const std::size_t end = std::min(keys.size(), at + kBatch);
        byNumbers_->reset();
        for (std::size_t i = 0; i < kBatch; ++i) {
            const int parameter = static_cast<int>(i + 1);
            if (at + i < end)
                byNumbers_->bind(parameter, keys[at + i]);
            else
                byNumbers_->bindNull(parameter);
        }
        for (std::size_t i = at; i < end; ++i)
            known_.try_emplace(std::string(keys[i]));
        while (byNumbers_->step())
            known_[byNumbers_->columnText(0)] = itemsAt(1);
    }
}

void CallerRecords::prefetch(const std::vector<std::string_view>& schTels) {
    std::vector<std::string_view> wanted;
    wanted.reserve(schTels.size());
    for (std::string_view schTel : schTels)
        if (const std::string_view key = trimmed(schTel); !key.empty())
            wanted.push_back(key);
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    std::vector<std::string_view> missing;
    for (std::string_view key : wanted)
        if (known_.find(key) == known_.end())
            missing.push_back(key);
    if (missing.empty())
        return;
    if (known_.size() + missing.size() > kKnownCallers) {
        // Starting afresh keeps the bound without bookkeeping per caller;
        // these callers are all looked up again.
        known_.clear();
        missing = std::move(wanted);
    }
    lookUp(missing);
}

const CallerItems* CallerRecords::find(std::string_view schTel) {
    const std::string_view key = trimmed(schTel);
    if (key.empty())
        return nullptr;
    auto known = known_.find(key);
    if (known == known_.end()) {
        prefetch({key});
        known = known_.find(key);
    }
    return known != known_.end() && known->second ? &*known->second : nullptr;
}

} // namespace kanata
