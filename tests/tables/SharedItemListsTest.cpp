// The rank and selection-item lists of desks that share one real PostgreSQL
// server started by the test: what one desk adds, the others keep and see.
#include "data/ItemListFormat.h"
#include "data/ItemListServer.h"
#include "data/RankTemplate.h"
#include "data/TDMKanata195.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "views/InputListModel.h"
#include "views/RecentFirst.h"

#include <gtest/gtest.h>

#include <thread>

namespace kanata::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> texts(const THistoryData& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.Get(i));
    return out;
}

class SharedItemLists : public ::testing::Test {
protected:
    TempFolders folders;
    ScriptedMessages messages;
    sql::StoreSettings server{sql::Engine::Postgresql, SharedServer().createDatabase()};
    fs::path noTemplate = folders.scratch() / "no-app";

    void TearDown() override { SharedServer().dropDatabase(server.server.name); }

    // A desk of its own: its own data folder, the common server.
    std::unique_ptr<TDMKanata195> desk(const std::string& name, const fs::path& appFolder = {}) {
        auto dm = std::make_unique<TDMKanata195>(folders.scratch() / name, messages, StorageHooks{},
                                                 server);
        EXPECT_EQ(dm->LoadItemLists(appFolder.empty() ? noTemplate : appFolder), 0);
        return dm;
    }
    std::vector<std::string> storedSelItem(int n) { return texts(desk("reader")->SelItem(n)); }
};

