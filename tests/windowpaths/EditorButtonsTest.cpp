// The roster editor's postal search decided by a double click on a town,
// and its dial button on the call simulator.
#include "intake/gui/TCallsTelephone.h"
#include "lookup/gui/TDicSearch.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboView.h"
#include "settings/IniFile.h"
#include "tests/support/UserInput.h"
#include "tests/windowpaths/RunningProgram.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace kanata::test {
namespace {

// The mouse events a widget receives, in order.
class MouseEvents : public QObject {
public:
    explicit MouseEvents(QWidget* watched) { watched->installEventFilter(this); }
    QList<QEvent::Type> seen;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            seen << event->type();
            break;
        default:
            break;
        }
        return false;
    }
};

// A double click as the window system delivers one: press and release,
// then the double-click event and its release, all at one point.
void doubleClickRow(QTreeWidget* list, QTreeWidgetItem* row) {
    list->scrollToItem(row);
    QWidget* viewport = list->viewport();
    const QPoint at = list->visualItemRect(row).center();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
    if (viewport->isVisible())
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, at);
}

QTreeWidgetItem* townRow(QTreeWidget* list, const QString& town) {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(2) == town)
            return list->topLevelItem(i);
    return nullptr;
}

using EditorButtons = RunningProgram;

TEST_F(EditorButtons, DoubleClickOnATownDecidesThePostalSearch) {
    ASSERT_TRUE(start());
    QList<QEvent::Type> events;
    int accepted = -1;
    ASSERT_TRUE(inRosterList([&](TMeiboList& list) {
        click(list.btnNew);
        TMeiboView* editor = shownEditor(list);
        ASSERT_NE(editor, nullptr);
        typeInto(editor->edtPos, QStringLiteral("100"));
        WhenModal<TDicSearch> dialog([&](TDicSearch& d) {
            QObject::connect(&d, &QDialog::finished, [&accepted](int r) { accepted = r; });
            const TDicSearch::Page& p = d.pages[TDicSearch::PostalTab];
            EXPECT_EQ(d.pcSearch->currentIndex(), TDicSearch::PostalTab);
            const auto wards = p.lbxCity->findItems(QStringLiteral("千代田区"), Qt::MatchExactly);
            ASSERT_EQ(wards.size(), 1);
            clickRow(p.lbxCity, p.lbxCity->row(wards.front()));
            ASSERT_EQ(p.lbxCity->currentItem(), wards.front());
            EXPECT_GT(p.lvTown->topLevelItemCount(), 30);
            QTreeWidgetItem* row = townRow(p.lvTown, QStringLiteral("丸の内"));
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(row->text(0), QStringLiteral("100-0005"));
            MouseEvents watch(p.lvTown->viewport());
            doubleClickRow(p.lvTown, row);
            events = watch.seen;
        });
        click(editor->btnPosSch);
        EXPECT_TRUE(dialog.ran());
        EXPECT_EQ(editor->edtPos->text(), QStringLiteral("100-0005"));
        EXPECT_EQ(editor->edtTdfkn->text(), QStringLiteral("東京都"));
        EXPECT_EQ(editor->edtAdrs1->text(), QStringLiteral("千代田区"));
        EXPECT_EQ(editor->edtAdrs2->text(), QStringLiteral("丸の内"));
        EXPECT_EQ(editor->fields().JisCode, "13101");
    }));
    EXPECT_EQ(accepted, QDialog::Accepted);
    ASSERT_GE(events.size(), 3);
    EXPECT_EQ(events.mid(0, 3),
              (QList<QEvent::Type>{QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                   QEvent::MouseButtonDblClick}));
}

QString dialled() {
    QProcess tool;
    tool.start(QString::fromStdString((stageFolder() / "ktcall").string()),
               {QStringLiteral("--dialled")});
    tool.waitForFinished(30000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

TEST_F(EditorButtons, DialFromTheEditorReachesTheAdapter) {
    ASSERT_TRUE(start());
    bool asked = false;
    ASSERT_TRUE(inRosterList([&](TMeiboList& list) {
        click(list.btnNew);
        TMeiboView* editor = shownEditor(list);
        ASSERT_NE(editor, nullptr);
        typeInto(editor->edtTel1, QStringLiteral(" 03-5550-2468 "));
        typeInto(editor->edtTel2, QStringLiteral("090-5550-1357"));
        WhenModal<TCallsTelephone> dial([&](TCallsTelephone& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("発信"));
            EXPECT_TRUE(d.isModal());
            ASSERT_EQ(d.cbxTelNo->count(), 2);
            EXPECT_EQ(d.cbxTelNo->currentText(), QStringLiteral("03-5550-2468"));
            EXPECT_EQ(d.cbxTelNo->itemText(1), QStringLiteral("090-5550-1357"));
            messages.expect("「03-5550-2468」に電話をかけます", MessageResult::Yes);
            click(d.btnDial);
            asked = messages.allAnswered();
            pressKey(d.cbxTelNo, Qt::Key_Escape);
        });
        click(editor->btnDial);
        EXPECT_TRUE(dial.ran());
    }));
    EXPECT_TRUE(asked);
    EXPECT_EQ(dialled(), QStringLiteral("1,0355502468"));
    const IniFile ini = [this] {
        IniFile f(folders.workFolder() / "Kanata195.ini");
        f.load();
        return f;
    }();
    EXPECT_EQ(ini.readInteger("CALL TELEPHONE", "AnalogPort", -1), 0);
}

} // namespace
} // namespace kanata::test
