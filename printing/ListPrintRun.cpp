#include "printing/ListPrintRun.h"

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
              const std::function<bool(int, int)>& progress) {
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

bool PrintListToPdf(const std::filesystem::path& file, const ListPrintSettings& settings,
                    PrintRecordSource& source, long long target, int* pages) {
    QPdfWriter writer(QString::fromStdString(file.string()));
    writer.setResolution(300);
    writer.setCreator(QStringLiteral("Kanata195"));
    writer.setTitle(QStringLiteral("一覧表データ"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    const int painted = PrintList(writer, settings, source, target);
    if (pages)
        *pages = painted;
    // An empty list still makes a valid file with one blank page.
    if (painted == 0) {
        QPainter blank;
        if (!blank.begin(&writer))
            return false;
        blank.end();
    }
    return std::filesystem::exists(file);
}

} // namespace kanata
