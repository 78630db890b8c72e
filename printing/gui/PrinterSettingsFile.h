#pragma once
// The printer chosen for printed lists and its settings, kept in
// "LstPrint.pi" beside the settings file: the printer's name and the
// settings Qt keeps for it. They are restored only while that printer is
// still installed; otherwise the current printer and its settings stay.
#include <filesystem>

class QPrinter;

namespace kanata {

inline constexpr const char* kPrinterSettingsFileName = "LstPrint.pi";

bool AnyPrinterInstalled();
void SavePrinterSettings(const std::filesystem::path& file, const QPrinter& printer);
// True when the stored printer was found and its settings applied.
bool RestorePrinterSettings(const std::filesystem::path& file, QPrinter& printer);

} // namespace kanata
