// The whole program in this process: the menu window and the start-up
// processing on a private work folder, with the build's adapter libraries,
// message boxes answered from a script.
#include "data/AddressBook.h"
#include "data/TDMKanata195.h"
#include "environment/gui/TEnvironment.h"
#include "intake/gui/TCallsTelephone.h"
#include "intake/gui/TMainForm.h"
#include "intake/gui/TPasswordForm.h"
#include "intake/gui/TSetIPPBXDetail.h"
#include "intake/gui/TVersion.h"
#include "lookup/PhonebookEditions.h"
#include "settings/IniFile.h"
#include "settings/Registry.h"
#include "tests/support/ProgramInProcess.h"
#include "tests/support/UserInput.h"
#include "views/gui/TReceiveView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace kanata::test {
namespace {

// Answers the settings dialog with "設定(&S)", after `edit` changed it.
std::function<bool(QDialog&)> acceptSettings(std::function<void(TEnvironment&)> edit = {}) {
    return [edit](QDialog& dialog) {
        auto& environment = dynamic_cast<TEnvironment&>(dialog);
        if (edit)
            edit(environment);
        environment.btnSetClick();
        return environment.result() == QDialog::Accepted;
    };
}

using ProgramStartup = ProgramInProcess;

TEST_F(ProgramStartup, FirstRunLeadsIntoTheSettingsAndStillStarts) {
    messages.expect("使用可能な CD-ROM ドライブが検出できませんでした")
        .expect("動作環境を設定するため環境設定に入ります")
        .expect("指定したフォルダーが見つかりません", MessageResult::Yes);
    answerSettings = acceptSettings();
    ASSERT_TRUE(start());
    // No model chosen yet: no line, and no adapter history to read.
    EXPECT_FALSE(form->actGetRecvHis->isEnabled());
    EXPECT_TRUE(std::filesystem::exists(folders.workFolder() / "Data" / "RecvHis.DB"));
    EXPECT_TRUE(std::filesystem::exists(folders.workFolder() / "Data" / "Rank.mtd"));
}

TEST_F(ProgramStartup, WithoutAnAdapterNoLibraryIsLoaded) {
    editSettings([](IniFile& ini) { ini.writeInteger("COMMON", "UseType", 2); });
    messages.expect("使用可能な CD-ROM ドライブが検出できませんでした")
        .expect("環境情報に変更がありました")
        .expect("KTComm3.so LoadLibrary Error")
        .expect("アナログ/INS64回線対応機器情報が取得できませんでした")
        .expect("指定したフォルダーが見つかりません", MessageResult::Yes);
    answerSettings = acceptSettings();
    // The application folder holds no adapter library at all.
    ASSERT_TRUE(start(folders.scratch()));
    EXPECT_FALSE(form->actGetRecvHis->isEnabled());
}

TEST_F(ProgramStartup, MissingAdapterLibraryEndsTheProgram) {
    messages.expect("KTComm3.so LoadLibrary Error");
    EXPECT_FALSE(start(folders.scratch()));
    EXPECT_TRUE(closed);
}

TEST_F(ProgramStartup, IncomingCallPopsUpTheViewAndRegistersTheCaller) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    ASSERT_TRUE(start());

    ASSERT_EQ(runTool("ktcall", {"0355550000"}), 0);
    ASSERT_TRUE(waitUntil([] { return visibleWindow<TReceiveView>() != nullptr; }));
    TReceiveView* view = visibleWindow<TReceiveView>();
    EXPECT_EQ(view->edtTel1->text(), QStringLiteral("03-5555-0000"));
    EXPECT_EQ(view->pnlDivision->text(), QStringLiteral("新規"));
    EXPECT_FALSE(form->indicator()); // the call popped up instead

    view->edtCorpKanji->setText(QStringLiteral("東都物産株式会社"));
    view->edtNameKanji->setText(QStringLiteral("高橋一郎"));
    view->btnRegister->click();

    TDMKanata195* dm = program->dataModule();
    ASSERT_TRUE(dm->OpenMeibo());
    const auto roster = dm->Meibo().read({});
    dm->CloseMeibo();
    const auto found = std::find_if(roster.begin(), roster.end(),
                                    [](const MeiboRow& r) { return r.SchTel1 == "0355550000"; });
    ASSERT_NE(found, roster.end());
    EXPECT_EQ(found->CorpKanji, "東都物産株式会社");
    EXPECT_EQ(found->Tel1, "03-5555-0000");

