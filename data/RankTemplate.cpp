#include "data/RankTemplate.h"

#include "data/THistoryData.h"
#include "platform/DurableFile.h"

#include <fstream>
#include <iterator>

namespace kanata {
namespace fs = std::filesystem;
namespace {

constexpr int kRankTemplateItemSize = 20;

bool readsAsItemList(const fs::path& file) {
    try {
        THistoryData list(file, false, kRankTemplateItemSize);
        list.Load();
        return true;
    } catch (const EHistoryDataError&) {
        return false;
    }
}

} // namespace

fs::path RankTemplatePath(const fs::path& appFolder) {
    return appFolder / "Common" / "History" / "Rank.mtd";
}

std::string RankTemplateDamagedMessage(const fs::path& appFolder) {
    return "ランクの初期データが壊れているため使えませんでした  \r\n" +
           RankTemplatePath(appFolder).string() +
           "  \r\nランクの一覧は空で始まります  \r\n"
           "初期データを使うには、プログラムを入れ直してから起動し直してください  ";
}

std::optional<std::string> ReadRankTemplate(const fs::path& appFolder, RankTemplateResult& why) {
    const fs::path source = RankTemplatePath(appFolder);
    std::ifstream in(source, std::ios::binary);
    why = RankTemplateResult::Missing;
    if (!in)
        return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    why = RankTemplateResult::Damaged;
    if (!readsAsItemList(source))
        return std::nullopt;
    why = RankTemplateResult::Copied;
    return bytes;
}

RankTemplateResult CopyRankTemplate(const fs::path& dataFolder, const fs::path& appFolder) {
    const fs::path target = dataFolder / "Rank.mtd";
    std::error_code ec;
    if (fs::exists(target, ec))
        return RankTemplateResult::NotNeeded;
    RankTemplateResult why;
    const std::optional<std::string> bytes = ReadRankTemplate(appFolder, why);
    if (!bytes)
        return why;
    fs::create_directories(dataFolder, ec);
    fs::path temporary = target;
    temporary += ".tmp";
    if (writeFileDurably(target, *bytes, {.temporary = temporary}))
        return RankTemplateResult::Failed;
    return RankTemplateResult::Copied;
}

} // namespace kanata
