// The whole road of a SIP call: the real program on the SIP model, INVITEs
// from sipp on 127.0.0.1, the history table read back from disk.
#include "data/TDMKanata195.h"
#include "settings/IniFile.h"
#include "tests/sip/SipPeers.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/ScriptedMessages.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

namespace kanata::test {
namespace {

using namespace std::chrono_literals;

std::string from(const std::string& user) {
    return "From: <sip:" + user + "@[local_ip]>;tag=[pid]SIPpTag00[call_number]";
}

TEST(SipHistory, CallsFromSippLandInTheHistory) {
    TempFolders folders;
    AppFolderCopy app{folders.root() / "app"};
    ProgramRun run{folders, app.path()};
    ASSERT_TRUE(run.prepareDemo({"--ip"}));
    IniFile settings(folders.workFolder() / "Kanata195.ini");
    ASSERT_TRUE(settings.load());
    settings.writeInteger("COMMON", "Adapter", 211);
    ASSERT_TRUE(settings.save());
    const int port = freeUdpPort();
    writeSipIni(folders.workFolder(),
                "[IPPBX]\r\nHost=\r\nTelno=0312340000\r\n[SIP]\r\nLocalAddress=127.0.0.1\r\n"
                "LocalPort=" +
                    std::to_string(port) + "\r\n");
    ASSERT_TRUE(run.start()) << run.log().toStdString();

    const std::string calls[] = {
        from("0355550000"),
        from("201") + "\nP-Asserted-Identity: <sip:+819011112222@pbx.test>",
        from("0355550000") + "\nPrivacy: id",
    };
    int n = 0;
    for (const std::string& identity : calls) {
        Sipp sipp(folders.scratch() / std::to_string(n++),
                  cancelledCallScenario(identity, "0312340000"), freeUdpPort(), port);
        ASSERT_TRUE(sipp.started());
        EXPECT_EQ(sipp.finish(30s), 0) << sipp.errors();
    }
    const auto rows = waitForRows(folders.workFolder() / "Data", 3);
    ASSERT_EQ(rows.size(), 3u) << run.log().toStdString();
    EXPECT_EQ(rows[0].SchTel, "0355550000");
    EXPECT_EQ(rows[0].Tel, "03-5555-0000");
    EXPECT_EQ(rows[1].SchTel, "09011112222");
    EXPECT_EQ(rows[2].SchTel, "P");
    EXPECT_TRUE(run.stop());
}

} // namespace
} // namespace kanata::test
