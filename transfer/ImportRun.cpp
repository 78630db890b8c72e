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

#include <array>
#include <optional>
#include <vector>

namespace kanata {
namespace {

constexpr const char* kLimitReached =
    "最大登録件数10万件に達しました  \r\nこれ以上登録できません  ";
constexpr const char* kCounterFull = "データ管理カウンタが一杯になり登録できませんでした  \r\n"
                                     "最適化処理を行うことにより登録できるようになります  ";

// The rank and selection-item lists a run changes; saved with each batch.
class ItemListUpdates {
public:
    explicit ItemListUpdates(TDMKanata195& dm) : dm_(dm) {}

    void addRank(const std::string& rank) {
        const std::string text = cp932::cutToWidth(rank, TDMKanata195::kRankItemSize);
        if (text.empty() || dm_.Rank().IndexOf(text) >= 0)
            return;
        dm_.Rank().Add(text);
        changed_[0] = true;
    }
    void moveToTop(int n, const std::string& value) {
        const std::string text = cp932::cutToWidth(value, TDMKanata195::kSelItemSize);
        THistoryData& list = dm_.SelItem(n);
        const int at = text.empty() ? 0 : list.IndexOf(text);
        if (at == 0)
            return;
        if (at > 0)
            list.Delete(at);
        list.Insert(0, text);
        changed_[static_cast<std::size_t>(n)] = true;
    }
    // Writes the changed lists; the first failure is shown once.
    void save(MessageService& messages, const void* owner) {
        for (int n = 0; n < 4; ++n) {
            if (!changed_[static_cast<std::size_t>(n)])
                continue;
            changed_[static_cast<std::size_t>(n)] = false;
            try {
                (n == 0 ? dm_.Rank() : dm_.SelItem(n)).Save();
            } catch (const EHistoryDataError& e) {
                if (!failed_)
                    messages.error(e.what(), owner);
                failed_ = true;
            }
        }
    }

private:
    TDMKanata195& dm_;
    std::array<bool, 4> changed_{};
    bool failed_ = false;
};

// A line of the batch in progress with what became of it; the log gets it
// only when the batch has been committed.
struct BatchLine {
    long long number;
    std::string line;
    int outcome;
};

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
    bool runBatch(ImportTextFile& file, ImportErrorLog& log, const ImportBatchLimits& limits);
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
};

ImportResult ImportSession::run(ImportTextFile& file, const ImportBatchLimits& limits,
                                const ImportRun::Progress& progress) {
    ImportErrorLog log(dm_.dataFolder() / kImportErrorLogName, file.encoding());
    while (!endOfFile_ && !result_.tableFull) {
        const bool ok = runBatch(file, log, limits);
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

bool ImportSession::runBatch(ImportTextFile& file, ImportErrorLog& log,
                             const ImportBatchLimits& limits) {
    const auto started = std::chrono::steady_clock::now();
    std::vector<BatchLine> lines;
    try {
        sql::Transaction batch(writer_.database());
        next_ = writer_.nextRecNo();
        writer_.beginBatch();
        now_ = DateTime::now();
        std::string line;
        for (int rows = 0; rows < limits.rows; ++rows) {
            if (rows > 0 && std::chrono::steady_clock::now() - started >= limits.time)
                break;
            if (!file.readLine(line)) {
                endOfFile_ = true;
                break;
            }
            ++result_.read;
            // In the batch before it is tried: a failure that ends the batch
            // while storing it must find it there.
            lines.push_back({number(), line, kImportRegistered});
            const int outcome = importLine(line, file.encoding());
            lines.back().outcome = outcome;
            if (outcome == kImportTableFull) {
                result_.tableFull = true;
                break;
            }
        }
        writer_.endBatch();
        batch.commit();
    } catch (const sql::SqliteError& e) {
        logUnstored(file, log, lines, e.what());
        return false;
    }
    for (const BatchLine& l : lines) {
        if (l.outcome == kImportRegistered)
            ++result_.registered;
        else if (l.outcome != kImportTableFull)
            log.write(l.number, ImportOutcomeReason(l.outcome), l.line);
    }
    return true;
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
    const int separators = CountSeparators(line, encoding);
    if (separators + 1 != request_.sampleFieldCount)
        return kImportFieldCount;
    std::vector<std::string> fields =
        SplitFields(line, separators, SplitMode::Unquote, ',', 0, encoding);
    if (encoding == TextEncoding::Cp932)
        for (std::string& f : fields)
            f = cp932::decode(f);
    const ImportMapping& mapping = request_.mapping;
    ItemValues values(static_cast<std::size_t>(mapping.itemCount()) + 1);
    for (int item = 1; item <= mapping.itemCount(); ++item)
        values[static_cast<std::size_t>(item)] = mapping.value(item, fields);
    try {
        // A line whose write fails is undone alone, and the batch goes on:
        // a server refuses every statement after a failed one until the
        // transaction is rolled back to a savepoint before it. SQLite
        // undoes the failed statement by itself, and a line writes with
        // one statement, so it goes without the savepoint's cost.
        std::optional<sql::Transaction> lineWrite;
        if (writer_.database().engine() != sql::Engine::Sqlite)
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
    writer_.insert(dm_.RecvHis().toRecord(build.row));
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
            const std::string key = number.substr(0, kTelSearchKeyLength);
            auto hit = writer_.firstWith("SchTel1", key);
            return hit ? hit : writer_.firstWith("SchTel2", key);
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
        if (!writer_.update(dm_.Meibo().toRecord(build.row)))
            return kImportOtherError;
    } else {
        build.row.RecNo = static_cast<int>(next_);
        writer_.insert(dm_.Meibo().toRecord(build.row));
        ++next_;
    }
    lists_.addRank(build.row.Rank);
    return kImportRegistered;
}

// Statistics only speed up later reads: failing to gather them must not
// turn a finished import into a failed one.
void refreshStatistics(Table& table) {
    try {
        table.refreshStatistics();
    } catch (const sql::Error&) {
    }
}

} // namespace

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
    result = session.run(file, limits_, progress);
    result.backedUp = backedUp;
    refreshStatistics(table);
    return result;
}

} // namespace kanata
