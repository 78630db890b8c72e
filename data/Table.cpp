#include "data/Table.h"

#include "data/Cp932.h"
#include "data/DateTime.h"
#include "data/OrderPrefetch.h"
#include "data/ServerSchema.h"
#include "data/SqlDialect.h"
#include "data/StoreNotifications.h"
#include "data/SubstringIndex.h"
#include "data/SubstringIndexServer.h"
#include "data/Utf8.h"
#include "platform/MessageService.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <stdexcept>
#include <type_traits>
#include <unordered_map>

namespace kanata {
namespace {
std::string ident(const std::string& name) {
    return "\"" + name + "\"";
}

sql::ColumnKind columnKind(FieldType type) {
    switch (type) {
    case FieldType::Integer:
        return sql::ColumnKind::Integer;
    case FieldType::Timestamp:
        return sql::ColumnKind::Timestamp;
    default:
        return sql::ColumnKind::Text;
    }
}

void bindValue(sql::Statement& stmt, int index, const FieldValue& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value))
        stmt.bind(index, *i);
    else
        stmt.bind(index, std::get<std::string>(value));
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// `sql` limited to the rows `where` picks; all rows when it is empty.
std::string withWhere(std::string sql, const std::string& where) {
    if (!where.empty())
        sql += " WHERE " + where;
    return sql;
}

// The values of the statement's parameters, from the first on.
void bindAll(sql::Statement& stmt, const std::vector<FieldValue>& args) {
    for (std::size_t i = 0; i < args.size(); ++i)
        bindValue(stmt, static_cast<int>(i + 1), args[i]);
}

// The length of the quoted name or text starting at `at`, its quote
// doubled inside.
std::size_t quotedLength(const std::string& sql, std::size_t at) {
    const char quote = sql[at];
    std::size_t i = at + 1;
    while (i < sql.size()) {
        if (sql[i++] != quote)
            continue;
        if (i < sql.size() && sql[i] == quote)
            ++i;
        else
            break;
    }
    return i - at;
}

// A condition with nothing but one text condition in it, so that its rows
// can be counted from the index alone.
const TextCondition* soleTextCondition(const std::string& where, const ConditionArgs& args) {
    std::string bare;
    for (char c : where)
        if (c != '(' && c != ')' && c != ' ')
            bare += c;
    if (bare != "?" || args.size() != 1)
        return nullptr;
    return std::get_if<TextCondition>(&args.front());
}
} // namespace

std::string ContainsTerm(const TextCondition& condition, ConditionArgs& args) {
    args.emplace_back(condition);
    return "?";
}

NumberingMessages RosterAndHistoryNumbering() {
    return {"最大登録件数10万件に達しました\r\nこれ以上登録できません",
            "データ管理カウンタが一杯になり登録できませんでした\r\n"
            "最適化処理をおこなうことにより登録できるようになります"};
}

Table::Table(TableDef def) : def_(std::move(def)) {
    if (def_.fields.empty() || def_.fields.front().name != "RecNo")
        throw std::logic_error("a table starts with its RecNo field");
    insertSql_ = "INSERT INTO " + ident(def_.name) + " (" + columnList() + ") VALUES (?";
    for (std::size_t i = 1; i < def_.fields.size(); ++i)
        insertSql_ += ", ?";
    insertSql_ += ")";
}

Table::~Table() = default;

void Table::close() {
    prefetch_.reset();
    statements_.clear();
    db_.close();
}

void Table::open(const std::filesystem::path& file, const std::string& vfs) {
    open(sql::StoreSettings{}, file, vfs);
}

void Table::open(const sql::StoreSettings& store, const std::filesystem::path& file,
                 const std::string& vfs) {
    prefetch_.reset();
    statements_.clear();
    committedStateRefused_ = false;
    db_.open(store, file, true, vfs);
    store_ = store;
    try {
        createSchema();
        if (db_.engine() == sql::Engine::Sqlite && !def_.substringTexts.empty()) {
            substring::Attach(db_, def_);
            search_ = TextSearch::Fts;
        }
        // A database whose table lacks one of our fields is as unusable as
        // a file that is no database at all.
        sql::Statement probe(db_,
                             "SELECT " + columnList() + " FROM " + ident(def_.name) + " LIMIT 0");
        probe.step();
    } catch (...) {
        db_.close();
        throw;
    }
}

