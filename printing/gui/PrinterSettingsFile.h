#pragma once
// The printer chosen for printed lists and its settings, kept in
// "LstPrint.pi" beside the settings file: the printer's name (or the PDF
// file printed to), its paper, orientation and margins, colour and duplex.
// A named printer is restored only while it is still installed; otherwise
// the current printer and its settings stay.
#include "printing/PrintPageSettings.h"

#include <filesystem>

class QPrinter;

namespace kanata {

bool AnyPrinterInstalled();
void SavePrinterSettings(const std::filesystem::path& file, const QPrinter& printer);
// True when the stored printer was found and its settings applied.
bool RestorePrinterSettings(const std::filesystem::path& file, QPrinter& printer);

} // namespace kanata
