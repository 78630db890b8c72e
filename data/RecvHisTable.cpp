#include "data/RecvHisTable.h"

#include "platform/MessageService.h"

namespace kanata {
namespace {
using R = RecvHisRow;
std::vector<FieldBinding<R>> bindings() {
    auto alpha = [](const char* name, int size, std::string R::*m) {
        return FieldBinding<R>{{name, FieldType::Alpha, size}, m};
    };
    return {
        {{"RecNo", FieldType::Integer}, &R::RecNo},
        {{"AxsDateTime", FieldType::Timestamp}, &R::AxsDateTime},
        {{"RecvDateTime", FieldType::Timestamp}, &R::RecvDateTime},
        {{"RecvWeek", FieldType::Integer}, &R::RecvWeek},
        alpha("SchTel", 11, &R::SchTel),
        alpha("Tel", 13, &R::Tel),
        alpha("CorpKana", 80, &R::CorpKana),
        alpha("CorpKanji", 120, &R::CorpKanji),
        alpha("NameKana", 25, &R::NameKana),
        alpha("NameKanji", 30, &R::NameKanji),
        alpha("Division", 1, &R::Division),
        alpha("Rank", 20, &R::Rank),
        alpha("SelItem1", 60, &R::SelItem1),
        alpha("SelItem2", 60, &R::SelItem2),
        alpha("SelItem3", 60, &R::SelItem3),
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

RecvHisTable::RecvHisTable() : TypedTable("RecvHis", bindings(), indexes()) {}

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
