#include "maintenance/TableFileCopy.h"

#include "platform/DurableFile.h"

#include <sqlite3.h>

namespace kanata {
namespace fs = std::filesystem;
namespace {

// Closes a handle however the copy ends.
struct Handle {
    sqlite3* db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
};

bool openReadOnly(const fs::path& file, Handle& handle, std::string& error) {
    if (sqlite3_open_v2(file.c_str(), &handle.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        error = handle.db ? sqlite3_errmsg(handle.db) : "out of memory";
        return false;
    }
    sqlite3_busy_timeout(handle.db, 5000);
    return true;
}

bool backUp(sqlite3* from, const fs::path& to, std::string& error) {
    Handle target;
    if (sqlite3_open_v2(to.c_str(), &target.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        error = target.db ? sqlite3_errmsg(target.db) : "out of memory";
        return false;
    }
    sqlite3_backup* backup = sqlite3_backup_init(target.db, "main", from, "main");
    if (!backup) {
        error = sqlite3_errmsg(target.db);
        return false;
    }
    // All pages in one step: the source is read under one shared lock, so
    // the copy is one consistent state of the table.
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE || finished != SQLITE_OK) {
        error = sqlite3_errstr(stepped != SQLITE_DONE ? stepped : finished);
        return false;
    }
    return true;
}

} // namespace

bool copyOpenTable(sqlite3* source, const fs::path& target, std::string& error) {
    if (!source) {
        // Tables on a server are no file to copy; the server keeps them.
        error = "the table is not a SQLite file";
        return false;
    }
    const fs::path partial = target.string() + ".part";
    std::error_code ec;
    fs::remove(partial, ec);
    if (!backUp(source, partial, error) || !flushPath(partial)) {
        if (error.empty())
            error = "cannot flush " + partial.string();
        fs::remove(partial, ec);
        return false;
    }
    if (const std::error_code renamed = renameDurably(partial, target)) {
        error = renamed.message();
        fs::remove(partial, ec);
        return false;
    }
    return true;
}

bool copyTableFile(const fs::path& source, const fs::path& target, std::string& error) {
    Handle from;
    return openReadOnly(source, from, error) && copyOpenTable(from.db, target, error);
}

bool tableFileIsSound(const fs::path& file, std::string& error) {
    Handle handle;
    if (!openReadOnly(file, handle, error))
        return false;
    sqlite3_stmt* check = nullptr;
    if (sqlite3_prepare_v2(handle.db, "PRAGMA integrity_check", -1, &check, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(handle.db);
        return false;
    }
    std::string verdict;
    if (sqlite3_step(check) == SQLITE_ROW)
        verdict = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
    else
        verdict = sqlite3_errmsg(handle.db);
    sqlite3_finalize(check);
    if (verdict != "ok") {
        error = verdict;
        return false;
    }
    return true;
}

} // namespace kanata
