// The import's address completion over the shipped dictionary folder.
#include "lookup/DictionaryAddressSupplement.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

namespace {

using namespace kanata;

TEST(DictionaryAddressSupplement, CompletesCodesOfAnAddress) {
    DictionaryAddressSupplement supplement(test::stageFolder() / "Dic");
    ASSERT_EQ(supplement.open(), "");
    const auto codes = supplement.lookUp("東京都千代田区丸の内１－１");
    ASSERT_TRUE(codes.has_value());
    EXPECT_EQ(codes->postalCode, "1000005");
    EXPECT_EQ(codes->jisCode, "13101");
    EXPECT_NE(codes->latitude, 0);
    EXPECT_FALSE(supplement.lookUp("存在しない住所").has_value());
    EXPECT_FALSE(supplement.lookUp("").has_value());
}

TEST(DictionaryAddressSupplement, MissingFolderIsALoadErrorNotACrash) {
    DictionaryAddressSupplement supplement("/nonexistent/Dic");
    EXPECT_NE(supplement.open().find("cannot be read"), std::string::npos);
    EXPECT_THROW(supplement.lookUp("東京都"), AddressSupplementError);
}

} // namespace
