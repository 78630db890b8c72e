#include "data/AddressBook.h"
#include "data/Sqlite.h"
#include "data/WideEscape.h"
#include "tests/support/ExpectEach.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

using namespace kanata;
using kanata::test::ExpectEach;

namespace {

TEST(WideEscape, RoundTripsTextOutsideTheCodePage) {
    EXPECT_EQ(EncodeWideEscape("山田"), "@5C71@7530");
    EXPECT_EQ(EncodeWideEscape("a"), "@0061");
    // 𠮷 (U+20BB7) has no code page 932 form and needs a surrogate pair.
    const std::string name = "\xF0\xA0\xAE\xB7野家 髙橋";
    EXPECT_EQ(EncodeWideEscape("\xF0\xA0\xAE\xB7"), "@D842@DFB7");
    EXPECT_EQ(DecodeWideEscape(EncodeWideEscape(name)), name);
    EXPECT_EQ(DecodeWideEscape("@5c71"), "山");
}

TEST(WideEscape, OtherTextAndDamagedGroupsStayReadable) {
    ExpectEach(DecodeWideEscape, {{"山田", "山田"},
                                  {"", ""},
                                  {"@5C71@XYZW@7530", "山@XYZW田"},
                                  {"@5C71@75", "山@75"},
                                  {"@D842", "\xEF\xBF\xBD"},
                                  {"@DFB7@0061", "\xEF\xBF\xBD"
                                                 "a"}});
}

class AddressBook : public ::testing::Test {
protected:
    kanata::test::TempFolders folders;
    kanata::test::ScriptedMessages messages;
    std::filesystem::path folder = folders.scratch() / "Adrs" / "user";
};

TEST_F(AddressBook, MissingFileIsNotCreated) {
    TDMPbarea pb(messages);
    EXPECT_FALSE(pb.OpenAddressBook(folder));
    EXPECT_FALSE(std::filesystem::exists(folder / "Adrs.DB"));
    EXPECT_EQ(pb.openCount(), 0);
}

TEST_F(AddressBook, FindsByEachNumberHighestRecordFirst) {
    CreateAddressBook(folder);
    TDMPbarea pb(messages);
    ASSERT_TRUE(pb.OpenAddressBook(folder));
    ASSERT_TRUE(pb.OpenAddressBook(folder));
    AddressBookRow a;
    a.Tel = "0312345678";
    a.NameKanji = "\xF0\xA0\xAE\xB7田";
    a.Keyword3 = "重要";
    AddressBookRow b;
    b.Fax = "0312345678";
    AddressBookRow c;
    c.Tel = "0312345678";
    EXPECT_EQ(pb.Write(a), 1);
    EXPECT_EQ(pb.Write(b), 2);
    EXPECT_EQ(pb.Write(c), 3);

    auto byTel = pb.FindByNumber("Tel", "0312345678");
    ASSERT_EQ(byTel.size(), 2u);
    EXPECT_EQ(byTel[0].RecNo, 3);
    EXPECT_EQ(byTel[1].NameKanji, a.NameKanji);
    EXPECT_EQ(byTel[1].keyword(3), "重要");
    EXPECT_EQ(pb.FindByNumber("Fax", "0312345678").size(), 1u);
    EXPECT_TRUE(pb.FindByNumber("Portable2", "0312345678").empty());

    // Stored in the escape form, so other readers of the file see it too.
    {
        sql::Database raw;
        raw.open(folder / "Adrs.DB", false);
        sql::Statement s(raw, "SELECT NameKanji FROM Adrs WHERE RecNo = 1");
        ASSERT_TRUE(s.step());
        EXPECT_EQ(s.columnText(0), "@D842@DFB7@7530");
    }

    // Writing an existing entry updates it in place.
    AddressBookRow changed = *pb.Read(1);
    changed.CorpKanji = "変更後";
    EXPECT_EQ(pb.Write(changed), 1);
    EXPECT_EQ(pb.Read(1)->CorpKanji, "変更後");
    EXPECT_EQ(pb.Read(1)->NameKanji, a.NameKanji);
    EXPECT_EQ(pb.table().count(), 3);

    pb.CloseAddressBook();
    EXPECT_TRUE(pb.table().isOpen());
    pb.CloseAddressBook();
    EXPECT_FALSE(pb.table().isOpen());
}

} // namespace
