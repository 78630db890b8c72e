#include "intake/PreviousCall.h"
#include "data/TelKeys.h"
#include "intake/CallProcessor.h"
#include "tests/callerlookup/LookupWorld.h"
#include "tests/intake/FakeWindows.h"

#include <gtest/gtest.h>

using namespace kanata;
using namespace kanata::test;

namespace {

class PreviousCallCarryOver : public ::testing::Test {
protected:
    void SetUp() override {
        MeiboRow row;
        row.SchTel1 = "0311112222";
        row.Tel1 = "03-1111-2222";
        row.SchTel2 = "09033334444";
        row.Tel2 = "090-3333-4444";
        world.addRoster(row);
    }

    void storeCall(const std::string& tel, DateTime when, const std::string& item) {
        TableUse use(world.dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        RecvHisRow row;
        row.RecvDateTime = when;
        row.SchTel = TelSearchKey(tel);
        row.Tel = tel;
        row.SelItem1 = item;
        row.SelItem2 = item.empty() ? "" : item + "2";
        row.SelItem3 = item.empty() ? "" : item + "3";
        ASSERT_TRUE(world.dm.RecvHis().append(row, world.messages));
    }

    // The record of a call as the call view receives it.
    CallRecord call(const std::string& number) {
        CallProcessor processor(world.dm, world.lookup(), nullptr, world.hyphenation, windows,
                                world.messages, world.workFolder(), settings,
                                [] { return DateTime{2026, 12, 6, 12, 0, 0, 0}; });
        processor.queue().push(CallLine::fromText(number));
        processor.ProcessPendingCall();
        EXPECT_FALSE(windows.shownRecords.empty());
        return windows.shownRecords.empty() ? CallRecord{} : windows.shownRecords.back();
    }

    static double day(int hour, int minute, int second) {
        return DateTime{2026, 12, 6, hour, minute, second, 0}.toDays();
    }

    LookupWorld world;
    FakeWindows windows;
    CallProcessingSettings settings;
};

TEST_F(PreviousCallCarryOver, TheLatestCallOnAnyNumberOfTheEntryWins) {
    storeCall("03-1111-2222", {2026, 12, 6, 9, 0, 0, 0}, "first");
    storeCall("090-3333-4444", {2026, 12, 6, 10, 30, 15, 750}, "second");
    storeCall("03-9999-9999", {2026, 12, 6, 11, 0, 0, 0}, "someone else");

    CallRecord record = call("0311112222");
    EXPECT_EQ(record.SelItem1, "second");
    EXPECT_EQ(record.SelItem3, "second3");
    EXPECT_DOUBLE_EQ(record.PrevRecvDateTime, day(10, 30, 15)); // to the whole second

    // The call just stored is now the latest, and it is found from the
    // other number too.
    record = call("09033334444");
    EXPECT_EQ(record.SelItem1, "second");
    EXPECT_DOUBLE_EQ(record.PrevRecvDateTime, day(12, 0, 0));
}

TEST_F(PreviousCallCarryOver, EmptyItemsOfThePreviousCallAreCarriedAsEmpty) {
    storeCall("03-1111-2222", {2026, 12, 6, 9, 0, 0, 0}, "older");
    storeCall("090-3333-4444", {2026, 12, 6, 10, 0, 0, 0}, "");
    CallRecord record = call("0311112222");
    EXPECT_EQ(record.SelItem1, "");
    EXPECT_EQ(record.SelItem2, "");
    EXPECT_DOUBLE_EQ(record.PrevRecvDateTime, day(10, 0, 0));

    settings.BeforeSelectItems = false;
    storeCall("03-1111-2222", {2026, 12, 6, 12, 30, 0, 0}, "not carried");
    record = call("0311112222");
    EXPECT_EQ(record.SelItem1, "");
    EXPECT_DOUBLE_EQ(record.PrevRecvDateTime, day(12, 30, 0));

    settings.BeforeRecvDateTime = false;
    record = call("0311112222");
    EXPECT_DOUBLE_EQ(record.PrevRecvDateTime, 0.0);
}

TEST_F(PreviousCallCarryOver, UnknownCallersAreFoundByTheirNumberAndReasonCodesNever) {
    storeCall("03-5555-6666", {2026, 12, 6, 8, 0, 0, 0}, "unknown");
    storeCall("P", {2026, 12, 6, 8, 0, 0, 0}, "withheld");
    EXPECT_EQ(call("0355556666").SelItem1, "unknown");
    EXPECT_EQ(call("P").SelItem1, "");
}

TEST_F(PreviousCallCarryOver, AddressBookCallersAreFoundByAllFourNumbers) {
    world.installAddressBook(0);
    AddressBookRow entry;
    entry.Tel = "0344445555";
    entry.Portable2 = "08011112222";
    world.addAddressBookEntry(entry);
    settings.UsePbAdrs = true;
    storeCall("080-1111-2222", {2026, 12, 6, 7, 0, 0, 0}, "mobile");
    CallRecord record = call("0344445555");
    EXPECT_EQ(record.Division, 1);
    EXPECT_EQ(record.SelItem1, "mobile");
}

TEST(PreviousCallKeys, TheNumberThatCalledIsSearchedFirst) {
    CallRecord record;
    record.Tel[0] = "03-1111-2222";
    record.Tel[1] = "090-3333-4444";
    EXPECT_EQ(PreviousCallKeys(record, "03-1111-2222", false),
              (std::vector<std::string>{"0311112222", "09033334444"}));
    EXPECT_EQ(PreviousCallKeys(record, "090-3333-4444", false),
              (std::vector<std::string>{"09033334444", "0311112222"}));
    record.Tel[0] = "";
    EXPECT_TRUE(PreviousCallKeys(record, "0311112222", false).empty());
    record.Tel[3] = "0120-123-456";
    EXPECT_EQ(PreviousCallKeys(record, "0311112222", true),
              (std::vector<std::string>{"09033334444", "0120123456"}));
}

} // namespace
