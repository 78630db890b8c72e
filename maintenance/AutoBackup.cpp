#include "maintenance/AutoBackup.h"

#include "data/Cp932.h"
#include "maintenance/FolderMoves.h"
#include "maintenance/ServerDump.h"
#include "maintenance/TableFileCopy.h"
#include "platform/DurableFile.h"
#include "platform/MessageService.h"

#include <ctime>
#include <fstream>

namespace kanata {
namespace fs = std::filesystem;
namespace {

std::string localDateTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}

// A copy left read-only (as the original program could leave one) must be
// replaceable.
void makeWritable(const fs::path& file) {
    std::error_code ec;
    if (fs::exists(file, ec))
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                        ec);
}

bool copyPlainFile(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
    return !ec && flushPath(target);
}

} // namespace

const std::vector<std::vector<std::string>>& backupGroups() {
    static const std::vector<std::vector<std::string>> groups = {
        {"RecvHis.DB", "RecvHis.PX", "RecvHis.X02", "RecvHis.X03", "RecvHis.X05", "RecvHis.XG0",
         "RecvHis.XG1", "RecvHis.XG2", "RecvHis.XG3", "RecvHis.Y02", "RecvHis.Y03", "RecvHis.Y05",
         "RecvHis.YG0", "RecvHis.YG1", "RecvHis.YG2", "RecvHis.YG3"},
        {"Meibo.DB", "Meibo.MB", "Meibo.PX", "Meibo.X02", "Meibo.X03", "Meibo.X04", "Meibo.XG0",
         "Meibo.XG1", "Meibo.XG2", "Meibo.XG3", "Meibo.XG4", "Meibo.Y02", "Meibo.Y03", "Meibo.Y04",
         "Meibo.YG0", "Meibo.YG1", "Meibo.YG2", "Meibo.YG3", "Meibo.YG4"},
        {"Rank.mtd"},
        {"SelItem1.mtd", "SelItem2.mtd", "SelItem3.mtd"},
    };
    return groups;
}

bool isTableFile(const std::string& name) {
    return name == "RecvHis.DB" || name == "Meibo.DB";
}

TAutoBackup::TAutoBackup(fs::path workFolder, fs::path dataFolder, int generations,
                         sql::StoreSettings store)
    : workFolder_(std::move(workFolder)), dataFolder_(std::move(dataFolder)),
      generations_(generations < 1 ? 1 : (generations > 9 ? 9 : generations)),
      store_(std::move(store)) {}

fs::path TAutoBackup::generationFolder(int g) const {
    return backupRoot() / std::to_string(g);
}

// A later failure replaces an earlier one: the code tells the last step
// that went wrong, which is where the user should look first.
void TAutoBackup::fail(BackupCode code, const std::string& detail) {
    code_ = code;
    detail_ = detail;
}

// The server's tables are dumped before the generations move: a server that
// cannot be reached would otherwise push a generation without its tables in
// at every start and, after as many starts as there are generations, leave
// no copy of the tables at all.
void TAutoBackup::Run() {
    code_ = BackupCode::Done;
    detail_.clear();
    serverMessage_.clear();
    const bool dumping = store_.engine == sql::Engine::Postgresql && dumpServerTables_;
    if (dumping && !dumpServerTables())
        return;
    const bool rotated = rotate();
    if (rotated)
        createNewest();
    if (rotated && code_ != BackupCode::NewestMissing) {
        copyGroups();
        if (dumping)
            placeServerDump();
    }
    std::error_code ec;
    if (dumping)
        fs::remove(pendingServerDump(), ec);
}

bool TAutoBackup::rotate() {
    std::error_code ec;
    if (!fs::exists(generationFolder(1), ec))
        return true;
    const int n = generations_;
    int present = n;
    for (int g = 2; g <= n; ++g)
        if (!fs::exists(generationFolder(g), ec)) {
            present = g - 1;
            break;
        }
    const fs::path temporary = backupRoot() / (std::to_string(n) + "_temp");
    if (present == n) {
        std::string why;
        if (fs::exists(temporary, ec))
            fs::remove_all(temporary, ec); // left by an interrupted run
        if (!moveFolder(generationFolder(n), temporary, why)) {
            fail(BackupCode::OldestNotSetAside, why);
            return false;
        }
        present = n - 1;
    }
    for (int g = present; g >= 1; --g) {
        std::string why;
        if (!moveFolder(generationFolder(g), generationFolder(g + 1), why)) {
            fail(BackupCode::GenerationNotMoved, why);
            return false;
        }
    }
    if (fs::exists(temporary, ec)) {
        fs::remove_all(temporary, ec);
        if (fs::exists(temporary))
            fail(BackupCode::TemporaryNotRemoved, ec ? ec.message() : temporary.string());
    }
    return true;
}

