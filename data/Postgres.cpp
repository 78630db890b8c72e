#include "data/Postgres.h"

#include "data/Sqlite.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace kanata::sql {
namespace {
constexpr int kServerError = 1; // as SQLITE_ERROR, for callers that look at codes

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

int affectedRows(PGresult* result) {
    const char* n = PQcmdTuples(result);
    int rows = 0;
    if (n && *n)
        std::from_chars(n, n + std::char_traits<char>::length(n), rows);
    return rows;
}

std::string_view sqlState(const PGresult* result) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return state ? state : "";
}

// Whether a failed statement failed because the connection is gone. libpq
// may hand back the failure of a write into a closed socket before it marks
// the connection bad; such an error of its own carries no SQLSTATE, unlike
// every error the server sends. The server's own are its shutdown (57P01,
// 57P02), its start (57P03) and the connection class 08.
bool connectionGone(PGconn* conn, const PGresult* result) {
    if (PQstatus(conn) != CONNECTION_OK)
        return true;
    const std::string_view code = sqlState(result);
    if (code.empty())
        return true;
    return code.starts_with("08") || code == "57P01" || code == "57P02" || code == "57P03";
}

bool failed(const PGresult* result) {
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    return status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK;
}

// Throws unless the result is a success; returns it otherwise. `gone` is
// set when the connection turned out to be lost.
Result checked(PGconn* conn, PGresult* raw, bool& gone) {
    Result result(raw);
    if (!failed(result.get()))
        return result;
    std::string text = result ? PQresultErrorMessage(result.get()) : "";
    if (text.empty())
        text = PQerrorMessage(conn);
    if (connectionGone(conn, result.get()))
        gone = true;
    throw Error(kServerError, trimmed(text), gone);
}

// The two ways a statement the server keeps is refused for being kept,
// which preparing it again mends: its plan no longer fits a table that
// another desk changed, or the server no longer has it.
constexpr std::string_view kPlanNoLongerFits = "0A000";
constexpr std::string_view kNoSuchStatement = "26000";

// What a connection shares with its cursors, which may outlive it.
struct ServerSession {
    PGconn* conn; // null once the connection is closed
    int changes = 0;
    bool gone = false;
    // One more at each reconnection, which starts a session on the server
    // that has none of the statements the last one kept.
    int generation = 0;
    std::uint64_t lastName = 0;
    // Kept statements no cursor uses any more, given up at the next
    // chance outside a transaction, where a failure harms nothing.
    std::vector<std::string> unneeded;

    void releaseUnneeded() {
        if (unneeded.empty() || PQtransactionStatus(conn) != PQTRANS_IDLE)
            return;
        std::string sql;
        for (const std::string& name : unneeded)
            sql += "DEALLOCATE " + name + ";";
        unneeded.clear();
        PQclear(PQexec(conn, sql.c_str()));
    }
};

class ServerCursor final : public Cursor {
public:
    ServerCursor(std::shared_ptr<ServerSession> session, std::string_view sql)
        : session_(std::move(session)) {
        int count = 0;
        sql_ = ServerSpelling(sql, count);
        values_.resize(static_cast<std::size_t>(count));
    }
    ~ServerCursor() override {
        if (isKept())
            session_->unneeded.push_back(std::move(name_));
    }

    void bind(int index, std::int64_t value) override { set(index, std::to_string(value)); }
    void bind(int index, double value) override {
        char buf[32];
        auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
        set(index, std::string(buf, end));
    }
    void bind(int index, std::string_view text) override { set(index, std::string(text)); }
    void bindNull(int index) override { at(index).reset(); }

    bool step() override {
        if (!result_)
            execute();
        else
            ++row_;
        return row_ < PQntuples(result_.get());
    }
    void reset() override {
        result_.reset();
        row_ = 0;
        for (auto& v : values_)
            v.reset();
    }

    int columnCount() const override { return result_ ? PQnfields(result_.get()) : 0; }
    bool isNull(int column) const override { return PQgetisnull(result_.get(), row_, column) != 0; }
    std::int64_t columnInt(int column) const override {
        const std::string_view text = columnView(column);
        std::int64_t value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return value;
    }
    double columnDouble(int column) const override {
        const std::string_view text = columnView(column);
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return value;
    }
    std::string_view columnView(int column) const override {
        if (!result_ || row_ >= PQntuples(result_.get()))
            return {};
        return std::string_view(PQgetvalue(result_.get(), row_, column),
                                static_cast<std::size_t>(PQgetlength(result_.get(), row_, column)));
    }

private:
    std::optional<std::string>& at(int index) {
        if (index < 1 || index > static_cast<int>(values_.size()))
            throw Error(25 /* SQLITE_RANGE */, "column index out of range");
        return values_[static_cast<std::size_t>(index - 1)];
    }
    void set(int index, std::string value) { at(index) = std::move(value); }

