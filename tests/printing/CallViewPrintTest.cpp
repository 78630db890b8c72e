// The call view's print buttons: the memo on its label paper, the item list
// and the window image, each through its questions, printed to PDF.
#include "data/TDMKanata195.h"
#include "data/CallRecord.h"
#include "printing/gui/CallViewPrints.h"
#include "settings/IniFile.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "views/gui/TReceiveView.h"

#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace kanata {
namespace {

std::string RunTool(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(60000);
    // pdftotext gives some kanji of the font as their Kangxi radicals
    // (U+2F00..): compatibility normalisation maps them back.
    return QString::fromUtf8(p.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .toStdString();
}

class CallViewPrint : public ::testing::Test {
protected:
    test::TempFolders folders;
    test::ScriptedMessages messages;
    TDMKanata195 dm{folders.scratch() / "Data", messages};
    IniFile ini{folders.scratch() / "Kanata195.ini"};
    QPointer<TReceiveView> view;
    QString pdf = QString::fromStdString((folders.scratch() / "out.pdf").string());
    QStringList printers{"Office Laser"};

    void SetUp() override {
        dm.LoadItemLists(folders.scratch() / "app");
        view = new TReceiveView(dm, messages, {}, ini);
        const auto printing = [this] {
            return CallViewPrinting{messages, [this] { return printers; },
                                    [this](QPrinter& printer) {
                                        printer.setOutputFormat(QPrinter::PdfFormat);
                                        printer.setOutputFileName(pdf);
                                    }};
        };
        view->hooks().memoPrint = [printing](TReceiveView& v) { PrintMessageMemo(v, printing()); };
        view->hooks().itemPrint = [printing](TReceiveView& v) { PrintCallItems(v, printing()); };
        view->hooks().windowPrint = [printing](TReceiveView& v) { PrintCallWindow(v, printing()); };
        CallRecord call;
        call.RecNo = 0;
        call.SchTel[0] = "0312345678";
        call.Tel[0] = "03-1234-5678";
        call.CorpKanji = "山田商店";
        call.NameKanji = "山田太郎";
        call.RecvDateTime = DateTime{2026, 3, 2, 9, 30, 15, 0}.toDays();
        view->LoadCallRecord(call);
    }
    void TearDown() override {
        if (view) {
            view->setAttribute(Qt::WA_DeleteOnClose, false);
            delete view.data();
        }
    }
};

TEST_F(CallViewPrint, MemoGoesOnLabelPaperWithTheCallerAndTheMemoItems) {
    messages.expect("プリンタ \"Brother QL-700\" がインストールされていません")
        .expect("62 mm×100 mm の用紙サイズ、縦向き")
        .expect("印刷を完了しました");
    QTest::mouseClick(view->btnMemoPrint, Qt::LeftButton);
    ASSERT_TRUE(messages.allAnswered());
    const std::string info = RunTool("pdfinfo", {pdf});
    // 62 mm x 100 mm = 175.7 x 283.5 pt, rounded by pdfinfo
    EXPECT_NE(info.find("176 x 283 pts"), std::string::npos) << info;
    const std::string text = RunTool("pdftotext", {"-layout", pdf, "-"});
    for (const char* expected :
         {"伝言メモ", "様へ", "山田商店", "山田太郎 様より", "□ ", "電話番号", "03-1234-5678",
          "【MEMO】", "受付", "2026/03/02 09:30"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
    if (const QString shots = qEnvironmentVariable("KANATA_SCREENSHOT_DIR"); !shots.isEmpty())
        RunTool("pdftoppm",
                {"-png", "-r", "150", "-singlefile", pdf, shots + "/message-memo-page"});
}

TEST_F(CallViewPrint, WithALabelPrinterOnlyTheReminderIsShown) {
    printers << "Brother QL-700";
    messages.expect("62 mm×100 mm").expect("印刷を完了しました");
    QTest::mouseClick(view->btnMemoPrint, Qt::LeftButton);
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(CallViewPrint, ItemsAndWindowAreAskedForAndPrinted) {
    messages.expect("画面の項目を印刷します", MessageResult::Yes).expect("印刷しました");
    QTest::mouseClick(view->btnItemPrint, Qt::LeftButton);
    ASSERT_TRUE(messages.allAnswered());
    const std::string items = RunTool("pdftotext", {"-layout", pdf, "-"});
    EXPECT_NE(items.find("03-1234-5678"), std::string::npos) << items;
    EXPECT_NE(items.find("山田商店"), std::string::npos) << items;
    EXPECT_NE(items.find("["), std::string::npos) << items;

    std::filesystem::remove(pdf.toStdString());
    messages.expect("着信照会画面を印刷します", MessageResult::No);
    QTest::mouseClick(view->btnWindowPrint, Qt::LeftButton);
    EXPECT_FALSE(std::filesystem::exists(pdf.toStdString()));
    messages.expect("着信照会画面を印刷します", MessageResult::Yes).expect("印刷しました");
    QTest::mouseClick(view->btnWindowPrint, Qt::LeftButton);
    EXPECT_NE(RunTool("pdftotext", {pdf, "-"}).find("着信照会画面"), std::string::npos);

    printers.clear();
    messages.expect("プリンターがインストールされていません");
    QTest::mouseClick(view->btnMemoPrint, Qt::LeftButton);
    EXPECT_TRUE(messages.allAnswered());
}

} // namespace
} // namespace kanata
