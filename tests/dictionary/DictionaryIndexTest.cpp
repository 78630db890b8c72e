// The dictionary's in-memory index against the plain reading of the same
// files (the sorted file's own binary search, a scan for the rest): the
// same rows, counts and areas, on the shipped folder's edge keys and on a
// small folder of awkward lines.
#include "lookup/AddressDictionary.h"
#include "lookup/TabFile.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>

namespace {

using namespace kanata;
namespace fs = std::filesystem;

// The answers worked out from the files alone, line by line.
class PlainReading {
public:
    explicit PlainReading(const fs::path& dic)
        : postal_(dic / "postal.txt"), areas_(dic / "area.txt") {
        for (std::size_t i = 0; i < postal_.size(); ++i)
            byJis_[std::string(postal_.field(i, 1))].push_back(i);
        for (std::size_t i = 0; i < areas_.size(); ++i)
            areaNames_[std::string(areas_.field(i, 0))] = std::string(areas_.field(i, 1));
    }

    std::vector<std::string> prefix(const std::string& digits) const {
        const auto [first, last] = postal_.prefixRange(digits);
        std::vector<std::string> out;
        for (std::size_t i = first; i < last; ++i)
            out.push_back(line(i));
        return out;
    }
    std::vector<std::string> municipality(const std::string& jis, bool offices) const {
        std::vector<std::string> out;
        if (const auto it = byJis_.find(jis); it != byJis_.end())
            for (const std::size_t i : it->second)
                if (postal_.field(i, 6).empty() != offices)
                    out.push_back(line(i));
        return out;
    }
    // The name of the longest area prefix of `digits`; "-" for none.
    std::string area(const std::string& digits) const {
        for (std::size_t len = std::min<std::size_t>(digits.size(), 8); len >= 2; --len)
            if (const auto it = areaNames_.find(digits.substr(0, len)); it != areaNames_.end())
                return it->second;
        return "-";
    }
    const TabFile& postal() const { return postal_; }
    const TabFile& areas() const { return areas_; }

private:
    std::string line(std::size_t i) const {
        std::string out;
        for (std::size_t k = 0; k < 8; ++k)
            out += std::string(postal_.field(i, k)) + "|";
        return out;
    }

    TabFile postal_, areas_;
    std::map<std::string, std::vector<std::size_t>> byJis_;
    std::map<std::string, std::string> areaNames_;
};

std::string joined(const PostalRow& r) {
    std::string out;
    for (const std::string* f : {&r.postal, &r.jis, &r.prefecture, &r.city, &r.town, &r.townKana,
                                 &r.office, &r.officeAddress})
        out += *f + "|";
    return out;
}

std::vector<std::string> joined(const std::vector<PostalRow>& rows) {
    std::vector<std::string> out;
    for (const PostalRow& r : rows)
        out.push_back(joined(r));
    return out;
}

std::string areaName(const AddressDictionary& d, const std::string& digits) {
    const ExchangeArea* a = d.AreaOf(digits);
    return a ? a->name : "-";
}

void expectPrefixesAgree(const AddressDictionary& d, const PlainReading& plain,
                         const std::vector<std::string>& prefixes) {
    for (const std::string& p : prefixes)
        EXPECT_EQ(joined(d.ByPostalPrefix(p)), plain.prefix(p)) << "prefix " << p;
}

void expectMunicipalitiesAgree(const AddressDictionary& d, const PlainReading& plain,
                               const std::vector<std::string>& codes) {
    for (const std::string& jis : codes)
        for (const bool offices : {false, true}) {
            const auto rows = plain.municipality(jis, offices);
            EXPECT_EQ(joined(d.RowsOfMunicipality(jis, offices)), rows) << jis << offices;
            EXPECT_EQ(d.CountOfMunicipality(jis, offices), rows.size()) << jis << offices;
        }
}

fs::path shipped() {
    return test::stageFolder() / "Dic";
}

TEST(DictionaryIndex, PostalEdgesOfTheShippedFolderAnswerAsTheFileReads) {
    const AddressDictionary d(shipped());
    const PlainReading plain(shipped());
    const TabFile& postal = plain.postal();
    ASSERT_GT(postal.size(), 1000u);
    const std::string first(postal.field(0, 0)), last(postal.field(postal.size() - 1, 0));
    std::vector<std::string> keys = {first,     last,      first.substr(0, 3), last.substr(0, 5),
                                     "0000000", "9999999", "1000000",          "",
                                     "1"};
    // Every three-digit prefix, used or not.
    for (int p = 0; p < 1000; ++p) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%03d", p);
        keys.push_back(digits);
    }
    expectPrefixesAgree(d, plain, keys);
    EXPECT_EQ(d.ByPostalPrefix(first).front().postal, first);
    EXPECT_EQ(d.ByPostalPrefix(last).back().postal, last);
}

