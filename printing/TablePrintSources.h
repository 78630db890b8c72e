#pragma once
// The records of a printed list read from the tables, in the order the list
// windows show them: the history newest first, the roster in its sort
// order; only those passing the search filter; either the rows the user
// selected (by record number, rows gone since are skipped), a range of the
// list (1-based, inclusive) or everything.
#include "history/ListPager.h"
#include "printing/PrintRecordSource.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kanata {

class MeiboTable;
class RecvHisTable;
struct MeiboRow;

struct PrintChoice {
    enum class Mode { Selection = 0, Range = 1, All = 2 };
    Mode mode = Mode::All;
    std::vector<std::int64_t> selected; // Selection: record numbers in list order
    std::int64_t begin = 1, end = 1;    // Range
    RowFilter filter;                   // Range, All
};

// How many records the choice prints, given how many pass the filter.
std::int64_t ChoiceCount(const PrintChoice& choice, std::int64_t matching);

// Reads a table in pages of rows along one index, continuing after the last
// row read, so that long lists never sit in memory whole.
class TableWalk {
public:
    TableWalk(Table& table, std::string index, bool descending, RowFilter filter,
              std::int64_t skip);
    std::optional<Record> next();
    // Passes over `count` rows; before the first row is read, without
    // reading them.
    void skip(std::int64_t count);

private:
    Table& table_;
    std::string index_;
    bool descending_;
    RowFilter filter_;
    std::int64_t skip_;
    std::vector<Record> batch_;
    std::size_t at_ = 0;
    std::optional<Record> last_;
    bool exhausted_ = false;
};

class HistoryPrintSource : public PrintRecordSource {
public:
    // `roster` may be null (no "(名簿)" values), else an open table.
    HistoryPrintSource(RecvHisTable& history, MeiboTable* roster, PrintChoice choice,
                       bool ignoreTdfkn);
    std::optional<std::vector<std::string>> next() override;
    // Passes over records without building their values.
    void skip(long long count) override;

private:
    std::optional<MeiboRow> callerOf(const std::string& schTel);
    std::optional<Record> nextRecord();

    RecvHisTable& history_;
    MeiboTable* roster_;
    PrintChoice choice_;
    bool ignoreTdfkn_;
    std::size_t selectedAt_ = 0;
    std::optional<TableWalk> walk_;
};

class RosterPrintSource : public PrintRecordSource {
public:
    // `index`: the roster list's sort index (empty = registration order).
    RosterPrintSource(MeiboTable& roster, std::string index, PrintChoice choice, bool ignoreTdfkn);
    std::optional<std::vector<std::string>> next() override;
    void skip(long long count) override;

private:
    std::optional<Record> nextRecord();

    MeiboTable& roster_;
    PrintChoice choice_;
    bool ignoreTdfkn_;
    std::size_t selectedAt_ = 0;
    std::optional<TableWalk> walk_;
};

} // namespace kanata
