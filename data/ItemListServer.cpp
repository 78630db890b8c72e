#include "data/ItemListServer.h"

#include "data/SqlDialect.h"

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

private:
    std::shared_ptr<ItemListServer> server_;
    std::string name_;
};

} // namespace

void CreateItemListTable(sql::Database& db) {
    const std::string text = db.dialect().columnType(sql::ColumnKind::Text);
    sql::Transaction tx(db);
    // The same lock as the other tables' schema: desks opening a new store
    // at once create it one after the other.
    lock(db, "schema");
    db.exec(std::string("CREATE TABLE IF NOT EXISTS \"") + kItemListTable + "\" (\"Name\" " + text +
            ", \"Bytes\" " + text + ", PRIMARY KEY (\"Name\"))");
    tx.commit();
}

sql::Database& ItemListServer::database() {
    constexpr auto kRetryPause = std::chrono::seconds(10);
    if (db_.isOpen() && !db_.connectionLost())
        return db_;
    db_.close();
    if (std::chrono::steady_clock::now() < retryAfter_)
        throw sql::Error(1, "the server could not be reached a moment ago", true);
    try {
        db_.connect(server_);
        CreateItemListTable(db_);
    } catch (const sql::Error&) {
        db_.close();
        retryAfter_ = std::chrono::steady_clock::now() + kRetryPause;
        throw;
    }
    return db_;
}

template <class F> auto ItemListServer::guarded(ItemListAccessError::Step step, F work) {
    try {
        return work(database());
    } catch (const sql::Error& e) {
        // A connection that failed half-way is not trusted with the next list.
        if (db_.isOpen() && (e.connectionLost() || db_.connectionLost()))
            db_.close();
        throw ItemListAccessError(step, e.what());
    }
}

std::optional<std::string> ItemListServer::select(sql::Database& db, const std::string& name) {
    sql::Statement stmt(db, std::string("SELECT \"Bytes\" FROM \"") + kItemListTable +
                                "\" WHERE \"Name\" = ?");
    stmt.bind(1, name);
    if (!stmt.step())
        return std::nullopt;
    std::optional<std::string> bytes = unhex(stmt.columnView(0));
    if (!bytes)
        throw ItemListAccessError(ItemListAccessError::Step::Read,
                                  name + ": the stored list is damaged or too long");
    return bytes;
}

void ItemListServer::store(sql::Database& db, const std::string& name, const std::string& bytes) {
    if (bytes.size() > kMaxItemListBytes)
        throw ItemListAccessError(ItemListAccessError::Step::Write,
                                  name + ": the list is too long");
    sql::Statement remove(db,
                          std::string("DELETE FROM \"") + kItemListTable + "\" WHERE \"Name\" = ?");
    remove.bind(1, name);
    remove.step();
    sql::Statement insert(db, std::string("INSERT INTO \"") + kItemListTable +
                                  "\" (\"Name\", \"Bytes\") VALUES (?, ?)");
    insert.bind(1, name);
    insert.bind(2, hex(bytes));
    insert.step();
}

std::optional<std::string> ItemListServer::read(const std::string& name) {
    return guarded(ItemListAccessError::Step::Read,
                   [&](sql::Database& db) { return select(db, name); });
}

void ItemListServer::write(const std::string& name, const std::string& bytes) {
    guarded(ItemListAccessError::Step::Write, [&](sql::Database& db) {
        sql::Transaction tx(db);
        lock(db, std::string(kItemListTable) + "." + name);
        store(db, name, bytes);
        tx.commit();
    });
}

void ItemListServer::update(const std::string& name, const ItemListMedium::Change& change) {
    guarded(ItemListAccessError::Step::Write, [&](sql::Database& db) {
        sql::Transaction tx(db);
        lock(db, std::string(kItemListTable) + "." + name);
        if (const std::optional<std::string> bytes = change(select(db, name))) {
            store(db, name, *bytes);
            tx.commit();
        }
    });
}

bool ItemListServer::seed(const std::string& name, const std::string& bytes) {
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

std::unique_ptr<ItemListMedium> ServerItemList(std::shared_ptr<ItemListServer> server,
                                               std::string name) {
    return std::make_unique<ServerList>(std::move(server), std::move(name));
}

} // namespace kanata
