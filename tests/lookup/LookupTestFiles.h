#pragma once
// Small file and process helpers shared by the lookup tests.
#include "tests/support/AdapterTestSupport.h"
#include "tests/support/FileHelpers.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kanata::test {

// Runs the staged mkphonebook with the given arguments.
ToolRun runMkphonebook(const std::vector<std::string>& arguments);

} // namespace kanata::test
