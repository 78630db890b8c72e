// mkmtd ITEMSIZE INPUT.txt OUTPUT.mtd: writes an item list from a UTF-8 text
// file, one item per line (blank lines skipped), so shipped lists such as the
// rank template are kept as readable text in the sources.
#include "data/THistoryData.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {
// A fixed date keeps the shipped file the same from build to build.
constexpr double kShippedDate = 36526.0; // 2000-01-01
} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: mkmtd ITEMSIZE INPUT.txt OUTPUT.mtd\n");
        return 2;
    }
    std::ifstream input(argv[2]);
    if (!input) {
        std::fprintf(stderr, "mkmtd: cannot read %s\n", argv[2]);
        return 1;
    }
    try {
        kanata::THistoryData list(argv[3], true, std::stoi(argv[1]));
        std::string line;
        while (std::getline(input, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.find_first_not_of(" \t") == std::string::npos)
                continue;
            list.Add(line, kShippedDate);
        }
        list.Save();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkmtd: %s\n", e.what());
        return 1;
    }
    return 0;
}
