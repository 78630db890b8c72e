#include "transfer/ImportTableWriter.h"

#include <stdexcept>

namespace kanata {
namespace {
std::string ident(const std::string& name) {
    return "\"" + name + "\"";
}
} // namespace

ImportTableWriter::ImportTableWriter(Table& table) : table_(table) {
    const TableDef& def = table.def();
    const std::string name = ident(def.name);
    std::string columns, params, assignments;
    for (std::size_t i = 0; i < def.fields.size(); ++i) {
        columns += (i ? ", " : "") + ident(def.fields[i].name);
        params += i ? ", ?" : "?";
        if (i > 0)
            assignments += (i > 1 ? ", " : "") + ident(def.fields[i].name) + " = ?";
    }
    sql::Database& db = table.database();
    // A batch brings only rows numbered past the last one, and a plain
    // INSERT, so the insert triggers stay out of it. SQLite keeps a
    // statement journal for each row of a statement that may abort halfway
    // through a trigger; a single row written by a statement that fails
    // before writing anything has nothing to undo, so FAIL is the same.
    const std::string verb =
        db.engine() == sql::Engine::Sqlite ? "INSERT OR FAIL INTO " : "INSERT INTO ";
    insert_ = std::make_unique<sql::Statement>(db, verb + name + " (" + columns + ") VALUES (" +
                                                       params + ")");
    update_ = std::make_unique<sql::Statement>(db, "UPDATE " + name + " SET " + assignments +
                                                       " WHERE \"RecNo\" = ?");
    exists_ =
        std::make_unique<sql::Statement>(db, "SELECT 1 FROM " + name + " WHERE \"RecNo\" = ?");
    last_ = std::make_unique<sql::Statement>(db, "SELECT max(\"RecNo\") FROM " + name);
    if (table.fieldIndex("SchTel1") >= 0) {
        // One question, which a server answers in one round trip.
        const auto first = [&](const std::string& field) {
            return "(SELECT \"RecNo\" FROM " + name + " WHERE " + ident(field) +
                   " = ?1 ORDER BY \"RecNo\" LIMIT 1)";
        };
        byNumber_ = std::make_unique<sql::Statement>(db, "SELECT coalesce(" + first("SchTel1") +
                                                             ", " + first("SchTel2") + ")");
    }
}

ImportTableWriter::~ImportTableWriter() = default;

std::int64_t ImportTableWriter::nextRecNo() {
    table_.lockWriters();
    last_->reset();
    last_->step();
    const std::int64_t next = last_->isNull(0) ? table_.def().firstRecNo : last_->columnInt(0) + 1;
    last_->reset();
    return next;
}

void ImportTableWriter::bindFields(sql::Statement& stmt, const Record& record, std::size_t from,
                                   int param) {
    // Bound straight from the record's texts: the statement copies what it
    // is given, so only a text that must be cut is built anew.
    const TableDef& def = table_.def();
    for (std::size_t i = from; i < def.fields.size(); ++i) {
        const FieldDef& field = def.fields[i];
        if (const auto* n = std::get_if<std::int64_t>(&record[i])) {
            if (field.type != FieldType::Integer)
                throw std::invalid_argument("number given for field " + field.name);
            stmt.bind(param++, *n);
        } else {
            stmt.bind(param++,
                      table_.storedText(field, std::get<std::string>(record[i]), scratch_));
        }
    }
}

void ImportTableWriter::insert(const Record& record) {
    insert_->reset();
    bindFields(*insert_, record, 0, 1);
    insert_->step();
    insert_->reset();
}

bool ImportTableWriter::update(const Record& record) {
    update_->reset();
    bindFields(*update_, record, 1, 1);
    update_->bind(static_cast<int>(table_.def().fields.size()), std::get<std::int64_t>(record[0]));
    update_->step();
    update_->reset();
    return database().changes() > 0;
}

bool ImportTableWriter::exists(std::int64_t recNo) {
    exists_->reset();
    exists_->bind(1, recNo);
    const bool found = exists_->step();
    exists_->reset();
    return found;
}

std::optional<std::int64_t> ImportTableWriter::firstWithNumber(const std::string& key) {
    if (!byNumber_)
        return std::nullopt;
    byNumber_->reset();
    byNumber_->bind(1, key);
    std::optional<std::int64_t> found;
    if (byNumber_->step() && !byNumber_->isNull(0))
        found = byNumber_->columnInt(0);
    byNumber_->reset();
    return found;
}

} // namespace kanata
