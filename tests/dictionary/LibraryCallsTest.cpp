// The address dictionary services called the way the searches call them, on
// the shipped dictionary folder: their records, batches, handles and result
// codes, and their errors reaching the user.
#include "data/Cp932.h"
#include "data/Hyphenation.h"
#include "lookup/CoordinateLookup.h"
#include "lookup/DictionarySearch.h"
#include "lookup/DlMtad.h"
#include "lookup/DlTel.h"
#include "lookup/DlZplst.h"
#include "lookup/DlZs.h"
#include "lookup/DlZsCnv.h"
#include "lookup/gui/TDicSearch.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using namespace kanata;

const std::string& dic() {
    static const std::string folder = (test::stageFolder() / "Dic").string();
    return folder;
}

std::string cp(const char* utf8) {
    return cp932::encode(utf8);
}

// A text slot of a record read at its fixed offset, as a caller of the
// library reads it.
std::string at(const void* record, std::size_t offset, std::size_t size) {
    return dicdata::Get(static_cast<const char*>(record) + offset, size);
}

std::uint16_t u16At(const void* record, std::size_t offset) {
    std::uint16_t v;
    std::memcpy(&v, static_cast<const char*>(record) + offset, sizeof v);
    return v;
}

TEST(DlzplstCalls, PostalCodeListsItsCityWithCountsAndItsTown) {
    std::int16_t count = -1, status = -1;
    const DlHandle h = DLZPLSTFirst("100-0005", &count, &status, dic().c_str());
    ASSERT_EQ(status, kDlFound);
    ASSERT_NE(h, 0);
    ASSERT_EQ(count, 1);
    DlzplstCity city{};
    ASSERT_EQ(DLZPLSTCityList(h, &city, 0, 1), kDlFound);
    EXPECT_EQ(at(&city, 16, 40), "千代田区");
    EXPECT_EQ(u16At(&city, 86), 1); // towns
    EXPECT_EQ(u16At(&city, 88), 0); // offices
    std::vector<DlzplstTown> towns(2);
    ASSERT_EQ(DLZPLSTTownList(h, &city, towns.data(), 0, 1), kDlFound);
    EXPECT_EQ(dicdata::Get(towns[0].postal), "1000005");
    EXPECT_EQ(dicdata::Get(towns[0].town), "丸の内");
    EXPECT_EQ(dicdata::Get(towns[0].reading), "ﾏﾙﾉｳﾁ");
    EXPECT_EQ(dicdata::Get(towns[0].jis), "13101");
    // More than the city holds, and offices it has none of.
    EXPECT_EQ(DLZPLSTTownList(h, &city, towns.data(), 0, 2), kDlBadArgument);
    DicOfficeRecord office{};
    EXPECT_EQ(DLZPLSTLgTownList(h, &city, towns.data(), &office, 0, 0), kDlNone);
    char postal[8];
    ASSERT_EQ(DLZPLSTPost(h, postal), kDlFound);
    EXPECT_STREQ(postal, "1000005");
    EXPECT_EQ(DLZPLSTClose(h), kDlFound);
    // The closed handle, a second close and a made-up handle find nothing.
    EXPECT_EQ(DLZPLSTCityList(h, &city, 0, 1), kDlBadArgument);
    EXPECT_EQ(DLZPLSTClose(h), kDlBadArgument);
    EXPECT_EQ(DLZPLSTTownList(-7, &city, towns.data(), 0, 1), kDlBadArgument);
}

