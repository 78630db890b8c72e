#pragma once
// The export run without its questions: which records go out, in which
// order, and the lines written for them.
#include "history/ListPager.h"
#include "transfer/ExportSettings.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace kanata {

class HyphenationService;
class MeiboTable;
class RecvHisTable;

// The header line: the captions of each column's entries joined by "＋",
// columns separated by ","; never quoted. No line end.
std::string ExportHeaderLine(const ExportLayout& layout, const std::vector<std::string>& captions);

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