std::function<std::unique_ptr<Table>()> Table::readerOpener() const {
    if (db_.engine() != sql::Engine::Postgresql)
        throw std::logic_error("a second reader is made for a server's table only");
    return [def = def_, server = store_.server, search = search_] {
        auto reader = std::make_unique<Table>(def);
        reader->db_.connect(server);
        reader->search_ = search;
        return reader;
    };
}

OrderPrefetch& Table::orderPrefetch() {
    if (!prefetch_)
        prefetch_ = std::make_unique<OrderPrefetch>(*this);
    return *prefetch_;
}

void Table::createSchema() {
    const sql::Dialect& dialect = db_.dialect();
    std::string create = "CREATE TABLE IF NOT EXISTS " + ident(def_.name) + " (";
    for (std::size_t i = 0; i < def_.fields.size(); ++i) {
        const FieldDef& f = def_.fields[i];
        create += (i ? ", " : "") + ident(f.name) + " ";
        create += dialect.columnType(i == 0 ? sql::ColumnKind::Key : columnKind(f.type));
    }
    create += ")";
    sql::Transaction tx(db_);
    // Two desks opening a new store at once create its schema (and the
    // functions shared by its tables) one after the other.
    lockNamed("schema");
    if (db_.engine() == sql::Engine::Sqlite || !sql::server::HasRelation(db_, def_.name))
        changeSchema(create);
    addMissingColumns();
    for (const IndexDef& index : def_.indexes)
        createIndex(index);
    for (const auto& function : dialect.supportFunctions())
        if (!sql::server::HasFunction(db_, function.signature))
            changeSchema(function.definition);
    search_ = TextSearch::RowTest;
    if (db_.engine() == sql::Engine::Postgresql && substring::server::Attach(db_, def_))
        search_ = TextSearch::Pieces;
    tx.commit();
}

// On a server only the table's owner may change its schema; a desk of a
// role that may only read and write the rows opens a current table without
// trying to.
void Table::changeSchema(const std::string& statement) {
    if (db_.engine() == sql::Engine::Sqlite)
        db_.exec(statement);
    else
        sql::server::ChangeSchema(db_, def_.name, statement);
}

// On a server an index of folded texts carries the texts as well: the
// planner reads an index alone, without the rows, only when it holds the
// columns its expressions are made of. It replaces the index of the same
// order written without them.
void Table::createIndex(const IndexDef& index) {
    const sql::Dialect& dialect = db_.dialect();
    const bool server = db_.engine() == sql::Engine::Postgresql;
    const bool covering = index.caseInsensitive && server;
    const std::string name = dialect.indexName(def_.name, index.name);
    if (server && sql::server::HasRelation(db_, covering ? name + "_cover" : name))
        return;
    std::string sql = "CREATE INDEX IF NOT EXISTS " + ident(covering ? name + "_cover" : name) +
                      " ON " + ident(def_.name) + " (";
    std::string columns;
    for (const std::string& field : index.fields) {
        sql += orderTerm(index, field) + ", ";
        columns += (columns.empty() ? "" : ", ") + ident(field);
    }
    sql += "\"RecNo\")";
    if (!server) {
        db_.exec(sql);
        return;
    }
    // Without its index the table answers all the same, only slower: a desk
    // that may not make it goes on until the owner opens the table.
    try {
        sql::Transaction made(db_);
        if (covering) {
            db_.exec("DROP INDEX IF EXISTS " + ident(name));
            sql += " INCLUDE (" + columns + ")";
        }
        db_.exec(sql);
        made.commit();
    } catch (const sql::Error& e) {
        if (e.connectionLost())
            throw;
        std::clog << "kanata195: 表「" << def_.name
                  << "」の索引を作れません (表の所有者が開くと作られます): " << e.what() << '\n';
    }
}

void Table::lockWriters() {
    lockNamed(def_.name);
}

