#pragma once
// One table in one SQLite file or on a server, described by its fields and indexes: the
// common part of the history, roster and address-book tables. It creates
// the schema, numbers new rows, writes text fields in their stored form and
// runs ordered, filtered reads in SQL.
#include "data/Sqlite.h"
#include "data/StatementCache.h"
#include "data/StoreNotifications.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kanata {

class MessageService;
class OrderPrefetch;

enum class FieldType {
    Integer,   // long integer
    Alpha,     // text cut to `size` code page 932 bytes on write
    Memo,      // text kept whole (the original kept 100 bytes in the row and
               // the rest beside it; here the column holds all of it)
    Timestamp, // "YYYY-MM-DD HH:MM:SS.zzz"
};

struct FieldDef {
    std::string name;
    FieldType type;
    int size = 0;
};

struct IndexDef {
    std::string name;
    std::vector<std::string> fields;
    bool caseInsensitive = false;
};

struct TableDef {
    std::string name;             // table name inside the file
    std::vector<FieldDef> fields; // "RecNo" first: the primary key
    std::vector<IndexDef> indexes;
    std::int64_t firstRecNo = 0; // the number of the first row of an empty table
    // The texts the lists search as substrings, each one field or fields
    // joined end to end; the engine keeps an index of them.
    std::vector<std::vector<std::string>> substringTexts;
};

// A condition that a text occurs in a field, or in fields joined end to end.
struct TextCondition {
    std::vector<std::string> fields;
    std::string text;
    bool operator==(const TextCondition&) const = default;
};

using FieldValue = std::variant<std::int64_t, std::string>;
using Record = std::vector<FieldValue>; // in the order of TableDef::fields

// A parameter of a condition: a value, or a text condition that the table
// writes out for its engine in place of its "?" (through the trigram index
// where the engine keeps one, as a row test where not).
using ConditionArg = std::variant<std::int64_t, std::string, TextCondition>;
using ConditionArgs = std::vector<ConditionArg>;

// An ordered read along one index. Equal keys come in RecNo order; the
// direction reverses both. `from` holds a start key (a prefix of the index's
// fields, optionally followed by a RecNo to continue exactly after a row);
// `where` is an extra SQL condition with "?" parameters in `whereArgs`
// (a "?" outside quotes standing for each).
struct Query {
    std::string index; // empty = primary (RecNo)
    bool descending = false;
    std::vector<FieldValue> from;
    bool fromInclusive = true;
    std::string where;
    ConditionArgs whereArgs;
    int limit = -1; // all
    int offset = 0; // rows of the order skipped before the first one read
    // Walks the index testing each row against `where`, instead of letting
    // the engine fetch the rows an indexed condition picks and sort them:
    // the sooner way when a good part of the rows pass. On a server the text
    // conditions are then written as row tests, which leaves its planner no
    // other way.
    bool walkIndex = false;
    bool operator==(const Query&) const = default;
};

// How a table answers its text conditions: through SQLite's trigram index
// beside it, through the server's indexes of short pieces, or by reading
// the rows.
enum class TextSearch { Fts, Pieces, RowTest };

// What a bulk write brings: any writes, or only rows numbered above the
// table's last one, each with a plain INSERT (a writer that promises the
// latter writes them without the per-row upkeep's statement journal).
enum class BulkWrite { AnyRows, NewRowsOnly };

// The two texts shown when no more record numbers can be given out.
struct NumberingMessages {
    std::string limitReached; // the table holds more than 99999 rows
    std::string counterFull;  // numbers are used up although rows were deleted
};

// The term that admits the rows meeting `condition`: a "?" whose argument,
// appended to `args`, is the condition itself. The fields must be one of
// the table's substringTexts: the table refuses others
// (std::invalid_argument), which no index of its stands for.
std::string ContainsTerm(const TextCondition& condition, ConditionArgs& args);

// The texts of the history and the roster.
NumberingMessages RosterAndHistoryNumbering();

class Table {
public:
    static constexpr std::int64_t kMaxRecNo = 99999;

    explicit Table(TableDef def);
    ~Table();

    const TableDef& def() const { return def_; }
    // Opens the file, creating it and its schema when it does not exist;
    // throws SqliteError when the file cannot be used. `vfs` as for
    // sql::Database::open.
    void open(const std::filesystem::path& file, const std::string& vfs = {});
    // The same in the store `store` names: `file` on SQLite, the server's
    // table of this name otherwise.
    void open(const sql::StoreSettings& store, const std::filesystem::path& file,
              const std::string& vfs = {});
    void close();
    bool isOpen() const { return db_.isOpen(); }
    sql::Database& database() { return db_; }
    // Opens this server table again on a connection of its own, for reads
    // on another thread; the schema is taken as this one found it. The
    // opener may run on any thread and throws as open does. A server's
    // table only (std::logic_error on SQLite).
    std::function<std::unique_ptr<Table>()> readerOpener() const;
    // The sorts of whole orders run for this table's lists on a second
    // connection, made at the first one asked for (a server's table only).
    OrderPrefetch& orderPrefetch();

