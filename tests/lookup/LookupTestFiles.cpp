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

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace kanata::test
