#include "roster/MeiboCallHistory.h"

#include "data/Sqlite.h"
#include "data/TDMKanata195.h"

namespace kanata {

void MeiboCallHistory::Load(const std::string& schTel1, const std::string& schTel2) {
    recNos_.clear();
    std::vector<std::string> keys;
    for (const std::string* k : {&schTel1, &schTel2}) {
        if (!k->empty())
            keys.push_back(*k);
    }
    if (keys.empty())
        return;
    TableUse use(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    if (!use)
        return;
    std::string sql = "SELECT \"RecNo\" FROM \"RecvHis\" WHERE ";
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i > 0)
            sql += " OR ";
        sql += "substr(\"SchTel\", 1, length(?" + std::to_string(i + 1) + ")) = ?" +
               std::to_string(i + 1);
    }
    sql += " ORDER BY \"RecvDateTime\" DESC, \"RecNo\" DESC";
    try {
        sql::Statement stmt(dm_.RecvHis().table().database(), sql);
        for (std::size_t i = 0; i < keys.size(); ++i)
            stmt.bind(static_cast<int>(i + 1), keys[i]);
        while (stmt.step())
            recNos_.push_back(static_cast<int>(stmt.columnInt(0)));
    } catch (const sql::SqliteError&) {
        recNos_.clear();
    }
}

std::optional<RecvHisRow> MeiboCallHistory::row(int index) {
    if (index < 0 || index >= count())
        return std::nullopt;
    TableUse use(dm_, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    if (!use)
        return std::nullopt;
    return dm_.RecvHis().find(recNos_[index]);
}

} // namespace kanata
