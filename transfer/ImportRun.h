#pragma once
// The import run: the backup of the destination table, then every line of
// the text file read, built into a record, checked and stored, failures
// logged with their reason.
//
// Rows are written in batches, each one transaction: a batch ends after a
// number of rows or a short time, whichever comes first, and only then is
// the progress reported (where the window processes its events). So a crash
// or kill keeps the rows of committed batches and none half-written, and no
// event handler (an incoming call) ever meets an open import transaction.
// The next record number is read afresh at each batch, so a call stored
// between two batches keeps its number.
//
// A batch that cannot be committed (a full disk, a failing device) is
// rolled back whole, and the run stops storing: every line of that batch
// and every later line of the file goes to the error log with its reason,
// and the message names the first line that was not stored. What was
// committed before stays; a re-import that starts at that record
// (`firstRecord`) neither repeats nor misses a line.
#include "transfer/ImportMapping.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace kanata {

class AddressSupplement;
class HyphenationService;
class MessageService;
class TDMKanata195;

struct ImportRequest {
    ImportDestination destination = ImportDestination::History;
    std::filesystem::path file;
    ImportMapping mapping;
    int sampleFieldCount = 1; // fields of the file's first line
    bool skipFirst = false;   // "SkipRecord"
    bool sameReplace = false; // roster: replace the record with the same number
    bool noSupplement = false;
    // The record (numbered as the error log numbers them) the run starts
    // at; the records before it are passed over unread.
    long long firstRecord = 1;
};

struct ImportResult {
    long long read = 0;
    long long registered = 0;
    long long logged = 0; // lines written to InError.txt
    bool tableFull = false;
    bool backedUp = false;
    bool aborted = false; // stopped by a failure that was shown (table, file, dictionary)
    // After a batch that could not be stored: the first record not stored
    // (0 when all were), its line in the file, and whether every record
    // from there on is in the error log.
    long long unstoredFrom = 0;
    long long unstoredLine = 0;
    bool unstoredLogged = false;
};

// A batch ends after `rows` rows or `time`, whichever comes first. Each
// batch pays a durable commit and a pass of the substring index, so the
// time decides on its own; the row count only bounds the batch's memory.
// Where the commits come slow (a loaded machine, a slow disk) a batch
// lasts longer, up to `longest`, so that committing never takes more than
// about a fifth of the run.
struct ImportBatchLimits {
    int rows = 50000;
    std::chrono::milliseconds time{150};
    std::chrono::milliseconds longest{600};
};

// The batches of a run that no window waits on and no other writer shares
// the store with (a command holding the data folder alone, on SQLite).
constexpr ImportBatchLimits kUnattendedBatches{50000, std::chrono::milliseconds(1000),
                                               std::chrono::milliseconds(2000)};

// How long the next batch may last after a commit that took `lastCommit`.
std::chrono::steady_clock::duration NextBatchTime(const ImportBatchLimits& limits,
                                                  std::chrono::steady_clock::duration lastCommit);

class ImportRun {
public:
    // Reports the records read so far, between batches.
    using Progress = std::function<void(long long read)>;

    ImportRun(TDMKanata195& dm, const HyphenationService& hyphenation,
              AddressSupplement& supplement, MessageService& messages, const void* owner = nullptr);
    void setBatchLimits(ImportBatchLimits limits) { limits_ = limits; }

    ImportResult run(const ImportRequest& request, const Progress& progress = {});

private:
    TDMKanata195& dm_;
    const HyphenationService& hyphenation_;
    AddressSupplement& supplement_;
    MessageService& messages_;
    const void* owner_;
    ImportBatchLimits limits_;
};

} // namespace kanata
