#pragma once
// The sixteen custom colours the colour dialog of the list print offers,
// kept in "CstmClr.ini", section "COMMON", keys "ColorA" to "ColorP", each as
// six hexadecimal digits in the stored colour order (0xBBGGRR).
#include <array>
#include <cstdint>
#include <filesystem>

namespace kanata {

using PrintCustomColours = std::array<std::uint32_t, 16>;

PrintCustomColours ReadPrintCustomColours(const std::filesystem::path& file);
bool WritePrintCustomColours(const std::filesystem::path& file, const PrintCustomColours& colours);

} // namespace kanata
