#include "printing/ListPrintRun.h"

#include "printing/PdfTextMap.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace kanata {

PageGeometry GeometryOf(const QPaintDevice& device) {
    return {device.width(), device.height(), static_cast<double>(device.logicalDpiX()),
            static_cast<double>(device.logicalDpiY())};
}

int PrintList(QPagedPaintDevice& device, const ListPrintSettings& settings,
              PrintRecordSource& source, long long target,
              const std::function<bool(int, int)>& progress, PrintedGlyphs* glyphs) {
    ListPrintJob job(settings, GeometryOf(device), source, target);
    QPainter painter;
    PagePlan plan;
    bool more = false;
    int pages = 0;
    while (job.planPage(plan, more)) {
        if (pages == 0 && !painter.begin(&device))
            return 0;
        if (pages > 0)
            device.newPage();
        PaintPlan(painter, plan);
        if (glyphs)
            glyphs->addPlan(plan);
        ++pages;
        if (progress && !progress(pages, job.pageCount()))
            break;
        if (!more)
            break;
    }
    if (painter.isActive())
        painter.end();
    return pages;
}

int PrintListToPdfDevice(QPagedPaintDevice& device, const std::filesystem::path& pdf,
                         const ListPrintSettings& settings, PrintRecordSource& source,
                         long long target) {
    PrintedGlyphs glyphs;
    const int pages = PrintList(device, settings, source, target, {}, &glyphs);
    // The file is complete once the painter has ended. Should it not take
    // the corrections, it still holds the printed pages.
    if (pages > 0)
        CorrectPdfFileTextMaps(pdf, glyphs.corrections());
    return pages;
}

namespace {

// The pages into `file`; false when not even a blank page could be made.
bool PaintPdf(const std::filesystem::path& file, const ListPrintSettings& settings,
              PrintRecordSource& source, long long target, const QPageLayout& paper, int& painted) {
    QPdfWriter writer(QString::fromStdString(file.string()));
    writer.setResolution(300);
    writer.setCreator(QStringLiteral("Kanata195"));
    writer.setTitle(QStringLiteral("一覧表データ"));
    writer.setPageLayout(paper);
    painted = PrintListToPdfDevice(writer, file, settings, source, target);
    // An empty list still makes a valid file with one blank page.
    if (painted == 0) {
        QPainter blank;
        if (!blank.begin(&writer))
            return false;
        blank.end();
    }
    return true;
}

} // namespace

// Painted beside the file and renamed over it when whole: a list that fails
// half-way (a server gone) would otherwise leave a shorter list, a valid PDF
// of the pages so far, in place of the one asked for.
bool PrintListToPdf(const std::filesystem::path& file, const ListPrintSettings& settings,
                    PrintRecordSource& source, long long target, const QPageLayout& paper,
                    int* pages) {
    namespace fs = std::filesystem;
    const fs::path partial = file.string() + ".partial";
    std::error_code ec;
    int painted = 0;
    bool made = false;
    try {
        made = PaintPdf(partial, settings, source, target, paper, painted);
    } catch (...) {
        fs::remove(partial, ec);
        throw;
    }
    if (made && fs::exists(partial, ec)) {
        fs::rename(partial, file, ec);
        made = !ec;
    } else {
        made = false;
    }
    if (!made) {
        fs::remove(partial, ec);
        return false;
    }
    if (pages)
        *pages = painted;
    return true;
}

} // namespace kanata
