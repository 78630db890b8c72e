#pragma once
// An item list (Rank.mtd, SelItem1.mtd..SelItem3.mtd): an ordered list of
// texts, each with a date, kept in a small binary file. Texts are UTF-8 here
// and code page 932 in the file; each is at most the list's item size in
// code page 932 bytes.
#include "data/StorageHooks.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace kanata {

class EHistoryDataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct THistoryStruct {
    double date = 0; // day count: days since 1899-12-30, fraction = time of day
    std::string text;
};

class THistoryData {
public:
    // itemSize 1..255, else EHistoryDataError; a missing file is an error
    // unless allowMissing. `faults` is asked before each read and write of
    // the file (tests only).
    THistoryData(std::filesystem::path path, bool allowMissing, int itemSize,
                 FileFaultHook faults = {});

    const std::filesystem::path& path() const { return path_; }
    int itemSize() const { return itemSize_; }

    // Replaces the list by the file's (empty when the file is missing or
    // empty); EHistoryDataError when the file cannot be read or ends inside
    // an item. The list is then empty and unreadable until a Load succeeds.
    void Load();
    // Writes the whole list, creating the folder; the old file is replaced
    // only once the new one is complete on disk. A list whose file could not
    // be read is never written over it: the file may hold items this list
    // never saw (EHistoryDataError with the read error's text).
    void Save() const;
    bool unreadable() const { return unreadable_; }

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Get(int index) const;
    double DateOf(int index) const;
    int IndexOf(const std::string& text) const;
    // 0 <= index <= Count(). The text is cut to the item size (never
    // splitting a character); date 0 stands for now.
    void Insert(int index, const std::string& text, double date = 0);
    int Add(const std::string& text, double date = 0);
    void Delete(int index);
    void Clear() { items_.clear(); }

private:
    void checkIndex(int index, int limit) const;
    EHistoryDataError readError() const;
    int fault(FileAccess access) const;
    std::filesystem::path path_;
    int itemSize_;
    FileFaultHook faults_;
    bool unreadable_ = false;
    std::vector<THistoryStruct> items_;
};

} // namespace kanata
