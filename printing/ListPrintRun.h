#pragma once
// Sends a whole printed list to a paged device (a printer or a PDF file):
// every page planned by the job and painted, a new page between pages.
#include "printing/ListPrintJob.h"

#include <filesystem>
#include <functional>

class QPagedPaintDevice;
class QPaintDevice;

namespace kanata {

// The page as the device reports it (its paint area and resolution).
PageGeometry GeometryOf(const QPaintDevice& device);

// Paints every page; `progress` (optional) hears each page number and may
// return false to stop. Returns the pages painted.
int PrintList(QPagedPaintDevice& device, const ListPrintSettings& settings,
              PrintRecordSource& source, long long target,
              const std::function<bool(int page, int pageCount)>& progress = {});

// A list on A4 portrait paper, without device margins, written as PDF.
// False when the file cannot be written.
bool PrintListToPdf(const std::filesystem::path& file, const ListPrintSettings& settings,
                    PrintRecordSource& source, long long target, int* pages = nullptr);

} // namespace kanata
