// The rules of the dial dialog and of the IP-PBX details.
#include "intake/DialOut.h"
#include "settings/IniFile.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

namespace kanata::test {
namespace {

TEST(DialOutRules, PortsComeFromTheModelsMask) {
    EXPECT_TRUE(analogPortNames(0).empty());
    EXPECT_EQ(analogPortNames(0x1), (std::vector<std::string>{"ポート１"}));
    EXPECT_EQ(analogPortNames(0x15),
              (std::vector<std::string>{"ポート１", "ポート３", "ポート５"}));
    EXPECT_EQ(analogPortNames(0x20), std::vector<std::string>{}) << "only five ports exist";
    EXPECT_EQ(chooseAnalogPort(2, 3), 2);
    EXPECT_EQ(chooseAnalogPort(3, 3), 0) << "a stored port beyond the list";
    EXPECT_EQ(chooseAnalogPort(-1, 3), 0);
    EXPECT_EQ(chooseAnalogPort(0, 0), -1);
}

TEST(DialOutRules, OnlyDigitsAreDialled) {
    EXPECT_EQ(dialDigits("03-1234-5678"), "0312345678");
    EXPECT_EQ(dialDigits(" (045) 555.1111 "), "0455551111");
    EXPECT_EQ(dialQuestion(" 03-1234-5678 "),
              "「03-1234-5678」に電話をかけます  \r\nよろしいですか？  ");
}

TEST(DialOutRules, AddressesAreFourPartsWithoutLeadingZeros) {
    EXPECT_TRUE(isValidIPv4("192.168.1.1"));
    EXPECT_TRUE(isValidIPv4("0.0.0.0"));
    EXPECT_TRUE(isValidIPv4("255.255.255.255"));
    for (const char* bad : {"192.168.01.1", "192.168.1", "192.168.1.256", "192.168.1.1.",
                            "+1.2.3.4", " 1.2.3.4", "1..2.3", "", "a.b.c.d", "1.2.3.4.5"})
        EXPECT_FALSE(isValidIPv4(bad)) << bad;
}

TEST(DialOutRules, EachModelChecksItsOwnPage) {
    IpPbxValues v{"192.168.1.1", "03-1234-5678", "201", "", ""};
    EXPECT_FALSE(checkIpPbx(211, v));
    v.from = "２０１";
    auto problem = checkIpPbx(211, v);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->message, "内線番号は半角で入力してください  ");
    EXPECT_EQ(problem->field, IpPbxField::From);
    v.from = "201";
    v.telno = "03 1234";
    EXPECT_EQ(checkIpPbx(211, v)->message, "電話番号は半角の数字とハイフンで入力してください  ");
    v.host = "192.168.1";
    EXPECT_EQ(checkIpPbx(211, v)->message, "正しいIPアドレスを入力してください  ");

    IpPbxValues handset{"10.0.0.1", "", "", "", ""};
    EXPECT_EQ(checkIpPbx(221, handset)->message, "内線番号を入力してください  ");
    EXPECT_EQ(checkIpPbx(241, {"10.0.0.1", "", "", "31", ""})->message,
              "パスワードを入力してください  ");
    EXPECT_FALSE(checkIpPbx(250, {"10.0.0.1", "", "", "", ""})) << "empty target = all numbers";
}

TEST(DialOutRules, OnlyThePagesKeysAreWritten) {
    TempFolders folders;
    IniFile ini(folders.scratch() / "KTComm3ip.ini");
    ini.writeString("IPPBX", "User", "kept");
    ini.writeString("IPPBX", "Telno", "0311112222");
    ini.writeString("SIP", "From", "kept too");
    writeIpPbxValues(250, {"10.0.0.2", "", "ignored", "ignored", "ignored"}, ini);
    EXPECT_EQ(ini.readString("IPPBX", "Host"), "10.0.0.2");
    EXPECT_TRUE(ini.hasKey("IPPBX", "Telno"));
    EXPECT_EQ(ini.readString("IPPBX", "Telno"), "") << "stored empty";
    EXPECT_EQ(ini.readString("IPPBX", "User"), "kept");
    EXPECT_EQ(ini.readString("SIP", "From"), "kept too");
    EXPECT_EQ(dialExtension(211, ini), "kept too");
    EXPECT_EQ(dialExtension(221, ini), "kept");
}

} // namespace
} // namespace kanata::test
