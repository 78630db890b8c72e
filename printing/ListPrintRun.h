#pragma once
// Sends a whole printed list to a paged device (a printer or a PDF file):
// every page planned by the job and painted, a new page between pages.
#include "printing/ListPrintJob.h"

#include <QPageLayout>

#include <filesystem>
#include <functional>

class QPagedPaintDevice;
class QPaintDevice;

namespace kanata {

class PrintedGlyphs;

// The page as the device reports it (its paint area and resolution).
PageGeometry GeometryOf(const QPaintDevice& device);

// Paints every page; `progress` (optional) hears each page number and may
// return false to stop; `glyphs` (optional) notes the text printed. Returns
// the pages painted.
int PrintList(QPagedPaintDevice& device, const ListPrintSettings& settings,
              PrintRecordSource& source, long long target,
              const std::function<bool(int page, int pageCount)>& progress = {},
              PrintedGlyphs* glyphs = nullptr);

// Paints every page into a printer or PDF writer that writes to `pdf`, and
// then makes the file's text read as printed (see PdfTextMap.h). Returns the
// pages painted.
int PrintListToPdfDevice(QPagedPaintDevice& device, const std::filesystem::path& pdf,
                         const ListPrintSettings& settings, PrintRecordSource& source,
                         long long target);

// A list on `paper` (its size, orientation and margins), written as PDF.
// False when the file cannot be written. What `source` throws is thrown on,
// and the file is left as it was.
bool PrintListToPdf(const std::filesystem::path& file, const ListPrintSettings& settings,
                    PrintRecordSource& source, long long target, const QPageLayout& paper,
                    int* pages = nullptr);

} // namespace kanata
