#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboSearch.h"
#include "roster/gui/TMeiboView.h"
#include "settings/IniFile.h"
#include "tests/roster/RosterFixture.h"
#include "views/ShownFields.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

using namespace kanata;
using kanata::test::RosterFixture;

namespace {

class MeiboWindows : public RosterFixture {
protected:
    std::unique_ptr<IniFile> ini;
    std::unique_ptr<TMeiboList> list;
    std::vector<QUrl> opened;

    void SetUp() override {
        RosterFixture::SetUp();
        ini = std::make_unique<IniFile>(folders.scratch() / "Kanata195.ini");
        list = std::make_unique<TMeiboList>(dm, messages, *ini, MeiboSettings{},
                                            folders.scratch() / "CstmClr.ini");
        list->viewHooks().openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
    }
    void TearDown() override {
        list.reset();
        RosterFixture::TearDown();
    }
    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QString status(int panel) const {
        return list->pnlStatus[static_cast<std::size_t>(panel)]->text();
    }
    TMeiboView& inquire(int row) {
        list->SelectRow(row, true);
        list->btnInquiryClick();
        EXPECT_NE(list->view(), nullptr);
        return *list->view();
    }
};

TEST_F(MeiboWindows, CreateFindInEveryOrderOpenChangeAndDelete) {
    list->show();
    EXPECT_EQ(status(0), QStringLiteral("件数 ： ---"));
    list->btnNewClick();
    TMeiboView* view = list->view();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->windowTitle(), QStringLiteral("登録名簿　新規登録"));
    EXPECT_EQ(view->btnRegister->text(), QStringLiteral("登録(&A)"));
    EXPECT_FALSE(view->edtTel1->testAttribute(Qt::WA_InputMethodEnabled));
    view->edtTel1->setText("03-1234-5678");
    view->edtTel2->setText("090-1111-2222");
    view->edtPos->setText("1000005");
    view->edtTdfkn->setText("東京都");
    view->edtAdrs1->setText("千代田区");
    view->edtCorpKana->setText("ﾔﾏﾀﾞｼｮｳｼﾞ");
    view->edtNameKana->setText("ﾔﾏﾀﾞ");
    view->edtNameKanji->setText("山田");
    view->subPage->AddLink("https://example.com/");
    messages.expect("続けて登録しますか？", MessageResult::No);
    view->btnRegisterClick();
    settle();
    EXPECT_EQ(list->view(), nullptr);
    EXPECT_EQ(status(0), QStringLiteral("件数 ： 1"));

    for (int k = kMeiboSortCount - 1; k >= 0; --k) {
        list->btnSortClick(static_cast<MeiboSort>(k));
        ASSERT_EQ(list->keys(), (std::vector<std::int64_t>{0})) << k;
        EXPECT_EQ(list->rowCells(0)[2], QStringLiteral("090-1111-2222"));
        EXPECT_EQ(list->rowCells(0)[3], QStringLiteral("東京都千代田区"));
    }

    view = &inquire(0);
    EXPECT_EQ(view->windowTitle(), QStringLiteral("登録名簿　照会"));
    EXPECT_EQ(view->btnRegister->text(), QStringLiteral("変更(&U)"));
    EXPECT_EQ(view->edtPos->text(), QStringLiteral("100-0005"));
    EXPECT_EQ(view->subPage->lbxExtLink->count(), 1);
    EXPECT_TRUE(list->rowDrawnOpen(0));
    view->edtMemo1->setText("変更後");
    view->btnRegisterClick(); // an existing record closes without a question
    settle();
    EXPECT_EQ(list->view(), nullptr);
    EXPECT_FALSE(list->rowDrawnOpen(0));
    EXPECT_EQ(dm.Meibo().find(0)->Memo1, "変更後");
    EXPECT_EQ(dm.Meibo().find(0)->Pos, "1000005");

    list->SelectRow(0, true);
    messages.expect("1件のデータを削除します", MessageResult::Yes);
    messages.expect("1件のデータを削除しました");
    list->btnDeleteClick();
    EXPECT_EQ(dm.Meibo().count(), 0);
    EXPECT_EQ(status(0), QStringLiteral("件数 ： ---"));
}

TEST_F(MeiboWindows, ContinuingRegistrationEmptiesTheEditor) {
    list->show();
    list->btnNewClick();
    TMeiboView* view = list->view();
    view->edtTel1->setText("03-1234-5678");
    messages.expect("登録しました", MessageResult::Yes);
    view->btnRegisterClick();
    ASSERT_EQ(list->view(), view);
    EXPECT_TRUE(view->edtTel1->text().isEmpty());
    EXPECT_EQ(view->windowTitle(), QStringLiteral("登録名簿　新規登録"));
    // The same number again: replacement, and the text says so.
    view->edtTel1->setText("0312345678");
    view->edtNameKanji->setText("別名");
    messages.expect("今回の内容で置き換えますか？", MessageResult::Yes);
    messages.expect("変更しました", MessageResult::No);
    view->btnRegisterClick();
    settle();
    EXPECT_EQ(dm.Meibo().count(), 1);
    EXPECT_EQ(dm.Meibo().find(0)->NameKanji, "別名");
}