// The towns the postal search copies from what the library keeps decoded
// are those its town records decode to, slot by slot, for every city of
// every prefix of the shipped data, asked twice (decoded, then kept).
TEST(DlzplstCalls, DecodedTownsAreTheTownRecordsReadBack) {
    std::size_t compared = 0;
    for (int prefix = 0; prefix < 1000; ++prefix) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%03d", prefix);
        std::int16_t count = 0, status = 0;
        const DlHandle h = DLZPLSTFirst(digits, &count, &status, dic().c_str());
        if (status != kDlFound)
            continue;
        std::vector<DlzplstCity> cities(static_cast<std::size_t>(count));
        ASSERT_EQ(DLZPLSTCityList(h, cities.data(), 0, count), kDlFound);
        for (const DlzplstCity& city : cities) {
            const auto n = static_cast<std::int16_t>(city.townCount);
            std::vector<DlzplstTown> records(std::max<std::size_t>(1, city.townCount));
            const int rc = DLZPLSTTownList(h, &city, records.data(), 0, n);
            for (int round = 0; round < 2; ++round) {
                std::vector<DicTown> decoded;
                ASSERT_EQ(DlzplstDecodedTowns(h, &city, decoded), rc) << digits;
                ASSERT_EQ(decoded.size(), rc == kDlFound ? city.townCount : 0u) << digits;
                for (std::size_t i = 0; i < decoded.size(); ++i) {
                    const DlzplstTown& r = records[i];
                    const DicTown& t = decoded[i];
                    EXPECT_EQ(t.postal, dicdata::Get(r.postal));
                    EXPECT_EQ(t.jis, dicdata::Get(r.jis));
                    EXPECT_EQ(t.kajo, dicdata::Get(r.kajo));
                    EXPECT_EQ(t.prefecture, dicdata::Get(r.prefecture));
                    EXPECT_EQ(t.city, dicdata::Get(r.city));
                    EXPECT_EQ(t.town, dicdata::Get(r.town)) << digits << " " << i;
                    EXPECT_EQ(t.townKana, dicdata::Get(r.reading));
                    EXPECT_FALSE(t.isOffice());
                }
                compared += decoded.size();
            }
        }
        EXPECT_EQ(DLZPLSTClose(h), kDlFound);
    }
    EXPECT_GT(compared, 100000u);
    std::vector<DicTown> none;
    DlzplstCity unknown{};
    EXPECT_EQ(DlzplstDecodedTowns(-7, &unknown, none), kDlBadArgument);
    EXPECT_TRUE(none.empty());
}

TEST(DlzplstCalls, PrefixGivesOfficesBesideTheirTownsAndBadCodesGiveFourOrEight) {
    std::int16_t count = 0, status = 0;
    const DlHandle h = DLZPLSTFirst("100", &count, &status, dic().c_str());
    ASSERT_EQ(status, kDlFound);
    DlzplstCity city{};
    ASSERT_EQ(DLZPLSTCityList(h, &city, 0, 1), kDlFound);
    const std::int16_t offices = static_cast<std::int16_t>(u16At(&city, 88));
    ASSERT_GT(offices, 0);
    std::vector<DlzplstTown> towns(static_cast<std::size_t>(offices));
    std::vector<DicOfficeRecord> names(static_cast<std::size_t>(offices));
    ASSERT_EQ(DLZPLSTLgTownList(h, &city, towns.data(), names.data(), 0, offices), kDlFound);
    EXPECT_FALSE(dicdata::Get(names[0].name).empty());
    EXPECT_FALSE(dicdata::Get(towns[0].reading).empty()); // an office reads as its town
    DLZPLSTClose(h);

    for (const char* bad : {"1000", "12a", ""}) {
        EXPECT_EQ(DLZPLSTFirst(bad, &count, &status, dic().c_str()), 0) << bad;
        EXPECT_EQ(status, kDlBadInput) << bad;
    }
    EXPECT_EQ(DLZPLSTFirst("0000000", &count, &status, dic().c_str()), 0);
    EXPECT_EQ(status, kDlNone);
    EXPECT_EQ(DLZPLSTFirst("1000005", &count, &status, "/nonexistent/Dic"), 0);
    EXPECT_EQ(status, kDlNoData);
}

