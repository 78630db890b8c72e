#include "transfer/ExportRun.h"

#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"
#include "data/Sqlite.h"
#include "transfer/CallerRecords.h"
#include "transfer/ExportLines.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <variant>

namespace kanata {
namespace {

constexpr int kChunk = 500;

// Reads of one chunk of an export inside one read transaction: without it
// every caller look-up of a SQLite table takes and drops its file lock and
// checks the file again, which cost more than the look-ups themselves. A
// chunk is short, so writers wait for it no longer than for a page refill.
class ChunkRead {
public:
    explicit ChunkRead(sql::Database& db) : db_(db), own_(!db.inTransaction()) {
        if (own_)
            db_.exec("BEGIN");
    }
    ~ChunkRead() {
        if (!own_ || !db_.inTransaction())
            return;
        try {
            db_.exec("COMMIT");
        } catch (const sql::Error&) {
            // Only reads happened: nothing is lost when the end fails.
        }
    }
    ChunkRead(const ChunkRead&) = delete;
    ChunkRead& operator=(const ChunkRead&) = delete;

private:
    sql::Database& db_;
    bool own_;
};

// A record's line: the layout's columns of their items' texts, quoted when
// asked. The line's storage is kept from record to record.
class LineMaker {
public:
    explicit LineMaker(const ExportJob& job)
        : columns_(job.layout.columns()), quote_(job.options.BindDblQuote) {}

