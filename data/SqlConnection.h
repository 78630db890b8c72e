#pragma once
// What an engine provides behind sql::Database and sql::Statement: one
// connection and its prepared statements. Only the store modules see this.
#include "data/Sqlite.h"
#include "data/StoreSettings.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kanata::sql {

class Cursor {
public:
    virtual ~Cursor() = default;
    // Parameters count from 1, columns from 0.
    virtual void bind(int index, std::int64_t value) = 0;
    virtual void bind(int index, double value) = 0;
    virtual void bind(int index, std::string_view text) = 0;
    virtual void bindNull(int index) = 0;
    virtual bool step() = 0;
    virtual void reset() = 0;
    virtual int columnCount() const = 0;
    virtual bool isNull(int column) const = 0;
    virtual std::int64_t columnInt(int column) const = 0;
    virtual double columnDouble(int column) const = 0;
    // Valid until the next step or reset.
    virtual std::string_view columnView(int column) const = 0;
};

class Connection {
public:
    virtual ~Connection() = default;
    virtual Engine engine() const = 0;
    virtual void exec(const std::string& sql) = 0;
    virtual bool inTransaction() const = 0;
    virtual int changes() const = 0;
    virtual std::unique_ptr<Cursor> prepare(std::string_view sql) = 0;
    // Only a server's connection can be lost and found again.
    virtual bool lost() const { return false; }
    virtual void noticeLoss() {}
    virtual bool startReconnect(std::string& reason) {
        reason = "nothing to reconnect";
        return false;
    }
    virtual ReconnectStep pollReconnect(std::string& reason) {
        reason = "nothing to reconnect";
        return ReconnectStep::Failed;
    }
    virtual int socket() const { return -1; }
};

} // namespace kanata::sql
