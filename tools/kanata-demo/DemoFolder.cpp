#include "tools/kanata-demo/DemoFolder.h"

#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "intake/AdapterHost.h"
#include "intake/TKTCommDLL.h"
#include "settings/IniFile.h"
#include "settings/WorkFolders.h"

#include <iostream>

namespace kanata {
namespace {

struct DemoCaller {
    const char* tel1;
    const char* tel2;
    const char* corpKanji;
    const char* corpKana;
    const char* nameKanji;
    const char* nameKana;
    const char* pos;
    const char* tdfkn;
    const char* adrs1;
    const char* adrs2;
    const char* rank;
};

const DemoCaller kCallers[] = {
    {"03-1234-5678", "090-1111-2222", "株式会社山田商事", "ﾔﾏﾀﾞｼﾖｳｼﾞ", "山田太郎", "ﾔﾏﾀﾞﾀﾛｳ",
     "1000001", "東京都", "千代田区", "千代田１－１", "Ａランク"},
    {"06-6123-4567", "", "有限会社浪速運送", "ﾅﾆﾜｳﾝｿｳ", "佐藤花子", "ｻﾄｳﾊﾅｺ", "5300001", "大阪府",
     "大阪市北区", "梅田１－２－３", "Ｂランク"},
    {"0466-12-3456", "", "", "", "鈴木一郎", "ｽｽﾞｷｲﾁﾛｳ", "2510052", "神奈川県", "藤沢市",
     "藤沢１０５", "一般"},
};

std::string libraryVersion(const DemoOptions& options, MessageService& messages) {
    AdapterHost host;
    auto library = TKTCommDLL::create(messages, options.applicationFolder, options.lineType, host);
    return library ? std::to_string(library->GetVersion()) : std::string();
}

bool writeSettings(const DemoOptions& options, const std::string& version) {
    IniFile ini(options.workFolder / kSettingsFileName);
    ini.load();
    if (ini.existed())
        return true;
    const std::filesystem::path data = options.workFolder / "Data";
    std::filesystem::create_directories(data);
    ini.writeInteger("COMMON", "UseType", options.lineType);
    ini.writeInteger("COMMON", "Adapter", options.lineType == 0 ? 900 : 901);
    ini.writeString("COMMON", "Port", "COM1");
    ini.writeString("COMMON", "DataPath", withTrailingDelimiter(data.string()));
    ini.writeString("COMMON", "CD", options.workFolder.string());
    ini.writeBool("COMMON", "ExportRecvData", true);
    ini.writeBool("COMMON", "Info", false);
    ini.writeString("OPERATION", "WaveFile", (options.applicationFolder / "Ringin.wav").string());
    ini.writeString("SCREEN VIEW", "SelectItem1", "内容");
    ini.writeString("SCREEN VIEW", "SelectItem2", "メモ");
    ini.writeString("SCREEN VIEW", "SelectItem3", "受付");
    ini.writeBool("SCREEN VIEW", "MenuVisible", true);
    ini.writeBool("AUTO BACKUP", "AutoBU", false);
    ini.writeBool("AUTO UPDATE", "UpdateCheck", false);
    ini.writeString("VERSION", "DLL", version);
    if (!ini.save()) {
        std::cerr << "kanata-demo: " << ini.lastError() << "\n";
        return false;
    }
    return true;
}

void seedRoster(const DemoOptions& options, MessageService& messages) {
    const std::filesystem::path data = options.workFolder / "Data";
    if (std::filesystem::exists(data / MeiboTable::kFileName))
        return;
    TDMKanata195 dm(data, messages);
    TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
    if (!use)
        return;
    for (const DemoCaller& c : kCallers) {
        MeiboRow row;
        row.Tel1 = c.tel1;
        row.SchTel1 = TelSearchKey(c.tel1);
        row.Tel2 = c.tel2;
        row.SchTel2 = TelSearchKey(c.tel2);
        row.CorpKanji = c.corpKanji;
        row.CorpKana = c.corpKana;
        row.NameKanji = c.nameKanji;
        row.NameKana = c.nameKana;
        row.PrivCorp = *c.corpKanji ? "1" : "0";
        row.Pos = c.pos;
        row.Tdfkn = c.tdfkn;
        row.Adrs1 = c.adrs1;
        row.Adrs2 = c.adrs2;
        row.Rank = c.rank;
        dm.Meibo().append(row, messages);
    }
}

} // namespace

bool PrepareDemoFolder(const DemoOptions& options, MessageService& messages) {
    std::filesystem::create_directories(options.workFolder);
    const std::string version = libraryVersion(options, messages);
    if (version.empty())
        return false;
    if (!writeSettings(options, version))
        return false;
    if (options.seedRoster)
        seedRoster(options, messages);
    return true;
}

} // namespace kanata
