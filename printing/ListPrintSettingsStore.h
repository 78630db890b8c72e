#pragma once
// What the settings file holds for printed lists, read and written in one
// place: the format of "LIST PRINT", the layouts in use of both sources and
// the names of the selection items the history's items 11 to 13 carry.
#include "printing/ListPrintJob.h"

#include <array>
#include <optional>
#include <string>

namespace kanata {

class IniFile;

std::array<std::string, 3> SelectionItemNames(const IniFile& settings);

// The layout in use for `source`; nullopt when none (or none readable) is
// stored.
std::optional<PrintLayout> StoredLayout(const IniFile& settings, PrintSource source);

// Format, layout in use, item list and today's date for `source`.
ListPrintSettings LoadListPrintSettings(const IniFile& settings, PrintSource source);

} // namespace kanata
