#pragma once
// What an import checks before it runs, shared by the dialog and the
// command line: the sample (first) line of the file, the mapping's required
// items and the number of records.
#include "transfer/ImportMapping.h"
#include "transfer/TextFields.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kanata {

class IniFile;

struct ImportSample {
    std::vector<std::string> fields; // UTF-8, outer quotes kept
    TextEncoding encoding = TextEncoding::Cp932;
    bool unmarkedUtf8 = false; // UTF-8 recognised without a byte-order mark
};

// What the dialog and the command line say of a file read as UTF-8 though
// it has no byte-order mark.
inline constexpr const char* kUnmarkedUtf8Notice =
    "指定したテキストファイルはBOM（バイトオーダーマーク）のないUTF-8で書かれています  \r\n"
    "UTF-8として読み込みます  ";

enum class SampleProblem { None, IsErrorLog, Empty, Unreadable, LineTooLong, Utf16 };

// Reads the first line of `file` into `sample`.
SampleProblem LoadImportSample(const std::filesystem::path& file,
                               const std::filesystem::path& dataFolder, ImportSample& sample);
// The message of a problem (empty for None).
std::string SampleProblemText(SampleProblem problem);

// The first reason the mapping cannot be imported, or an empty text.
std::string MappingProblem(ImportDestination destination, const ImportMapping& mapping);

// The records an import will read (lines less the skipped first one), and
// the message when there is none.
long long ImportRecordCount(const std::filesystem::path& file, bool skipFirst);
inline constexpr const char* kOnlyOneLineMessage =
    "指定したテキストファイルには  \r\n内容が１件しかありませんでした  ";

// The captions of the three selection items as configured.
SelectionCaptions ReadSelectionCaptions(const IniFile& settings);

} // namespace kanata
