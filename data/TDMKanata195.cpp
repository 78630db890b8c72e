#include "data/TDMKanata195.h"

#include "data/RankTemplate.h"
#include "platform/MessageService.h"

#include <stdexcept>

namespace kanata {

TDMKanata195::TDMKanata195(std::filesystem::path dataFolder, MessageService& messages,
                           StorageHooks hooks, sql::StoreSettings store)
    : dataFolder_(std::move(dataFolder)), messages_(messages), hooks_(std::move(hooks)),
      store_(std::move(store)),
      rank_(dataFolder_ / "Rank.mtd", true, kRankItemSize, hooks_.itemFiles),
      selItem1_(dataFolder_ / "SelItem1.mtd", true, kSelItemSize, hooks_.itemFiles),
      selItem2_(dataFolder_ / "SelItem2.mtd", true, kSelItemSize, hooks_.itemFiles),
      selItem3_(dataFolder_ / "SelItem3.mtd", true, kSelItemSize, hooks_.itemFiles) {}

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
        return true;
    } catch (const std::exception&) {
        counter = 0;
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

int TDMKanata195::LoadItemLists(const std::filesystem::path& appFolder) {
    if (CopyRankTemplate(dataFolder_, appFolder) == RankTemplateResult::Damaged)
        messages_.error(RankTemplateDamagedMessage(appFolder));
    int unreadable = 0;
    for (THistoryData* list : {&rank_, &selItem1_, &selItem2_, &selItem3_}) {
        try {
            list->Load();
        } catch (const EHistoryDataError& e) {
            ++unreadable;
            messages_.error(e.what());
        }
    }
    return unreadable;
}

} // namespace kanata
