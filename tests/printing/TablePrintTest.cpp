// Printing lists from the tables on disk: the record choice, the roster
// values a call picks up, and whole lists rendered to PDF by kanata-cli.
#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"
#include "printing/ListPrintJob.h"
#include "printing/ListPrintRun.h"
#include "printing/PrintLayout.h"
#include "printing/PrintPageSettings.h"
#include "printing/TablePrintSources.h"
#include "settings/IniFile.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kanata {
namespace {

namespace fs = std::filesystem;

// Calls numbered 1..n, call k at minute k, so the newest is call n.
void FillHistory(const fs::path& dataFolder, int calls) {
    test::ScriptedMessages messages;
    RecvHisTable table;
    table.open(dataFolder);
    for (int k = 1; k <= calls; ++k) {
        RecvHisRow row;
        row.RecvDateTime = {2026, 12, 1, k / 60, k % 60, 0, 0};
        row.SchTel = "0312340" + std::to_string(1000 + k);
        row.Tel = "03-1234-0" + std::to_string(1000 + k);
        row.CorpKanji = "会社" + std::to_string(k);
        row.Division = "0";
        ASSERT_TRUE(table.append(row, messages));
    }
}

TEST(TablePrint, RangeTenToTwelvePrintsOnePageNumberedOneToThree) {
    test::TempFolders folders;
    fs::create_directories(folders.scratch());
    FillHistory(folders.scratch(), 30);
    RecvHisTable table;
    table.open(folders.scratch());
    PrintChoice choice;
    choice.mode = PrintChoice::Mode::Range;
    choice.begin = 10;
    choice.end = 12;
    HistoryPrintSource source(table, nullptr, choice, false);
    ListPrintSettings s;
    s.format.fontName = "Noto Sans Mono CJK JP";
    s.format.fontSizeIndex = 5;
    s.items = HistoryPrintItems({"内容", "メモ", "受付"});
    s.layout = {{1, 5}, {6, 20}};
    const PageGeometry a4At72{595, 842, 72, 72};
    ASSERT_GE(RecordsPerPage(s.format, a4At72), 25);
    ListPrintJob job(s, a4At72, source, ChoiceCount(choice, table.count()));
    PagePlan plan;
    bool more = true;
    ASSERT_TRUE(job.planPage(plan, more));
    EXPECT_FALSE(more);
    EXPECT_EQ(job.pageCount(), 1);
    QStringList texts;
    for (const PlanText& t : plan.texts)
        texts << t.text;
    // Newest first: the 10th to 12th of the list are calls 21, 20 and 19.
    for (const char* expected : {"1", "2", "3", "会社21", "会社20", "会社19"})
        EXPECT_TRUE(texts.contains(expected))
            << expected << " in " << texts.join('|').toStdString();
    EXPECT_FALSE(texts.contains("4"));
    EXPECT_FALSE(texts.contains("会社18"));
    EXPECT_FALSE(job.planPage(plan, more));
}

TEST(TablePrint, SelectionSkipsRowsGoneAndCallsPickUpTheirRosterEntry) {
    test::TempFolders folders;
    fs::create_directories(folders.scratch());
    FillHistory(folders.scratch(), 3);
    test::ScriptedMessages messages;
    MeiboTable roster;
    roster.open(folders.scratch());
    MeiboRow caller;
    caller.SchTel2 = "03123401002"; // the second number of the entry
    caller.Pos = "1500001";
    caller.Tdfkn = "東京都";
    caller.Adrs1 = "渋谷区";
    caller.Note = "一行目\r\n二行目";
    ASSERT_TRUE(roster.append(caller, messages));
    RecvHisTable history;
    history.open(folders.scratch());
    PrintChoice choice;
    choice.mode = PrintChoice::Mode::Selection;
    choice.selected = {1, 77, 0};
    HistoryPrintSource source(history, &roster, choice, true);
    const auto first = source.next();
    ASSERT_TRUE(first);
    EXPECT_EQ((*first)[6], "会社2");
    EXPECT_EQ((*first)[9], "新規");
    EXPECT_EQ((*first)[14], "150-0001");
    EXPECT_EQ((*first)[15], "渋谷区"); // without the prefecture
    EXPECT_EQ((*first)[25], "一行目 二行目");
    const auto second = source.next();
    ASSERT_TRUE(second);
    EXPECT_EQ((*second)[6], "会社1");
    EXPECT_EQ((*second)[14], "");
    EXPECT_FALSE(source.next());
}

struct CliRun {
    int exitCode = -1;
    std::string out, err;
};

CliRun RunCli(const QStringList& args) {
    QProcess process;
    process.start(QString::fromStdString((test::stageFolder() / "kanata-cli").string()), args);
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

std::string RunTool(const QString& tool, const QStringList& args) {
    QProcess process;
    process.start(tool, args);
    process.waitForFinished(60000);
    return process.readAllStandardOutput().toStdString();
}

TEST(TablePrint, CliWritesAMultiPageHistoryListToPdf) {
    test::TempFolders folders;
    const fs::path data = folders.scratch() / "data";
    fs::create_directories(data);
    fs::create_directories(folders.workFolder());
    FillHistory(data, 120);
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ini.writeString("LIST PRINT", "FontName", "Noto Sans Mono CJK JP");
    ini.writeString("LIST PRINT", "Title", "着信対応履歴");
    ini.writeInteger("LIST PRINT", "PageType", 3);
    WriteLayout(ini, "LIST PRINT LAYOUT RECVHIS", {{1, 5}, {2, 10}, {4, 13}, {6, 30}});
    ASSERT_TRUE(ini.save());
    IniFile templates(data / "LPRHis.tpl");
    WriteLayout(templates, "番号だけ", {{4, 13}});
    ASSERT_TRUE(templates.save());

    const QString pdf = QString::fromStdString((folders.scratch() / "list.pdf").string());
    const CliRun run = RunCli(
        {"print", "--history", "--pdf", pdf, "--data", QString::fromStdString(data.string())});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string info = RunTool("pdfinfo", {pdf});
    EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
    const std::string first = RunTool("pdftotext", {"-f", "1", "-l", "1", "-layout", pdf, "-"});
    for (const char* expected : {"着信対応履歴", "No.", "TEL", "会社名漢字", "着信日付",
                                 "2026/12/01", "03-1234-01120", "会社120", "Page. 1 / 3"})
        EXPECT_NE(first.find(expected), std::string::npos) << expected << " in\n" << first;
    EXPECT_EQ(first.find("会社60 "), std::string::npos) << "page 1 ends before call 60";

    const QString byTemplate = QString::fromStdString((folders.scratch() / "t.pdf").string());
    const CliRun named = RunCli({"print", "--history", "--pdf", byTemplate, "--template",
                                 "番号だけ", "--data", QString::fromStdString(data.string())});
    ASSERT_EQ(named.exitCode, 0) << named.err;
    const std::string numbers = RunTool("pdftotext", {"-f", "1", "-l", "1", byTemplate, "-"});
    EXPECT_NE(numbers.find("TEL"), std::string::npos);
    EXPECT_EQ(numbers.find("会社120"), std::string::npos);
}

// The words of a PDF page and the page's size, in points.
struct PageWords {
    double width = 0, height = 0;
    QRectF extent; // of all words
};

PageWords WordsOf(const QString& pdf) {
    const QString html =
        QString::fromStdString(RunTool("pdftotext", {"-f", "1", "-l", "1", "-bbox", pdf, "-"}));
    PageWords words;
    const QRegularExpression page(R"re(<page width="([\d.]+)" height="([\d.]+)")re");
    if (const auto m = page.match(html); m.hasMatch()) {
        words.width = m.captured(1).toDouble();
        words.height = m.captured(2).toDouble();
    }
    const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)")re");
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const QRectF box(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                         QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
        words.extent = words.extent.isNull() ? box : words.extent.united(box);
    }
    return words;
}

