#include "data/StoreMigration.h"

#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"

namespace kanata {
namespace {
constexpr int kChunkRows = 1000; // rows read at a time: memory stays small at 100,000 rows

std::string insertSql(const TableDef& def) {
    std::string columns, values;
    for (std::size_t i = 0; i < def.fields.size(); ++i) {
        columns += (i ? ", \"" : "\"") + def.fields[i].name + "\"";
        values += i ? ", ?" : "?";
    }
    return "INSERT INTO \"" + def.name + "\" (" + columns + ") VALUES (" + values + ")";
}

void bindRecord(sql::Statement& insert, const Record& record) {
    insert.reset();
    for (std::size_t i = 0; i < record.size(); ++i) {
        const int index = static_cast<int>(i + 1);
        if (const auto* n = std::get_if<std::int64_t>(&record[i]))
            insert.bind(index, *n);
        else
            insert.bind(index, std::get<std::string>(record[i]));
    }
}

// Copies every row of `source` into `target` in one transaction of the
// target; returns the rows copied. Throws (rolled back) on any failure.
std::int64_t copyTable(Table& source, Table& target, bool empty) {
    sql::Database& db = target.database();
    sql::Transaction tx(db);
    target.lockWriters();
    if (empty)
        target.removeWhere("");
    sql::Statement insert(db, insertSql(target.def()));
    std::int64_t copied = 0;
    Query chunk;
    chunk.limit = kChunkRows;
    for (;;) {
        const std::vector<Record> rows = source.read(chunk);
        for (const Record& row : rows) {
            bindRecord(insert, row);
            insert.step();
            ++copied;
        }
        if (static_cast<int>(rows.size()) < kChunkRows)
            break;
        chunk.from = {rows.back()[0]};
        chunk.fromInclusive = false;
    }
    const std::int64_t sourceRows = source.count();
    const std::int64_t targetRows = target.count();
    if (targetRows != sourceRows || copied != sourceRows)
        throw sql::Error(1, target.def().name + ": " + std::to_string(targetRows) +
                                " rows in the target after copying " + std::to_string(copied) +
                                " of " + std::to_string(sourceRows));
    tx.commit();
    // Only speeds up later reads: the rows are stored whether or not it works.
    try {
        target.refreshStatistics();
    } catch (const sql::Error&) {
    }
    return copied;
}
} // namespace

MigrationResult MigrateStore(const MigrationRequest& request) {
    MigrationResult result;
    RecvHisTable recvHisFrom, recvHisTo;
    MeiboTable meiboFrom, meiboTo;
    struct Side {
        Table& from;
        Table& to;
        const char* file;
    };
    const Side sides[] = {
        {recvHisFrom.table(), recvHisTo.table(), RecvHisTable::kFileName},
        {meiboFrom.table(), meiboTo.table(), MeiboTable::kFileName},
    };
    try {
        for (const Side& side : sides) {
            side.from.open(request.from, request.dataFolder / side.file);
            side.to.open(request.to, request.dataFolder / side.file);
            MigrationTable t;
            t.name = side.from.def().name;
            t.sourceRows = side.from.count();
            t.targetRowsBefore = side.to.count();
            result.tables.push_back(t);
        }
    } catch (const sql::Error& e) {
        result.error = e.what();
        return result;
    }
    for (const MigrationTable& t : result.tables)
        if (t.targetRowsBefore > 0 && !request.replace) {
            result.outcome = MigrationOutcome::TargetNotEmpty;
            result.error = t.name + " in the target is not empty (" +
                           std::to_string(t.targetRowsBefore) + " rows)";
            return result;
        }
    for (std::size_t i = 0; i < result.tables.size(); ++i) {
        try {
            result.tables[i].copied = copyTable(sides[i].from, sides[i].to, request.replace);
        } catch (const sql::Error& e) {
            result.error = result.tables[i].name + ": " + e.what();
            return result;
        }
    }
    result.outcome = MigrationOutcome::Done;
    return result;
}

} // namespace kanata
