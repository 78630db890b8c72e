// mkphonebook: builds the phonebook data (DBT06B, DBT06C, DBT06T) from a
// UTF-8 comma-separated directory file, or checks a built set.
//
//   mkphonebook SOURCE.csv FOLDER   build the set in FOLDER
//   mkphonebook --verify FOLDER     check a set completely
//
// Bad lines are reported with their line numbers and skipped. The old set in
// FOLDER is replaced only once the new one is completely written.
#include "DirectoryCsv.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

int usage() {
    std::cerr << "usage: mkphonebook SOURCE.csv FOLDER\n"
                 "       mkphonebook --verify FOLDER\n";
    return 2;
}

int verify(const std::string& folder) {
    std::string problem = kanata::phonebook::verifySet(folder);
    if (!problem.empty()) {
        std::cerr << folder << ": " << problem << "\n";
        return 1;
    }
    std::cout << folder << ": the set is sound\n";
    return 0;
}

int build(const std::string& source, const std::string& folder) {
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        std::cerr << source << ": cannot be read\n";
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    auto result = kanata::mkphonebook::readDirectoryCsv(text.str());
    for (const auto& bad : result.badLines)
        std::cerr << source << ":" << bad.lineNumber << ": skipped: " << bad.reason << "\n";
    if (result.entries.empty()) {
        std::cerr << source << ": no entries; nothing written\n";
        return 1;
    }
    std::string failure = kanata::phonebook::writeSet(folder, result.entries);
    if (!failure.empty()) {
        std::cerr << folder << ": " << failure << "\n";
        return 1;
    }
    std::cout << result.entries.size() << " entries written to " << folder << ", "
              << result.badLines.size() << " lines skipped\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return usage();
    std::string first = argv[1];
    if (first == "--verify")
        return verify(argv[2]);
    if (first.starts_with("-"))
        return usage();
    return build(first, argv[2]);
}