constexpr double kPointsPerMm = 72 / 25.4;
// pdftotext boxes words by the font's ascent and descent, which reach a
// little beyond the em square the lines are laid out with.
constexpr double kBoxSlack = 3;

// The date at the top right and the page number at the bottom stay inside
// the margins: 10 mm when no paper was chosen, else those of LstPrint.pi.
TEST(TablePrint, CliPrintsInsideTheMarginsOfTheChosenPaper) {
    test::TempFolders folders;
    const fs::path data = folders.scratch() / "data";
    fs::create_directories(data);
    fs::create_directories(folders.workFolder());
    FillHistory(data, 80);
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ini.writeString("LIST PRINT", "FontName", "Noto Sans Mono CJK JP");
    ini.writeInteger("LIST PRINT", "DatePosX", 2);
    ini.writeInteger("LIST PRINT", "PagePosX", 0);
    WriteLayout(ini, "LIST PRINT LAYOUT RECVHIS", {{1, 5}, {4, 13}, {6, 30}});
    ASSERT_TRUE(ini.save());
    const QString dataArg = QString::fromStdString(data.string());

    const QString plain = QString::fromStdString((folders.scratch() / "plain.pdf").string());
    ASSERT_EQ(RunCli({"print", "--history", "--pdf", plain, "--data", dataArg}).exitCode, 0);
    const PageWords a4 = WordsOf(plain);
    EXPECT_NEAR(a4.width, 595.3, 1);
    ASSERT_FALSE(a4.extent.isNull());
    const double ten = 10 * kPointsPerMm - kBoxSlack;
    EXPECT_GE(a4.extent.left(), ten);
    EXPECT_GE(a4.extent.top(), ten);
    EXPECT_LE(a4.extent.right(), a4.width - ten);
    EXPECT_LE(a4.extent.bottom(), a4.height - ten);

    IniFile chosen(folders.workFolder() / "LstPrint.pi", IniFile::Encoding::Utf8);
    chosen.writeString("PRINTER", "PageSize", "A4");
    chosen.writeInteger("PRINTER", "Orientation", 1);
    chosen.writeInteger("PRINTER", "MarginLeft", 300);
    chosen.writeInteger("PRINTER", "MarginTop", 200);
    chosen.writeInteger("PRINTER", "MarginRight", 150);
    chosen.writeInteger("PRINTER", "MarginBottom", 250);
    ASSERT_TRUE(chosen.save());
    const QString wide = QString::fromStdString((folders.scratch() / "wide.pdf").string());
    ASSERT_EQ(RunCli({"print", "--history", "--pdf", wide, "--data", dataArg}).exitCode, 0);
    const PageWords landscape = WordsOf(wide);
    EXPECT_NEAR(landscape.width, 841.9, 1);
    EXPECT_GE(landscape.extent.left(), 30 * kPointsPerMm - kBoxSlack);
    EXPECT_GE(landscape.extent.top(), 20 * kPointsPerMm - kBoxSlack);
    EXPECT_LE(landscape.extent.right(), landscape.width - 15 * kPointsPerMm + kBoxSlack);
    EXPECT_LE(landscape.extent.bottom(), landscape.height - 25 * kPointsPerMm + kBoxSlack);
    // The date still sits at the right margin, not somewhere inside.
    EXPECT_GE(landscape.extent.right(), landscape.width - 15 * kPointsPerMm - 10);
}

