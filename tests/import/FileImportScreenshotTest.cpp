// A picture of the import dialog for the documentation: run with
// KANATA_SCREENSHOT_DIR=docs/screenshots to write it; skipped otherwise.
#include "settings/IniFile.h"
#include "tests/import/ImportFixture.h"
#include "tests/support/Screenshots.h"
#include "transfer/gui/TFileImport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

namespace kanata::test {
namespace {

class FileImportScreenshot : public ImportFixture {
protected:
    Screenshots screenshots;
    void SetUp() override {
        if (!screenshots.wanted())
            GTEST_SKIP() << "KANATA_SCREENSHOT_DIR not set";
        ImportFixture::SetUp();
    }
};

TEST_F(FileImportScreenshot, SampleAndMapping) {
    writeLines(input, {"電話番号,会社名,名前,都道府県,住所,\"\",ランク",
                       "0312345678,山田商事,山田太郎,東京都,千代田区丸の内1-1,,Ａ"});
    IniFile ini(folders.scratch() / "Kanata195.ini");
    FileImportContext context{dm,          messages,          ini,
                              hyphenation, noSupplement,      {"内容", "メモ", "受付"},
                              false,       folders.scratch(), {}};
    TFileImport dialog(std::move(context));
    dialog.show();
    QTest::mouseClick(dialog.rbRoster, Qt::LeftButton);
    QTest::keyClicks(dialog.edtFile, QString::fromStdString(input.string()));
    QTest::keyClick(dialog.edtFile, Qt::Key_Return);
    messages.expect("取り込む項目にまとめてセットします", MessageResult::Yes);
    QTest::mouseClick(dialog.btnAutoSet, Qt::LeftButton);
    // The empty column and a constant, to show both colours.
    dialog.sgDest->setCurrentCell(kRosMemo1 - 1, 0);
    dialog.sgSrc->setCurrentCell(5, 1);
    QTest::mouseClick(dialog.btnSet, Qt::LeftButton);
    dialog.sgDest->setCurrentCell(kRosAdrs1 - 1, 0);
    dialog.resize(1000, 860);
    dialog.sgDest->scrollToTop();
    screenshots.save(dialog, "file-import.png");
}

} // namespace
} // namespace kanata::test
