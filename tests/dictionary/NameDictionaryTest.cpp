// The name dictionary's four calls on the shipped data.
#include "lookup/NameDictionary.h"
#include "data/Cp932.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

using namespace kanata;

std::string field(const char (&f)[12]) {
    return cp932::decode(std::string(f, strnlen(f, sizeof f)));
}

TEST(NameDictionary, SurnamesByReadingPrefixExactReadingFirst) {
    const NameDictionary dic(test::stageFolder() / "Dic");
    const std::string query = cp932::encode("ﾔﾏﾀﾞ");
    std::int32_t count = 0;
    ASSERT_EQ(dic.DLNMSeiCount(query.c_str(), 0, &count, ""), kNameFound);
    ASSERT_GE(count, 2);
    std::vector<NameCandidate> list(static_cast<std::size_t>(count));
    ASSERT_EQ(dic.DLNMSeiList(query.c_str(), 0, list.data(), count, ""), kNameFound);
    EXPECT_EQ(field(list[0].reading), "ﾔﾏﾀﾞ");
    EXPECT_EQ(field(list[0].kanji), "山田");
    for (const NameCandidate& c : list)
        EXPECT_EQ(field(c.reading).rfind("ﾔﾏﾀﾞ", 0), 0u) << field(c.reading);
}

TEST(NameDictionary, GivenNamesAreASeparateDictionary) {
    const NameDictionary dic(test::stageFolder() / "Dic");
    const auto given = dic.Find(NameKind::GivenName, "ﾀﾛｳ");
    ASSERT_FALSE(given.empty());
    EXPECT_TRUE(std::any_of(given.begin(), given.end(), [](auto& e) { return e.kanji == "太郎"; }));
    std::int32_t count = -1;
    EXPECT_EQ(dic.DLNMMeiCount(cp932::encode("ﾝﾝﾝ").c_str(), 0, &count, ""), kNameNone);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(dic.DLNMSeiCount("", 0, &count, ""), kNameNone);
}

TEST(NameDictionary, CommonFormsComeFirstCurrentNamesAreInAndKanaFormsOut) {
    const NameDictionary dic(test::stageFolder() / "Dic");
    const auto taro = dic.Find(NameKind::GivenName, "ﾀﾛｳ");
    ASSERT_FALSE(taro.empty());
    EXPECT_EQ(taro.front().kanji, "太郎");
    for (const auto& [reading, kanji] : {std::pair{"ﾊﾙﾄ", "陽翔"}, std::pair{"ｿｳﾀ", "颯太"}}) {
        const auto found = dic.Find(NameKind::GivenName, reading);
        EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](auto& e) {
            return e.kanji == kanji;
        })) << kanji;
    }
    for (const auto& e : dic.Find(NameKind::Surname, "ﾔﾏﾀﾞ"))
        EXPECT_NE(e.kanji, "やまだ");
    for (const auto& e : dic.Find(NameKind::GivenName, "ﾊﾙｶ"))
        EXPECT_NE(e.kanji, "はるか");
}

TEST(NameDictionary, AFullTwelveByteFormHasNoTerminator) {
    const auto dic = test::TempFolders();
    const auto folder = dic.scratch() / "Dic";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "sei.txt") << "ｱｲｳｴｵｶｷｸｹｺｻｼ\t六文字の名前\n";
    std::ofstream(folder / "mei.txt") << "";
    const NameDictionary names(folder);
    NameCandidate one[1];
    ASSERT_EQ(names.DLNMSeiList(cp932::encode("ｱｲ").c_str(), 0, one, 1, ""), kNameFound);
    EXPECT_EQ(std::string(one[0].reading, 12), cp932::encode("ｱｲｳｴｵｶｷｸｹｺｻｼ"));
    EXPECT_EQ(std::string(one[0].kanji, 12), cp932::encode("六文字の名前"));
}

} // namespace
