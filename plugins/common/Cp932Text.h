#pragma once
// UTF-8 to code page 932 for texts the library hands to the program. The
// libraries cannot link the program's text module, so they ask glibc's
// iconv directly; a character code page 932 lacks becomes "?", as the
// program's own encoder does.
#include <string>
#include <string_view>

namespace kanata::adapter {

std::string toCp932(std::string_view utf8);

} // namespace kanata::adapter
