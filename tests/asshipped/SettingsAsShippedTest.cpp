// The settings as a user changes them: from the menu window, through the
// settings dialog's own controls, until the program has ended and the
// settings file is read back.
#include "data/AddressBook.h"
#include "data/TDMKanata195.h"
#include "environment/gui/TEnvironment.h"
#include "lookup/PhonebookEditions.h"
#include "platform/SingleInstance.h"
#include "settings/Registry.h"
#include "tests/asshipped/ShippedProgram.h"
#include "tests/support/FileHelpers.h"
#include "tests/support/UserInput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace kanata::test {
namespace {

constexpr int kOperationPage = 1;
constexpr int kScreenPage = 4;
constexpr int kPhonebookPage = 7;

void showPage(TEnvironment& dialog, int page) {
    QTabBar* tabs = dialog.pgcEnvironment->tabBar();
    clickAt(tabs, tabs->tabRect(page).center());
}

// The next entry of a list field, chosen with the arrow key as a user
// does without opening the list.
void chooseNext(QComboBox* box) {
    box->setFocus(Qt::TabFocusReason);
    QTest::keyClick(box, Qt::Key_Down);
}

using SettingsAsShipped = ShippedProgram;

TEST_F(SettingsAsShipped, ChangesMadeInTheDialogAndTheMenuAreAppliedAndWrittenAtExit) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(form->isVisible()); // the demo shows the menu window
    chooseFromMenu(form.get(), QStringLiteral("オプション(&O)"), form->actMenuTopMost);
    ASSERT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    WhenModal<TEnvironment> answer([](TEnvironment& dialog) {
        // The menu's own change shows in the dialog.
        EXPECT_TRUE(dialog.pageScreen->chkMenuVisible->isChecked());
        EXPECT_TRUE(dialog.pageScreen->chkMenuTopMost->isChecked());
        EXPECT_TRUE(dialog.pageScreen->chkCloseMsg->isChecked());
        showPage(dialog, kScreenPage);
        click(dialog.pageScreen->chkCloseMsg);
        click(dialog.pageScreen->chkMenuTopMost);
        showPage(dialog, kOperationPage);
        click(dialog.pageOperation->chkWindowsEnd);
        click(dialog.btnSet);
    });
    clickToolButton(2);
    ASSERT_TRUE(answer.ran());
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // No question any more: the exit button just ends the program.
    clickToolButton(3);
    EXPECT_TRUE(waitUntil([this] { return closed; }, 5000));
    endProgram();

