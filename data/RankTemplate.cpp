#include "data/RankTemplate.h"

#include "data/THistoryData.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <unistd.h>

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

bool writeDurably(const fs::path& file, const std::string& bytes) {
    std::FILE* out = std::fopen(file.c_str(), "wbx");
    if (!out)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() &&
                         std::fflush(out) == 0 && ::fsync(fileno(out)) == 0;
    return std::fclose(out) == 0 && written;
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

RankTemplateResult CopyRankTemplate(const fs::path& dataFolder, const fs::path& appFolder) {
    const fs::path target = dataFolder / "Rank.mtd";
    std::error_code ec;
    if (fs::exists(target, ec))
        return RankTemplateResult::NotNeeded;
    const fs::path source = RankTemplatePath(appFolder);
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return RankTemplateResult::Missing;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!readsAsItemList(source))
        return RankTemplateResult::Damaged;
    fs::create_directories(dataFolder, ec);
    fs::path temp = target;
    temp += ".tmp";
    fs::remove(temp, ec);
    if (!writeDurably(temp, bytes)) {
        fs::remove(temp, ec);
        return RankTemplateResult::Failed;
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return RankTemplateResult::Failed;
    }
    return RankTemplateResult::Copied;
}

} // namespace kanata
