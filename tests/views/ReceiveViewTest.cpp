#include "data/CallRecord.h"
#include "data/DateTime.h"
#include "data/TDMKanata195.h"
#include "data/TelKeys.h"
#include "settings/IniFile.h"
#include "tests/support/DataFolderTest.h"
#include "ui/gui/Cp932ByteLimit.h"
#include "views/ShownFields.h"
#include "views/gui/TInputList.h"
#include "views/gui/TOutputItem.h"
#include "views/gui/TReceiveView.h"
#include "views/gui/TReceiveViewMini.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

using namespace kanata;
using kanata::test::ScriptedMessages;

namespace {

class ReceiveView : public kanata::test::DataFolderTest {
protected:
    IniFile ini{folders.scratch() / "Kanata195.ini"};
    QPointer<TReceiveView> view;
    std::vector<int> registered;
    bool closedHook = false;

    void SetUp() override {
        dm.LoadItemLists(folders.scratch() / "app");
        dm.Rank().Add("Ａ");
        dm.Rank().Add("Ｂ");
        dm.Rank().Save(); // a view reads a shared list again when it opens
    }
    void TearDown() override {
        if (view) {
            view->setAttribute(Qt::WA_DeleteOnClose, false);
            delete view.data();
        }
    }

    // A call as the intake stores it: the history row appended, the record
    // filled as the lookup fills it for a caller it did not find.
    CallRecord incomingCall(const std::string& number, const std::string& shown) {
        RecvHisRow row;
        row.RecvDateTime = {2026, 3, 2, 9, 30, 15, 0};
        row.SchTel = number;
        row.Tel = shown;
        row.Division = "0";
        EXPECT_TRUE(dm.OpenRecvHis());
        const auto recNo = dm.RecvHis().append(row, messages);
        dm.CloseRecvHis();
        CallRecord record;
        record.RecNo = *recNo;
        record.SchTel[0] = number;
        record.Tel[0] = shown;
        record.RecvDateTime = row.RecvDateTime.toDays();
        return record;
    }

    TReceiveView& open(ReceiveViewSettings settings = {}) {
        view = new TReceiveView(dm, messages, settings, ini);
        view->hooks().onRegistered = [this](int recNo) { registered.push_back(recNo); };
        view->hooks().onClosed = [this] { closedHook = true; };
        return *view;
    }
};

TEST_F(ReceiveView, SimulatedCallPopsUpAndRegistersIntoBothTables) {
    CallRecord call = incomingCall("0312345678", "03-1234-5678");
    call.CorpKanji = "山田商店"; // as the phonebook data gives it
    call.Pos = "100-0001";
    call.Tdfkn = "東京都";
    call.Adrs1 = "千代田区";
    TReceiveView& v = open();
    v.LoadCallRecord(call);
    EXPECT_TRUE(v.isVisible());
    EXPECT_EQ(v.windowTitle(), QStringLiteral("着信照会"));
    EXPECT_EQ(v.edtTel1->text(), QStringLiteral("03-1234-5678"));
    EXPECT_EQ(v.edtCorpKanji->text(), QStringLiteral("山田商店"));
    EXPECT_EQ(v.pnlRecvDate->text(), QStringLiteral("2026年 03月 02日"));
    EXPECT_EQ(v.pnlRecvTime->text(), QStringLiteral("09時 30分 15秒"));
    EXPECT_EQ(v.pnlPrevDate->text(), QString());
    EXPECT_EQ(v.pnlDivision->text(), QStringLiteral("新規"));
    EXPECT_EQ(v.btnRegister->text(), QStringLiteral("名簿登録(&A)"));
    EXPECT_FALSE(v.pnlMessage->isVisible());
    EXPECT_EQ(v.CurrentRecNo(), call.RecNo);

    v.edtNameKanji->setText(QStringLiteral("山田太郎"));
    v.edtCorpKana->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(v.edtCorpKana, &enter);
    EXPECT_EQ(v.focusWidget(), v.edtCorpKanji);
    v.cbxRank->setEditText(QStringLiteral("Ｂ"));
    v.cbxSelItem[0]->setEditText(QStringLiteral("見積依頼"));
    v.btnRegister->click();

    ASSERT_TRUE(dm.OpenMeibo());
    const auto rows = dm.Meibo().read({});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Tel1, "03-1234-5678");
    EXPECT_EQ(rows[0].SchTel1, "0312345678");
    EXPECT_EQ(rows[0].NameKanji, "山田太郎");
    EXPECT_EQ(rows[0].Pos, "1000001");
    EXPECT_EQ(rows[0].Adrs1, "千代田区");
    dm.CloseMeibo();
    ASSERT_TRUE(dm.OpenRecvHis());
    const auto history = dm.RecvHis().find(call.RecNo);
    EXPECT_EQ(history->NameKanji, "山田太郎");
    EXPECT_EQ(history->CorpKanji, "山田商店");
    EXPECT_EQ(history->Rank, "Ｂ");
    EXPECT_EQ(history->SelItem1, "見積依頼");
    dm.CloseRecvHis();
    EXPECT_EQ(dm.Rank().Get(0), "Ｂ");
    EXPECT_EQ(v.cbxSelItem[0]->itemText(0), QStringLiteral("見積依頼"));
    EXPECT_EQ(v.pnlDivision->text(), QStringLiteral("既存"));
    EXPECT_EQ(v.btnRegister->text(), QStringLiteral("名簿変更(&U)"));
    EXPECT_EQ(registered, std::vector<int>{call.RecNo});
    EXPECT_FALSE(v.HasUnsavedChanges());
}

