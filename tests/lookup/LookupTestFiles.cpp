#include "tests/lookup/LookupTestFiles.h"

#include "tests/support/TempFolders.h"

#include <QProcess>
#include <fstream>
#include <sstream>

namespace kanata::test {

ToolRun runMkphonebook(const std::vector<std::string>& arguments) {
    QStringList args;
    for (const auto& a : arguments)
        args << QString::fromStdString(a);
    QProcess process;
    process.start(QString::fromStdString((stageFolder() / "mkphonebook").string()), args);
    ToolRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

} // namespace kanata::test
