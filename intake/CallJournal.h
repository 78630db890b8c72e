#pragma once
// The intake journal: every call line an adapter library posts is written
// here, and flushed to the disk, before the library's post returns. A call
// the adapter has handed over therefore survives a crash of the program
// before the main thread stored it; the next start stores it from here.
//
// One text line per record, each ending in a checksum so that a line torn
// by a crash or a power loss is recognised and ignored:
//   A <seq> <arrival> <raw line in hex>   a call was accepted (flushed)
//   L <seq> <offset>                      its raw log line goes to this offset
//   D <seq>                               its history row is committed
// Only the acceptance is flushed. A lost L or D mark costs nothing: the
// next start checks the history table and the raw log itself before it
// stores or logs a call again.
//
// The file is emptied whenever every call in it is done and it has grown
// past kCompactBytes, and at start-up when nothing is left to recover, so it
// holds little more than the calls still waiting.
#include "data/DateTime.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kanata {

struct JournalCall {
    std::uint64_t seq = 0; // 0: not in the journal
    DateTime arrival;
    std::string raw; // the line as the library sent it (code page 932)
    // Written by an earlier run of the program: its row or raw log line may
    // already exist.
    bool recovered = false;
    // Recovered only: where its raw log line was being written, if known.
    std::optional<std::uint64_t> logOffset;
};

class CallJournal {
public:
    static constexpr const char* kFileName = "IntakeJournal.dat";
    static constexpr std::uint64_t kCompactBytes = 64 * 1024;

    // Opens the journal, creating it when missing, and reads the calls an
    // earlier run left unfinished. Throws std::runtime_error (with the path
    // and the reason) when the file cannot be opened.
    explicit CallJournal(std::filesystem::path file);
    ~CallJournal();
    CallJournal(const CallJournal&) = delete;
    CallJournal& operator=(const CallJournal&) = delete;

    // The calls of earlier runs still to be finished, oldest first; handed
    // out once.
    std::vector<JournalCall> takeUnfinished();

    // Any thread. Records a call and flushes it to the disk. The arrival is
    // `now`, moved on by a millisecond where needed so that every call in
    // the journal has its own arrival time. `durable` is false when the
    // record could not be written; the call is then only in memory.
    JournalCall accept(std::string raw, DateTime now, bool& durable);

    void markLogged(std::uint64_t seq, std::uint64_t offset);
    void markDone(std::uint64_t seq);

    std::uint64_t sizeBytes() const;
    std::size_t openCalls() const;
    const std::filesystem::path& file() const { return file_; }

private:
    void load();
    bool append(const std::string& record, bool flush);
    void compactIfIdle(std::uint64_t threshold);

    std::filesystem::path file_;
    int fd_ = -1;
    mutable std::mutex mutex_;
    std::uint64_t nextSeq_ = 1;
    std::uint64_t size_ = 0;
    std::optional<DateTime> lastArrival_;
    std::set<std::uint64_t> open_;
    std::vector<JournalCall> unfinished_;
};

// Told once when the journal cannot be used; the calls are still stored,
// only a crash before that would lose them.
inline constexpr const char* kJournalUnavailable =
    "着信の控えファイルが開けません  \r\n"
    "着信は保存しますが、保存前にプログラムが異常終了すると  \r\n"
    "その着信が失われることがあります  ";
inline constexpr const char* kJournalWriteFailure =
    "着信の控えファイルに書き込めませんでした  \r\n"
    "着信は保存しますが、保存前にプログラムが異常終了すると  \r\n"
    "その着信が失われることがあります  ";

// The moment one millisecond after `t`.
DateTime NextMillisecond(DateTime t);

} // namespace kanata
