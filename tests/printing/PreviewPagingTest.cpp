// The preview reads only the page it shows: a long list is not loaded into
// memory before the window opens, and the table sources skip to a page
// without building the values of the records before it.
#include "data/RecvHisTable.h"
#include "printing/PrintItems.h"
#include "printing/TablePrintSources.h"
#include "printing/gui/TListPrintPreview.h"
#include "settings/IniFile.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"

#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace kanata {
namespace {

namespace fs = std::filesystem;

// Counts the records whose values were built.
class CountingSource : public VectorRecordSource {
public:
    CountingSource(std::vector<std::vector<std::string>> records, long long& built)
        : VectorRecordSource(std::move(records)), built_(built) {}
    std::optional<std::vector<std::string>> next() override {
        auto r = VectorRecordSource::next();
        built_ += r ? 1 : 0;
        return r;
    }

private:
    long long& built_;
};

TEST(PreviewPaging, EachPageReadsOnlyItsOwnRecords) {
    test::TempFolders folders;
    fs::create_directories(folders.workFolder());
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ListPrintSettings s;
    s.format.fontName = "Noto Sans Mono CJK JP";
    s.items = HistoryPrintItems({"内容", "メモ", "受付"});
    s.layout = {{1, 5}, {6, 30}};
    s.date = QDate(2026, 12, 7);
    const long long total = 1000;
    std::vector<std::vector<std::string>> records(total,
                                                  std::vector<std::string>(s.items.size(), "会社"));
    long long built = 0;
    int opened = 0;
    const PreviewSheet sheet{{2480, 3508}, {118, 118}, {2244, 3272, 300, 300}};
    TListPrintPreview preview(
        s,
        [&]() -> std::unique_ptr<PrintRecordSource> {
            ++opened;
            return std::make_unique<CountingSource>(records, built);
        },
        total, sheet, ini);
    const int perPage = RecordsPerPage(s.format, sheet.printable);
    ASSERT_GT(preview.pageCount(), 5);
    EXPECT_LE(built, perPage + 1) << "the first page reads its records only";
    built = 0;
    QTest::mouseClick(preview.sbtnLast, Qt::LeftButton);
    EXPECT_EQ(preview.page(), preview.pageCount());
    EXPECT_LE(built, perPage + 1) << "the last page skips the records before it";
    EXPECT_EQ(opened, 2);
}

TEST(PreviewPaging, TableSourcesSkipToThePageFirstRecord) {
    test::TempFolders folders;
    fs::create_directories(folders.scratch());
    test::ScriptedMessages messages;
    RecvHisTable table;
    table.open(folders.scratch());
    for (int k = 1; k <= 1200; ++k) {
        RecvHisRow row;
        row.RecvDateTime = {2026, 12, 1 + k / 600, (k / 60) % 10, k % 60, 0, 0};
        row.CorpKanji = "会社" + std::to_string(k);
        ASSERT_TRUE(table.append(row, messages));
    }
    // Newest first: the 701st of the list is call 500, before and after a read.
    HistoryPrintSource fresh(table, nullptr, {}, false);
    fresh.skip(700);
    EXPECT_EQ((*fresh.next())[6], "会社500");
    HistoryPrintSource reading(table, nullptr, {}, false);
    EXPECT_EQ((*reading.next())[6], "会社1200");
    reading.skip(699);
    EXPECT_EQ((*reading.next())[6], "会社500");
    PrintChoice range;
    range.mode = PrintChoice::Mode::Range;
    range.begin = 101;
    range.end = 1200;
    HistoryPrintSource ranged(table, nullptr, range, false);
    ranged.skip(600);
    EXPECT_EQ((*ranged.next())[6], "会社500");
    PrintChoice chosen;
    chosen.mode = PrintChoice::Mode::Selection;
    chosen.selected = {0, 9999, 1, 2};
    HistoryPrintSource selection(table, nullptr, chosen, false);
    selection.skip(2); // the row gone is not counted
    EXPECT_EQ((*selection.next())[6], "会社3");
}

} // namespace
} // namespace kanata
