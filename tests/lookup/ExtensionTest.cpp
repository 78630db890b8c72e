#include "data/Cp932.h"
#include "lookup/ExtensionLibrary.h"
#include "lookup/ExtensionRecord.h"
#include "tests/lookup/LookupTestFiles.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <regex>

using namespace kanata;
using namespace kanata::test;
namespace fs = std::filesystem;

namespace {

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// The NUL-terminated code page 932 text at a byte offset of the record.
std::string textAt(const ExtensionRecord& record, std::size_t offset) {
    return reinterpret_cast<const char*>(&record) + offset;
}

CallRecord sampleCall() {
    CallRecord call;
    call.SchTel[0] = "0355550101";
    call.Tel[0] = "03-5555-0101";
    call.SchTel[1] = "0355550102";
    call.TelIndex = 1;
    call.Pos = "100-0001";
    call.CorpKanji = "見本商事";
    call.NameKanji = "架空太郎";
    call.Memo2 = "二";
    call.Memo3 = "三";
    call.Division = 1;
    call.RecvDateTime = 46000.5;
    call.SelItem1 = "選択";
    call.EMail = "taro@example.jp";
    call.Msg1 = "not passed";
    return call;
}

TEST(ExtensionRecord, FieldsLandAtTheirOffsetsInCodePage932) {
    ExtensionRecord r = MakeExtensionRecord(sampleCall());
    EXPECT_EQ(textAt(r, 0), "0355550101");
    EXPECT_EQ(textAt(r, 12), "0355550102");
    EXPECT_EQ(textAt(r, 24), "03-5555-0101");
    EXPECT_EQ(textAt(r, 56), "100-0001");
    EXPECT_EQ(textAt(r, 347), cp932::encode("見本商事"));
    EXPECT_EQ(textAt(r, 481), cp932::encode("架空太郎"));
    EXPECT_EQ(textAt(r, 609), cp932::encode("三")); // Memo3 before Memo2
    EXPECT_EQ(textAt(r, 710), cp932::encode("二"));
    EXPECT_EQ(textAt(r, 860), cp932::encode("選択"));
    EXPECT_EQ(textAt(r, 953), "taro@example.jp");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&r);
    std::int32_t telIndex, division;
    double received;
    std::memcpy(&telIndex, bytes + 52, 4);
    std::memcpy(&division, bytes + 856, 4);
    std::memcpy(&received, bytes + 840, 8);
    EXPECT_EQ(telIndex, 1);
    EXPECT_EQ(division, 1);
    EXPECT_EQ(received, 46000.5);
    for (std::size_t i = 208; i < 260; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
}

// Bytes [from, to) of the record.
std::string bytesOf(const ExtensionRecord& record, std::size_t from, std::size_t to) {
    return std::string(reinterpret_cast<const char*>(&record) + from, to - from);
}

TEST(ExtensionRecord, LongTextsRunOnIntoTheNextSlotWhichOverwritesTheOverlap) {
    CallRecord call;
    call.CorpKanji = repeat("株", 60); // 120 bytes from 347, into NameKana's slot at 460
    call.NameKana = "ｶﾅ";
    call.NameKanji = repeat("漢", 15); // 30 bytes from 481, over PrivCorp and Memo1
    call.PrivCorp = 1;
    call.SelItem1 = repeat("あ", 30); // 60 bytes from 860, into SelItem2's slot at 891
    call.SelItem2 = "二番目";
    call.SelItem3 = repeat("い", 31); // 62 bytes: cut to its field's 60, over EMail at 953
    call.EMail = "taro@example.jp";
    const ExtensionRecord r = MakeExtensionRecord(call);

    const std::string corp = cp932::encode(call.CorpKanji);
    EXPECT_EQ(bytesOf(r, 347, 460), corp.substr(0, 113)) << "the slot is full, no NUL";
    EXPECT_EQ(bytesOf(r, 460, 463), cp932::encode("ｶﾅ") + '\0');
    EXPECT_EQ(bytesOf(r, 463, 468), corp.substr(116) + '\0') << "the tail not overwritten";

    const std::string kanji = cp932::encode(call.NameKanji);
    EXPECT_EQ(bytesOf(r, 481, 504), kanji.substr(0, 23));
    std::int32_t privCorp = 0;
    std::memcpy(&privCorp, reinterpret_cast<const char*>(&r) + 504, 4);
    EXPECT_EQ(privCorp, 1) << "copied after the name, over its run-on";
    EXPECT_EQ(bytesOf(r, 508, 512), std::string(1, '\0') + kanji.substr(28) + '\0');

    const std::string first = cp932::encode(call.SelItem1);
    EXPECT_EQ(bytesOf(r, 860, 891), first.substr(0, 31));
    EXPECT_EQ(textAt(r, 891), cp932::encode("二番目"));
    EXPECT_EQ(bytesOf(r, 898, 921), first.substr(38) + '\0');
    EXPECT_EQ(bytesOf(r, 922, 953), cp932::encode(repeat("い", 31)).substr(0, 31));
    EXPECT_EQ(textAt(r, 953), "taro@example.jp");
    EXPECT_EQ(bytesOf(r, 953 + 16, 983), cp932::encode(repeat("い", 30)).substr(47) + '\0');
}

class Extension : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("KANATA_EXTDLL_RESULT");
        fs::create_directories(temp.workFolder());
    }
    void TearDown() override { unsetenv("KANATA_EXTDLL_RESULT"); }

    fs::path appFolder() const { return temp.scratch() / "app"; }
    fs::path logFile() const { return temp.workFolder() / "extdll_call.log"; }

    void installSample(const fs::path& built = stageFolder().parent_path() / "plugins-sample" /
                                               "ExtDLL.so") {
        fs::create_directories(appFolder());
        fs::copy_file(built, appFolder() / "ExtDLL.so");
    }

    TempFolders temp;
    ScriptedMessages messages;
    ExtensionLibrary extension{temp.workFolder(), messages};
};

