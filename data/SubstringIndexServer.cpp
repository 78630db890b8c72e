#include "data/SubstringIndexServer.h"

#include "data/ServerSchema.h"
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

constexpr const char* kPieces = "kanata195_pieces";
constexpr std::size_t kLongestPiece = 3;

// Every piece of one to three characters (the index keeps each once);
// substr counts code points, as strpos does, so a piece is found exactly
// where strpos finds it. PL/pgSQL keeps its plan for the session, where a
// function in SQL is planned again for every row written (an insert of a
// short text took 156 us that way, 37 us so, 5 us without the index).
bool piecesReady(sql::Database& db) {
    // Made once for the database: another user than its maker may not
    // replace it, and need not.
    if (sql::server::HasFunction(db, std::string(kPieces) + "(text)"))
        return true;
    try {
        sql::Transaction function(db);
        db.exec(std::string("CREATE OR REPLACE FUNCTION ") + kPieces +
                "(text) RETURNS text[] LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS '"
                "DECLARE pieces text[] := ''{}''; n integer := length($1); "
                "BEGIN FOR i IN 1 .. n LOOP "
                "pieces := pieces || substr($1, i, 1); "
                "IF i < n THEN pieces := pieces || substr($1, i, 2); END IF; "
                "IF i + 1 < n THEN pieces := pieces || substr($1, i, 3); END IF; "
                "END LOOP; RETURN pieces; END'");
        function.commit();
        return true;
    } catch (const sql::Error& e) {
        std::clog << "kanata195: 文字列条件の索引を作れません。各行を読んで調べます: " << e.what()
                  << '\n';
        return false;
    }
}

std::string piecesOf(const std::vector<std::string>& fields) {
    return std::string(kPieces) + "(" + joined(fields) + ")";
}

// The characters of `text` (the server's text is UTF-8), each as its bytes.
std::vector<std::string> characters(const std::string& text) {
    std::vector<std::string> split;
    for (char c : text) {
        if (split.empty() || (static_cast<unsigned char>(c) & 0xC0) != 0x80)
            split.emplace_back();
        split.back() += c;
    }
    return split;
}

std::string piece(const std::vector<std::string>& chars, std::size_t at) {
    std::string text;
    for (std::size_t i = at; i < at + kLongestPiece; ++i)
        text += chars[i];
    return text;
}

// Three-character pieces that together cover the whole text: every row
// holding it holds them all, and few others do.
std::vector<std::string> coveringPieces(const std::vector<std::string>& chars) {
    std::vector<std::string> pieces;
    for (std::size_t at = 0; at + kLongestPiece <= chars.size(); at += kLongestPiece)
        pieces.push_back(piece(chars, at));
    if (chars.size() % kLongestPiece != 0)
        pieces.push_back(piece(chars, chars.size() - kLongestPiece));
    return pieces;
}

std::string indexName(sql::Database& db, const TableDef& def,
                      const std::vector<std::string>& fields, const char* suffix) {
    return db.dialect().indexName(def.name, ColumnName(fields) + suffix);
}

// Each text has its pieces index, and none the indexes an older program
// kept (pg_trgm's, and one of shorter pieces): the pieces index answers all
// they did.
bool indexesCurrent(sql::Database& db, const TableDef& def) {
    std::vector<std::string> names;
    for (const auto& fields : def.substringTexts)
        for (const char* suffix : {"_pieces", "_trgm", "_short"})
            names.push_back(indexName(db, def, fields, suffix));
    const std::vector<bool> found = sql::server::HasRelations(db, names);
    for (std::size_t i = 0; i < found.size(); ++i)
        if (found[i] != (i % 3 == 0))
            return false;
    return true;
}

// Only the table's owner may drop or make its indexes: a desk of another
// role that opens a table an older program indexed keeps those indexes and
// still answers through the function, only slower, until the owner opens
// it.
void replaceIndexes(sql::Database& db, const TableDef& def) {
    const auto index = [&](const std::vector<std::string>& fields, const char* suffix) {
        return ident(indexName(db, def, fields, suffix));
    };
    try {
        sql::Transaction indexes(db);
        for (const auto& fields : def.substringTexts)
            for (const char* old : {"_trgm", "_short"})
                db.exec("DROP INDEX IF EXISTS " + index(fields, old));
        for (const auto& fields : def.substringTexts)
            db.exec("CREATE INDEX IF NOT EXISTS " + index(fields, "_pieces") + " ON " +
                    ident(def.name) + " USING gin (" + piecesOf(fields) + ")");
        indexes.commit();
    } catch (const sql::Error& e) {
        std::clog << "kanata195: 文字列条件の索引を作り直せません (表の所有者が開くと作られます): "
                  << e.what() << '\n';
    }
}

} // namespace

bool Attach(sql::Database& db, const TableDef& def) {
    if (def.substringTexts.empty() || !piecesReady(db))
        return false;
    if (!indexesCurrent(db, def))
        replaceIndexes(db, def);
    return true;
}

std::string ContainsTerm(const TextCondition& condition, std::vector<FieldValue>& args,
                         Spelling spelling) {
    const std::vector<std::string> chars = characters(condition.text);
    const std::string rowTest = "strpos(" + joined(condition.fields) + ", ?) > 0";
    // The empty text is in every row but among no pieces: it stays a row
    // test.
    if (spelling == Spelling::RowTest || chars.empty()) {
        args.emplace_back(condition.text);
        return rowTest;
    }
    const std::string lookup = piecesOf(condition.fields) + " @> ARRAY[";
    if (chars.size() <= kLongestPiece) {
        args.emplace_back(condition.text);
        return lookup + "CAST(? AS text)]";
    }
    std::string list;
    for (const std::string& p : coveringPieces(chars)) {
        list += (list.empty() ? "" : ", ") + std::string("CAST(? AS text)");
        args.emplace_back(p);
    }
    args.emplace_back(condition.text);
    return lookup + list + "] AND " + rowTest;
}

} // namespace kanata::substring::server