    ASSERT_TRUE(dm->OpenRecvHis());
    const auto history = dm->RecvHis().find(0);
    dm->CloseRecvHis();
    ASSERT_TRUE(history.has_value());
    EXPECT_EQ(history->NameKanji, "高橋一郎");
    EXPECT_EQ(history->Tel, "03-5555-0000");
}

// Answers the password dialog once it is open: `typed` then OK. The timer
// belongs to the test, so nothing is left pending when the test ends.
class PasswordAnswer {
public:
    explicit PasswordAnswer(const QString& typed) {
        QObject::connect(&timer_, &QTimer::timeout, [this, typed] {
            auto* form = qobject_cast<TPasswordForm*>(QApplication::activeModalWidget());
            if (!form)
                return;
            timer_.stop();
            ++asked;
            form->edtPassword->setText(typed);
            form->btnOkClick();
        });
        timer_.start(20);
    }
    int asked = 0;

private:
    QTimer timer_;
};

std::size_t historyCount(TDMKanata195& dm) {
    TableUse use(dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
    return use ? static_cast<std::size_t>(dm.RecvHis().table().count()) : 0;
}

TEST_F(ProgramStartup, ChangedAdapterSettingsReopenTheLineOnTheOtherLibrary) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    ASSERT_TRUE(start());
    GlobalSettings changed = program->settings();
    changed.UseType = 1; // KTComm3ip.so and its simulator
    changed.Adapter = 901;
    messages.expect("再設定が完了しました");
    ASSERT_TRUE(program->applySettings(changed));
    EXPECT_TRUE(flags.ReadyForCalls);

    ASSERT_EQ(runTool("ktcall", {"0312345678"}), 0);
    EXPECT_TRUE(waitUntil([this] { return historyCount(*program->dataModule()) == 1; }));
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ini.load();
    EXPECT_EQ(ini.readInteger("COMMON", "UseType", 0), 1);
    EXPECT_EQ(ini.readInteger("COMMON", "Adapter", 0), 901);
}

TEST_F(ProgramStartup, ALineThatCannotReopenTellsTheUserToRestart) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    ASSERT_TRUE(start());
    const std::filesystem::path missing = folders.scratch() / "no-such-modem";
    setenv("KANATA_COM9", missing.c_str(), 1);
    GlobalSettings changed = program->settings();
    changed.Adapter = 800; // the caller-ID modem
    changed.Port = "COM9";
    messages.expect("通信ポートがオープンできません")
        .expect("アプリケーションを再起動してください");
    EXPECT_FALSE(program->applySettings(changed));
    unsetenv("KANATA_COM9");
}

TEST_F(ProgramStartup, ChangedDataFolderMovesTheTables) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    ASSERT_TRUE(start());
    const std::filesystem::path other = folders.scratch() / "OtherData";
    std::filesystem::create_directories(other);
    GlobalSettings changed = program->settings();
    changed.DataPath = other.string() + "/";
    EXPECT_TRUE(program->applySettings(changed));
    ASSERT_TRUE(std::filesystem::equivalent(program->dataModule()->dataFolder(), other));

    ASSERT_EQ(runTool("ktcall", {"0312345678"}), 0);
    EXPECT_TRUE(waitUntil([this] { return historyCount(*program->dataModule()) == 1; }));
    EXPECT_TRUE(std::filesystem::exists(other / "RecvHis.DB"));
}

TEST_F(ProgramStartup, StartUpServicesRunInTheirPlace) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    editSettings([](IniFile& ini) { ini.writeBool("AUTO BACKUP", "AutoBU", true); });
    int backups = 0;
    bool tablesOpenAtBackup = false;
    configure = [&](ProgramDialogs& d) {
        d.noticesAndUpdate = [](GlobalSettings& s) {
            s.Info = false; // the notices window changed its own settings
            return false;
        };
        d.autoBackup = [&](const GlobalSettings&) {
            ++backups;
            tablesOpenAtBackup = program->dataModule() != nullptr;
        };
    };
    ASSERT_TRUE(start());
    EXPECT_EQ(backups, 1);
    EXPECT_TRUE(tablesOpenAtBackup);
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ini.load();
    EXPECT_FALSE(ini.readBool("COMMON", "Info", true)); // written back at once
}