    const IniFile ini = settingsFile();
    EXPECT_FALSE(ini.readBool("SCREEN VIEW", "CloseMsg", true));
    // Off is the default: an absent key reads as off, and only keys that
    // differ from what the file reads are written.
    EXPECT_FALSE(ini.readBool("SCREEN VIEW", "MenuTopMost", false));
    EXPECT_TRUE(ini.readBool("SCREEN VIEW", "MenuVisible", false));
    EXPECT_FALSE(ini.readBool("OPERATION", "WindowsEnd", true));
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(SettingsAsShipped, SessionEndAsksAccordingToTheChangedSetting) {
    ASSERT_TRUE(start());
    WhenModal<TEnvironment> answer([](TEnvironment& dialog) {
        showPage(dialog, kOperationPage);
        click(dialog.pageOperation->chkWindowsEnd);
        click(dialog.btnSet);
    });
    clickToolButton(2);
    ASSERT_TRUE(answer.ran());
    // The session ends without a question.
    EXPECT_TRUE(form->queryEndSession());
    EXPECT_TRUE(closed);
}

TEST_F(SettingsAsShipped, NoAdapterHidesTheFunctionIndicatorsWithTheirCaptions) {
    ASSERT_TRUE(start());
    WhenModal<TEnvironment> answer([](TEnvironment& dialog) {
        const QList<QLabel*> indicators = {
            dialog.pageGeneral->lblHistoryCaption, dialog.pageGeneral->lblHistoryFunction,
            dialog.pageGeneral->lblDialCaption, dialog.pageGeneral->lblDialFunction};
        for (QLabel* label : indicators)
            EXPECT_TRUE(label->isVisible());
        click(dialog.pageGeneral->rbNone);
        for (QLabel* label : indicators)
            EXPECT_FALSE(label->isVisible()) << label->text().toStdString();
        click(dialog.btnCancel);
    });
    clickToolButton(2);
    EXPECT_TRUE(answer.ran());
}

TEST_F(SettingsAsShipped, ASecondStartShowsTheHiddenMenuForThisRunOnly) {
    editSettings([](IniFile& ini) { ini.writeBool("SCREEN VIEW", "MenuVisible", false); });
    // A desktop with a notification area, where the menu can be hidden.
    ASSERT_TRUE(start([](TMainForm& menu) { menu.setTrayAvailable(true); }));
    EXPECT_FALSE(form->isVisible());

    SingleInstance first(folders.workFolder());
    first.setBringForwardHandler([this] { form->bringForward(); });
    ASSERT_TRUE(first.acquire());
    {
        SingleInstance second(folders.workFolder());
        EXPECT_FALSE(second.acquire());
    }
    EXPECT_TRUE(waitUntil([this] { return form->isVisible(); }, 5000));
    endProgram();
    EXPECT_FALSE(settingsFile().readBool("SCREEN VIEW", "MenuVisible", true));
}

TEST_F(SettingsAsShipped, AMenuKeptOnScreenForLackOfANotificationAreaIsNotStoredAsShown) {
    editSettings([](IniFile& ini) { ini.writeBool("SCREEN VIEW", "MenuVisible", false); });
    ASSERT_TRUE(start([](TMainForm& menu) { menu.setTrayAvailable(false); }));
    EXPECT_TRUE(form->isVisible());
    endProgram();
    EXPECT_FALSE(settingsFile().readBool("SCREEN VIEW", "MenuVisible", true));
}

TEST_F(SettingsAsShipped, ANewPhonebookDriveIsSearchedWithoutARestart) {
    const std::filesystem::path drive = folders.scratch() / "disc";
    ASSERT_EQ(
        runTool("mkphonebook",
                {QString::fromStdString((sourceFolder() / "tools/mkphonebook/sample.csv").string()),
                 QString::fromStdString((drive / "Kanata195").string())}),
        0);
    ASSERT_TRUE(start());
    WhenModal<TEnvironment> answer([&drive](TEnvironment& dialog) {
        typeInto(dialog.pageGeneral->cbxDrive, QString::fromStdString(drive.string()));
        click(dialog.btnSet);
    });
    clickToolButton(2);
    ASSERT_TRUE(answer.ran());
    EXPECT_EQ(settingsFile().readString("COMMON", "CD"), drive.string());

    ASSERT_EQ(runTool("ktcall", {QStringLiteral("0355550101")}), 0);
    TDMKanata195& dm = *program->dataModule();
    std::optional<RecvHisRow> stored;
    EXPECT_TRUE(waitUntil([&] {
        TableUse use(dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        stored = dm.RecvHis().find(0);
        return stored.has_value();
    }));
    ASSERT_TRUE(stored.has_value());
    EXPECT_NE((stored->CorpKanji + stored->NameKanji).find("見本商事"), std::string::npos);
}

TEST_F(SettingsAsShipped, StartAtLoginWritesAndRemovesTheAutostartEntry) {
    ASSERT_TRUE(start());
    const std::filesystem::path entry = folders.configHome() / "autostart" / "kanata195.desktop";
    WhenModal<TEnvironment> turnOn([](TEnvironment& dialog) {
        showPage(dialog, kOperationPage);
        // Off by default.
        EXPECT_FALSE(dialog.pageOperation->chkStartAtLogin->isChecked());
        click(dialog.pageOperation->chkStartAtLogin);
        click(dialog.btnSet);
    });
    clickToolButton(2);
    ASSERT_TRUE(turnOn.ran());
    const std::string text = readFile(entry);
    EXPECT_NE(text.find("[Desktop Entry]"), std::string::npos) << text;
    // The desktop starts this program, by its full path.
    EXPECT_NE(text.find("Exec=\"" + (stageFolder() / "kanata195").string() + "\"\n"),
              std::string::npos)
        << text;

    WhenModal<TEnvironment> turnOff([](TEnvironment& dialog) {
        showPage(dialog, kOperationPage);
        EXPECT_TRUE(dialog.pageOperation->chkStartAtLogin->isChecked());
        click(dialog.pageOperation->chkStartAtLogin);
        click(dialog.btnSet);
    });
    clickToolButton(2);
    ASSERT_TRUE(turnOff.ran());
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(SettingsAsShipped, ANewPhonebookLinkIsOfferedABackupBeforeTheReopenedLineIsReported) {
    // An installed edition of the phonebook product with one address book.
    const std::filesystem::path install = folders.scratch() / "pbk";
    std::filesystem::create_directories(AddressBookFolder(install, "本社"));
    CreateAddressBook(AddressBookFolder(install, "本社"));
    Registry registry;
    ASSERT_TRUE(registry.writeString(PhonebookAppPathsKey(PhonebookEditionAt(0)), "@",
                                     (install / "PBK2026A.exe").string()));
    ASSERT_TRUE(start());
    const std::string portBefore = program->settings().Port;

    messages.expect("変更内容を有効にするため再設定をおこないます")
        .expect("アドレス帳のバックアップをおこないますか", MessageResult::No)
        .expect("再設定が完了しました");
    WhenModal<TEnvironment> answer([](TEnvironment& dialog) {
        // Another port for the line, and the address book as the roster.
        showPage(dialog, 0);
        chooseNext(dialog.pageGeneral->cbxPort);
        showPage(dialog, kPhonebookPage);
        click(dialog.pagePhonebook->chkUsePbAdrs);
        if (dialog.pagePhonebook->cbxPbAdrsBook->currentIndex() < 0)
            chooseNext(dialog.pagePhonebook->cbxPbAdrsBook);
        click(dialog.btnSet);
    });
    chooseFromMenu(form.get(), QStringLiteral("オプション(&O)"), form->actEnvironment);
    ASSERT_TRUE(answer.ran());
    EXPECT_TRUE(messages.allAnswered());
    EXPECT_NE(program->settings().Port, portBefore);
    EXPECT_TRUE(program->settings().UsePbAdrs);
    EXPECT_EQ(program->settings().PbAdrsBookName, "本社");
}

} // namespace
} // namespace kanata::test
