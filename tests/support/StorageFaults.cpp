#include "tests/support/StorageFaults.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <string_view>

namespace kanata::test {

struct StorageFaults::State {
    sqlite3_vfs vfs{};
    sqlite3_vfs* root = nullptr;
    std::string name;
    std::string writePrefix, readPrefix;
    int writeError = 0, readError = 0;
    int refused = 0;

    static bool matches(std::string_view path, const std::string& prefix) {
        if (prefix.empty())
            return false;
        const auto slash = path.find_last_of('/');
        const std::string_view file =
            slash == std::string_view::npos ? path : path.substr(slash + 1);
        return file.substr(0, prefix.size()) == prefix;
    }
    int fault(std::string_view path, FileAccess access) {
        const bool write = access == FileAccess::Write;
        const int error = write ? writeError : readError;
        if (error == 0 || !matches(path, write ? writePrefix : readPrefix))
            return 0;
        ++refused;
        return error;
    }
};

namespace {

using State = StorageFaults::State;

// The file SQLite allocates for this VFS: ours, followed by the default
// VFS's own.
struct FaultFile {
    sqlite3_file base;
    State* state;
    const char* name; // valid until xClose, as SQLite promises
    sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

FaultFile* self(sqlite3_file* file) {
    return reinterpret_cast<FaultFile*>(file);
}
sqlite3_file* real(sqlite3_file* file) {
    return self(file)->real();
}
State* stateOf(sqlite3_vfs* vfs) {
    return static_cast<State*>(vfs->pAppData);
}
sqlite3_vfs* root(sqlite3_vfs* vfs) {
    return stateOf(vfs)->root;
}

int refusal(FaultFile* f, FileAccess access) {
    const int error = f->name ? f->state->fault(f->name, access) : 0;
    if (error == 0)
        return SQLITE_OK;
    if (access == FileAccess::Read)
        return SQLITE_IOERR_READ;
    return error == ENOSPC ? SQLITE_FULL : SQLITE_IOERR_WRITE;
}

int fileClose(sqlite3_file* f) {
    return real(f)->pMethods->xClose(real(f));
}
int fileRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    if (int rc = refusal(self(f), FileAccess::Read))
        return rc;
    return real(f)->pMethods->xRead(real(f), buffer, amount, offset);
}
int fileWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    if (int rc = refusal(self(f), FileAccess::Write))
        return rc;
    return real(f)->pMethods->xWrite(real(f), buffer, amount, offset);
}
int fileTruncate(sqlite3_file* f, sqlite3_int64 size) {
    if (int rc = refusal(self(f), FileAccess::Write))
        return rc;
    return real(f)->pMethods->xTruncate(real(f), size);
}
int fileSync(sqlite3_file* f, int flags) {
    return real(f)->pMethods->xSync(real(f), flags);
}
int fileSize(sqlite3_file* f, sqlite3_int64* size) {
    return real(f)->pMethods->xFileSize(real(f), size);
}
int fileLock(sqlite3_file* f, int level) {
    return real(f)->pMethods->xLock(real(f), level);
}
int fileUnlock(sqlite3_file* f, int level) {
    return real(f)->pMethods->xUnlock(real(f), level);
}
int fileCheckReservedLock(sqlite3_file* f, int* out) {
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int fileControl(sqlite3_file* f, int op, void* arg) {
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int fileSectorSize(sqlite3_file* f) {
    return real(f)->pMethods->xSectorSize(real(f));
}
int fileDeviceCharacteristics(sqlite3_file* f) {
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}

// Version 1: no shared memory and no memory mapping, which the tables'
// rollback journal does not use.
const sqlite3_io_methods kMethods = {
    1,
    fileClose,
    fileRead,
    fileWrite,
    fileTruncate,
    fileSync,
    fileSize,
    fileLock,
    fileUnlock,
    fileCheckReservedLock,
    fileControl,
    fileSectorSize,
    fileDeviceCharacteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

int vfsOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    FaultFile* f = self(file);
    f->state = stateOf(vfs);
    f->name = name;
    f->real()->pMethods = nullptr;
    const int rc = root(vfs)->xOpen(root(vfs), name, f->real(), flags, outFlags);
    f->base.pMethods = f->real()->pMethods ? &kMethods : nullptr;
    return rc;
}
int vfsDelete(sqlite3_vfs* vfs, const char* name, int syncDir) {
    return root(vfs)->xDelete(root(vfs), name, syncDir);
}
int vfsAccess(sqlite3_vfs* vfs, const char* name, int flags, int* out) {
    return root(vfs)->xAccess(root(vfs), name, flags, out);
}
int vfsFullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
    return root(vfs)->xFullPathname(root(vfs), name, size, out);
}
void* vfsDlOpen(sqlite3_vfs* vfs, const char* name) {
    return root(vfs)->xDlOpen(root(vfs), name);
}
void vfsDlError(sqlite3_vfs* vfs, int size, char* out) {
    root(vfs)->xDlError(root(vfs), size, out);
}
void (*vfsDlSym(sqlite3_vfs* vfs, void* handle, const char* symbol))(void) {
    return root(vfs)->xDlSym(root(vfs), handle, symbol);
}
void vfsDlClose(sqlite3_vfs* vfs, void* handle) {
    root(vfs)->xDlClose(root(vfs), handle);
}
int vfsRandomness(sqlite3_vfs* vfs, int size, char* out) {
    return root(vfs)->xRandomness(root(vfs), size, out);
}
int vfsSleep(sqlite3_vfs* vfs, int microseconds) {
    return root(vfs)->xSleep(root(vfs), microseconds);
}
int vfsCurrentTime(sqlite3_vfs* vfs, double* out) {
    return root(vfs)->xCurrentTime(root(vfs), out);
}
int vfsGetLastError(sqlite3_vfs* vfs, int size, char* out) {
    return root(vfs)->xGetLastError(root(vfs), size, out);
}
int vfsCurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* out) {
    return root(vfs)->xCurrentTimeInt64(root(vfs), out);
}

} // namespace

