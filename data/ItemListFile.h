#pragma once
// An item list kept as a file of the data folder, written durably (the old
// file is replaced only by a complete new one).
#include "data/ItemListMedium.h"
#include "data/StorageHooks.h"

#include <filesystem>

namespace kanata {

class ItemListFile : public ItemListMedium {
public:
    // `faults` is asked before each read and write of the file (tests only).
    ItemListFile(std::filesystem::path path, FileFaultHook faults = {})
        : path_(std::move(path)), faults_(std::move(faults)) {}

    std::string where() const override { return path_.string(); }
    // The data folder belongs to one program at a time.
    bool shared() const override { return false; }
    std::optional<std::string> read() override;
    void write(const std::string& bytes) override;
    void update(const Change& change) override;

private:
    int fault(FileAccess access) const { return faults_ ? faults_(path_, access) : 0; }
    std::filesystem::path path_;
    FileFaultHook faults_;
};

} // namespace kanata
