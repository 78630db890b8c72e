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

constexpr const char* kShortPieces = "kanata195_short_grams";

// Every piece of one and two characters (the index keeps each once);
// substr counts code points, as strpos does, so a piece is found exactly
// where strpos finds it. PL/pgSQL keeps its plan for the session, where a
// function in SQL is planned again for every row written (an insert of a
// short text took 156 us that way, 37 us so, 5 us without the index).
bool shortPiecesReady(sql::Database& db) {
    // Made once for the database: another user than its maker may not
    // replace it, and need not.
    {
        sql::Statement made(db, std::string("SELECT CAST(to_regprocedure('") + kShortPieces +
                                    "(text)') IS NOT NULL AS integer)");
        made.step();
        if (made.columnInt(0) == 1)
            return true;
    }
    try {
        sql::Transaction function(db);
        db.exec(std::string("CREATE OR REPLACE FUNCTION ") + kShortPieces +
                "(text) RETURNS text[] LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS '"
                "DECLARE pieces text[] := ''{}''; n integer := length($1); "
                "BEGIN FOR i IN 1 .. n LOOP "
                "pieces := pieces || substr($1, i, 1); "
                "IF i < n THEN pieces := pieces || substr($1, i, 2); END IF; "
                "END LOOP; RETURN pieces; END'");
        function.commit();
        return true;
    } catch (const sql::Error& e) {
        std::clog << "kanata195: 1〜2 文字の文字列条件の索引を作れません。各行を読んで調べます: "
                  << e.what() << '\n';
        return false;
    }
}

std::string shortPiecesOf(const std::vector<std::string>& fields) {
    return std::string(kShortPieces) + "(" + joined(fields) + ")";
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

Indexes Attach(sql::Database& db, const TableDef& def) {
    Indexes ready;
    if (def.substringTexts.empty())
        return ready;
    const sql::Dialect& dialect = db.dialect();
    const auto create = [&](const std::vector<std::string>& fields, const char* suffix,
                            const std::string& method) {
        db.exec("CREATE INDEX IF NOT EXISTS " +
                ident(dialect.indexName(def.name, ColumnName(fields) + suffix)) + " ON " +
                ident(def.name) + " USING gin (" + method + ")");
    };
    ready.trigrams = extensionReady(db);
    if (ready.trigrams) {
        warnOfAsciiOnlyCharacters(db);
        for (const auto& fields : def.substringTexts)
            create(fields, "_trgm", joined(fields) + " gin_trgm_ops");
    }
    ready.shortPieces = shortPiecesReady(db);
    if (ready.shortPieces)
        for (const auto& fields : def.substringTexts)
            create(fields, "_short", shortPiecesOf(fields));
    return ready;
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

std::string ContainsTerm(const TextCondition& condition, std::vector<FieldValue>& args,
                         const Indexes& indexes) {
    // Below a trigram the trigram index would hand back every row to be
    // checked, slower than reading them. The empty text is in every row
    // but among no pieces: it stays a row test.
    const std::size_t length = characters(condition.text);
    if (length < 3) {
        std::string term = "strpos(" + joined(condition.fields) + ", ?) > 0";
        args.emplace_back(condition.text);
        if (!indexes.shortPieces || length == 0)
            return term;
        args.emplace_back(condition.text);
        return shortPiecesOf(condition.fields) + " @> ARRAY[CAST(? AS text)] AND " + term;
    }
    args.emplace_back(AnywherePattern(condition.text));
    return joined(condition.fields) + " LIKE ? ESCAPE '\\'";
}

} // namespace kanata::substring::server