TEST_F(ReceiveView, FailedRegistrationKeepsEverythingTyped) {
    TReceiveView& v = open();
    v.LoadCallRecord(incomingCall("P", "P"));
    EXPECT_EQ(v.edtTel1->text(), QStringLiteral("匿名着信"));
    EXPECT_FALSE(v.HasUnsavedChanges());
    v.edtNameKanji->setText(QStringLiteral("匿名の方"));
    v.edtMemo1->setText(QStringLiteral("夕方にかけ直し"));
    messages.expect("電話番号は半角数字かハイフンのみが有効です");
    v.btnRegister->click();
    EXPECT_EQ(v.edtNameKanji->text(), QStringLiteral("匿名の方"));
    EXPECT_EQ(v.edtMemo1->text(), QStringLiteral("夕方にかけ直し"));
    EXPECT_EQ(v.edtTel1->selectedText(), QStringLiteral("匿名着信"));
    EXPECT_TRUE(v.HasUnsavedChanges());
    // The automatic registration refuses the same silently.
    EXPECT_NE(v.RegisterCurrentCaller(), 0);

    // Closing asks; No keeps the view and the text.
    messages.expect("このまま閉じてもよろしいですか？", MessageResult::No);
    EXPECT_FALSE(v.RequestClose());
    EXPECT_TRUE(view);
    EXPECT_FALSE(closedHook);
    messages.expect("このまま閉じてもよろしいですか？", MessageResult::Yes);
    EXPECT_TRUE(v.RequestClose());
    EXPECT_TRUE(closedHook);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(view);
    IniFile again(ini.path());
    ASSERT_TRUE(again.load());
    EXPECT_TRUE(again.hasKey("RECEIVE VIEW", "Left"));
}

