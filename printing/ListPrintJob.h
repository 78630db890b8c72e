#pragma once
// Lays out a printed list page by page: the title band, the date and the
// page number, the header row of column captions and one block of rows per
// record, with background colours and ruled lines. Each call plans one
// page; the caller paints it on whatever device it prints to.
#include "printing/PageMetrics.h"
#include "printing/PagePlan.h"
#include "printing/PrintLayout.h"
#include "printing/PrintRecordSource.h"

#include <QDate>
#include <QFont>

#include <optional>
#include <string>
#include <vector>

namespace kanata {

struct ListPrintSettings {
    PrintFormat format;
    PrintLayout layout;
    std::vector<PrintItem> items; // the source's item list (captions)
    QDate date;                   // the date printed
};

// "%4d/%2.d/%2.d" as the printed date has always looked ("2026/12/ 6").
QString PrintedDateText(const QDate& date);

// The text lines of `text` that fit in `width` pixels, wrapped at word
// boundaries where possible and anywhere else otherwise, at most `maxLines`.
std::vector<QString> WrapToLines(const QString& text, const QFont& font, double width,
                                 int maxLines);

class ListPrintJob {
public:
    // `target`: how many records the job prints (fewer when the source
    // runs out first).
    ListPrintJob(ListPrintSettings settings, const PageGeometry& page, PrintRecordSource& source,
                 long long target);

    int recordsPerPage() const { return recordsPerPage_; }
    int pageCount() const { return pageCount_; }
    // The page the next call of planPage() lays out (from 1).
    int nextPage() const { return page_; }
    long long printed() const { return printed_; }

    // Passes over the records of the pages before `page` (from 1), so that
    // the next planPage() lays out that page.
    void startAtPage(int page);

    // Plans the next page; false once nothing is left to print (the plan
    // then stays empty). `more` tells whether a further page follows.
    bool planPage(PagePlan& plan, bool& more);

private:
    struct Column {
        int item;
        double x, width;
    };
    void measure();
    void layOutColumns();
    double planHeadings(PagePlan& plan);
    void planHeader(PagePlan& plan, double y);
    void planRecord(PagePlan& plan, const std::vector<std::string>& values, double y, int onPage);
    void addLine(PagePlan& plan, RuledLine position, QLineF line, int towards);
    bool fetch();

    ListPrintSettings s_;
    PageGeometry page_geometry_;
    PrintRecordSource& source_;
    long long target_;
    QFont body_, title_;
    double lineH_ = 0, cw_ = 0, half_ = 0, titleLineH_ = 0;
    double left_ = 0, top_ = 0, tableRight_ = 0;
    std::vector<Column> columns_;
    int recordsPerPage_ = 1;
    int pageCount_ = 0;
    int page_ = 1;
    long long printed_ = 0;
    std::optional<std::vector<std::string>> pending_; // the next record, read ahead
    bool fetched_ = false;
};

} // namespace kanata
