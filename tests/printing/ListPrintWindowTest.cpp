// The list print as a user meets it: the menu's list print action opens the
// layout dialog on the running program; the layout is built with clicks,
// the preview pages through it, and the list window prints the chosen
// records (to PDF here, as no printer is installed on a test machine).
#include "app/KanataProgram.h"
#include "data/MeiboTable.h"
#include "data/RecvHisTable.h"
#include "data/TDMKanata195.h"
#include "environment/gui/TEnvironment.h"
#include "history/gui/THistorySearch.h"
#include "intake/gui/IntakeFlags.h"
#include "intake/gui/TMainForm.h"
#include "printing/gui/PrintContentsPage.h"
#include "printing/gui/TListPrint.h"
#include "printing/gui/TListPrintList.h"
#include "printing/gui/TListPrintPreview.h"
#include "roster/MeiboCondition.h"
#include "settings/IniFile.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "ui/gui/RangeDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>

namespace kanata::test {
namespace {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs `act` on the modal window of type T once it is the active one.
template <class T> void WhenModal(std::function<void(T&)> act) {
    auto* timer = new QTimer;
    auto* started = new QElapsedTimer;
    started->start();
    QObject::connect(timer, &QTimer::timeout, [timer, started, act] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window && started->elapsed() < 20000)
            return;
        timer->stop();
        timer->deleteLater();
        delete started;
        if (!window) {
            ADD_FAILURE() << "no " << T::staticMetaObject.className() << " opened";
            return;
        }
        act(*window);
    });
    timer->start(20);
}

