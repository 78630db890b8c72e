#pragma once
// The item lists on the server the desks share: one row per list in the
// table ItemLists, named like the list's file (Rank.mtd, SelItem1.mtd, ...)
// and holding the file's very bytes (as hexadecimal text, which both engines
// store alike). A list is read and replaced whole, as the file is; changes
// take the list's lock inside one transaction, so two desks changing one
// list at once change it one after the other. Each write gives the row a
// new random stamp, so a desk asks for a list's bytes only when the stamp
// differs from that of the bytes it holds; a row written without a stamp
// (0: by an earlier program, or before the column was added) is always read.
#include "data/ItemListMedium.h"
#include "data/Sqlite.h"
#include "data/StoreSettings.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace kanata {

inline constexpr const char* kItemListTable = "ItemLists";

// Creates the table unless the store has it, and gives an older one its
// stamp column.
void CreateItemListTable(sql::Database& db);

class ItemListServer {
public:
    // A list's stored bytes, nullopt when it was never stored.
    using Stored = std::optional<std::string>;

    explicit ItemListServer(sql::ServerSettings server);

    // ItemListAccessError on any failure; a lost connection is made again
    // at the next use, unless a watcher brings it back (watchedBy). The
    // lists read, written and changed here are the ones this desk holds:
    // what changes() compares with.
    Stored read(const std::string& name);
    void write(const std::string& name, const std::string& bytes);
    void update(const std::string& name, const ItemListMedium::Change& change);
    // Stores `bytes` as the list unless the server has held it once; true
    // when it did.
    bool seed(const std::string& name, const std::string& bytes);
    // In one statement: the lists of `names` that were stored anew since
    // this desk last read or wrote them (a list never read counts as
    // changed). A list whose stored bytes are damaged is left out; it is
    // asked for again next time.
    std::map<std::string, Stored> changes(const std::vector<std::string>& names);

    // From now on the connection is the watcher's to bring back, without
    // blocking, with the tables' (the program's ServerRecovery): a lost one
    // is told to `lost` and each use fails at once until it is back, and
    // none is made here once one could not be.
    void watchedBy(std::function<void(const std::string& reason)> lost);
    // The connection the watcher brings back; open once a list was used.
    sql::Database& connection() { return db_; }
    // The watcher found the server again: a connection that could not be
    // made is tried at the next use.
    void serverAnswers() { unreachable_ = false; }

private:
    // What this desk holds of a list: absent, or the stamp of its bytes.
    static constexpr std::int64_t kHeldAbsent = -1;
    sql::Database& database();
    sql::Database& connectOnce();
    Stored select(sql::Database& db, const std::string& name, std::int64_t& stamp);
    std::int64_t store(sql::Database& db, const std::string& name, const std::string& bytes);
    void hold(const std::string& name, std::int64_t stamp);
    std::string changesQuery(const std::vector<std::string>& names,
                             std::vector<std::pair<std::string, std::int64_t>>& known) const;
    template <class F> auto guarded(ItemListAccessError::Step step, F work);
    sql::ServerSettings server_;
    sql::Database db_;
    std::function<void(const std::string&)> lost_; // the watcher, if any
    bool unreachable_ = false;                     // a watched connection could not be made
    std::map<std::string, std::int64_t> held_;
    std::mt19937_64 stamps_;
};

// The list `name` of `server` as the medium of a THistoryData.
std::unique_ptr<ItemListMedium> ServerItemList(std::shared_ptr<ItemListServer> server,
                                               std::string name);

} // namespace kanata
