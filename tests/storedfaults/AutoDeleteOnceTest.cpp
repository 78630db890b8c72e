// The automatic deletion of old calls runs when the program starts, and not
// again when the tables are opened anew after a settings change.
#include "app/KanataProgram.h"
#include "data/TDMKanata195.h"
#include "environment/gui/TEnvironment.h"
#include "intake/gui/IntakeFlags.h"
#include "intake/gui/TMainForm.h"
#include "settings/IniFile.h"
#include "settings/WorkFolders.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "tests/support/UserInput.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <gtest/gtest.h>

namespace kanata::test {
namespace {

// One call a month old and one of today in the data folder's history.
void addCalls(const std::filesystem::path& dataFolder) {
    ScriptedMessages quiet;
    TDMKanata195 dm(dataFolder, quiet);
    ASSERT_TRUE(dm.OpenRecvHis());
    for (double age : {30.0, 0.0}) {
        RecvHisRow row;
        row.RecvDateTime = DateTime::fromDays(DateTime::now().toDays() - age);
        row.SchTel = row.Tel = "P";
        ASSERT_TRUE(dm.RecvHis().append(row, quiet));
    }
    dm.CloseRecvHis();
}

TEST(AutoDeleteOnce, ASettingsChangeThatMovesTheTablesDeletesNothing) {
    TempFolders folders;
    QProcess demo;
    demo.start(QString::fromStdString((stageFolder() / "kanata-demo").string()), {});
    ASSERT_TRUE(demo.waitForFinished(60000));
    ASSERT_EQ(demo.exitCode(), 0);
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ASSERT_TRUE(ini.load());
    ini.writeBool("RECEIVE HISTORY", "AutoDel", true);
    ini.writeBool("RECEIVE HISTORY", "AutoDelConfirm", false);
    ini.writeInteger("RECEIVE HISTORY", "DeleteDay", 7);
    ASSERT_TRUE(ini.save());
    const auto first =
        resolveDataFolder(ini.readString("COMMON", "DataPath"), folders.workFolder());
    const auto other = folders.scratch() / "Other";
    addCalls(first.folder);
    addCalls(other);

    ScriptedMessages messages;
    IntakeFlags flags;
    TMainForm form(flags, messages, MainWindowOptions{});
    form.setTrayAvailable(false);
    KanataProgram program(form, flags, messages, stageFolder(), folders.workFolder());
    ASSERT_TRUE(waitUntil([&] { return flags.ReadyForCalls; }));
    EXPECT_EQ(program.dataModule()->RecvHis().count(), 1); // the old call went at start

    program.dialogs().runEnvironment = [&](QDialog& dialog) {
        auto& environment = dynamic_cast<TEnvironment&>(dialog);
        environment.pageGeneral->edtDataPath->setText(QString::fromStdString(other.string()));
        environment.btnSetClick();
        return environment.result() == QDialog::Accepted;
    };
    form.actEnvironment->trigger();
    ASSERT_TRUE(std::filesystem::equivalent(program.dataModule()->dataFolder(), other));
    EXPECT_EQ(program.dataModule()->RecvHis().count(), 2);
    EXPECT_TRUE(messages.shown().empty());
    form.setAskOnClose(false);
}

} // namespace
} // namespace kanata::test
