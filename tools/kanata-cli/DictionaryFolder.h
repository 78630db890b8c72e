#pragma once
// The dictionary folder of the dictionary commands: Dic/ beside the tool, or
// the folder named by --dic DIR.
#include "tools/kanata-cli/CliSupport.h"

#include <filesystem>
#include <string>

namespace kanata {
struct PostalRow;
}

namespace kanata::cli {

std::filesystem::path dictionaryFolder(Arguments& args);
// postal code, prefecture, city, town (an office after its town), JIS code,
// town reading; tab-separated.
std::string postalLine(const PostalRow& row);

} // namespace kanata::cli
