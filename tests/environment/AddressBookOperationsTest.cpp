// The pending address-book operations of the phonebook product, and the
// edition state the link page shows.
#include "settings/AddressBookOperations.h"
#include "lookup/PhonebookEditions.h"
#include "settings/Registry.h"
#include "environment/EnvironmentModel.h"
#include "settings/IniFile.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kanata::test {
namespace {

namespace fs = std::filesystem;

void makeBook(const fs::path& folder) {
    fs::create_directories(folder);
    std::ofstream(folder / "Adrs.DB") << "book";
}

TEST(AddressBookOperations, DeletesAndRenamesThenForgetsTheFile) {
    TempFolders folders;
    const fs::path adrs = folders.scratch() / "Adrs";
    makeBook(adrs / "旧支店");
    makeBook(adrs / "営業");
    IniFile ops(adrs / "AdrsOp.ini");
    ops.parse("[DELETE]\r\nCount=1\r\n1=旧支店\r\n[RENAME]\r\nCount=1\r\n1=営業/営業部\r\n");
    ASSERT_TRUE(ops.save());

    ApplyPendingAddressBookOperations(adrs);
    EXPECT_FALSE(fs::exists(adrs / "旧支店"));
    EXPECT_FALSE(fs::exists(adrs / "営業"));
    EXPECT_TRUE(fs::exists(adrs / "営業部" / "Adrs.DB"));
    EXPECT_FALSE(fs::exists(adrs / "AdrsOp.ini"));
}

TEST(AddressBookOperations, KeepsWhatCannotBeDoneRenumberedAndNeverLeavesTheFolder) {
    TempFolders folders;
    const fs::path adrs = folders.scratch() / "Adrs";
    makeBook(adrs / "本社");
    makeBook(folders.scratch() / "outside");
    IniFile ops(adrs / "AdrsOp.ini");
    ops.parse("[DELETE]\r\nCount=2\r\n1=../outside\r\n2=本社\r\n"
              "[RENAME]\r\nCount=2\r\n1=ない/どこか\r\n2=壊れた項目\r\n");
    ASSERT_TRUE(ops.save());

    ApplyPendingAddressBookOperations(adrs);
    EXPECT_TRUE(fs::exists(folders.scratch() / "outside" / "Adrs.DB"));
    EXPECT_FALSE(fs::exists(adrs / "本社"));
    IniFile left(adrs / "AdrsOp.ini");
    ASSERT_TRUE(left.load());
    EXPECT_EQ(left.readInteger("DELETE", "Count", 0), 1);
    EXPECT_EQ(left.readString("DELETE", "1"), "../outside");
    EXPECT_EQ(left.readInteger("RENAME", "Count", 0), 2);
    EXPECT_EQ(left.readString("RENAME", "2"), "壊れた項目");
}

TEST(PhonebookEditionState, InstalledEditionListsItsBooksAfterThePendingOperations) {
    TempFolders folders;
    Registry registry;
    EXPECT_FALSE(ReadPhonebookEdition(registry, 2).installed);

    const fs::path install = folders.scratch() / "pbk";
    makeBook(install / "Adrs" / "本社");
    makeBook(install / "Adrs" / "仮");
    IniFile ops(install / "Adrs" / "AdrsOp.ini");
    ops.parse("[RENAME]\r\nCount=1\r\n1=仮/支店\r\n");
    ASSERT_TRUE(ops.save());
    ASSERT_TRUE(registry.writeString(PhonebookAppPathsKey(PhonebookEditionAt(2)), "@",
                                     (install / "PBK2025A.exe").string()));
    const PhonebookEditionState state = ReadPhonebookEdition(registry, 2);
    EXPECT_TRUE(state.installed);
    EXPECT_EQ(state.books, (std::vector<std::string>{"支店", "本社"}));
}

} // namespace
} // namespace kanata::test