TEST_F(MeiboWindows, InquiryAsksAboutPendingChangesAndCancelKeepsTheRecord) {
    addRow("03-1111-1111", "", "ｱ");
    addRow("03-2222-2222", "", "ｲ");
    list->show();
    TMeiboView* view = &inquire(0);
    view->edtMemo1->setText("入力中");
    messages.expect("照会中のデータが変更されています", MessageResult::Cancel);
    inquire(1);
    EXPECT_EQ(view->editor().recNo(), 0);
    EXPECT_EQ(view->edtMemo1->text(), QStringLiteral("入力中"));

    messages.expect("照会中のデータが変更されています", MessageResult::No);
    inquire(1);
    EXPECT_EQ(view->editor().recNo(), 1);
    EXPECT_TRUE(dm.Meibo().find(0)->Memo1.empty());

    // Deleting the open record closes the editor.
    messages.expect("1件のデータを削除します", MessageResult::Yes);
    messages.expect("1件のデータを削除しました");
    list->btnDeleteClick();
    settle();
    EXPECT_EQ(list->view(), nullptr);
}

TEST_F(MeiboWindows, FailedWriteKeepsTheEditorOpenWithTheTypedData) {
    addRow("03-1111-1111", "", "ｱ");
    list->show();
    TMeiboView& view = inquire(0);
    ASSERT_TRUE(dm.Meibo().remove(0));
    view.edtMemo1->setText("消えないで");
    messages.expect("該当するデータが見つかりませんでした");
    messages.expect("変更できませんでした");
    view.btnRegisterClick();
    settle();
    ASSERT_EQ(list->view(), &view);
    EXPECT_EQ(view.edtMemo1->text(), QStringLiteral("消えないで"));
}

TEST_F(MeiboWindows, ANoteTypedTooLongIsRefusedAndEverythingTypedStays) {
    list->show();
    QTest::mouseClick(list->btnNew, Qt::LeftButton);
    TMeiboView* view = list->view();
    ASSERT_NE(view, nullptr);
    QTest::keyClicks(view->edtTel1, "03-1234-5678");
    view->tabPages->setCurrentWidget(view->subPage);
    // A long text pasted, then one more character typed.
    view->subPage->mmNote->setPlainText(QString(int(kMaxNoteBytes), QLatin1Char('x')));
    view->subPage->mmNote->moveCursor(QTextCursor::End);
    QTest::keyClicks(view->subPage->mmNote, "y");
    view->tabPages->setCurrentIndex(0);
    messages.expect("備考が長すぎます");
    QTest::mouseClick(view->btnRegister, Qt::LeftButton);
    settle();
    ASSERT_EQ(list->view(), view);
    EXPECT_EQ(dm.Meibo().count(), 0);
    EXPECT_EQ(view->tabPages->currentWidget(), view->subPage);
    EXPECT_EQ(view->focusWidget(), view->subPage->mmNote);
    EXPECT_EQ(view->edtTel1->text(), QStringLiteral("03-1234-5678"));

    QTest::keyClick(view->subPage->mmNote, Qt::Key_Backspace);
    messages.expect("続けて登録しますか？", MessageResult::No);
    QTest::mouseClick(view->btnRegister, Qt::LeftButton);
    settle();
    EXPECT_EQ(list->view(), nullptr);
    ASSERT_EQ(dm.Meibo().count(), 1);
    EXPECT_EQ(dm.Meibo().find(0)->Note, std::string(kMaxNoteBytes, 'x'));
}

TEST_F(MeiboWindows, SwitchingRecordsWithANoteTooLongStaysOnTheRecord) {
    addRow("03-1111-1111", "", "ｱ");
    addRow("03-2222-2222", "", "ｲ");
    list->show();
    TMeiboView* view = &inquire(0);
    view->subPage->mmNote->setPlainText(QString(int(kMaxNoteBytes) + 1, QLatin1Char('x')));
    view->edtMemo1->setText("入力中");
    messages.expect("照会中のデータが変更されています", MessageResult::Yes);
    messages.expect("備考が長すぎます");
    inquire(1);
    EXPECT_EQ(view->editor().recNo(), 0);
    EXPECT_EQ(view->edtMemo1->text(), QStringLiteral("入力中"));
    EXPECT_EQ(view->subPage->mmNote->toPlainText().size(), int(kMaxNoteBytes) + 1);
    EXPECT_TRUE(dm.Meibo().find(0)->Note.empty());
}

