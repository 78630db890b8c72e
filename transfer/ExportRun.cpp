#include "transfer/ExportRun.h"

#include "data/Cp932.h"
#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"
#include "data/Sqlite.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <stdexcept>

namespace kanata {
namespace {

constexpr int kChunk = 500;
constexpr std::size_t kKnownCallers = 4096;

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

template <class ValueOf>
std::string recordLine(const std::vector<std::vector<int>>& columns, bool quote,
                       ValueOf&& valueOf) {
    std::string line;
    line.reserve(256);
    bool firstColumn = true;
    for (const std::vector<int>& column : columns) {
        if (!firstColumn)
            line += ',';
        firstColumn = false;
        if (quote)
            line += '"';
        for (int item : column)
            line += valueOf(item);
        if (quote)
            line += '"';
    }
    return line;
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

std::string ExportRecordLine(const ExportLayout& layout, bool quote,
                             const std::function<std::string(int item)>& valueOf) {
    return ExportRecordLine(layout.columns(), quote, valueOf);
}

std::string ExportRecordLine(const std::vector<std::vector<int>>& columns, bool quote,
                             const std::function<std::string(int item)>& valueOf) {
    return recordLine(columns, quote, valueOf);
}

CallerRecords::CallerRecords(MeiboTable& roster) : roster_(roster) {
    const TableDef& def = roster_.table().def();
    std::string columns;
    for (const FieldDef& f : def.fields)
        columns += (columns.empty() ? "" : ", ") + f.name;
    auto prepare = [&](const char* field) {
        return std::make_unique<sql::Statement>(
            roster_.table().database(), "SELECT " + columns + " FROM " + def.name + " WHERE " +
                                            field + " = ? ORDER BY " + field + ", RecNo LIMIT 1");
    };
    bySchTel1_ = prepare("SchTel1");
    bySchTel2_ = prepare("SchTel2");
}

CallerRecords::~CallerRecords() = default;

std::optional<MeiboRow> CallerRecords::lookUp(sql::Statement& byNumber, const std::string& key) {
    byNumber.reset();
    byNumber.bind(1, key);
    if (!byNumber.step())
        return std::nullopt;
    const TableDef& def = roster_.table().def();
    Record record;
    for (std::size_t i = 0; i < def.fields.size(); ++i) {
        const int column = static_cast<int>(i);
        if (def.fields[i].type == FieldType::Integer)
            record.emplace_back(byNumber.columnInt(column));
        else
            record.emplace_back(byNumber.columnText(column));
    }
    return roster_.fromRecord(record);
}

const MeiboRow* CallerRecords::find(const std::string& schTel) {
    const std::string key = cp932::trim(schTel);
    if (key.empty())
        return nullptr;
    auto known = known_.find(key);
    if (known == known_.end()) {
        // Callers come back mostly soon after; a table of distinct callers
        // must not hold all of them.
        if (known_.size() >= kKnownCallers)
            known_.clear();
        std::optional<MeiboRow> found = lookUp(*bySchTel1_, key);
        if (!found)
            found = lookUp(*bySchTel2_, key);
        known = known_.emplace(key, std::move(found)).first;
    }
    return known->second ? &*known->second : nullptr;
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

// A chunk's lines are made inside its read transaction and written after
// it: the progress shown between lines lets the window's events run, and a
// call stored then must commit on its own, not inside the export's read.
template <class LineOf, class Emit>
void ExportWriter::walk(const ExportJob& job, LineOf lineOf, Emit emit) {
    Table& table = job.source == ExportSource::History ? history_.table() : roster_.table();
    sql::Database& callers = roster_.table().database();
    std::vector<std::string> lines;
    auto emitAll = [&] {
        for (std::string& line : lines)
            if (!emit(std::move(line)))
                return false;
        lines.clear();
        return true;
    };
    auto inOneRead = [&](auto work) {
        ChunkRead rows(table.database());
        std::optional<ChunkRead> callerRows;
        if (&callers != &table.database())
            callerRows.emplace(callers);
        work();
    };
    if (job.range == ExportRange::Selection) {
        for (std::size_t at = 0; at < job.selected.size(); at += kChunk) {
            const std::size_t end = std::min(job.selected.size(), at + kChunk);
            inOneRead([&] {
                for (std::size_t i = at; i < end; ++i)
                    if (auto record = table.find(job.selected[i])) // a record gone since is skipped
                        lines.push_back(lineOf(std::move(*record)));
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
    while (remaining != 0) {
        q.limit =
            remaining < 0 ? kChunk : static_cast<int>(std::min<std::int64_t>(remaining, kChunk));
        std::size_t read = 0;
        std::vector<FieldValue> lastKey;
        inOneRead([&] {
            std::vector<Record> records = table.read(q);
            read = records.size();
            if (records.empty())
                return;
            const Record& last = records.back();
            for (int f : keyFields)
                lastKey.push_back(last[static_cast<std::size_t>(f)]);
            lastKey.push_back(last[0]);
            for (Record& r : records)
                lines.push_back(lineOf(std::move(r)));
        });
        if (!emitAll() || static_cast<int>(read) < q.limit)
            return;
        if (remaining > 0)
            remaining -= static_cast<std::int64_t>(read);
        q.from = std::move(lastKey);
        q.fromInclusive = false;
        q.offset = 0;
    }
}

std::string ExportWriter::lineOf(const ExportJob& job, const std::vector<std::vector<int>>& columns,
                                 Record&& record, CallerRecords& callers,
                                 const ExportValues& values) {
    if (job.source == ExportSource::Roster) {
        const MeiboRow row = roster_.fromRecord(std::move(record));
        return recordLine(columns, job.options.BindDblQuote,
                          [&](int item) { return values.roster(item, row); });
    }
    const RecvHisRow row = history_.fromRecord(std::move(record));
    const MeiboRow* caller = nullptr;
    bool looked = false;
    return recordLine(columns, job.options.BindDblQuote, [&](int item) {
        if (item >= 12 && !looked) {
            caller = callers.find(row.SchTel);
            looked = true;
        }
        return values.history(item, row, caller);
    });
}

std::int64_t ExportWriter::write(const ExportJob& job, std::ostream& out,
                                 const ExportProgress& progress) {
    const std::int64_t target = progress ? targetCount(job) : 0;
    replaced_ = 0;
    // Code page 932 writes "?" for each character it cannot hold; never a
    // trail byte, so the "?" beyond those of the text are the replaced ones.
    auto encoded = [this, utf8 = job.options.OutUtf8](const std::string& text) {
        if (utf8)
            return text;
        std::string bytes = cp932::encode(text);
        replaced_ +=
            std::count(bytes.begin(), bytes.end(), '?') - std::count(text.begin(), text.end(), '?');
        return bytes;
    };
    if (job.options.OutHeader)
        out << encoded(ExportHeaderLine(job.layout, job.captions)) << "\r\n";
    CallerRecords callers(roster_);
    const ExportValues values(job.options, hyphenation_);
    const std::vector<std::vector<int>> columns = job.layout.columns();
    std::int64_t written = 0;
    walk(
        job,
        [&](Record&& record) {
            return encoded(lineOf(job, columns, std::move(record), callers, values));
        },
        [&](std::string&& line) {
            out << line << "\r\n";
            ++written;
            return !progress || progress(written, target);
        });
    return written;
}

std::int64_t WriteExportFile(ExportWriter& writer, const ExportJob& job,
                             const std::filesystem::path& file, bool append,
                             const ExportProgress& progress) {
    std::error_code ec;
    const bool fresh = !append || std::filesystem::file_size(file, ec) == 0 || ec;
    std::ofstream out(file, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
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
