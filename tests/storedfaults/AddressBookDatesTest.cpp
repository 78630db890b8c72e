// Registering a caller in the phonebook product's address book stamps the
// entry as the roster does: created once, saved each time.
#include "data/AddressBook.h"
#include "data/Sqlite.h"
#include "data/TDMKanata195.h"
#include "data/CallRecord.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "views/CallerRegistration.h"

#include <gtest/gtest.h>

namespace kanata::test {
namespace {

class AddressBookDates : public ::testing::Test {
protected:
    TempFolders folders;
    ScriptedMessages messages;
    TDMKanata195 dm{folders.scratch() / "Data", messages};
    std::filesystem::path bookFolder = folders.scratch() / "Adrs" / "Book1";
    TDMPbarea book{messages};
    CallRecord record;

    void SetUp() override {
        dm.LoadItemLists(folders.scratch() / "app");
        ASSERT_TRUE(dm.OpenRecvHis());
        RecvHisRow call;
        call.SchTel = "0312345678";
        call.Tel = "03-1234-5678";
        record.RecNo = *dm.RecvHis().append(call, messages);
        record.Tel[0] = call.Tel;
        record.SchTel[0] = call.SchTel;
    }
    void TearDown() override { dm.CloseRecvHis(); }

    bool registerNow(const std::string& memo) {
        RegistrationOptions o;
        o.addressBookMode = true;
        o.addressBook.installed = true;
        o.addressBook.folder = bookFolder;
        CallerFields f = FieldsFromRecord(record, true);
        const CallerFields loaded = f;
        f.Memo1 = memo;
        return CallerRegistration(dm, messages, o).Register(record, f, loaded).done;
    }
    AddressBookRow entry(int recNo) {
        EXPECT_TRUE(book.OpenAddressBook(bookFolder));
        auto row = book.Read(recNo);
        book.CloseAddressBook();
        return row.value_or(AddressBookRow{});
    }
};

TEST_F(AddressBookDates, ANewEntryIsStampedAndAChangeKeepsItsCreation) {
    CreateAddressBook(bookFolder);
    const DateTime before = TruncateToSeconds(DateTime::now());
    ASSERT_TRUE(registerNow("初回"));
    const AddressBookRow created = entry(record.MeiboRecNo);
    EXPECT_GE(created.AddDateTime, before);
    EXPECT_EQ(created.AddDateTime, TruncateToSeconds(created.UpdDateTime));
    EXPECT_LE(created.UpdDateTime, DateTime::now());

    ASSERT_EQ(record.Division, 1);
    ASSERT_TRUE(registerNow("二回目"));
    const AddressBookRow changed = entry(record.MeiboRecNo);
    EXPECT_EQ(changed.Keyword1, "二回目");
    EXPECT_EQ(changed.AddDateTime, created.AddDateTime);
    EXPECT_GE(changed.UpdDateTime, created.UpdDateTime);
}

// An address book written before the two fields existed opens and gets them.
TEST_F(AddressBookDates, AnOlderAddressBookGainsTheFields) {
    CreateAddressBook(bookFolder);
    {
        sql::Database raw;
        raw.open(bookFolder / AddressBookTable::kFileName, false);
        raw.exec("ALTER TABLE Adrs DROP COLUMN AddDateTime");
        raw.exec("ALTER TABLE Adrs DROP COLUMN UpdDateTime");
        raw.exec("INSERT INTO Adrs (RecNo, Tel) VALUES (1, '0399990000')");
    }
    ASSERT_TRUE(registerNow("追加"));
    EXPECT_EQ(record.MeiboRecNo, 2);
    EXPECT_EQ(entry(1).Tel, "0399990000");
    EXPECT_TRUE(entry(1).AddDateTime.isZero()); // unknown for an entry made before
    EXPECT_FALSE(entry(2).AddDateTime.isZero());
    EXPECT_FALSE(entry(2).UpdDateTime.isZero());
}

} // namespace
} // namespace kanata::test
