#include "transfer/ImportRun.h"

#include "data/Cp932.h"
#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "lookup/AddressSupplement.h"
#include "platform/MessageService.h"
#include "transfer/ImportBackup.h"
#include "transfer/ImportErrorLog.h"
#include "transfer/ImportRecords.h"
#include "transfer/ImportTableWriter.h"
#include "transfer/ImportTextFile.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kanata {
namespace {

constexpr const char* kLimitReached =
    "最大登録件数10万件に達しました  \r\nこれ以上登録できません  ";
constexpr const char* kCounterFull = "データ管理カウンタが一杯になり登録できませんでした  \r\n"
                                     "最適化処理を行うことにより登録できるようになります  ";

// The rank and selection-item lists a run changes, replayed on each list as
// stored when a batch is saved, so that a desk sharing the lists loses none
// of its items to the import.
class ItemListUpdates {
public:
    explicit ItemListUpdates(TDMKanata195& dm) : dm_(dm) {}

    void addRank(const std::string& rank) {
        queue(0, cp932::cutToWidth(rank, TDMKanata195::kRankItemSize));
    }
    void moveToTop(int n, const std::string& value) {
        queue(n, cp932::cutToWidth(value, TDMKanata195::kSelItemSize));
    }
    // A batch rolled back to be written again queues its changes again.
    void discardQueued() {
        for (auto& texts : pending_)
            texts.clear();
    }
    // Writes the changed lists; the first failure is shown once.
    void save(MessageService& messages, const void* owner) {
        for (int n = 0; n < 4; ++n) {
            std::vector<std::string> texts = std::move(pending_[static_cast<std::size_t>(n)]);
            pending_[static_cast<std::size_t>(n)].clear();
            if (texts.empty())
                continue;
            try {
                (n == 0 ? dm_.Rank() : dm_.SelItem(n)).Update([&](THistoryData& list) {
                    bool changed = false;
                    for (const std::string& text : texts)
                        changed = (n == 0 ? add(list, text) : toTop(list, text)) || changed;
                    return changed;
                });
            } catch (const EHistoryDataError& e) {
                if (!failed_)
                    messages.error(e.what(), owner);
                failed_ = true;
            }
        }
    }

private:
    void queue(int n, const std::string& text) {
        auto& texts = pending_[static_cast<std::size_t>(n)];
        if (!text.empty() && (texts.empty() || texts.back() != text))
            texts.push_back(text);
    }
    static bool add(THistoryData& list, const std::string& text) {
        if (list.IndexOf(text) >= 0)
            return false;
        list.Add(text);
        return true;
    }
    static bool toTop(THistoryData& list, const std::string& text) {
        const int at = list.IndexOf(text);
        if (at == 0)
            return false;
        if (at > 0)
            list.Delete(at);
        list.Insert(0, text);
        return true;
    }

    TDMKanata195& dm_;
    std::array<std::vector<std::string>, 4> pending_;
    bool failed_ = false;
};

// A line of the batch in progress with what became of it; the log gets it
// only when the batch has been committed.
struct BatchLine {
    long long number;
    std::string line;
    int outcome;
};

// A line's write failed on a server where it had no savepoint of its own:
// the failure has ended the batch's transaction.
struct UnguardedWriteFailed {};

// One run's state: the file, the table, the counters.
class ImportSession {
public:
    ImportSession(TDMKanata195& dm, const ImportRequest& request,
                  const HyphenationService& hyphenation, AddressSupplement& supplement,
                  MessageService& messages, const void* owner, Table& table)
        : dm_(dm), request_(request), hyphenation_(hyphenation), supplement_(supplement),
          messages_(messages), owner_(owner), writer_(table), lists_(dm) {}

    ImportResult run(ImportTextFile& file, const ImportBatchLimits& limits,
                     const ImportRun::Progress& progress);

private:
    bool runBatch(ImportTextFile& file, ImportErrorLog& log, const ImportBatchLimits& limits,
                  std::chrono::steady_clock::duration time);
    void storeBatch(ImportTextFile& file, const ImportBatchLimits& limits,
                    std::chrono::steady_clock::time_point until, std::vector<BatchLine>& lines);
    void storeLine(BatchLine& line, TextEncoding encoding);
    void logUnstored(ImportTextFile& file, ImportErrorLog& log, const std::vector<BatchLine>& batch,
                     const std::string& failure);
    long long number() const { return request_.firstRecord - 1 + result_.read; }
    int importLine(const std::string& line, TextEncoding encoding);
    int storeHistory(const ItemValues& values);
    int storeRoster(const ItemValues& values);
    bool roomForNew();
    void applyAndCount(int outcome, long long& registered);