void Table::beginBulkWrite(BulkWrite kind) {
    if (search_ == TextSearch::Fts)
        substring::BeginBulkWrite(db_, def_, kind);
}

void Table::endBulkWrite() {
    if (search_ == TextSearch::Fts)
        substring::EndBulkWrite(db_, def_);
}

void Table::announceChange(ChangeKind kind, std::int64_t recNo) {
    const std::string announcement = db_.dialect().announcement();
    if (announcement.empty())
        return;
    auto stmt = statements_.lease(db_, announcement);
    stmt->bind(1, ChangeChannel(def_.name));
    stmt->bind(2, ChangePayload(kind, recNo));
    stmt->step();
}

void Table::lockNamed(const std::string& name) {
    const std::string lock = db_.dialect().writerLock();
    if (lock.empty())
        return;
    sql::Statement stmt(db_, lock);
    stmt.bind(1, name);
    stmt.step();
}

std::string Table::orderTerm(const IndexDef& index, const std::string& field) const {
    return index.caseInsensitive ? db_.dialect().foldedColumn(ident(field)) : ident(field);
}

// A file written before a field was added gets the field, empty in every
// row, instead of being refused as unusable.
void Table::addMissingColumns() {
    std::vector<std::string> present;
    sql::Statement info(db_, db_.dialect().columnNamesQuery());
    info.bind(1, def_.name);
    while (info.step())
        present.push_back(info.columnText(0));
    for (std::size_t i = 1; i < def_.fields.size(); ++i) {
        const FieldDef& f = def_.fields[i];
        // Names ignore case on either engine (the server keeps them in
        // lower case).
        const auto same = [&f](const std::string& name) { return sameName(name, f.name); };
        if (std::none_of(present.begin(), present.end(), same))
            changeSchema("ALTER TABLE " + ident(def_.name) + " ADD COLUMN " + ident(f.name) + " " +
                         db_.dialect().columnType(columnKind(f.type)));
    }
}

std::string Table::columnList() const {
    std::string list;
    for (std::size_t i = 0; i < def_.fields.size(); ++i)
        list += (i ? ", " : "") + ident(def_.fields[i].name);
    return list;
}

int Table::fieldIndex(const std::string& name) const {
    for (std::size_t i = 0; i < def_.fields.size(); ++i)
        if (def_.fields[i].name == name)
            return static_cast<int>(i);
    return -1;
}

const IndexDef* Table::findIndex(const std::string& name) const {
    for (const IndexDef& index : def_.indexes)
        if (index.name == name)
            return &index;
    return nullptr;
}

FieldValue Table::storedForm(const FieldDef& field, const FieldValue& value) const {
    const auto* text = std::get_if<std::string>(&value);
    switch (field.type) {
    case FieldType::Integer:
        if (text)
            throw std::invalid_argument("text given for field " + field.name);
        return value;
    case FieldType::Alpha:
        if (!text)
            throw std::invalid_argument("number given for field " + field.name);
        return cp932::cutToWidth(cp932::trim(*text), static_cast<std::size_t>(field.size));
    case FieldType::Memo:
        if (!text)
            throw std::invalid_argument("number given for field " + field.name);
        return cp932::trim(*text);
    case FieldType::Timestamp:
        if (!text)
            throw std::invalid_argument("number given for field " + field.name);
        return text->empty() ? DateTime{}.toText() : *text;
    }
    return value;
}

std::string_view Table::storedText(const FieldDef& field, const std::string& text,
                                   std::string& scratch) const {
    switch (field.type) {
    case FieldType::Integer:
        throw std::invalid_argument("text given for field " + field.name);
    case FieldType::Alpha: {
        const std::string_view trimmed = cp932::trimView(text);
        const auto size = static_cast<std::size_t>(field.size);
        if (trimmed.size() <= size) // UTF-8 is never narrower
            return trimmed;
        scratch = cp932::cutToWidth(trimmed, size);
        return scratch;
    }
    case FieldType::Memo:
        return cp932::trimView(text);
    case FieldType::Timestamp:
        if (!text.empty())
            return text;
        scratch = DateTime{}.toText();
        return scratch;
    }
    return text;
}

