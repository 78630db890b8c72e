#pragma once
// What the address dictionary services (DlTel, DlZplst, DlZs, DlMtad,
// DlZsCnv) share behind their C calls: the open data of each dictionary
// folder, the result codes, the handle tables and the code page 932 slots of
// their records.
//
// The data of a folder is opened on the first call that names the folder
// and stays open for the rest of the run, as a loaded library keeps its own
// tables; a folder that cannot be opened is tried again on the next call.
// This is the services' own state and is guarded by a mutex: callers may
// come from any thread.
#include "lookup/AddressDictionary.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace kanata {

// Result codes of the services.
inline constexpr int kDlFound = 0;
inline constexpr int kDlAmbiguous = 1; // DLZSCAdrs: the text fits several municipalities
inline constexpr int kDlBadInput = 4;
inline constexpr int kDlNone = 8;
inline constexpr int kDlBadArgument = 12; // a null pointer, a bad handle, a bad range
inline constexpr int kDlNoData = 16;      // the data folder cannot be opened

using DlHandle = std::int32_t; // 0: no handle

#pragma pack(push, 1)
// A large business office, beside its town record (Dlzplst, Dlzs).
struct DicOfficeRecord {
    char name[80];    // 0: the office's name
    char address[44]; // 80: what follows the town in its address (番地, building)
};
#pragma pack(pop)
static_assert(sizeof(DicOfficeRecord) == 124, "the office record keeps its 124 bytes");

namespace dicdata {

// The open data of `folder` (code page 932 text), or null when it cannot be
// opened; `failure` then says which file could not be read.
std::shared_ptr<const AddressDictionary> Open(const char* folder, std::string* failure = nullptr);

// The start both address calls share: the address text trimmed, the
// folder's data opened and the text completed against it. `code` is kDlFound,
// or what the call returns instead (an empty text, no data).
struct AddressCall {
    int code = kDlFound;
    std::string text;
    std::shared_ptr<const AddressDictionary> data;
    AddressCompletion completion;
};
AddressCall CompleteAddress(const char* address, const char* folder);

// Code page 932 argument -> UTF-8; empty for a null pointer.
std::string Text(const char* cp932);

// A UTF-8 text into a record slot in code page 932, cut to the slot without
// splitting a character; it needs no terminating NUL when it fills the slot.
void Put(char* slot, std::size_t size, std::string_view utf8);
template <std::size_t N> void Put(char (&slot)[N], std::string_view utf8) {
    Put(slot, N, utf8);
}
// The slot's text as UTF-8 (up to its first NUL or its end), trimmed.
std::string Get(const char* slot, std::size_t size);
template <std::size_t N> std::string Get(const char (&slot)[N]) {
    return Get(slot, N);
}

// The town and office records of the postal and address services have the
// same named slots (postal, jis, kajo, prefecture, city, town, reading).
// `Row` is a PostalRow or a PostalRowView. PutTownOnly leaves out the
// prefecture and city, which the rows of one city share.
template <typename Town, typename Row> void PutTownOnly(Town& t, const Row& r) {
    Put(t.postal, r.postal);
    Put(t.jis, r.jis);
    Put(t.town, TownBaseView(r.town));
    Put(t.reading, r.townKana);
}
template <typename Town, typename Row> void PutTown(Town& t, const Row& r) {
    Put(t.prefecture, r.prefecture);
    Put(t.city, r.city);
    PutTownOnly(t, r);
}
template <typename Row> void PutOffice(DicOfficeRecord& o, const Row& r) {
    Put(o.name, r.office);
    Put(o.address, r.officeAddress);
}

// The prefecture of a JIS municipality code ("13101" -> "東京都"); empty when
// the code does not begin with a prefecture number.
std::string PrefectureOfJis(std::string_view jis);

} // namespace dicdata

// A search's "load" of its library: the folder's data opened (or found
// open), with a failure that names the file that could not be read.
class DicDataUse {
public:
    // Throws std::runtime_error naming the file that cannot be read.
    explicit DicDataUse(const std::string& folderCp932);

private:
    std::shared_ptr<const AddressDictionary> data_;
};

// The running listings of one service, by handle. Handles are given in
// increasing order and never reused while open; a handle that is not in the
// table (never given, closed, or garbage) finds nothing.
template <typename T> class HandleTable {
public:
    DlHandle Add(std::unique_ptr<T> item) {
        const std::lock_guard lock(mutex_);
        do {
            next_ = next_ == INT32_MAX ? 1 : next_ + 1;
        } while (items_.count(next_));
        items_.emplace(next_, std::move(item));
        return next_;
    }
    // Runs `work(T*)` under the table's lock; T* is null for a bad handle.
    template <typename F> auto With(DlHandle handle, F work) {
        const std::lock_guard lock(mutex_);
        const auto it = items_.find(handle);
        return work(it == items_.end() ? nullptr : it->second.get());
    }
    bool Remove(DlHandle handle) {
        const std::lock_guard lock(mutex_);
        return items_.erase(handle) == 1;
    }

private:
    std::mutex mutex_;
    std::map<DlHandle, std::unique_ptr<T>> items_;
    DlHandle next_ = 0;
};

} // namespace kanata
