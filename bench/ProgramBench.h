#pragma once
// The real program under calls, the way a user meets it: started from the
// build's application folder on the offscreen platform, with its tables in
// the data folder (SQLite) or on a PostgreSQL server of the run's own,
// reached over its Unix socket or over TCP on 127.0.0.1. The tables hold
// 99,000 history rows and 100,000 roster entries (99,999 is the highest
// record number, so a full 100,000 would leave no room for the calls).
//
// The server flushes its commits (fsync on), as an office's server does and
// as SQLite's synchronous commit does, so the engines are compared at the
// same durability.
#include "data/Sqlite.h"
#include "data/StoreNotifications.h"
#include "data/TDMKanata195.h"
#include "settings/DatabaseSettings.h"
#include "settings/IniFile.h"

#include "bench/BenchSupport.h"
#include "tests/support/PostgresServer.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace kanata::bench {

enum class BenchEngine { Sqlite, PostgresqlUnix, PostgresqlTcp };

inline constexpr int kBenchHistory = 99000;
inline constexpr int kBenchRoster = 100000;

inline std::filesystem::path BenchStage() {
    return KANATA_STAGE_DIR;
}

inline std::filesystem::path ProgramStage() {
    const char* other = std::getenv("KANATA_BENCH_PROGRAM_STAGE");
    return other && *other ? std::filesystem::path(other) : BenchStage();
}

// The run's server, started at its first use: durable, on its socket and on
// a free loopback port, with commit times kept (the desk benchmark reads
// when each call's row was committed). KANATA_BENCH_SERVER_SETTINGS adds
// settings separated by spaces, for profiling ("log_min_duration_statement=0
// logging_collector=on log_directory=/tmp/pglog" keeps every statement's time).
inline test::PostgresServer& RunServer() {
    static const auto server = [] {
        std::vector<std::string> settings{"track_commit_timestamp=on"};
        if (const char* more = std::getenv("KANATA_BENCH_SERVER_SETTINGS")) {
            std::istringstream words(more);
            for (std::string word; words >> word;)
                settings.push_back(word);
        }
        return std::make_unique<test::PostgresServer>(test::PostgresServer::Options{
            .tcp = true, .durable = true, .settings = std::move(settings)});
    }();
    return *server;
}

// A fresh store for one benchmark: SQLite files, or a new database on the
// run's server, reached as `engine` says.
inline sql::StoreSettings FreshStore(BenchEngine engine) {
    sql::StoreSettings store;
    if (engine == BenchEngine::Sqlite)
        return store;
    store.engine = sql::Engine::Postgresql;
    store.server = RunServer().createDatabase();
    if (engine == BenchEngine::PostgresqlTcp)
        store.server = RunServer().overTcp(store.server);
    return store;
}

// The history's and the roster's rows, made by the engine itself (one
// statement each); the series and the time text are the only words the two
// engines spell differently.
inline void FillTables(const std::filesystem::path& data, const sql::StoreSettings& store) {
    const bool pg = store.engine == sql::Engine::Postgresql;
    const auto series = [pg](int count) {
        const std::string last = std::to_string(count - 1);
        return pg ? "WITH n(i) AS (SELECT generate_series(0, " + last + ")) "
                  : "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                        last + ") ";
    };
    const std::string minutes =
        pg ? "to_char(timestamp '2026-01-01' + i * interval '1 minute', "
             "'YYYY-MM-DD HH24:MI:SS.MS')"
           : "strftime('%Y-%m-%d %H:%M:%S.000', '2026-01-01', '+' || i || ' minutes')";
    NoBoxes messages;
    TDMKanata195 dm(data, messages, StorageHooks{}, store);
    if (!dm.OpenRecvHis() || !dm.OpenMeibo())
        throw std::runtime_error("tables");
    sql::Database& meibo = dm.Meibo().table().database();
    meibo.exec("BEGIN");
    meibo.exec("DELETE FROM Meibo");
    meibo.exec(series(kBenchRoster) +
               "INSERT INTO Meibo (RecNo, SchTel1, SchTel2, Tel1, Tel2, CorpKanji, NameKanji) "
               "SELECT i, '03' || (10000000 + i), '090' || (10000000 + i), '03-' || (10000000 + "
               "i), '090-' || (10000000 + i), '株式会社着信' || i, '着信太郎' FROM n");
    meibo.exec("COMMIT");
    sql::Database& history = dm.RecvHis().table().database();
    history.exec("BEGIN");
    history.exec(series(kBenchHistory) +
                 "INSERT INTO RecvHis (RecNo, AxsDateTime, RecvDateTime, RecvWeek, SchTel, "
                 "Tel, CorpKanji, NameKanji, Division) SELECT i, t, t, 1 + i % 7, s, s, "
                 "'株式会社着信' || (i % 5000), '着信太郎', 1 FROM (SELECT i, " +
                 minutes + " AS t, '03' || (10000000 + i % 5000) AS s FROM n) AS calls");
    history.exec("COMMIT");
    if (pg)
        history.exec("ANALYZE");
    dm.CloseMeibo();
    dm.CloseRecvHis();
}

