#include "data/RecvHisTable.h"

#include "platform/MessageService.h"

namespace kanata {
namespace {
using R = RecvHisRow;
std::vector<FieldBinding<R>> bindings() {
    return {
        IntegerField("RecNo", &R::RecNo),
        TimestampField("AxsDateTime", &R::AxsDateTime),
        TimestampField("RecvDateTime", &R::RecvDateTime),
        IntegerField("RecvWeek", &R::RecvWeek),
        AlphaField("SchTel", 11, &R::SchTel),
        AlphaField("Tel", 13, &R::Tel),
        AlphaField("CorpKana", 80, &R::CorpKana),
        AlphaField("CorpKanji", 120, &R::CorpKanji),
        AlphaField("NameKana", 25, &R::NameKana),
        AlphaField("NameKanji", 30, &R::NameKanji),
        AlphaField("Division", 1, &R::Division),
        AlphaField("Rank", 20, &R::Rank),
        AlphaField("SelItem1", 60, &R::SelItem1),
        AlphaField("SelItem2", 60, &R::SelItem2),
        AlphaField("SelItem3", 60, &R::SelItem3),
    };
}

std::vector<IndexDef> indexes() {
    return {
        {"AxsDateTime", {"AxsDateTime"}, false}, {"RecvDateTime", {"RecvDateTime"}, false},
        {"SchTel", {"SchTel"}, false},           {"CorpKana", {"CorpKana"}, true},
        {"CorpKanji", {"CorpKanji"}, true},      {"NameKana", {"NameKana"}, true},
        {"NameKanji", {"NameKanji"}, true},
    };
}

} // namespace

RecvHisTable::RecvHisTable()
    : TypedTable(kTableName, bindings(), indexes(), 0,
                 {{"CorpKana"}, {"CorpKanji"}, {"NameKana"}, {"NameKanji"}}) {}

std::optional<int> RecvHisTable::append(RecvHisRow row, MessageService& messages) {
    row.AxsDateTime = DateTime::now();
    row.RecvWeek = DayOfWeek(row.RecvDateTime);
    return table().append(toRecord(row), messages, RosterAndHistoryNumbering());
}

bool RecvHisTable::update(RecvHisRow row, MessageService& messages) {
    row.AxsDateTime = DateTime::now();
    row.RecvWeek = DayOfWeek(row.RecvDateTime);
    try {
        return table().update(toRecord(row));
    } catch (const sql::SqliteError& e) {
        messages.error(std::string("データの書き込みに失敗しました\r\n") + e.what());
        return false;
    }
}

} // namespace kanata
