// The dictionary builder on a small slice of each source, run as the build
// runs it.
#include "tests/support/TempFolders.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <sstream>

namespace {

using kanata::test::TempFolders;
namespace fs = std::filesystem;

void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string toEucJp(const std::string& utf8) {
    iconv_t cd = iconv_open("EUC-JP", "UTF-8");
    std::string out(utf8.size() * 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    char* o = out.data();
    iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

class Builder : public ::testing::Test {
protected:
    TempFolders folders;
    fs::path src = folders.scratch() / "src";
    fs::path out = folders.scratch() / "Dic";

    void SetUp() override {
        // Two towns and an office of Chiyoda, a town of Fujisawa, and a row
        // whose city the municipality list does not know.
        write(
            src / "json/100.json",
            "jQuery_jpostal_callback(\n[[\"_1000005\",\"東京都\",\"千代田区\",\"丸の内\",\"\",\"\","
            "\"ﾄｳｷｮｳﾄ\",\"ﾁﾖﾀﾞｸ\",\"ﾏﾙﾉｳﾁ\"],"
            "[\"_1000001\",\"東京都\",\"千代田区\",\"千代田\",\"\",\"\",\"ﾄｳｷｮｳﾄ\",\"ﾁﾖﾀﾞｸ\","
            "\"ﾁﾖﾀﾞ\"],"
            "[\"_1008799\",\"東京都\",\"千代田区\",\"大手町\",\"２－３－１\",\"大手町郵便局\","
            "\"ﾄｳｷｮｳﾄ\",\"ﾁﾖﾀﾞｸ\",\"ｵｵﾃﾏﾁ\"]]\n);\n");
        write(src / "json/251.json",
              "jQuery_jpostal_callback([[\"_2510001\",\"神奈川県\",\"藤沢市\",\"西富\",\"\",\"\","
              "\"ｶﾅｶﾞﾜｹﾝ\",\"ﾌｼﾞｻﾜｼ\",\"ﾆｼﾄﾐ\"],[\"_9999999\",\"架空県\",\"架空市\",\"\",\"\",\"\","
              "\"\",\"\",\"\"]]);");
        write(
            src / "master/pref.json",
            R"({"pref":{"13":["東京都","ﾄｳｷｮｳﾄ"],"14":["神奈川県","ｶﾅｶﾞﾜｹﾝ"],"01":["北海道","ﾎｯｶｲﾄﾞｳ"],)"
            R"("02":["青森県","ｱｵﾓﾘｹﾝ"]}})");
        write(src / "master/city.json",
              R"({"city":{"13101":["千代田区","ﾁﾖﾀﾞｸ"],"13102":["中央区","ﾁｭｳｵｳｸ"],)"
              R"("14205":["藤沢市","ﾌｼﾞｻﾜｼ"],"01101":["札幌市中央区","ｻｯﾎﾟﾛｼﾁｭｳｵｳｸ"],)"
              R"("01303":["石狩郡当別町","ｲｼｶﾘｸﾞﾝﾄｳﾍﾞﾂﾁｮｳ"],)"
              // Yokohama's wards, and a town of that name in another region.
              R"("14101":["横浜市鶴見区","ﾖｺﾊﾏｼﾂﾙﾐｸ"],"14103":["横浜市西区","ﾖｺﾊﾏｼﾆｼｸ"],)"
              R"("02406":["上北郡横浜町","ｶﾐｷﾀｸﾞﾝﾖｺﾊﾏﾏﾁ"],"13203":["武蔵野市","ﾑｻｼﾉｼ"],)"
              R"("13204":["三鷹市","ﾐﾀｶｼ"],"13401":["八丈町","ﾊﾁｼﾞｮｳﾏﾁ"],)"
              R"("13219":["狛江市","ｺﾏｴｼ"]}})");
        write(src / "points.json",
              R"([{"state":"東京都","city":"千代田区","latitude":35.5,"longitude":139.75},)"
              R"({"state":"北海道","city":"当別町","latitude":43.0,"longitude":141.5},)"
              R"({"state":"北海道","city":"札幌市","latitude":43.25,"longitude":141.25},)"
              R"({"state":"東京都","city":null,"latitude":1,"longitude":1}])");
        write(src / "areas.txt", "813|東京\n81466|藤沢\n8111|札幌\n81133|当別\n81999|不明\n"
                                 "8145|横浜\n81422|武蔵野三鷹\n814996|八丈島\n");
        write(src / "served.txt", "# comment\n03\t東京都\t狛江市\n");
        const std::string names =
            "山田,1290,1290,4494,名詞,固有名詞,人名,姓,*,*,山田,ヤマダ,ヤマダ\n"
            "山多,1290,1290,9000,名詞,固有名詞,人名,姓,*,*,山多,ヤマダ,ヤマダ\n"
            "山田,1290,1290,9999,名詞,固有名詞,人名,姓,*,*,山田,ヤマダ,ヤマダ\n"
            "やまだ,1290,1290,100,名詞,固有名詞,人名,姓,*,*,やまだ,ヤマダ,ヤマダ\n"
            "太郎,1291,1291,5000,名詞,固有名詞,人名,名,*,*,太郎,タロウ,タロウ\n"
            "多郎,1291,1291,4000,名詞,固有名詞,人名,名,*,*,多郎,タロウ,タロウ\n"
            "太朗,1291,1291,4500,名詞,固有名詞,人名,名,*,*,太朗,タロウ,タロウ\n"
            "長長長長長長長,1290,1290,1,名詞,固有名詞,人名,姓,*,*,長長長長長長長,ナガ,ナガ\n"
            "東京,1293,1293,1,名詞,固有名詞,地域,一般,*,*,東京,トウキョウ,トーキョー\n";
        write(src / "Noun.name.csv", toEucJp(names));
        // The name list: forms in order of use, a current given name, and
        // forms that are no kanji.
        write(src / "SKK-JISYO.jinmei",
              toEucJp(";; names\nたろう /太郎;人名/太朗;名/\nはると /陽翔;名/ハルト;名/\n"
                      "やまだ /山田;人名&地名 姓/やまだ;姓/\n"));
    }

    int run() {
        QProcess p;
        p.start(QString::fromStdString((kanata::test::stageFolder() / "mkdic").string()),
                {"--jpostal", QString::fromStdString((src / "json").string()), "--zipcode",
                 QString::fromStdString((src / "master").string()), "--points",
                 QString::fromStdString((src / "points.json").string()), "--names",
                 QString::fromStdString((src / "Noun.name.csv").string()), "--areas",
                 QString::fromStdString((src / "areas.txt").string()), "--served",
                 QString::fromStdString((src / "served.txt").string()), "--more-names",
                 QString::fromStdString((src / "SKK-JISYO.jinmei").string()), "--out",
                 QString::fromStdString(out.string())});
        EXPECT_TRUE(p.waitForFinished(60000));
        summary = p.readAllStandardOutput().toStdString();
        return p.exitCode();
    }
    std::string summary;
};

TEST_F(Builder, JoinsPostalRowsToMunicipalitiesAndCountsWhatItCouldNot) {
    ASSERT_EQ(run(), 0);
    const std::string postal = read(out / "postal.txt");
    // Sorted by code; the office keeps its town's reading.
    EXPECT_EQ(
        postal,
        "1000001\t13101\t東京都\t千代田区\t千代田\tﾁﾖﾀﾞ\t\t\tﾄｳｷｮｳﾄ\tﾁﾖﾀﾞｸ\n"
        "1000005\t13101\t東京都\t千代田区\t丸の内\tﾏﾙﾉｳﾁ\t\t\tﾄｳｷｮｳﾄ\tﾁﾖﾀﾞｸ\n"
        "1008799\t13101\t東京都\t千代田区\t大手町\tｵｵﾃﾏﾁ\t大手町郵便局\t２－３－１\tﾄｳｷｮｳﾄ\tﾁﾖﾀﾞｸ\n"
        "2510001\t14205\t神奈川県\t藤沢市\t西富\tﾆｼﾄﾐ\t\t\tｶﾅｶﾞﾜｹﾝ\tﾌｼﾞｻﾜｼ\n"
        "9999999\t\t架空県\t架空市\t\t\t\t\t\t\n");
    EXPECT_NE(
        summary.find("postal rows 5, towns 4, offices 1, municipalities 12, rows not joined 1"),
        std::string::npos)
        << summary;
}

TEST_F(Builder, GivesMunicipalitiesTheirPointsWardsTheirCitysAndDistrictsNone) {
    ASSERT_EQ(run(), 0);
    const std::string city = read(out / "city.txt");
    // Degrees become milliseconds of arc.
    EXPECT_NE(city.find("13101\t東京都\t千代田区\tﾄｳｷｮｳﾄ\tﾁﾖﾀﾞｸ\t127800000\t503100000\n"),
              std::string::npos)
        << city;
    EXPECT_NE(
        city.find("01101\t北海道\t札幌市中央区\tﾎｯｶｲﾄﾞｳ\tｻｯﾎﾟﾛｼﾁｭｳｵｳｸ\t155700000\t508500000\n"),
        std::string::npos);
    EXPECT_NE(
        city.find("01303\t北海道\t石狩郡当別町\tﾎｯｶｲﾄﾞｳ\tｲｼｶﾘｸﾞﾝﾄｳﾍﾞﾂﾁｮｳ\t154800000\t509400000\n"),
        std::string::npos);
    EXPECT_NE(city.find("13102\t東京都\t中央区\tﾄｳｷｮｳﾄ\tﾁｭｳｵｳｸ\t\t\n"), std::string::npos);
}

TEST_F(Builder, LinksExchangeAreasWithinTheirRegionAndCountsTheRest) {
    ASSERT_EQ(run(), 0);
    // 横浜 is Kanagawa's in the 04 region, never Aomori's 横浜町; an island's
    // area is its town; a joined name is both municipalities; 狛江 comes
    // from the list of municipalities served.
    EXPECT_EQ(read(out / "area.txt"), "011\t札幌\t01101\n"
                                      "0133\t当別\t01303\n"
                                      "03\t東京\t13101,13102,13219\n"
                                      "0422\t武蔵野三鷹\t13203,13204\n"
                                      "045\t横浜\t14101,14103\n"
                                      "0466\t藤沢\t14205\n"
                                      "04996\t八丈島\t13401\n"
                                      "0999\t不明\t\n");
    EXPECT_NE(summary.find("exchange areas 8 (7 linked), unlinked exchange areas 1 (12.5%)"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("unlinked exchange area: 0999 不明\n"), std::string::npos);
}

TEST_F(Builder, AServedMunicipalityThatDoesNotExistFailsTheBuild) {
    write(src / "served.txt", "03\t東京都\t架空市\n");
    EXPECT_EQ(run(), 1);
}

TEST_F(Builder, FailsOnAMissingSource) {
    fs::remove(src / "master/city.json");
    EXPECT_EQ(run(), 1);
    EXPECT_FALSE(fs::exists(out / "postal.txt"));
}

} // namespace
