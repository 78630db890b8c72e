#pragma once
// The data folder backed up in generations at every start: bakData/1 is the
// newest, up to bakData/N; older generations move up one place, the oldest
// is dropped. With the tables on a server, a generation holds pg_dump's
// file of them (ServerDump.h) in place of the two table files.
#include "data/StoreSettings.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kanata {

class MessageService;

// Result codes of a run (0 = done).
enum class BackupCode {
    Done = 0,
    OldestNotSetAside = 101,
    GenerationNotMoved = 102,
    TemporaryNotRemoved = 103,
    NewestNotCreated = 201,
    NewestMissing = 202,
    NewestNotCopied = 203,
};

inline constexpr const char* kBackupFolderName = "bakData";
inline constexpr const char* kBackupErrorLogName = "ErrorLog.txt";

// The files saved, in their four groups. The index files of the original
// table format are kept in the lists: they are copied where they exist, so
// a data folder carried over from it keeps them in its generations.
const std::vector<std::vector<std::string>>& backupGroups();

// True for the two table files, which are copied as databases.
bool isTableFile(const std::string& name);

class TAutoBackup {
public:
    // `generations` is AUTO BACKUP AutoBUCount (1..9); `store` is where
    // the tables live.
    TAutoBackup(std::filesystem::path workFolder, std::filesystem::path dataFolder, int generations,
                sql::StoreSettings store = {});

    // Rotates the generations and copies the data folder into bakData/1.
    // With the tables on a server, a dump that fails leaves the generations
    // as they were. Leaves code(); never throws for a file-system failure.
    void Run();
    BackupCode code() const { return code_; }
    // Detail of the first failure, for the log (empty when done).
    const std::string& detail() const { return detail_; }
    // What the user is told beside the code when the server's tables could
    // not be saved (empty otherwise).
    const std::string& serverMessage() const { return serverMessage_; }

    // A desk leaves the server's tables to the line PC's run: each desk
    // dumping the same tables at every start would only stack up copies and
    // load the server while the office starts its day.
    void setDumpServerTables(bool dump) { dumpServerTables_ = dump; }

    // When the run failed: tells the user and appends the two log lines.
    void Report(MessageService& messages, const void* owner = nullptr) const;

    std::filesystem::path backupRoot() const { return workFolder_ / kBackupFolderName; }
    std::filesystem::path generationFolder(int g) const;

private:
    bool rotate();
    void createNewest();
    void copyGroups();
    std::filesystem::path pendingServerDump() const;
    bool dumpServerTables();
    void placeServerDump();
    bool copyGroup(const std::vector<std::string>& files, const std::filesystem::path& target);
    void fail(BackupCode code, const std::string& detail);

    std::filesystem::path workFolder_;
    std::filesystem::path dataFolder_;
    int generations_;
    sql::StoreSettings store_;
    std::string serverMessage_;
    bool dumpServerTables_ = true;
    BackupCode code_ = BackupCode::Done;
    std::string detail_;
};

// The message text and the log text of a code.
std::string backupMessageText(BackupCode code);
std::string backupLogText(BackupCode code);

// The two lines appended to bakData/ErrorLog.txt for a failed run (code
// page 932, CR LF), with the date and time as the system writes them.
std::string backupErrorLogLines(BackupCode code, const std::string& dateTime);

} // namespace kanata