TEST(TablePrint, CliRejectsBadArgumentsAndMissingTemplates) {
    test::TempFolders folders;
    const fs::path data = folders.scratch() / "data";
    fs::create_directories(data);
    fs::create_directories(folders.workFolder());
    FillHistory(data, 1);
    const QString dataArg = QString::fromStdString(data.string());
    const QString pdf = QString::fromStdString((folders.scratch() / "x.pdf").string());
    for (const QStringList& args :
         {QStringList{"print", "--pdf", pdf, "--data", dataArg},
          QStringList{"print", "--history", "--roster", "--pdf", pdf, "--data", dataArg},
          QStringList{"print", "--history", "--data", dataArg},
          QStringList{"print", "--history", "--pdf", pdf, "--template", "無い", "--data", dataArg},
          QStringList{"print", "--roster", "--pdf", pdf, "--data", dataArg}}) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        const auto message = run.err.find("kanata-cli print: ");
        ASSERT_NE(message, std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n', message), run.err.size() - 1) << run.err;
    }
    EXPECT_FALSE(fs::exists(pdf.toStdString()));
}

ListPrintSettings Ruled(PrintSource source, PrintLayout layout, const std::string& title) {
    ListPrintSettings s;
    s.format.source = source;
    s.format.fontName = "Noto Sans Mono CJK JP";
    s.format.title = title;
    s.format.pageType = 3;
    s.format.offsetX = s.format.offsetY = 100;
    for (RuledLine p : {TopEdge, BottomEdge, LeftEdge, RightEdge})
        s.format.lines[p] = {true, 1};
    s.format.lines[InnerVertical] = {true, 3};
    s.format.lines[InnerHorizontal] = {true, 0};
    s.format.horzInterval = 5;
    s.format.headerColourExists = true;
    s.format.headerColour = 0xC0C0C0;
    s.format.dataColours = {0xFFE0C0, 0xFFFFFF}; // light blue, white
    s.items = PrintItemsOf(source, {"内容", "メモ", "受付"});
    s.layout = std::move(layout);
    s.date = QDate(2026, 12, 7);
    return s;
}

// Records that stop coming half-way, as a server's do when it goes away.
class FailingAfter : public PrintRecordSource {
public:
    FailingAfter(PrintRecordSource& source, int records) : source_(source), left_(records) {}
    std::optional<std::vector<std::string>> next() override {
        if (left_-- == 0)
            throw std::runtime_error("server closed the connection unexpectedly");
        return source_.next();
    }

private:
    PrintRecordSource& source_;
    int left_;
};

