#pragma once
// The page-jump entry: what a typed page number becomes.
#include <string_view>

namespace kanata {

// The page a typed text stands for: `lastValid` when the text, trimmed, is
// empty, not all ASCII digits, or outside 1..total.
int ValidJumpPage(std::string_view text, int lastValid, int total);

// A step of the up-down keys, held to 1..total.
int StepJumpPage(int page, int delta, int total);

} // namespace kanata
