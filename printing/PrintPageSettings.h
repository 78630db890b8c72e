#pragma once
// The paper of printed lists as "LstPrint.pi" keeps it beside the settings
// file (section "PRINTER"): the paper size, its orientation and the margins
// the user chose for the printer. The list print dialog writes them with
// the printer's name; the command line prints its PDF files on this paper.
#include <QPageLayout>

#include <filesystem>

namespace kanata {

class IniFile;

inline constexpr const char* kPrinterSettingsFileName = "LstPrint.pi";
inline constexpr const char* kPrinterSection = "PRINTER";
// Printers cut what lies closer to the edge than a few millimetres.
inline constexpr double kDefaultListMarginMm = 10;

// A4 portrait with the default margins.
QPageLayout DefaultListPageLayout();
// The stored paper; what is absent or out of range is taken from the default.
QPageLayout ReadListPageLayout(const IniFile& file);
// The same, read from the file beside the settings file (the default when
// there is none).
QPageLayout ReadListPageLayout(const std::filesystem::path& file);
void WriteListPageLayout(IniFile& file, const QPageLayout& layout);

} // namespace kanata