TEST(TablePrint, AListThatFailsHalfWayLeavesTheFileAsItWas) {
    test::TempFolders folders;
    const fs::path data = folders.scratch();
    FillHistory(data, 120);
    RecvHisTable history;
    history.open(data);
    const ListPrintSettings settings =
        Ruled(PrintSource::History, {{1, 5}, {4, 13}, {6, 30}}, "着信対応履歴一覧");
    const fs::path pdf = data / "list.pdf";
    {
        HistoryPrintSource calls(history, nullptr, {}, false);
        ASSERT_TRUE(PrintListToPdf(pdf, settings, calls, 120, DefaultListPageLayout()));
    }
    std::ifstream whole(pdf, std::ios::binary);
    const std::string before{std::istreambuf_iterator<char>(whole), {}};
    ASSERT_FALSE(before.empty());

    for (const fs::path& file : {pdf, data / "new.pdf"}) {
        HistoryPrintSource calls(history, nullptr, {}, false);
        FailingAfter failing(calls, 70); // past the first page
        EXPECT_THROW(PrintListToPdf(file, settings, failing, 120, DefaultListPageLayout()),
                     std::runtime_error);
        EXPECT_FALSE(fs::exists(file.string() + ".partial")) << file;
    }
    std::ifstream after(pdf, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(after), {}), before);
    EXPECT_FALSE(fs::exists(data / "new.pdf"));
}

// The colours reach the paper: the rendered page holds the light blue of the
// odd records and the grey of the header.
TEST(TablePrint, PageImagesCarryRuledLinesAndColours) {
    test::TempFolders folders;
    const fs::path data = folders.scratch();
    fs::create_directories(data);
    FillHistory(data, 40);
    {
        test::ScriptedMessages messages;
        MeiboTable roster;
        roster.open(data);
        const char* names[][3] = {{"03-3456-7890", "株式会社さくら商事", "山田　太郎"},
                                  {"045-212-3344", "有限会社みなと工務店", "佐藤　花子"},
                                  {"06-6123-4567", "大阪精機株式会社", "田中　誠"},
                                  {"052-951-0101", "名古屋物流センター", "伊藤　健"}};
        for (int i = 0; i < 12; ++i) {
            MeiboRow row;
            row.Tel1 = names[i % 4][0];
            row.SchTel1 = "0" + std::to_string(100000000 + i);
            row.CorpKanji = names[i % 4][1];
            row.NameKanji = names[i % 4][2];
            row.Pos = "1500001";
            row.Tdfkn = "東京都";
            row.Adrs1 = "渋谷区神宮前";
            row.PrivCorp = "1";
            ASSERT_TRUE(roster.append(row, messages));
        }
    }
    RecvHisTable history;
    history.open(data);
    MeiboTable roster;
    roster.open(data);
    HistoryPrintSource calls(history, &roster, {}, false);
    RosterPrintSource entries(roster, {}, {}, false);
    const auto historyPdf = data / "history.pdf";
    const auto rosterPdf = data / "roster.pdf";
    ASSERT_TRUE(PrintListToPdf(historyPdf,
                               Ruled(PrintSource::History,
                                     {{1, 5}, {2, 10}, {3, 8}, {4, 13}, {6, 30}, {9, 4}},
                                     "着信対応履歴一覧"),
                               calls, 40, DefaultListPageLayout()));
    ASSERT_TRUE(PrintListToPdf(rosterPdf,
                               Ruled(PrintSource::Roster,
                                     {{1, 5}, {2, 13}, {4, 8}, {5, 30}, {8, 22}, {10, 12}, {11, 4}},
                                     "登録名簿一覧"),
                               entries, 12, DefaultListPageLayout()));
    const QString shots = qEnvironmentVariable("KANATA_SCREENSHOT_DIR");
    for (const auto& [pdf, name] : {std::pair{historyPdf, "list-print-history-page"},
                                    std::pair{rosterPdf, "list-print-roster-page"}}) {
        const QString png = QString::fromStdString((data / name).string());
        RunTool("pdftoppm",
                {"-png", "-r", "100", "-singlefile", QString::fromStdString(pdf.string()), png});
        const QImage image(png + ".png");
        ASSERT_FALSE(image.isNull()) << name;
        bool blue = false, grey = false;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3) {
                const QColor c = image.pixelColor(x, y);
                blue |= c.red() == 0xC0 && c.green() == 0xE0 && c.blue() == 0xFF;
                grey |= c.red() == 0xC0 && c.green() == 0xC0 && c.blue() == 0xC0;
            }
        EXPECT_TRUE(blue) << name;
        EXPECT_TRUE(grey) << name;
        if (!shots.isEmpty())
            image.save(shots + "/" + name + ".png");
    }
}

} // namespace
} // namespace kanata
