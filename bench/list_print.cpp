// Printing a 10,000-call history list: the whole list rendered to PDF
// through the same page planning and painting the printer gets, and the
// preview's paging (each page planned from its first record and painted
// scaled onto a screen-sized image, as the preview window does).
#include "bench/BenchSupport.h"
#include "data/RecvHisTable.h"
#include "printing/ListPrintRun.h"
#include "printing/PrintPageSettings.h"
#include "printing/TablePrintSources.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace kanata::bench {
namespace {

constexpr int kCalls = 10000;

QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "bench_list_print";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    return app;
}

struct History {
    std::filesystem::path folder = FreshFolder();
    RecvHisTable table;
    History() {
        table.open(folder);
        sql::Database& db = table.table().database();
        sql::Transaction tx(db);
        sql::Statement insert(db, "INSERT INTO RecvHis (RecNo, AxsDateTime, RecvDateTime, "
                                  "RecvWeek, SchTel, Tel, CorpKanji, NameKanji, Division) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        const double start = DateTime{2026, 1, 1, 8, 0, 0, 0}.toDays();
        for (int k = 0; k < kCalls; ++k) {
            const auto when = DateTime::fromDays(start + k * (7.0 / 1440));
            const std::string number = "03" + std::to_string(10000000 + k);
            insert.reset();
            insert.bind(1, k).bind(2, when.toText()).bind(3, when.toText());
            insert.bind(4, DayOfWeek(when)).bind(5, number);
            insert.bind(6,
                        "03-" + std::to_string(1000 + k % 9000) + "-" + std::to_string(1000 + k));
            insert.bind(7, "株式会社かなた商事 第" + std::to_string(k) + "営業所");
            insert.bind(8, "山田太郎").bind(9, k % 2 ? "1" : "0");
            insert.step();
        }
        tx.commit();
    }
    ~History() {
        table.close();
        std::filesystem::remove_all(folder);
    }
};

ListPrintSettings Settings() {
    ListPrintSettings s;
    s.format.title = "着信対応履歴";
    s.format.lines[TopEdge] = s.format.lines[BottomEdge] = {true, 1};
    s.format.lines[LeftEdge] = s.format.lines[RightEdge] = {true, 1};
    s.format.lines[InnerVertical] = {true, 3};
    s.format.dataColours = {0xFFF4E8, 0xFFFFFF};
    s.format.headerColourExists = true;
    s.format.headerColour = 0xD0D0D0;
    s.items = HistoryPrintItems({"内容", "メモ", "受付"});
    s.layout = {{1, 5}, {2, 10}, {3, 8}, {4, 13}, {6, 40}, {8, 14}, {9, 4}};
    s.date = QDate(2026, 12, 7);
    return s;
}

void BM_HistoryListToPdf(benchmark::State& state) {
    App();
    History history;
    const auto out = history.folder / "list.pdf";
    int pages = 0;
    for (auto _ : state) {
        HistoryPrintSource source(history.table, nullptr, PrintChoice{}, false);
        PrintListToPdf(out, Settings(), source, kCalls, DefaultListPageLayout(), &pages);
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] = benchmark::Counter(
        static_cast<double>(pages), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_HistoryListToPdf)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_PreviewPaging(benchmark::State& state) {
    App();
    History history;
    std::vector<std::vector<std::string>> records;
    HistoryPrintSource loader(history.table, nullptr, PrintChoice{}, false);
    while (auto r = loader.next())
        records.push_back(std::move(*r));
    VectorRecordSource source(std::move(records));
    const PageGeometry a4At1200{9921, 14031, 1200, 1200};
    QImage screen(620, 877, QImage::Format_RGB32); // A4 at about 75 %
    int pages = 0;
    for (auto _ : state) {
        source.rewind();
        ListPrintJob probe(Settings(), a4At1200, source, kCalls);
        pages = probe.pageCount();
        for (int page = 1; page <= pages; ++page) {
            source.rewind();
            ListPrintJob job(Settings(), a4At1200, source, kCalls);
            job.startAtPage(page);
            PagePlan plan;
            bool more = false;
            job.planPage(plan, more);
            screen.fill(Qt::white);
            QPainter painter(&screen);
            painter.scale(screen.width() / 9921.0, screen.height() / 14031.0);
            PaintPlan(painter, plan);
        }
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] = benchmark::Counter(
        static_cast<double>(pages), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PreviewPaging)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
} // namespace kanata::bench