void ChooseItem(TListPrint& dialog, const QString& caption) {
    const auto found = dialog.layoutGrid->lbxItems->findItems(caption, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << caption.toStdString();
    dialog.layoutGrid->lbxItems->setCurrentItem(found.front());
    QTest::mouseClick(dialog.layoutGrid->btnSet, Qt::LeftButton);
}

// The range page set to all records, printed into `pdf`.
void AllRecordsToPdf(TListPrint& dialog, const QString& pdf) {
    QTest::mouseClick(dialog.sbtnRange, Qt::LeftButton);
    QApplication::processEvents(); // the page lays itself out once shown
    QTest::mouseClick(dialog.rangePage->rbDataSelect[2], Qt::LeftButton, {},
                      QPoint(8, dialog.rangePage->rbDataSelect[2]->height() / 2));
    dialog.printer().setOutputFormat(QPrinter::PdfFormat);
    dialog.printer().setOutputFileName(pdf);
}

// 印刷 in the list window, `question` answered Yes, then the window closed.
void PrintAndClose(TListPrintList& list, ScriptedMessages& messages, const char* question) {
    list.printerInstalled = [] { return true; };
    messages.expect(question, MessageResult::Yes).expect("一覧表の印刷が完了しました");
    QTest::mouseClick(list.btnPrint, Qt::LeftButton);
    QTest::mouseClick(list.btnCancel, Qt::LeftButton);
}

std::string Layout(const TListPrint& dialog) {
    std::string out;
    for (const PrintLayoutEntry& e : dialog.layout())
        out += std::to_string(e.item) + ":" + std::to_string(e.width) + " ";
    return out;
}

std::string PdfInfo(const QString& pdf) {
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished(60000);
    return p.readAllStandardOutput().toStdString();
}

class ListPrintWindow : public ::testing::Test {
protected:
    TempFolders folders;
    ScriptedMessages messages;
    IntakeFlags flags;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<KanataProgram> program;

    void SetUp() override {
        messages.expect("使用可能な CD-ROM ドライブが検出できませんでした")
            .expect("動作環境を設定するため環境設定に入ります")
            .expect("指定したフォルダーが見つかりません", MessageResult::Yes);
        form = std::make_unique<TMainForm>(flags, messages, MainWindowOptions{});
        form->setTrayAvailable(false);
        program = std::make_unique<KanataProgram>(*form, flags, messages, stageFolder(),
                                                  folders.workFolder());
        // The tests print to PDF files, which need no printer.
        program->dialogs().printerInstalled = [] { return true; };
        program->dialogs().runEnvironment = [](QDialog& dialog) {
            auto& environment = dynamic_cast<TEnvironment&>(dialog);
            environment.btnSetClick();
            return environment.result() == QDialog::Accepted;
        };
        ASSERT_TRUE(WaitUntil([this] { return flags.ReadyForCalls; }));
        TDMKanata195& dm = *program->dataModule();
        ASSERT_TRUE(dm.OpenRecvHis());
        for (int k = 1; k <= 150; ++k) {
            RecvHisRow row;
            row.RecvDateTime = {2026, 11, 1 + k % 28, 9 + k % 8, k % 60, 0, 0};
            row.SchTel = "0312345" + std::to_string(1000 + k);
            row.Tel = "03-1234-5" + std::to_string(1000 + k);
            row.CorpKanji = "株式会社テスト商事第" + std::to_string(k) + "営業所";
            row.NameKanji = "山田太郎";
            row.Division = k % 3 == 0 ? "1" : "0";
            ASSERT_TRUE(dm.RecvHis().append(row, messages));
        }
        dm.CloseRecvHis();
    }

    void TearDown() override {
        form->setAskOnClose(false);
        program.reset();
        form.reset();
    }

    IniFile Settings() {
        IniFile ini(folders.workFolder() / "Kanata195.ini");
        ini.load();
        return ini;
    }
};

TEST_F(ListPrintWindow, LayoutBuiltByClicksPrintsTheChosenRangeAndIsRemembered) {
    const QString pdf = QString::fromStdString((folders.scratch() / "printed.pdf").string());
    std::filesystem::create_directories(folders.scratch());
    bool listShown = false;
    WhenModal<TListPrint>([&](TListPrint& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("一覧表の印刷"));
        EXPECT_EQ(dialog.parentWidget(), form.get());
        EXPECT_TRUE(dialog.contentsPage->rbHistory->isChecked());
        // An empty layout cannot be listed.
        messages.expect("印刷する項目をセットしてください");
        QTest::mouseClick(dialog.btnList, Qt::LeftButton);

        ChooseItem(dialog, "＜通番＞");
        ChooseItem(dialog, "電話番号");
        ChooseItem(dialog, "＜空白＞");
        ChooseItem(dialog, "＜空白＞");
        EXPECT_TRUE(dialog.layoutGrid->lbxItems->findItems("電話番号", Qt::MatchExactly).isEmpty());
        EXPECT_EQ(dialog.layoutGrid->lbxItems->findItems("＜空白＞", Qt::MatchExactly).size(), 1);
        // セット inserts before the selected entry: select the first blank
        // and put the company there.
        dialog.layoutGrid->lvLayout->setCurrentItem(dialog.layoutGrid->lvLayout->topLevelItem(0));
        ChooseItem(dialog, "会社名漢字");
        EXPECT_EQ(Layout(dialog), "6:50 0:2 0:2 4:13 1:5 ");
        // Width of the selected company column.
        dialog.layoutGrid->edtWidth->selectAll();
        QTest::keyClicks(dialog.layoutGrid->edtWidth, "40");
        QTest::keyClick(dialog.layoutGrid->edtWidth, Qt::Key_Tab);
        // The last entry moves to the top; the first blank goes away.
        dialog.layoutGrid->lvLayout->setCurrentItem(dialog.layoutGrid->lvLayout->topLevelItem(4));
        for (int i = 0; i < 4; ++i)
            QTest::mouseClick(dialog.layoutGrid->btnUp, Qt::LeftButton);
        dialog.layoutGrid->lvLayout->setCurrentItem(dialog.layoutGrid->lvLayout->topLevelItem(2));
        QTest::mouseClick(dialog.layoutGrid->btnRemove, Qt::LeftButton);
        EXPECT_EQ(Layout(dialog), "1:5 6:40 0:2 4:13 ");

        // Lines: the edges twice with one type leaves them off.
        QTest::mouseClick(dialog.sbtnLines, Qt::LeftButton);
        QApplication::processEvents();
        dialog.linesPage->lbxLineType->setCurrentRow(1);
        QTest::mouseClick(dialog.linesPage->btnLineOuter, Qt::LeftButton);
        QTest::mouseClick(dialog.linesPage->btnLineOuter, Qt::LeftButton);
        EXPECT_FALSE(dialog.linesPage->sbtnLine[TopEdge]->isChecked());
        QTest::mouseClick(dialog.linesPage->btnLineOuter, Qt::LeftButton);
        QTest::mouseClick(dialog.linesPage->sbtnLine[InnerVertical], Qt::LeftButton);
        EXPECT_TRUE(dialog.linesPage->sbtnLine[LeftEdge]->isChecked());
        dialog.chooseColour = [](const QColor&) { return QColor(0xCC, 0xEE, 0xFF); };
        QTest::mouseClick(dialog.linesPage->btnColourAdd, Qt::LeftButton);
        QTest::mouseClick(dialog.linesPage->btnHeaderColour, Qt::LeftButton);
        EXPECT_EQ(dialog.linesPage->lbxColours->count(), 1);

        QTest::mouseClick(dialog.sbtnRange, Qt::LeftButton);
        QApplication::processEvents(); // the page lays itself out once shown
        // A radio button takes clicks on its mark and caption, not on the
        // empty width a layout gives it.
        QTest::mouseClick(dialog.rangePage->rbDataSelect[1], Qt::LeftButton, {},
                          QPoint(8, dialog.rangePage->rbDataSelect[1]->height() / 2));
        dialog.printer().setOutputFormat(QPrinter::PdfFormat);
        dialog.printer().setOutputFileName(pdf);

        WhenModal<TListPrintList>([&](TListPrintList& list) {
            listShown = true;
            EXPECT_EQ(list.windowTitle(), QStringLiteral("一覧表印刷　着信対応履歴一覧"));
            EXPECT_EQ(list.lblCount->text(), QStringLiteral("件数 ： 150"));
            // Without a printer the user is told so.
            list.printerInstalled = [] { return false; };
            messages.expect("プリンターがインストールされていません");
            QTest::mouseClick(list.btnPrint, Qt::LeftButton);
            list.printerInstalled = [] { return true; };
            WhenModal<TRangeSpecification>([](TRangeSpecification& range) {
                EXPECT_EQ(range.lblTotal->text(), QStringLiteral("150"));
                for (auto [field, text] : {std::pair{range.edtEnd, "90"}, {range.edtBegin, "10"}}) {
                    field->selectAll();
                    QTest::keyClicks(field, QString::fromLatin1(text));
                    QTest::keyClick(field, Qt::Key_Return); // takes the text
                }
                QTest::mouseClick(range.btnOK, Qt::LeftButton);
            });
            messages
                .expect("10件目から90件目までの\r\n81件のデータを印刷します", MessageResult::Yes)
                .expect("一覧表の印刷が完了しました");
            QTest::mouseClick(list.btnPrint, Qt::LeftButton);
            EXPECT_GE(list.lastPages(), 2);
            QTest::mouseClick(list.btnCancel, Qt::LeftButton);
        });
        QTest::mouseClick(dialog.btnList, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    form->actListPrint->trigger();
    EXPECT_TRUE(listShown);
    EXPECT_TRUE(messages.allAnswered());

    const std::string info = PdfInfo(pdf);
    EXPECT_NE(info.find("一覧表データ"), std::string::npos) << info;
    EXPECT_EQ(info.find("Pages:           1\n"), std::string::npos) << info;

    // What was set is what the next list print starts with.
    IniFile ini = Settings();
    EXPECT_EQ(ini.readString("LIST PRINT LAYOUT RECVHIS", "ItemNo"), "1,6,0,4");
    EXPECT_EQ(ini.readString("LIST PRINT LAYOUT RECVHIS", "ItemSize"), "5,40,2,13");
    EXPECT_EQ(ini.readInteger("LIST PRINT", "DataSelect", -1), 1);
    EXPECT_TRUE(ini.readBool("LIST PRINT", "Line4", false));
    EXPECT_EQ(ini.readInteger("LIST PRINT", "LineType4", -1), 1);
    EXPECT_EQ(ini.readInteger("LIST PRINT", "ColorCount", -1), 1);
    EXPECT_TRUE(std::filesystem::exists(folders.workFolder() / "LstPrint.pi"));
}

std::string PdfText(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .toStdString();
}

TEST_F(ListPrintWindow, RosterPrintsAllEntriesInTheSortOrderShown) {
    TDMKanata195& dm = *program->dataModule();
    ASSERT_TRUE(dm.OpenMeibo());
    for (const auto& [kana, kanji] : {std::pair{"ｻﾄｳ", "佐藤商店"}, std::pair{"ｱｵｷ", "青木工業"},
                                      std::pair{"ﾀﾅｶ", "田中電機"}}) {
        MeiboRow row;
        row.NameKana = kana;
        row.CorpKanji = kanji;
        row.Tel1 = "03-0000-0000";
        ASSERT_TRUE(dm.Meibo().append(row, messages));
    }
    dm.CloseMeibo();
    const QString pdf = QString::fromStdString((folders.scratch() / "roster.pdf").string());
    std::filesystem::create_directories(folders.scratch());
    WhenModal<TListPrint>([&](TListPrint& dialog) {
        QTest::mouseClick(dialog.contentsPage->rbMeibo, Qt::LeftButton, {},
                          QPoint(8, dialog.contentsPage->rbMeibo->height() / 2));
        ASSERT_TRUE(dialog.contentsPage->rbMeibo->isChecked());
        ChooseItem(dialog, "＜通番＞");
        ChooseItem(dialog, "会社名漢字");
        dialog.layoutGrid->lvLayout->setCurrentItem(nullptr);
        ChooseItem(dialog, "名前カナ");
        EXPECT_EQ(Layout(dialog), "8:50 1:5 9:14 ");
        AllRecordsToPdf(dialog, pdf);
        WhenModal<TListPrintList>([&](TListPrintList& list) {
            EXPECT_EQ(list.windowTitle(), QStringLiteral("一覧表印刷　登録名簿一覧"));
            QTest::mouseClick(list.btnSort[static_cast<int>(MeiboSort::NameKana)], Qt::LeftButton);
            PrintAndClose(list, messages, "登録されているデータ 3件すべてを印刷します");
        });
        QTest::mouseClick(dialog.btnList, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    form->actListPrint->trigger();
    EXPECT_TRUE(messages.allAnswered());
    const std::string text = PdfText(pdf);
    // (Half-width kana come back full-width from the normalisation.)
    const auto aoki = text.find("アオキ"), sato = text.find("サトウ"), tanaka = text.find("タナカ");
    ASSERT_NE(aoki, std::string::npos) << text;
    ASSERT_NE(tanaka, std::string::npos) << text;
    EXPECT_LT(aoki, sato);
    EXPECT_LT(sato, tanaka);
    EXPECT_EQ(Settings().readInteger("LIST PRINT", "PrintSource", -1), 1);
}

TEST_F(ListPrintWindow, ItemsDraggedOntoTheOrderLandWhereTheyAreDropped) {
    WhenModal<TListPrint>([&](TListPrint& dialog) {
        ChooseItem(dialog, "電話番号");
        ChooseItem(dialog, "名前漢字");
        // The list's own drag data, dropped on the first entry of the order
        // and then below the last one.
        const auto dragItem = [&](const QString& caption, QPoint at) {
            const auto found = dialog.layoutGrid->lbxItems->findItems(caption, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            std::unique_ptr<QMimeData> mime(dialog.layoutGrid->lbxItems->model()->mimeData(
                {dialog.layoutGrid->lbxItems->indexFromItem(found.front())}));
            QDragEnterEvent enter(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
            QApplication::sendEvent(dialog.layoutGrid->lvLayout->viewport(), &enter);
            EXPECT_TRUE(enter.isAccepted());
            QDropEvent drop(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
            QApplication::sendEvent(dialog.layoutGrid->lvLayout->viewport(), &drop);
        };
        const QRect first = dialog.layoutGrid->lvLayout->visualItemRect(
            dialog.layoutGrid->lvLayout->topLevelItem(0));
        dragItem("会社名漢字", first.center());
        EXPECT_EQ(Layout(dialog), "6:50 8:14 4:13 ");
        dragItem("＜通番＞",
                 QPoint(first.center().x(), dialog.layoutGrid->lvLayout->viewport()->height() - 4));
        EXPECT_EQ(Layout(dialog), "6:50 8:14 4:13 1:5 ");
        EXPECT_TRUE(
            dialog.layoutGrid->lbxItems->findItems("会社名漢字", Qt::MatchExactly).isEmpty());
        // Text from another program is refused.
        QMimeData text;
        text.setText(QStringLiteral("会社名カナ"));
        QDragEnterEvent foreign(first.center(), Qt::CopyAction, &text, Qt::LeftButton, {});
        QApplication::sendEvent(dialog.layoutGrid->lvLayout->viewport(), &foreign);
        EXPECT_FALSE(foreign.isAccepted());
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    form->actListPrint->trigger();
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(ListPrintWindow, SearchConditionNarrowsWhatIsListedAndPrinted) {
    const QString pdf = QString::fromStdString((folders.scratch() / "found.pdf").string());
    std::filesystem::create_directories(folders.scratch());
    WhenModal<TListPrint>([&](TListPrint& dialog) {
        ChooseItem(dialog, "電話番号");
        AllRecordsToPdf(dialog, pdf);
        WhenModal<TListPrintList>([&](TListPrintList& list) {
            EXPECT_EQ(list.lblCount->text(), QStringLiteral("件数 ： 150"));
            WhenModal<THistorySearch>([](THistorySearch& search) {
                QTest::keyClicks(search.edtTel, QStringLiteral("0312345114"));
                QTest::mouseClick(search.btnSearch, Qt::LeftButton);
            });
            QTest::mouseClick(list.btnSearch, Qt::LeftButton);
            EXPECT_EQ(list.lblCount->text(), QStringLiteral("件数 ： 10"));
            PrintAndClose(list, messages, "検索条件にマッチしたデータ 10件すべてを印刷します");
        });
        QTest::mouseClick(dialog.btnList, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    form->actListPrint->trigger();
    EXPECT_TRUE(messages.allAnswered());
    const std::string text = PdfText(pdf);
    int printed = 0;
    for (auto at = text.find("03-1234-5"); at != std::string::npos;
         at = text.find("03-1234-5", at + 1)) {
        EXPECT_EQ(text.substr(at, 12), "03-1234-5114") << text;
        ++printed;
    }
    EXPECT_EQ(printed, 10);
}

TEST_F(ListPrintWindow, TemplatesAreSavedRefusedAndChosen) {
    WhenModal<TListPrint>([&](TListPrint& dialog) {
        ChooseItem(dialog, "電話番号");
        ChooseItem(dialog, "名前漢字");
        dialog.contentsPage->cbxTemplate->setEditText(QString::fromUtf8(kLastLayoutName));
        messages.expect("その名称はアプリケーションで使われています");
        QTest::mouseClick(dialog.contentsPage->btnTemplateSave, Qt::LeftButton);
        dialog.contentsPage->cbxTemplate->setEditText(QStringLiteral("名前と番号"));
        QTest::mouseClick(dialog.contentsPage->btnTemplateSave, Qt::LeftButton);
        QTest::mouseClick(dialog.layoutGrid->btnClear, Qt::LeftButton);
        EXPECT_TRUE(dialog.layout().empty());
        dialog.contentsPage->cbxTemplate->setCurrentIndex(0);
        emit dialog.contentsPage->cbxTemplate->activated(0);
        EXPECT_EQ(Layout(dialog), "8:14 4:13 ");
        dialog.contentsPage->cbxTemplate->setEditText(QStringLiteral("名前と番号"));
        messages.expect("このテンプレートを削除してもよろしいですか？", MessageResult::No);
        QTest::mouseClick(dialog.contentsPage->btnTemplateDelete, Qt::LeftButton);

        // Three rows per record (3.5 lines with the gap, against 1.5) leave
        // between a half and a third of the records per page.
        QTest::mouseClick(dialog.sbtnFormat, Qt::LeftButton);
        QApplication::processEvents();
        const int one = dialog.fontPage->lblPerPage->text().split(' ').front().toInt();
        dialog.fontPage->cbxRowCount->setCurrentIndex(2);
        const int three = dialog.fontPage->lblPerPage->text().split(' ').front().toInt();
        EXPECT_TRUE(dialog.fontPage->lblPerPage->text().endsWith(QStringLiteral(" 件")));
        EXPECT_GT(one, 2 * three);
        EXPECT_LT(one, 3 * three);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    form->actListPrint->trigger();
    EXPECT_TRUE(messages.allAnswered());
    IniFile templates(program->dataModule()->dataFolder() / "LPRHis.tpl");
    templates.load();
    EXPECT_EQ(templates.readString("名前と番号", "ItemNo"), "8,4");
}

TEST_F(ListPrintWindow, HeadingsSetOnTheContentsPageTakeRoomAndPrintWhereChosen) {
    const QString pdf = QString::fromStdString((folders.scratch() / "headed.pdf").string());
    std::filesystem::create_directories(folders.scratch());
    int pages = 0;
    WhenModal<TListPrint>([&](TListPrint& dialog) {
        PrintContentsPage& page = *dialog.contentsPage;
        QApplication::processEvents(); // the page lays itself out once shown
        const auto perPage = [&] {
            return dialog.fontPage->lblPerPage->text().split(' ').front().toInt();
        };
        const auto tick = [](QCheckBox* box) {
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        };
        // The date and the page number are on at first; without any
        // heading the records have the whole page.
        ASSERT_TRUE(page.chkViewDate->isChecked());
        ASSERT_TRUE(page.chkViewPage->isChecked());
        tick(page.chkViewDate);
        tick(page.chkViewPage);
        ASSERT_FALSE(page.chkViewDate->isChecked());
        const int bare = perPage();
        // Japanese comes in as the input method's committed text.
        page.edtTitle->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("営業部着信一覧"));
        QApplication::sendEvent(page.edtTitle, &commit);
        const int titled = perPage();
        EXPECT_LT(titled, bare);
        tick(page.chkViewDate);
        EXPECT_LT(perPage(), titled);
        QTest::keyClick(page.cbxTitlePos, Qt::Key_Home);
        EXPECT_EQ(page.cbxTitlePos->currentText(), QStringLiteral("左"));
        tick(page.chkViewPage);
        QTest::keyClick(page.cbxPageType, Qt::Key_End);
        QTest::keyClick(page.cbxPagePosY, Qt::Key_Home);
        EXPECT_EQ(page.cbxPagePosY->currentText(), QStringLiteral("上"));

        ChooseItem(dialog, "電話番号");
        AllRecordsToPdf(dialog, pdf);
        WhenModal<TListPrintList>([&](TListPrintList& list) {
            PrintAndClose(list, messages, "登録されているデータ 150件すべてを印刷します");
            pages = list.lastPages();
        });
        QTest::mouseClick(dialog.btnList, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    form->actListPrint->trigger();
    EXPECT_TRUE(messages.allAnswered());
    ASSERT_GE(pages, 2);
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("営業部着信一覧"), std::string::npos) << text;
    EXPECT_NE(text.find("1 / " + std::to_string(pages) + " ページ"), std::string::npos) << text;
    // The page number heads the page: it comes before the first record.
    EXPECT_LT(text.find("1 / " + std::to_string(pages) + " ページ"), text.find("03-1234-5"));

    IniFile ini = Settings();
    EXPECT_EQ(ini.readString("LIST PRINT", "Title"), "営業部着信一覧");
    EXPECT_EQ(ini.readInteger("LIST PRINT", "TitlePosX", -1), 0);
    EXPECT_TRUE(ini.readBool("LIST PRINT", "ViewDate", false));
    EXPECT_TRUE(ini.readBool("LIST PRINT", "ViewPage", false));
    EXPECT_EQ(ini.readInteger("LIST PRINT", "PageType", -1), 5);
    EXPECT_EQ(ini.readInteger("LIST PRINT", "PagePosY", -1), 0);
}

TEST_F(ListPrintWindow, WithoutAPrinterTheMenuSaysSoAndOpensNothing) {
    program->dialogs().printerInstalled = [] { return false; };
    bool opened = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<TListPrint*>(QApplication::activeModalWidget())) {
            opened = true;
            dialog->reject();
        }
    });
    watch.start(10);
    messages.expect("プリンターがインストールされていません  \r\n\r\n"
                    "先にプリンターをインストールしてください  ");
    form->actListPrint->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(opened);
    EXPECT_TRUE(messages.allAnswered());
    EXPECT_FALSE(std::filesystem::exists(folders.workFolder() / "LstPrint.pi"));
}

// Answers the print dialog "設定" opens: printing to the PDF file `pdf`,
// the one printer a machine without a print service has.
void ChoosePdfPrinter(QPrintDialog& print, const QString& pdf) {
    QComboBox* printers = print.findChild<QComboBox*>(QStringLiteral("printers"));
    QLineEdit* file = print.findChild<QLineEdit*>(QStringLiteral("filename"));
    auto* buttons = print.findChild<QDialogButtonBox*>();
    const int pdfEntry =
        printers ? printers->findText(QStringLiteral("PDF"), Qt::MatchContains) : -1;
    if (pdfEntry < 0 || !file || !buttons) {
        ADD_FAILURE() << "the print dialog has no PDF printer";
        print.reject();
        return;
    }
    printers->setCurrentIndex(pdfEntry);
    file->selectAll();
    QTest::keyClicks(file, pdf);
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

TEST_F(ListPrintWindow, PrinterChosenInTheSettingsPrintsAndIsRestored) {
    std::filesystem::create_directories(folders.scratch());
    const QString pdf = QString::fromStdString((folders.scratch() / "chosen.pdf").string());
    WhenModal<TListPrint>([&](TListPrint& dialog) {
        ChooseItem(dialog, "電話番号");
        QTest::mouseClick(dialog.sbtnRange, Qt::LeftButton);
        QApplication::processEvents();
        QTest::mouseClick(dialog.rangePage->rbDataSelect[2], Qt::LeftButton, {},
                          QPoint(8, dialog.rangePage->rbDataSelect[2]->height() / 2));
        WhenModal<QPrintDialog>([&](QPrintDialog& print) {
            EXPECT_EQ(print.parentWidget(), &dialog);
            ChoosePdfPrinter(print, pdf);
        });
        QTest::mouseClick(dialog.rangePage->btnPrinterSetup, Qt::LeftButton);
        EXPECT_TRUE(dialog.rangePage->lblPrinterName->text().contains(QStringLiteral("chosen.pdf")))
            << dialog.rangePage->lblPrinterName->text().toStdString();
        WhenModal<TListPrintList>([&](TListPrintList& list) {
            PrintAndClose(list, messages, "登録されているデータ 150件すべてを印刷します");
        });
        QTest::mouseClick(dialog.btnList, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    form->actListPrint->trigger();
    EXPECT_TRUE(messages.allAnswered());
    // The list went where the dialog said.
    EXPECT_NE(PdfInfo(pdf).find("一覧表データ"), std::string::npos);

    IniFile stored(folders.workFolder() / "LstPrint.pi", IniFile::Encoding::Utf8);
    ASSERT_TRUE(stored.load());
    EXPECT_EQ(stored.readString("PRINTER", "OutputFile"), pdf.toStdString());
    EXPECT_EQ(stored.readString("PRINTER", "Name"), "");
    // The next list print starts with that printer.
    WhenModal<TListPrint>([&](TListPrint& dialog) {
        EXPECT_EQ(dialog.printer().outputFileName(), pdf);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    form->actListPrint->trigger();
}

TEST_F(ListPrintWindow, PreviewPagesThroughTheListAndZooms) {
    // The program writes its settings when it ends, and reads them at start.
    form->setAskOnClose(false);
    program.reset();
    form.reset();
    {
        IniFile ini = Settings();
        ini.writeString("LIST PRINT", "Title", "着信対応履歴一覧");
        ini.writeInteger("LIST PRINT", "HeaderColorExists", 1);
        ini.writeInteger("LIST PRINT", "HeaderColor", 0xD0D0D0);
        ini.writeInteger("LIST PRINT", "ColorCount", 2);
        ini.writeInteger("LIST PRINT", "Color1", 0xFFF4E8);
        ini.writeInteger("LIST PRINT", "Color2", 0xFFFFFF);
        ini.writeInteger("LIST PRINT", "Line1", 1);
        ini.writeInteger("LIST PRINT", "Line3", 1);
        ini.writeInteger("LIST PRINT", "Line4", 1);
        ini.writeInteger("LIST PRINT", "Line5", 1);
        ini.writeInteger("LIST PRINT", "LineType5", 3);
        ini.writeInteger("LIST PRINT", "Line6", 1);
        ini.writeString("LIST PRINT LAYOUT RECVHIS", "ItemNo", "1,2,3,4,6,8,9");
        ini.writeString("LIST PRINT LAYOUT RECVHIS", "ItemSize", "5,10,8,13,40,14,4");
        ASSERT_TRUE(ini.save());
    }
    messages.expect("使用可能な CD-ROM ドライブが検出できませんでした");
    flags = IntakeFlags{};
    form = std::make_unique<TMainForm>(flags, messages, MainWindowOptions{});
    form->setTrayAvailable(false);
    program = std::make_unique<KanataProgram>(*form, flags, messages, stageFolder(),
                                              folders.workFolder());
    program->dialogs().printerInstalled = [] { return true; };
    ASSERT_TRUE(WaitUntil([this] { return flags.ReadyForCalls; }));

    const QString shots = qEnvironmentVariable("KANATA_SCREENSHOT_DIR");
    int pages = 0;
    WhenModal<TListPrint>([&](TListPrint& dialog) {
        EXPECT_EQ(dialog.layout().size(), 7u);
        dialog.resize(760, 560);
        if (!shots.isEmpty())
            dialog.grab().save(shots + "/list-print-layout.png");
        WhenModal<TListPrintPreview>([&](TListPrintPreview& preview) {
            EXPECT_EQ(preview.windowTitle(), QStringLiteral("印刷プレビュー"));
            pages = preview.pageCount();
            EXPECT_EQ(preview.lblPage->text(), QStringLiteral("1 / %1").arg(pages));
            EXPECT_FALSE(preview.sbtnFirst->isEnabled());
            EXPECT_FALSE(preview.sbtnPrior->isEnabled());
            QTest::mouseClick(preview.sbtnNext, Qt::LeftButton);
            EXPECT_EQ(preview.page(), 2);
            QTest::mouseClick(preview.sbtnLast, Qt::LeftButton);
            EXPECT_EQ(preview.page(), pages);
            EXPECT_FALSE(preview.sbtnNext->isEnabled());
            QTest::mouseClick(preview.sbtnFirst, Qt::LeftButton);
            EXPECT_EQ(preview.lblPage->text(), QStringLiteral("1 / %1").arg(pages));
            // 100 % at the screen's resolution; the sheet is A4.
            preview.cbxZoom->setCurrentIndex(5);
            const double scale = preview.scale();
            EXPECT_NEAR(preview.pnlPage->width(), 210 / 25.4 * 96 * scale, 2);
            EXPECT_TRUE(preview.stbStatus->findChild<QLabel*>()->text().startsWith(
                QStringLiteral("  表示： ")));
            // Dragging the sheet scrolls it, with the closed hand meanwhile.
            QApplication::processEvents();
            QScrollBar* across = preview.sbxPage->horizontalScrollBar();
            QScrollBar* down = preview.sbxPage->verticalScrollBar();
            ASSERT_GT(down->maximum(), 0);
            const int x0 = across->value(), y0 = down->value();
            QTest::mousePress(preview.pnlPage, Qt::LeftButton, {}, QPoint(300, 300));
            EXPECT_EQ(preview.pnlPage->cursor().shape(), Qt::ClosedHandCursor);
            QTest::mouseMove(preview.pnlPage, QPoint(260, 200));
            QTest::mouseRelease(preview.pnlPage, Qt::LeftButton, {}, QPoint(260, 200));
            EXPECT_EQ(preview.pnlPage->cursor().shape(), Qt::OpenHandCursor);
            EXPECT_EQ(down->value(), y0 + 100);
            EXPECT_EQ(across->value(), std::min(across->maximum(), x0 + 40));
            preview.cbxZoom->setCurrentIndex(0);
            EXPECT_LE(preview.pnlPage->height(), preview.sbxPage->viewport()->height());
            // The page really is drawn: dark pixels inside the sheet.
            const QImage image = preview.pnlPage->grab().toImage();
            int dark = 0;
            for (int y = 2; y < image.height() - 2; y += 2)
                for (int x = 2; x < image.width() - 2; x += 2)
                    dark += qGray(image.pixel(x, y)) < 128;
            EXPECT_GT(dark, 100);
            if (!shots.isEmpty())
                preview.grab().save(shots + "/list-print-preview.png");
            QTest::mouseClick(preview.btnClose, Qt::LeftButton);
        });
        QTest::mouseClick(dialog.btnPreview, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    form->actListPrint->trigger();
    EXPECT_GE(pages, 2); // 150 calls
    IniFile ini = Settings();
    EXPECT_EQ(ini.readInteger("LIST PRINT PREVIEW", "Zoom", -1), 0);
}

} // namespace
} // namespace kanata::test