    bool isKept() const { return !name_.empty() && keptIn_ == session_->generation; }

    // Every parameter goes as text of no stated type: the server infers
    // each one's type from where it stands, as SQLite's loose typing lets
    // the callers' conditions expect.
    void execute() {
        std::vector<const char*> values;
        for (const auto& v : values_)
            values.push_back(v ? v->c_str() : nullptr);
        if (++executions_ > 1 && !isKept())
            keep();
        Result result = runMendingKept(values);
        result_ = checked(session_->conn, result.release(), session_->gone);
        row_ = 0;
        session_->changes = affectedRows(result_.get());
    }

    // A kept statement refused for being kept is prepared again and, where
    // the refusal has not ended a transaction, run again: nothing was done.
    Result runMendingKept(const std::vector<const char*>& values) {
        Result result(run(values));
        if (!isKept() || !failed(result.get()))
            return result;
        const std::string_view state = sqlState(result.get());
        if (state != kPlanNoLongerFits && state != kNoSuchStatement)
            return result;
        if (state == kPlanNoLongerFits)
            session_->unneeded.push_back(name_);
        name_.clear();
        if (PQtransactionStatus(session_->conn) == PQTRANS_IDLE) {
            keep();
            result.reset(run(values));
        }
        return result;
    }

    PGresult* run(const std::vector<const char*>& values) const {
        const int count = static_cast<int>(values.size());
        if (isKept())
            return PQexecPrepared(session_->conn, name_.c_str(), count, values.data(), nullptr,
                                  nullptr, 0);
        return PQexecParams(session_->conn, sql_.c_str(), count, nullptr, values.data(), nullptr,
                            nullptr, 0);
    }

    // A statement run again is kept on the server, parsed and planned once:
    // the planning of a look-up by number weighs its many indexes and takes
    // eight times its run. The server plans each run afresh still where the
    // values it is given make a better plan than one for any values.
    void keep() {
        session_->releaseUnneeded();
        std::string name = "kanata_" + std::to_string(++session_->lastName);
        checked(session_->conn, PQprepare(session_->conn, name.c_str(), sql_.c_str(), 0, nullptr),
                session_->gone);
        name_ = std::move(name);
        keptIn_ = session_->generation;
    }

    std::shared_ptr<ServerSession> session_;
    std::string sql_;
    std::vector<std::optional<std::string>> values_;
    Result result_;
    int row_ = 0;
    int executions_ = 0;
    std::string name_; // of the statement the server keeps, once it does
    int keptIn_ = 0;
};

class ServerConnection final : public Connection {
public:
    explicit ServerConnection(PGconn* conn)
        : session_(std::make_shared<ServerSession>(ServerSession{conn})) {}
    ~ServerConnection() override {
        PQfinish(session_->conn);
        session_->conn = nullptr;
    }

    Engine engine() const override { return Engine::Postgresql; }
    void exec(const std::string& sql) override {
        if (lost())
            throw Error(kServerError, trimmed(PQerrorMessage(session_->conn)), true);
        int count = 0;
        Result result =
            checked(session_->conn, PQexec(session_->conn, ServerSpelling(sql, count).c_str()),
                    session_->gone);
        session_->changes = affectedRows(result.get());
    }
    bool inTransaction() const override {
        return PQtransactionStatus(session_->conn) != PQTRANS_IDLE &&
               PQtransactionStatus(session_->conn) != PQTRANS_UNKNOWN;
    }
    int changes() const override { return session_->changes; }
    std::unique_ptr<Cursor> prepare(std::string_view sql) override {
        if (lost())
            throw Error(kServerError, trimmed(PQerrorMessage(session_->conn)), true);
        return std::make_unique<ServerCursor>(session_, sql);
    }

