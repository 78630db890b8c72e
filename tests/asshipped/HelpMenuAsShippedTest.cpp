// The help and option commands of the menu window: the notices kept from
// the last start, the user manual (also with F1 from any window) and the
// companion utility.
#include "app/HelpMenu.h"
#include "data/Cp932.h"
#include "maintenance/gui/TInfoDialog.h"
#include "settings/IniFile.h"
#include "tests/asshipped/FileOpenerStandIn.h"
#include "tests/asshipped/ShippedProgram.h"
#include "tests/support/UserInput.h"
#include "views/gui/TReceiveView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <fstream>

namespace kanata::test {
namespace {

class HelpMenuAsShipped : public ShippedProgram {};

TEST_F(HelpMenuAsShipped, NoticesShowTheKeptNoticeAndTakeTheSwitches) {
    editSettings([](IniFile& ini) { ini.writeBool("COMMON", "Info", true); });
    ASSERT_TRUE(start());
    {
        std::filesystem::create_directories(folders.workFolder() / "info");
        std::ofstream out(folders.workFolder() / "info" / "info.dat", std::ios::binary);
        out << cp932::encode("2026/12/01\r\n年末年始の営業のお知らせ");
    }
    QString shownText;
    WhenModal<TInfoDialog> notices([&shownText](TInfoDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("お知らせ"));
        shownText = dialog.memInfo->toPlainText();
        EXPECT_TRUE(dialog.chkInfo->isChecked());
        click(dialog.chkInfo);
        click(dialog.btnOK);
    });
    form->actInfo->trigger();
    ASSERT_TRUE(notices.ran());
    EXPECT_TRUE(shownText.contains(QStringLiteral("年末年始の営業のお知らせ")))
        << shownText.toStdString();
    EXPECT_FALSE(program->settings().Info);
    EXPECT_FALSE(settingsFile().readBool("COMMON", "Info", true));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(HelpMenuAsShipped, TheManualOpensFromTheMenuAndWithF1FromACallView) {
    ASSERT_TRUE(start());
    const auto manual = manualFile(stageFolder());
    ASSERT_TRUE(std::filesystem::is_regular_file(manual));
    ASSERT_TRUE(std::filesystem::is_regular_file(manual.parent_path() / "screenshots" /
                                                 "receive-view-mini.png"));
    FileOpenerStandIn desktop;
    form->actTopic->trigger();
    ASSERT_EQ(desktop.opened, QStringList{QString::fromStdString(manual.string())});

    ASSERT_EQ(runTool("ktcall", {QStringLiteral("0312345000")}), 0);
    TReceiveView* view = nullptr;
    ASSERT_TRUE(waitUntil([&view] { return (view = visibleWindow<TReceiveView>()) != nullptr; }));
    ASSERT_TRUE(QTest::qWaitForWindowActive(view));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_EQ(desktop.opened.size(), 2);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(HelpMenuAsShipped, AMissingUtilityIsToldByName) {
    ASSERT_TRUE(start());
    ASSERT_FALSE(std::filesystem::exists(utilityProgram(stageFolder())));
    messages.expect("KTUtil195』が見つかりません");
    form->actUtility->trigger();
    EXPECT_TRUE(messages.allAnswered());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].icon, MessageIcon::Information);
}

} // namespace
} // namespace kanata::test
