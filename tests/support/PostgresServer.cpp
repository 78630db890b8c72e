#include "tests/support/PostgresServer.h"

#include "data/Sqlite.h"
#include "tests/support/LoopbackListener.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kanata::test {
namespace {
namespace fs = std::filesystem;
const fs::path kBin = "/usr/lib/postgresql/15/bin";
constexpr const char* kUser = "kanata";

std::string readAll(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The server's files belong to the user it runs as.
void giveTo(const fs::path& path, uid_t uid, gid_t gid) {
    if (::chown(path.c_str(), uid, gid) != 0)
        throw std::runtime_error("cannot chown " + path.string());
}

sql::ServerSettings on(const std::string& host, const std::string& port,
                       const std::string& database) {
    sql::ServerSettings s;
    s.host = host;
    s.port = port;
    s.name = database;
    s.user = kUser;
    return s;
}

// A port of 127.0.0.1 that nobody listens on now: the kernel's pick for a
// socket bound to port 0. Another process may take it before the server
// does; start() then fails with the server's log.
std::string freeLoopbackPort() {
    return std::to_string(LoopbackListener("free port").port());
}
} // namespace

PostgresServer::PostgresServer(Options options) : options_(std::move(options)) {
    char pattern[] = "/tmp/kanata-pg-XXXXXX";
    if (!::mkdtemp(pattern))
        throw std::runtime_error("cannot make a folder for the server");
    folder_ = pattern;
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody)
            throw std::runtime_error("no user nobody to run the server as");
        giveTo(folder_, nobody->pw_uid, nobody->pw_gid);
    }
    run("initdb", {"-D", (folder_ / "cluster").string(), "-U", kUser, "--auth=trust", "-E", "UTF8",
                   "--no-locale", "--no-sync"});
    if (options_.tcp)
        port_ = freeLoopbackPort();
    start();
}

PostgresServer::~PostgresServer() {
    try {
        if (running_)
            stop("immediate");
    } catch (const std::exception&) {
        // The folder goes all the same; a server left running dies with it.
    }
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

// Output goes to setup.log in the folder; its text is the error when the
// program fails.
void PostgresServer::run(const std::string& program, const std::vector<std::string>& args) const {
    std::vector<std::string> argv;
    if (::geteuid() == 0)
        argv = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
    argv.push_back((kBin / program).string());
    argv.insert(argv.end(), args.begin(), args.end());
    const fs::path log = folder_ / "setup.log";
    std::vector<char*> raw;
    for (std::string& a : argv)
        raw.push_back(a.data());
    raw.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only calls that are safe between fork and exec.
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd >= 0) {
            ::dup2(fd, STDOUT_FILENO);
            ::dup2(fd, STDERR_FILENO);
        }
        ::execvp(raw[0], raw.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        throw std::runtime_error(program + " failed:\n" + readAll(log) +
                                 readAll(folder_ / "server.log"));
}

void PostgresServer::start() {
    std::string serverOptions =
        "-k " + folder_.string() + " -p " + port_ +
        (options_.tcp ? " -c listen_addresses=127.0.0.1" : " -c listen_addresses=''");
    if (!options_.durable)
        serverOptions += " -c fsync=off";
    for (const std::string& setting : options_.settings)
        serverOptions += " -c " + setting;
    run("pg_ctl", {"start", "-w", "-D", (folder_ / "cluster").string(), "-l",
                   (folder_ / "server.log").string(), "-o", serverOptions});
    running_ = true;
}

void PostgresServer::stop(const std::string& mode) {
    run("pg_ctl", {"stop", "-w", "-m", mode, "-D", (folder_ / "cluster").string()});
    running_ = false;
}

sql::ServerSettings PostgresServer::maintenance() const {
    return on(folder_.string(), port_, "postgres");
}

sql::ServerSettings PostgresServer::overTcp(const sql::ServerSettings& database) const {
    if (!options_.tcp)
        throw std::logic_error("this server listens on its socket only");
    return on("127.0.0.1", port_, database.name);
}

sql::ServerSettings PostgresServer::createDatabase() {
    std::string name = "t"; // appended to: GCC 12 warns falsely on "t" + string in release
    name += std::to_string(++databases_);
    sql::Database admin;
    admin.connect(maintenance());
    admin.exec("CREATE DATABASE " + name +
               " TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C.UTF-8' "
               "LOCALE_PROVIDER icu "
               "ICU_LOCALE 'ja-JP'");
    return on(folder_.string(), port_, name);
}

void PostgresServer::dropDatabase(const std::string& name) {
    sql::Database admin;
    admin.connect(maintenance());
    admin.exec("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
}

sql::Engine EngineUnderTest() {
    const char* engine = std::getenv("KANATA_TEST_ENGINE");
    return engine && std::string(engine) == "postgresql" ? sql::Engine::Postgresql
                                                         : sql::Engine::Sqlite;
}

namespace {
std::unique_ptr<PostgresServer>& sharedServer() {
    static std::unique_ptr<PostgresServer> server;
    return server;
}

class FreshDatabasePerTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        sql::StoreSettings store;
        store.engine = sql::Engine::Postgresql;
        try {
            store.server = SharedServer().createDatabase();
        } catch (const std::exception& e) {
            // No test of this process can run as asked.
            std::fprintf(stderr, "the tests' PostgreSQL server: %s\n", e.what());
            std::_Exit(1);
        }
        sql::SetDefaultStore(store);
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        const std::string name = sql::DefaultStore().server.name;
        sql::SetDefaultStore({});
        SharedServer().dropDatabase(name);
    }
};

// A test that used the server, on either engine, leaves none running.
class StopServerAtEnd : public ::testing::EmptyTestEventListener {
    void OnTestProgramEnd(const ::testing::UnitTest&) override { sharedServer().reset(); }
};
} // namespace

PostgresServer& SharedServer() {
    auto& server = sharedServer();
    if (!server)
        server = std::make_unique<PostgresServer>();
    return *server;
}

void UseServerPerTestWhenAsked() {
    auto& listeners = ::testing::UnitTest::GetInstance()->listeners();
    if (OnServer())
        listeners.Append(new FreshDatabasePerTest);
    listeners.Append(new StopServerAtEnd);
}

} // namespace kanata::test