    TDMKanata195& dm_;
    const ImportRequest& request_;
    const HyphenationService& hyphenation_;
    AddressSupplement& supplement_;
    MessageService& messages_;
    const void* owner_;
    ImportTableWriter writer_;
    ItemListUpdates lists_;
    ImportResult result_;
    std::int64_t next_ = 0;
    DateTime now_;
    bool endOfFile_ = false;
    std::chrono::steady_clock::duration lastCommit_{};
    bool lineSavepoints_ = false;
    // The current line's text, fields and item values, their storage kept
    // from line to line.
    std::string decoded_;
    std::vector<std::string> fields_;
    ItemValues values_;
    RecordBuffer record_;
};

ImportResult ImportSession::run(ImportTextFile& file, const ImportBatchLimits& limits,
                                const ImportRun::Progress& progress) {
    ImportErrorLog log(dm_.dataFolder() / kImportErrorLogName, file.encoding());
    while (!endOfFile_ && !result_.tableFull) {
        const bool ok = runBatch(file, log, limits, NextBatchTime(limits, lastCommit_));
        log.flush();
        lists_.save(messages_, owner_);
        if (!ok) {
            result_.aborted = true;
            break;
        }
        if (progress)
            progress(result_.read);
    }
    result_.logged = log.lines();
    return result_;
}

// On a server each line would need a savepoint of its own, for a failed
// write not to end the batch: two round trips a line, a quarter of a
// roster import's time. The lines go without; should one fail, the batch
// is rolled back and written again with them.
bool ImportSession::runBatch(ImportTextFile& file, ImportErrorLog& log,
                             const ImportBatchLimits& limits,
                             std::chrono::steady_clock::duration time) {
    const auto until = std::chrono::steady_clock::now() + time;
    std::vector<BatchLine> lines;
    lineSavepoints_ = false;
    for (;;) {
        try {
            storeBatch(file, limits, until, lines);
            break;
        } catch (const UnguardedWriteFailed&) {
            lineSavepoints_ = true;
            lists_.discardQueued();
        } catch (const sql::SqliteError& e) {
            logUnstored(file, log, lines, e.what());
            return false;
        }
    }
    for (const BatchLine& l : lines) {
        if (l.outcome == kImportRegistered)
            ++result_.registered;
        else if (l.outcome != kImportTableFull)
            log.write(l.number, ImportOutcomeReason(l.outcome), l.line);
    }
    return true;
}

// Writes the lines already in `lines` (a batch written again), then reads
// and writes more until the batch is full or its time is up, and commits.
void ImportSession::storeBatch(ImportTextFile& file, const ImportBatchLimits& limits,
                               std::chrono::steady_clock::time_point until,
                               std::vector<BatchLine>& lines) {
    sql::Transaction batch(writer_.database());
    next_ = writer_.nextRecNo();
    writer_.beginBatch();
    now_ = DateTime::now();
    for (BatchLine& l : lines)
        storeLine(l, file.encoding());
    std::string line;
    while (!result_.tableFull && static_cast<int>(lines.size()) < limits.rows) {
        if (!lines.empty() && std::chrono::steady_clock::now() >= until)
            break;
        if (!file.readLine(line)) {
            endOfFile_ = true;
            break;
        }
        ++result_.read;
        // In the batch before it is tried: a failure that ends the batch
        // while storing it must find it there.
        lines.push_back({number(), line, file.lineCut() ? kImportLineTooLong : kImportRegistered});
        storeLine(lines.back(), file.encoding());
    }
    writer_.endBatch();
    const auto committing = std::chrono::steady_clock::now();
    batch.commit();
    lastCommit_ = std::chrono::steady_clock::now() - committing;
}

// A line written again after a rollback may find the table full where it
// was not: another desk may have written meanwhile.
void ImportSession::storeLine(BatchLine& l, TextEncoding encoding) {
    if (l.outcome == kImportLineTooLong)
        return;
    if (result_.tableFull) {
        l.outcome = kImportTableFull;
        return;
    }
    l.outcome = kImportRegistered; // until it is known, as a failed write's reason
    l.outcome = importLine(l.line, encoding);
    result_.tableFull = l.outcome == kImportTableFull;
}

// The batch was rolled back: none of its lines is stored, and storing stops
// here. Each line from the batch's first to the file's last is logged, with
// its own reason or that of the failed write.
void ImportSession::logUnstored(ImportTextFile& file, ImportErrorLog& log,
                                const std::vector<BatchLine>& batch, const std::string& failure) {
    const int writeFailed = request_.destination == ImportDestination::History
                                ? kImportHistoryWriteFailed
                                : kImportRosterWriteFailed;
    const std::string reason = ImportOutcomeReason(writeFailed);
    result_.unstoredFrom = batch.empty() ? number() + 1 : batch.front().number;
    result_.unstoredLine = result_.unstoredFrom + (request_.skipFirst ? 1 : 0);
    for (const BatchLine& l : batch) {
        const bool ownReason = l.outcome != kImportRegistered && l.outcome != kImportTableFull;
        log.write(l.number, ownReason ? ImportOutcomeReason(l.outcome) : reason, l.line);
    }
    std::string line;
    while (file.readLine(line)) {
        ++result_.read;
        log.write(number(), reason, line);
    }
    result_.unstoredLogged = log.flush();
    const std::string from = std::to_string(result_.unstoredFrom) + "件目（ファイルの" +
                             std::to_string(result_.unstoredLine) + "行目）";
    messages_.error(
        std::string("データの書き込みに失敗しました  \r\n") + failure + "\r\n\r\n" + from +
            "から後は登録されていません  \r\n" +
            (result_.unstoredLogged
                 ? "登録されなかったデータは理由を付けて " + std::string(kImportErrorLogName) +
                       " に出力しました  \r\n"
                 : std::string(kImportErrorLogName) + " にも書き込めませんでした  \r\n") +
            "空き容量などを確かめてから、" + from + "から取り込み直してください  ",
        owner_);
}

int ImportSession::importLine(const std::string& line, TextEncoding encoding) {
    // The line is decoded whole, once, and split as UTF-8: the same fields
    // as splitting its bytes, for a fraction of the conversions.
    std::string_view text = line;
    if (encoding == TextEncoding::Cp932) {
        decoded_ = cp932::decode(line);
        text = decoded_;
    }
    SplitRecordFields(text, fields_);
    if (static_cast<int>(fields_.size()) != request_.sampleFieldCount)
        return kImportFieldCount;
    const ImportMapping& mapping = request_.mapping;
    ItemValues& values = values_;
    values.resize(static_cast<std::size_t>(mapping.itemCount()) + 1);
    for (int item = 1; item <= mapping.itemCount(); ++item)
        mapping.valueInto(item, fields_, values[static_cast<std::size_t>(item)]);
    try {
        // A line whose write fails is undone alone, and the batch goes on:
        // a server refuses every statement after a failed one until the
        // transaction is rolled back to a savepoint before it, so a batch
        // written again gives each line one. SQLite undoes the failed
        // statement by itself, and a line writes with one statement.
        std::optional<sql::Transaction> lineWrite;
        if (lineSavepoints_)
            lineWrite.emplace(writer_.database());
        const int outcome = request_.destination == ImportDestination::History
                                ? storeHistory(values)
                                : storeRoster(values);
        if (lineWrite)
            lineWrite->commit();
        return outcome;
    } catch (const sql::SqliteError& e) {
        // A failure that ended the batch's transaction cannot be isolated,
        // and after a full disk no later line can be stored: the run ends
        // there and names where to go on.
        if (!writer_.database().inTransaction() || e.diskFailed())
            throw;
        if (writer_.database().engine() != sql::Engine::Sqlite && !lineSavepoints_)
            throw UnguardedWriteFailed{};
        return request_.destination == ImportDestination::History ? kImportHistoryWriteFailed
                                                                  : kImportRosterWriteFailed;
    }
}

bool ImportSession::roomForNew() {
    if (next_ <= Table::kMaxRecNo)
        return true;
    messages_.error(writer_.count() > Table::kMaxRecNo ? kLimitReached : kCounterFull, owner_);
    return false;
}

int ImportSession::storeHistory(const ItemValues& values) {
    if (!roomForNew())
        return kImportTableFull;
    HistoryBuild build = BuildHistoryRow(values, hyphenation_, now_);
    if (build.outcome != kImportRegistered)
        return build.outcome;
    build.row.RecNo = static_cast<int>(next_);
    dm_.RecvHis().fill(build.row, record_);
    writer_.insert(record_.record);
    ++next_;
    lists_.addRank(build.row.Rank);
    lists_.moveToTop(1, build.row.SelItem1);
    lists_.moveToTop(2, build.row.SelItem2);
    lists_.moveToTop(3, build.row.SelItem3);
    return kImportRegistered;
}

int ImportSession::storeRoster(const ItemValues& values) {
    const RosterNumbers numbers = RosterNumbersOf(values, now_);
    std::optional<std::int64_t> replace;
    if (numbers.any()) {
        if (numbers.number1 == numbers.number2)
            return kImportSeveralSameNumbers;
        auto find = [this](const std::string& number) {
            return writer_.firstWithNumber(number.substr(0, kTelSearchKeyLength));
        };
        replace = find(numbers.number1);
        if (!numbers.number2.empty()) {
            const auto second = find(numbers.number2);
            if (replace && second && *second != *replace)
                return kImportSeveralSameNumbers;
            if (!replace)
                replace = second;
        }
        if (replace && !request_.sameReplace)
            return kImportSameNumber;
    }
    if (!replace && !roomForNew())
        return kImportTableFull;
    RosterBuild build = BuildRosterRow(values, numbers, hyphenation_,
                                       request_.noSupplement ? nullptr : &supplement_, now_);
    if (build.outcome != kImportRegistered)
        return build.outcome;
    if (replace) {
        build.row.RecNo = static_cast<int>(*replace);
        dm_.Meibo().fill(build.row, record_);
        if (!writer_.update(record_.record))
            return kImportOtherError;
    } else {
        build.row.RecNo = static_cast<int>(next_);
        dm_.Meibo().fill(build.row, record_);
        writer_.insert(record_.record);
        ++next_;
    }
    lists_.addRank(build.row.Rank);
    return kImportRegistered;
}

// While a run lasts, SQLite's page cache holds a whole batch's pages. With
// the usual cache a batch outgrows it and SQLite writes pages out before
// the commit, each time after syncing the journal: a durable write more
// per spill, pages written twice, and the file locked to readers from
// then to the commit.
class BatchPageCache {
public:
    explicit BatchPageCache(sql::Database& db) : db_(db) {
        if (db.engine() != sql::Engine::Sqlite)
            return;
        sql::Statement current(db, "PRAGMA cache_size");
        if (current.step())
            previous_ = current.columnInt(0);
        db.exec("PRAGMA cache_size = -" + std::to_string(kKibibytes));
    }
    ~BatchPageCache() {
        try {
            if (previous_)
                db_.exec("PRAGMA cache_size = " + std::to_string(*previous_));
        } catch (const sql::Error&) {
            // The larger cache only costs memory until the table closes.
        }
    }
    BatchPageCache(const BatchPageCache&) = delete;
    BatchPageCache& operator=(const BatchPageCache&) = delete;

private:
    // Negative cache sizes are KiB: room for several 150 ms batches.
    static constexpr int kKibibytes = 64 * 1024;
    sql::Database& db_;
    std::optional<std::int64_t> previous_;
};

// Statistics only speed up later reads: failing to gather them must not
// turn a finished import into a failed one.
void refreshStatistics(Table& table) {
    try {
        table.refreshStatistics();
    } catch (const sql::Error&) {
    }
}

} // namespace