Record Table::readRow(sql::Statement& stmt) const {
    Record record;
    record.reserve(def_.fields.size());
    for (std::size_t i = 0; i < def_.fields.size(); ++i) {
        int column = static_cast<int>(i);
        if (def_.fields[i].type == FieldType::Integer)
            record.emplace_back(stmt.columnInt(column));
        else
            record.emplace_back(stmt.columnText(column));
    }
    return record;
}

std::optional<int> Table::append(Record record, MessageService& messages,
                                 const NumberingMessages& texts) {
    if (record.size() != def_.fields.size())
        throw std::invalid_argument("wrong field count");
    std::string refusal;
    try {
        sql::Transaction tx(db_);
        lockWriters();
        std::int64_t next = def_.firstRecNo;
        {
            auto last = statements_.lease(db_, "SELECT max(\"RecNo\") FROM " + ident(def_.name));
            last->step();
            if (!last->isNull(0))
                next = last->columnInt(0) + 1;
        }
        if (next > kMaxRecNo) {
            refusal = count() > kMaxRecNo ? texts.limitReached : texts.counterFull;
        } else {
            record[0] = next;
            {
                auto insert = statements_.lease(db_, insertSql_);
                for (std::size_t i = 0; i < def_.fields.size(); ++i)
                    bindValue(*insert, static_cast<int>(i + 1),
                              storedForm(def_.fields[i], record[i]));
                insert->step();
            }
            announceChange(ChangeKind::Added, next);
            tx.commit();
            return static_cast<int>(next);
        }
    } catch (const sql::SqliteError& e) {
        messages.error(std::string("データの書き込みに失敗しました\r\n") + e.what());
        return std::nullopt;
    }
    messages.error(refusal);
    return std::nullopt;
}

bool Table::update(const Record& record, const std::vector<std::string>& keep) {
    if (record.size() != def_.fields.size())
        throw std::invalid_argument("wrong field count");
    std::string sql = "UPDATE " + ident(def_.name) + " SET ";
    std::vector<std::size_t> written;
    for (std::size_t i = 1; i < def_.fields.size(); ++i) {
        bool kept = false;
        for (const std::string& name : keep)
            kept = kept || name == def_.fields[i].name;
        if (kept)
            continue;
        sql += (written.empty() ? "" : ", ") + ident(def_.fields[i].name) + " = ?";
        written.push_back(i);
    }
    sql += " WHERE \"RecNo\" = ?";
    sql::Transaction tx(db_);
    sql::Statement stmt(db_, sql);
    int param = 1;
    for (std::size_t i : written)
        bindValue(stmt, param++, storedForm(def_.fields[i], record[i]));
    bindValue(stmt, param, record[0]);
    stmt.step();
    const bool found = db_.changes() > 0;
    if (found)
        announceChange(ChangeKind::Changed, std::get<std::int64_t>(record[0]));
    tx.commit();
    return found;
}

std::optional<Record> Table::find(std::int64_t recNo) {
    auto stmt = statements_.lease(db_, "SELECT " + columnList() + " FROM " + ident(def_.name) +
                                           " WHERE \"RecNo\" = ?");
    stmt->bind(1, recNo);
    if (!stmt->step())
        return std::nullopt;
    return readRow(*stmt);
}

bool Table::remove(std::int64_t recNo) {
    sql::Statement stmt(db_, "DELETE FROM " + ident(def_.name) + " WHERE \"RecNo\" = ?");
    stmt.bind(1, recNo);
    stmt.step();
    const bool removed = db_.changes() > 0;
    if (removed)
        announceChange(ChangeKind::Removed, recNo);
    return removed;
}

