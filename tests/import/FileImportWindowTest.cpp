// The import dialog as a user meets it: the running program's menu opens
// it, clicks and keys drive it, and the tables and files show the result.
#include "data/TDMKanata195.h"
#include "intake/gui/TMainForm.h"
#include "settings/IniFile.h"
#include "tests/import/ImportFixture.h"
#include "tests/import/ModalScript.h"
#include "tests/support/ProgramInProcess.h"
#include "tests/support/UserInput.h"
#include "transfer/gui/TConstantInput.h"
#include "transfer/gui/TFileImport.h"
#include "transfer/gui/TSetOrderView.h"

#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

namespace kanata::test {
namespace {

class FileImportWindow : public ProgramInProcess {
protected:
    std::filesystem::path input = folders.scratch() / "contacts.csv";

    void SetUp() override { startOnDemoData(); }
    std::filesystem::path dataFolder() const { return folders.workFolder() / "Data"; }

    // Opens the dialog from the menu and runs `steps` on it.
    void openFromMenu(std::function<void(TFileImport&)> steps) {
        ModalScript<TFileImport> script([&](TFileImport& dialog) {
            EXPECT_EQ(dialog.parentWidget(), form.get());
            EXPECT_TRUE(dialog.isModal());
            steps(dialog);
        });
        form->actFileImport->trigger();
        EXPECT_TRUE(script.ran());
    }