TEST(DltelCalls, TokyoNumberGivesItsWardsAndTheirTownsInBatchesOfTwenty) {
    char formatted[kDltelFormattedSize];
    std::int16_t count = 0;
    ASSERT_EQ(DLTLPrefix("0312345678", formatted, &count, dic().c_str()), kDlFound);
    EXPECT_STREQ(formatted, "03-1234-5678");
    // The 23 wards and the three cities the area reaches into: more than the
    // 20 a city array holds at least.
    ASSERT_EQ(count, 26);
    std::vector<DltelCity> cities(static_cast<std::size_t>(count));
    ASSERT_EQ(DLTLCity2("0312345678", cities.data(), dic().c_str()), kDlFound);
    EXPECT_EQ(at(&cities[0], 6, 40), "千代田区");
    EXPECT_EQ(at(&cities[22], 6, 40), "江戸川区");
    EXPECT_EQ(at(&cities[23], 6, 40), "狛江市");
    const DltelCity& chiyoda = cities[0];
    ASSERT_GT(chiyoda.townCount, 2 * kDltelBatch);

    std::vector<DltelTown> batch(kDltelBatch);
    std::int16_t status = -1;
    const DlHandle h = DLTLTown2First("0312345678", &chiyoda, batch.data(), &status, dic().c_str());
    ASSERT_NE(h, 0);
    EXPECT_EQ(status, kDltelMoreBatches);
    std::vector<std::string> names, readings;
    auto take = [&](std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            names.push_back(at(&batch[i], 22, 74));
            readings.push_back(at(&batch[i], 0, 2));   // the head of the reading
            EXPECT_EQ(at(&batch[i], 2, 8).size(), 7u); // postal code at 2
        }
    };
    take(kDltelBatch);
    int next = kDltelMoreBatches;
    while (next == kDltelMoreBatches) {
        next = DLTLTown2Next(h, batch.data());
        ASSERT_TRUE(next == kDltelMoreBatches || next == kDltelLastBatch);
        take(std::min<std::size_t>(kDltelBatch, chiyoda.townCount - names.size()));
    }
    EXPECT_EQ(names.size(), chiyoda.townCount);
    EXPECT_EQ(readings[static_cast<std::size_t>(std::find(names.begin(), names.end(), "丸の内") -
                                                names.begin())],
              "ﾏﾙ");
    EXPECT_NE(std::find(names.begin(), names.end(), "丸の内"), names.end());
    EXPECT_EQ(DLTLTown2Next(h, batch.data()), kDlNone); // past the end
    EXPECT_EQ(DLTLTown2Prev(h, batch.data()), kDltelMoreBatches);
    EXPECT_EQ(DLTLTown2Close(h), kDlFound);
    EXPECT_EQ(DLTLTown2Next(h, batch.data()), kDlBadArgument);
    EXPECT_EQ(DLTLTown2Close(h), kDlBadArgument);
}

// The formatted number comes from shapes the service remembers per number
// prefix: each must be what the numbering plan gives that very number, the
// first time and again, for numbers sharing a prefix and for those whose
// prefix decides nothing (00, 010) or that no rule accepts.
TEST(DltelCalls, FormattedNumbersAreTheNumberingPlansForEveryNumberAskedAgain) {
    const std::vector<std::string> numbers = {
        "0312345678", "0398765432",  "03-9999-0000",     "0466123456", "0466987654", "0112345678",
        "0120123456", "0120987654",  "09012345678",      "0501234567", "0012345678", "0101234567",
        "031234567",  "03123456789", "0312345678901234", "0999999999", "0742123456"};
    for (int round = 0; round < 2; ++round)
        for (const std::string& number : numbers) {
            std::string digits;
            for (char c : number)
                if (c != '-')
                    digits += c;
            char library[kHyphenBufferSize] = {};
            const SystemTime now = CurrentUtcSystemTime();
            const bool hyphenated = GetHyphen(digits.c_str(), library, "", &now) == kHyphenDone;
            const std::string expected = hyphenated && library[0] ? library : digits.substr(0, 13);
            char formatted[kDltelFormattedSize];
            std::int16_t count = 0;
            DLTLPrefix(number.c_str(), formatted, &count, dic().c_str());
            EXPECT_EQ(std::string(formatted), expected) << number << " round " << round;
        }
}

