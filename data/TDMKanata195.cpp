#include "data/TDMKanata195.h"

#include "data/RankTemplate.h"
#include "platform/MessageService.h"

#include <iterator>
#include <map>
#include <stdexcept>

namespace kanata {

TDMKanata195::TDMKanata195(std::filesystem::path dataFolder, MessageService& messages,
                           StorageHooks hooks, sql::StoreSettings store)
    : dataFolder_(std::move(dataFolder)), messages_(messages), hooks_(std::move(hooks)),
      store_(std::move(store)), itemServer_(store_.engine == sql::Engine::Postgresql
                                                ? std::make_shared<ItemListServer>(store_.server)
                                                : nullptr),
      rank_(itemList("Rank.mtd", kRankItemSize)), selItem1_(itemList("SelItem1.mtd", kSelItemSize)),
      selItem2_(itemList("SelItem2.mtd", kSelItemSize)),
      selItem3_(itemList("SelItem3.mtd", kSelItemSize)) {}

THistoryData TDMKanata195::itemList(const char* file, int itemSize) {
    if (itemServer_)
        return THistoryData(dataFolder_ / file, ServerItemList(itemServer_, file), itemSize);
    return THistoryData(dataFolder_ / file, true, itemSize, hooks_.itemFiles);
}

TDMKanata195::~TDMKanata195() {
    recvHis_.close();
    meibo_.close();
}

template <class T> bool TDMKanata195::openCounted(T& table, int& counter, const char* failure) {
    if (++counter > 1)
        return true;
    try {
        std::filesystem::create_directories(dataFolder_);
        table.open(store_, dataFolder_, hooks_.sqliteVfs);
        if (itemServer_)
            CreateItemListTable(table.table().database());
        return true;
    } catch (const std::exception& e) {
        counter = 0;
        lastOpenFailure_ = e.what();
        messages_.error(failure);
        return false;
    }
}

template <class T> void TDMKanata195::closeCounted(T& table, int& counter) {
    if (counter == 0)
        return;
    if (--counter == 0)
        table.close();
}

bool TDMKanata195::OpenRecvHis() {
    return openCounted(recvHis_, recvHisCount_, "着信対応履歴ファイルがオープンできませんでした");
}
void TDMKanata195::CloseRecvHis() {
    closeCounted(recvHis_, recvHisCount_);
}

bool TDMKanata195::OpenMeibo() {
    return openCounted(meibo_, meiboCount_, "登録名簿ファイルがオープンできませんでした");
}
void TDMKanata195::CloseMeibo() {
    closeCounted(meibo_, meiboCount_);
}

THistoryData& TDMKanata195::SelItem(int n) {
    switch (n) {
    case 1:
        return selItem1_;
    case 2:
        return selItem2_;
    case 3:
        return selItem3_;
    }
    throw std::out_of_range("selection item 1..3");
}

void TDMKanata195::seedRankOnServer(const std::filesystem::path& appFolder) {
    try {
        if (itemServer_->read("Rank.mtd"))
            return;
        RankTemplateResult why;
        if (const std::optional<std::string> bytes = ReadRankTemplate(appFolder, why))
            itemServer_->seed("Rank.mtd", *bytes);
        else if (why == RankTemplateResult::Damaged)
            messages_.error(RankTemplateDamagedMessage(appFolder));
    } catch (const ItemListAccessError&) {
        // The load that follows tells the user the list cannot be read.
    }
}

void TDMKanata195::RefreshItemLists() {
    if (!itemServer_)
        return;
    std::map<std::string, ItemListServer::Stored> changed;
    try {
        changed = itemServer_->changes({std::begin(kItemListFiles), std::end(kItemListFiles)});
    } catch (const ItemListAccessError&) {
        return;
    }
    THistoryData* lists[] = {&rank_, &selItem1_, &selItem2_, &selItem3_};
    for (std::size_t i = 0; i < std::size(lists); ++i)
        if (const auto it = changed.find(kItemListFiles[i]); it != changed.end())
            lists[i]->TakeRefreshed(it->second);
}

int TDMKanata195::LoadItemLists(const std::filesystem::path& appFolder) {
    if (itemServer_)
        seedRankOnServer(appFolder);
    else if (CopyRankTemplate(dataFolder_, appFolder) == RankTemplateResult::Damaged)
        messages_.error(RankTemplateDamagedMessage(appFolder));
    int unreadable = 0;
    for (THistoryData* list : {&rank_, &selItem1_, &selItem2_, &selItem3_}) {
        try {
            list->Load();
        } catch (const EHistoryDataError& e) {
            // Lists on a server that cannot be reached fail alike: one box
            // says so, and each list is read again when a window shows it.
            if (unreadable++ == 0 || !itemServer_)
                messages_.error(e.what());
        }
    }
    return unreadable;
}

} // namespace kanata
