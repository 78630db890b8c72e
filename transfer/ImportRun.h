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
};

struct ImportResult {
    long long read = 0;
    long long registered = 0;
    long long logged = 0; // lines written to InError.txt
    bool tableFull = false;
    bool backedUp = false;
    bool aborted = false; // stopped by a failure that was shown (table, file, dictionary)
};

struct ImportBatchLimits {
    int rows = 5000;
    std::chrono::milliseconds time{150};
};

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
