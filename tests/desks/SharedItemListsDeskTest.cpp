// The rank list as a person at a desk meets it: the roster editor opened
// from the menu window of this program, a desk on a real server, while
// another desk on the same server adds ranks.
#include "data/MeiboTable.h"
#include "data/TDMKanata195.h"
#include "roster/gui/TMeiboView.h"
#include "tests/desks/RosterAtADesk.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/RosterEntry.h"
#include "tests/support/UserInput.h"
#include "views/RecentFirst.h"
#include "views/gui/TInputList.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace kanata::test {
namespace {

QStringList entries(const QComboBox& box) {
    QStringList out;
    for (int i = 0; i < box.count(); ++i)
        out << box.itemText(i);
    return out;
}

class SharedRanksAtADesk : public RosterAtADesk {
protected:
    sql::ServerSettings server = SharedServer().createDatabase();

    void TearDown() override {
        ProgramInProcess::TearDown();
        SharedServer().dropDatabase(server.name);
    }

    void startAsDesk() {
        ASSERT_NO_FATAL_FAILURE(startOn(server, Role::Desk));
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        MeiboRow row = RosterEntry("03-9999-0001");
        row.NameKanji = "相沢";
        ASSERT_TRUE(dm.Meibo().append(row, messages).has_value());
    }

    // The other desk: a data module of its own on the same server.
    std::unique_ptr<TDMKanata195> otherDesk() {
        auto dm =
            std::make_unique<TDMKanata195>(folders.scratch() / "other", messages, StorageHooks{},
                                           sql::StoreSettings{sql::Engine::Postgresql, server});
        EXPECT_EQ(dm->LoadItemLists(stageFolder()), 0);
        return dm;
    }
};

TEST_F(SharedRanksAtADesk, TheEditorShowsTheOtherDesksRanksAndItsListEditKeepsThem) {
    startAsDesk();
    auto other = otherDesk();
    const int shipped = other->Rank().Count();
    ASSERT_GT(shipped, 0) << "the server got the shipped ranks once";
    ASSERT_TRUE(MoveToTop(other->Rank(), "最重要", messages));

    withEditor([&](TMeiboList&, TMeiboView& editor) {
        EXPECT_EQ(editor.cbxRank->itemText(0), QStringLiteral("最重要"))
            << entries(*editor.cbxRank).join('|').toStdString();
        ASSERT_TRUE(MoveToTop(other->Rank(), "紹介", messages));
        bool sawIt = false;
        WhenModal<TInputList> edit([&](TInputList& dialog) {
            sawIt = !dialog.lbxNames->findItems(QStringLiteral("紹介"), Qt::MatchExactly).isEmpty();
            typeInto(dialog.edtName, QStringLiteral("新規ランク"));
            click(dialog.btnAdd);
            // The other desk adds one more while this list is being edited.
            MoveToTop(other->Rank(), "休眠", messages);
            click(dialog.btnOK);
        });
        click(editor.btnRankEdit);
        ASSERT_TRUE(edit.ran());
        EXPECT_TRUE(sawIt) << "the list editor reads the list as it opens";
        const QStringList shown = entries(*editor.cbxRank);
        EXPECT_EQ(shown.mid(0, 4), (QStringList{"休眠", "新規ランク", "紹介", "最重要"}))
            << shown.join('|').toStdString();
    });
    other->Rank().Refresh();
    EXPECT_EQ(other->Rank().Count(), shipped + 4);
    EXPECT_EQ(other->Rank().Get(1), "新規ランク");
    EXPECT_TRUE(messages.allAnswered());
}

} // namespace
} // namespace kanata::test