std::string Table::spelled(const std::string& where, const ConditionArgs& args,
                           std::vector<FieldValue>& bound, bool walking) const {
    // Without a text condition the engine numbers the parameters itself,
    // "?NNN" ones included.
    const auto isText = [](const ConditionArg& a) {
        return std::holds_alternative<TextCondition>(a);
    };
    if (std::none_of(args.begin(), args.end(), isText)) {
        for (const ConditionArg& arg : args)
            std::visit(
                [&bound](const auto& value) {
                    if constexpr (!std::is_same_v<std::decay_t<decltype(value)>, TextCondition>)
                        bound.emplace_back(value);
                },
                arg);
        return where;
    }
    std::string sql;
    std::size_t next = 0;
    for (std::size_t i = 0; i < where.size();) {
        const char c = where[i];
        if (c == '\'' || c == '"') {
            const std::size_t n = quotedLength(where, i);
            sql.append(where, i, n);
            i += n;
            continue;
        }
        ++i;
        if (c != '?') {
            sql += c;
            continue;
        }
        if (next == args.size() ||
            (i < where.size() && std::isdigit(static_cast<unsigned char>(where[i]))))
            throw std::invalid_argument("a condition's parameters and arguments differ");
        const ConditionArg& arg = args[next++];
        if (const auto* text = std::get_if<TextCondition>(&arg))
            sql += "(" + textTerm(*text, bound, walking) + ")";
        else if (const auto* number = std::get_if<std::int64_t>(&arg))
            sql += "?", bound.emplace_back(*number);
        else
            sql += "?", bound.emplace_back(std::get<std::string>(arg));
    }
    if (next != args.size())
        throw std::invalid_argument("a condition's parameters and arguments differ");
    return sql;
}

// Fields the table does not search have no index on either engine, and
// SQLite's would answer no rows at all rather than fail.
void Table::requireSearched(const TextCondition& condition) const {
    const auto& texts = def_.substringTexts;
    if (std::find(texts.begin(), texts.end(), condition.fields) == texts.end())
        throw std::invalid_argument("a text condition on fields the table does not search");
}

std::string Table::textTerm(const TextCondition& condition, std::vector<FieldValue>& bound,
                            bool walking) const {
    requireSearched(condition);
    using substring::server::Spelling;
    switch (search_) {
    case TextSearch::Fts:
        return substring::ContainsTerm(def_.name, condition, bound);
    case TextSearch::Pieces:
        return substring::server::ContainsTerm(condition, bound,
                                               walking ? Spelling::RowTest : Spelling::Lookup);
    case TextSearch::RowTest:
        break;
    }
    return db_.engine() == sql::Engine::Postgresql
               ? substring::server::ContainsTerm(condition, bound, Spelling::RowTest)
               : substring::RowTest(condition, bound);
}

std::int64_t Table::removeWhere(const std::string& where, const ConditionArgs& args) {
    std::vector<FieldValue> bound;
    sql::Statement stmt(db_,
                        withWhere("DELETE FROM " + ident(def_.name), spelled(where, args, bound)));
    bindAll(stmt, bound);
    stmt.step();
    return db_.changes();
}

std::int64_t Table::count(const std::string& where, const ConditionArgs& args) {
    std::vector<FieldValue> bound;
    const TextCondition* sole = soleTextCondition(where, args);
    if (sole)
        requireSearched(*sole);
    const std::string sql =
        search_ == TextSearch::Fts && sole
            ? substring::CountQuery(def_.name, *sole, bound)
            : withWhere("SELECT count(*) FROM " + ident(def_.name), spelled(where, args, bound));
    auto stmt = statements_.lease(db_, sql);
    bindAll(*stmt, bound);
    stmt->step();
    return stmt->columnInt(0);
}

std::int64_t Table::roughCount() {
    if (db_.engine() != sql::Engine::Postgresql)
        return count();
    std::int64_t estimate = -1;
    {
        auto stmt = statements_.lease(db_, "SELECT CAST(reltuples AS bigint) FROM pg_class "
                                           "WHERE oid = to_regclass(lower(CAST(? AS text)))");
        stmt->bind(1, def_.name);
        if (stmt->step() && !stmt->isNull(0))
            estimate = stmt->columnInt(0);
    }
    return estimate >= 0 ? estimate : count();
}

// The snapshot of the statement: the transactions that had ended when it
// began. One that ends later, committed or not, changes it. A server that
// refuses it leaves every page to be placed by counting, as on a server
// that commits all the time, and is not asked again.
std::optional<std::string> Table::committedState() {
    if (db_.engine() != sql::Engine::Postgresql || db_.inTransaction() || committedStateRefused_)
        return std::nullopt;
    try {
        auto stmt = statements_.lease(db_, "SELECT CAST(pg_current_snapshot() AS text)");
        stmt->step();
        return stmt->columnText(0);
    } catch (const sql::Error& e) {
        if (e.connectionLost())
            throw;
        committedStateRefused_ = true;
        return std::nullopt;
    }
}