TEST_F(ReceiveView, ANoteTooLongIsRefusedOnTheButtonAndCutByTheAutomaticRegistration) {
    TReceiveView& v = open();
    v.LoadCallRecord(incomingCall("0312345678", "03-1234-5678"));
    v.mmNote->setPlainText(QString(int(kMaxNoteBytes), QLatin1Char('x')));
    v.mmNote->moveCursor(QTextCursor::End);
    QTest::keyClicks(v.mmNote, "yz");
    messages.expect("備考が長すぎます");
    QTest::mouseClick(v.btnRegister, Qt::LeftButton);
    EXPECT_EQ(v.focusWidget(), v.mmNote);
    EXPECT_TRUE(v.HasUnsavedChanges());
    ASSERT_TRUE(dm.OpenMeibo());
    EXPECT_EQ(dm.Meibo().count(), 0);
    dm.CloseMeibo();

    // The next call would take the view: what fits is kept.
    EXPECT_EQ(v.RegisterCurrentCaller(), 0);
    ASSERT_TRUE(dm.OpenMeibo());
    EXPECT_EQ(dm.Meibo().find(0)->Note, std::string(kMaxNoteBytes, 'x'));
    dm.CloseMeibo();
    EXPECT_EQ(v.mmNote->toPlainText().size(), int(kMaxNoteBytes));
}

TEST_F(ReceiveView, KnownCallerShowsItsRowAndLockKeepsTheView) {
    CallRecord call = incomingCall("0667778888", "06-6777-8888");
    call.Division = 1;
    call.MeiboRecNo = 0;
    call.Tel[1] = call.Tel[0];
    call.SchTel[1] = call.SchTel[0];
    call.Tel[0] = "03-5555-6666";
    call.SchTel[0] = "0355556666";
    call.TelIndex = 1;
    call.Rank = "Ｚ"; // no longer in the list: still shown
    call.Msg = 1;
    call.Msg1 = "支払い遅延あり";
    call.Msg2 = "経理へ回す";
    call.BGColor = "$0000FF";
    TReceiveView& v = open();
    v.LoadCallRecord(call);
    EXPECT_EQ(v.pnlDivision->text(), QStringLiteral("既存"));
    EXPECT_EQ(v.btnRegister->text(), QStringLiteral("名簿変更(&U)"));
    EXPECT_EQ(v.edtTel2->text(), QStringLiteral("06-6777-8888"));
    EXPECT_EQ(v.edtTel2->selectedText(), QStringLiteral("06-6777-8888"));
    EXPECT_EQ(v.cbxRank->currentText(), QStringLiteral("Ｚ"));
    EXPECT_FALSE(v.pnlMessage->isHidden());
    EXPECT_EQ(v.pnlMessage->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_FALSE(v.HasUnsavedChanges());

    EXPECT_FALSE(v.IsViewBusy());
    v.btnLock->click();
    EXPECT_TRUE(v.IsViewBusy());
    EXPECT_EQ(v.btnLock->text(), QStringLiteral("アンロック(&L)"));
    EXPECT_FALSE(v.lblLock[0]->isHidden());
    v.btnExchange->click();
    EXPECT_EQ(v.edtTel1->text(), QStringLiteral("06-6777-8888"));
    EXPECT_EQ(v.edtTel2->text(), QStringLiteral("03-5555-6666"));
    v.btnLock->click();
    EXPECT_FALSE(v.IsViewBusy());
}

TEST_F(ReceiveView, CopyFollowsTheConfiguredOrder) {
    TReceiveView& v = open();
    v.LoadCallRecord(incomingCall("0312345678", "03-1234-5678"));
    v.edtNameKanji->setText(QStringLiteral(" 佐藤花子 "));
    OutputItemSettings s = v.outputSettings();
    for (auto& item : s.roster)
        item.output = false;
    s.roster[3].output = true;
    s.roster[13].output = true;
    v.setOutputSettings(s);
    v.btnCopy->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("2026年 03月 02日,佐藤花子"));
    IniFile saved(ini.path());
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.readString("RECEIVE VIEW OUTPUT", "ItemOutput").substr(0, 10), "0,0,0,1,0,");
}

