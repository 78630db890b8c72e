#pragma once
// The call history RecvHis.DB: one row per call.
#include "data/TypedTable.h"

#include <filesystem>

namespace kanata {

class MessageService;

struct RecvHisRow {
    int RecNo = 0;
    DateTime AxsDateTime;
    DateTime RecvDateTime;
    int RecvWeek = 0;
    std::string SchTel;
    std::string Tel;
    std::string CorpKana;
    std::string CorpKanji;
    std::string NameKana;
    std::string NameKanji;
    std::string Division;
    std::string Rank;
    std::string SelItem1;
    std::string SelItem2;
    std::string SelItem3;
};

class RecvHisTable : public TypedTable<RecvHisRow> {
public:
    static constexpr const char* kFileName = "RecvHis.DB";
    static constexpr const char* kTableName = "RecvHis";
    RecvHisTable();

    void open(const std::filesystem::path& dataFolder, const std::string& vfs = {}) {
        table().open(dataFolder / kFileName, vfs);
    }
    void open(const sql::StoreSettings& store, const std::filesystem::path& dataFolder,
              const std::string& vfs = {}) {
        table().open(store, dataFolder / kFileName, vfs);
    }
    void close() { table().close(); }

    // Writes a new row with the next record number, AxsDateTime = now and
    // RecvWeek from RecvDateTime. nullopt (after a message) when nothing
    // was written.
    std::optional<int> append(RecvHisRow row, MessageService& messages);
    // Rewrites the row row.RecNo (AxsDateTime = now). False when it is gone
    // (the caller tells the user) or after showing an engine error.
    bool update(RecvHisRow row, MessageService& messages);
};

} // namespace kanata
