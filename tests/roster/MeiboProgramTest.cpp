// The roster list and its editor in the running program: opened from the
// menu window's tool bar (the list modal to the program, the editor its own
// window), worked with clicks and keys.
#include "data/TDMKanata195.h"
#include "history/gui/ListRowView.h"
#include "history/gui/SearchDialogParts.h"
#include "intake/gui/TMainForm.h"
#include "roster/MeiboMapPosition.h"
#include "views/gui/TInputList.h"
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboSearch.h"
#include "roster/gui/TMeiboView.h"
#include "tests/support/ProgramInProcess.h"
#include "tests/support/RosterEntry.h"
#include "tests/support/UserInput.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>

namespace kanata::test {
namespace {

constexpr int kAtlasMate = 0; // returns a position; not installed here
constexpr int kHeldLatitude = 128452600;
constexpr int kHeldLongitude = 503161500;

class RosterInProgram : public ProgramInProcess {
protected:
    void SetUp() override { ASSERT_EQ(runTool("kanata-demo", {}), 0); }

    void useMap(int product) {
        editSettings([product](IniFile& ini) { ini.writeInteger("COMMON", "Map", product); });
    }

    void addRosterRow(const std::string& tel, const std::string& nameKanji) {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        MeiboRow row = RosterEntry(tel);
        row.NameKanji = nameKanji;
        row.PrivCorp = "0";
        row.Latitude = kHeldLatitude;
        row.Longitude = kHeldLongitude;
        ASSERT_TRUE(dm.Meibo().append(row, messages).has_value());
    }

