#include "data/SubstringIndexServer.h"

#include "data/SqlDialect.h"
#include "data/SubstringIndex.h"

#include <iostream>

namespace kanata::substring::server {
namespace {

std::string ident(const std::string& name) {
    return "\"" + name + "\"";
}

// The indexed expression; a condition must spell it the same way for the
// planner to see the index.
std::string joined(const std::vector<std::string>& fields) {
    std::string sql;
    for (const std::string& f : fields)
        sql += (sql.empty() ? "" : " || ") + ident(f);
    return "(" + sql + ")";
}

bool extensionReady(sql::Database& db) {
    try {
        // A savepoint: a refusal must not end the caller's transaction.
        sql::Transaction extension(db);
        db.exec("CREATE EXTENSION IF NOT EXISTS pg_trgm");
        extension.commit();
        return true;
    } catch (const sql::Error& e) {
        std::clog << "kanata195: pg_trgm は使えません。文字列の条件は各行を読んで調べます: "
                  << e.what() << '\n';
        return false;
    }
}

// pg_trgm takes its trigrams from letters and digits as the database's
// character type tells them: under "C" it knows none beyond ASCII, and
// Japanese text gives the index nothing.
void warnOfAsciiOnlyCharacters(sql::Database& db) {
    sql::Statement ctype(db, "SELECT datctype FROM pg_database WHERE datname = current_database()");
    if (!ctype.step())
        return;
    const std::string value = ctype.columnText(0);
    if (value == "C" || value == "POSIX")
        std::clog << "kanata195: データベースの LC_CTYPE が " << value
                  << " のため、日本語の文字列条件は索引を使えません (C.UTF-8 で作成してください)\n";
}

} // namespace

bool Attach(sql::Database& db, const TableDef& def) {
    if (def.substringTexts.empty() || !extensionReady(db))
        return false;
    warnOfAsciiOnlyCharacters(db);
    const sql::Dialect& dialect = db.dialect();
    for (const auto& fields : def.substringTexts)
        db.exec("CREATE INDEX IF NOT EXISTS " +
                ident(dialect.indexName(def.name, ColumnName(fields) + "_trgm")) + " ON " +
                ident(def.name) + " USING gin (" + joined(fields) + " gin_trgm_ops)");
    return true;
}

std::string AnywherePattern(const std::string& text) {
    std::string pattern = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

// Characters, not bytes: the server's text is UTF-8.
std::size_t characters(const std::string& text) {
    std::size_t n = 0;
    for (char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

std::string ContainsTerm(const TextCondition& condition, std::vector<FieldValue>& args) {
    // Below a trigram the index would hand back every row to be checked,
    // slower than reading them: strpos, which the index does not take.
    if (characters(condition.text) < 3) {
        args.emplace_back(condition.text);
        return "strpos(" + joined(condition.fields) + ", ?) > 0";
    }
    args.emplace_back(AnywherePattern(condition.text));
    return joined(condition.fields) + " LIKE ? ESCAPE '\\'";
}

} // namespace kanata::substring::server
