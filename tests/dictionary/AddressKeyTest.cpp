// The key that address texts and dictionary names are compared in.
#include "lookup/AddressKey.h"

#include <gtest/gtest.h>

namespace {

using kanata::AddressKey;
using kanata::TownKey;

TEST(AddressKey, NumeralsOfEveryWritingBecomeTheSameDigits) {
    EXPECT_EQ(AddressKey("北1条西"), AddressKey("北一条西"));
    EXPECT_EQ(AddressKey("北１条西"), AddressKey("北一条西"));
    EXPECT_EQ(AddressKey("北二十四条西"), "北24条西");
    EXPECT_EQ(AddressKey("二〇二四"), "2024");
    EXPECT_EQ(AddressKey("百十一"), "111");
    EXPECT_EQ(AddressKey("三千二百五"), "3205");
    EXPECT_EQ(AddressKey("丸の内２－７－２"), "丸の内2－7－2");
}

TEST(AddressKey, SpellingsOfKeAndNoAreOne) {
    EXPECT_EQ(AddressKey("霞ヶ関"), AddressKey("霞が関"));
    EXPECT_EQ(AddressKey("青ケ島村"), AddressKey("青ヶ島村"));
    EXPECT_EQ(AddressKey("自由ガ丘"), AddressKey("自由が丘"));
    EXPECT_EQ(AddressKey("丸ノ内"), AddressKey("丸の内"));
    EXPECT_NE(AddressKey("霞ヶ関"), AddressKey("霞関"));
}

TEST(AddressKey, TownKeyDropsKyotoStreetsAndOaza) {
    EXPECT_EQ(TownKey("烏丸通御池上る二条殿町"), AddressKey("二条殿町"));
    EXPECT_EQ(TownKey("河原町通三条下ル大黒町４５"), AddressKey("大黒町45"));
    EXPECT_EQ(TownKey("四条通烏丸東入長刀鉾町"), "長刀鉾町");
    EXPECT_EQ(TownKey("今出川通寺町西入る大原口町"), "大原口町");
    // The key of a key stays the same.
    EXPECT_EQ(TownKey(AddressKey("御池通上がる二条殿町")), AddressKey("二条殿町"));
    // Without a street 西入 is part of a name.
    EXPECT_EQ(TownKey("西入江"), "西入江");
    EXPECT_EQ(TownKey("大字北条１２３"), "北条123");
    EXPECT_EQ(TownKey("字北条"), "北条");
    EXPECT_EQ(TownKey("大手町"), "大手町");
}

} // namespace