// One PC of the benchmark: a fresh work folder on `store`, the line PC
// (which takes the calls) or a desk (UseType 2: no line, pops up the calls
// the line stores).
class BenchProgram {
public:
    enum class Role { Line, Desk };

    BenchProgram(const sql::StoreSettings& store, Role role, bool popUps, bool fill)
        : root_(FreshFolder()) {
        namespace fs = std::filesystem;
        fs::create_directories(root_ / "runtime");
        fs::permissions(root_ / "runtime", fs::perms::owner_all);
        env_ = ProgramEnvironment(root_);
        QProcess demo;
        demo.setProcessEnvironment(env_);
        demo.start(QString::fromStdString((ProgramStage() / "kanata-demo").string()), {"--empty"});
        demo.waitForFinished(60000);
        work_ = root_ / "data" / "Tenko" / "Kanata195";
        IniFile ini(work_ / "Kanata195.ini");
        ini.load();
        ini.writeBool("OPERATION", "HisListPopup", popUps);
        ini.writeBool("OPERATION", "RecvViewPopup", popUps);
        if (store.engine == sql::Engine::Postgresql) {
            WriteDatabaseSettings(ini, {sql::Engine::Postgresql, store.server});
        }
        if (role == Role::Desk)
            ini.writeString("COMMON", "UseType", "2");
        if (!ini.save())
            throw std::runtime_error("settings not saved");
        if (fill)
            FillTables(work_ / "Data", store);

        program_.setProcessEnvironment(env_);
        // Its log is on standard error: waiting to read waits for that.
        program_.setReadChannel(QProcess::StandardError);
        program_.start(QString::fromStdString((ProgramStage() / "kanata195").string()), {});
        if (!waitForLog(role == Role::Desk ? "desk listening" : "ready for calls", 120000))
            throw std::runtime_error("the program did not start:\n" + log_.toStdString());
    }
    ~BenchProgram() {
        program_.terminate();
        program_.waitForFinished(30000);
        std::filesystem::remove_all(root_);
    }
    BenchProgram(const BenchProgram&) = delete;
    BenchProgram& operator=(const BenchProgram&) = delete;

    const std::filesystem::path& dataFolder() const { return work_; }

    // Reads the program's standard error until it holds `text` after what
    // earlier waits consumed; true when it came within `timeoutMs`. What
    // follows the text stays for the next wait.
    bool waitForLog(const QByteArray& text, int timeoutMs) {
        return waitForLine(text, timeoutMs, false).has_value();
    }
    // The rest of the next line that holds `text` once that line is whole;
    // none when it did not come within `timeoutMs`.
    std::optional<QByteArray> waitForLine(const QByteArray& text, int timeoutMs,
                                          bool wholeLine = true) {
        QElapsedTimer wait;
        wait.start();
        for (;;) {
            const qsizetype at = log_.indexOf(text, consumed_);
            const qsizetype from = at + text.size();
            const qsizetype end = at < 0 || !wholeLine ? from : log_.indexOf('\n', from);
            if (at >= 0 && end >= 0) {
                consumed_ = end;
                return log_.mid(from, end - from);
            }
            const qint64 left = timeoutMs - wait.elapsed();
            if (left <= 0 || program_.state() == QProcess::NotRunning)
                return std::nullopt;
            program_.waitForReadyRead(static_cast<int>(left));
            log_ += program_.readAllStandardError();
        }
    }