std::chrono::steady_clock::duration NextBatchTime(const ImportBatchLimits& limits,
                                                  std::chrono::steady_clock::duration lastCommit) {
    constexpr int kWorkPerCommit = 4;
    const std::chrono::steady_clock::duration time = limits.time;
    const std::chrono::steady_clock::duration longest = limits.longest;
    return std::clamp(lastCommit * kWorkPerCommit, time, std::max(time, longest));
}

ImportRun::ImportRun(TDMKanata195& dm, const HyphenationService& hyphenation,
                     AddressSupplement& supplement, MessageService& messages, const void* owner)
    : dm_(dm), hyphenation_(hyphenation), supplement_(supplement), messages_(messages),
      owner_(owner) {}

ImportResult ImportRun::run(const ImportRequest& request, const Progress& progress) {
    ImportResult result;
    const bool history = request.destination == ImportDestination::History;
    TableUse use(dm_, history ? &TDMKanata195::OpenRecvHis : &TDMKanata195::OpenMeibo,
                 history ? &TDMKanata195::CloseRecvHis : &TDMKanata195::CloseMeibo);
    if (!use) {
        result.aborted = true;
        return result;
    }
    Table& table = history ? dm_.RecvHis().table() : dm_.Meibo().table();
    result.backedUp = BackUpForImport(table.database(), dm_.dataFolder(), request.destination,
                                      history ? RecvHisTable::kFileName : MeiboTable::kFileName);
    if (const std::string failure = supplement_.open(); !failure.empty()) {
        messages_.error(failure, owner_);
        result.aborted = true;
        return result;
    }
    ImportTextFile file;
    std::string header;
    if (!file.open(request.file)) {
        messages_.information("指定したテキストファイルが見つかりません  ", owner_);
        result.aborted = true;
        return result;
    }
    if (request.skipFirst)
        file.readLine(header);
    for (long long passed = 1; passed < request.firstRecord; ++passed)
        if (!file.readLine(header))
            break;
    ImportSession session(dm_, request, hyphenation_, supplement_, messages_, owner_, table);
    const bool backedUp = result.backedUp;
    {
        const BatchPageCache cache(table.database());
        result = session.run(file, limits_, progress);
    }
    result.backedUp = backedUp;
    refreshStatistics(table);
    return result;
}

} // namespace kanata