    // Also while a reconnection is under way: nothing may be sent then. A
    // failed statement that found the connection gone marks it lost too,
    // should libpq not have noticed yet.
    bool lost() const override {
        return session_->gone || PQstatus(session_->conn) != CONNECTION_OK;
    }
    // libpq keeps its socket non-blocking, so this reads only what is there;
    // an end of stream marks the connection bad. A server that stops sends
    // its farewell before it closes, and one read may end with that: a few
    // reads reach the end of the stream behind it.
    void noticeLoss() override {
        if (inTransaction())
            return;
        for (int read = 0; read < 3 && !lost(); ++read)
            if (PQconsumeInput(session_->conn) == 0)
                session_->gone = true;
    }
    // PQresetStart keeps this PGconn, so the tables' cached statements (which
    // hold it) stay valid; the connection options, the text encoding among
    // them, are those of the first connection.
    bool startReconnect(std::string& reason) override {
        if (PQresetStart(session_->conn) == 1)
            return true;
        reason = trimmed(PQerrorMessage(session_->conn));
        return false;
    }
    ReconnectStep pollReconnect(std::string& reason) override {
        switch (PQresetPoll(session_->conn)) {
        case PGRES_POLLING_READING:
            return ReconnectStep::WaitRead;
        case PGRES_POLLING_WRITING:
            return ReconnectStep::WaitWrite;
        case PGRES_POLLING_OK:
            session_->gone = false;
            ++session_->generation;
            session_->unneeded.clear();
            return ReconnectStep::Connected;
        default:
            reason = trimmed(PQerrorMessage(session_->conn));
            return ReconnectStep::Failed;
        }
    }
    int socket() const override { return PQsocket(session_->conn); }

private:
    std::shared_ptr<ServerSession> session_;
};

// The server's notices ("already exists, skipping", ...) are not the user's
// business and must not clutter the program's output.
void ignoreNotice(void*, const char*) {}

// Length of the quoted run starting at sql[i] (a quote character) up to and
// including its closing quote; a doubled quote stays inside.
std::size_t quotedLength(std::string_view sql, std::size_t i) {
    const char quote = sql[i];
    std::size_t j = i + 1;
    while (j < sql.size()) {
        if (sql[j] == quote) {
            if (j + 1 < sql.size() && sql[j + 1] == quote) {
                j += 2;
                continue;
            }
            return j + 1 - i;
        }
        ++j;
    }
    return sql.size() - i;
}
} // namespace

std::string ServerSpelling(std::string_view sql, int& count) {
    std::string out;
    out.reserve(sql.size() + 8);
    count = 0;
    std::string lastWord; // the last unquoted word, in upper case
    for (std::size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            const std::size_t n = quotedLength(sql, i);
            std::string quoted(sql.substr(i, n));
            if (c == '"' && lastWord != "COLLATE")
                for (char& ch : quoted)
                    ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
            out += quoted;
            lastWord.clear();
            i += n;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const std::size_t end = sql.find('\n', i);
            const std::size_t n = (end == std::string_view::npos ? sql.size() : end) - i;
            out.append(sql.substr(i, n));
            i += n;
        } else if (c == '?') {
            std::size_t j = i + 1;
            while (j < sql.size() && sql[j] >= '0' && sql[j] <= '9')
                ++j;
            // As SQLite numbers them: "?NNN" is NNN, a bare "?" one more
            // than the largest number so far.
            int number = count + 1;
            if (j > i + 1)
                std::from_chars(sql.data() + i + 1, sql.data() + j, number);
            count = std::max(count, number);
            out += "$" + std::to_string(number);
            i = j;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t j = i;
            lastWord.clear();
            while (j < sql.size() &&
                   (std::isalnum(static_cast<unsigned char>(sql[j])) || sql[j] == '_'))
                lastWord += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[j++])));
            out.append(sql.substr(i, j - i));
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::unique_ptr<Connection> ConnectToServer(const ServerSettings& server) {
    PGconn* conn = PQconnectdb(ConnectionInfo(server).c_str());
    if (!conn)
        throw Error(7 /* SQLITE_NOMEM */, "out of memory");
    if (PQstatus(conn) != CONNECTION_OK) {
        std::string text = trimmed(PQerrorMessage(conn));
        PQfinish(conn);
        throw Error(kServerError, text);
    }
    PQsetNoticeProcessor(conn, ignoreNotice, nullptr);
    return std::make_unique<ServerConnection>(conn);
}

} // namespace kanata::sql
