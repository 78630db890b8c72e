#include "data/ServerSchema.h"

#include "data/Postgres.h"

namespace kanata::sql::server {
namespace {
bool answersYes(Database& db, const std::string& query, const std::string& name) {
    Statement stmt(db, query);
    stmt.bind(1, name);
    stmt.step();
    return stmt.columnInt(0) == 1;
}
} // namespace

bool HasRelation(Database& db, const std::string& name) {
    return HasRelations(db, {name}).front();
}

std::vector<bool> HasRelations(Database& db, const std::vector<std::string>& names) {
    if (names.empty())
        return {};
    std::string query;
    for (std::size_t i = 0; i < names.size(); ++i)
        query += std::string(i == 0 ? "SELECT " : ", ") +
                 "CAST(to_regclass(quote_ident(lower(CAST(? AS text)))) IS NOT NULL AS integer)";
    Statement stmt(db, query);
    for (std::size_t i = 0; i < names.size(); ++i)
        stmt.bind(static_cast<int>(i) + 1, names[i]);
    stmt.step();
    std::vector<bool> found;
    for (std::size_t i = 0; i < names.size(); ++i)
        found.push_back(stmt.columnInt(static_cast<int>(i)) == 1);
    return found;
}

bool HasFunction(Database& db, const std::string& signature) {
    return answersYes(db, "SELECT CAST(to_regprocedure(CAST(? AS text)) IS NOT NULL AS integer)",
                      signature);
}

void ChangeSchema(Database& db, const std::string& table, const std::string& statement) {
    int parameters = 0;
    const std::string spelled = ServerSpelling(statement, parameters);
    try {
        db.exec(statement);
    } catch (const Error& e) {
        if (e.connectionLost())
            throw;
        throw Error(e.code(), "表「" + table +
                                  "」の形を今のプログラムに合わせられません。"
                                  "表の所有者のログインでプログラムを一度開くか、"
                                  "所有者が次を実行してください:\r\n" +
                                  spelled + ";\r\n(" + e.what() + ")");
    }
}

} // namespace kanata::sql::server
