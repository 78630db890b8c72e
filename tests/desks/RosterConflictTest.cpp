// The roster editor as shipped (the menu window's roster button, the list,
// its editor) when the record it shows was saved elsewhere meanwhile: by
// another window of this PC on its data folder, or by another desk on the
// server, whose save the open list shows by itself.
#include "data/MeiboTable.h"
#include "data/TDMKanata195.h"
#include "history/gui/ListRowView.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboView.h"
#include "tests/desks/OfficePc.h"
#include "tests/desks/RosterAtADesk.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/RosterEntry.h"
#include "tests/support/UserInput.h"

#include <QLineEdit>
#include <QPushButton>

namespace kanata::test {
namespace {

constexpr const char* kConflict = "他の画面で変更されています";

class RosterConflict : public RosterAtADesk {
protected:
    void addEntry() {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        MeiboRow row = RosterEntry("03-9999-0001");
        row.NameKana = "ｱｲｻﾞﾜ";
        row.NameKanji = "相沢";
        row.PrivCorp = "0";
        const auto recNo = dm.Meibo().append(row, messages);
        ASSERT_TRUE(recNo.has_value());
        recNo_ = *recNo;
    }

    // What another window (or desk) saves while the editor shows the row.
    void renameElsewhere(MeiboTable& meibo, const std::string& kanji) {
        MeiboRow row = *meibo.find(recNo_);
        row.NameKanji = kanji;
        ASSERT_TRUE(meibo.update(row, messages));
    }
    void renameElsewhere(const std::string& kanji) {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        renameElsewhere(dm.Meibo(), kanji);
    }

    MeiboRow stored() {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        return *dm.Meibo().find(recNo_);
    }

    int recNo_ = -1;
};

TEST_F(RosterConflict, ReloadingShowsTheOtherSaveAndTheNextSaveBuildsOnIt) {
    startOnDemoData();
    addEntry();
    withEditor([this](TMeiboList& list, TMeiboView& editor) {
        typeInto(editor.edtNameKana, QStringLiteral("ﾜﾀﾞ"));
        renameElsewhere("相沢二郎");
        messages.expect(kConflict, MessageResult::No);
        click(editor.btnRegister);
        ASSERT_TRUE(list.view() == &editor && editor.isVisible()) << "the editor stays";
        EXPECT_EQ(editor.edtNameKanji->text(), QStringLiteral("相沢二郎"));
        EXPECT_EQ(editor.edtNameKana->text(), QStringLiteral("ｱｲｻﾞﾜ"));
        EXPECT_EQ(stored().NameKana, "ｱｲｻﾞﾜ");

        typeInto(editor.edtNameKana, QStringLiteral("ﾜﾀﾞ"));
        click(editor.btnRegister); // nothing changed since the reload: no question
    });
    EXPECT_EQ(stored().NameKana, "ﾜﾀﾞ");
    EXPECT_EQ(stored().NameKanji, "相沢二郎");
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(RosterConflict, OverwritingKeepsWhatWasTypedAndCancellingKeepsTheEditorAsItWas) {
    startOnDemoData();
    addEntry();
    withEditor([this](TMeiboList& list, TMeiboView& editor) {
        typeInto(editor.edtNameKana, QStringLiteral("ﾜﾀﾞ"));
        renameElsewhere("相沢二郎");
        messages.expect(kConflict, MessageResult::Cancel);
        click(editor.btnRegister);
        ASSERT_TRUE(list.view() == &editor && editor.isVisible()) << "the editor stays";
        EXPECT_EQ(editor.edtNameKana->text(), QStringLiteral("ﾜﾀﾞ"));
        EXPECT_EQ(stored().NameKanji, "相沢二郎");

        messages.expect(kConflict, MessageResult::Yes);
        click(editor.btnRegister);
    });
    EXPECT_EQ(stored().NameKana, "ﾜﾀﾞ");
    EXPECT_EQ(stored().NameKanji, "相沢") << "the editor's whole record was saved";
    EXPECT_TRUE(messages.allAnswered());
}

// This program is a desk on the server; desk A is another connection.
TEST_F(RosterConflict, ADeskSeesTheOtherDesksSaveInItsListAndIsAskedBeforeOverwritingIt) {
    const sql::ServerSettings server = SharedServer().createDatabase();
    startOn(server, Role::Desk);
    addEntry();
    MeiboTable deskA;
    deskA.open(sql::StoreSettings{sql::Engine::Postgresql, server}, folders.scratch());
    withEditor([&](TMeiboList& list, TMeiboView& editor) {
        typeInto(editor.edtNameKana, QStringLiteral("ﾜﾀﾞ"));
        renameElsewhere(deskA, "伊藤");
        EXPECT_TRUE(waitUntil(
            [&list] { return list.rowCells(0).value(5) == QStringLiteral("伊藤"); }, 5000))
            << list.rowCells(0).join('|').toStdString();
        messages.expect(kConflict, MessageResult::No);
        click(editor.btnRegister);
        ASSERT_TRUE(list.view() == &editor && editor.isVisible()) << "the editor stays";
        EXPECT_EQ(editor.edtNameKanji->text(), QStringLiteral("伊藤"));
    });
    EXPECT_EQ(stored().NameKanji, "伊藤");
    EXPECT_EQ(stored().NameKana, "ｱｲｻﾞﾜ");
    EXPECT_TRUE(messages.allAnswered());
}

// This program is desk A; desk B is a program of its own on folders of its
// own, which nobody at it touches: A's saves through its editor reach B.
TEST_F(RosterConflict, ASaveThroughTheEditorReachesTheOtherDeskProgram) {
    const sql::ServerSettings server = SharedServer().createDatabase();
    OfficePc deskB(server, false);
    // Desk B's folders replaced this process's own in its environment.
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folders.dataHome().string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folders.configHome().string()));
    ASSERT_TRUE(deskB.run.start()) << deskB.run.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return deskB.run.log().contains("desk listening"); }, 10000))
        << deskB.run.log().toStdString();
    startOn(server, Role::Desk);
    const QString refreshed = "kanata195: desk refreshes the roster for record ";

    addEntry();
    EXPECT_TRUE(waitUntil(
        [&] { return deskB.logged(refreshed, " (added)") == std::set<int>{recNo_}; }, 10000))
        << deskB.run.log().toStdString();
    withEditor([](TMeiboList&, TMeiboView& editor) {
        typeInto(editor.edtNameKanji, QStringLiteral("伊藤"));
        click(editor.btnRegister);
    });
    ASSERT_EQ(stored().NameKanji, "伊藤");
    EXPECT_TRUE(waitUntil(
        [&] { return deskB.logged(refreshed, " (changed)") == std::set<int>{recNo_}; }, 10000))
        << deskB.run.log().toStdString();
    EXPECT_FALSE(deskB.run.log().contains("kanata195: box:")) << deskB.run.log().toStdString();
    EXPECT_TRUE(deskB.run.stop()) << deskB.run.log().toStdString();
    EXPECT_TRUE(messages.allAnswered());
}

} // namespace
} // namespace kanata::test
