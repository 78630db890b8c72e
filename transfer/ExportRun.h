#pragma once
// The export run without its questions: which records go out, in which
// order, and the lines written for them.
#include "history/ListPager.h"
#include "transfer/ExportSettings.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

namespace kanata {

class HyphenationService;
class MeiboTable;
namespace sql {
class Statement;
}
class RecvHisTable;

// The header line: the captions of each column's entries joined by "＋",
// columns separated by ","; never quoted. No line end.
std::string ExportHeaderLine(const ExportLayout& layout, const std::vector<std::string>& captions);
// A record line: each column the concatenation of its entries' values,
// quoted when `quote`; values are written as they are. No line end.
std::string ExportRecordLine(const ExportLayout& layout, bool quote,
                             const std::function<std::string(int item)>& valueOf);
// The same with the layout's columns worked out beforehand, for many lines.
std::string ExportRecordLine(const std::vector<std::vector<int>>& columns, bool quote,
                             const std::function<std::string(int item)>& valueOf);

// The caller's roster record of a history row: found by the trimmed SchTel
// on SchTel1 first, then on SchTel2. Remembers what it found for the last
// few thousand numbers, since an export meets the same callers again and
// again.
class CallerRecords {
public:
    explicit CallerRecords(MeiboTable& roster);
    ~CallerRecords();
    const MeiboRow* find(const std::string& schTel);

private:
    std::optional<MeiboRow> lookUp(sql::Statement& byNumber, const std::string& key);

    MeiboTable& roster_;
    // Prepared once: an export asks them for nearly every history row.
    std::unique_ptr<sql::Statement> bySchTel1_, bySchTel2_;
    std::unordered_map<std::string, std::optional<MeiboRow>> known_;
};

struct ExportJob {
    ExportSource source = ExportSource::History;
    ExportLayout layout;
    ExportOptions options;
    std::vector<std::string> captions;
    ExportRange range = ExportRange::All;
    std::vector<std::int64_t> selected; // Selection: RecNos in list order
    std::int64_t begin = 1, end = 0;    // Numeric: 1-based positions, inclusive
    // The list's order and its search condition (Numeric and All).
    std::string index;
    bool descending = false;
    RowFilter filter;
};

// The list order of the two list windows: history newest first, roster
// along the chosen sort index.
void UseHistoryOrder(ExportJob& job);
void UseRosterOrder(ExportJob& job, const std::string& sortIndex);

// Called after each record line with the lines written and the target count;
// false stops the run.
using ExportProgress = std::function<bool(std::int64_t written, std::int64_t target)>;

class ExportWriter {
public:
    ExportWriter(RecvHisTable& history, MeiboTable& roster, const HyphenationService* hyphenation)
        : history_(history), roster_(roster), hyphenation_(hyphenation) {}

    // The number of records the job would write (before writing).
    std::int64_t targetCount(const ExportJob& job);
    // Writes the header (when asked) and the records as code page 932 (or,
    // with OutUtf8, UTF-8) lines ending in CR LF; returns the record lines
    // written. Throws sql::SqliteError on a table error; the stream's state
    // tells of a write error.
    std::int64_t write(const ExportJob& job, std::ostream& out,
                       const ExportProgress& progress = {});
    // The characters of the last write that code page 932 cannot hold and
    // that were written as "?" (0 with OutUtf8).
    std::int64_t replacedCharacters() const { return replaced_; }

private:
    template <class LineOf, class Emit> void walk(const ExportJob& job, LineOf lineOf, Emit emit);
    std::string lineOf(const ExportJob& job, const std::vector<std::vector<int>>& columns,
                       Record&& record, CallerRecords& callers, const ExportValues& values);

    RecvHisTable& history_;
    MeiboTable& roster_;
    const HyphenationService* hyphenation_;
    std::int64_t replaced_ = 0;
};

// The notice of characters written as "?", for the completion message
// (empty when there were none).
std::string ReplacedCharactersNotice(std::int64_t replaced);

// Writes the job to a file (rewritten, or appended to when `append`); a
// UTF-8 file begins with the byte-order mark unless it is appended to.
// Throws std::runtime_error with the reason when the file cannot be written.
std::int64_t WriteExportFile(ExportWriter& writer, const ExportJob& job,
                             const std::filesystem::path& file, bool append,
                             const ExportProgress& progress = {});

} // namespace kanata