TEST_F(ReceiveView, MailAndMissingFunctions) {
    TReceiveView& v = open();
    v.LoadCallRecord(incomingCall("0312345678", "03-1234-5678"));
    std::vector<QUrl> opened;
    v.hooks().openUrl = [&opened](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    messages.expect("メールアドレスを入力してください");
    v.btnMail->click();
    v.edtEMail->setText(QStringLiteral("info@yamada.example"));
    v.btnMail->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(), QStringLiteral("mailto:info@yamada.example"));
    v.hooks().openUrl = [](const QUrl&) { return false; };
    messages.expect("メールソフトが起動できませんでした");
    v.btnMail->click();
    // The dictionary buttons work without hooks (tests/dictionary).
    for (QPushButton* b :
         {v.btnDial1, v.btnMap, v.btnItemPrint, v.btnWindowPrint, v.btnMemoPrint}) {
        messages.expect("この機能は現在準備中です");
        b->click();
    }
    std::string dialled;
    v.hooks().dial = [&](const std::string& n) {
        dialled = n;
        EXPECT_TRUE(v.IsViewBusy());
    };
    v.btnDial1->click();
    EXPECT_EQ(dialled, "03-1234-5678");
    EXPECT_FALSE(v.IsViewBusy());
}

TEST_F(ReceiveView, AddressBookModeCaptionAndNumbers) {
    ReceiveViewSettings settings;
    settings.UsePbAdrs = true;
    settings.PbEditionTitle = "番号名鑑 2026";
    settings.PbAdrsBookName = "営業部";
    CallRecord call = incomingCall("09012345678", "090-1234-5678");
    call.Tel[1] = "03-1111-2222";
    call.SchTel[1] = "0311112222";
    call.Tel[0] = "090-1234-5678";
    call.Tel[3] = "06-1234-0000";
    call.SchTel[3] = "0612340000";
    call.Division = 1;
    call.MeiboRecNo = 5;
    TReceiveView& v = open(settings);
    v.LoadCallRecord(call);
    EXPECT_EQ(v.windowTitle(), QStringLiteral("着信照会    - 番号名鑑 2026 [ 営業部 ]  -"));
    EXPECT_EQ(v.edtTel1->text(), QStringLiteral("090-1234-5678"));
    ASSERT_EQ(v.cbxOtherTel->count(), 2);
    EXPECT_EQ(v.cbxOtherTel->itemText(0), QStringLiteral("03-1111-2222"));
    EXPECT_EQ(v.itemValues()[6], "03-1111-2222");
    v.cbxOtherTel->setCurrentIndex(1);
    EXPECT_EQ(v.itemValues()[6], "06-1234-0000");
    EXPECT_FALSE(v.HasUnsavedChanges());
}

TEST(ReceiveViewMini, ShowsTheCallerAndOpensTheFullView) {
    kanata::test::TempFolders folders;
    IniFile ini(folders.scratch() / "Kanata195.ini");
    QPointer<TReceiveViewMini> mini = new TReceiveViewMini(ini, true, false, nullptr);
    CallRecord withheld;
    withheld.RecNo = 4;
    withheld.Tel[0] = "P";
    mini->ShowInMiniView(withheld);
    EXPECT_EQ(mini->sgMini->item(0, 1)->text(), QStringLiteral("匿名着信"));
    EXPECT_EQ(mini->sgMini->item(3, 0)->text(), QStringLiteral("名前"));

    CallRecord known;
    known.RecNo = 7;
    known.Tel[1] = "03-1234-5678";
    known.TelIndex = 1;
    known.Tdfkn = "東京都";
    known.Adrs1 = "千代田区";
    known.Adrs2 = "丸の内1-1";
    known.Adrs3 = "ビル3F";
    known.CorpKanji = "山田商店";
    mini->ShowInMiniView(known);
    EXPECT_EQ(mini->sgMini->item(0, 1)->text(), QStringLiteral("03-1234-5678"));
    EXPECT_EQ(mini->sgMini->item(1, 1)->text(), QStringLiteral("東京都千代田区丸の内1-1"));
    EXPECT_EQ(mini->sgMini->item(2, 1)->text(), QStringLiteral("山田商店"));

    std::vector<std::string> calls;
    mini->hooks().fullView = [] { return nullptr; };
    mini->hooks().showCallRecord = [&](const CallRecord& r) {
        calls.push_back("show " + std::to_string(r.RecNo));
    };
    mini->hooks().refreshHistory = [&] { calls.push_back("refresh"); };
    mini->hooks().selectHistoryRow = [&](int recNo) {
        calls.push_back("select " + std::to_string(recNo));
    };
    mini->sgMiniDblClick();
    EXPECT_EQ(calls, (std::vector<std::string>{"show 7", "refresh", "select 7"}));

    mini->show();
    mini->resize(400, 90);
    QApplication::processEvents();
    EXPECT_EQ(mini->sgMini->columnWidth(0), TReceiveViewMini::kLabelWidth);
    EXPECT_EQ(mini->sgMini->columnWidth(1),
              mini->sgMini->viewport()->width() - TReceiveViewMini::kLabelWidth);
    mini->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(mini);
    IniFile saved(ini.path());
    ASSERT_TRUE(saved.load());
    EXPECT_TRUE(saved.hasKey("RECEIVE VIEW MINI", "Width"));
}

