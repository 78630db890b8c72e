// The call view's dictionary buttons and name edits, as the intake opens
// the view for a call.
#include "data/TDMKanata195.h"
#include "lookup/gui/TDicSearch.h"
#include "lookup/gui/TNameDicP.h"
#include "settings/IniFile.h"
#include "tests/dictionary/WhenDialogOpens.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "views/gui/TReceiveView.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kanata;

namespace {

class CallViewDictionary : public ::testing::Test {
protected:
    test::TempFolders folders;
    test::ScriptedMessages messages;
    TDMKanata195 dm{folders.scratch() / "Data", messages};
    IniFile ini{folders.scratch() / "Kanata195.ini"};
    QPointer<TReceiveView> view;

    void SetUp() override {
        dm.LoadItemLists(folders.scratch() / "app");
        view = new TReceiveView(dm, messages, ReceiveViewSettings{}, ini);
        view->hooks().dictionaryFolder = test::stageFolder() / "Dic";
        CallRecord call;
        call.SchTel[0] = "0312345678";
        call.Tel[0] = "03-1234-5678";
        view->LoadCallRecord(call);
        QApplication::setActiveWindow(view);
    }
    void TearDown() override {
        if (view) {
            view->setAttribute(Qt::WA_DeleteOnClose, false);
            delete view.data();
        }
    }
};

TEST_F(CallViewDictionary, AddressButtonCompletesPostalCodeAndCodes) {
    view->edtTdfkn->setText(QStringLiteral("東京都"));
    view->edtAdrs1->setText(QStringLiteral("千代田区丸の内"));
    bool answered = false;
    test::whenDialogOpens([&](TDicSearch& dialog) {
        TDicSearch* d = &dialog;
        answered = true;
        TDicSearch::Page& p = d->pages[2];
        EXPECT_EQ(p.edtSearch->text(), QStringLiteral("東京都千代田区丸の内"));
        ASSERT_GT(p.lvTown->topLevelItemCount(), 0);
        QTreeWidgetItem* first = p.lvTown->topLevelItem(0);
        EXPECT_EQ(first->text(2), QStringLiteral("丸の内"));
        p.lvTown->setCurrentItem(first);
        p.lvTown->setFocus();
        QTest::keyClick(p.lvTown, Qt::Key_Enter);
        if (d->isVisible()) {
            ADD_FAILURE() << "Enter on a town did not decide";
            d->reject();
        }
    });
    QTest::mouseClick(view->btnAdrsDic, Qt::LeftButton);
    EXPECT_TRUE(answered);
    EXPECT_EQ(view->edtPos->text(), QStringLiteral("100-0005"));
    EXPECT_EQ(view->lblJisCode->text(), QStringLiteral("13101"));
    // The address typed already began with the town found: it stays.
    EXPECT_EQ(view->edtAdrs1->text(), QStringLiteral("千代田区丸の内"));
    EXPECT_NE(view->record().Latitude, 0);
}

TEST_F(CallViewDictionary, NameTypedInKanjiFillsTheKanaAndThePopupOffersForms) {
    QLineEdit* kanji = view->edtNameKanji;
    kanji->setFocus();
    QInputMethodEvent typing(QStringLiteral("やまだ"), {});
    QApplication::sendEvent(kanji, &typing);
    QCoreApplication::processEvents();
    auto* popup = view->findChild<TNameDicP*>();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->sgNames->item(0, 1)->text(), QStringLiteral("山田"));
    QInputMethodEvent done;
    done.setCommitString(QStringLiteral("山田"));
    QApplication::sendEvent(kanji, &done);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(kanji->text(), QStringLiteral("山田"));
    EXPECT_EQ(view->edtNameKana->text(), QStringLiteral("ﾔﾏﾀﾞ"));
}

} // namespace
