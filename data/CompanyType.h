#pragma once
// The company-type code of the phonebook data, turned into the legal-form
// mark written with the company name (（株）山田商事, 山田商事（株）).
#include <cstddef>
#include <string>
#include <string_view>

namespace kanata {

// Width of CorpKanji in code page 932 bytes.
inline constexpr std::size_t kCorpKanjiWidth = 120;

// The code's second digit selects the mark (1 （株） .. 7 （社）), its first
// digit the place: 0 in front of the name, any other digit behind it. "00",
// another second digit, a code shorter than two characters or one whose
// first two characters are not both digits add no mark. The result is cut
// to the 120 bytes of CorpKanji.
std::string CompanyTypeName(std::string_view code, std::string_view companyName);

} // namespace kanata
