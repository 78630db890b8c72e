// The dictionary search dialog driven from the roster editor and the call
// view, as a user reaches it.
#include "lookup/gui/TDicSearch.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboView.h"
#include "settings/IniFile.h"
#include "tests/dictionary/WhenDialogOpens.h"
#include "tests/roster/RosterFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>

#include <fstream>
#include <functional>

using namespace kanata;
using kanata::test::whenDialogOpens;

namespace {

// Typed text goes through QTest as keys where it is ASCII; QTest cannot
// type other characters, which a user would enter through the input method.
QTreeWidgetItem* townRow(TDicSearch& d, int tab, const QString& town) {
    QTreeWidget* list = d.pages[static_cast<std::size_t>(tab)].lvTown;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(2) == town)
            return list->topLevelItem(i);
    return nullptr;
}

QStringList column(QTreeWidget* list, int c) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(c);
    return out;
}

class DicSearchWindow : public test::RosterFixture {
protected:
    std::unique_ptr<IniFile> ini;
    std::unique_ptr<TMeiboList> list;

    void SetUp() override {
        RosterFixture::SetUp();
        ini = std::make_unique<IniFile>(folders.scratch() / "Kanata195.ini");
        list = std::make_unique<TMeiboList>(dm, messages, *ini, MeiboSettings{},
                                            folders.scratch() / "CstmClr.ini");
        list->viewHooks().dictionaryFolder = test::stageFolder() / "Dic";
        list->show();
    }
    void TearDown() override {
        list.reset();
        RosterFixture::TearDown();
    }
    TMeiboView& newRecord() {
        QTest::mouseClick(list->btnNew, Qt::LeftButton);
        EXPECT_NE(list->view(), nullptr);
        return *list->view();
    }
};

TEST_F(DicSearchWindow, PostalSearchFromTheEditorFillsAddressAndCodes) {
    TMeiboView& view = newRecord();
    QTest::keyClicks(view.edtPos, "1000005");
    bool seen = false;
    whenDialogOpens([&](TDicSearch& d) {
        seen = true;
        EXPECT_EQ(d.parentWidget(), &view);
        EXPECT_EQ(d.pcSearch->currentIndex(), TDicSearch::PostalTab);
        EXPECT_EQ(d.pages[1].lblPrompt->text(),
                  QStringLiteral("郵便番号検索結果から住所を選択してください。"));
        ASSERT_EQ(d.pages[1].lbxCity->count(), 1);
        EXPECT_EQ(d.pages[1].lbxCity->item(0)->text(), QStringLiteral("千代田区"));
        QTreeWidgetItem* row = townRow(d, 1, QStringLiteral("丸の内"));
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->text(0), QStringLiteral("100-0005"));
        EXPECT_EQ(row->text(1), QStringLiteral("ま"));
        d.pages[1].lvTown->setFocus();
        d.pages[1].lvTown->setCurrentItem(row);
        QTest::keyClick(d.pages[1].lvTown, Qt::Key_Return);
    });
    QTest::mouseClick(view.btnPosSch, Qt::LeftButton);
    EXPECT_TRUE(seen);
    EXPECT_EQ(view.edtPos->text(), QStringLiteral("100-0005"));
    EXPECT_EQ(view.edtTdfkn->text(), QStringLiteral("東京都"));
    EXPECT_EQ(view.edtAdrs1->text(), QStringLiteral("千代田区"));
    EXPECT_EQ(view.edtAdrs2->text(), QStringLiteral("丸の内"));
    const MeiboFields f = view.fields();
    EXPECT_EQ(f.JisCode, "13101");
    EXPECT_NE(f.Latitude, 0);
}

TEST_F(DicSearchWindow, NumberSearchListsWardsAndKeepsAnAddressThatAlreadyFits) {
    TMeiboView& view = newRecord();
    QTest::keyClicks(view.edtTel1, "03-1234-5678");
    view.edtTdfkn->setText(QStringLiteral("東京都"));
    view.edtAdrs1->setText(QStringLiteral("港区芝公園"));
    view.edtAdrs2->setText(QStringLiteral("４－２－８"));
    whenDialogOpens([](TDicSearch& d) {
        EXPECT_EQ(d.pcSearch->currentIndex(), TDicSearch::NumberTab);
        // The wards, and the cities the 03 area reaches into.
        EXPECT_EQ(d.pages[0].lbxCity->count(), 26);
        EXPECT_EQ(d.pages[0].edtSearch->text(), QStringLiteral("03-1234-5678"));
        const auto wards = d.pages[0].lbxCity->findItems(QStringLiteral("港区"), Qt::MatchExactly);
        ASSERT_EQ(wards.size(), 1);
        d.pages[0].lbxCity->setCurrentItem(wards.front());
        QTreeWidgetItem* row = townRow(d, 0, QStringLiteral("芝公園"));
        ASSERT_NE(row, nullptr);
        d.pages[0].lvTown->setCurrentItem(row);
        QTest::mouseClick(d.btnDecide, Qt::LeftButton);
    });
    QTest::mouseClick(view.btnTelSch1, Qt::LeftButton);
    EXPECT_EQ(view.edtTel1->text(), QStringLiteral("03-1234-5678"));
    EXPECT_EQ(view.edtPos->text(), QStringLiteral("105-0011"));
    // The address shown already began with 東京都港区芝公園: it stays.
    EXPECT_EQ(view.edtAdrs1->text(), QStringLiteral("港区芝公園"));
    EXPECT_EQ(view.edtAdrs2->text(), QStringLiteral("４－２－８"));
    EXPECT_EQ(view.fields().JisCode, "13103");
}

