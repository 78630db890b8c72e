#include "tests/export/ExportFixture.h"
#include "transfer/SfxBuilder.h"

#include <QProcess>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kanata;
using kanata::test::At;
using kanata::test::ExportFixture;

namespace {

struct ExtractorRun {
    int exitCode = -1;
    QString errors;
};

// Runs a self-extracting file in `folder` with the password on its input.
ExtractorRun runExtractor(const std::filesystem::path& exe, const std::filesystem::path& folder,
                          const std::string& password, const QStringList& arguments = {}) {
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    process.start(QString::fromStdString(exe.string()), arguments);
    process.write(QByteArray::fromStdString(password + "\n"));
    process.closeWriteChannel();
    ExtractorRun run;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// A self-extracting file run on a pseudo-terminal, as a person runs it: each
// answer is typed once the extractor's output shows its prompt.
class TerminalRun {
public:
    TerminalRun(const std::filesystem::path& exe, const std::filesystem::path& folder) {
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            if (chdir(folder.c_str()) == 0)
                execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~TerminalRun() {
        if (master_ >= 0)
            close(master_);
        if (pid_ > 0 && exitCode_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool started() const { return pid_ > 0; }
    // Reads until `prompt` appears (or 30 s pass), then types `answer`.
    bool answer(const std::string& prompt, const std::string& answer) {
        if (!readUntil([&] { return output_.find(prompt) != std::string::npos; }))
            return false;
        output_.clear();
        return write(master_, answer.data(), answer.size()) == static_cast<ssize_t>(answer.size());
    }
    // Reads to the end and returns the exit status (-1 when it did not end).
    int finish() {
        readUntil([] { return false; });
        int status = 0;
        for (int i = 0; i < 300 && exitCode_ < 0; ++i) {
            if (waitpid(pid_, &status, WNOHANG) == pid_)
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            else
                usleep(100000);
        }
        return exitCode_;
    }
    const std::string& output() const { return all_; }

private:
    template <class Done> bool readUntil(Done done) {
        for (int waited = 0; waited < 300 && !done(); ++waited) {
            pollfd fd{master_, POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0)
                continue;
            char buffer[512];
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n <= 0)
                return done(); // the extractor has ended
            output_.append(buffer, static_cast<std::size_t>(n));
            all_.append(buffer, static_cast<std::size_t>(n));
        }
        return done();
    }

    int master_ = -1;
    pid_t pid_ = -1;
    int exitCode_ = -1;
    std::string output_, all_;
};

bool emptyFolder(const std::filesystem::path& folder) {
    return std::filesystem::is_empty(folder);
}

class SelfExtractor : public ExportFixture {
protected:
    std::filesystem::path outFolder = folders.scratch() / "out";
    std::filesystem::path chosen = outFolder / "Rireki.exe";
    std::string text;

    void SetUp() override {
        ExportFixture::SetUp();
        addCall("0312345678", At(2026, 2, 1, 9, 0, 0), "東都物産", "高橋");
        addCall("P", At(2026, 2, 2, 10, 0, 0));
        std::filesystem::create_directories(outFolder);
    }
    // Writes the export into the temporary folder and builds the file, as
    // the list window does.
    int build(const std::string& password, const std::filesystem::path& extractor) {
        const EncryptedOutput files = EncryptedOutput::For(chosen);
        std::filesystem::create_directories(files.tempFolder);
        TempFolderRemoval removal(files.tempFolder);
        ExportWriter writer(dm.RecvHis(), dm.Meibo(), &hyphenation);
        WriteExportFile(writer, job(ExportSource::History, {{0}, {2}, {4, 6}}), files.tempText,
                        false);
        text = test::ReadBytes(files.tempText);
        return BuildSelfExtractor(SfxBuilder(extractor), files, password, nullptr);
    }
};

TEST_F(SelfExtractor, RestoresTheTextByteForByteOnlyWithThePassword) {
    ASSERT_EQ(build("Kanata2026", test::stageFolder() / kSfxExtractorName), kSfxDone);
    EXPECT_FALSE(std::filesystem::exists(outFolder / "Encrypt.Tmp"));
    ASSERT_TRUE(std::filesystem::exists(chosen));
    EXPECT_EQ(test::ReadBytes(chosen).find(cp932::encode("東都物産")), std::string::npos);

    const auto wrongPlace = folders.scratch() / "wrong";
    std::filesystem::create_directories(wrongPlace);
    const ExtractorRun wrong = runExtractor(chosen, wrongPlace, "Kanata2025");
    EXPECT_EQ(wrong.exitCode, 1) << wrong.errors.toStdString();
    EXPECT_TRUE(wrong.errors.contains(QStringLiteral("パスワードが違います")));
    EXPECT_TRUE(emptyFolder(wrongPlace));

    // One flipped byte in the payload (past the extractor program).
    std::string damaged = test::ReadBytes(chosen);
    damaged[damaged.size() - 120] = static_cast<char>(damaged[damaged.size() - 120] ^ 0x01);
    const auto damagedFile = folders.scratch() / "damaged" / "Rireki.exe";
    std::filesystem::create_directories(damagedFile.parent_path());
    std::ofstream(damagedFile, std::ios::binary) << damaged;
    std::filesystem::permissions(damagedFile, std::filesystem::perms::owner_all);
    const ExtractorRun broken = runExtractor(damagedFile, damagedFile.parent_path(), "Kanata2026");
    EXPECT_EQ(broken.exitCode, 2) << broken.errors.toStdString();
    EXPECT_TRUE(broken.errors.contains(QStringLiteral("壊れている")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(damagedFile.parent_path()),
                            std::filesystem::directory_iterator()),
              1);

    const auto restorePlace = folders.scratch() / "restore";
    std::filesystem::create_directories(restorePlace);
    const ExtractorRun right = runExtractor(chosen, restorePlace, "Kanata2026");
    ASSERT_EQ(right.exitCode, 0) << right.errors.toStdString();
    EXPECT_EQ(test::ReadBytes(restorePlace / "Rireki.txt"), text);
    EXPECT_EQ(test::TextLines(text).size(), 3u);
}

TEST_F(SelfExtractor, FailureLeavesNoOutputAndNoTemporaryFolder) {
    std::ofstream(chosen) << "older file";
    EXPECT_EQ(build("Kanata2026", folders.scratch() / "no-extractor"), kSfxNoExtractor);
    EXPECT_FALSE(std::filesystem::exists(outFolder / "Encrypt.Tmp"));
    EXPECT_EQ(test::ReadBytes(chosen), "older file"); // only a finished file replaces it
    EXPECT_EQ(SfxFailureMessage(kSfxDiskFull), "空き容量が足りなかったため出力できませんでした  ");
    EXPECT_EQ(SfxFailureMessage(kSfxNoExtractor), "暗号化出力に失敗しましたRC = 2");
}

TEST_F(SelfExtractor, KeepsAnExistingFileUnlessForcedWhenNoTerminalCanAsk) {
    ASSERT_EQ(build("Kanata2026", test::stageFolder() / kSfxExtractorName), kSfxDone);
    const auto restorePlace = folders.scratch() / "restore";
    std::filesystem::create_directories(restorePlace);
    std::ofstream(restorePlace / "Rireki.txt") << "the user's own file";

    const ExtractorRun kept = runExtractor(chosen, restorePlace, "Kanata2026");
    EXPECT_EQ(kept.exitCode, 4) << kept.errors.toStdString();
    EXPECT_TRUE(kept.errors.contains(QStringLiteral("--force"))) << kept.errors.toStdString();
    EXPECT_EQ(test::ReadBytes(restorePlace / "Rireki.txt"), "the user's own file");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(restorePlace),
                            std::filesystem::directory_iterator()),
              1); // no temporary file left beside it

    const ExtractorRun forced = runExtractor(chosen, restorePlace, "Kanata2026", {"--force"});
    ASSERT_EQ(forced.exitCode, 0) << forced.errors.toStdString();
    EXPECT_EQ(test::ReadBytes(restorePlace / "Rireki.txt"), text);
}

TEST_F(SelfExtractor, AsksOnATerminalBeforeReplacingAFile) {
    ASSERT_EQ(build("Kanata2026", test::stageFolder() / kSfxExtractorName), kSfxDone);
    const auto restorePlace = folders.scratch() / "restore";
    std::filesystem::create_directories(restorePlace);
    std::ofstream(restorePlace / "Rireki.txt") << "the user's own file";

    {
        TerminalRun no(chosen, restorePlace);
        ASSERT_TRUE(no.started());
        ASSERT_TRUE(no.answer("パスワード", "Kanata2026\n")) << no.output();
        ASSERT_TRUE(no.answer("上書きしますか", "n\n")) << no.output();
        EXPECT_EQ(no.finish(), 4) << no.output();
        // The password was never shown on the terminal.
        EXPECT_EQ(no.output().find("Kanata2026"), std::string::npos) << no.output();
        EXPECT_EQ(test::ReadBytes(restorePlace / "Rireki.txt"), "the user's own file");
    }
    TerminalRun yes(chosen, restorePlace);
    ASSERT_TRUE(yes.started());
    ASSERT_TRUE(yes.answer("パスワード", "Kanata2026\n")) << yes.output();
    ASSERT_TRUE(yes.answer("上書きしますか", "y\n")) << yes.output();
    EXPECT_EQ(yes.finish(), 0) << yes.output();
    EXPECT_EQ(test::ReadBytes(restorePlace / "Rireki.txt"), text);
}

TEST_F(SelfExtractor, NeverReplacesItselfEvenWhenForced) {
    // A text named like the extractor, restored in the extractor's folder.
    const EncryptedOutput files = EncryptedOutput::For(chosen);
    EncryptedOutput sameName = files;
    sameName.tempText = files.tempFolder / chosen.filename();
    std::filesystem::create_directories(files.tempFolder);
    std::ofstream(sameName.tempText, std::ios::binary) << "a,b\r\n";
    ASSERT_EQ(BuildSelfExtractor(SfxBuilder(test::stageFolder() / kSfxExtractorName), sameName,
                                 "Kanata2026", nullptr),
              kSfxDone);
    std::filesystem::remove_all(files.tempFolder);
    const std::string extractor = test::ReadBytes(chosen);

    const ExtractorRun forced = runExtractor(chosen, outFolder, "Kanata2026", {"--force"});
    EXPECT_EQ(forced.exitCode, 4) << forced.errors.toStdString();
    EXPECT_TRUE(forced.errors.contains(QStringLiteral("自身"))) << forced.errors.toStdString();
    EXPECT_EQ(test::ReadBytes(chosen), extractor);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(outFolder),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(SfxParameters, BlockCarriesPasswordModeAndFolderAtTheirOffsets) {
    SfxParameterBlock block;
    char name[kSfxNameBufferSize];
    FillSfxParameters(block, name, "Secret99", "/tmp/x/Encrypt.Tmp/Meibo.txt");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&block);
    EXPECT_EQ(std::count(bytes, bytes + 40, 0), 40);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 40), "Secret99");
    EXPECT_EQ(bytes[84], 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 88), "/tmp/x/Encrypt.Tmp/");
    EXPECT_STREQ(name, "Meibo.txt");
    EXPECT_EQ(WithSfxExtension("a/Meibo.csv"), std::filesystem::path("a/Meibo.exe"));
    EXPECT_EQ(WithSfxExtension("a/Meibo"), std::filesystem::path("a/Meibo.exe"));
}

} // namespace
