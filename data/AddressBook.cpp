#include "data/AddressBook.h"

#include "data/MeiboTable.h"
#include "data/WideEscape.h"
#include "platform/MessageService.h"

#include <stdexcept>

namespace kanata {
namespace {
using R = AddressBookRow;
// The product fixes only the field names; the sizes follow the roster's
// fields of the same meaning. NameKanji is long enough for its escape form
// (five characters per UTF-16 unit).
std::vector<FieldBinding<R>> bindings() {
    const std::vector<FieldBinding<R>> numbers = {
        IntegerField("RecNo", &R::RecNo),
        AlphaField("Tel", 11, &R::Tel),
        AlphaField("Fax", 11, &R::Fax),
        AlphaField("Portable1", 11, &R::Portable1),
        AlphaField("Portable2", 11, &R::Portable2),
    };
    const std::vector<FieldBinding<R>> rest = {
        AlphaField("Keyword1", 100, &R::Keyword1),
        AlphaField("Keyword2", 100, &R::Keyword2),
        AlphaField("Keyword3", 100, &R::Keyword3),
        AlphaField("Keyword4", 100, &R::Keyword4),
        AlphaField("Keyword5", 100, &R::Keyword5),
        AlphaField("Keyword6", 100, &R::Keyword6),
        AlphaField("Keyword7", 100, &R::Keyword7),
        AlphaField("Keyword8", 100, &R::Keyword8),
        IntegerField("Latitude", &R::Latitude),
        IntegerField("Longitude", &R::Longitude),
        AlphaField("EMail1", 64, &R::EMail1),
        IntegerField("SymbolColor", &R::SymbolColor),
        MemoField("ExtLink", &R::ExtLink),
        MemoField("ExtFile", &R::ExtFile),
        MemoField("Note", &R::Note),
        TimestampField("AddDateTime", &R::AddDateTime),
        TimestampField("UpdDateTime", &R::UpdDateTime),
    };
    return JoinFields<R>({numbers, RosterAddressFields<R>(255), rest});
}

std::vector<IndexDef> indexes() {
    return {{"Tel", {"Tel"}, false},
            {"Fax", {"Fax"}, false},
            {"Portable1", {"Portable1"}, false},
            {"Portable2", {"Portable2"}, false}};
}

AddressBookRow decoded(AddressBookRow row) {
    row.NameKanji = DecodeWideEscape(row.NameKanji);
    return row;
}
} // namespace

std::string* AddressBookRow::keywordField(int n) {
    std::string* fields[kKeywordCount] = {&Keyword1, &Keyword2, &Keyword3, &Keyword4,
                                          &Keyword5, &Keyword6, &Keyword7, &Keyword8};
    return n >= 1 && n <= kKeywordCount ? fields[n - 1] : nullptr;
}

std::string AddressBookRow::keyword(int n) const {
    const std::string* field = const_cast<AddressBookRow*>(this)->keywordField(n);
    return field ? *field : std::string();
}

// Entries count from 1: the call view tells an existing entry by a number
// above 0, so an entry numbered 0 could never be updated.
AddressBookTable::AddressBookTable() : TypedTable("Adrs", bindings(), indexes(), 1) {}

TDMPbarea::~TDMPbarea() {
    table_.table().close();
}

bool TDMPbarea::OpenAddressBook(const std::filesystem::path& folder) {
    if (count_ > 0) {
        ++count_;
        return true;
    }
    const auto file = folder / AddressBookTable::kFileName;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return false;
    try {
        table_.table().open(file);
    } catch (const sql::SqliteError&) {
        return false;
    }
    count_ = 1;
    return true;
}

void TDMPbarea::CloseAddressBook() {
    if (count_ == 0)
        return;
    if (--count_ == 0)
        table_.table().close();
}

std::vector<AddressBookRow> TDMPbarea::FindByNumber(const std::string& field,
                                                    const std::string& key) {
    bool known = false;
    for (const char* f : kNumberFields)
        known = known || field == f;
    if (!known)
        throw std::invalid_argument("not a number field: " + field);
    Query q;
    q.index = field;
    q.descending = true;
    q.where = "\"" + field + "\" = ?";
    q.whereArgs = {key};
    std::vector<AddressBookRow> rows;
    for (auto& row : table_.read(q))
        rows.push_back(decoded(std::move(row)));
    return rows;
}

std::optional<AddressBookRow> TDMPbarea::Read(int recNo) {
    auto row = table_.find(recNo);
    if (!row)
        return std::nullopt;
    return decoded(std::move(*row));
}

std::optional<int> TDMPbarea::Write(const AddressBookRow& row) {
    AddressBookRow stored = row;
    stored.NameKanji = EncodeWideEscape(row.NameKanji);
    const DateTime now = DateTime::now();
    stored.UpdDateTime = now;
    stored.AddDateTime = TruncateToSeconds(now);
    try {
        if (table_.table().update(table_.toRecord(stored), {"AddDateTime"}))
            return row.RecNo;
    } catch (const sql::SqliteError& e) {
        messages_.error(std::string("データの書き込みに失敗しました\r\n") + e.what());
        return std::nullopt;
    }
    return table_.table().append(table_.toRecord(stored), messages_,
                                 {"最大登録件数10万件に達しました\r\nこれ以上登録できません",
                                  "データ管理カウンタが一杯になり登録できませんでした\r\n"
                                  "これ以上登録できません"});
}

void CreateAddressBook(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    AddressBookTable table;
    table.table().open(folder / AddressBookTable::kFileName);
    table.table().close();
}

} // namespace kanata