void Table::refreshStatistics() {
    const std::string statement = db_.dialect().analyze(ident(def_.name));
    if (!statement.empty())
        db_.exec(statement);
}

std::optional<std::vector<std::int64_t>> Table::indexedKeys(const std::string& where,
                                                            const ConditionArgs& args) {
    const TextCondition* sole = soleTextCondition(where, args);
    if (search_ != TextSearch::Fts || !sole)
        return std::nullopt;
    requireSearched(*sole);
    std::vector<FieldValue> bound;
    auto stmt = statements_.lease(db_, substring::RowList(def_.name, *sole, bound));
    bindAll(*stmt, bound);
    std::vector<std::int64_t> keys;
    while (stmt->step())
        keys.push_back(stmt->columnInt(0));
    return keys;
}

std::vector<Record> Table::readKeys(const std::vector<std::int64_t>& keys) {
    // One statement for the lot, its list bound as one text, so that its
    // plan is made once whatever the number of keys.
    std::string list;
    for (std::int64_t key : keys)
        list += (list.empty() ? "" : ",") + std::to_string(key);
    const bool server = db_.engine() == sql::Engine::Postgresql;
    const std::string listed =
        server ? "= ANY (CAST(? AS bigint[]))" : "IN (SELECT value FROM json_each(?))";
    auto stmt = statements_.lease(db_, "SELECT " + columnList() + " FROM " + ident(def_.name) +
                                           " WHERE \"RecNo\" " + listed);
    stmt->bind(1, server ? "{" + list + "}" : "[" + list + "]");
    std::unordered_map<std::int64_t, Record> found;
    while (stmt->step()) {
        Record row = readRow(*stmt);
        const std::int64_t key = std::get<std::int64_t>(row[0]);
        found.emplace(key, std::move(row));
    }
    std::vector<Record> rows;
    rows.reserve(found.size());
    for (std::int64_t key : keys)
        if (auto it = found.find(key); it != found.end())
            rows.push_back(std::move(it->second));
    return rows;
}

void Table::walkKeys(const std::string& index, bool descending,
                     const std::function<bool(std::int64_t)>& visit) {
    std::string sql = "SELECT \"RecNo\" FROM " + ident(def_.name);
    std::string order;
    if (!index.empty()) {
        const IndexDef* def = findIndex(index);
        if (!def)
            throw std::invalid_argument("unknown index " + index);
        if (db_.engine() == sql::Engine::Sqlite)
            sql += " INDEXED BY " + ident(index);
        for (const std::string& field : def->fields)
            order += orderTerm(*def, field) + (descending ? " DESC, " : ", ");
    }
    sql += " ORDER BY " + order + "\"RecNo\"" + (descending ? " DESC" : "");
    auto stmt = statements_.lease(db_, sql);
    while (stmt->step())
        if (!visit(stmt->columnInt(0)))
            return;
}

std::vector<Record> Table::read(const Query& query) {
    std::vector<Record> rows;
    scan(query, [&](sql::Statement& stmt) { rows.push_back(readRow(stmt)); });
    return rows;
}

void Table::scan(const Query& query, const std::function<void(sql::Statement&)>& row) {
    scanColumns(query, columnList(), row);
}

std::vector<std::int64_t> Table::keysInOrder(const Query& query) {
    if (const IndexDef* texts = textOrderOnServer(query))
        return keysSortedHere(query, *texts);
    std::vector<std::int64_t> keys;
    scanColumns(query, "\"RecNo\"",
                [&](sql::Statement& stmt) { keys.push_back(stmt.columnInt(0)); });
    return keys;
}

