#pragma once
// A data folder with its item lists, a hyphenation service and helpers to
// write import files and run imports, for the import tests.
#include "data/Cp932.h"
#include "data/Hyphenation.h"
#include "lookup/AddressSupplement.h"
#include "tests/support/DataFolderTest.h"
#include "tests/support/FileHelpers.h"
#include "transfer/ImportRun.h"
#include "transfer/ImportTextFile.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kanata::test {

// Writes UTF-8 lines as a code page 932 file with CR LF, or as UTF-8 with a
// byte-order mark.
inline void writeLines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                       bool utf8Bom = false) {
    std::ofstream out(path, std::ios::binary);
    if (utf8Bom)
        out << "\xEF\xBB\xBF";
    for (const std::string& line : lines)
        out << (utf8Bom ? line : cp932::encode(line)) << "\r\n";
}

// The file a spreadsheet saves as "Unicode text": UTF-16 with its mark, in
// little-endian order unless asked otherwise. The lines are ASCII.
inline void writeUtf16Lines(const std::filesystem::path& path,
                            const std::vector<std::string>& lines, bool bigEndian = false) {
    std::ofstream out(path, std::ios::binary);
    out << (bigEndian ? "\xFE\xFF" : "\xFF\xFE");
    for (const std::string& line : lines)
        for (const char c : line + "\r\n") {
            const char pair[2] = {bigEndian ? '\0' : c, bigEndian ? c : '\0'};
            out.write(pair, 2);
        }
}

class ImportFixture : public DataFolderTest {
protected:
    std::filesystem::path input = folders.scratch() / "input.csv";
    HyphenationService hyphenation;
    NoAddressSupplement noSupplement;

    void SetUp() override {
        std::filesystem::create_directories(dataFolder);
        dm.LoadItemLists(folders.scratch() / "app");
        hyphenation.Load(stageFolder() / "Dic", messages);
    }

    // A mapping of item n to field n - 1 for the first `items` items.
    static ImportMapping inOrder(int itemCount, int items) {
        ImportMapping mapping(itemCount);
        for (int item = 1; item <= items; ++item)
            mapping.set(item, MappingSlot::forField(item - 1, "x"));
        return mapping;
    }

    ImportResult import(ImportDestination destination, const ImportMapping& mapping,
                        bool skipFirst = false, bool sameReplace = false,
                        AddressSupplement* supplement = nullptr) {
        ImportRequest request;
        request.destination = destination;
        request.file = input;
        request.mapping = mapping;
        ImportTextFile file;
        std::string first;
        EXPECT_TRUE(file.open(input));
        file.readLine(first);
        request.sampleFieldCount = CountSeparators(first, file.encoding()) + 1;
        request.skipFirst = skipFirst;
        request.sameReplace = sameReplace;
        request.noSupplement = supplement == nullptr;
        ImportRun run(dm, hyphenation, supplement ? *supplement : noSupplement, messages);
        return run.run(request);
    }

    std::string errorLog() const { return cp932::decode(readFile(dataFolder / "InError.txt")); }
};

} // namespace kanata::test
