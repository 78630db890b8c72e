#include "tests/callerlookup/LookupWorld.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace kanata;
using namespace kanata::test;

namespace {

class AddressBookLookup : public ::testing::Test {
protected:
    LookupWorld world;
    CallRecord record;
};

TEST_F(AddressBookLookup, TheHighestEntryOverAllFourNumbersWins) {
    world.installAddressBook(0);
    AddressBookRow onTel;
    onTel.Tel = "09012345678";
    onTel.CorpKanji = "固定電話で一致";
    AddressBookRow onMobile;
    onMobile.Tel = "0311112222";
    onMobile.Portable1 = "09012345678";
    onMobile.Pos = "1000001";
    onMobile.NameKanji = "\xF0\xA0\xAE\xB7野家"; // no code page 932 form: kept through the escape
    onMobile.PrivCorp = "1";
    onMobile.Keyword1 = "メモ一";
    onMobile.Keyword2 = "メモ二";
    onMobile.Keyword4 = "伝言一";
    onMobile.Keyword6 = "Ａランク";
    onMobile.SymbolColor = 0x00FF80;
    onMobile.ExtLink = "a.pdf\nb.pdf";
    onMobile.ExtFile = "old.pdf";
    onMobile.Note = "備考";
    EXPECT_EQ(world.addAddressBookEntry(onTel), 1);
    EXPECT_EQ(world.addAddressBookEntry(onMobile), 2);

    ASSERT_EQ(world.lookup().LookupCaller(true, false, "090-1234-5678", record),
              CallerLookup::kFound);
    EXPECT_EQ(record.MeiboRecNo, 2);
    EXPECT_TRUE(world.lookup().FromAddressBook());
    EXPECT_EQ(world.lookup().AddressBookRecNo(), 2);
    EXPECT_EQ(record.TelIndex, 2);
    EXPECT_EQ(record.SchTel[0], "0311112222");
    EXPECT_EQ(record.Tel[0], "03-1111-2222");
    EXPECT_EQ(record.SchTel[2], "09012345678");
    EXPECT_EQ(record.Tel[2], "090-1234-5678");
    EXPECT_EQ(record.Tel[1], "");
    EXPECT_EQ(record.Pos, "100-0001");
    EXPECT_EQ(record.NameKanji, "\xF0\xA0\xAE\xB7野家");
    EXPECT_EQ(record.PrivCorp, 1);
    EXPECT_EQ(record.Memo1, "メモ一");
    EXPECT_EQ(record.Rank, "Ａランク");
    EXPECT_EQ(record.Memo2, "メモ二");
    EXPECT_EQ(record.Msg1, "伝言一");
    EXPECT_EQ(record.Msg, 1);
    EXPECT_EQ(record.BGColor, "$00FF80");
    EXPECT_EQ(record.ExtLink, (std::vector<std::string>{"a.pdf", "b.pdf"}));
    EXPECT_EQ(record.Note, std::vector<std::string>{"備考"});
    EXPECT_EQ(record.Division, 1);

    // The phonebook data alone leaves nothing of the entry behind: the call
    // view must not save this caller into entry 2.
    world.lookup().LookupCaller(false, false, "090-1234-5678", record);
    EXPECT_FALSE(world.lookup().FromAddressBook());
    EXPECT_EQ(world.lookup().AddressBookRecNo(), 0);
    EXPECT_TRUE(world.messages.shown().empty());
}

TEST_F(AddressBookLookup, EditionsOfTheOldestGenerationKeepTheirLinksInExtFile) {
    world.installAddressBook(12);
    AddressBookRow entry;
    entry.Tel = "0311112222";
    entry.ExtLink = "new.pdf";
    entry.ExtFile = "old.pdf";
    world.addAddressBookEntry(entry);
    ASSERT_EQ(world.lookup().LookupCaller(true, false, "0311112222", record), CallerLookup::kFound);
    EXPECT_EQ(record.ExtLink, std::vector<std::string>{"old.pdf"});
    EXPECT_EQ(record.TelIndex, 0);
    EXPECT_EQ(record.Msg, 0);
}

TEST_F(AddressBookLookup, AFindTheUserDeclinesIsNotTaken) {
    world.installAddressBook(0);
    AddressBookRow entry;
    entry.Fax = "0311112222";
    entry.CorpKanji = "ファクス一致";
    world.addAddressBookEntry(entry);
    world.messages
        .expect("番号名鑑のアドレス帳の中に該当するデータが見つかりました", MessageResult::No)
        .expect("照会しない場合は着信帳のCDを検索します", MessageResult::Cancel)
        .expect("このデータを照会しますか？", MessageResult::Yes);
    EXPECT_EQ(world.lookup().LookupAddressBook(true, "0311112222", record),
              CallerLookup::kNotFound);
    EXPECT_EQ(world.lookup().LookupAddressBook(true, "0311112222", record),
              CallerLookup::kCancelled);
    EXPECT_FALSE(world.lookup().FromAddressBook());
    EXPECT_EQ(record.CorpKanji, "");
    EXPECT_EQ(world.lookup().LookupAddressBook(true, "0311112222", record), CallerLookup::kFound);
    EXPECT_EQ(record.CorpKanji, "ファクス一致");
    EXPECT_EQ(record.TelIndex, 1);
    EXPECT_TRUE(world.lookup().FromAddressBook());
}

TEST_F(AddressBookLookup, AMissingProductAsksWhetherToSearchTheDisc) {
    world.useAddressBook(0, 0); // nothing registered
    world.messages.expect("番号名鑑のインストール状態を確認できませんでした", MessageResult::Yes)
        .expect("着信帳のCDを検索しますか？", MessageResult::No)
        .expect("キャンセルすると検索を中止します", MessageResult::Cancel);
    EXPECT_EQ(world.lookup().LookupAddressBook(true, "0311112222", record),
              CallerLookup::kNotFound);
    EXPECT_EQ(world.lookup().LookupAddressBook(true, "0311112222", record),
              CallerLookup::kCancelled);
    EXPECT_EQ(world.lookup().LookupAddressBook(true, "0311112222", record),
              CallerLookup::kCancelled);
    // During a call nobody is asked.
    EXPECT_EQ(world.lookup().LookupAddressBook(false, "0311112222", record),
              CallerLookup::kNotFound);
    EXPECT_EQ(world.messages.shown().size(), 3u);
}

TEST_F(AddressBookLookup, ABookThatCannotBeOpenedAsksTheSame) {
    world.installAddressBook(3);
    world.useAddressBook(3, 1); // only one book exists
    world.messages
        .expect("何らかの理由で番号名鑑のアドレス帳が開けませんでした", MessageResult::Yes)
        .expect("何らかの理由で番号名鑑のアドレス帳が開けませんでした", MessageResult::Cancel);
    EXPECT_EQ(world.lookup().LookupAddressBook(true, "0311112222", record),
              CallerLookup::kNotFound);
    EXPECT_EQ(world.lookup().LookupCaller(true, true, "0311112222", record),
              CallerLookup::kCancelled);
    EXPECT_EQ(record.SchTel[0], "0311112222");

    // A damaged file counts the same.
    world.useAddressBook(3, 0);
    {
        std::ofstream(AddressBookFolder(world.installFolder, "user") / "Adrs.DB", std::ios::trunc)
            << "not a database, not at all";
    }
    world.messages.expect("開けませんでした", MessageResult::No);
    EXPECT_EQ(world.lookup().LookupAddressBook(true, "0311112222", record),
              CallerLookup::kCancelled);
}

TEST(PhonebookEditions, BooksAreTheFoldersHoldingAnAddressBook) {
    TempFolders folders;
    Registry registry(folders.configHome() / "registry.ini");
    EXPECT_FALSE(FindPhonebookInstallation(registry, 5).registered);
    const auto install = folders.scratch() / "prog";
    registry.writeString(PhonebookAppPathsKey(PhonebookEditionAt(5)), Registry::kDefaultValue,
                         (install / "PBK2024B.exe").string());
    const auto found = FindPhonebookInstallation(registry, 5);
    EXPECT_TRUE(found.registered);
    EXPECT_EQ(found.installFolder, install / "");
    EXPECT_FALSE(FindPhonebookInstallation(registry, 4).registered);

    CreateAddressBook(AddressBookFolder(install, "会社"));
    CreateAddressBook(AddressBookFolder(install, "Home"));
    std::filesystem::create_directories(install / "Adrs" / "empty");
    const auto books = ListAddressBooks(found.installFolder);
    ASSERT_EQ(books.size(), 2u);
    EXPECT_EQ(books[0].folderName, "Home");
    EXPECT_EQ(books[1].displayName, "会社");
    EXPECT_EQ(books[1].path, (install / "Adrs" / "会社" / "").string());
    EXPECT_EQ(PhonebookEditions().size(), 14u);
    EXPECT_TRUE(IsOldestPhonebookGeneration(11));
    EXPECT_FALSE(IsOldestPhonebookGeneration(10));
}

} // namespace
