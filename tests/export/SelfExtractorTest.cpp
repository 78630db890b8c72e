#include "tests/export/ExportFixture.h"
#include "transfer/SfxBuilder.h"

#include <QProcess>

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
                          const std::string& password) {
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    process.start(QString::fromStdString(exe.string()), {});
    process.write(QByteArray::fromStdString(password + "\n"));
    process.closeWriteChannel();
    ExtractorRun run;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

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
