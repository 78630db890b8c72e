#pragma once
// Multi-line fields (links, notes) are stored as one text with CR LF
// between the lines and shown as a list of lines.
#include <string>
#include <vector>

namespace kanata {

// Lines split at CR LF, CR or LF; a last empty line is dropped.
std::vector<std::string> SplitLines(const std::string& text);
std::string JoinLines(const std::vector<std::string>& lines);

} // namespace kanata
