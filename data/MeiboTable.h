#pragma once
// The roster Meibo.DB: one row per registered caller.
#include "data/TypedTable.h"

#include <filesystem>
#include <vector>

namespace kanata {

class MessageService;

struct MeiboRow {
    int RecNo = 0;
    DateTime AxsDateTime;
    std::string SchTel1;
    std::string SchTel2;
    std::string Tel1;
    std::string Tel2;
    std::string Pos;
    std::string Tdfkn;
    std::string Adrs1;
    std::string Adrs2;
    std::string Adrs3;
    std::string JisCode;
    std::string KajoCode;
    std::string CorpKana;
    std::string CorpKanji;
    std::string NameKana;
    std::string NameKanji;
    std::string PrivCorp;
    std::string Memo1;
    std::string Memo2;
    std::string Memo3;
    std::string EMail;
    std::string Rank;
    int Latitude = 0;
    int Longitude = 0;
    int Msg = 0;
    std::string Msg1;
    std::string Msg2;
    std::string BGColor;
    std::string ExtLink; // memo: kept whole
    std::string Note;    // memo: kept whole
    DateTime AddDateTime;
    DateTime UpdDateTime;
};

// The address, company and person fields from Pos to PrivCorp with the
// roster's sizes, for the roster and for tables that store the same fields
// with the same meaning (the address book); only NameKanji's size differs.
template <class Row> std::vector<FieldBinding<Row>> RosterAddressFields(int nameKanjiSize) {
    return {
        AlphaField("Pos", 7, &Row::Pos),
        AlphaField("Tdfkn", 8, &Row::Tdfkn),
        AlphaField("Adrs1", 32, &Row::Adrs1),
        AlphaField("Adrs2", 100, &Row::Adrs2),
        AlphaField("Adrs3", 116, &Row::Adrs3),
        AlphaField("JisCode", 5, &Row::JisCode),
        AlphaField("KajoCode", 6, &Row::KajoCode),
        AlphaField("CorpKana", 80, &Row::CorpKana),
        AlphaField("CorpKanji", 120, &Row::CorpKanji),
        AlphaField("NameKana", 25, &Row::NameKana),
        AlphaField("NameKanji", nameKanjiSize, &Row::NameKanji),
        AlphaField("PrivCorp", 1, &Row::PrivCorp),
    };
}

class MeiboTable : public TypedTable<MeiboRow> {
public:
    static constexpr const char* kFileName = "Meibo.DB";
    static constexpr const char* kTableName = "Meibo";
    // The fields the address condition searches, joined in this order.
    static std::vector<std::string> AddressFields() { return {"Tdfkn", "Adrs1", "Adrs2", "Adrs3"}; }
    MeiboTable();

    void open(const std::filesystem::path& dataFolder, const std::string& vfs = {}) {
        table().open(dataFolder / kFileName, vfs);
    }
    void open(const sql::StoreSettings& store, const std::filesystem::path& dataFolder,
              const std::string& vfs = {}) {
        table().open(store, dataFolder / kFileName, vfs);
    }
    void close() { table().close(); }

    // A new row with the next record number; AddDateTime = now cut to whole
    // seconds, UpdDateTime = AxsDateTime = now. nullopt (after a message)
    // when nothing was written.
    std::optional<int> append(MeiboRow row, MessageService& messages);
    // Saves the row row.RecNo: UpdDateTime = AxsDateTime = now, AddDateTime
    // as stored. Shows "該当するデータが見つかりませんでした" and returns
    // false when the row is gone.
    bool update(MeiboRow row, MessageService& messages);
};

} // namespace kanata