    std::optional<MeiboRow> storedRow(const std::string& key) {
        TDMKanata195& dm = *program->dataModule();
        TableUse use(dm, &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
        for (const MeiboRow& row : dm.Meibo().read({}))
            if (row.SchTel1 == key)
                return row;
        return std::nullopt;
    }

    // Opens the list from the tool bar, runs `body` in it and closes it.
    bool inRosterList(const std::function<void(TMeiboList&)>& body) {
        WhenModal<TMeiboList> opening([&body](TMeiboList& list) {
            body(list);
            if (list.view())
                click(list.view()->btnClose);
            waitUntil([&list] { return list.view() == nullptr; }, 5000);
            click(list.btnClose);
        });
        click(form->toolBar()->widgetForAction(form->toolAction(1)));
        return opening.ran();
    }

    // Searches through the list's dialog; `orMode` picks the second option.
    static void search(TMeiboList& list, const QString& number, const QString& nameKanji,
                       bool orMode) {
        WhenModal<TMeiboSearch> answer([&](TMeiboSearch& dialog) {
            click(dialog.btnClear);
            typeInto(dialog.edtTel, number);
            typeInto(dialog.edtNameKanji, nameKanji);
            QRadioButton* option = orMode ? dialog.rbOr : dialog.rbAnd;
            clickAt(option, QPoint(6, option->height() / 2));
            click(dialog.btnSearch);
        });
        click(list.btnSearch);
        EXPECT_TRUE(answer.ran());
    }

    static TMeiboView* shownEditor(TMeiboList& list) {
        waitUntil([&list] { return list.view() && list.view()->isVisible(); }, 5000);
        TMeiboView* view = list.view();
        return view && view->isVisible() ? view : nullptr;
    }

    static TMeiboView* inquireFirst(TMeiboList& list, const QString& digits) {
        search(list, digits, {}, false);
        if (list.keys().empty())
            return nullptr;
        clickRow(list.lbxMeibo, 0);
        click(list.btnInquiry);
        return shownEditor(list);
    }

    // The editor's map button with a product that hands `returned` back,
    // as the Windows products do through their own window.
    static void mapReturning(TMeiboView& editor, int product, MapPosition returned) {
        editor.hooks().map = [product, returned](TMeiboView& view) {
            view.ShowMap(product, [returned] {
                MapLaunchResult result;
                result.outcome = MapOutcome::Started;
                result.request.Latitude = returned.latitude;
                result.request.Longitude = returned.longitude;
                return result;
            });
        };
    }
};

TEST_F(RosterInProgram, NumberOfLettersAloneMatchesNothingInOrModeEverythingInAndMode) {
    ASSERT_TRUE(start());
    addRosterRow("03-8888-0001", "条件一");
    addRosterRow("03-8888-0002", "条件二");
    ASSERT_TRUE(inRosterList([](TMeiboList& list) {
        const std::int64_t all = list.matchingCount();
        ASSERT_GE(all, 2);
        search(list, QStringLiteral("abc"), {}, true);
        EXPECT_EQ(list.matchingCount(), 0);
        EXPECT_TRUE(list.keys().empty());
        search(list, QStringLiteral("abc"), QStringLiteral("条件二"), true);
        EXPECT_EQ(list.matchingCount(), 1);
        search(list, QStringLiteral("abc"), {}, false);
        EXPECT_EQ(list.matchingCount(), all);
    }));
}

TEST_F(RosterInProgram, StoredRecordAsksBeforeTheMapAndKeepsTheReturnedPosition) {
    useMap(kAtlasMate);
    ASSERT_TRUE(start());
    addRosterRow("03-8888-0001", "地図一");
    const MeiboRow before = *storedRow("0388880001");
    ASSERT_TRUE(inRosterList([this](TMeiboList& list) {
        TMeiboView* editor = inquireFirst(list, QStringLiteral("0388880001"));
        ASSERT_NE(editor, nullptr);

        // As shipped: the question, then the product is not there; nothing
        // changes.
        messages.expect("地図で指定した座標の緯度経度を保存してもよろしいですか？",
                        MessageResult::Yes);
        messages.expect("AtlasMate4/5のどちらのCD-ROMも見つかりません");
        click(editor->btnMap);
        EXPECT_TRUE(messages.allAnswered());
        EXPECT_EQ(storedRow("0388880001")->Latitude, kHeldLatitude);

        // Answered No: the map's position is not taken.
        mapReturning(*editor, kAtlasMate, {kHeldLatitude + 1000, kHeldLongitude + 1000});
        messages.expect("地図で指定した座標", MessageResult::No);
        click(editor->btnMap);
        EXPECT_EQ(editor->fields().Latitude, kHeldLatitude);
        EXPECT_EQ(storedRow("0388880001")->Latitude, kHeldLatitude);

        // Yes: held and written at once, with nothing left to save.
        messages.expect("地図で指定した座標", MessageResult::Yes);
        click(editor->btnMap);
        EXPECT_EQ(editor->fields().Latitude, kHeldLatitude + 1000);
        EXPECT_EQ(editor->fields().Longitude, kHeldLongitude + 1000);
        EXPECT_FALSE(editor->HasUnsavedChanges());
        EXPECT_TRUE(messages.allAnswered());
    }));
    const MeiboRow after = *storedRow("0388880001");
    EXPECT_EQ(after.Latitude, kHeldLatitude + 1000);
    EXPECT_EQ(after.Longitude, kHeldLongitude + 1000);
    EXPECT_EQ(after.UpdDateTime, before.UpdDateTime);
    EXPECT_NE(after.AxsDateTime, before.AxsDateTime);
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(RosterInProgram, NewRecordHearsOfTheMapPositionAndStoresItWhenRegistered) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(inRosterList([this](TMeiboList& list) {
        click(list.btnNew);
        TMeiboView* editor = shownEditor(list);
        ASSERT_NE(editor, nullptr);
        typeInto(editor->edtTel1, QStringLiteral("03-8888-0009"));
        // A product that found no position leaves the held one alone.
        mapReturning(*editor, kAtlasMate, {0, 0});
        messages.expect("緯度経度情報は登録時に保存されます");
        click(editor->btnMap);
        EXPECT_EQ(editor->fields().Latitude, 0);

        mapReturning(*editor, kAtlasMate, {kHeldLatitude, kHeldLongitude});
        messages.expect("緯度経度情報は登録時に保存されます");
        click(editor->btnMap);
        EXPECT_FALSE(storedRow("0388880009").has_value());
        messages.expect("登録しました", MessageResult::No);
        click(editor->btnRegister);
        EXPECT_TRUE(waitUntil([&list] { return list.view() == nullptr; }, 5000));
    }));
    const auto stored = storedRow("0388880009");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->Latitude, kHeldLatitude);
    EXPECT_EQ(stored->Longitude, kHeldLongitude);
    EXPECT_TRUE(messages.allAnswered());
}

TEST_F(RosterInProgram, RankNamesAreLimitedToTwentyCharactersThatFitTheList) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(inRosterList([this](TMeiboList& list) {
        click(list.btnNew);
        TMeiboView* editor = shownEditor(list);
        ASSERT_NE(editor, nullptr);
        WhenModal<TInputList> ranks([this](TInputList& dialog) {
            EXPECT_EQ(dialog.tabList->count(), 1);
            typeInto(dialog.edtName, QStringLiteral("abcdefghijklmnopqrstuvwxy"));
            EXPECT_EQ(dialog.edtName->text(), QStringLiteral("abcdefghijklmnopqrst"));
            // Twenty bytes in the list: ten double-byte characters.
            typeInto(dialog.edtName, QStringLiteral("一二三四五六七八九十壱弐"));
            EXPECT_EQ(dialog.edtName->text(), QStringLiteral("一二三四五六七八九十"));
            click(dialog.btnAdd);
            EXPECT_EQ(dialog.lbxNames->item(0)->text(), QStringLiteral("一二三四五六七八九十"));
            messages.expect("以上のリストが変更されています", MessageResult::Yes);
            click(dialog.btnCancel);
        });
        click(editor->btnRankEdit);
        EXPECT_TRUE(ranks.ran());
    }));
    EXPECT_TRUE(messages.allAnswered());
}

} // namespace
} // namespace kanata::test
