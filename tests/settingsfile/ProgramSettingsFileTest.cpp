// The settings file, the shipped rank list and the stored call list as the
// running program meets them: the whole program in this process on a private
// work folder, the settings dialog shown modally and answered with clicks.
#include "data/RankTemplate.h"
#include "data/TDMKanata195.h"
#include "intake/gui/TMainForm.h"
#include "settings/IniFile.h"
#include "environment/gui/TEnvironment.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/ProgramInProcess.h"
#include "tests/support/UserInput.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <sys/resource.h>

namespace kanata::test {
namespace {
namespace fs = std::filesystem;

struct ToolRun {
    int exitCode = -1;
    std::string errors;
};

// A tool's exit code and what it wrote to standard error.
ToolRun runForErrors(const char* name, const QStringList& arguments) {
    QProcess tool;
    tool.start(QString::fromStdString((stageFolder() / name).string()), arguments);
    ToolRun run;
    if (!tool.waitForFinished(60000))
        return run;
    run.exitCode = tool.exitCode();
    run.errors = tool.readAllStandardError().toStdString();
    return run;
}

// Shows the settings dialog modally, as the program does, and once it is
// the active modal window lets `answer` look around and click.
std::function<bool(QDialog&)> answerModally(std::function<void(TEnvironment&)> answer) {
    return [answer](QDialog& dialog) {
        auto& environment = dynamic_cast<TEnvironment&>(dialog);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QApplication::activeModalWidget() != &environment)
                return;
            poll.stop();
            answer(environment);
        });
        poll.start(20);
        return environment.exec() == QDialog::Accepted;
    };
}

class ProgramSettingsFile : public ProgramInProcess {
protected:
    fs::path settingsFile = folders.workFolder() / "Kanata195.ini";
};

std::string randomBytes(std::size_t size) {
    std::mt19937 generator(195);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

TEST_F(ProgramSettingsFile, RandomBytesAreReplacedOnlyWhenTheUserConfirms) {
    const std::string original = randomBytes(4096);
    writeFile(settingsFile, original);
    std::string whileOpen;
    bool copyWhileOpen = true;
    messages.expect("使用可能な CD-ROM ドライブが検出できませんでした")
        .expect("設定ファイルが壊れているため")
        .expect("指定したフォルダーが見つかりません", MessageResult::Yes);
    answerSettings = answerModally([&](TEnvironment& dialog) {
        whileOpen = readFile(settingsFile);
        copyWhileOpen = fs::exists(settingsFile.string() + ".damaged");
        QTest::mouseClick(dialog.btnSet, Qt::LeftButton);
    });
    ASSERT_TRUE(start());

    EXPECT_TRUE(whileOpen == original) << "rewritten while the dialog was open";
    EXPECT_FALSE(copyWhileOpen);
    EXPECT_TRUE(readFile(settingsFile.string() + ".damaged") == original);
    IniFile written(settingsFile);
    ASSERT_TRUE(written.load());
    EXPECT_FALSE(written.damaged());
    EXPECT_EQ(written.readString("COMMON", "Port"), "COM1");
    EXPECT_EQ(written.readInteger("ENVIRONMENT", "TipView", -1), 1);
}

TEST_F(ProgramSettingsFile, CancellingOnADamagedFileLeavesItAlone) {
    std::string original = "[COMMON]\r\nAdapter=900\r\n";
    original += std::string(32, '\0');
    writeFile(settingsFile, original);
    messages.expect("使用可能な CD-ROM ドライブが検出できませんでした")
        .expect("設定ファイルが壊れているため")
        .expect("アプリケーションが起動できません", MessageResult::Yes);
    answerSettings = answerModally(
        [](TEnvironment& dialog) { QTest::mouseClick(dialog.btnCancel, Qt::LeftButton); });
    EXPECT_FALSE(start());
    program.reset();
    EXPECT_TRUE(readFile(settingsFile) == original);
    EXPECT_FALSE(fs::exists(settingsFile.string() + ".damaged"));
}

// The build's application folder with a rank template of our own.
fs::path applicationFolderWithRanks(const fs::path& folder, const std::string& rankBytes) {
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(stageFolder()))
        if (entry.path().filename() != "Common")
            fs::create_symlink(entry.path(), folder / entry.path().filename());
    writeFile(RankTemplatePath(folder), rankBytes);
    return folder;
}

TEST_F(ProgramSettingsFile, ATruncatedRankTemplateIsNotCopiedAndIsNamed) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    const fs::path data = folders.workFolder() / "Data";
    fs::remove(data / "Rank.mtd");
    const std::string shipped = readFile(RankTemplatePath(stageFolder()));
    ASSERT_GT(shipped.size(), 20u);
    const fs::path app =
        applicationFolderWithRanks(folders.scratch() / "app", shipped.substr(0, 20));

    messages.expect(RankTemplatePath(app).string());
    ASSERT_TRUE(start(app)) << "a damaged template does not stop the program";
    EXPECT_EQ(messages.shown().at(0).text, RankTemplateDamagedMessage(app));
    EXPECT_EQ(messages.shown().at(0).icon, MessageIcon::Stop);
    EXPECT_FALSE(fs::exists(data / "Rank.mtd"));
    EXPECT_EQ(program->dataModule()->Rank().Count(), 0);
}

TEST_F(ProgramSettingsFile, ASoundRankTemplateIsCopiedWhole) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    const fs::path data = folders.workFolder() / "Data";
    fs::remove(data / "Rank.mtd");
    ASSERT_TRUE(start());
    EXPECT_EQ(readFile(data / "Rank.mtd"), readFile(RankTemplatePath(stageFolder())));
    EXPECT_GT(program->dataModule()->Rank().Count(), 0);
}

TEST_F(ProgramSettingsFile, StoredCallsWithAFourthFieldAreRejectedByLine) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    ASSERT_TRUE(start());
    const fs::path list = folders.scratch() / "calls.txt";
    writeFile(list, "0312345678,20261206,233000\n\nP,20261206,233100,extra\n");
    const ToolRun rejected = runForErrors("ktcall", {"--history", QString::fromStdString(list)});
    EXPECT_EQ(rejected.exitCode, 1);
    EXPECT_NE(rejected.errors.find("3 行目"), std::string::npos) << rejected.errors;

    writeFile(list, "0312345678,20261206,233000\nP,20261206,233100\n");
    EXPECT_EQ(runTool("ktcall", {"--history", QString::fromStdString(list)}), 0);
}

// Files may grow only to a few bytes while it lives: writes fail as on a full
// disk (EFBIG, which the program tells like ENOSPC), also for root.
class FullDisk {
public:
    FullDisk() {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = saved_;
        tiny.rlim_cur = 16;
        ::setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(ProgramSettingsFile, AFullDiskWhileSavingTheSettingsIsToldInJapanese) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    ASSERT_TRUE(start());
    const std::string before = readFile(settingsFile);
    program->dialogs().runEnvironment = answerModally([](TEnvironment& dialog) {
        dialog.chkTipView->setChecked(!dialog.chkTipView->isChecked());
        QTest::mouseClick(dialog.btnSet, Qt::LeftButton);
    });
    messages.expect("ディスクの空き容量が足りません");
    {
        FullDisk full;
        form->actEnvironment->trigger();
    }

    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, IniFile::writeFailureText(settingsFile, EFBIG));
    EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(readFile(settingsFile) == before);
}

} // namespace
} // namespace kanata::test
