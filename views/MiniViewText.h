#pragma once
// The four lines of the compact call view.
#include <array>
#include <string>

namespace kanata {

struct CallRecord;
class HyphenationService;

// Number, address, company, name. A reason code shows as its text; any
// other number hyphenated (when a service is given).
std::array<std::string, 4> MiniViewLines(const CallRecord& record,
                                         const HyphenationService* hyphenation);

} // namespace kanata
