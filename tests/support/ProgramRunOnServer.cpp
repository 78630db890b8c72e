#include "tests/support/ProgramRunOnServer.h"

#include "settings/DatabaseSettings.h"
#include "settings/IniFile.h"

#include <QRegularExpression>

#include <cstdio>
#include <gtest/gtest.h>

namespace kanata::test {

void UseServer(const std::filesystem::path& workFolder, const sql::ServerSettings& server,
               int useType) {
    IniFile ini(workFolder / "Kanata195.ini");
    ini.load();
    WriteDatabaseSettings(ini, {sql::Engine::Postgresql, server});
    if (useType >= 0)
        ini.writeInteger("COMMON", "UseType", useType);
    ASSERT_TRUE(ini.save());
}

// ktcall names each number it had accepted when given more than one.
std::vector<QString> SendCalls(ProgramRun& run, const QStringList& numbers) {
    QString output, errors;
    run.ktcall(numbers, &output, &errors);
    // A call refused shows in the test's output beside the count it upsets.
    if (!errors.isEmpty())
        std::fprintf(stderr, "[ktcall] %s", errors.toStdString().c_str());
    static const QRegularExpression ok("^OK (\\S+)$", QRegularExpression::MultilineOption);
    std::vector<QString> accepted;
    auto it = ok.globalMatch(output);
    while (it.hasNext())
        accepted.push_back(it.next().captured(1));
    return accepted;
}

} // namespace kanata::test