TEST_F(SharedItemLists, TwoDesksMovingItemsToTheTopKeepEachOthers) {
    auto a = desk("A");
    auto b = desk("B");
    ASSERT_TRUE(MoveToTop(a->SelItem(1), "見積依頼", messages));
    ASSERT_TRUE(MoveToTop(a->SelItem(1), "苦情", messages));
    // B loaded the list before A's items existed; its save must not drop them.
    ASSERT_EQ(b->SelItem(1).Count(), 0);
    ASSERT_TRUE(MoveToTop(b->SelItem(1), "納期確認", messages));
    EXPECT_EQ(texts(b->SelItem(1)), (std::vector<std::string>{"納期確認", "苦情", "見積依頼"}));
    // A moves an item B's list already has: it goes up, nothing is doubled.
    ASSERT_TRUE(MoveToTop(a->SelItem(1), "見積依頼", messages));
    EXPECT_EQ(storedSelItem(1), (std::vector<std::string>{"見積依頼", "納期確認", "苦情"}));
    // What is first already is not written again, even from a stale copy.
    EXPECT_FALSE(MoveToTop(a->SelItem(1), "見積依頼", messages));
    // The other lists are rows of their own, and no file was written.
    EXPECT_EQ(storedSelItem(2).size(), 0u);
    EXPECT_FALSE(fs::exists(folders.scratch() / "A" / "SelItem1.mtd"));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(SharedItemLists, DesksSavingAtOnceLoseNoItem) {
    constexpr int kEach = 40;
    auto work = [this](const std::string& name, std::vector<std::string>& errors) {
        ScriptedMessages own;
        TDMKanata195 dm(folders.scratch() / name, own, StorageHooks{}, server);
        dm.LoadItemLists(noTemplate);
        for (int i = 0; i < kEach; ++i)
            MoveToTop(dm.SelItem(3), name + std::to_string(i), own);
        for (const MessageRequest& shown : own.shown())
            errors.push_back(shown.text);
    };
    std::vector<std::string> errorsA, errorsB;
    std::thread first(work, "甲", std::ref(errorsA));
    std::thread second(work, "乙", std::ref(errorsB));
    first.join();
    second.join();
    EXPECT_TRUE(errorsA.empty() && errorsB.empty());
    const std::vector<std::string> stored = storedSelItem(3);
    ASSERT_EQ(stored.size(), 2u * kEach);
    // Each desk's items keep the order it used them in: its last one is above its first.
    for (const char* name : {"甲", "乙"}) {
        const auto last = std::find(stored.begin(), stored.end(), name + std::to_string(kEach - 1));
        const auto firstUsed = std::find(stored.begin(), stored.end(), name + std::string("0"));
        EXPECT_LT(last, firstUsed) << name;
    }
}

TEST_F(SharedItemLists, TheEditorKeepsWhatAnotherDeskAddedWhileItWasOpen) {
    auto a = desk("A");
    auto b = desk("B");
    for (const char* rank : {"Ａ", "Ｂ", "Ｃ"})
        a->Rank().Add(rank);
    a->Rank().Save();
    InputListEditor editor({{" ランク ", &b->Rank()}}, messages);
    // The editor read the list as it opened, not as B loaded it at start.
    ASSERT_EQ(editor.names(), (std::vector<std::string>{"Ａ", "Ｂ", "Ｃ"}));
    ASSERT_TRUE(MoveToTop(a->Rank(), "Ｄ", messages));
    editor.setSelection({1});
    editor.Delete();
    ASSERT_TRUE(editor.Add("Ｅ"));
    ASSERT_TRUE(editor.Accept());
    // Ｄ came in meanwhile and stays on top; Ｂ was deleted here and stays gone.
    const std::vector<std::string> expected{"Ｄ", "Ｅ", "Ａ", "Ｃ"};
    EXPECT_EQ(texts(b->Rank()), expected);
    EXPECT_EQ(texts(desk("reader")->Rank()), expected);
}

TEST_F(SharedItemLists, TheShippedRanksSeedAServerOnceAndNoFileIsCopied) {
    const fs::path app = stageFolder();
    THistoryData shipped(RankTemplatePath(app), false, TDMKanata195::kRankItemSize);
    shipped.Load();
    ASSERT_GT(shipped.Count(), 1);
    auto a = desk("A", app);
    EXPECT_EQ(texts(a->Rank()), texts(shipped));
    EXPECT_FALSE(fs::exists(folders.scratch() / "A" / "Rank.mtd"));
    // The office trims the list; a desk starting later does not get the
    // template back.
    ASSERT_TRUE(a->Rank().Update([](THistoryData& list) {
        list.Clear();
        list.Add("常連");
        return true;
    }));
    EXPECT_EQ(texts(desk("B", app)->Rank()), std::vector<std::string>{"常連"});
}

TEST_F(SharedItemLists, AServerThatIsGoneKeepsTheListShownAndSaysSo) {
    auto a = desk("A");
    ASSERT_TRUE(MoveToTop(a->SelItem(2), "折り返し", messages));
    TDMKanata195 away(folders.scratch() / "away", messages, StorageHooks{},
                      {sql::Engine::Postgresql, {(folders.scratch() / "nowhere").string()}});
    // One box for the four lists, not four.
    messages.expect("データが読み込めませんでした\r\nデータベースサーバーの Rank.mtd");
    EXPECT_EQ(away.LoadItemLists(noTemplate), 4);
    EXPECT_EQ(messages.shown().size(), 1u);
    EXPECT_FALSE(away.SelItem(2).Refresh());
    messages.expect("データが書き込めませんでした\r\nデータベースサーバーの SelItem2.mtd");
    MoveToTop(away.SelItem(2), "至急", messages);
    // A list that could be read keeps its items when it cannot be read again.
    a->SelItem(2).Refresh();
    EXPECT_EQ(texts(a->SelItem(2)), std::vector<std::string>{"折り返し"});
}

const std::vector<std::string> kLists{std::begin(TDMKanata195::kItemListFiles),
                                      std::end(TDMKanata195::kItemListFiles)};

std::vector<std::string> decoded(const ItemListServer::Stored& bytes) {
    std::vector<THistoryStruct> items;
    EXPECT_TRUE(bytes && DecodeItemList(*bytes, items));
    std::vector<std::string> out;
    for (const THistoryStruct& item : items)
        out.push_back(item.text);
    return out;
}

std::vector<std::string> namesOf(const std::map<std::string, ItemListServer::Stored>& changed) {
    std::vector<std::string> out;
    for (const auto& entry : changed)
        out.push_back(entry.first);
    return out;
}

TEST_F(SharedItemLists, ADeskReadsAgainOnlyTheListsStoredSinceItsLastRead) {
    auto a = desk("A");
    ItemListServer reader(server.server);
    // Never read: every list counts, the missing ones as missing.
    std::map<std::string, ItemListServer::Stored> changed = reader.changes(kLists);
    EXPECT_EQ(namesOf(changed), kLists);
    EXPECT_TRUE(std::all_of(changed.begin(), changed.end(),
                            [](const auto& entry) { return !entry.second; }));
    EXPECT_TRUE(reader.changes(kLists).empty());

    ASSERT_TRUE(MoveToTop(a->SelItem(2), "折り返し", messages));
    changed = reader.changes(kLists);
    ASSERT_EQ(namesOf(changed), std::vector<std::string>{"SelItem2.mtd"});
    EXPECT_EQ(decoded(changed.begin()->second), std::vector<std::string>{"折り返し"});
    EXPECT_TRUE(reader.changes(kLists).empty());

    // What this desk wrote itself it holds already.
    reader.write("SelItem3.mtd", EncodeItemList({{1.0, "至急"}}));
    EXPECT_TRUE(reader.changes(kLists).empty());

    // A row another program wrote without a stamp is read each time; a row
    // that went away is the empty list, once.
    sql::Database db;
    db.connect(server.server);
    db.exec("UPDATE \"ItemLists\" SET \"Stamp\" = 0 WHERE \"Name\" = 'SelItem2.mtd'");
    db.exec("DELETE FROM \"ItemLists\" WHERE \"Name\" = 'SelItem3.mtd'");
    changed = reader.changes(kLists);
    EXPECT_EQ(namesOf(changed), (std::vector<std::string>{"SelItem2.mtd", "SelItem3.mtd"}));
    EXPECT_FALSE(changed["SelItem3.mtd"].has_value());
    EXPECT_EQ(namesOf(reader.changes(kLists)), std::vector<std::string>{"SelItem2.mtd"});
}

TEST_F(SharedItemLists, TheViewsRefreshShowsAnotherDesksChangeAndKeepsTheRest) {
    auto a = desk("A");
    auto b = desk("B");
    ASSERT_TRUE(MoveToTop(b->SelItem(1), "見積依頼", messages));
    ASSERT_TRUE(MoveToTop(a->SelItem(3), "苦情", messages));
    b->RefreshItemLists();
    EXPECT_EQ(texts(b->SelItem(3)), std::vector<std::string>{"苦情"});
    EXPECT_EQ(texts(b->SelItem(1)), std::vector<std::string>{"見積依頼"});
    // A list re-read alone compares the same way.
    ASSERT_TRUE(MoveToTop(a->SelItem(3), "納期確認", messages));
    EXPECT_TRUE(b->SelItem(3).Refresh());
    EXPECT_EQ(texts(b->SelItem(3)), (std::vector<std::string>{"納期確認", "苦情"}));
}

TEST_F(SharedItemLists, ATableOfAnEarlierProgramGetsItsStampAndKeepsItsLists) {
    {
        sql::Database db;
        db.connect(server.server);
        db.exec("CREATE TABLE \"ItemLists\" (\"Name\" text COLLATE \"C\" NOT NULL DEFAULT '', "
                "\"Bytes\" text COLLATE \"C\" NOT NULL DEFAULT '', PRIMARY KEY (\"Name\"))");
        sql::Statement insert(db, "INSERT INTO \"ItemLists\" VALUES ('SelItem1.mtd', ?)");
        std::string hex;
        for (const unsigned char c : EncodeItemList({{1.0, "旧来"}})) {
            static const char digits[] = "0123456789abcdef";
            hex += digits[c >> 4];
            hex += digits[c & 15];
        }
        insert.bind(1, hex);
        insert.step();
    }
    auto a = desk("A");
    EXPECT_EQ(texts(a->SelItem(1)), std::vector<std::string>{"旧来"});
    auto b = desk("B");
    ASSERT_TRUE(MoveToTop(b->SelItem(1), "新規", messages));
    a->RefreshItemLists();
    EXPECT_EQ(texts(a->SelItem(1)), (std::vector<std::string>{"新規", "旧来"}));
    EXPECT_TRUE(messages.shown().empty());
}

} // namespace
} // namespace kanata::test
