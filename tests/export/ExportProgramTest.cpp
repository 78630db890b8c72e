// The export and the adapter history retrieval as a user reaches them: the
// whole program in this process on the simulator adapter, the windows opened
// from the menu window and worked with mouse clicks and keys.
#include "data/TDMKanata195.h"
#include "history/gui/ListRowView.h"
#include "intake/gui/TMainForm.h"
#include "settings/IniFile.h"
#include "tests/export/ExportFixture.h"
#include "tests/export/ModalScript.h"
#include "tests/support/ProgramInProcess.h"
#include "tests/support/UserInput.h"
#include "transfer/gui/TAddMeiboFileExportList.h"
#include "transfer/gui/TFileExport.h"
#include "transfer/gui/TFileExportPassword.h"
#include "transfer/gui/TGetReceiveHistory.h"
#include "transfer/gui/TRecvHisFileExportList.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

namespace kanata::test {
namespace {

// Near the left edge: a radio button or check box takes clicks on its
// indicator and caption only, not on the blank rest of its row.
void click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2));
}

// Clicks a row of a list view, with Ctrl to add it to the selection.
void clickRow(QAbstractItemView* view, int row, Qt::KeyboardModifiers mods = {}) {
    const QRect r = view->visualRect(view->model()->index(row, 1));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, r.center());
}

void clickCell(QTableWidget* grid, int row, int column) {
    grid->scrollToItem(grid->item(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(row, column)).center());
}

// The whole path goes into the name field, as a user types it. selectFile()
// would leave the field alone once it has the focus, which arrives at a time
// of the window system's choosing, and the old name would land in the new
// folder.
void saveAs(QFileDialog& dialog, const std::filesystem::path& file) {
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(file.string()));
    static_cast<QDialog&>(dialog).accept(); // QFileDialog checks and takes the name
}

class ExportProgram : public ProgramInProcess {
protected:
    void SetUp() override { startOnDemoData(); }
    TDMKanata195& dm() { return *program->dataModule(); }
    std::vector<RecvHisRow> history() {
        TableUse use(dm(), &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        return use ? dm().RecvHis().read({}) : std::vector<RecvHisRow>{};
    }
    void addCall(const std::string& tel, DateTime when, const std::string& corp,
                 const std::string& name) {
        TableUse use(dm(), &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        RecvHisRow row;
        row.Tel = tel;
        row.SchTel = TelSearchKey(tel);
        row.RecvDateTime = when;
        row.CorpKanji = corp;
        row.NameKanji = name;
        ASSERT_TRUE(dm().RecvHis().append(row, messages));
    }
};

TEST_F(ExportProgram, StoredCallsOfTheAdapterAreReadAndTwoChosenRowsSaved) {
    const auto list = folders.scratch() / "stored.txt";
    std::ofstream(list) << "0312345678,20260301,101500\nP,20260302,080000\n"
                           "0698765432,2026030,120000\n";
    ASSERT_EQ(runTool("ktcall", {"--history", QString::fromStdString(list.string())}), 0);
    const std::size_t before = history().size();

    messages.expect("接続機器から着信履歴を読み込みます", MessageResult::Yes)
        .expect("2件のデータを着信対応履歴ファイルに保存します", MessageResult::Yes)
        .expect("2件保存しました");
    bool readyWhileOpen = true;
    std::vector<QStringList> shown;
    ModalScript script;
    script.then<TGetReceiveHistory>(
        [&](TGetReceiveHistory& w) {
            // The read happens after the question, once the window is up.
            if (!waitUntil([&] { return w.lbxHistory->topLevelItemCount() == 3; }, 20000))
                return;
            readyWhileOpen = flags.ReadyForCalls;
            for (int r = 0; r < 3; ++r) {
                QStringList cells;
                for (int c = 0; c < 3; ++c)
                    cells << w.lbxHistory->topLevelItem(r)->text(c);
                shown.push_back(cells);
            }
            clickRow(w.lbxHistory, 0);
            clickRow(w.lbxHistory, 1, Qt::ControlModifier);
            click(w.btnSave);
            click(w.btnCancel);
        },
        "retrieval");
    form->actGetRecvHis->trigger();
    EXPECT_TRUE(script.finished()) << script.pending();
    EXPECT_FALSE(readyWhileOpen);
    EXPECT_TRUE(flags.ReadyForCalls);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], (QStringList{"2026/03/01", "10:15:00", "03-1234-5678"}));
    EXPECT_EQ(shown[1], (QStringList{"2026/03/02", "08:00:00", "匿名着信"}));
    EXPECT_EQ(shown[2], (QStringList{"2026030", "12:00:00", "06-9876-5432"}));