TEST_F(ProgramStartup, AnUpdateThatNeedsARestartEndsTheStart) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    configure = [](ProgramDialogs& d) {
        d.noticesAndUpdate = [](GlobalSettings&) { return true; };
    };
    EXPECT_FALSE(start());
    EXPECT_TRUE(closed);
}

TEST_F(ProgramStartup, PasswordSetByTheCommandIsAskedAtStart) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    ASSERT_EQ(runTool("kanata-password", {}, "Himitsu1\n"), 0);
    QProcess status;
    status.start(QString::fromStdString((stageFolder() / "kanata-password").string()),
                 {"--status"});
    status.waitForFinished();
    EXPECT_EQ(status.readAllStandardOutput().trimmed(), QByteArray("set"));

    PasswordAnswer answer(QStringLiteral("Himitsu1"));
    ASSERT_TRUE(start());
    EXPECT_EQ(answer.asked, 1);
}

TEST_F(ProgramStartup, AMissingAddressBookLeadsIntoTheSettings) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    editSettings([](IniFile& ini) {
        ini.writeBool("USE PBADRS", "UsePbAdrs", true);
        ini.writeString("USE PBADRS", "PbAdrsBookName", "本社");
    });
    messages.expect("登録名簿として指定中の番号名鑑に");
    // The user gives up the link to go on.
    answerSettings = acceptSettings(
        [](TEnvironment& dialog) { dialog.pagePhonebook->chkUsePbAdrs->setChecked(false); });
    EXPECT_TRUE(start());
    EXPECT_FALSE(program->settings().UsePbAdrs);
}

TEST_F(ProgramStartup, CallerFromTheAddressBookIsStoredAsKnown) {
    // An installed edition of the phonebook product with one address book.
    const std::filesystem::path install = folders.scratch() / "pbk";
    const std::filesystem::path book = AddressBookFolder(install, "本社");
    std::filesystem::create_directories(book);
    CreateAddressBook(book);
    {
        TDMPbarea pbarea(messages);
        ASSERT_TRUE(pbarea.OpenAddressBook(book));
        AddressBookRow entry;
        entry.Tel = "0455551111";
        entry.CorpKanji = "横浜港運株式会社";
        entry.NameKanji = "小林誠";
        entry.Keyword6 = "Ａランク";
        ASSERT_TRUE(pbarea.Write(entry).has_value());
        pbarea.CloseAddressBook();
    }
    Registry registry;
    ASSERT_TRUE(registry.writeString(PhonebookAppPathsKey(PhonebookEditionAt(0)), "@",
                                     (install / "PBK2026A.exe").string()));
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    editSettings([](IniFile& ini) {
        ini.writeBool("USE PBADRS", "UsePbAdrs", true);
        ini.writeString("USE PBADRS", "PbAdrsBookName", "本社");
        ini.writeBool("OPERATION", "RecvViewPopup", false);
    });
    ASSERT_TRUE(start());

    ASSERT_EQ(runTool("ktcall", {"0455551111"}), 0);
    ASSERT_TRUE(waitUntil([this] { return historyCount(*program->dataModule()) == 1; }));
    TDMKanata195* dm = program->dataModule();
    ASSERT_TRUE(dm->OpenRecvHis());
    const auto row = dm->RecvHis().find(0);
    dm->CloseRecvHis();
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->Tel, "045-555-1111");
    EXPECT_EQ(row->CorpKanji, "横浜港運株式会社");
    EXPECT_EQ(row->Division, "1");
    EXPECT_EQ(row->Rank, "Ａランク");

    // The roster action starts the product after its confirmation.
    const std::filesystem::path started = folders.scratch() / "started";
    {
        std::ofstream product(install / "PBK2026A.exe");
        product << "#!/bin/sh\ntouch '" << started.string() << "'\n";
    }
    std::filesystem::permissions(install / "PBK2026A.exe", std::filesystem::perms::owner_all);
    QString asked;
    program->dialogs().runPhonebook = [&asked](QDialog& dialog) {
        asked = dialog.windowTitle();
        return true;
    };
    form->actMeiboList->trigger();
    EXPECT_EQ(asked, QStringLiteral("番号名鑑の起動確認"));
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(started); }));
}

