#pragma once
// Storage that fails on demand, for the tests of the failure paths: a SQLite
// VFS of this object's own, which passes everything to SQLite's default VFS
// until told to fail the writes or the reads of a file, and the same for the
// item-list files through their fault hook. Hand hooks() to the data module;
// the tables and lists then fail exactly where a full disk, a read-only
// folder or a damaged file would make them fail.
#include "data/StorageHooks.h"

#include <memory>
#include <string>

namespace kanata::test {

class StorageFaults {
public:
    StorageFaults();  // registers the VFS under a name of its own
    ~StorageFaults(); // and takes it away again
    StorageFaults(const StorageFaults&) = delete;
    StorageFaults& operator=(const StorageFaults&) = delete;

    StorageHooks hooks() const;

    // From now on every write to a file whose name begins with `fileName`
    // ("RecvHis.DB" covers its journal too) fails with `error`: ENOSPC as a
    // full disk, EROFS as a read-only folder, EIO as a failing device.
    void failWrites(const std::string& fileName, int error = ENOSPC);
    // The same for reads (a damaged file or device).
    void failReads(const std::string& fileName, int error = EIO);
    // Everything works again.
    void heal();
    // How many accesses were refused so far.
    int refused() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};

} // namespace kanata::test