    const std::vector<RecvHisRow> rows = history();
    ASSERT_EQ(rows.size(), before + 2);
    const RecvHisRow& number = rows[before];
    EXPECT_EQ(number.SchTel, "0312345678");
    EXPECT_EQ(number.Tel, "03-1234-5678");
    EXPECT_EQ(number.Division, "0");
    EXPECT_EQ(number.RecvDateTime, (DateTime{2026, 3, 1, 10, 15, 0, 0}));
    EXPECT_EQ(number.RecvWeek, 1); // a Sunday
    EXPECT_TRUE(number.CorpKanji.empty());
    const RecvHisRow& anonymous = rows[before + 1];
    EXPECT_EQ(anonymous.SchTel, "P");
    EXPECT_EQ(anonymous.Tel, "P");
    EXPECT_EQ(anonymous.Division, "0");
}

TEST_F(ExportProgram, AStoredCallTheTableRefusesIsSkippedWithoutABoxAndCounted) {
    const auto list = folders.scratch() / "stored.txt";
    std::ofstream(list) << "0311111111,20260301,101500\n0322222222,20260302,080000\n"
                           "0333333333,20260303,120000\n";
    ASSERT_EQ(runTool("ktcall", {"--history", QString::fromStdString(list.string())}), 0);
    {
        TableUse use(dm(), &TDMKanata195::OpenRecvHis, &TDMKanata195::CloseRecvHis);
        dm().RecvHis().table().database().exec(
            "CREATE TRIGGER refuse BEFORE INSERT ON RecvHis WHEN NEW.SchTel = '0322222222' "
            "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    }
    const std::size_t before = history().size();

    messages.expect("接続機器から着信履歴を読み込みます", MessageResult::Yes)
        .expect("3件のデータを着信対応履歴ファイルに保存します", MessageResult::Yes)
        .expect("2件保存しました\r\n1件は書き込みに失敗したため保存できませんでした");
    ModalScript script;
    script.then<TGetReceiveHistory>(
        [&](TGetReceiveHistory& w) {
            if (!waitUntil([&] { return w.lbxHistory->topLevelItemCount() == 3; }, 20000))
                return;
            clickRow(w.lbxHistory, 0);
            clickRow(w.lbxHistory, 1, Qt::ControlModifier);
            clickRow(w.lbxHistory, 2, Qt::ControlModifier);
            click(w.btnSave);
            click(w.btnCancel);
        },
        "retrieval");
    form->actGetRecvHis->trigger();
    EXPECT_TRUE(script.finished()) << script.pending();
    EXPECT_TRUE(messages.allAnswered());

    const std::vector<RecvHisRow> rows = history();
    ASSERT_EQ(rows.size(), before + 2);
    EXPECT_EQ(rows[before].SchTel, "0311111111");
    EXPECT_EQ(rows[before + 1].SchTel, "0333333333");
}

TEST_F(ExportProgram, HistoryLayoutBuiltInTheGridIsExportedAsText) {
    addCall("0312345678", DateTime{2026, 4, 1, 9, 0, 0, 0}, "東都物産", "高橋");
    addCall("0698765432", DateTime{2026, 4, 2, 9, 0, 0, 0}, "浪速商会", "");
    const std::size_t calls = history().size();
    const auto out = folders.scratch() / "exports" / "calls";
    std::filesystem::create_directories(out.parent_path());

    messages
        .expect("登録されているデータ  " + std::to_string(calls) +
                    "件すべてをテキストファイルに出力します",
                MessageResult::Yes)
        .expect("テキストファイル出力が完了しました  \r\n\r\n対象件数 = " + std::to_string(calls) +
                "件\r\n出力件数 = " + std::to_string(calls) + "件");
    std::vector<QString> grid;
    int listed = 0;
    ModalScript script;
    script
        .then<TFileExport>(
            [&](TFileExport& w) {
                click(w.rbRecvHis);
                click(w.rbNormal);
                click(w.rbRange[2]);
                click(w.btnDeleteAll);
                clickCell(w.sgSrc, 4, 0); // 会社名漢字
                click(w.btnSet);
                clickCell(w.sgSrc, 6, 0); // 名前漢字, continuing the column
                click(w.btnAdd);
                clickCell(w.sgSrc, 2, 0); // 電話番号, a new column
                click(w.btnSet);
                for (int r = 0; r < w.sgDest->rowCount(); ++r)
                    grid.push_back(w.sgDest->item(r, 0)->text() + "|" +
                                   w.sgDest->item(r, 1)->text());
                ModalScript::Later(w.btnList);
            },
            "settings")
        .then<TRecvHisFileExportList>(
            [&](TRecvHisFileExportList& w) {
                listed = static_cast<int>(w.keys().size());
                ModalScript::Later(w.btnExport);
            },
            "history list")
        .then<QFileDialog>([&](QFileDialog& d) { saveAs(d, out); }, "save dialog")
        .then<TRecvHisFileExportList>(
            [&](TRecvHisFileExportList& w) {
                // The export runs on in the event loop; the list closes once
                // its completion message was shown.
                EXPECT_TRUE(waitUntil([&] { return messages.allAnswered(); }));
                click(w.btnCancel);
            },
            "close list")
        .then<TFileExport>([](TFileExport& w) { click(w.btnCancel); }, "close settings");
    form->actFileExport->trigger();
    EXPECT_TRUE(script.finished()) << script.pending();
    EXPECT_EQ(grid, (std::vector<QString>{"  1|会社名漢字", "|名前漢字", "  2|電話番号", "|"}));
    EXPECT_EQ(listed, static_cast<int>(calls));

    // ".txt" is added to a name without extension.
    const auto file = out.parent_path() / "calls.txt";
    const std::vector<std::string> lines = TextLines(ReadBytes(file));
    ASSERT_EQ(lines.size(), calls + 1);
    EXPECT_EQ(lines[0], "会社名漢字＋名前漢字,電話番号");
    EXPECT_EQ(lines[1], "浪速商会,06-9876-5432"); // newest first
    EXPECT_EQ(lines[2], "東都物産高橋,03-1234-5678");
    const IniFile ini = settingsFile();
    EXPECT_EQ(ini.readString("FILE EXPORT", "RecvHisLayout1"), "4,6");
    EXPECT_EQ(ini.readString("FILE EXPORT", "RecvHisLayout2"), "2");
    EXPECT_EQ(ini.readInteger("FILE EXPORT", "Type", 0), 1);
    EXPECT_EQ(ini.readString("FILE EXPORT RECVHIS LIST", "FileNormal"), file.string());
}

TEST_F(ExportProgram, ChosenRosterRecordsGoIntoAPasswordProtectedFile) {
    const auto chosen = folders.scratch() / "Meibo.dat";
    std::vector<std::string> picked;
    messages.expect("2件のデータをテキストファイルに出力します", MessageResult::Yes)
        .expect("パスワードは8文字～16文字で入力してください")
        .expect("テキストファイル出力が完了しました");
    ModalScript script;
    script
        .then<TFileExport>(
            [&](TFileExport& w) {
                click(w.rbMeibo);
                click(w.rbEncrypt);
                click(w.rbRange[0]);
                click(w.btnDeleteAll);
                click(w.btnSetAll);
                ModalScript::Later(w.btnList);
            },
            "settings")
        .then<TAddMeiboFileExportList>(
            [&](TAddMeiboFileExportList& w) {
                click(w.btnSort[static_cast<std::size_t>(MeiboSort::NameKana)]);
                ASSERT_GE(w.keys().size(), 3u);
                clickRow(w.lbxList, 0);
                clickRow(w.lbxList, 2, Qt::ControlModifier);
                TableUse use(dm(), &TDMKanata195::OpenMeibo, &TDMKanata195::CloseMeibo);
                for (std::size_t i : {0u, 2u})
                    picked.push_back(dm().Meibo().find(static_cast<int>(w.keys()[i]))->NameKanji);
                ModalScript::Later(w.btnExport);
            },
            "roster list")
        .then<QFileDialog>([&](QFileDialog& d) { saveAs(d, chosen); }, "save dialog")
        .then<TFileExportPassword>(
            [](TFileExportPassword& w) {
                QTest::keyClicks(w.edtPassword, "Short7x");
                QTest::keyClicks(w.edtConfirm, "Short7x");
                click(w.btnSet); // refused: too short
                w.edtPassword->clear();
                w.edtConfirm->clear();
                QTest::keyClicks(w.edtPassword, "Roster2026");
                QTest::keyClicks(w.edtConfirm, "Roster2026");
                click(w.btnSet);
            },
            "password")
        .then<TAddMeiboFileExportList>([](TAddMeiboFileExportList& w) { click(w.btnCancel); },
                                       "close list")
        .then<TFileExport>([](TFileExport& w) { click(w.btnCancel); }, "close settings");
    form->actFileExport->trigger();
    ASSERT_TRUE(script.finished()) << script.pending();

    const auto exe = folders.scratch() / "Meibo.exe";
    ASSERT_TRUE(std::filesystem::exists(exe));
    EXPECT_FALSE(std::filesystem::exists(folders.scratch() / "Encrypt.Tmp"));
    EXPECT_FALSE(std::filesystem::exists(folders.workFolder() / "FExport.pwd"));
    const auto restore = folders.scratch() / "restore";
    std::filesystem::create_directories(restore);
    QProcess run;
    run.setWorkingDirectory(QString::fromStdString(restore.string()));
    run.start(QString::fromStdString(exe.string()), {});
    run.write("Roster2026\n");
    run.closeWriteChannel();
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    const std::vector<std::string> lines = TextLines(ReadBytes(restore / "Meibo.txt"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, lines[0].find(',')), "電話番号１");
    for (std::size_t i = 0; i < 2; ++i)
        EXPECT_NE(lines[i + 1].find(picked[i]), std::string::npos) << lines[i + 1];
}

} // namespace
} // namespace kanata::test
