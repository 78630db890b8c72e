// Pictures of the dial dialog and the IP-PBX details for the documentation:
// run with KANATA_SCREENSHOT_DIR=docs/screenshots to write them.
#include "intake/gui/TCallsTelephone.h"
#include "intake/gui/TSetIPPBXDetail.h"
#include "settings/IniFile.h"
#include "tests/support/Screenshots.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

namespace kanata::test {
namespace {

class DialOutScreenshots : public ::testing::Test {
protected:
    void SetUp() override {
        if (!screenshots_.wanted())
            GTEST_SKIP() << "KANATA_SCREENSHOT_DIR not set";
    }
    Screenshots screenshots_;
    TempFolders folders_;
    ScriptedMessages messages_;
};

TEST_F(DialOutScreenshots, DialDialogAndSipDetails) {
    IniFile settings(folders_.scratch() / "Kanata195.ini");
    TCallsTelephone dial({0, 900, 0x5, {}}, settings, messages_, {}, nullptr);
    dial.setNumbers({"03-1234-5678", "", "090-1111-2222"});
    screenshots_.save(dial, "calls-telephone.png");

    IniFile ip(folders_.scratch() / "KTComm3ip.ini");
    ip.writeString("IPPBX", "Host", "192.168.1.10");
    ip.writeString("IPPBX", "Telno", "03-1234-5678");
    ip.writeString("SIP", "From", "201");
    ASSERT_TRUE(ip.save());
    TSetIPPBXDetail details(QStringLiteral("SIP"), 211, false, ip.path(), messages_, nullptr);
    screenshots_.save(details, "ippbx-detail-sip.png");
}

} // namespace
} // namespace kanata::test
