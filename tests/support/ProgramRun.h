#pragma once
// The real program started as a user would, on a private work folder, with
// its message boxes logged to standard error (answered with their default
// button) so that nothing waits for a hand. Calls are sent with the real
// ktcall.
#include "data/RecvHisTable.h"
#include "tests/support/TempFolders.h"

#include <QProcess>
#include <QString>

#include <filesystem>
#include <string>
#include <vector>

namespace kanata::test {

// A copy of the application folder (program, adapter libraries, data), so a
// test can add or remove optional files such as ExtDLL.so.
class AppFolderCopy {
public:
    explicit AppFolderCopy(const std::filesystem::path& where);
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class ProgramRun {
public:
    ProgramRun(const TempFolders& folders, std::filesystem::path appFolder);
    ~ProgramRun();

    void setEnv(const QString& name, const QString& value) { env_.insert(name, value); }
    // Runs kanata-demo from the application folder; true on success.
    bool prepareDemo(const QStringList& arguments = {});
    // Starts the program and waits until it takes calls.
    bool start(int timeoutMs = 120000);
    // Sends one ktcall command line; returns its exit code. What it prints
    // goes to `output`, what it complains of to `errors`.
    int ktcall(const QStringList& arguments, QString* output = nullptr, QString* errors = nullptr);
    // Ends the program as the desktop would at logout (SIGTERM) and waits.
    bool stop(int timeoutMs = 60000);
    // Everything the program wrote to standard error so far.
    QString log();
    QProcessEnvironment environment() const { return env_; }
    const std::filesystem::path& appFolder() const { return appFolder_; }

private:
    std::filesystem::path appFolder_;
    QProcessEnvironment env_;
    QProcess process_;
    QString log_;
};

// The history rows in the data folder, in record order.
std::vector<RecvHisRow> historyRows(const std::filesystem::path& dataFolder);
// Waits (up to 30 s) until the history holds `count` rows: calls are stored a
// moment after ktcall returns.
std::vector<RecvHisRow> waitForRows(const std::filesystem::path& dataFolder, std::size_t count);

} // namespace kanata::test
