#pragma once
// The item lists on the server the desks share: one row per list in the
// table ItemLists, named like the list's file (Rank.mtd, SelItem1.mtd, ...)
// and holding the file's very bytes (as hexadecimal text, which both engines
// store alike). A list is read and replaced whole, as the file is; changes
// take the list's lock inside one transaction, so two desks changing one
// list at once change it one after the other.
#include "data/ItemListMedium.h"
#include "data/Sqlite.h"
#include "data/StoreSettings.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace kanata {

inline constexpr const char* kItemListTable = "ItemLists";
// More than any list a person keeps (thousands of items), little enough to
// read at once.
inline constexpr std::size_t kMaxItemListBytes = 1 << 20;

// Creates the table unless the store has it.
void CreateItemListTable(sql::Database& db);

class ItemListServer {
public:
    explicit ItemListServer(sql::ServerSettings server) : server_(std::move(server)) {}

    // ItemListAccessError on any failure; a lost connection is made again
    // at the next use.
    std::optional<std::string> read(const std::string& name);
    void write(const std::string& name, const std::string& bytes);
    void update(const std::string& name, const ItemListMedium::Change& change);
    // Stores `bytes` as the list unless the server has held it once; true
    // when it did.
    bool seed(const std::string& name, const std::string& bytes);

private:
    sql::Database& database();
    std::optional<std::string> select(sql::Database& db, const std::string& name);
    void store(sql::Database& db, const std::string& name, const std::string& bytes);
    template <class F> auto guarded(ItemListAccessError::Step step, F work);
    sql::ServerSettings server_;
    sql::Database db_;
    // A server that could not be reached is not tried again at once: a
    // saved call touches up to four lists, and each try may wait seconds.
    std::chrono::steady_clock::time_point retryAfter_{};
};

// The list `name` of `server` as the medium of a THistoryData.
std::unique_ptr<ItemListMedium> ServerItemList(std::shared_ptr<ItemListServer> server,
                                               std::string name);

} // namespace kanata
