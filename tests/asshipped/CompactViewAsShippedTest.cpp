// The compact call view as calls bring it up: its double click opens the
// call in the full view, which stays in front, and it follows the settings
// the user changes while it is open. The full view gives the focus back
// when it closes.
#include "data/TDMKanata195.h"
#include "environment/gui/TEnvironment.h"
#include "history/gui/ListRowView.h"
#include "history/gui/THistoryList.h"
#include "tests/asshipped/ShippedProgram.h"
#include "tests/support/UserInput.h"
#include "views/gui/TReceiveView.h"
#include "views/gui/TReceiveViewMini.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace kanata::test {
namespace {

class CompactViewAsShipped : public ShippedProgram {
protected:
    // The compact view pops up with the history list; the full view only
    // when the user asks for it.
    void SetUp() override {
        ShippedProgram::SetUp();
        editSettings([](IniFile& ini) {
            ini.writeBool("OPERATION", "RecvViewMiniPopup", true);
            ini.writeBool("OPERATION", "RecvViewPopup", false);
        });
    }

    TReceiveViewMini* callIn(const char* number, std::int64_t rowsAfter) {
        if (runTool("ktcall", {QString::fromLatin1(number)}) != 0)
            return nullptr;
        waitUntil([this, rowsAfter] { return historyRows() == rowsAfter; }, 10000);
        waitUntil([] { return visibleWindow<TReceiveViewMini>() != nullptr; }, 10000);
        return visibleWindow<TReceiveViewMini>();
    }

    std::int64_t historyRows() {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        return use ? dm.RecvHis().table().count() : 0;
    }

    std::int64_t rosterRows(const std::string& key) {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        return use ? dm.Meibo().count("\"SchTel1\" = ?", {key}) : -1;
    }

    // Press, release, double click, release: what the window system hands
    // the cells for a double click.
    static void doubleClick(TReceiveViewMini& mini) {
        QWidget* cells = mini.sgMini->viewport();
        const QPointF at = mini.sgMini->visualItemRect(mini.sgMini->item(0, 1)).center();
        const QPointF global = cells->mapToGlobal(at);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            const bool down = type != QEvent::MouseButtonRelease;
            QMouseEvent event(type, at, global, Qt::LeftButton,
                              down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(cells, &event);
        }
    }
};

TEST_F(CompactViewAsShipped, DoubleClickOpensTheCallInTheFullViewInFrontOfTheList) {
    ASSERT_TRUE(start());
    TReceiveViewMini* mini = callIn("0312345000", 1);
    ASSERT_NE(mini, nullptr);
    THistoryList* list = visibleWindow<THistoryList>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(mini->sgMini->item(0, 1)->text(), QStringLiteral("03-1234-5000"));

    doubleClick(*mini);
    TReceiveView* view = nullptr;
    ASSERT_TRUE(
        waitUntil([&view] { return (view = visibleWindow<TReceiveView>()) != nullptr; }, 5000));
    EXPECT_EQ(view->edtTel1->text(), QStringLiteral("03-1234-5000"));
    EXPECT_TRUE(waitUntil([view] { return QApplication::activeWindow() == view; }, 5000));
    // Give the list every chance to come up over the view: it must not.
    QTest::qWait(200);
    EXPECT_EQ(QApplication::activeWindow(), view);
    ASSERT_EQ(list->lbxRecvHis->selectedRowNumbers(), std::vector<int>{0});
    EXPECT_EQ(list->rowKeys().at(0), view->CurrentRecNo());
}

TEST_F(CompactViewAsShipped, AnOpenCompactViewFollowsTheChangedSettings) {
    ASSERT_TRUE(start());
    TReceiveViewMini* mini = callIn("0312345000", 1);
    ASSERT_NE(mini, nullptr);

    // The user switches the automatic registration off from the menu.
    WhenModal<TEnvironment> settings([](TEnvironment& dialog) {
        dialog.pageReceiveHistory->chkAutoAdd->setChecked(false);
        dialog.btnSetClick();
    });
    form->actEnvironment->trigger();
    ASSERT_TRUE(settings.ran());
    ASSERT_FALSE(program->settings().AutoAdd);

    doubleClick(*mini);
    ASSERT_TRUE(waitUntil([] { return visibleWindow<TReceiveView>() != nullptr; }, 5000));

    ASSERT_EQ(callIn("0312345001", 2), mini);
    // Stored first, shown when the windows get their turn.
    ASSERT_TRUE(waitUntil(
        [mini] { return mini->sgMini->item(0, 1)->text() == QStringLiteral("03-1234-5001"); },
        5000));
    doubleClick(*mini);
    ASSERT_TRUE(waitUntil(
        [] {
            return visibleWindow<TReceiveView>()->edtTel1->text() == QStringLiteral("03-1234-5001");
        },
        5000));
    EXPECT_EQ(rosterRows("0312345000"), 0) << "the caller the view showed was registered";
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(CompactViewAsShipped, ClosingTheFullViewGoesBackToTheHistoryList) {
    ASSERT_TRUE(start());
    TReceiveViewMini* mini = callIn("0312345000", 1);
    ASSERT_NE(mini, nullptr);
    THistoryList* list = visibleWindow<THistoryList>();
    ASSERT_NE(list, nullptr);
    doubleClick(*mini);
    TReceiveView* view = nullptr;
    ASSERT_TRUE(
        waitUntil([&view] { return (view = visibleWindow<TReceiveView>()) != nullptr; }, 5000));
    ASSERT_TRUE(waitUntil([view] { return QApplication::activeWindow() == view; }, 5000));

    click(view->btnClose);
    ASSERT_TRUE(waitUntil([] { return visibleWindow<TReceiveView>() == nullptr; }, 5000));
    EXPECT_TRUE(waitUntil([list] { return QApplication::activeWindow() == list; }, 5000));
}

} // namespace
} // namespace kanata::test