TEST(DltelCalls, BadPrefixUnknownPrefixAndATownlessCity) {
    char formatted[kDltelFormattedSize];
    std::int16_t count = 0;
    EXPECT_EQ(DLTLPrefix("3-1234", formatted, &count, dic().c_str()), kDlBadInput);
    EXPECT_EQ(DLTLPrefix("03a", formatted, &count, dic().c_str()), kDlBadInput);
    EXPECT_EQ(DLTLPrefix("090-1234-5678", formatted, &count, dic().c_str()), kDlNone);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(DLTLPrefix("0312345678", formatted, &count, "/nonexistent/Dic"), kDlNoData);
    DltelCity none{};
    std::vector<DltelTown> batch(kDltelBatch);
    std::int16_t status = -1;
    EXPECT_EQ(DLTLTown2First("0312345678", &none, batch.data(), &status, dic().c_str()), 0);
    EXPECT_EQ(status, kDlNone);
}

TEST(DlzsCalls, AddressGivesItsCityTownsAndOffices) {
    const std::string address = cp("東京都千代田区丸の内");
    std::int32_t count = 0;
    ASSERT_EQ(DLZsJisCount(address.c_str(), &count, dic().c_str()), kDlFound);
    ASSERT_EQ(count, 1);
    DlzsCity city{};
    EXPECT_EQ(DLZsJisList(address.c_str(), &city, 2, dic().c_str()), kDlBadArgument);
    ASSERT_EQ(DLZsJisList(address.c_str(), &city, 1, dic().c_str()), kDlFound);
    EXPECT_EQ(dicdata::Get(city.jis), "13101");
    EXPECT_EQ(dicdata::Get(city.name), "千代田区");
    std::int32_t towns = 0;
    ASSERT_EQ(DLZsTownCount(address.c_str(), &city, &towns, dic().c_str()), kDlFound);
    std::vector<DlzsTown> list(static_cast<std::size_t>(towns));
    ASSERT_EQ(DLZsTownList(address.c_str(), &city, list.data(), towns, dic().c_str()), kDlFound);
    EXPECT_EQ(dicdata::Get(list[0].town), "丸の内");
    EXPECT_EQ(dicdata::Get(list[0].postal), "1000005");

    const std::string ward = cp("東京都千代田区");
    std::int32_t offices = 0;
    ASSERT_EQ(DLZsLargeCount(ward.c_str(), &city, &offices, dic().c_str()), kDlFound);
    std::vector<DlzsTown> rows(static_cast<std::size_t>(offices));
    std::vector<DicOfficeRecord> names(static_cast<std::size_t>(offices));
    ASSERT_EQ(DLZsLargeList(ward.c_str(), &city, rows.data(), names.data(), offices, dic().c_str()),
              kDlFound);
    EXPECT_FALSE(dicdata::Get(names.back().name).empty());
    // A city the address does not name.
    DlzsCity other = city;
    std::memcpy(other.jis, "14205", 5);
    EXPECT_EQ(DLZsTownCount(address.c_str(), &other, &towns, dic().c_str()), kDlBadArgument);
    EXPECT_EQ(DLZsJisCount(cp("どこにもない町").c_str(), &count, dic().c_str()), kDlNone);
    EXPECT_EQ(DLZsJisCount("  ", &count, dic().c_str()), kDlBadInput);
}

TEST(ConversionCalls, AddressGetsPostalDigitsJisCodeAndPoint) {
    DlzscnvResult r{};
    ASSERT_EQ(DLZSCAdrs(cp("東京都千代田区丸の内２－７－２").c_str(), &r, dic().c_str()), kDlFound);
    EXPECT_STREQ(r.postal, "1000005");
    EXPECT_STREQ(r.jis, "13101");
    EXPECT_GT(r.latitude, 35 * 3600 * 1000);
    EXPECT_GT(r.longitude, 139 * 3600 * 1000);
    const std::int32_t latitude = r.latitude;
    EXPECT_EQ(DLZSCAdrs(cp("府中市").c_str(), &r, dic().c_str()), kDlAmbiguous);
    EXPECT_EQ(DLZSCAdrs("1234", &r, dic().c_str()), kDlBadInput);
    EXPECT_EQ(DLZSCAdrs("0000000", &r, dic().c_str()), kDlNone);
    EXPECT_EQ(DLZSCAdrs("", &r, dic().c_str()), kDlBadInput);
    EXPECT_EQ(DLZSCAdrs("x", nullptr, dic().c_str()), kDlBadArgument);

    DlmtadResult point{};
    ASSERT_EQ(DLMTAdrs(cp("東京都千代田区").c_str(), &point, dic().c_str()), kDlFound);
    EXPECT_EQ(point.latitude, latitude);
    EXPECT_STREQ(point.jis, "13101");
    // 福岡市東区 has no point in the data.
    EXPECT_EQ(DLMTAdrs(cp("福岡県福岡市東区").c_str(), &point, dic().c_str()), kDlNone);
    EXPECT_EQ(DLMTAdrs(cp("東京都").c_str(), &point, "/nonexistent/Dic"), kDlNoData);
}