TEST_F(Extension, SuccessReachesTheExtensionAndLogsNothing) {
    installSample();
    ASSERT_TRUE(extension.load(appFolder()));
    EXPECT_EQ(extension.CallExtension(sampleCall()), 1);
    EXPECT_FALSE(fs::exists(logFile()));
    // What the sample read from the record, by its own view of the layout.
    EXPECT_EQ(cp932::decode(readFile(temp.workFolder() / "extdll_sample.txt")),
              "0355550101\t03-5555-0101\t1\t見本商事\t架空太郎\t1\t選択\n");
}

TEST_F(Extension, OtherResultsAreLoggedOneLineEach) {
    installSample();
    ASSERT_TRUE(extension.load(appFolder()));
    setenv("KANATA_EXTDLL_RESULT", "0", 1);
    EXPECT_EQ(extension.CallExtension(sampleCall()), 0);
    setenv("KANATA_EXTDLL_RESULT", "-7", 1);
    EXPECT_EQ(extension.CallExtension(sampleCall()), -7);
    std::string log = readFile(logFile());
    const std::regex lines(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d,extended dll call error \[rc=0\]\n)"
                           R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d,extended dll call error \[rc=-7\]\n)");
    EXPECT_TRUE(std::regex_match(log, lines)) << log;
}

TEST_F(Extension, AbsentLibraryIsSilentAndNotCalled) {
    fs::create_directories(appFolder());
    EXPECT_FALSE(extension.load(appFolder()));
    EXPECT_FALSE(extension.loaded());
    EXPECT_EQ(extension.CallExtension(sampleCall()), ExtensionLibrary::kNotLoaded);
    EXPECT_FALSE(fs::exists(logFile()));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Extension, BrokenLibraryIsReportedAndLeftUnused) {
    writeFile(appFolder() / "ExtDLL.so", "not a shared object");
    messages.expect("ExtDLL.so LoadLibrary Error\r\nDLLのロードに失敗しました");
    EXPECT_FALSE(extension.load(appFolder()));
    EXPECT_EQ(extension.CallExtension(sampleCall()), ExtensionLibrary::kNotLoaded);
}

TEST_F(Extension, LibraryWithoutTheFunctionIsReportedAndLeftUnused) {
    installSample(stageFolder().parent_path() / "plugins-sample" / "noentry" / "ExtDLL.so");
    messages.expect(
        "ExtendDLLFunc (ExtDLL.so) GetProcAddress Error\r\n関数の割り当てに失敗しました");
    EXPECT_FALSE(extension.load(appFolder()));
    EXPECT_EQ(extension.CallExtension(sampleCall()), ExtensionLibrary::kNotLoaded);
}

} // namespace
