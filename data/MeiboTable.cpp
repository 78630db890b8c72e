#include "data/MeiboTable.h"

#include "platform/MessageService.h"

namespace kanata {
namespace {
using R = MeiboRow;
std::vector<FieldBinding<R>> bindings() {
    auto alpha = [](const char* name, int size, std::string R::*m) {
        return FieldBinding<R>{{name, FieldType::Alpha, size}, m};
    };
    auto integer = [](const char* name, int R::*m) {
        return FieldBinding<R>{{name, FieldType::Integer}, m};
    };
    auto stamp = [](const char* name, DateTime R::*m) {
        return FieldBinding<R>{{name, FieldType::Timestamp}, m};
    };
    return {
        integer("RecNo", &R::RecNo),
        stamp("AxsDateTime", &R::AxsDateTime),
        alpha("SchTel1", 11, &R::SchTel1),
        alpha("SchTel2", 11, &R::SchTel2),
        alpha("Tel1", 13, &R::Tel1),
        alpha("Tel2", 13, &R::Tel2),
        alpha("Pos", 7, &R::Pos),
        alpha("Tdfkn", 8, &R::Tdfkn),
        alpha("Adrs1", 32, &R::Adrs1),
        alpha("Adrs2", 100, &R::Adrs2),
        alpha("Adrs3", 116, &R::Adrs3),
        alpha("JisCode", 5, &R::JisCode),
        alpha("KajoCode", 6, &R::KajoCode),
        alpha("CorpKana", 80, &R::CorpKana),
        alpha("CorpKanji", 120, &R::CorpKanji),
        alpha("NameKana", 25, &R::NameKana),
        alpha("NameKanji", 30, &R::NameKanji),
        alpha("PrivCorp", 1, &R::PrivCorp),
        alpha("Memo1", 100, &R::Memo1),
        alpha("Memo2", 100, &R::Memo2),
        alpha("Memo3", 100, &R::Memo3),
        alpha("EMail", 64, &R::EMail),
        alpha("Rank", 20, &R::Rank),
        integer("Latitude", &R::Latitude),
        integer("Longitude", &R::Longitude),
        integer("Msg", &R::Msg),
        alpha("Msg1", 32, &R::Msg1),
        alpha("Msg2", 32, &R::Msg2),
        alpha("BGColor", 7, &R::BGColor),
        {{"ExtLink", FieldType::Memo, 100}, &R::ExtLink},
        {{"Note", FieldType::Memo, 100}, &R::Note},
        stamp("AddDateTime", &R::AddDateTime),
        stamp("UpdDateTime", &R::UpdDateTime),
    };
}

std::vector<IndexDef> indexes() {
    return {
        {"AxsDateTime", {"AxsDateTime"}, false}, {"SchTel1", {"SchTel1"}, false},
        {"SchTel2", {"SchTel2"}, false},         {"Adrs", {"JisCode", "Adrs2", "Adrs3"}, true},
        {"CorpKana", {"CorpKana"}, true},        {"CorpKanji", {"CorpKanji"}, true},
        {"NameKana", {"NameKana"}, true},        {"NameKanji", {"NameKanji"}, true},
    };
}
} // namespace

MeiboTable::MeiboTable() : TypedTable("Meibo", bindings(), indexes()) {}

std::optional<int> MeiboTable::append(MeiboRow row, MessageService& messages) {
    const DateTime now = DateTime::now();
    row.AddDateTime = TruncateToSeconds(now);
    row.UpdDateTime = now;
    row.AxsDateTime = now;
    return table().append(toRecord(row), messages, RosterAndHistoryNumbering());
}

bool MeiboTable::update(MeiboRow row, MessageService& messages) {
    const DateTime now = DateTime::now();
    row.UpdDateTime = now;
    row.AxsDateTime = now;
    try {
        if (table().update(toRecord(row), {"AddDateTime"}))
            return true;
    } catch (const sql::SqliteError& e) {
        messages.error(std::string("データの書き込みに失敗しました\r\n") + e.what());
        return false;
    }
    messages.error("該当するデータが見つかりませんでした");
    return false;
}

} // namespace kanata
