// The fields of an import line on any bytes. The import decodes a line whole
// and splits the text; that must give the fields that splitting the code
// page 932 bytes gives, each decoded, outer quotes taken off only where both
// are quote characters (not the byte after a lead byte).
#include "data/Cp932.h"
#include "transfer/TextFields.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool endsInQuoteCharacter(const std::string& field) {
    std::size_t at = 0;
    while (at + 1 < field.size())
        at += kanata::cp932::isLeadByte(static_cast<unsigned char>(field[at])) ? 2 : 1;
    return at + 1 == field.size() && field.back() == '"';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    // The file reader cuts lines at their ends; no line holds one.
    if (line.find_first_of("\r\n") != std::string_view::npos)
        return 0;
    std::vector<std::string> pieces =
        kanata::SplitFields(line, kanata::CountSeparators(line), kanata::SplitMode::Quoted);
    for (std::string& piece : pieces) {
        if (piece.size() >= 2 && piece.front() == '"' && endsInQuoteCharacter(piece))
            piece = piece.substr(1, piece.size() - 2);
        piece = kanata::cp932::decode(piece);
    }
    std::vector<std::string> fields;
    kanata::SplitRecordFields(kanata::cp932::decode(line), fields);
    if (fields != pieces)
        std::abort();
    return 0;
}