TEST(DictionaryIndex, EveryMunicipalityCountsAndListsItsTownsAndOfficesAsTheFileReads) {
    const AddressDictionary d(shipped());
    const PlainReading plain(shipped());
    std::vector<std::string> codes = {"", "00000", "99999", "1310"};
    const TabFile cities(shipped() / "city.txt");
    for (std::size_t i = 0; i < cities.size(); ++i)
        codes.emplace_back(cities.field(i, 0));
    expectMunicipalitiesAgree(d, plain, codes);
    // The first and last codes of the file are found.
    EXPECT_NE(d.FindMunicipality(codes[4]), nullptr);
    EXPECT_NE(d.FindMunicipality(codes.back()), nullptr);
    EXPECT_EQ(d.FindMunicipality("99999"), nullptr);
    EXPECT_EQ(d.FindMunicipality(""), nullptr);
}

TEST(DictionaryIndex, ExchangeAreasAtTheirBoundariesAsTheFileReads) {
    const AddressDictionary d(shipped());
    const PlainReading plain(shipped());
    const TabFile& areas = plain.areas();
    ASSERT_GT(areas.size(), 10u);
    std::vector<std::string> numbers = {"0", "00", "09", "0990000000", "099999999999"};
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const std::string p(areas.field(i, 0));
        // The prefix itself, a number in it, the number before its range
        // (last digit one less) and the prefix cut by a digit.
        numbers.push_back(p);
        numbers.push_back(p + "123456");
        if (p.back() > '0')
            numbers.push_back(p.substr(0, p.size() - 1) + char(p.back() - 1) + "999999");
        numbers.push_back(p.substr(0, p.size() - 1));
    }
    for (const std::string& n : numbers)
        EXPECT_EQ(areaName(d, n), plain.area(n)) << n;
}

void write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// Lines a hand-made or damaged folder may have: CRLF ends, missing fields,
// codes of other lengths, a municipality code longer than eight digits, two
// cities under one code and offices without towns.
TEST(DictionaryIndex, AwkwardLinesAnswerAsTheFileReads) {
    test::TempFolders folders;
    const fs::path dic = folders.scratch();
    fs::create_directories(dic);
    write(dic / "city.txt", "01101\t北海道\t中央区\tﾎｯｶｲﾄﾞｳ\tﾁｭｳｵｳｸ\t1\t2\n"
                            "123456789\t県\t長い市\tｹﾝ\tﾅｶﾞｲｼ\t\t\n"
                            "123456789012\t県\t長すぎ市\tｹﾝ\tﾅｶﾞｽｷﾞｼ\t\t\n");
    write(dic / "postal.txt", "060\t01101\t北海道\t中央区\t（旧）\n"
                              "0600000\t01101\t北海道\t中央区\t以下に掲載がない場合\tｲｶ\r\n"
                              "0600001\t01101\t北海道\t中央区\t北一条西（１～１９丁目）\tｷﾀ\t\t\n"
                              "0600001\t123456789\t県\t長い市\t町\tﾏﾁ\n"
                              "0608588\t01101\t北海道\t中央区\t北三条西\tｷﾀ\t道庁\t６丁目\n"
                              "0608589\t123456789012\t県\t長すぎ市\t町\tﾏﾁ\t役所\t１\n"
                              "06085890\t123456789\t県\t長い市\t町\tﾏﾁ\n"
                              "060858901\t123456789012\t県\t長すぎ市\t浜\tﾊﾏ\n"
                              "0608590\n");
    write(dic / "area.txt", "011\t札幌\t01101\n0111\t札幌北\t\n012345678\t長い\t\n");
    const AddressDictionary d(dic);
    const PlainReading plain(dic);
    expectPrefixesAgree(d, plain,
                        {"", "0", "060", "0600", "0600001", "060858", "0608589", "06085890",
                         "0608590", "0608591", "1"});
    expectMunicipalitiesAgree(
        d, plain, {"01101", "123456789", "123456789012", "12345678", "1234567890", "", "0110"});
    for (const std::string& n :
         std::vector<std::string>{"0112", "0111", "01234567", "012345678", "0123456789", "01"})
        EXPECT_EQ(areaName(d, n), plain.area(n)) << n;
    ASSERT_NE(d.FindMunicipality("123456789012"), nullptr);
    EXPECT_EQ(d.FindMunicipality("123456789012")->name, "長すぎ市");
    EXPECT_EQ(d.FindMunicipality("123456789")->name, "長い市");
    EXPECT_EQ(d.FindMunicipality("12345678"), nullptr);
}

} // namespace
