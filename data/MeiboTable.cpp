#include "data/MeiboTable.h"

#include "platform/MessageService.h"

namespace kanata {
namespace {
using R = MeiboRow;
std::vector<FieldBinding<R>> bindings() {
    const std::vector<FieldBinding<R>> numbers = {
        IntegerField("RecNo", &R::RecNo),       TimestampField("AxsDateTime", &R::AxsDateTime),
        AlphaField("SchTel1", 11, &R::SchTel1), AlphaField("SchTel2", 11, &R::SchTel2),
        AlphaField("Tel1", 13, &R::Tel1),       AlphaField("Tel2", 13, &R::Tel2),
    };
    const std::vector<FieldBinding<R>> rest = {
        AlphaField("Memo1", 100, &R::Memo1),
        AlphaField("Memo2", 100, &R::Memo2),
        AlphaField("Memo3", 100, &R::Memo3),
        AlphaField("EMail", 64, &R::EMail),
        AlphaField("Rank", 20, &R::Rank),
        IntegerField("Latitude", &R::Latitude),
        IntegerField("Longitude", &R::Longitude),
        IntegerField("Msg", &R::Msg),
        AlphaField("Msg1", 32, &R::Msg1),
        AlphaField("Msg2", 32, &R::Msg2),
        AlphaField("BGColor", 7, &R::BGColor),
        {{"ExtLink", FieldType::Memo, 100}, &R::ExtLink},
        {{"Note", FieldType::Memo, 100}, &R::Note},
        TimestampField("AddDateTime", &R::AddDateTime),
        TimestampField("UpdDateTime", &R::UpdDateTime),
    };
    return JoinFields<R>({numbers, RosterAddressFields<R>(30), rest});
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

MeiboTable::MeiboTable()
    : TypedTable(kTableName, bindings(), indexes(), 0,
                 {AddressFields(), {"CorpKana"}, {"CorpKanji"}, {"NameKana"}, {"NameKanji"}}) {}

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