QString ktcallOutput(const QStringList& arguments) {
    QProcess tool;
    tool.start(QString::fromStdString((stageFolder() / "ktcall").string()), arguments);
    tool.waitForFinished(30000);
    return QString::fromUtf8(tool.readAllStandardOutput());
}

TEST_F(ProgramStartup, DiallingBackFromTheCallViewReachesTheAdapter) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    ASSERT_TRUE(start());
    ASSERT_EQ(runTool("ktcall", {"0355550000"}), 0);
    ASSERT_TRUE(waitUntil([] { return visibleWindow<TReceiveView>() != nullptr; }));
    TReceiveView* view = visibleWindow<TReceiveView>();

    messages.expect("「03-5555-0000」に電話をかけます", MessageResult::Yes);
    WhenModal<TCallsTelephone> dial([](TCallsTelephone& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("発信"));
        EXPECT_EQ(d.cbxTelNo->currentText(), QStringLiteral("03-5555-0000"));
        EXPECT_TRUE(d.grpPort->isVisible());
        EXPECT_FALSE(d.grpExtension->isVisible());
        EXPECT_EQ(d.cbxPort->currentText(), QStringLiteral("ポート１"));
        QTest::mouseClick(d.btnDial, Qt::LeftButton);
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    QTest::mouseClick(view->btnDial1, Qt::LeftButton);
    EXPECT_TRUE(dial.ran());
    EXPECT_EQ(ktcallOutput({"--dialled"}).trimmed(), QStringLiteral("1,0355550000"));
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.readInteger("CALL TELEPHONE", "AnalogPort", -1), 0);
}

TEST_F(ProgramStartup, IpPbxDetailsFromTheSettingsReopenTheLine) {
    ASSERT_EQ(runTool("kanata-demo", {"--ip"}), 0);
    ASSERT_TRUE(start());
    messages.expect("正しいIPアドレスを入力してください")
        .expect("入力した内容で再設定します", MessageResult::Yes)
        .expect("設定が完了しました")
        .expect("再設定が完了しました");
    WhenModal<TSetIPPBXDetail> details([](TSetIPPBXDetail& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("詳細設定"));
        // Typing waits until the window has taken the focus it opens with.
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        d.edtHost->clear();
        QTest::keyClicks(d.edtHost, QStringLiteral("192.168.01.20"));
        QTest::mouseClick(d.btnSet, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible()) << "stays open on a wrong address";
        d.edtHost->clear();
        QTest::keyClicks(d.edtHost, QStringLiteral("192.168.1.20"));
        QTest::keyClick(d.edtHost, Qt::Key_Return); // Enter moves on
        EXPECT_EQ(QApplication::focusWidget(), d.field(IpPbxField::Telno));
        QTest::keyClicks(d.field(IpPbxField::Telno), QStringLiteral("0312345678"));
        d.field(IpPbxField::User)->setText(QStringLiteral("201"));
        QTest::mouseClick(d.btnSet, Qt::LeftButton);
    });
    program->dialogs().runEnvironment = [&details](QDialog& dialog) {
        auto& environment = dynamic_cast<TEnvironment&>(dialog);
        environment.show();
        QTest::mouseClick(environment.pageGeneral->btnIpDetails, Qt::LeftButton);
        EXPECT_TRUE(details.ran());
        environment.btnSetClick();
        return environment.result() == QDialog::Accepted;
    };
    form->actEnvironment->trigger();
    IniFile ip(folders.workFolder() / "KTComm3ip.ini");
    ASSERT_TRUE(ip.load());
    EXPECT_EQ(ip.readString("IPPBX", "Host"), "192.168.1.20");
    EXPECT_EQ(ip.readString("IPPBX", "Telno"), "0312345678");
    EXPECT_EQ(ip.readString("IPPBX", "User"), "201");
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(ProgramStartup, VersionWindowCarriesTheDataCredits) {
    ASSERT_EQ(runTool("kanata-demo", {}), 0);
    ASSERT_TRUE(start());
    WhenModal<TVersion> version([](TVersion& v) {
        EXPECT_EQ(v.windowTitle(), QStringLiteral("バージョン情報"));
        EXPECT_TRUE(
            v.memCredits->toPlainText().contains(QStringLiteral("© OpenStreetMap contributors")));
        QTest::mouseClick(v.btnOK, Qt::LeftButton);
    });
    form->actVersion->trigger();
    EXPECT_TRUE(version.ran());
}

} // namespace
} // namespace kanata::test
