// The caller form the call view and the roster editor share: the same
// limits, the same name dictionary, the same busy mark, each window with
// its own tab order.
#include "lookup/gui/TNameDicP.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboView.h"
#include "settings/IniFile.h"
#include "tests/roster/RosterFixture.h"
#include "tests/support/UserInput.h"
#include "views/gui/TReceiveView.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>

#include <vector>

using namespace kanata;

namespace {

// The widgets of `among` in the order Tab visits them, starting at `start`.
std::vector<QWidget*> tabOrder(QWidget* start, const std::vector<QWidget*>& among) {
    std::vector<QWidget*> order;
    QWidget* w = start;
    do {
        if (std::find(among.begin(), among.end(), w) != among.end())
            order.push_back(w);
        w = w->nextInFocusChain();
    } while (w && w != start);
    return order;
}

// Every edit of the shared form holds no more than its stored field.
void expectStoredWidths(const ui::CallerFormControls& form) {
    using R = CallRecord;
    const std::vector<std::pair<QLineEdit*, std::size_t>> edits = {
        {form.edtTel1, R::kTelWidth},          {form.edtPos, R::kPosWidth},
        {form.edtTdfkn, R::kTdfknWidth},       {form.edtAdrs1, R::kAdrs1Width},
        {form.edtAdrs2, R::kAdrs2Width},       {form.edtAdrs3, R::kAdrs3Width},
        {form.edtCorpKana, R::kCorpKanaWidth}, {form.edtCorpKanji, R::kCorpKanjiWidth},
        {form.edtNameKana, R::kNameKanaWidth}, {form.edtNameKanji, R::kNameKanjiWidth},
        {form.edtMemo1, R::kMemoWidth},        {form.edtMemo3, R::kMemoWidth},
        {form.edtEMail, R::kEMailWidth}};
    for (const auto& [edit, width] : edits) {
        edit->setText(QString(300, QLatin1Char('7')));
        EXPECT_EQ(static_cast<std::size_t>(edit->text().size()), width);
        // A double-byte character counts two.
        edit->setText(QString(300, QChar(0x5C71)));
        EXPECT_EQ(static_cast<std::size_t>(edit->text().size()), width / 2);
    }
}

class CallerForms : public test::RosterFixture {
protected:
    IniFile settingsFile{folders.scratch() / "Kanata195.ini"};
    std::unique_ptr<TMeiboList> list;
    QPointer<TReceiveView> callView;
    std::vector<QUrl> opened;

