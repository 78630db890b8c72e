#pragma once
// A Table seen through a row struct: each field is bound to a member of the
// struct, so the tables' callers read and write plain structs.
#include "data/DateTime.h"
#include "data/Table.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace kanata {

template <class Row> struct FieldBinding {
    FieldDef def;
    std::variant<int Row::*, std::string Row::*, DateTime Row::*> member;
};

// The bindings of the four field types, for the tables' field lists.
template <class Row>
FieldBinding<Row> AlphaField(const char* name, int size, std::string Row::*member) {
    return {{name, FieldType::Alpha, size}, member};
}
template <class Row> FieldBinding<Row> IntegerField(const char* name, int Row::*member) {
    return {{name, FieldType::Integer}, member};
}
template <class Row> FieldBinding<Row> MemoField(const char* name, std::string Row::*member) {
    return {{name, FieldType::Memo}, member};
}
template <class Row> FieldBinding<Row> TimestampField(const char* name, DateTime Row::*member) {
    return {{name, FieldType::Timestamp}, member};
}

// A field list put together from parts, in order.
template <class Row>
std::vector<FieldBinding<Row>>
JoinFields(std::initializer_list<std::vector<FieldBinding<Row>>> parts) {
    std::vector<FieldBinding<Row>> joined;
    for (const std::vector<FieldBinding<Row>>& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

// A record refilled row after row by writers of many rows: its texts keep
// their storage, and each timestamp is formatted again only when it differs
// from the one of the row before (the rows of a run share their moments).
struct RecordBuffer {
    Record record;
    std::vector<DateTime> moments; // as the record's timestamp texts hold them
};

template <class Row> class TypedTable {
public:
    TypedTable(std::string name, std::vector<FieldBinding<Row>> bindings,
               std::vector<IndexDef> indexes, std::int64_t firstRecNo = 0,
               std::vector<std::vector<std::string>> substringTexts = {})
        : bindings_(std::move(bindings)), table_(makeDef(std::move(name), std::move(indexes),
                                                         firstRecNo, std::move(substringTexts))) {}

    Table& table() { return table_; }
    bool isOpen() const { return table_.isOpen(); }

    Record toRecord(const Row& row) const {
        Record record;
        for (const auto& b : bindings_) {
            if (auto* i = std::get_if<int Row::*>(&b.member))
                record.emplace_back(static_cast<std::int64_t>(row.*(*i)));
            else if (auto* s = std::get_if<std::string Row::*>(&b.member))
                record.emplace_back(row.*(*s));
            else
                record.emplace_back((row.*std::get<DateTime Row::*>(b.member)).toText());
        }
        return record;
    }

    // As toRecord into `buffer.record`.
    void fill(const Row& row, RecordBuffer& buffer) const {
        Record& record = buffer.record;
        record.resize(bindings_.size());
        buffer.moments.resize(bindings_.size());
        for (std::size_t n = 0; n < bindings_.size(); ++n) {
            const auto& b = bindings_[n];
            if (auto* i = std::get_if<int Row::*>(&b.member)) {
                record[n] = static_cast<std::int64_t>(row.*(*i));
            } else if (auto* s = std::get_if<std::string Row::*>(&b.member)) {
                if (auto* text = std::get_if<std::string>(&record[n]))
                    text->assign(row.*(*s));
                else
                    record[n] = row.*(*s);
            } else {
                const DateTime& moment = row.*std::get<DateTime Row::*>(b.member);
                if (!std::holds_alternative<std::string>(record[n]) ||
                    buffer.moments[n] != moment) {
                    record[n] = moment.toText();
                    buffer.moments[n] = moment;
                }
            }
        }
    }

    Row fromRecord(const Record& record) const {
        Record copy = record;
        return fromRecord(std::move(copy));
    }
    // The same taking the record's texts over, for readers of many rows.
    Row fromRecord(Record&& record) const {
        Row row{};
        for (std::size_t n = 0; n < bindings_.size(); ++n) {
            const auto& b = bindings_[n];
            if (auto* i = std::get_if<int Row::*>(&b.member))
                row.*(*i) = static_cast<int>(std::get<std::int64_t>(record[n]));
            else if (auto* s = std::get_if<std::string Row::*>(&b.member))
                row.*(*s) = std::move(std::get<std::string>(record[n]));
            else
                row.*std::get<DateTime Row::*>(b.member) =
                    DateTime::fromText(std::get<std::string>(record[n])).value_or(DateTime{});
        }
        return row;
    }

    std::optional<Row> find(int recNo) {
        auto record = table_.find(recNo);
        if (!record)
            return std::nullopt;
        return fromRecord(std::move(*record));
    }
    bool remove(int recNo) { return table_.remove(recNo); }
    std::int64_t count(const std::string& where = {}, const ConditionArgs& args = {}) {
        return table_.count(where, args);
    }
    std::vector<Row> read(const Query& query) {
        std::vector<Row> rows;
        for (Record& r : table_.read(query))
            rows.push_back(fromRecord(std::move(r)));
        return rows;
    }
    // The rows of `query` into `rows`, the texts taking the storage of those
    // read before, for readers of many rows in chunks; `also` sees each
    // row's statement after its row is filled.
    void readInto(const Query& query, std::vector<Row>& rows,
                  const std::function<void(sql::Statement&)>& also = {}) {
        std::size_t n = 0;
        table_.scan(query, [&](sql::Statement& stmt) {
            if (n == rows.size())
                rows.emplace_back();
            assign(rows[n++], stmt);
            if (also)
                also(stmt);
        });
        rows.resize(n);
    }
    std::optional<Row> first(const std::string& index = {}) { return wrap(table_.first(index)); }
    std::optional<Row> last(const std::string& index = {}) { return wrap(table_.last(index)); }

private:
    // As fromRecord of the row's record gives it.
    void assign(Row& row, const sql::Statement& stmt) const {
        for (std::size_t n = 0; n < bindings_.size(); ++n) {
            const auto& b = bindings_[n];
            const int column = static_cast<int>(n);
            if (auto* i = std::get_if<int Row::*>(&b.member))
                row.*(*i) = static_cast<int>(stmt.columnInt(column));
            else if (auto* s = std::get_if<std::string Row::*>(&b.member))
                (row.*(*s)).assign(stmt.columnView(column));
            else
                row.*std::get<DateTime Row::*>(b.member) =
                    DateTime::fromText(stmt.columnView(column)).value_or(DateTime{});
        }
    }
    std::optional<Row> wrap(std::optional<Record>&& r) const {
        if (!r)
            return std::nullopt;
        return fromRecord(std::move(*r));
    }
    TableDef makeDef(std::string name, std::vector<IndexDef> indexes, std::int64_t firstRecNo,
                     std::vector<std::vector<std::string>> substringTexts) const {
        TableDef def{
            std::move(name), {}, std::move(indexes), firstRecNo, std::move(substringTexts)};
        for (const auto& b : bindings_)
            def.fields.push_back(b.def);
        return def;
    }

    std::vector<FieldBinding<Row>> bindings_;
    Table table_;
};

} // namespace kanata