TEST_F(MeiboWindows, LinksMailColourAndCallHistory) {
    addCall("03-1111-1111", {2026, 1, 1, 9, 0, 0, 0});
    addCall("090-2222-2222", {2026, 1, 2, 9, 0, 0, 0});
    addRow("03-1111-1111", "090-2222-2222", "ｱ");
    list->show();
    TMeiboView& view = inquire(0);
    EXPECT_EQ(view.historyCount(), 2);

    for (int i = 0; i < 10; ++i)
        view.subPage->AddLink(QString("/tmp/file%1").arg(i));
    EXPECT_FALSE(view.subPage->btnLinkAdd->isEnabled());
    view.subPage->lbxExtLink->setCurrentRow(9);
    view.subPage->btnLinkOpenClick();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.back(), QUrl::fromLocalFile("/tmp/file9"));
    view.subPage->btnLinkDeleteClick();
    EXPECT_TRUE(view.subPage->btnLinkAdd->isEnabled());
    EXPECT_EQ(view.subPage->lbxExtLink->currentRow(), 8);

    view.edtEMail->setText("taro@example.com");
    view.btnMailClick();
    EXPECT_EQ(opened.back(), QUrl("mailto:taro@example.com"));
    view.edtEMail->clear();
    messages.expect("メールアドレスを入力してください");
    view.btnMailClick();

    view.subPage->chkMsg->setChecked(true);
    EXPECT_TRUE(view.subPage->btnColorSet->isEnabled());
    view.hooks().chooseColour = [](const QColor&, CustomColours& custom) {
        custom[3] = 0x00FF00;
        return std::optional<QColor>(QColor(0x12, 0x34, 0x56));
    };
    view.subPage->btnColorSetClick();
    EXPECT_EQ(view.fields().BGColor, "$563412");
    IniFile colours(folders.scratch() / "CstmClr.ini");
    ASSERT_TRUE(colours.load());
    EXPECT_EQ(colours.readString("COMMON", "3"), "00FF00");
    view.subPage->btnColorDeleteClick();
    EXPECT_TRUE(view.fields().BGColor.empty());
}

TEST_F(MeiboWindows, OpeningAnImportedRecordIsNoChange) {
    MeiboRow row;
    row.Tel1 = "03-1111-1111";
    row.SchTel1 = "0311111111";
    row.Rank = "旧ランク"; // not in the rank list
    row.BGColor = "$80ffff";
    row.Msg = 5;
    dm.Meibo().append(row, messages);
    list->show();
    TMeiboView& view = inquire(0);
    EXPECT_FALSE(view.HasUnsavedChanges());
    EXPECT_EQ(view.fields().Rank, "旧ランク");
    // Another record is loaded without any question.
    addRow("03-2222-2222", "");
    list->RefreshPage(0, 0);
    inquire(1);
    EXPECT_EQ(view.editor().recNo(), 1);
}

TEST_F(MeiboWindows, SearchFiltersTheListAndClosesTheEditor) {
    addRow("03-1111-1111", "", "ｱ", "千代田区");
    addRow("06-2222-2222", "03-1111-9999", "ｲ", "北区");
    addRow("06-3333-3333", "", "ｳ", "北区");
    list->show();
    inquire(0);
    list->setDialogRunner([](QDialog& d) {
        auto& search = dynamic_cast<TMeiboSearch&>(d);
        search.edtTel->setText("03-1111");
        search.edtAdrs->setText("北区");
        search.btnSearchClick();
        return search.result();
    });
    list->btnSearchClick();
    settle();
    EXPECT_EQ(list->view(), nullptr);
    EXPECT_EQ(list->keys(), (std::vector<std::int64_t>{1}));
    EXPECT_EQ(status(0), QStringLiteral("件数 ： 1"));

    list->setDialogRunner([](QDialog& d) {
        auto& search = dynamic_cast<TMeiboSearch&>(d);
        EXPECT_EQ(search.edtAdrs->text(), QStringLiteral("北区")); // shows the conditions
        search.rbOr->setChecked(true);
        search.btnSearchClick();
        return search.result();
    });
    list->btnSearchClick();
    EXPECT_EQ(list->keys(), (std::vector<std::int64_t>{0, 1, 2}));
}

TEST_F(MeiboWindows, EnterMovesThroughTheNumberAndAddressFields) {
    list->show();
    list->btnNewClick();
    TMeiboView& view = *list->view();
    auto enterOn = [&view](QWidget* w) {
        w->setFocus();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &press);
        return view.focusWidget();
    };
    view.activateWindow();
    EXPECT_EQ(enterOn(view.edtTel1), view.btnTelSch1);
    EXPECT_EQ(enterOn(view.edtTel2), view.btnTelSch2);
    EXPECT_EQ(enterOn(view.edtPos), view.btnPosSch);
    view.edtTdfkn->setText("東京都");
    EXPECT_EQ(enterOn(view.edtTel1), view.edtTel2);
    EXPECT_EQ(enterOn(view.edtTel2), view.edtPos);
    EXPECT_EQ(enterOn(view.edtPos), view.edtTdfkn);
    EXPECT_EQ(enterOn(view.edtAdrs1), view.edtAdrs2);
}

TEST_F(MeiboWindows, UnsetHooksSayTheFeatureIsNotReady) {
    list->show();
    list->btnNewClick();
    messages.expect("この機能は現在準備中です");
    list->view()->btnMap->click();
    messages.expect("この機能は現在準備中です");
    list->view()->btnDial->click();
}

} // namespace