    void SetUp() override {
        RosterFixture::SetUp();
        // Both windows look names and addresses up in the shipped dictionaries.
        const auto dic = test::stageFolder() / "Dic";
        list = std::make_unique<TMeiboList>(dm, messages, settingsFile, MeiboSettings{},
                                            folders.scratch() / "CstmClr.ini");
        list->viewHooks().dictionaryFolder = dic;
        list->show();
    }
    void TearDown() override {
        delete callView.data();
        list.reset();
        RosterFixture::TearDown();
    }
    // "新規登録(&A)" in the roster list, as the user opens the editor.
    TMeiboView& openEditor() {
        test::click(list->btnNew);
        EXPECT_NE(list->view(), nullptr);
        return *list->view();
    }
    // The call view as the intake shows it for a call.
    TReceiveView& openCallView(bool addressBook = false) {
        ReceiveViewSettings settings;
        settings.UsePbAdrs = addressBook;
        callView = new TReceiveView(dm, messages, settings, settingsFile);
        callView->hooks().dictionaryFolder = test::stageFolder() / "Dic";
        callView->hooks().openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        CallRecord call;
        call.SchTel[0] = "0312345678";
        call.Tel[0] = "03-1234-5678";
        callView->LoadCallRecord(call);
        return *callView;
    }
};

TEST_F(CallerForms, EachWindowKeepsItsTabOrder) {
    TMeiboView& e = openEditor();
    const std::vector<QWidget*> editorOrder = {
        e.edtTel1,     e.edtTel2,      e.btnTelSch1,  e.btnTelSch2,
        e.btnExchange, e.btnDial,      e.edtPos,      e.btnPosSch,
        e.edtTdfkn,    e.edtAdrs1,     e.edtAdrs2,    e.edtAdrs3,
        e.btnAdrsSch,  e.btnMap,       e.edtCorpKana, e.edtCorpKanji,
        e.edtNameKana, e.edtNameKanji, e.btnNameDic,  e.cbxPrivCorp,
        e.edtMemo1,    e.edtMemo2,     e.edtMemo3,    e.edtEMail,
        e.btnMail,     e.cbxRank,      e.btnRankEdit, e.subPage->lbxExtLink,
        e.btnRegister, e.btnClose};
    EXPECT_EQ(tabOrder(e.edtTel1, editorOrder), editorOrder);

    for (bool addressBook : {false, true}) {
        TReceiveView& v = openCallView(addressBook);
        QWidget* second = addressBook ? static_cast<QWidget*>(v.cbxOtherTel) : v.edtTel2;
        const std::vector<QWidget*> viewOrder = {
            v.edtTel1,      v.btnDial1,       v.btnDial2,       v.btnExchange,   v.btnTelDic,
            second,         v.edtPos,         v.btnPosDic,      v.edtTdfkn,      v.edtAdrs1,
            v.edtAdrs2,     v.edtAdrs3,       v.btnAdrsDic,     v.btnMap,        v.edtCorpKana,
            v.edtCorpKanji, v.edtNameKana,    v.edtNameKanji,   v.btnNameDic,    v.cbxPrivCorp,
            v.edtMemo1,     v.edtMemo2,       v.edtMemo3,       v.edtEMail,      v.btnMail,
            v.cbxRank,      v.btnListEdit[0], v.btnListEdit[3], v.cbxSelItem[0], v.cbxSelItem[2],
            v.btnRegister,  v.btnClose};
        EXPECT_EQ(tabOrder(v.edtTel1, viewOrder), viewOrder) << "address book " << addressBook;
        EXPECT_EQ(v.edtTel2 == nullptr, addressBook);
        delete callView.data();
    }
}

TEST_F(CallerForms, BothFormsHoldTheStoredWidths) {
    TMeiboView& editor = openEditor();
    expectStoredWidths(editor);
    editor.edtTel2->setText(QString(30, QLatin1Char('1')));
    EXPECT_EQ(editor.edtTel2->text().size(), 13);
    // The roster editor types numbers and the address without the input
    // method; the call view leaves it on.
    EXPECT_FALSE(editor.edtTel2->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(editor.edtEMail->testAttribute(Qt::WA_InputMethodEnabled));
    TReceiveView& view = openCallView();
    expectStoredWidths(view);
    EXPECT_TRUE(view.edtTel1->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(CallerForms, NameDictionaryButtonOffersNamesInBothForms) {
    TMeiboView& editor = openEditor();
    TReceiveView& view = openCallView();
    for (ui::CallerFormControls* form : {static_cast<ui::CallerFormControls*>(&editor),
                                         static_cast<ui::CallerFormControls*>(&view)}) {
        QWidget* window = form->edtNameKana->window();
        window->show();
        form->edtNameKana->setText(QStringLiteral("ﾔﾏﾀﾞ"));
        test::click(form->btnNameDic);
        auto* popup = window->findChild<TNameDicP*>();
        ASSERT_NE(popup, nullptr) << window->windowTitle().toStdString();
        EXPECT_TRUE(popup->isVisible());
        EXPECT_FALSE(popup->sgNames->findItems(QStringLiteral("山田"), Qt::MatchExactly).isEmpty());
        popup->hide();
    }
}

TEST_F(CallerForms, HookedActionsRunWhileTheFormIsBusy) {
    TMeiboView& editor = openEditor();
    bool editorBusy = false;
    editor.hooks().map = [&](TMeiboView& v) { editorBusy = v.IsSubDialogOpen(); };
    test::click(editor.btnMap);
    EXPECT_TRUE(editorBusy);
    EXPECT_FALSE(editor.IsSubDialogOpen());

    TReceiveView& view = openCallView();
    view.show();
    std::vector<std::string> dialled;
    bool viewBusy = false;
    view.hooks().dial = [&](const std::string& number) {
        viewBusy = view.IsViewBusy();
        dialled.push_back(number);
    };
    test::click(view.btnDial1);
    EXPECT_TRUE(viewBusy);
    EXPECT_FALSE(view.IsViewBusy());
    EXPECT_EQ(dialled, std::vector<std::string>{"03-1234-5678"});
    // Without its hook the map tells that it is not there yet.
    messages.expect("この機能は現在準備中です");
    test::click(view.btnMap);
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(CallerForms, MailAddressIsPrefixedOnlyOnce) {
    TReceiveView& view = openCallView();
    view.show();
    view.edtEMail->setText(QStringLiteral("mailto:info@yamada.example"));
    test::click(view.btnMail);
    view.edtEMail->setText(QStringLiteral("sales@yamada.example"));
    test::click(view.btnMail);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].toString(), QStringLiteral("mailto:info@yamada.example"));
    EXPECT_EQ(opened[1].toString(), QStringLiteral("mailto:sales@yamada.example"));
}

} // namespace
