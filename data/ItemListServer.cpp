#include "data/ItemListServer.h"

#include "data/ServerSchema.h"
#include "data/SqlDialect.h"

#include <limits>

namespace kanata {
namespace {

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        out += digits[u >> 4];
        out += digits[u & 15];
    }
    return out;
}

int digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> unhex(std::string_view text) {
    if (text.size() % 2 != 0 || text.size() > 2 * kMaxItemListBytes)
        return std::nullopt;
    std::string out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = digit(text[i]), low = digit(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

void lock(sql::Database& db, const std::string& name) {
    const std::string statement = db.dialect().writerLock();
    if (statement.empty())
        return;
    sql::Statement stmt(db, statement);
    stmt.bind(1, name);
    stmt.step();
}

class ServerList : public ItemListMedium {
public:
    ServerList(std::shared_ptr<ItemListServer> server, std::string name)
        : server_(std::move(server)), name_(std::move(name)) {}
    std::string where() const override { return "データベースサーバーの " + name_; }
    bool shared() const override { return true; }
    std::optional<std::string> read() override { return server_->read(name_); }
    void write(const std::string& bytes) override { server_->write(name_, bytes); }
    void update(const Change& change) override { server_->update(name_, change); }
    std::optional<Stored> readIfChanged() override {
        std::map<std::string, Stored> changed = server_->changes({name_});
        const auto it = changed.find(name_);
        if (it == changed.end())
            return std::nullopt;
        return std::move(it->second);
    }

private:
    std::shared_ptr<ItemListServer> server_;
    std::string name_;
};

bool hasStampColumn(sql::Database& db) {
    sql::Statement columns(db, db.dialect().columnNamesQuery());
    columns.bind(1, std::string_view(kItemListTable));
    while (columns.step())
        // The server keeps names in lower case.
        if (columns.columnText(0) == "Stamp" || columns.columnText(0) == "stamp")
            return true;
    return false;
}

} // namespace

void CreateItemListTable(sql::Database& db) {
    const sql::Dialect& dialect = db.dialect();
    const std::string text = dialect.columnType(sql::ColumnKind::Text);
    const std::string stamp = dialect.columnType(sql::ColumnKind::Integer);
    sql::Transaction tx(db);
    // The same lock as the other tables' schema: desks opening a new store
    // at once create it one after the other.
    lock(db, "schema");
    // Only the owner may change the table on a server: a desk of a role
    // that may only read and write its rows changes nothing of a current
    // one.
    const bool server = dialect.engine() == sql::Engine::Postgresql;
    const auto change = [&](const std::string& statement) {
        if (server)
            sql::server::ChangeSchema(db, kItemListTable, statement);
        else
            db.exec(statement);
    };
    if (!server || !sql::server::HasRelation(db, kItemListTable))
        change(std::string("CREATE TABLE IF NOT EXISTS \"") + kItemListTable + "\" (\"Name\" " +
               text + ", \"Bytes\" " + text + ", \"Stamp\" " + stamp + ", PRIMARY KEY (\"Name\"))");
    // A table of an earlier program gets the column; its rows, stamped 0,
    // are read whole until they are written again.
    if (!hasStampColumn(db))
        change(std::string("ALTER TABLE \"") + kItemListTable + "\" ADD COLUMN \"Stamp\" " + stamp);
    tx.commit();
}

ItemListServer::ItemListServer(sql::ServerSettings server)
    : server_(std::move(server)), stamps_(std::random_device{}()) {}

void ItemListServer::watchedBy(std::function<void(const std::string& reason)> lost) {
    lost_ = std::move(lost);
}

sql::Database& ItemListServer::connectOnce() {
    try {
        db_.connect(server_);
        CreateItemListTable(db_);
    } catch (const sql::Error& e) {
        db_.close();
        if (lost_) {
            unreachable_ = true;
            lost_(e.what());
        }
        throw;
    }
    return db_;
}

// Watched, a connection is made here only while none could be tried yet or
// since the watcher found the server: a connect on a silent path would hold
// the window for seconds.
sql::Database& ItemListServer::database() {
    if (db_.isOpen() && !db_.connectionLost())
        return db_;
    if (!lost_) {
        db_.close();
        return connectOnce();
    }
    // Lost: the caller's catch tells the watcher.
    if (db_.isOpen())
        throw sql::Error(1, "the connection to the server is being made again", true);
    if (unreachable_)
        throw sql::Error(1, "the server could not be reached", true);
    return connectOnce();
}

template <class F> auto ItemListServer::guarded(ItemListAccessError::Step step, F work) {
    try {
        return work(database());
    } catch (const sql::Error& e) {
        const bool lost = db_.isOpen() && (e.connectionLost() || db_.connectionLost());
        // A connection that failed half-way is not trusted with the next
        // list; a watched one is kept for its watcher to bring back.
        if (lost && lost_)
            lost_(e.what());
        else if (lost)
            db_.close();
        throw ItemListAccessError(step, e.what());
    }
}

ItemListServer::Stored ItemListServer::select(sql::Database& db, const std::string& name,
                                              std::int64_t& stamp) {
    sql::Statement stmt(db, std::string("SELECT \"Bytes\", \"Stamp\" FROM \"") + kItemListTable +
                                "\" WHERE \"Name\" = ?");
    stmt.bind(1, name);
    if (!stmt.step()) {
        stamp = kHeldAbsent;
        return std::nullopt;
    }
    std::optional<std::string> bytes = unhex(stmt.columnView(0));
    if (!bytes)
        throw ItemListAccessError(ItemListAccessError::Step::Read,
                                  name + ": the stored list is damaged or too long");
    stamp = stmt.columnInt(1);
    return bytes;
}

std::int64_t ItemListServer::store(sql::Database& db, const std::string& name,
                                   const std::string& bytes) {
    if (bytes.size() > kMaxItemListBytes)
        throw ItemListAccessError(ItemListAccessError::Step::Write,
                                  name + ": the list is too long");
    sql::Statement remove(db,
                          std::string("DELETE FROM \"") + kItemListTable + "\" WHERE \"Name\" = ?");
    remove.bind(1, name);
    remove.step();
    const std::int64_t stamp = std::uniform_int_distribution<std::int64_t>(
        1, std::numeric_limits<std::int64_t>::max())(stamps_);
    sql::Statement insert(db, std::string("INSERT INTO \"") + kItemListTable +
                                  "\" (\"Name\", \"Bytes\", \"Stamp\") VALUES (?, ?, ?)");
    insert.bind(1, name);
    insert.bind(2, hex(bytes));
    insert.bind(3, stamp);
    insert.step();
    return stamp;
}

// Remembers what this desk's list now holds; a stamp of 0 says nothing.
void ItemListServer::hold(const std::string& name, std::int64_t stamp) {
    if (stamp == 0)
        held_.erase(name);
    else
        held_[name] = stamp;
}

ItemListServer::Stored ItemListServer::read(const std::string& name) {
    held_.erase(name);
    return guarded(ItemListAccessError::Step::Read, [&](sql::Database& db) {
        std::int64_t stamp = 0;
        Stored bytes = select(db, name, stamp);
        hold(name, stamp);
        return bytes;
    });
}

void ItemListServer::write(const std::string& name, const std::string& bytes) {
    held_.erase(name);
    guarded(ItemListAccessError::Step::Write, [&](sql::Database& db) {
        sql::Transaction tx(db);
        lock(db, std::string(kItemListTable) + "." + name);
        const std::int64_t stamp = store(db, name, bytes);
        tx.commit();
        hold(name, stamp);
    });
}

void ItemListServer::update(const std::string& name, const ItemListMedium::Change& change) {
    held_.erase(name);
    guarded(ItemListAccessError::Step::Write, [&](sql::Database& db) {
        sql::Transaction tx(db);
        lock(db, std::string(kItemListTable) + "." + name);
        std::int64_t stamp = 0;
        if (const std::optional<std::string> bytes = change(select(db, name, stamp))) {
            stamp = store(db, name, *bytes);
            tx.commit();
        }
        // The list holds what was stored before, or what it stored now.
        hold(name, stamp);
    });
}

bool ItemListServer::seed(const std::string& name, const std::string& bytes) {
    // Stored here, not taken by this desk's list.
    held_.erase(name);
    return guarded(ItemListAccessError::Step::Write, [&](sql::Database& db) {
        sql::Transaction tx(db);
        lock(db, std::string(kItemListTable) + "." + name);
        sql::Statement held(db, std::string("SELECT 1 FROM \"") + kItemListTable +
                                    "\" WHERE \"Name\" = ?");
        held.bind(1, name);
        if (held.step())
            return false;
        store(db, name, bytes);
        tx.commit();
        return true;
    });
}

// The rows of `names`, the bytes left out where the stamp is the one this
// desk holds; `known` gets the parameters of that comparison.
std::string
ItemListServer::changesQuery(const std::vector<std::string>& names,
                             std::vector<std::pair<std::string, std::int64_t>>& known) const {
    std::string same;
    for (const std::string& name : names) {
        const auto held = held_.find(name);
        if (held == held_.end() || held->second == kHeldAbsent)
            continue;
        same += std::string(same.empty() ? "" : " OR ") + "(\"Name\" = ? AND \"Stamp\" = ?)";
        known.emplace_back(name, held->second);
    }
    std::string in;
    for (std::size_t i = 0; i < names.size(); ++i)
        in += i == 0 ? "?" : ", ?";
    const std::string bytes =
        same.empty() ? "\"Bytes\"" : "CASE WHEN " + same + " THEN NULL ELSE \"Bytes\" END";
    return "SELECT \"Name\", \"Stamp\", " + bytes + " FROM \"" + kItemListTable +
           "\" WHERE \"Name\" IN (" + in + ")";
}

std::map<std::string, ItemListServer::Stored>
ItemListServer::changes(const std::vector<std::string>& names) {
    std::map<std::string, Stored> changed;
    if (names.empty())
        return changed;
    // Taken only once every row has come: a read that breaks off changes
    // nothing this desk holds.
    std::map<std::string, std::int64_t> nowHeld;
    guarded(ItemListAccessError::Step::Read, [&](sql::Database& db) {
        std::vector<std::pair<std::string, std::int64_t>> known;
        sql::Statement stmt(db, changesQuery(names, known));
        int parameter = 1;
        for (const auto& [name, stamp] : known) {
            stmt.bind(parameter++, name);
            stmt.bind(parameter++, stamp);
        }
        for (const std::string& name : names)
            stmt.bind(parameter++, name);
        for (const std::string& name : names)
            nowHeld[name] = kHeldAbsent;
        while (stmt.step()) {
            const std::string name = stmt.columnText(0);
            const std::int64_t stamp = stmt.columnInt(1);
            const auto held = held_.find(name);
            nowHeld[name] = stamp;
            if (stamp != 0 && held != held_.end() && held->second == stamp)
                continue;
            std::optional<std::string> bytes;
            if (!stmt.isNull(2))
                bytes = unhex(stmt.columnView(2));
            if (bytes)
                changed[name] = std::move(bytes);
            else
                nowHeld[name] = 0;
        }
    });
    for (const auto& [name, stamp] : nowHeld) {
        const auto held = held_.find(name);
        if (stamp == kHeldAbsent && (held == held_.end() || held->second != kHeldAbsent))
            changed[name] = std::nullopt;
        hold(name, stamp);
    }
    return changed;
}

std::unique_ptr<ItemListMedium> ServerItemList(std::shared_ptr<ItemListServer> server,
                                               std::string name) {
    return std::make_unique<ServerList>(std::move(server), std::move(name));
}

} // namespace kanata
