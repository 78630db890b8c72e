#include "lookup/PhonebookHitRecord.h"
#include "lookup/FixedSlot.h"

#include <gtest/gtest.h>

using namespace kanata;

namespace {

// Stand-ins that make each conversion's use visible in the result.
PhonebookHitConversions markedConversions() {
    PhonebookHitConversions c;
    c.formatTelHyphen = [](const std::string& n) {
        return n.size() == 10 ? n.substr(0, 2) + "-" + n.substr(2, 4) + "-" + n.substr(6) : n;
    };
    c.formatPostalCode = [](const std::string& d) {
        return d.size() == 7 ? d.substr(0, 3) + "-" + d.substr(3) : d;
    };
    c.companyTypeName = [](const std::string& code, const std::string& name) {
        return code == "11" ? name + "（株）" : name;
    };
    c.splitPrefecture = [](const std::string& a) {
        return a.starts_with("東京都") ? std::pair{std::string("東京都"), a.substr(9)}
                                       : std::pair{std::string(), a};
    };
    c.coordinateToMilliseconds = [](std::int32_t v) { return v * 2; };
    return c;
}

PhonebookHit companyHit() {
    PhonebookHit hit{};
    slot::write(hit.Tel, " 0355550101 ");
    slot::write(hit.Pos, "1000001");
    slot::write(hit.NameKanji, "見本商事");
    slot::write(hit.NameKana, "ﾐﾎﾝｼｮｳｼﾞ");
    slot::write(hit.Address1, "東京都千代田区");
    slot::write(hit.Address2, "千代田 ");
    slot::write(hit.Address3, " 1-1");
    slot::write(hit.AddressCode, "13101123456");
    slot::write(hit.CompanyCode, "11");
    hit.Latitude = 100;
    hit.Longitude = 200;
    return hit;
}

TEST(PhonebookHitRecord, CompanyHitFillsTheCompanyFields) {
    PhonebookHit hit = companyHit();
    CallRecord record;
    FillCallRecordFromHit(hit, markedConversions(), record);
    EXPECT_EQ(slot::read(hit.Tel), "03-5555-0101"); // written back hyphenated
    EXPECT_EQ(record.SchTel[0], "0355550101");
    EXPECT_EQ(record.Tel[0], "03-5555-0101");
    EXPECT_EQ(record.Pos, "100-0001");
    EXPECT_EQ(record.Tdfkn, "東京都");
    EXPECT_EQ(record.Adrs1, "千代田区");
    EXPECT_EQ(record.Adrs2, "千代田1-1");
    EXPECT_EQ(record.JisCode, "13101");
    EXPECT_EQ(record.KajoCode, "123456");
    EXPECT_EQ(record.CorpKanji, "見本商事（株）");
    EXPECT_EQ(record.CorpKana, "ﾐﾎﾝｼｮｳｼﾞ");
    EXPECT_EQ(record.NameKanji, "");
    EXPECT_EQ(record.PrivCorp, 1);
    EXPECT_EQ(record.Latitude, 200);
    EXPECT_EQ(record.Longitude, 400);
    EXPECT_EQ(record.Division, 0);
}

TEST(PhonebookHitRecord, PersonHitFillsThePersonFieldsCutToTheirWidths) {
    PhonebookHit hit = companyHit();
    slot::write(hit.CompanyCode, " ");
    std::string longName;
    for (int i = 0; i < 20; ++i)
        longName += "名";
    slot::write(hit.NameKanji, longName);             // 40 bytes into 30
    slot::write(hit.Address3, std::string(100, '9')); // Adrs2 is cut to 100 bytes
    CallRecord record;
    FillCallRecordFromHit(hit, markedConversions(), record);
    EXPECT_EQ(record.NameKanji, longName.substr(0, 15 * 3));
    EXPECT_EQ(record.NameKana, "ﾐﾎﾝｼｮｳｼﾞ");
    EXPECT_EQ(record.CorpKanji, "");
    EXPECT_EQ(record.PrivCorp, 0);
    EXPECT_EQ(record.Adrs2, "千代田" + std::string(94, '9'));
}

} // namespace