TEST(ReceiveViewMini, OpensWithAllFourRowsInSight) {
    kanata::test::TempFolders folders;
    IniFile ini(folders.scratch() / "Kanata195.ini");
    TReceiveViewMini mini(ini, true, false, nullptr);
    mini.setAttribute(Qt::WA_DeleteOnClose, false);
    mini.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mini));
    const int lastRowEnd = mini.sgMini->rowViewportPosition(3) + mini.sgMini->rowHeight(3);
    EXPECT_EQ(lastRowEnd, 4 * TReceiveViewMini::kRowHeight);
    EXPECT_GE(mini.sgMini->viewport()->height(), lastRowEnd);
}

TEST_F(ReceiveView, MiniDoubleClickRegistersTheFullViewsCallerFirst) {
    TReceiveView& v = open();
    v.LoadCallRecord(incomingCall("0312345678", "03-1234-5678"));
    IniFile miniIni(folders.scratch() / "mini.ini");
    TReceiveViewMini mini(miniIni, true, false, nullptr);
    mini.setAttribute(Qt::WA_DeleteOnClose, false);
    CallRecord other;
    other.RecNo = 99;
    other.Tel[0] = "06-1111-2222";
    mini.ShowInMiniView(other);
    mini.hooks().fullView = [&] { return view.data(); };
    int shown = -1;
    mini.hooks().showCallRecord = [&](const CallRecord& r) { shown = r.RecNo; };
    mini.sgMiniDblClick();
    EXPECT_EQ(shown, 99);
    ASSERT_TRUE(dm.OpenMeibo());
    EXPECT_EQ(dm.Meibo().count(), 1); // registered before the record was replaced
    dm.CloseMeibo();

    // The full view already shows the call: it only comes forward.
    shown = -1;
    int selected = -1;
    mini.hooks().selectHistoryRow = [&](int recNo) { selected = recNo; };
    other.RecNo = v.CurrentRecNo();
    mini.ShowInMiniView(other);
    mini.sgMiniDblClick();
    EXPECT_EQ(shown, -1);
    EXPECT_EQ(selected, v.CurrentRecNo());
}

