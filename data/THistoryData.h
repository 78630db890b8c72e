#pragma once
// An item list (Rank.mtd, SelItem1.mtd..SelItem3.mtd): an ordered list of
// texts, each with a date, kept in a small binary file of the data folder or
// in the same bytes on the server the desks share. Texts are UTF-8 here and
// code page 932 where stored; each is at most the list's item size in code
// page 932 bytes.
#include "data/ItemListFormat.h"
#include "data/ItemListMedium.h"
#include "data/StorageHooks.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kanata {

class EHistoryDataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class THistoryData {
public:
    // itemSize 1..255, else EHistoryDataError; a missing file is an error
    // unless allowMissing. `faults` is asked before each read and write of
    // the file (tests only).
    THistoryData(std::filesystem::path path, bool allowMissing, int itemSize,
                 FileFaultHook faults = {});
    // A list kept in `medium`; `path` is the data folder's file of the same
    // list, which names it.
    THistoryData(std::filesystem::path path, std::unique_ptr<ItemListMedium> medium, int itemSize);
    ~THistoryData();
    THistoryData(THistoryData&&) noexcept;

    const std::filesystem::path& path() const { return path_; }
    int itemSize() const { return itemSize_; }
    // Other desks change the list too (see Refresh and Update).
    bool shared() const;

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
    // Reads a shared list again, so that a desk shows the items other desks
    // added; true when it did. When the list cannot be read now it keeps
    // what it holds. A list only this program changes is left as it is.
    bool Refresh();
    // Takes the list's bytes read again elsewhere (several lists in one
    // read), as Refresh does; false, keeping what it holds, when they end
    // inside an item.
    bool TakeRefreshed(const ItemListMedium::Stored& bytes);
    // Changes the list and stores it when `change` returns true. A shared
    // list is read again first, and read, change and write are one step no
    // other desk's change of the list comes between, so that no desk loses
    // another's items; a list only this program changes is changed as held.
    // EHistoryDataError as Load and Save; returns what `change` returned.
    bool Update(const std::function<bool(THistoryData&)>& change);

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
    EHistoryDataError writeError() const;
    EHistoryDataError accessError(const ItemListAccessError& e) const;
    void takeBytes(const std::optional<std::string>& bytes);
    std::filesystem::path path_;
    int itemSize_;
    std::unique_ptr<ItemListMedium> medium_;
    bool unreadable_ = false;
    std::vector<THistoryStruct> items_;
};

} // namespace kanata
