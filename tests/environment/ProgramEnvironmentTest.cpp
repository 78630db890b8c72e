// The settings dialog opened from the menu of the running program: its OK
// moves the tables or re-opens the line.
#include "data/TDMKanata195.h"
#include "environment/gui/TEnvironment.h"
#include "intake/gui/TMainForm.h"
#include "settings/IniFile.h"
#include "tests/support/ProgramInProcess.h"
#include "tests/support/UserInput.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace kanata::test {
namespace {

class ProgramEnvironment : public ProgramInProcess {
protected:
    int dialogs = 0;

    void SetUp() override { startOnDemoData(); }

    void answer(std::function<void(TEnvironment&)> edit) {
        program->dialogs().runEnvironment = [this, edit](QDialog& dialog) {
            ++dialogs;
            auto& environment = dynamic_cast<TEnvironment&>(dialog);
            edit(environment);
            environment.btnSetClick();
            return environment.result() == QDialog::Accepted;
        };
    }
};

TEST_F(ProgramEnvironment, NewDataFolderAndRowCountTakeEffect) {
    const auto other = folders.scratch() / "Other";
    answer([&](TEnvironment& dialog) {
        dialog.pageGeneral->edtDataPath->setText(QString::fromStdString(other.string()));
        dialog.pageScreen->udListMaxCount->setValue(25);
    });
    messages.expect("指定したフォルダーが見つかりません", MessageResult::Yes);
    form->actEnvironment->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(program->settings().ListMaxCount, 25);
    ASSERT_TRUE(std::filesystem::equivalent(program->dataModule()->dataFolder(), other));
    EXPECT_TRUE(std::filesystem::exists(other / "RecvHis.DB"));
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ini.load();
    EXPECT_EQ(ini.readInteger("SCREEN VIEW", "ListMaxCount", 0), 25);
    EXPECT_EQ(ini.readString("COMMON", "DataPath"), other.string() + "/");
}

TEST_F(ProgramEnvironment, OtherLineTypeIsAnnouncedAndTheLineReopened) {
    answer([](TEnvironment& dialog) {
        dialog.pageGeneral->rbOptical->setChecked(true);
        dialog.pageGeneral->cbxOpticalModel->setCurrentIndex(
            dialog.pageGeneral->cbxOpticalModel->findData(901));
    });
    messages.expect("変更内容を有効にするため再設定をおこないます").expect("再設定が完了しました");
    form->actEnvironment->trigger();
    EXPECT_EQ(program->settings().UseType, 1);
    EXPECT_EQ(program->settings().Adapter, 901);
    EXPECT_TRUE(flags.ReadyForCalls);
}

TEST_F(ProgramEnvironment, CancelChangesNothing) {
    program->dialogs().runEnvironment = [this](QDialog& dialog) {
        ++dialogs;
        dynamic_cast<TEnvironment&>(dialog).pageScreen->udListMaxCount->setValue(5);
        dialog.reject();
        return false;
    };
    form->actEnvironment->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(program->settings().ListMaxCount, 200);
}

TEST(ProgramFirstRun, ChoosingNoAdapterStartsWithoutALibrary) {
    TempFolders folders;
    ScriptedMessages messages;
    IntakeFlags flags;
    TMainForm form(flags, messages, MainWindowOptions{});
    form.setTrayAvailable(false);
    bool closed = false;
    QObject::connect(&form, &TMainForm::closed, [&] { closed = true; });
    KanataProgram program(form, flags, messages, stageFolder(), folders.workFolder());
    program.dialogs().runEnvironment = [](QDialog& dialog) {
        auto& environment = dynamic_cast<TEnvironment&>(dialog);
        environment.pageGeneral->rbNone->setChecked(true);
        environment.btnSetClick();
        return environment.result() == QDialog::Accepted;
    };
    messages.expect("使用可能な CD-ROM ドライブが検出できませんでした")
        .expect("動作環境を設定するため環境設定に入ります")
        .expect("指定したフォルダーが見つかりません", MessageResult::Yes);
    ASSERT_TRUE(waitUntil([&] { return flags.ReadyForCalls || closed; }));
    EXPECT_TRUE(flags.ReadyForCalls);
    EXPECT_FALSE(form.actGetRecvHis->isEnabled());
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ini.load();
    EXPECT_EQ(ini.readInteger("COMMON", "UseType", 0), 2);
    EXPECT_EQ(ini.readInteger("COMMON", "Adapter", -1), 0);
    form.setAskOnClose(false);
}

} // namespace
} // namespace kanata::test
