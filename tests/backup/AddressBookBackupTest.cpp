// The address book that stands in for the roster, copied under the data
// folder before the program uses it.
#include "maintenance/AddressBookBackup.h"
#include "data/AddressBook.h"
#include "lookup/PhonebookEditions.h"
#include "maintenance/TableFileCopy.h"
#include "maintenance/gui/AddressBookBackupAtStart.h"
#include "maintenance/gui/TBackupPb.h"
#include "settings/Registry.h"
#include "settings/GlobalSettings.h"
#include "settings/IniFile.h"
#include "tests/support/ProgramRun.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>

namespace kanata::test {
namespace {

namespace fs = std::filesystem;

class AddressBookBackup : public ::testing::Test {
protected:
    TempFolders folders;
    Registry registry{Registry::defaultPath()};
    fs::path install() const { return folders.root() / "pb"; }
    fs::path data() const { return folders.workFolder() / "Data"; }
    fs::path copied() const { return data() / "backup.PbAdrs" / "Adrs" / "本社"; }

    void SetUp() override {
        const fs::path book = AddressBookFolder(install(), "本社");
        fs::create_directories(book);
        CreateAddressBook(book);
        std::ofstream(book / "memo.txt") << "note";
        fs::create_directories(data());
        ASSERT_TRUE(registry.writeString(PhonebookAppPathsKey(PhonebookEditionAt(0)), "@",
                                         (install() / "PBK2026A.exe").string()));
    }
    GlobalSettings settings() const {
        GlobalSettings s;
        s.UsePbAdrs = true;
        s.PbSeries = 0;
        s.PbAdrsBook = 0;
        s.PbAdrsBookName = "本社";
        return s;
    }
};

TEST_F(AddressBookBackup, TheBookInUseIsCopiedWhole) {
    ASSERT_TRUE(BackupAddressBook(registry, 0, 0, data()));
    std::string why;
    EXPECT_TRUE(tableFileIsSound(copied() / "Adrs.DB", why)) << why;
    EXPECT_TRUE(fs::exists(copied() / "memo.txt"));
    EXPECT_FALSE(BackupAddressBook(registry, 0, 3, data())) << "no fourth book";
    EXPECT_FALSE(BackupAddressBook(registry, 1, 0, data())) << "edition not installed";
}

TEST_F(AddressBookBackup, TheQuestionAtStartDecides) {
    QString shownBook;
    const auto answer = [&shownBook](const char* button) {
        return [&shownBook, button](TBackupPb& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("番号名鑑データのバックアップ確認"));
            for (QLabel* label : dialog.findChildren<QLabel*>())
                if (label->text() == QStringLiteral("本社"))
                    shownBook = label->text();
            dialog.show();
            QPushButton* chosen = QString::fromUtf8(button) == "yes" ? dialog.btnYes : dialog.btnNo;
            QTest::mouseClick(chosen, Qt::LeftButton);
            return dialog.result() == QDialog::Accepted;
        };
    };
    EXPECT_TRUE(backUpAddressBookAtStart(settings(), registry, data(), nullptr, answer("no")));
    EXPECT_FALSE(fs::exists(copied()));
    EXPECT_TRUE(backUpAddressBookAtStart(settings(), registry, data(), nullptr, answer("yes")));
    EXPECT_TRUE(fs::exists(copied() / "Adrs.DB"));
    EXPECT_EQ(shownBook, QStringLiteral("本社"));
}

TEST_F(AddressBookBackup, TheProgramCopiesTheBookWhenItStarts) {
    ProgramRun run(folders, stageFolder());
    ASSERT_TRUE(run.prepareDemo());
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ASSERT_TRUE(ini.load());
    ini.writeBool("USE PBADRS", "UsePbAdrs", true);
    ini.writeString("USE PBADRS", "PbAdrsBookName", "本社");
    ASSERT_TRUE(ini.save());
    ASSERT_TRUE(run.start()) << run.log().toStdString();
    EXPECT_TRUE(run.stop());
    std::string why;
    EXPECT_TRUE(tableFileIsSound(copied() / "Adrs.DB", why)) << why << run.log().toStdString();
}

} // namespace
} // namespace kanata::test
