// The request a map button builds from the fields of its window: blanks of
// either width are trimmed as whole characters, so addresses that begin
// with kana reach the product intact.
#include "data/Cp932.h"
#include "data/WideTrim.h"
#include "maps/MapLaunch.h"
#include "maps/gui/MapButton.h"

#include <gtest/gtest.h>

namespace kanata::test {
namespace {

constexpr const char* kIdeographicSpace = "\xe3\x80\x80";

TEST(MapRequestFromFields, AddressesBeginningWithKanaKeepTheirFirstCharacter) {
    MapButtonInput in;
    in.tdfkn = "";
    in.adrs1 = "つくば市竹園";
    in.adrs2 = std::string(kIdeographicSpace) + "１－２" + kIdeographicSpace;
    in.adrs3 = " さいたまビル\t";
    const MapRequest r = buildMapRequest(in, static_cast<int>(MapProduct::WebMap), 0);
    EXPECT_EQ(r.Address, "つくば市竹園１－２さいたまビル");

    // The browser is handed every byte of valid UTF-8: "つ" is E3 81 A4.
    std::string opened;
    MapEnvironment env;
    env.openUrl = [&opened](const std::string& url) {
        opened = url;
        return true;
    };
    launchMap(static_cast<int>(MapProduct::WebMap), r, env);
    EXPECT_TRUE(opened.starts_with("https://www.google.com/maps?q=%E3%81%A4%E3%81%8F%E3%81%B0"))
        << opened;
}

TEST(MapRequestFromFields, ABlankFirstNumberFallsBackToTheSecond) {
    MapButtonInput in;
    in.tel1 = std::string(kIdeographicSpace) + " ";
    in.tel2 = " 03-1234-5678" + std::string(kIdeographicSpace);
    EXPECT_EQ(buildMapRequest(in, 3, 0).Number, "0312345678");
    in.tel1 = "090-1111-2222";
    EXPECT_EQ(buildMapRequest(in, 3, 0).Number, "09011112222");
}

TEST(WideTrim, TakesTheIdeographicSpaceAsOneCharacterInEitherEncoding) {
    const std::string space = kIdeographicSpace;
    // Characters whose UTF-8 form begins with the same byte as the space.
    EXPECT_EQ(cp932::trimWide(space + "さいたま市" + space + " "), "さいたま市");
    EXPECT_EQ(cp932::trimWide("つ"), "つ");
    EXPECT_EQ(cp932::trimWide(space + " \t" + space), "");
    EXPECT_EQ(cp932::trimWide("中" + space + "央"), "中" + space + "央");

    // Code page 932: the space is 81 40, but a trail byte 0x81 followed by
    // "@" (0x40) is a double-byte character and a single "@", not a space.
    const std::string cpSpace = "\x81\x40";
    EXPECT_EQ(cp932::trimWideBytes(cpSpace + cp932::encode("つくば") + cpSpace + " "),
              cp932::encode("つくば"));
    const std::string trailThenAt = "\x88\x81\x40";
    EXPECT_EQ(cp932::trimWideBytes(trailThenAt), trailThenAt);
    EXPECT_EQ(cp932::trimWideBytes(cpSpace + cpSpace), "");
}

} // namespace
} // namespace kanata::test