TEST_F(DicSearchWindow, InputChecksShowInThePromptAndCancelChangesNothing) {
    TMeiboView& view = newRecord();
    view.edtAdrs1->setText(QStringLiteral("元の住所"));
    whenDialogOpens([](TDicSearch& d) {
        TDicSearch::Page& p = d.pages[1];
        // "--" keeps no digit: the dialog opens with an empty edit.
        EXPECT_TRUE(p.edtSearch->text().isEmpty());
        QTest::mouseClick(p.btnSearch, Qt::LeftButton);
        EXPECT_EQ(p.lblPrompt->text(), QStringLiteral("検索する郵便番号を入力してください。"));
        QTest::keyClicks(p.edtSearch, "--");
        QTest::keyClick(p.edtSearch, Qt::Key_Return);
        EXPECT_EQ(p.lblPrompt->text(), QStringLiteral("ハイフンのみは無効です。"));
        EXPECT_EQ(p.lblPrompt->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        p.edtSearch->clear();
        QTest::keyClicks(p.edtSearch, "1234");
        QTest::keyClick(p.edtSearch, Qt::Key_Return);
        EXPECT_EQ(p.lblPrompt->text(), QStringLiteral("入力した郵便番号に誤りがあります。"));
        p.edtSearch->clear();
        QTest::keyClicks(p.edtSearch, "0000000");
        QTest::keyClick(p.edtSearch, Qt::Key_Return);
        EXPECT_EQ(p.lblPrompt->text(), QStringLiteral("該当する住所は見つかりませんでした。"));
        // Deciding with empty lists does nothing.
        QTest::mouseClick(d.btnDecide, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        QTest::mouseClick(d.btnCancel, Qt::LeftButton);
    });
    view.edtPos->setText(QStringLiteral("--"));
    QTest::mouseClick(view.btnPosSch, Qt::LeftButton);
    EXPECT_EQ(view.edtAdrs1->text(), QStringLiteral("元の住所"));
    EXPECT_TRUE(view.edtPos->text() == QStringLiteral("--"));
}

TEST_F(DicSearchWindow, AddressTabFiltersByKanaRowAndShowsOffices) {
    TMeiboView& view = newRecord();
    view.edtTdfkn->setText(QStringLiteral("東京都"));
    view.edtAdrs1->setText(QStringLiteral("千代田区"));
    whenDialogOpens([](TDicSearch& d) {
        TDicSearch::Page& p = d.pages[2];
        EXPECT_EQ(d.pcSearch->currentIndex(), TDicSearch::AddressTab);
        ASSERT_EQ(p.lbxCity->count(), 1);
        const int all = p.lvTown->topLevelItemCount();
        EXPECT_GT(all, 30);
        p.cbxKana->setCurrentIndex(7); // ま行
        const QStringList initials = column(p.lvTown, 1);
        EXPECT_EQ(initials.front(), QStringLiteral("ま"));
        EXPECT_TRUE(column(p.lvTown, 2).contains(QStringLiteral("丸の内")));
        EXPECT_FALSE(column(p.lvTown, 2).contains(QStringLiteral("大手町")));
        // The initial is shown once per group.
        EXPECT_EQ(initials.count(QStringLiteral("ま")), 1);
        QTest::mouseClick(p.rbOffice, Qt::LeftButton);
        EXPECT_EQ(p.lvTown->headerItem()->text(3), QStringLiteral("大口事業所等名"));
        EXPECT_GT(p.lvTown->topLevelItemCount(), 0);
        p.lvTown->setCurrentItem(p.lvTown->topLevelItem(0));
        QTest::mouseClick(d.btnDecide, Qt::LeftButton);
    });
    QTest::mouseClick(view.btnAdrsSch, Qt::LeftButton);
    EXPECT_FALSE(view.edtCorpKanji->text().isEmpty());
    EXPECT_EQ(view.cbxPrivCorp->currentIndex(), 1);
    EXPECT_EQ(view.edtAdrs1->text(), QStringLiteral("千代田区"));
}

TEST_F(DicSearchWindow, WheelOverTheTabsWrapsAround) {
    TDicSearch d(test::stageFolder() / "Dic", messages, list.get());
    d.SetTabs(7, true);
    d.show();
    QTabBar* bar = d.pcSearch->tabBar();
    auto wheel = [bar](int dy) {
        QWheelEvent e(QPointF(5, 5), bar->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, dy),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(bar, &e);
    };
    wheel(-120);
    EXPECT_EQ(d.pcSearch->currentIndex(), 1);
    wheel(-120);
    wheel(-120);
    EXPECT_EQ(d.pcSearch->currentIndex(), 0);
    wheel(120);
    EXPECT_EQ(d.pcSearch->currentIndex(), 2);
}

TEST_F(DicSearchWindow, FiveDigitCodeIsListedWithItsHyphenAndWaHidesWoAndN) {
    // A small folder with an old five-digit code and readings of the わ row.
    const auto dic = folders.scratch() / "Dic";
    std::filesystem::create_directories(dic);
    std::ofstream(dic / "city.txt") << "99201\t架空県\t架空市\tｶｸｳｹﾝ\tｶｸｳｼ\t\t\n";
    std::ofstream(dic / "postal.txt") << "12345\t99201\t架空県\t架空市\t和田\tﾜﾀﾞ\t\t\t\t\n"
                                         "1234501\t99201\t架空県\t架空市\t遠野\tｦﾉ\t\t\t\t\n"
                                         "1234502\t99201\t架空県\t架空市\t運川\tﾝｶﾜ\t\t\t\t\n";
    std::ofstream(dic / "area.txt") << "";
    TDicSearch d(dic, messages, list.get());
    d.SetTabs(7, true);
    ASSERT_EQ(d.Start(2, "123"), TDicSearch::kStartShow);
    TDicSearch::Page& p = d.pages[1];
    EXPECT_EQ(column(p.lvTown, 0),
              (QStringList{QStringLiteral("123-45"), QStringLiteral("123-4501"),
                           QStringLiteral("123-4502")}));
    p.cbxKana->setCurrentIndex(10); // わ行
    EXPECT_EQ(column(p.lvTown, 2), QStringList{QStringLiteral("和田")});
    EXPECT_EQ(column(p.lvTown, 1), QStringList{QStringLiteral("わ")});
}

TEST_F(DicSearchWindow, AnAreaWithoutTownsCannotBeDecided) {
    // An exchange area whose name is no municipality: its name is listed,
    // no town, and deciding does nothing.
    const auto dic = folders.scratch() / "Dic";
    std::filesystem::create_directories(dic);
    std::ofstream(dic / "city.txt") << "";
    std::ofstream(dic / "postal.txt") << "";
    std::ofstream(dic / "area.txt") << "0999\t不明\t\n";
    list->viewHooks().dictionaryFolder = dic;
    TMeiboView& view = newRecord();
    view.edtTdfkn->setText(QStringLiteral("東京都"));
    QTest::keyClicks(view.edtTel1, "0999-12-3456");
    bool stayed = false;
    whenDialogOpens([&stayed](TDicSearch& d) {
        EXPECT_EQ(d.pages[0].lbxCity->count(), 1);
        EXPECT_EQ(d.pages[0].lvTown->topLevelItemCount(), 0);
        QTest::mouseClick(d.btnDecide, Qt::LeftButton);
        stayed = d.isVisible();
        QTest::mouseClick(d.btnCancel, Qt::LeftButton);
    });
    QTest::mouseClick(view.btnTelSch1, Qt::LeftButton);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(view.edtTdfkn->text(), QStringLiteral("東京都"));
    EXPECT_TRUE(view.edtPos->text().isEmpty());
}

TEST_F(DicSearchWindow, KnownNumberReturnsTheCallersRecordWithoutShowing) {
    TDicSearch d(test::stageFolder() / "Dic", messages, list.get());
    bool asked = false;
    d.lookupCaller = [&](bool ownBook, const std::string& number, CallRecord& r) {
        asked = ownBook && number == "0312345678";
        r.NameKanji = "山田";
        return 0;
    };
    d.SetTabs(7, true);
    EXPECT_EQ(d.Start(0, "0312345678"), TDicSearch::kStartDecided);
    EXPECT_TRUE(asked);
    EXPECT_EQ(d.resultKind(), kDicCallRecord);
    EXPECT_EQ(d.callRecord().NameKanji, "山田");
    EXPECT_FALSE(d.isVisible());
}

} // namespace
