#include "data/SubstringIndex.h"

#include "data/Utf8.h"

#include <algorithm>
#include <sqlite3.h>

#include <memory>
#include <string_view>

namespace kanata::substring {
namespace {

// Follows every indexed text twice. A control character: code page 932
// text hardly holds one, and a condition holding one is read the plain way.
constexpr const char* kPadding = "char(1, 1)";
// A short condition beginning more trigrams than this is read the plain
// way: FTS5 steps every branch of an OR for each row it returns.
constexpr int kMostShortTerms = 48;
constexpr const char* kMatchFunction = "kanata_substring_match";
// The entries a write transaction gathers in memory before it writes them
// out (FTS5's default is 1 MiB).
constexpr int kPendingBytes = 8 << 20;

std::string ident(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string literal(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

std::string phrase(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string vocabularyName(const std::string& table) {
    return IndexName(table) + "_vocab";
}

// `fields` of `row` ("new", "old" or empty for the table itself) joined as
// the condition joins them.
std::string joined(const std::vector<std::string>& fields, const std::string& row) {
    std::string sql;
    for (const std::string& f : fields)
        sql += (sql.empty() ? "" : " || ") + (row.empty() ? "" : row + ".") + ident(f);
    return sql;
}

std::string indexedValues(const TableDef& def, const std::string& row) {
    std::string sql;
    for (const auto& fields : def.substringTexts)
        sql += ", " + joined(fields, row) + " || " + kPadding;
    return sql;
}

std::string columnList(const TableDef& def) {
    std::string sql;
    for (const auto& fields : def.substringTexts)
        sql += ", " + ident(ColumnName(fields));
    return sql;
}

// The objects that make the index, in the order they are made; their
// CREATE statements are also what the schema holds once they are made, so
// a difference tells an index made for other texts.
struct Object {
    const char* kind; // for DROP
    std::string name;
    std::string create;
};

struct Schema {
    std::vector<Object> objects;
    std::string fill;
};

std::string bulkName(const std::string& table) {
    return IndexName(table) + "_bulk";
}

// The per-row insert triggers a bulk write of new rows goes without, and
// the guard that stands in for them meanwhile.
constexpr const char* kInsertTriggers[] = {"_replace", "_insert"};

std::string guardName(const std::string& table) {
    return IndexName(table) + "_newrows";
}

// True unless a bulk write of this transaction has taken over the row
// numbered `recNo` ("new" or "old" row's number).
std::string keptPerRow(const std::string& table, const std::string& recNo) {
    return "NOT EXISTS (SELECT 1 FROM " + ident(bulkName(table)) +
           " WHERE \"FirstRecNo\" <= " + recNo + ")";
}

Schema schemaOf(const TableDef& def) {
    const std::string index = IndexName(def.name);
    const std::string table = ident(def.name);
    const std::string stale = ident(index + "_stale");
    const std::string columns = columnList(def);
    const std::string keptNew = keptPerRow(def.name, "new.\"RecNo\"");
    const std::string keptOld = keptPerRow(def.name, "old.\"RecNo\"");
    const std::string add = "INSERT INTO " + ident(index) + "(rowid" + columns +
                            ") SELECT new.\"RecNo\"" + indexedValues(def, "new") + " WHERE " +
                            keptNew + "; ";
    const std::string drop = "INSERT INTO " + ident(index) + "(" + ident(index) + ", rowid" +
                             columns + ") SELECT 'delete', old.\"RecNo\"" +
                             indexedValues(def, "old") + " WHERE " + keptOld + "; ";
    // A row about to be overwritten by a REPLACE: without recursive
    // triggers its entries stay behind, so its answers are checked against
    // the row until the next open builds the index afresh.
    const std::string markOverwritten = "INSERT OR IGNORE INTO " + stale +
                                        " SELECT \"RecNo\" FROM " + table +
                                        " WHERE \"RecNo\" = new.\"RecNo\" AND " + keptNew + "; ";
    std::string changed = "old.\"RecNo\" IS NOT new.\"RecNo\"";
    std::string updatedFields = "\"RecNo\"";
    for (const auto& fields : def.substringTexts) {
        changed += " OR " + joined(fields, "old") + " IS NOT " + joined(fields, "new");
        for (const std::string& f : fields)
            updatedFields += ", " + ident(f);
    }
    auto trigger = [&](const std::string& suffix, const std::string& when,
                       const std::string& body) {
        return Object{"TRIGGER", index + suffix,
                      "CREATE TRIGGER " + ident(index + suffix) + " " + when + " BEGIN " + body +
                          "END"};
    };
    Schema s;
    s.objects = {
        {"TABLE", index,
         "CREATE VIRTUAL TABLE " + ident(index) + " USING fts5(" + columns.substr(2) +
             ", content='', columnsize=0, tokenize='trigram case_sensitive 1')"},
        {"TABLE", index + "_stale", "CREATE TABLE " + stale + " (\"RecNo\" INTEGER PRIMARY KEY)"},
        // Holds, inside a bulk write's transaction only, the first number
        // of the rows it indexes itself when it ends.
        {"TABLE", bulkName(def.name),
         "CREATE TABLE " + ident(bulkName(def.name)) + " (\"FirstRecNo\" INTEGER PRIMARY KEY)"},
        // Lets a count of the rows the index gives skip the wide rows.
        {"INDEX", index + "_rows",
         "CREATE INDEX " + ident(index + "_rows") + " ON " + table + " (\"RecNo\")"},
        trigger("_replace", "BEFORE INSERT ON " + table, markOverwritten),
        trigger("_renumber",
                "BEFORE UPDATE OF \"RecNo\" ON " + table +
                    " WHEN new.\"RecNo\" IS NOT old.\"RecNo\"",
                markOverwritten),
        trigger("_insert", "AFTER INSERT ON " + table, add),
        trigger("_delete", "AFTER DELETE ON " + table, drop),
        trigger("_update", "AFTER UPDATE OF " + updatedFields + " ON " + table + " WHEN " + changed,
                drop + add),
    };
    s.fill = "INSERT INTO " + ident(index) + "(rowid" + columns + ") SELECT \"RecNo\"" +
             indexedValues(def, "") + " FROM " + table;
    return s;
}

bool upToDate(sql::Database& db, const Schema& schema) {
    for (const Object& object : schema.objects) {
        sql::Statement stored(db, "SELECT sql FROM sqlite_master WHERE name = ?");
        stored.bind(1, object.name);
        if (!stored.step() || stored.columnText(0) != object.create)
            return false;
    }
    // Overwritten rows, or a bulk write's mark that some other tool
    // committed, make the index answer less than it should.
    sql::Statement marks(db, "SELECT (SELECT count(*) FROM " + ident(schema.objects[1].name) +
                                 ") + (SELECT count(*) FROM " + ident(schema.objects[2].name) +
                                 ")");
    marks.step();
    return marks.columnInt(0) == 0;
}

void rebuild(sql::Database& db, const std::string& table, const Schema& schema) {
    sql::Transaction tx(db);
    // Left by a bulk write of new rows that was committed unfinished.
    db.exec("DROP TRIGGER IF EXISTS " + ident(guardName(table)));
    for (auto it = schema.objects.rbegin(); it != schema.objects.rend(); ++it)
        db.exec(std::string("DROP ") + it->kind + " IF EXISTS " + ident(it->name));
    for (const Object& object : schema.objects)
        db.exec(object.create);
    // Room for a whole import batch's entries before they go to disk: each
    // flush writes a segment that later merges rewrite.
    db.exec("INSERT INTO " + ident(schema.objects[0].name) + "(" + ident(schema.objects[0].name) +
            ", rank) VALUES ('hashsize', " + std::to_string(kPendingBytes) + ")");
    db.exec(schema.fill);
    tx.commit();
}

// The trigram tokenizer reads a NUL as the end of the text and folds
// invalid UTF-8, surrogates and U+FFFE/U+FFFF into U+FFFD; a condition
// holding any of those, or a control character (the padding), is not
// looked up.
std::optional<std::size_t> indexableLength(const std::string& text) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++characters) {
        const Utf8Piece piece = DecodeUtf8At(text, at);
        const char32_t cp = piece.cp;
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!piece.valid || cp < 0x20 || cp == 0x7F || cp < least[piece.length] ||
            (cp >= 0xD800 && cp <= 0xDFFF) || (cp >= 0xFFFD && cp <= 0xFFFF) || cp > 0x10FFFF)
            return std::nullopt;
        at += piece.length;
    }
    return characters;
}

struct StatementCloser {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};

// The trigrams of `column` that begin with `text`, or nullopt when more than
// kMostShortTerms do.
std::optional<std::vector<std::string>> trigramsBeginning(sqlite3* db, const std::string& table,
                                                          const std::string& column,
                                                          const std::string& text) {
    const std::string sql =
        "SELECT term FROM temp." + ident(vocabularyName(table)) + " WHERE term >= ? AND col = ?";
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        throw sql::SqliteError(sqlite3_errcode(db), sqlite3_errmsg(db));
    std::unique_ptr<sqlite3_stmt, StatementCloser> stmt(raw);
    sqlite3_bind_text(raw, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(raw, 2, column.data(), static_cast<int>(column.size()), SQLITE_TRANSIENT);
    std::vector<std::string> terms;
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
        const std::string term(bytes ? bytes : "",
                               static_cast<std::size_t>(sqlite3_column_bytes(raw, 0)));
        if (term.compare(0, text.size(), text) != 0)
            break;
        if (static_cast<int>(terms.size()) == kMostShortTerms)
            return std::nullopt;
        terms.push_back(term);
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw sql::SqliteError(rc, sqlite3_errmsg(db));
    return terms;
}

std::optional<std::string> matchQuery(sqlite3* db, const std::string& table,
                                      const std::string& column, const std::string& text) {
    const std::optional<std::size_t> length = indexableLength(text);
    if (!length || *length == 0)
        return std::nullopt;
    if (*length >= 3)
        return column + " : " + phrase(text);
    const auto terms = trigramsBeginning(db, table, column, text);
    if (!terms)
        return std::nullopt;
    // No trigram begins with it, so no row holds it: a query that matches
    // nothing, whatever the index holds.
    if (terms->empty())
        return "\"aaa\" NOT \"aaa\"";
    std::string query;
    for (const std::string& term : *terms)
        query += (query.empty() ? "" : " OR ") + phrase(term);
    return column + " : (" + query + ")";
}

std::string argText(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return std::string(text ? text : "", static_cast<std::size_t>(sqlite3_value_bytes(value)));
}

// The last answer of the function on one connection: a refill asks the
// same thing of several statements, and a short condition's answer reads
// the vocabulary. Valid while no write of this connection or another one
// came between.
struct LastMatch {
    std::vector<std::string> key;
    sqlite3_int64 changes = -1;
    unsigned dataVersion = 0;
    std::optional<std::string> query;
};

// kanata_substring_match(table, column, text): the MATCH text, or NULL for
// reading the rows.
void matchFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    try {
        sqlite3* db = sqlite3_context_db_handle(context);
        auto& last = *static_cast<LastMatch*>(sqlite3_user_data(context));
        std::vector<std::string> key = {argText(argv[0]), argText(argv[1]), argText(argv[2])};
        unsigned dataVersion = 0;
        sqlite3_file_control(db, "main", SQLITE_FCNTL_DATA_VERSION, &dataVersion);
        const sqlite3_int64 changes = sqlite3_total_changes64(db);
        if (key != last.key || changes != last.changes || dataVersion != last.dataVersion) {
            last.query = matchQuery(db, key[0], key[1], key[2]);
            last.key = std::move(key);
            last.changes = changes;
            last.dataVersion = dataVersion;
        }
        if (last.query)
            sqlite3_result_text(context, last.query->data(), static_cast<int>(last.query->size()),
                                SQLITE_TRANSIENT);
        else
            sqlite3_result_null(context);
    } catch (const std::exception& e) {
        sqlite3_result_error(context, e.what(), -1);
    }
}

} // namespace

std::string IndexName(const std::string& table) {
    return table + "_substrings";
}

std::string ColumnName(const std::vector<std::string>& fields) {
    std::string name;
    for (const std::string& f : fields)
        name += (name.empty() ? "" : "_") + f;
    return name;
}

void Attach(sql::Database& db, const TableDef& def) {
    if (def.substringTexts.empty())
        return;
    // Deterministic within a statement, which lets SQLite work it out once
    // per statement instead of once per row.
    const int rc = sqlite3_create_function_v2(
        db.handle(), kMatchFunction, 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, new LastMatch,
        matchFunction, nullptr, nullptr, [](void* p) { delete static_cast<LastMatch*>(p); });
    if (rc != SQLITE_OK)
        throw sql::SqliteError(rc, sqlite3_errmsg(db.handle()));
    const Schema schema = schemaOf(def);
    if (!upToDate(db, schema))
        rebuild(db, def.name, schema);
    db.exec("CREATE VIRTUAL TABLE IF NOT EXISTS temp." + ident(vocabularyName(def.name)) +
            " USING fts5vocab(main, " + ident(IndexName(def.name)) + ", col)");
}

void BeginBulkWrite(sql::Database& db, const TableDef& def, BulkWrite kind) {
    const std::string bulk = ident(bulkName(def.name));
    // Past the last row, so that every row the mark covers is one the bulk
    // write brought and none that the index holds already.
    db.exec("INSERT OR IGNORE INTO " + bulk +
            " SELECT coalesce(max(\"RecNo\") + 1, -9223372036854775807 - 1) FROM " +
            ident(def.name));
    if (kind != BulkWrite::NewRowsOnly)
        return;
    const std::string index = IndexName(def.name);
    for (const char* suffix : kInsertTriggers)
        db.exec("DROP TRIGGER IF EXISTS " + ident(index + suffix));
    // A ROLLBACK rather than an ABORT, which would bring back the
    // statement journal the dropped triggers cost.
    db.exec(
        "CREATE TRIGGER IF NOT EXISTS " + ident(guardName(def.name)) + " BEFORE INSERT ON " +
        ident(def.name) + " WHEN new.\"RecNo\" IS NULL OR new.\"RecNo\" < (SELECT " +
        "min(\"FirstRecNo\") FROM " + bulk +
        ") BEGIN SELECT RAISE(ROLLBACK, '一括登録の途中で登録済みの番号に書き込もうとしました'); "
        "END");
}

void EndBulkWrite(sql::Database& db, const TableDef& def) {
    const std::string bulk = ident(bulkName(def.name));
    db.exec("INSERT INTO " + ident(IndexName(def.name)) + "(rowid" + columnList(def) +
            ") SELECT \"RecNo\"" + indexedValues(def, "") + " FROM " + ident(def.name) +
            " WHERE \"RecNo\" >= (SELECT min(\"FirstRecNo\") FROM " + bulk + ")");
    db.exec("DELETE FROM " + bulk);
    bool newRowsOnly = false;
    {
        sql::Statement guard(db, "SELECT 1 FROM sqlite_master WHERE type = 'trigger' AND name = ?");
        guard.bind(1, guardName(def.name));
        newRowsOnly = guard.step();
    }
    if (!newRowsOnly)
        return;
    db.exec("DROP TRIGGER " + ident(guardName(def.name)));
    const std::string index = IndexName(def.name);
    for (const Object& object : schemaOf(def).objects)
        for (const char* suffix : kInsertTriggers)
            if (object.name == index + suffix)
                db.exec(object.create);
}

// The rows the index gives, those of overwritten rows checked against the
// row, or every row checked when the function says so. SQLite makes the
// list once per statement; the guards are constant, so only one way runs.
std::string RowList(const std::string& table, const TextCondition& condition,
                    std::vector<FieldValue>& args) {
    const std::string index = ident(IndexName(table));
    const std::string stale = "(SELECT \"RecNo\" FROM " + ident(IndexName(table) + "_stale") + ")";
    const std::string match = std::string(kMatchFunction) + "(" + literal(table) + ", " +
                              literal(ColumnName(condition.fields)) + ", ?)";
    const std::string test = "instr(" + joined(condition.fields, "") + ", ?) > 0";
    const std::string rows = " UNION ALL SELECT \"RecNo\" FROM " + ident(table) + " WHERE ";
    const std::string sql = "SELECT rowid FROM " + index + " WHERE " + match + " IS NOT NULL AND " +
                            index + " MATCH " + match + " AND rowid NOT IN " + stale + rows +
                            match + " IS NULL AND " + test + rows + match +
                            " IS NOT NULL AND \"RecNo\" IN " + stale + " AND " + test;
    for (int i = 0; i < 6; ++i)
        args.emplace_back(condition.text);
    return sql;
}

std::string ContainsTerm(const std::string& table, const TextCondition& condition,
                         std::vector<FieldValue>& args) {
    return "\"RecNo\" IN (" + RowList(table, condition, args) + ")";
}

std::string CountQuery(const std::string& table, const TextCondition& condition,
                       std::vector<FieldValue>& args) {
    return "SELECT count(*) FROM (" + RowList(table, condition, args) + ")";
}

std::string RowTest(const TextCondition& condition, std::vector<FieldValue>& args) {
    args.emplace_back(condition.text);
    return "instr(" + joined(condition.fields, "") + ", ?) > 0";
}

std::optional<std::string> MatchQuery(sql::Database& db, const std::string& table,
                                      const std::string& column, const std::string& text) {
    return matchQuery(db.handle(), table, column, text);
}

} // namespace kanata::substring
