// The layer check is what keeps a lower folder from including a higher one;
// these run it on the project itself and on small trees that break the
// order in each way it knows.
#include "tests/support/ShellCommand.h"
#include "tests/support/TempFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

using kanata::test::CommandResult;

CommandResult runLayerCheck(const fs::path& tree, const std::string& extra = {}) {
    const fs::path script = kanata::test::sourceFolder() / "cmake" / "LayerCheck.cmake";
    return kanata::test::runCaptured("cmake -DSOURCE_DIR='" + tree.string() + "' " + extra +
                                     " -P '" + script.string() + "'");
}

void writeFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// Three folders, ground first, with a document that lists them alike.
class SmallTree : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = folders_.scratch() / "tree";
        writeFile(root_ / "cmake" / "Layers.cmake", "set(KANATA_LAYERS base middle\n    top)\n");
        writeFile(root_ / "docs" / "architecture.md",
                  "1. `base/` — ground\n2. `middle/` — between\n3. `top/` — the program\n");
        writeFile(root_ / "base" / "A.h", "#include <string>\n");
        writeFile(root_ / "middle" / "B.cpp", "#include \"base/A.h\"\n");
        writeFile(root_ / "middle" / "gui" / "W.h", "#include \"middle/B.h\"\n");
        writeFile(root_ / "top" / "gui" / "C.cpp",
                  "#include \"middle/gui/W.h\"\n#include \"base/A.h\"\n");
    }
    kanata::test::TempFolders folders_;
    fs::path root_;
};

TEST(LayerCheck, TheProjectKeepsItsOrder) {
    const CommandResult result = runLayerCheck(kanata::test::sourceFolder());
    EXPECT_EQ(result.status, 0) << result.output;
}

TEST_F(SmallTree, IncludesDownwardAndWithinAFolderPass) {
    const CommandResult result = runLayerCheck(root_);
    EXPECT_EQ(result.status, 0) << result.output;
}

TEST_F(SmallTree, AnIncludeOfAHigherFolderFailsNamingTheFile) {
    writeFile(root_ / "base" / "A.cpp", "#include \"base/A.h\"\n  #  include \"top/C.h\"\n");
    const CommandResult result = runLayerCheck(root_);
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.output.find("base/A.cpp: includes top/C.h"), std::string::npos)
        << result.output;
}

TEST_F(SmallTree, LogicIncludingAWindowHeaderFails) {
    writeFile(root_ / "middle" / "D.cpp", "#include \"middle/gui/W.h\"\n");
    const CommandResult result = runLayerCheck(root_);
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.output.find("middle/D.cpp: logic includes the window header"),
              std::string::npos)
        << result.output;
}

TEST_F(SmallTree, ADocumentInAnotherOrderFails) {
    writeFile(root_ / "docs" / "architecture.md",
              "1. `middle/` — between\n2. `base/` — ground\n3. `top/` — the program\n");
    const CommandResult result = runLayerCheck(root_);
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.output.find("docs/architecture.md lists the folders"), std::string::npos)
        << result.output;
}

TEST_F(SmallTree, TheMatrixCountsEveryInclude) {
    const CommandResult result = runLayerCheck(root_, "-DMATRIX=ON");
    ASSERT_EQ(result.status, 0) << result.output;
    // top/ includes middle/ once and base/ once.
    EXPECT_NE(result.output.find("top          1     1     ."), std::string::npos) << result.output;
}

} // namespace