    template <class AppendItem> std::string_view make(AppendItem&& appendItem) {
        line_.clear();
        bool firstColumn = true;
        for (const std::vector<int>& column : columns_) {
            if (!firstColumn)
                line_ += ',';
            firstColumn = false;
            if (quote_)
                line_ += '"';
            for (int item : column)
                appendItem(line_, item);
            if (quote_)
                line_ += '"';
        }
        return line_;
    }
    // Whether a column shows the caller's roster record (history items 12
    // to 27).
    bool showsCaller() const {
        for (const std::vector<int>& column : columns_)
            for (int item : column)
                if (item >= 12)
                    return true;
        return false;
    }

private:
    std::vector<std::vector<int>> columns_;
    bool quote_;
    std::string line_;
};

// The rows of one chunk, read into the storage of the chunk before.
template <class Rows, class Row> class ChunkRows {
public:
    explicit ChunkRows(Rows& table) : table_(table) {}

    Table& table() { return table_.table(); }
    // The rows of `query`; `keep` sees the statement of each.
    std::size_t read(const Query& query, const std::function<void(sql::Statement&)>& keep) {
        table_.readInto(query, rows_, keep);
        return rows_.size();
    }
    // For rows found one by one.
    void clear() { rows_.clear(); }
    void add(Record&& record) { rows_.push_back(table_.fromRecord(std::move(record))); }
    const std::vector<Row>& rows() const { return rows_; }

private:
    Rows& table_;
    std::vector<Row> rows_;
};

using RosterRows = ChunkRows<MeiboTable, MeiboRow>;
using HistoryRows = ChunkRows<RecvHisTable, RecvHisRow>;

// The key of the row a statement stands on (the index's fields, then
// RecNo) into `key`, whose texts keep their storage from row to row.
void keepKey(const Table& table, const std::vector<int>& fields, sql::Statement& stmt,
             std::vector<FieldValue>& key) {
    key.resize(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int column = fields[i];
        if (table.def().fields[static_cast<std::size_t>(column)].type == FieldType::Integer)
            key[i] = stmt.columnInt(column);
        else if (auto* text = std::get_if<std::string>(&key[i]))
            text->assign(stmt.columnView(column));
        else
            key[i] = std::string(stmt.columnView(column));
    }
}

// A chunk's lines are made inside its read transaction and written after
// it: the progress shown between lines lets the window's events run, and a
// call stored then must commit on its own, not inside the export's read.
template <class Rows, class MakeLines, class Emit>
void Walk(const ExportJob& job, sql::Database& callers, Rows& rows, ExportLines& lines,
          MakeLines makeLines, Emit emit) {
    Table& table = rows.table();
    auto emitAll = [&] {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (!emit(lines[i]))
                return false;
        lines.clear();
        return true;
    };
    auto inOneRead = [&](auto work) {
        ChunkRead reading(table.database());
        std::optional<ChunkRead> callerRows;
        if (&callers != &table.database())
            callerRows.emplace(callers);
        work();
    };
    if (job.range == ExportRange::Selection) {
        for (std::size_t at = 0; at < job.selected.size(); at += kChunk) {
            const std::size_t end = std::min(job.selected.size(), at + kChunk);
            inOneRead([&] {
                rows.clear();
                for (std::size_t i = at; i < end; ++i)
                    if (auto record = table.find(job.selected[i])) // a record gone since is skipped
                        rows.add(std::move(*record));
                makeLines(rows.rows());
            });
            if (!emitAll())
                return;
        }
        return;
    }
    // Each chunk continues after the last row read (its index key and
    // RecNo), so a long export never skips rows again in SQL.
    std::vector<int> keyFields;
    if (!job.index.empty())
        for (const IndexDef& d : table.def().indexes)
            if (d.name == job.index)
                for (const std::string& f : d.fields)
                    keyFields.push_back(table.fieldIndex(f));
    keyFields.push_back(0);
    Query q;
    q.index = job.index;
    q.descending = job.descending;
    q.where = job.filter.where;
    q.whereArgs = job.filter.args;
    std::int64_t remaining = -1;
    if (job.range == ExportRange::Numeric) {
        if (job.begin < 1 || job.end < job.begin)
            return;
        q.offset = static_cast<int>(job.begin - 1);
        remaining = job.end - job.begin + 1;
    }
    std::vector<FieldValue> lastKey;
    const auto keep = [&](sql::Statement& stmt) { keepKey(table, keyFields, stmt, lastKey); };
    while (remaining != 0) {
        q.limit =
            remaining < 0 ? kChunk : static_cast<int>(std::min<std::int64_t>(remaining, kChunk));
        std::size_t read = 0;
        inOneRead([&] {
            read = rows.read(q, keep);
            if (read > 0)
                makeLines(rows.rows());
        });
        if (!emitAll() || static_cast<int>(read) < q.limit)
            return;
        if (remaining > 0)
            remaining -= static_cast<std::int64_t>(read);
        q.from = lastKey;
        q.fromInclusive = false;
        q.offset = 0;
    }
}

} // namespace

std::string ExportHeaderLine(const ExportLayout& layout, const std::vector<std::string>& captions) {
    std::string line;
    bool firstColumn = true;
    for (const std::vector<int>& column : layout.columns()) {
        if (!firstColumn)
            line += ',';
        firstColumn = false;
        bool firstEntry = true;
        for (int item : column) {
            if (!firstEntry)
                line += "＋";
            firstEntry = false;
            if (item >= 0 && item < static_cast<int>(captions.size()))
                line += captions[static_cast<std::size_t>(item)];
        }
    }
    return line;
}

void UseHistoryOrder(ExportJob& job) {
    job.index = "RecvDateTime";
    job.descending = true;
}

void UseRosterOrder(ExportJob& job, const std::string& sortIndex) {
    job.index = sortIndex;
    job.descending = false;
}

std::int64_t ExportWriter::targetCount(const ExportJob& job) {
    Table& table = job.source == ExportSource::History ? history_.table() : roster_.table();
    switch (job.range) {
    case ExportRange::Selection:
        return static_cast<std::int64_t>(job.selected.size());
    case ExportRange::Numeric:
        return job.end >= job.begin ? job.end - job.begin + 1 : 0;
    case ExportRange::All:
        break;
    }
    return table.count(job.filter.where, job.filter.args);
}

std::int64_t ExportWriter::write(const ExportJob& job, std::ostream& out,
                                 const ExportProgress& progress) {
    const std::int64_t target = progress ? targetCount(job) : 0;
    replaced_ = 0;
    ExportLines lines(job.options.OutUtf8);
    if (job.options.OutHeader) {
        lines.add(ExportHeaderLine(job.layout, job.captions));
        out.write(lines[0].data(), static_cast<std::streamsize>(lines[0].size()));
        lines.clear();
    }
    const ExportValues values(job.options, hyphenation_);
    LineMaker maker(job);
    std::int64_t written = 0;
    auto emit = [&](std::string_view line) {
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
        ++written;
        return !progress || progress(written, target);
    };
    sql::Database& callerTable = roster_.table().database();
    if (job.source == ExportSource::Roster) {
        RosterRows rows(roster_);
        Walk(
            job, callerTable, rows, lines,
            [&](const std::vector<MeiboRow>& records) {
                for (const MeiboRow& row : records)
                    lines.add(maker.make([&](std::string& line, int item) {
                        values.appendRoster(line, item, row);
                    }));
            },
            emit);
        replaced_ = lines.replaced();
        return written;
    }
    // Prepared once: an export asks for the callers of nearly every row.
    std::optional<CallerRecords> callers;
    if (maker.showsCaller())
        callers.emplace(roster_);
    std::vector<std::string_view> numbers;
    HistoryRows rows(history_);
    Walk(
        job, callerTable, rows, lines,
        [&](const std::vector<RecvHisRow>& calls) {
            if (callers) {
                numbers.clear();
                for (const RecvHisRow& call : calls)
                    numbers.push_back(call.SchTel);
                callers->prefetch(numbers);
            }
            for (const RecvHisRow& call : calls) {
                const CallerItems* caller = callers ? callers->find(call.SchTel) : nullptr;
                lines.add(maker.make([&](std::string& line, int item) {
                    values.appendHistory(line, item, call, caller);
                }));
            }
        },
        emit);
    replaced_ = lines.replaced();
    return written;
}

std::int64_t WriteExportFile(ExportWriter& writer, const ExportJob& job,
                             const std::filesystem::path& file, bool append,
                             const ExportProgress& progress) {
    std::error_code ec;
    const bool fresh = !append || std::filesystem::file_size(file, ec) == 0 || ec;
    // Lines go out a few a system call; the file's own small buffer would
    // take one for every few lines.
    std::vector<char> buffer(std::size_t{1} << 16);
    std::ofstream out;
    out.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    out.open(file, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    if (!out)
        throw std::runtime_error(file.string() + "\r\n" + std::strerror(errno));
    if (job.options.OutUtf8 && fresh)
        out << "\xEF\xBB\xBF";
    const std::int64_t written = writer.write(job, out, progress);
    out.flush();
    if (!out)
        throw std::runtime_error(file.string() + "\r\n" + std::strerror(errno));
    return written;
}

std::string ReplacedCharactersNotice(std::int64_t replaced) {
    if (replaced == 0)
        return {};
    return "Shift_JISで表せない文字が" + std::to_string(replaced) +
           "文字あったため「?」に置き換えて出力しました  \r\n"
           "そのまま出力するには「UTF-8で出力する」を指定してください  ";
}

} // namespace kanata