TEST(CoordinateLookup, LoadedOnFirstUseCountedAndFreedByTheLastUser) {
    test::ScriptedMessages messages;
    CoordinateLookup lookup(dic(), messages);
    std::int32_t lat = 0, lon = 0;
    EXPECT_EQ(lookup.Coordinates("東京都千代田区", lat, lon), CoordinateLookup::kNotLoaded);
    ASSERT_EQ(lookup.Acquire(), 0);
    ASSERT_EQ(lookup.Acquire(), 0);
    EXPECT_EQ(lookup.Coordinates("東京都千代田区", lat, lon), kDlFound);
    EXPECT_NE(lat, 0);
    lookup.Release();
    EXPECT_TRUE(lookup.loaded());
    lookup.Release();
    EXPECT_FALSE(lookup.loaded());
    EXPECT_EQ(lookup.Coordinates("東京都千代田区", lat, lon), CoordinateLookup::kNotLoaded);

    CoordinateLookup missing("/nonexistent/Dic", messages);
    messages.expect("Dlmtad.dll LoadLibrary Error\r\nDlmtad.dll\r\nDLLのロードに失敗しました\r\n"
                    "/nonexistent/Dic/city.txt");
    EXPECT_EQ(missing.Acquire(), CoordinateLookup::kLoadFailed);
    EXPECT_TRUE(messages.allAnswered());
    EXPECT_EQ(missing.Coordinates("東京都", lat, lon), CoordinateLookup::kNotLoaded);
}

TEST(LibraryErrors, ResultTheSearchDoesNotAcceptReachesTheUserAsCallError) {
    test::ScriptedMessages messages;
    TDicSearch d(dic(), messages, nullptr);
    d.SetTabs(7, false);
    ASSERT_EQ(d.Start(2, "100"), TDicSearch::kStartShow);
    ASSERT_GT(d.pages[1].lvTown->topLevelItemCount(), 0);
    // Handles are given in increasing order: the dialog's listing is the one
    // before this. Closing it behind the dialog's back makes its next call fail.
    std::int16_t count = 0, status = 0;
    const DlHandle mine = DLZPLSTFirst("100", &count, &status, dic().c_str());
    ASSERT_EQ(DLZPLSTClose(mine - 1), kDlFound);
    DLZPLSTClose(mine);
    messages.expect("DLZPLSTLgTownList (Dlzplst.dll) Call Error\r\nRC = 12");
    QTest::mouseClick(d.pages[1].rbOffice, Qt::LeftButton);
    EXPECT_TRUE(messages.allAnswered());
    EXPECT_EQ(d.pages[1].lvTown->topLevelItemCount(), 0);
}

TEST(LibraryErrors, MissingDataFolderIsTheLibrarysLoadError) {
    test::ScriptedMessages messages;
    TDicSearch d("/nonexistent/Dic", messages, nullptr);
    d.SetTabs(7, false);
    messages.expect("Dltel.dll LoadLibrary Error\r\nDLLのロードに失敗しました\r\n/nonexistent/Dic");
    d.Start(0, "0312345678");
    EXPECT_TRUE(messages.allAnswered());
    EXPECT_EQ(d.pages[0].lbxCity->count(), 0);
}

} // namespace