    static void typeFile(TFileImport& dialog, const std::filesystem::path& path) {
        dialog.edtFile->clear();
        QTest::keyClicks(dialog.edtFile, QString::fromStdString(path.string()));
        QTest::keyClick(dialog.edtFile, Qt::Key_Return);
    }
    static QString cell(QTableWidget* grid, int row, int column) {
        QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text() : QString();
    }
    static void clickCell(QTableWidget* grid, int row, int column, bool twice = false) {
        const QRect rect = grid->visualRect(grid->model()->index(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
        if (twice)
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    }
    std::vector<MeiboRow> roster() {
        TDMKanata195* dm = program->dataModule();
        EXPECT_TRUE(dm->OpenMeibo());
        auto rows = dm->Meibo().read({});
        dm->CloseMeibo();
        return rows;
    }
};

TEST_F(FileImportWindow, HeaderNamesMapARosterFileThatImportsWithBackupAndLog) {
    writeLines(input, {
                          "電話番号,名称,名前カナ,住所,備考",
                          "0355501111,\"株式会社 東西,物産\",ﾄｳｻﾞｲ,東京都港区芝公園,初回",
                          "0312345678,重複商事,ｼﾞｭｳﾌｸ,,",
                          "0355502222,南北商会,ﾅﾝﾎﾞｸ,大阪府大阪市北区,",
                      });
    openFromMenu([&](TFileImport& dialog) {
        QTest::mouseClick(dialog.rbRoster, Qt::LeftButton);
        EXPECT_EQ(dialog.lblBackup1->text(),
                  QStringLiteral("取り込み前データは 「backupMB.imp」 という"));
        EXPECT_TRUE(dialog.chkSameReplace->isEnabled());
        EXPECT_FALSE(dialog.btnImport->isEnabled());
        typeFile(dialog, input);
        ASSERT_EQ(dialog.sgSrc->rowCount(), 5);
        EXPECT_EQ(cell(dialog.sgSrc, 1, 0), QStringLiteral("  2"));
        EXPECT_EQ(cell(dialog.sgSrc, 1, 1), QStringLiteral("名称"));

        messages.expect("取り込む項目にまとめてセットします", MessageResult::Yes);
        QTest::mouseClick(dialog.btnAutoSet, Qt::LeftButton);
        EXPECT_TRUE(dialog.chkSkipRecord->isChecked());
        EXPECT_EQ(cell(dialog.sgDest, kRosTel1 - 1, 1), QStringLiteral("電話番号"));
        EXPECT_EQ(cell(dialog.sgDest, kRosCorpKanji - 1, 1), QStringLiteral("名称"));
        EXPECT_EQ(cell(dialog.sgDest, kRosAdrs1 - 1, 1), QStringLiteral("住所"));
        EXPECT_EQ(cell(dialog.sgDest, kRosNote - 1, 1), QStringLiteral("備考"));

        messages.expect("テキストファイルの取り込みを開始します", MessageResult::Yes);
        messages.expect("読込件数 : 3 件\r\n登録件数 : 2 件");
        QTest::mouseClick(dialog.btnImport, Qt::LeftButton);
    });

    const auto rows = roster();
    ASSERT_EQ(rows.size(), 5u); // three of the demo and two imported
    const MeiboRow& added = rows[3];
    EXPECT_EQ(added.Tel1, "03-5550-1111");
    EXPECT_EQ(added.CorpKanji, "株式会社 東西,物産");
    EXPECT_EQ(added.Tdfkn, "東京都");
    EXPECT_EQ(added.Adrs1, "港区芝公園");
    EXPECT_EQ(added.Note, "初回");
    EXPECT_EQ(readFile(dataFolder() / "InError.txt"),
              cp932::encode("2,同一電話番号データを上書きしない設定で同一電話番号出現,"
                            "0312345678,重複商事,ｼﾞｭｳﾌｸ,,\r\n"));
    MeiboTable copy;
    copy.table().open(dataFolder() / "backupMB.imp" / "Meibo.DB");
    EXPECT_EQ(copy.count(), 3);
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ini.load();
    EXPECT_EQ(ini.readInteger("FILE IMPORT", "ImportDest", 0), 1);
    EXPECT_EQ(ini.readString("FILE IMPORT", "File"), input.string());
    EXPECT_TRUE(ini.readBool("FILE IMPORT", "SkipRecord", false));
}

TEST_F(FileImportWindow, HandMadeHistoryMappingWithConstantsArrowsAndDragging) {
    writeLines(input, {"05/01,\"\",0312345678,山田", "06/02,,0398765432,川田"});
    openFromMenu([&](TFileImport& dialog) {
        EXPECT_TRUE(dialog.rbHistory->isChecked());
        EXPECT_FALSE(dialog.chkSameReplace->isEnabled());
        typeFile(dialog, input);
        ASSERT_EQ(dialog.sgSrc->rowCount(), 4);

        // Field 3 (the number) onto 着信日付 by "セット", then moved down twice.
        clickCell(dialog.sgDest, kHisDate - 1, 0);
        clickCell(dialog.sgSrc, 2, 1);
        EXPECT_TRUE(dialog.btnSet->isVisible());
        QTest::mouseClick(dialog.btnSet, Qt::LeftButton);
        EXPECT_TRUE(dialog.btnAdd->isVisible());
        EXPECT_FALSE(dialog.btnUp->isEnabled());
        QTest::mouseClick(dialog.btnDown, Qt::LeftButton);
        QTest::mouseClick(dialog.btnDown, Qt::LeftButton);
        EXPECT_EQ(dialog.selectedItem(), kHisTel);
        EXPECT_EQ(cell(dialog.sgDest, kHisTel - 1, 1), QStringLiteral("0312345678"));
        EXPECT_FALSE(dialog.mapping().hasFirst(kHisDate));

        // 着信日付: a constant year, then the field by double-click ("追加").
        clickCell(dialog.sgDest, kHisDate - 1, 0);
        ModalScript<TConstantInput> year([](TConstantInput& input) {
            EXPECT_EQ(input.windowTitle(), QStringLiteral("固定値の入力"));
            QTest::keyClicks(input.edtValue, QStringLiteral("2024/"));
            QTest::keyClick(input.edtValue, Qt::Key_Return);
            EXPECT_EQ(input.focusWidget(), input.btnOK);
            QTest::mouseClick(input.btnOK, Qt::LeftButton);
        });
        QTest::mouseClick(dialog.btnConstant, Qt::LeftButton);
        EXPECT_TRUE(year.ran());
        EXPECT_EQ(dialog.sgDest->item(kHisDate - 1, 1)->foreground().color(), QColor(Qt::cyan));
        clickCell(dialog.sgSrc, 0, 1, true);
        EXPECT_EQ(cell(dialog.sgDest, kHisDate - 1, 2), QStringLiteral("05/01"));

        // 着信時刻: the empty field 2 dragged on, then a constant after it.
        QMimeData* dragged = dialog.sgSrc->model()->mimeData({dialog.sgSrc->model()->index(1, 1)});
        clickCell(dialog.sgSrc, 1, 1);
        const QPoint target =
            dialog.sgDest->visualRect(dialog.sgDest->model()->index(kHisTime - 1, 0)).center();
        QDragEnterEvent enter(target, Qt::CopyAction, dragged, Qt::LeftButton, {});
        QApplication::sendEvent(dialog.sgDest->viewport(), &enter);
        QDropEvent drop(target, Qt::CopyAction, dragged, Qt::LeftButton, {});
        QApplication::sendEvent(dialog.sgDest->viewport(), &drop);
        EXPECT_TRUE(drop.isAccepted());
        delete dragged;
        EXPECT_EQ(dialog.selectedItem(), kHisTime);
        EXPECT_EQ(cell(dialog.sgDest, kHisTime - 1, 1), QStringLiteral("項目2"));
        EXPECT_EQ(dialog.sgDest->item(kHisTime - 1, 1)->foreground().color(), QColor(Qt::yellow));
        ModalScript<TConstantInput> time([](TConstantInput& input) {
            QTest::keyClicks(input.edtValue, QStringLiteral("10:20:30"));
            QTest::mouseClick(input.btnOK, Qt::LeftButton);
        });
        QTest::mouseClick(dialog.btnConstant, Qt::LeftButton);
        EXPECT_EQ(cell(dialog.sgDest, kHisTime - 1, 2), QStringLiteral("10:20:30"));

        // The slot list of 着信時刻 by double-click.
        ModalScript<TSetOrderView> order([](TSetOrderView& view) {
            EXPECT_EQ(view.sgOrder->item(0, 0)->text(), QStringLiteral(" 1"));
            EXPECT_EQ(view.sgOrder->item(0, 1)->text(), QStringLiteral("項目2"));
            EXPECT_EQ(view.sgOrder->item(1, 1)->text(), QStringLiteral("10:20:30"));
            EXPECT_EQ(view.sgOrder->item(2, 1)->text(), QString());
            QTest::mouseClick(view.btnClose, Qt::LeftButton);
        });
        clickCell(dialog.sgDest, kHisTime - 1, 0, true);
        EXPECT_TRUE(order.ran());

        // A mistaken name mapping removed again by "削除".
        clickCell(dialog.sgDest, kHisNameKanji - 1, 0);
        clickCell(dialog.sgSrc, 3, 1);
        QTest::mouseClick(dialog.btnSet, Qt::LeftButton);
        QTest::mouseClick(dialog.btnAdd, Qt::LeftButton);
        QTest::mouseClick(dialog.btnDelete, Qt::LeftButton);
        EXPECT_EQ(dialog.mapping().filled(kHisNameKanji), 1);

        messages.expect("テキストファイルの取り込みを開始します", MessageResult::Yes);
        messages.expect("読込件数 : 2 件\r\n登録件数 : 2 件");
        QTest::mouseClick(dialog.btnImport, Qt::LeftButton);
    });

    TDMKanata195* dm = program->dataModule();
    ASSERT_TRUE(dm->OpenRecvHis());
    const auto rows = dm->RecvHis().read({});
    dm->CloseRecvHis();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].RecvDateTime.toText(), "2024-05-01 10:20:30.000");
    EXPECT_EQ(rows[0].Tel, "03-1234-5678");
    EXPECT_EQ(rows[0].NameKanji, "山田");
    EXPECT_EQ(rows[1].RecvDateTime.toText(), "2024-06-02 10:20:30.000");
    EXPECT_TRUE(std::filesystem::exists(dataFolder() / "backupRH.imp" / "RecvHis.DB"));
}

TEST_F(FileImportWindow, ConstantsAreLimitedInBytesAndUnmarkedUtf8IsNamed) {
    {
        std::ofstream out(input, std::ios::binary);
        out << "20260501,093000,0312345678,𠮷野家\r\n";
    }
    openFromMenu([&](TFileImport& dialog) {
        messages.expect("BOM（バイトオーダーマーク）のないUTF-8で書かれています");
        typeFile(dialog, input);
        ASSERT_EQ(dialog.sgSrc->rowCount(), 4);
        EXPECT_EQ(cell(dialog.sgSrc, 3, 1), QStringLiteral("𠮷野家"));

        // 名前漢字 holds 22 bytes: eleven kanji, not 22.
        clickCell(dialog.sgDest, kHisNameKanji - 1, 0);
        ModalScript<TConstantInput> constant([](TConstantInput& input) {
            typeInto(input.edtValue, QStringLiteral("山田太郎山田太郎山田太郎"));
            EXPECT_EQ(input.edtValue->text(), QStringLiteral("山田太郎山田太郎山田太"));
            QTest::mouseClick(input.btnOK, Qt::LeftButton);
        });
        QTest::mouseClick(dialog.btnConstant, Qt::LeftButton);
        EXPECT_TRUE(constant.ran());
        EXPECT_EQ(cell(dialog.sgDest, kHisNameKanji - 1, 1),
                  QStringLiteral("山田太郎山田太郎山田太"));
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(FileImportWindow, StartChecksRefuseWhatCannotBeImported) {
    writeLines(dataFolder() / "InError.txt", {"1,x,y"});
    std::ofstream(folders.scratch() / "empty.csv").close();
    writeLines(folders.scratch() / "overlong.csv", {std::string(70000, 'x'), "0312345678"});
    writeUtf16Lines(folders.scratch() / "unicode.txt", {"Date,Time", "20240105,090503"});
    writeLines(input, {"日付,時刻"});
    openFromMenu([&](TFileImport& dialog) {
        // Before a file is read: twenty numbered rows.
        ASSERT_EQ(dialog.sgSrc->rowCount(), 20);
        EXPECT_EQ(cell(dialog.sgSrc, 0, 0), QStringLiteral("  1"));
        EXPECT_EQ(cell(dialog.sgSrc, 19, 0), QStringLiteral(" 20"));
        EXPECT_EQ(cell(dialog.sgSrc, 0, 1), QString());
        messages.expect("入力ファイルとして指定できません");
        typeFile(dialog, dataFolder() / "InError.txt");
        EXPECT_FALSE(dialog.btnImport->isEnabled());
        messages.expect("指定したテキストファイルが見つかりません");
        typeFile(dialog, folders.scratch() / "missing.csv");
        messages.expect("内容がありませんでした");
        typeFile(dialog, folders.scratch() / "empty.csv");
        messages.expect("1行目が65536バイトを超えるため");
        typeFile(dialog, folders.scratch() / "overlong.csv");
        EXPECT_FALSE(dialog.btnImport->isEnabled());
        messages.expect("UTF-16（Unicodeテキスト）で書かれているため");
        typeFile(dialog, folders.scratch() / "unicode.txt");
        EXPECT_FALSE(dialog.btnImport->isEnabled());
        EXPECT_EQ(cell(dialog.sgSrc, 0, 1), QString());

        typeFile(dialog, input);
        ASSERT_TRUE(dialog.btnImport->isEnabled());
        messages.expect("入力する項目がセットされていません");
        QTest::mouseClick(dialog.btnImport, Qt::LeftButton);
        clickCell(dialog.sgDest, kHisTime - 1, 0);
        clickCell(dialog.sgSrc, 1, 1);
        QTest::mouseClick(dialog.btnSet, Qt::LeftButton);
        messages.expect("着信日付は必須項目ですのでセットしてください");
        QTest::mouseClick(dialog.btnImport, Qt::LeftButton);
        messages.expect("取り込む項目にまとめてセットします", MessageResult::Yes);
        QTest::mouseClick(dialog.btnAutoSet, Qt::LeftButton);
        messages.expect("内容が１件しかありませんでした");
        QTest::mouseClick(dialog.btnImport, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    // Cancelling writes no settings.
    IniFile ini(folders.workFolder() / "Kanata195.ini");
    ini.load();
    EXPECT_FALSE(ini.hasSection("FILE IMPORT"));
}

} // namespace
} // namespace kanata::test

namespace kanata::test {
namespace {

class FileImportOptions : public ImportFixture {};

TEST_F(FileImportOptions, StoredSettingsAndTheAddressBookNotice) {
    writeLines(input, {"a,b"});
    IniFile ini(folders.scratch() / "Kanata195.ini");
    ini.writeInteger("FILE IMPORT", "ImportDest", 1);
    ini.writeString("FILE IMPORT", "File", input.string());
    ini.writeBool("FILE IMPORT", "SameReplace", true);
    FileImportContext context{dm,          messages,          ini,
                              hyphenation, noSupplement,      {"内容", "メモ", "受付"},
                              true,        folders.scratch(), {}};
    TFileImport dialog(std::move(context));
    EXPECT_TRUE(dialog.rbRoster->isChecked());
    EXPECT_EQ(dialog.edtFile->text().toStdString(), input.string());
    EXPECT_TRUE(dialog.chkSameReplace->isChecked());
    EXPECT_EQ(dialog.chkSameReplace->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_FALSE(dialog.btnImport->isEnabled()); // the stored file is not read yet
    EXPECT_EQ(dialog.sgDest->rowCount(), kRosterItemCount);

    // The roster of the phonebook product is not this import's target.
    messages.expect("番号名鑑側で操作をおこなってください");
    dialog.show();
    QApplication::processEvents();
    QTest::mouseClick(dialog.rbHistory, Qt::LeftButton);
    EXPECT_FALSE(dialog.chkSameReplace->isEnabled());
    EXPECT_EQ(dialog.sgDest->rowCount(), kHistoryItemCount);
    messages.expect("番号名鑑側で操作をおこなってください");
    QTest::mouseClick(dialog.rbRoster, Qt::LeftButton);
    EXPECT_TRUE(messages.allAnswered());
}

} // namespace
} // namespace kanata::test