    // Appends a row numbered last RecNo + 1 (0 in an empty table) in one
    // transaction; record[0] is ignored and set to the new number. Returns
    // the number, or nullopt after showing the numbering message (nothing
    // written) or the engine's error (rolled back).
    std::optional<int> append(Record record, MessageService& messages,
                              const NumberingMessages& texts);
    // Rewrites the row with record[0] as RecNo, leaving the fields named in
    // `keep` as stored. False when the row is gone; throws on engine errors.
    bool update(const Record& record, const std::vector<std::string>& keep = {});
    std::optional<Record> find(std::int64_t recNo);
    bool remove(std::int64_t recNo);
    // Deletes every row that satisfies `where` (all rows when it is empty);
    // returns how many went.
    std::int64_t removeWhere(const std::string& where, const ConditionArgs& args = {});
    std::int64_t count(const std::string& where = {}, const ConditionArgs& args = {});
    std::vector<Record> read(const Query& query);
    // The rows of `query` one by one, each readable from the statement only
    // while `row` runs: for readers of many rows that keep few of their
    // texts.
    void scan(const Query& query, const std::function<void(sql::Statement&)>& row);
    // The RecNos of every row `query` reads, in its order, without the
    // rows: their number is the count, and any page a slice of them. On a
    // server an order of texts is sorted by the desk, as the server would.
    std::vector<std::int64_t> keysInOrder(const Query& query);
    // The rows `query`'s condition admits, and how many of them its walk
    // from its start key would read (the start key is required).
    struct StartSplit {
        std::int64_t admitted = 0;
        std::int64_t fromStart = 0;
    };
    StartSplit countSplitAtStart(const Query& query);
    // How many rows the table holds, near enough to choose a way of reading
    // by: on a server its planner's estimate, which costs no pass over the
    // rows (the count itself when the table was never analysed).
    std::int64_t roughCount();
    // What the server has committed so far, as a text that the next commit
    // of any desk or tool changes (reads leave it as it is); nullopt on
    // SQLite, inside a transaction, whose own writes it leaves out, and on a
    // server that does not tell (older than PostgreSQL 13, or the function
    // withheld from the desk's role).
    std::optional<std::string> committedState();
    // Refreshes the engine's statistics of the table after a bulk write, so
    // ordered pages use the indexes at once; call it outside a transaction.
    void refreshStatistics();
    // The RecNos of the rows `where` admits, in no order, listed from the
    // substring index without visiting the rows; nullopt unless `where` is
    // one text condition alone and the engine keeps the index.
    std::optional<std::vector<std::int64_t>> indexedKeys(const std::string& where,
                                                         const ConditionArgs& args);
    // The rows numbered `keys`, in that order; those not found are left out.
    std::vector<Record> readKeys(const std::vector<std::int64_t>& keys);
    // Hands the RecNos along `index` (empty = RecNo) to `visit`, in the
    // index's order or reversed, reading the index alone; stops once `visit`
    // returns false.
    void walkKeys(const std::string& index, bool descending,
                  const std::function<bool(std::int64_t)>& visit);
    std::optional<Record> first(const std::string& index = {});
    std::optional<Record> last(const std::string& index = {});

    // Inside a transaction: holds off every other writer that numbers rows
    // of this table (another desk's append or import) until it ends, so the
    // last RecNo read stays the last. SQLite's write transaction already
    // does.
    void lockWriters();

    // Inside a transaction, around many appends: the rows numbered above
    // the last one skip the substring index's per-row upkeep until
    // endBulkWrite, which indexes them in one statement, in the same
    // transaction. Nothing to do where the server keeps its own index.
    void beginBulkWrite(BulkWrite kind = BulkWrite::AnyRows);
    void endBulkWrite();

    int fieldIndex(const std::string& name) const; // -1 when unknown
    // The stored form of a value: text trimmed and cut to the field.
    FieldValue storedForm(const FieldDef& field, const FieldValue& value) const;
    // The stored form of a text field's value without a copy where nothing
    // is cut: a view of `text`, or of `scratch` holding the cut text.
    std::string_view storedText(const FieldDef& field, const std::string& text,
                                std::string& scratch) const;

private:
    // `where` as this engine runs it: each text condition written out, the
    // values to bind in `bound`.
    // `walking`: the rows come along an order's index, where a row test is
    // the sooner way than the server's index lookup.
    std::string spelled(const std::string& where, const ConditionArgs& args,
                        std::vector<FieldValue>& bound, bool walking = false) const;
    std::string textTerm(const TextCondition& condition, std::vector<FieldValue>& bound,
                         bool walking) const;
    void requireSearched(const TextCondition& condition) const;
    void createSchema();
    void changeSchema(const std::string& statement);
    void createIndex(const IndexDef& index);
    void addMissingColumns();
    void lockNamed(const std::string& name);
    // Tells the other desks, at the commit, that row `recNo` was written.
    void announceChange(ChangeKind kind, std::int64_t recNo);
    std::string orderTerm(const IndexDef& index, const std::string& field) const;
    const IndexDef* findIndex(const std::string& name) const;
    Record readRow(sql::Statement& stmt) const;
    std::vector<std::string> orderTerms(const Query& query) const;
    std::string startCondition(const Query& query, const std::vector<std::string>& terms) const;
    int bindStart(sql::Statement& stmt, const Query& query) const;
    // `ordered` false leaves the rows in the engine's order.
    void scanColumns(const Query& query, const std::string& columns,
                     const std::function<void(sql::Statement&)>& row, bool ordered = true);
    // The index of `query`'s order when a server's whole order of texts is
    // asked for, which the desk sorts; nullptr otherwise.
    const IndexDef* textOrderOnServer(const Query& query) const;
    std::vector<std::int64_t> keysSortedHere(const Query& query, const IndexDef& index);
    std::string columnList() const;

    TableDef def_;
    sql::StoreSettings store_;
    sql::Database db_;
    std::string insertSql_;
    sql::StatementCache statements_;
    TextSearch search_ = TextSearch::RowTest;
    bool committedStateRefused_ = false;
    std::unique_ptr<OrderPrefetch> prefetch_;
};

} // namespace kanata
