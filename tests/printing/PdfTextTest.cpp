// The text of a printed PDF reads as the characters printed: a reader
// searching or copying "山田商事" finds it, not radicals of the same shape,
// and the file stays one a PDF reader opens without repairs.
#include "printing/ListPrintRun.h"
#include "printing/PdfTextMap.h"
#include "printing/PrintItems.h"
#include "printing/PrintPageSettings.h"
#include "tests/support/TempFolders.h"

#include <QFont>
#include <QProcess>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kanata {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    std::string out, err;
};

ToolRun RunTool(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(60000);
    return {p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

ListPrintSettings NameList(const std::string& fontName) {
    ListPrintSettings s;
    s.format.fontName = fontName;
    s.format.title = "山田商事 日月人 名簿";
    s.items = RosterPrintItems();
    s.layout = {{1, 5}, {8, 30}, {10, 14}};
    s.date = QDate(2026, 12, 7);
    return s;
}

std::vector<std::vector<std::string>> Names() {
    std::vector<std::vector<std::string>> records;
    for (const auto& [company, person] :
         {std::pair{"山田商事", "月岡人志"}, std::pair{"日本人材", "田中日出夫"},
          std::pair{"三日月工業", "山本月子"}}) {
        std::vector<std::string> values(RosterPrintItems().size());
        values[8] = company;
        values[10] = person;
        records.push_back(values);
    }
    return records;
}

class PdfText : public ::testing::TestWithParam<const char*> {};

TEST_P(PdfText, KanjiSharingGlyphsWithRadicalsReadAsPrinted) {
    test::TempFolders folders;
    fs::create_directories(folders.scratch());
    const fs::path pdf = folders.scratch() / "names.pdf";
    VectorRecordSource records(Names());
    ASSERT_TRUE(PrintListToPdf(pdf, NameList(GetParam()), records, 3, DefaultListPageLayout()));
    const ToolRun text =
        RunTool("pdftotext", {"-layout", QString::fromStdString(pdf.string()), "-"});
    EXPECT_EQ(text.err, "") << "the cross references still hold";
    for (const char* printed : {"山田商事", "日月人", "月岡人志", "日本人材", "田中日出夫",
                                "三日月工業", "山本月子", "会社名漢字"})
        EXPECT_NE(text.out.find(printed), std::string::npos) << printed << " in\n" << text.out;
    for (const char* radical : {"⼭", "⽥", "⽇", "⽉", "⼈"})
        EXPECT_EQ(text.out.find(radical), std::string::npos) << radical << " in\n" << text.out;
    EXPECT_NE(
        RunTool("pdfinfo", {QString::fromStdString(pdf.string())}).out.find("Pages:           1"),
        std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Fonts, PdfText,
                         ::testing::Values("Noto Sans Mono CJK JP", "Noto Serif CJK JP",
                                           "DejaVu Sans"));

// A map as Qt lays it out: a range of ten consecutive radicals becomes
// ten separate kanji, the single entries and arrays are rewritten in place,
// and every object after the map keeps its cross reference.
TEST(PdfTextMap, RangesAreSplitAndCrossReferencesFollow) {
    const std::string map = "/CIDInit /ProcSet findresource begin\n"
                            "begincmap\n"
                            "3 beginbfrange\n"
                            "<0000> <0000> <0000>\n"
                            "<0001> <0002> [<2F2D> <0041> ]\n"
                            "<0003> <000C> <2F00>\n"
                            "endbfrange\n"
                            "endcmap\n";
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    offsets.push_back(pdf.size());
    pdf += "1 0 obj\n<< /Length " + std::to_string(map.size()) + " >>\nstream\n" + map +
           "\nendstream\nendobj\n";
    offsets.push_back(pdf.size());
    pdf += "2 0 obj\n(after)\nendobj\n";
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 3\n0000000000 65535 f \n";
    for (std::size_t o : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", o);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size 3 >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";

    TextMapCorrections corrections{{0x2F2D, 0x5C71}};
    const char32_t radicals[] = {0x2F00, 0x2F01, 0x2F02, 0x2F03, 0x2F04,
                                 0x2F05, 0x2F06, 0x2F07, 0x2F08, 0x2F09};
    const char32_t kanji[] = {0x4E00, 0x4E28, 0x4E36, 0x4E3F, 0x4E59,
                              0x4E85, 0x4E8C, 0x4EA0, 0x4EBA, 0x513F};
    for (int i = 0; i < 10; ++i)
        corrections[radicals[i]] = kanji[i];
    const auto out = CorrectPdfTextMaps(pdf, corrections);
    ASSERT_TRUE(out);
    EXPECT_NE(out->find("<0001> <0002> [<5C71> <0041> ]\n"), std::string::npos) << *out;
    EXPECT_NE(out->find("<0003> <000C> [<4E00> <4E28> <4E36> <4E3F> <4E59> <4E85> <4E8C> "
                        "<4EA0> <4EBA> <513F> ]\n"),
              std::string::npos)
        << *out;
    // The stream's length and the offsets of both objects and the table.
    const auto body = out->find("stream\n") + 7;
    const auto length = std::stoul(out->substr(out->find("/Length ") + 8));
    EXPECT_EQ(out->compare(body + length, 10, "\nendstream"), 0);
    const auto table = std::stoul(out->substr(out->rfind("startxref") + 10));
    ASSERT_EQ(out->compare(table, 4, "xref"), 0);
    for (int object = 1; object <= 2; ++object) {
        const auto at = std::stoul(out->substr(table + 9 + 20 * object, 10));
        EXPECT_EQ(out->compare(at, 7, std::to_string(object) + " 0 obj"), 0) << object;
    }

    // Nothing to correct leaves the file as it is; a map out of place is
    // not guessed at.
    EXPECT_EQ(CorrectPdfTextMaps(pdf, {{0x2F3E, 0x6238}}), pdf);
    std::string broken = pdf;
    broken.replace(broken.find("stream\n/CIDInit"), 7, "strea \n");
    EXPECT_FALSE(CorrectPdfTextMaps(broken, corrections));
}

TEST(PdfTextMap, OnlyKanjiPrintedAreCorrected) {
    PrintedGlyphs glyphs;
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans Mono CJK JP")});
    font.setPixelSize(40);
    glyphs.addText(QStringLiteral("山田 03-1234-5678 ｻﾄｳ"), font);
    const TextMapCorrections expected{{0x2F2D, 0x5C71}, {0x2F65, 0x7530}};
    EXPECT_EQ(glyphs.corrections(), expected);
}

TEST(PdfTextMap, FileThatCannotBeReadIsLeftAlone) {
    test::TempFolders folders;
    fs::create_directories(folders.scratch());
    const fs::path file = folders.scratch() / "plain.pdf";
    { std::ofstream(file) << "%PDF-1.4\nno maps here\n"; }
    EXPECT_TRUE(CorrectPdfFileTextMaps(file, {{0x2F2D, 0x5C71}}));
    EXPECT_EQ(ReadAll(file), "%PDF-1.4\nno maps here\n");
    EXPECT_FALSE(CorrectPdfFileTextMaps(folders.scratch() / "missing.pdf", {{0x2F2D, 0x5C71}}));
}

} // namespace
} // namespace kanata