void TAutoBackup::createNewest() {
    std::error_code ec;
    fs::create_directories(generationFolder(1), ec);
    if (ec)
        fail(BackupCode::NewestNotCreated, ec.message());
    if (!fs::is_directory(generationFolder(1), ec))
        fail(BackupCode::NewestMissing, generationFolder(1).string());
}

void TAutoBackup::copyGroups() {
    for (const auto& group : backupGroups())
        copyGroup(group, generationFolder(1));
}

fs::path TAutoBackup::pendingServerDump() const {
    return backupRoot() / kServerDumpName;
}

bool TAutoBackup::dumpServerTables() {
    std::error_code ec;
    fs::create_directories(backupRoot(), ec);
    const ServerToolOutcome dumped = kanata::dumpServerTables(store_.server, pendingServerDump());
    if (!dumped.done) {
        fail(BackupCode::NewestNotCopied, std::string(kServerDumpName) + ": " + dumped.error);
        serverMessage_ = dumped.message;
    }
    return dumped.done;
}

void TAutoBackup::placeServerDump() {
    const fs::path target = generationFolder(1) / kServerDumpName;
    if (const std::error_code moved = renameDurably(pendingServerDump(), target))
        fail(BackupCode::NewestNotCopied, target.string() + ": " + moved.message());
}

bool TAutoBackup::copyGroup(const std::vector<std::string>& files, const fs::path& target) {
    std::error_code ec;
    fs::create_directories(target, ec);
    if (ec) {
        fail(BackupCode::NewestNotCopied, ec.message());
        return false;
    }
    bool ok = true;
    const bool onServer = store_.engine == sql::Engine::Postgresql;
    for (const std::string& name : files) {
        // Table files left in the data folder from before the tables moved
        // to the server are not the data in use.
        if (onServer && isTableFile(name))
            continue;
        const fs::path source = dataFolder_ / name;
        if (!fs::exists(source, ec))
            continue;
        makeWritable(target / name);
        std::string why;
        const bool copied = isTableFile(name) ? copyTableFile(source, target / name, why)
                                              : copyPlainFile(source, target / name);
        if (!copied) {
            fail(BackupCode::NewestNotCopied, name + ": " + (why.empty() ? "copy failed" : why));
            ok = false;
        }
    }
    return ok;
}

std::string backupMessageText(BackupCode code) {
    switch (code) {
    case BackupCode::OldestNotSetAside:
        return "101　一番古いデータの一時保存失敗　";
    case BackupCode::GenerationNotMoved:
        return "102　いずれかの世代のデータのバックアップ失敗　";
    case BackupCode::TemporaryNotRemoved:
        return "103　一時フォルダー削除失敗";
    case BackupCode::NewestNotCreated:
        return "201　最新データの保存フォルダー作成失敗　";
    case BackupCode::NewestMissing:
        return "202　最新データの保存フォルダー確認失敗　";
    case BackupCode::NewestNotCopied:
        return "203　最新データのバックアップ失敗　";
    case BackupCode::Done:
        break;
    }
    return {};
}

std::string backupLogText(BackupCode code) {
    switch (code) {
    case BackupCode::OldestNotSetAside:
        return ", 101：一番古い世代のデータの一時保存失敗";
    case BackupCode::GenerationNotMoved:
        return ", 102：いずれかの世代のデータのバックアップ失敗";
    case BackupCode::TemporaryNotRemoved:
        return ", 103：一時フォルダー削除失敗";
    case BackupCode::NewestNotCreated:
        return ", 201：最新データの保存フォルダー作成失敗";
    case BackupCode::NewestMissing:
        return ", 202：最新データの保存フォルダー確認失敗";
    case BackupCode::NewestNotCopied:
        return ", 203：最新データのバックアップ失敗";
    case BackupCode::Done:
        break;
    }
    return {};
}

std::string backupErrorLogLines(BackupCode code, const std::string& dateTime) {
    return std::string(55, '-') + "\r\n" + cp932::encode(dateTime + backupLogText(code)) + "\r\n";
}

void TAutoBackup::Report(MessageService& messages, const void* owner) const {
    if (code_ == BackupCode::Done)
        return;
    std::error_code ec;
    fs::create_directories(backupRoot(), ec);
    std::ofstream(backupRoot() / kBackupErrorLogName, std::ios::binary | std::ios::app)
        << backupErrorLogLines(code_, localDateTimeText());
    const std::string server = serverMessage_.empty() ? "" : serverMessage_ + "\r\n\r\n";
    messages.information(backupMessageText(code_) + "\r\n\r\n" + server +
                             "起動時の自動バックアップに失敗しました　\r\n" +
                             "以下のフォルダー内の状態をご確認ください。　\r\n\r\n" +
                             (backupRoot().string() + "/"),
                         owner);
}

} // namespace kanata
