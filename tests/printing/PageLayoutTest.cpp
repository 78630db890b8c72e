// How a printed list's pages are laid out: the records a page holds and
// what lands where on the planned pages.
#include "printing/ListPrintJob.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kanata {
namespace {

// 72 dpi makes one point one pixel: a 9-point body gives lineH 9, half 5.
const PageGeometry kPage{600, 990, 72, 72};

PrintFormat Plain() {
    PrintFormat f;
    f.fontName = "Noto Sans Mono CJK JP";
    f.viewDate = false;
    f.viewPage = false;
    return f;
}

TEST(RecordsPerPage, HeightLeftDependsOnTitleDateAndPageNumber) {
    PrintFormat f = Plain();
    EXPECT_EQ(RecordArea(f, kPage), 990 - 2 - 12); // gap above the header, header
    f.lines[TopEdge] = {true, 2};                  // 3 units = 2.25 px at 72 dpi
    f.lines[BottomEdge] = {true, 1};               // 2 units = 1.5 px
    EXPECT_EQ(RecordArea(f, kPage), 990 - 2 + 2 - 12 - 1);

    f = Plain();
    f.title = "一覧";
    EXPECT_EQ(RecordArea(f, kPage), 990 - 24 - 12); // title 12 pt, twice

    f = PrintFormat{}; // date top right, page number bottom centre
    EXPECT_EQ(RecordArea(f, kPage), 990 - 14 - 9 - 12);

    f.datePosY = VerticalPosition::Bottom;
    f.datePosX = f.pagePosX; // one above the other
    EXPECT_EQ(RecordArea(f, kPage), 990 - 9 - 9 - 2 - 12);
    f.datePosX = HorizontalPosition::Left; // side by side on the last line
    EXPECT_EQ(RecordArea(f, kPage), 990 - 9 - 2 - 12);

    f.datePosY = f.pagePosY = VerticalPosition::Top;
    EXPECT_EQ(RecordArea(f, kPage), 990 - 14 - 12);
    f.datePosX = f.pagePosX;
    EXPECT_EQ(RecordArea(f, kPage), 990 - 14 - 9 - 12);

    f.rowCountIndex = 2; // three rows: 3 * 9 + 5 per record
    EXPECT_EQ(RecordsPerPage(f, kPage), (990 - 14 - 9 - 12) / 32);
    EXPECT_EQ(PageCount(61, 30), 3);
}

TEST(RecordsPerPage, PageTooSmallForOneRecordStillPrintsOne) {
    PrintFormat f = Plain();
    f.offsetY = 500;
    EXPECT_EQ(RecordsPerPage(f, {600, 100, 72, 72}), 1);
}

struct Planned {
    std::vector<PagePlan> pages;
    int recordsPerPage = 0;
};

std::vector<std::string> Record(const std::string& company) {
    std::vector<std::string> v(26);
    v[5] = company;
    v[8] = "名前";
    return v;
}

Planned PlanAll(ListPrintSettings s, const PageGeometry& page, int records,
                std::vector<std::vector<std::string>> values = {}) {
    if (values.empty())
        for (int i = 0; i < records; ++i)
            values.push_back(Record("会社" + std::to_string(i + 1)));
    VectorRecordSource source(values);
    if (s.items.empty())
        s.items = HistoryPrintItems({"内容", "メモ", "受付"});
    ListPrintJob job(s, page, source, records);
    Planned out;
    out.recordsPerPage = job.recordsPerPage();
    PagePlan plan;
    bool more = true;
    while (more && job.planPage(plan, more))
        out.pages.push_back(plan);
    return out;
}

std::vector<const PlanText*> TextsIn(const PagePlan& plan, double x, double width) {
    std::vector<const PlanText*> found;
    for (const PlanText& t : plan.texts)
        if (t.rect.x() == x && t.rect.width() == width)
            found.push_back(&t);
    return found;
}

const PlanText* FindText(const PagePlan& plan, const QString& text) {
    for (const PlanText& t : plan.texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

TEST(PagePlanning, LongValueWrapsOntoTheRowsOfItsRecordAndNoFurther) {
    ListPrintSettings s;
    s.format = Plain();
    s.format.rowCountIndex = 2;
    s.layout = {{6, 8}};
    const std::string name = "株式会社かなた電話機器販売東日本営業本部第三営業課分室";
    std::vector<std::vector<std::string>> values{Record("")};
    values[0][6] = name;
    const auto plan = PlanAll(s, kPage, 1, values).pages.at(0);
    const PlanText* header = FindText(plan, "会社名漢字");
    ASSERT_TRUE(header);
    const auto cells = TextsIn(plan, header->rect.x(), header->rect.width());
    ASSERT_EQ(cells.size(), 4u); // the caption and three lines
    QString printed;
    for (std::size_t i = 1; i < cells.size(); ++i) {
        EXPECT_EQ(cells[i]->rect.top(), cells[1]->rect.top() + (i - 1) * cells[1]->rect.height());
        printed += cells[i]->text;
    }
    EXPECT_TRUE(QString::fromStdString(name).startsWith(printed));
    EXPECT_LT(printed.size(), QString::fromStdString(name).size());
}

TEST(PagePlanning, DataColoursAlternateAndRestartOnEveryPage) {
    ListPrintSettings s;
    s.format = Plain();
    s.format.dataColours = {0x0000FF, 0x00FF00}; // red, green
    s.layout = {{1, 5}, {5, 20}};
    const PageGeometry small{600, 150, 72, 72};
    const auto planned = PlanAll(s, small, 15);
    ASSERT_EQ(planned.recordsPerPage % 2, 1) << "an odd count shows the restart";
    ASSERT_GE(planned.pages.size(), 2u);
    for (const PagePlan& page : planned.pages) {
        ASSERT_FALSE(page.fills.empty());
        for (std::size_t i = 0; i < page.fills.size(); ++i)
            EXPECT_EQ(page.fills[i].colour, i % 2 == 0 ? QColor(Qt::red) : QColor(Qt::green));
    }
}

TEST(PagePlanning, DateAndPageNumberShareOrStackTheirLines) {
    ListPrintSettings s;
    s.format = PrintFormat{};
    s.format.fontName = "Noto Sans Mono CJK JP";
    s.date = QDate(2026, 12, 6);
    s.layout = {{1, 5}};
    s.format.datePosY = s.format.pagePosY = VerticalPosition::Bottom;
    s.format.datePosX = s.format.pagePosX = HorizontalPosition::Right;
    auto plan = PlanAll(s, kPage, 3).pages.at(0);
    const PlanText* date = FindText(plan, "2026/12/ 6");
    const PlanText* page = FindText(plan, "Page. 1");
    ASSERT_TRUE(date && page);
    EXPECT_EQ(page->rect.bottom(), kPage.height);
    EXPECT_EQ(date->rect.bottom(), page->rect.top());
    EXPECT_TRUE(date->alignment & Qt::AlignRight);

    s.format.datePosY = s.format.pagePosY = VerticalPosition::Top;
    s.format.datePosX = HorizontalPosition::Left;
    s.format.pageType = 3;
    plan = PlanAll(s, kPage, 3).pages.at(0);
    date = FindText(plan, "2026/12/ 6");
    page = FindText(plan, "Page. 1 / 1");
    ASSERT_TRUE(date && page);
    EXPECT_EQ(date->rect.top(), page->rect.top());
    EXPECT_TRUE(date->alignment & Qt::AlignLeft);
    EXPECT_TRUE(page->alignment & Qt::AlignRight);
    const PlanText* header = FindText(plan, "No.");
    ASSERT_TRUE(header);
    EXPECT_GT(header->rect.top(), page->rect.bottom());
}

TEST(PagePlanning, RunningNumberContinuesOnTheNextPage) {
    ListPrintSettings s;
    s.format = Plain();
    s.format.viewPage = true;
    s.format.pageType = 4;
    s.layout = {{1, 5}};
    const auto planned = PlanAll(s, {600, 150, 72, 72}, 20);
    const int perPage = planned.recordsPerPage;
    ASSERT_LT(perPage, 20);
    ASSERT_EQ(static_cast<int>(planned.pages.size()), (20 + perPage - 1) / perPage);
    const PagePlan& second = planned.pages.at(1);
    const PlanText* header = FindText(second, "No.");
    ASSERT_TRUE(header);
    const auto cells = TextsIn(second, header->rect.x(), header->rect.width());
    ASSERT_GE(cells.size(), 2u);
    EXPECT_EQ(cells[1]->text, QString::number(perPage + 1));
    EXPECT_TRUE(FindText(second, QString("- 2 / %1 -").arg(planned.pages.size())));
}

TEST(PagePlanning, ColumnsStartingBeyondThePageAreLeftOut) {
    ListPrintSettings s;
    s.format = Plain();
    s.format.lines[RightEdge] = {true, 0};
    s.layout = {{2, 10}, {6, 50}, {5, 60}, {8, 14}};
    const PageGeometry narrow{500, 400, 72, 72};
    const auto plan = PlanAll(s, narrow, 2).pages.at(0);
    EXPECT_TRUE(FindText(plan, "着信日付"));
    const PlanText* wide = FindText(plan, "会社名漢字");
    ASSERT_TRUE(wide);
    EXPECT_LE(wide->rect.right(), narrow.width);
    EXPECT_FALSE(FindText(plan, "名前漢字"));
    for (const PlanLine& l : plan.lines)
        EXPECT_LE(l.line.x2(), narrow.width);
}

TEST(PagePlanning, RuledLinesFollowTheirSettings) {
    ListPrintSettings s;
    s.format = Plain();
    s.layout = {{1, 5}, {5, 10}, {8, 10}};
    s.format.lines[InnerVertical] = {true, 3};
    s.format.lines[InnerHorizontal] = {true, 0};
    s.format.horzInterval = 2;
    const auto plan = PlanAll(s, kPage, 5).pages.at(0);
    int vertical = 0, horizontal = 0;
    for (const PlanLine& l : plan.lines) {
        if (l.line.x1() == l.line.x2()) {
            ++vertical;
            EXPECT_EQ(l.style, Qt::DotLine);
        } else {
            ++horizontal;
        }
    }
    EXPECT_EQ(vertical, 2);   // between three columns
    EXPECT_EQ(horizontal, 2); // after records 2 and 4 of 5
}

} // namespace
} // namespace kanata
