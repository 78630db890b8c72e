#include "platform/DurableFile.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/TempFolders.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace kanata;
namespace fs = std::filesystem;

namespace {

// Writes beyond `bytes` fail with EFBIG for as long as this lives: a full
// disk for the file being written, without a file system of our own.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldSignal_)(int) = SIG_DFL;
};

class DurableFile : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder);
        test::writeFile(target, oldContent);
    }

    // Everything in the folder, hidden names included.
    std::vector<std::string> namesInFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempFolders folders;
    const fs::path folder = folders.scratch() / "files";
    const fs::path target = folder / "Kanata195.ini";
    const std::string oldContent = "[COMMON]\r\nUseType=1\r\n";
};

// Every byte value, and more than is gathered before a write reaches the disk.
std::string binaryContent(std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i)
        bytes.push_back(static_cast<char>((i * 7 + i / 256) & 0xFF));
    return bytes;
}

TEST_F(DurableFile, ReplacesTheContentExactlyAndLeavesOnlyTheTarget) {
    const std::string bytes = binaryContent(200000);
    EXPECT_FALSE(writeFileDurably(target, bytes));
    EXPECT_EQ(test::readFile(target), bytes);

    const fs::path fresh = folder / "Rank.mtd";
    EXPECT_FALSE(writeFileDurably(fresh, ""));
    EXPECT_TRUE(fs::is_regular_file(fresh));
    EXPECT_EQ(fs::file_size(fresh), 0u);
    EXPECT_EQ(namesInFolder(), (std::vector<std::string>{"Kanata195.ini", "Rank.mtd"}));
}

TEST_F(DurableFile, PiecesAreWrittenInOrder) {
    const std::string bytes = binaryContent(300000);
    DurableFileWriter writer(target);
    for (std::size_t at = 0; at < bytes.size(); at += 1000)
        ASSERT_TRUE(writer.write(std::string_view(bytes).substr(at, 1000)));
    // Not in place before it is published.
    EXPECT_EQ(test::readFile(target), oldContent);
    ASSERT_TRUE(writer.publish());
    EXPECT_EQ(test::readFile(target), bytes);
    EXPECT_EQ(namesInFolder(), std::vector<std::string>{"Kanata195.ini"});
}

TEST_F(DurableFile, AFullDiskKeepsTheOldFileAndNoTemporary) {
    {
        FileSizeLimit limit(4096);
        // One large write, and many small ones that fail when gathered.
        EXPECT_EQ(writeFileDurably(target, std::string(100000, 'x')).value(), EFBIG);
        DurableFileWriter writer(target);
        bool written = true;
        for (int i = 0; i < 1000 && written; ++i)
            written = writer.write(std::string(100, 'y'));
        EXPECT_FALSE(written && writer.publish());
        EXPECT_EQ(writer.error().value(), EFBIG);
    }
    EXPECT_EQ(test::readFile(target), oldContent);
    EXPECT_EQ(namesInFolder(), std::vector<std::string>{"Kanata195.ini"});
}

TEST_F(DurableFile, AWriterGivenUpOnRemovesItsTemporary) {
    {
        DurableFileWriter writer(target, {.temporary = folder / "Kanata195.ini.part"});
        ASSERT_TRUE(writer.write("half a download"));
        ASSERT_TRUE(writer.finish());
    }
    EXPECT_EQ(test::readFile(target), oldContent);
    EXPECT_EQ(namesInFolder(), std::vector<std::string>{"Kanata195.ini"});
}

TEST_F(DurableFile, ARefusedRenameKeepsWhatWasThere) {
    const fs::path occupied = folder / "Meibo.txt";
    test::writeFile(occupied / "inside.txt", "kept");
    const std::error_code error = writeFileDurably(occupied, "text");
    EXPECT_EQ(error.value(), EISDIR);
    EXPECT_EQ(test::readFile(occupied / "inside.txt"), "kept");
    EXPECT_EQ(namesInFolder(), (std::vector<std::string>{"Kanata195.ini", "Meibo.txt"}));
}

TEST_F(DurableFile, AFixedTemporaryNameReplacesALeftoverButNotAFolder) {
    const fs::path temporary = folder / "Kanata195.ini.tmp";
    test::writeFile(temporary, "left by an interrupted write, longer than the new content");
    EXPECT_FALSE(writeFileDurably(target, "new", {.temporary = temporary}));
    EXPECT_EQ(test::readFile(target), "new");
    EXPECT_FALSE(fs::exists(temporary));

    fs::create_directories(temporary);
    EXPECT_EQ(writeFileDurably(target, "newer", {.temporary = temporary}).value(), EEXIST);
    EXPECT_EQ(test::readFile(target), "new");
    EXPECT_TRUE(fs::is_directory(temporary));
}

TEST_F(DurableFile, PermissionsAreKeptWhenAsked) {
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_FALSE(writeFileDurably(target, "kept mode", {.keepPermissions = true}));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(DurableFile, RenameMovesAFolderAndReportsARefusal) {
    const fs::path from = folder / "1", to = folder / "2";
    test::writeFile(from / "RecvHis.DB", "table");
    EXPECT_FALSE(renameDurably(from, to));
    EXPECT_EQ(test::readFile(to / "RecvHis.DB"), "table");
    EXPECT_EQ(renameDurably(from, to).value(), ENOENT);
    EXPECT_TRUE(flushPath(to));
    EXPECT_FALSE(flushPath(from));
}

} // namespace