TEST_F(ReceiveView, ListEditorAndItemSetupOpenFromTheView) {
    TReceiveView& v = open();
    v.LoadCallRecord(incomingCall("0312345678", "03-1234-5678"));
    v.cbxSelItem[1]->setEditText(QStringLiteral("手入力"));
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TInputList*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->tabList->currentIndex(), 2);
        EXPECT_EQ(dialog->tabList->tabText(2), QStringLiteral(" メモ "));
        dialog->edtName->setText(QStringLiteral("要確認"));
        dialog->btnAdd->click();
        dialog->btnOK->click();
    });
    v.btnListEdit[2]->click();
    ASSERT_EQ(v.cbxSelItem[1]->count(), 1);
    EXPECT_EQ(v.cbxSelItem[1]->itemText(0), QStringLiteral("要確認"));
    EXPECT_EQ(v.cbxSelItem[1]->currentText(), QStringLiteral("手入力"));
    EXPECT_TRUE(v.focusWidget() == v.cbxSelItem[1] ||
                v.focusWidget() == v.cbxSelItem[1]->lineEdit())
        << (v.focusWidget() ? v.focusWidget()->metaObject()->className() : "none");

    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TOutputItem*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->lbxItems->item(0)->setCheckState(Qt::Checked);
        dialog->btnOK->click();
    });
    v.btnItemSetup->click();
    EXPECT_TRUE(v.outputSettings().roster[0].output);
    IniFile saved(ini.path());
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.readString("RECEIVE VIEW OUTPUT", "ItemOutput").substr(0, 2), "1,");
}

TEST(OutputItemDialog, RefusesNoItemAndRestoresTheOrder) {
    ScriptedMessages messages;
    OutputItemSettings settings;
    TOutputItem dialog(settings, false, {"内容", "メモ", "受付"}, messages);
    EXPECT_EQ(dialog.lbxItems->count(), 25);
    EXPECT_EQ(dialog.lbxItems->item(13)->text(), QStringLiteral("名前漢字"));
    dialog.lbxItems->setCurrentRow(13);
    dialog.moveSelected(0);
    EXPECT_EQ(dialog.lbxItems->item(0)->text(), QStringLiteral("名前漢字"));
    EXPECT_EQ(dialog.settings().roster[0].code, 13);
    dialog.restoreOrder();
    EXPECT_EQ(dialog.lbxItems->item(13)->text(), QStringLiteral("名前漢字"));
    EXPECT_EQ(dialog.lbxItems->item(13)->checkState(), Qt::Checked);

    for (int i = 0; i < 25; ++i)
        dialog.lbxItems->item(i)->setCheckState(Qt::Unchecked);
    messages.expect("項目を１つ以上選択してください");
    dialog.accept();
    EXPECT_EQ(dialog.result(), 0);
    dialog.btnAllOutput->click();
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    for (const QString& font : TOutputItem::FixedPitchFonts())
        EXPECT_FALSE(font.startsWith(QLatin1Char('@')));
    // The selection items carry their configured names.
    TOutputItem named(settings, true, {"用件", "担当", "対応"}, messages);
    EXPECT_EQ(named.lbxItems->item(20)->text(), QStringLiteral("用件"));
    EXPECT_EQ(named.lbxItems->item(5)->text(), QStringLiteral("着信電話番号"));
}

TEST(InputListDialog, CancelAsksAndMaskFollowsTheChanges) {
    kanata::test::TempFolders folders;
    ScriptedMessages messages;
    THistoryData rank(folders.scratch() / "Rank.mtd", true, 20);
    rank.Add("Ａ");
    THistoryData sel(folders.scratch() / "SelItem1.mtd", true, 60);
    TInputList dialog({{" ランク ", &rank}, {" 内容 ", &sel}}, messages, 1);
    EXPECT_EQ(dialog.tabList->currentIndex(), 1);
    EXPECT_EQ(kanata::ui::Cp932ByteLimitOf(dialog.edtName), 60);
    dialog.edtName->setText(QStringLiteral("見積"));
    dialog.btnAdd->click();
    EXPECT_EQ(dialog.lbxNames->count(), 1);
    EXPECT_TRUE(dialog.edtName->text().isEmpty());
    messages.expect("内容\r\n\r\n以上のリストが変更されています", MessageResult::No);
    dialog.reject();
    EXPECT_EQ(dialog.result(), 0);
    dialog.btnOK->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.changedMask(), 2);
    EXPECT_EQ(sel.Get(0), "見積");
}

} // namespace