// Every admitted row of a server's table in an order of texts: the server's
// sort compares the rows a column at a time, taking each row apart again on
// every tie, and gives up its short keys on kana, whose first bytes are
// alike; here one key a row is compared by its bytes (a roster's page under
// 日本橋 asked for by number, address order: 37-45 ms sorted there, 19 ms
// fetched unsorted and sorted here, 2 ms of it the sort).
const IndexDef* Table::textOrderOnServer(const Query& query) const {
    if (db_.engine() != sql::Engine::Postgresql || query.limit >= 0 || query.offset > 0)
        return nullptr;
    const IndexDef* index = query.index.empty() ? nullptr : findIndex(query.index);
    if (!index)
        return nullptr;
    const bool texts =
        std::all_of(index->fields.begin(), index->fields.end(), [&](const std::string& name) {
            const int field = fieldIndex(name);
            return field >= 0 &&
                   def_.fields[static_cast<std::size_t>(field)].type != FieldType::Integer;
        });
    return texts ? index : nullptr;
}

// The server's texts are under the "C" collation, which orders by bytes and
// folds ASCII letters only, and hold no NUL: the texts of a row, folded
// here and joined by NULs, order as the row does column by column. The keys
// share one buffer, so the sort moves no text.
std::vector<std::int64_t> Table::keysSortedHere(const Query& query, const IndexDef& index) {
    std::string columns = "\"RecNo\"";
    for (const std::string& field : index.fields)
        columns += ", " + ident(field);
    struct Keyed {
        std::size_t at, size;
        std::int64_t recNo;
    };
    std::string keys;
    std::vector<Keyed> rows;
    scanColumns(
        query, columns,
        [&](sql::Statement& stmt) {
            const std::size_t at = keys.size();
            for (int column = 1; column <= static_cast<int>(index.fields.size()); ++column)
                (column > 1 ? keys += '\0' : keys) += stmt.columnView(column);
            rows.push_back({at, keys.size() - at, stmt.columnInt(0)});
        },
        false);
    if (index.caseInsensitive)
        LowerAsciiLetters(keys);
    const auto before = [&keys](const Keyed& a, const Keyed& b) {
        const int texts = std::string_view(keys)
                              .substr(a.at, a.size)
                              .compare(std::string_view(keys).substr(b.at, b.size));
        return texts != 0 ? texts < 0 : a.recNo < b.recNo;
    };
    if (query.descending)
        std::sort(rows.begin(), rows.end(),
                  [&](const Keyed& a, const Keyed& b) { return before(b, a); });
    else
        std::sort(rows.begin(), rows.end(), before);
    std::vector<std::int64_t> ordered;
    ordered.reserve(rows.size());
    for (const Keyed& row : rows)
        ordered.push_back(row.recNo);
    return ordered;
}

std::vector<std::string> Table::orderTerms(const Query& query) const {
    std::vector<std::string> terms;
    if (!query.index.empty()) {
        const IndexDef* index = findIndex(query.index);
        if (!index)
            throw std::invalid_argument("unknown index " + query.index);
        for (const std::string& field : index->fields)
            terms.push_back(orderTerm(*index, field));
    }
    terms.push_back("\"RecNo\"");
    return terms;
}

// "(a, b, RecNo) > (?, ?, ?) AND a >= ?": the rows at and after the start key
// in the query's direction; empty without a start key. Its parameters are
// bound by bindStart.
std::string Table::startCondition(const Query& query, const std::vector<std::string>& terms) const {
    if (query.from.empty())
        return {};
    if (query.from.size() > terms.size())
        throw std::invalid_argument("start key too long");
    const IndexDef* index = query.index.empty() ? nullptr : findIndex(query.index);
    const std::string parameter =
        index && index->caseInsensitive ? db_.dialect().foldedParameter() : "?";
    std::string left, right;
    for (std::size_t i = 0; i < query.from.size(); ++i) {
        const bool recNo = i + 1 == terms.size();
        left += (i ? ", " : "") + terms[i];
        right += (i ? ", " : "") + (recNo ? std::string("?") : parameter);
    }
    std::string op = query.descending ? "<" : ">";
    if (query.fromInclusive)
        op += "=";
    // Implied by the row value, but SQLite seeks a COLLATE NOCASE index
    // only on a plain bound of its first column.
    return "(" + left + ") " + op + " (" + right + ") AND " + terms[0] +
           (query.descending ? " <= " : " >= ") +
           (terms.size() == 1 ? std::string("?") : parameter);
}

