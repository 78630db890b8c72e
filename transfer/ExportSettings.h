#pragma once
// Section "FILE EXPORT" of the settings file: the source, range mode,
// output type, the options and the two layouts.
#include "transfer/ExportItems.h"
#include "transfer/ExportLayout.h"

#include <array>

namespace kanata {

class IniFile;

inline constexpr const char* kFileExportSection = "FILE EXPORT";

enum class ExportRange { Selection = 0, Numeric = 1, All = 2 };
enum class ExportType { Encrypted = 0, Normal = 1 };

struct ExportSettings {
    ExportSource source = ExportSource::History;
    ExportRange range = ExportRange::Selection;
    ExportType type = ExportType::Encrypted;
    ExportOptions options;
    std::array<ExportLayout, 2> layouts; // by source

    const ExportLayout& layout() const { return layouts[static_cast<std::size_t>(source)]; }

    static ExportSettings Read(const IniFile& ini);
    // Deletes all 100 keys of each layout first, then writes one per column.
    void write(IniFile& ini) const;
};

// The output type as the list windows read it on opening.
ExportType ReadExportType(const IniFile& ini);

// The layout keys' prefix of a source: "RecvHisLayout" or "AddMeiboLayout".
const char* ExportLayoutKeyPrefix(ExportSource source);

} // namespace kanata