StorageFaults::StorageFaults() : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.root = sqlite3_vfs_find(nullptr);
    if (!s.root || s.root->iVersion < 2)
        throw std::runtime_error("no default SQLite VFS to wrap");
    char name[64];
    std::snprintf(name, sizeof name, "kanata-faults-%p", static_cast<void*>(&s));
    s.name = name;
    s.vfs.iVersion = 2;
    s.vfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + s.root->szOsFile;
    s.vfs.mxPathname = s.root->mxPathname;
    s.vfs.zName = s.name.c_str();
    s.vfs.pAppData = &s;
    s.vfs.xOpen = vfsOpen;
    s.vfs.xDelete = vfsDelete;
    s.vfs.xAccess = vfsAccess;
    s.vfs.xFullPathname = vfsFullPathname;
    s.vfs.xDlOpen = vfsDlOpen;
    s.vfs.xDlError = vfsDlError;
    s.vfs.xDlSym = vfsDlSym;
    s.vfs.xDlClose = vfsDlClose;
    s.vfs.xRandomness = vfsRandomness;
    s.vfs.xSleep = vfsSleep;
    s.vfs.xCurrentTime = vfsCurrentTime;
    s.vfs.xGetLastError = vfsGetLastError;
    s.vfs.xCurrentTimeInt64 = vfsCurrentTimeInt64;
    if (sqlite3_vfs_register(&s.vfs, 0) != SQLITE_OK)
        throw std::runtime_error("cannot register the SQLite VFS " + s.name);
}

StorageFaults::~StorageFaults() {
    sqlite3_vfs_unregister(&state_->vfs);
}

StorageHooks StorageFaults::hooks() const {
    State* s = state_.get();
    return {s->name, [s](const std::filesystem::path& file, FileAccess access) {
                return s->fault(file.string(), access);
            }};
}

void StorageFaults::failWrites(const std::string& fileName, int error) {
    state_->writePrefix = fileName;
    state_->writeError = error;
}

void StorageFaults::failReads(const std::string& fileName, int error) {
    state_->readPrefix = fileName;
    state_->readError = error;
}

void StorageFaults::heal() {
    state_->writeError = state_->readError = 0;
}

int StorageFaults::refused() const {
    return state_->refused;
}

} // namespace kanata::test