int Table::bindStart(sql::Statement& stmt, const Query& query) const {
    int param = 1;
    for (const FieldValue& v : query.from)
        bindValue(stmt, param++, v);
    if (!query.from.empty())
        bindValue(stmt, param++, query.from[0]);
    return param;
}

Table::StartSplit Table::countSplitAtStart(const Query& query) {
    if (query.from.empty())
        throw std::invalid_argument("a split count needs a start key");
    std::vector<FieldValue> whereArgs;
    const std::string where = spelled(query.where, query.whereArgs, whereArgs);
    const std::string sql =
        withWhere("SELECT count(*), count(CASE WHEN " + startCondition(query, orderTerms(query)) +
                      " THEN 1 END) FROM " + ident(def_.name),
                  where);
    auto stmt = statements_.lease(db_, sql);
    int param = bindStart(*stmt, query);
    for (const FieldValue& v : whereArgs)
        bindValue(*stmt, param++, v);
    stmt->step();
    return {stmt->columnInt(0), stmt->columnInt(1)};
}

void Table::scanColumns(const Query& query, const std::string& columns,
                        const std::function<void(sql::Statement&)>& row, bool ordered) {
    std::vector<FieldValue> whereArgs;
    // A walk to the first page tests each row it passes; looked up instead,
    // a server would fetch every admitted row, or test the pieces again on
    // each row. Far into the order the rows walked over cost more than
    // fetching the admitted ones (a roster's middle page under 日本橋: 51-137
    // ms walked, 28-58 ms looked up).
    const std::string where =
        spelled(query.where, query.whereArgs, whereArgs, query.walkIndex && query.offset == 0);
    const std::vector<std::string> terms = orderTerms(query);

    std::vector<std::string> conditions;
    if (const std::string start = startCondition(query, terms); !start.empty())
        conditions.push_back(start);
    if (!where.empty())
        conditions.push_back("(" + where + ")");

    std::string order = ordered ? " ORDER BY " : "";
    for (std::size_t i = 0; ordered && i < terms.size(); ++i)
        order += (i ? ", " : "") + terms[i] + (query.descending ? " DESC" : "");
    std::string filter;
    for (std::size_t i = 0; i < conditions.size(); ++i)
        filter += (i ? " AND " : " WHERE ") + conditions[i];
    std::string window;
    if (query.limit >= 0 || query.offset > 0)
        window =
            " LIMIT " + (query.limit >= 0 ? std::to_string(query.limit) : db_.dialect().noLimit());
    if (query.offset > 0)
        window += " OFFSET " + std::to_string(query.offset);

    std::string sql = "SELECT " + columns + " FROM " + ident(def_.name);
    if (query.offset > 0 && db_.engine() == sql::Engine::Postgresql) {
        // The server builds every column of each row it skips, and sorts
        // them whole; the record numbers alone come from the order's index
        // without touching the rows where the condition lets it.
        sql += " WHERE \"RecNo\" = ANY (ARRAY(SELECT \"RecNo\" FROM " + ident(def_.name) + filter +
               order + window + "))" + order;
    } else {
        if (query.walkIndex && !query.index.empty() && db_.engine() == sql::Engine::Sqlite)
            sql += " INDEXED BY " + ident(query.index);
        sql += filter + order + window;
    }

    auto stmt = statements_.lease(db_, sql);
    int param = bindStart(*stmt, query);
    for (const FieldValue& v : whereArgs)
        bindValue(*stmt, param++, v);
    while (stmt->step())
        row(*stmt);
}

std::optional<Record> Table::first(const std::string& index) {
    Query q;
    q.index = index;
    q.limit = 1;
    auto rows = read(q);
    if (rows.empty())
        return std::nullopt;
    return rows.front();
}

std::optional<Record> Table::last(const std::string& index) {
    Query q;
    q.index = index;
    q.descending = true;
    q.limit = 1;
    auto rows = read(q);
    if (rows.empty())
        return std::nullopt;
    return rows.front();
}

} // namespace kanata