    // What ktcall does for one number: one request, answered when the call
    // is safe in the line PC's intake journal.
    void call(const std::string& number) {
        const std::filesystem::path socketPath = work_ / "KTSimulator.sock";
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd);
            throw std::runtime_error("the simulator does not answer");
        }
        const std::string request = "CALL " + number + "\n";
        const bool sent =
            write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size());
        shutdown(fd, SHUT_WR);
        char reply[64];
        const ssize_t n = sent ? read(fd, reply, sizeof reply) : 0;
        close(fd);
        if (n < 2 || std::strncmp(reply, "OK", 2) != 0)
            throw std::runtime_error("call refused");
    }

    // One ktcall sending all `numbers` one after another.
    void burst(const std::vector<std::string>& numbers) {
        QStringList args;
        for (const auto& n : numbers)
            args << QString::fromStdString(n);
        QProcess ktcall;
        ktcall.setProcessEnvironment(env_);
        ktcall.start(QString::fromStdString((BenchStage() / "ktcall").string()), args);
        ktcall.waitForFinished(120000);
        if (ktcall.exitCode() != 0)
            throw std::runtime_error("ktcall: not every call was accepted");
    }

private:
    std::filesystem::path root_;
    std::filesystem::path work_;
    QProcessEnvironment env_;
    QProcess program_;
    QByteArray log_;
    qsizetype consumed_ = 0;
};

// Tells when further history rows are committed. SQLite: the file is
// polled for its highest record number (a reader does not slow the
// writer). A server announces every stored row at its commit: the watcher
// listens as a desk does, so waiting costs the server nothing.
class CommittedRows {
public:
    CommittedRows(const sql::StoreSettings& store, const std::filesystem::path& dataFolder) {
        if (store.engine == sql::Engine::Postgresql) {
            listener_ = MakeServerChangeListener(store.server);
            std::string reason;
            if (!listener_->connect(reason))
                throw std::runtime_error("listener: " + reason);
            return;
        }
        history_.open(dataFolder / "RecvHis.DB", false);
        expected_ = lastRecNo();
    }

    // Waits until `more` further rows are committed.
    void waitForRows(int more) {
        if (!listener_) {
            expected_ += more;
            while (lastRecNo() < expected_)
                QThread::usleep(200);
            return;
        }
        while (more > 0) {
            pollfd fd{listener_->socket(), POLLIN, 0};
            if (::poll(&fd, 1, 30000) <= 0)
                throw std::runtime_error("no row announced within 30 s");
            std::string lost;
            for (const StoreChange& change : listener_->takeChanges(lost))
                if (change.table == StoredTable::History && change.kind == ChangeKind::Added)
                    --more;
            if (!lost.empty())
                throw std::runtime_error("listener lost the server: " + lost);
        }
    }

private:
    long long lastRecNo() {
        sql::Statement stmt(history_, "SELECT MAX(RecNo) FROM RecvHis");
        stmt.step();
        return stmt.columnInt(0);
    }

    std::unique_ptr<StoreChangeListener> listener_;
    sql::Database history_;
    long long expected_ = 0;
};

// The value below which `share` (0..1) of `values` lie.
inline double Percentile(std::vector<double> values, double share) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

// Half the calls come from roster entries, half from unknown numbers.
inline std::string NumberFor(int n) {
    return n % 2 == 0 ? "03" + std::to_string(10000000 + n) : "06" + std::to_string(20000000 + n);
}

} // namespace kanata::bench
