#pragma once
// The roster Meibo.DB: one row per registered caller.
#include "data/TypedTable.h"

#include <filesystem>

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

class MeiboTable : public TypedTable<MeiboRow> {
public:
    static constexpr const char* kFileName = "Meibo.DB";
    MeiboTable();

    void open(const std::filesystem::path& dataFolder, const std::string& vfs = {}) {
        table().open(dataFolder / kFileName, vfs);
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
