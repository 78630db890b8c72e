#pragma once
// kanata-cli run as a user runs it: a separate process of the staged tool,
// its exit status and what it wrote.
#include "tests/support/TempFolders.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>

namespace kanata::test {

struct ToolRun {
    int exitCode = -1; // -1: it did not finish in time
    std::string out, err;
};

inline QString CliProgram() {
    return QString::fromStdString((stageFolder() / "kanata-cli").string());
}

inline ToolRun RunCli(const QStringList& args, int timeoutMs = 240000) {
    QProcess process;
    process.start(CliProgram(), args);
    ToolRun result;
    if (!process.waitForFinished(timeoutMs))
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

} // namespace kanata::test
