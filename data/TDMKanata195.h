#pragma once
// The main data module: the data folder's two tables with their counted
// opens, and the four item lists.
//
// The original protected both tables with a master password and added it as
// a session password at start. SQLite files have no such thing and nothing
// here invents one: the tables are as private as the data folder's file
// permissions make them.
#include "data/ItemListServer.h"
#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"
#include "data/StorageHooks.h"
#include "data/THistoryData.h"

#include <filesystem>
#include <memory>
#include <string>

namespace kanata {

class MessageService;

class TDMKanata195 {
public:
    static constexpr int kRankItemSize = 20;
    static constexpr int kSelItemSize = 60;
    // The item lists in the order they are loaded, by their file names (the
    // names they have on a server too).
    static constexpr const char* kItemListFiles[] = {"Rank.mtd", "SelItem1.mtd", "SelItem2.mtd",
                                                     "SelItem3.mtd"};

    // `hooks` reach the tables' and item lists' file access (tests only).
    // The tables and the item lists live in `store`: files in the data
    // folder on SQLite, the server's tables otherwise.
    TDMKanata195(std::filesystem::path dataFolder, MessageService& messages,
                 StorageHooks hooks = {}, sql::StoreSettings store = sql::DefaultStore());
    ~TDMKanata195();
    TDMKanata195(const TDMKanata195&) = delete;
    TDMKanata195& operator=(const TDMKanata195&) = delete;

    const std::filesystem::path& dataFolder() const { return dataFolder_; }
    const sql::StoreSettings& store() const { return store_; }
    MessageService& messages() { return messages_; }

    // Counted: only the first open opens (creating the file and its schema
    // when missing); a nested open succeeds at once. A failed first open
    // shows the table's message and leaves the counter at zero, so the next
    // try opens again. Close below zero is ignored.
    bool OpenRecvHis();
    void CloseRecvHis();
    bool OpenMeibo();
    void CloseMeibo();
    int recvHisOpenCount() const { return recvHisCount_; }
    int meiboOpenCount() const { return meiboCount_; }
    // Why the last failed open failed (the store's own words), for a log or
    // a command line; the box shows only the table's message.
    const std::string& lastOpenFailure() const { return lastOpenFailure_; }

    RecvHisTable& RecvHis() { return recvHis_; }
    MeiboTable& Meibo() { return meibo_; }

    // Copies the shipped Rank.mtd when the data folder has none (a server
    // that never held the rank list gets it once), then loads
    // Rank.mtd and SelItem1.mtd..SelItem3.mtd, each on its own: a list that
    // cannot be read is reported in a box, stays empty and is never written
    // over its file (see THistoryData::unreadable), and the lists after it
    // load all the same (on a server only the first failure is shown). A
    // damaged template is not copied and is reported in a box of its own.
    // Returns how many lists could not be read.
    int LoadItemLists(const std::filesystem::path& appFolder);
    THistoryData& Rank() { return rank_; }
    THistoryData& SelItem(int n); // 1..3
    // Reads the lists again that other desks changed since this desk last
    // read or wrote them, in one round trip to the server; a list that
    // cannot be read now keeps what it holds. Lists in the data folder are
    // this program's alone and are left as they are.
    void RefreshItemLists();
    // Where the lists are kept on the server, with its own connection; null
    // on SQLite.
    ItemListServer* ItemListsOnServer() { return itemServer_.get(); }

private:
    template <class T> bool openCounted(T& table, int& counter, const char* failure);
    template <class T> void closeCounted(T& table, int& counter);
    THistoryData itemList(const char* file, int itemSize);
    void seedRankOnServer(const std::filesystem::path& appFolder);

    std::filesystem::path dataFolder_;
    MessageService& messages_;
    StorageHooks hooks_;
    sql::StoreSettings store_;
    RecvHisTable recvHis_;
    MeiboTable meibo_;
    int recvHisCount_ = 0;
    int meiboCount_ = 0;
    std::string lastOpenFailure_;
    std::shared_ptr<ItemListServer> itemServer_; // null on SQLite
    THistoryData rank_;
    THistoryData selItem1_, selItem2_, selItem3_;
};

// Holds one counted open for a scope: `TableUse use(dm, &TDMKanata195::OpenMeibo,
// &TDMKanata195::CloseMeibo); if (!use) return;`.
class TableUse {
public:
    using Member = bool (TDMKanata195::*)();
    using CloseMember = void (TDMKanata195::*)();
    TableUse(TDMKanata195& dm, Member open, CloseMember close)
        : dm_(dm), close_(close), opened_((dm.*open)()) {}
    ~TableUse() {
        if (opened_)
            (dm_.*close_)();
    }
    TableUse(const TableUse&) = delete;
    TableUse& operator=(const TableUse&) = delete;
    explicit operator bool() const { return opened_; }

private:
    TDMKanata195& dm_;
    CloseMember close_;
    bool opened_;
};

} // namespace kanata
