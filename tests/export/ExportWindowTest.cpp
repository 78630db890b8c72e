// The export windows on their own, over a test data folder: the layout grid,
// the refusals before the list, the range dialog, and a numeric-range run.
#include "history/gui/ListRowView.h"
#include "settings/IniFile.h"
#include "tests/export/ExportFixture.h"
#include "tests/export/ModalScript.h"
#include "transfer/AdapterHistory.h"
#include "transfer/SfxBuilder.h"
#include "transfer/gui/ExportEnvironment.h"
#include "transfer/gui/TFileExport.h"
#include "transfer/gui/TGetReceiveHistory.h"
#include "transfer/gui/TRecvHisFileExportList.h"
#include "ui/gui/RangeDialog.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <cstring>
#include <set>

namespace kanata::test {
namespace {

void click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2));
}

QStringList gridTexts(QTableWidget* grid) {
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out << grid->item(r, 0)->text() + "|" + grid->item(r, 1)->text();
    return out;
}

// Saves a window's picture for the documentation when asked, and checks
// that more than a blank window was drawn.
void CheckAndSavePicture(QWidget& window, const char* name) {
    const QImage image = window.grab().toImage();
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 8u) << name;
    const QByteArray dir = qgetenv("KANATA_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        image.save(QString::fromLocal8Bit(dir) + "/" + name);
}

class ExportWindows : public ExportFixture {
protected:
    std::unique_ptr<IniFile> ini;
    std::unique_ptr<ExportEnvironment> env;

    void SetUp() override {
        ExportFixture::SetUp();
        ini = std::make_unique<IniFile>(folders.scratch() / "Kanata195.ini");
        env = std::make_unique<ExportEnvironment>(ExportEnvironment{dm, messages, *ini});
        env->hyphenation = &hyphenation;
        env->extractor = stageFolder() / kSfxExtractorName;
    }
};

TEST_F(ExportWindows, GridTakesItemsByButtonsAndByDragging) {
    TFileExport w(*env);
    w.show();
    EXPECT_EQ(w.sgSrc->rowCount(), 28);
    EXPECT_EQ(w.sgSrc->item(9, 0)->text(), QStringLiteral("内容"));
    EXPECT_TRUE(w.chkEditDate->isEnabled());
    click(w.btnSetAll);
    EXPECT_EQ(w.sgDest->rowCount(), 29); // with the trailing empty row
    EXPECT_EQ(w.sgDest->item(27, 0)->text(), QStringLiteral(" 28"));

    click(w.btnDeleteAll);
    const QPoint phone = w.sgSrc->visualItemRect(w.sgSrc->item(2, 0)).center();
    QTest::mouseClick(w.sgSrc->viewport(), Qt::LeftButton, {}, phone);
    QTest::mouseDClick(w.sgSrc->viewport(), Qt::LeftButton, {}, phone);
    // Dragging 名前漢字 onto the first row sets it before that row.
    QMimeData* mime = w.sgSrc->model()->mimeData({w.sgSrc->model()->index(6, 0)});
    const QPoint target = w.sgDest->visualItemRect(w.sgDest->item(0, 1)).center();
    QDropEvent drop(target, Qt::CopyAction, mime, Qt::LeftButton, {});
    // The drop goes to the widget the drag entered, as the drag manager has it.
    QDragEnterEvent enter(target, Qt::CopyAction, mime, Qt::LeftButton, {});
    QApplication::sendEvent(w.sgDest->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QApplication::sendEvent(w.sgDest->viewport(), &drop);
    delete mime;
    EXPECT_EQ(gridTexts(w.sgDest), (QStringList{"  1|名前漢字", "  2|電話番号", "|"}));

    w.sgDest->setCurrentCell(0, 1);
    click(w.btnDown);
    EXPECT_EQ(gridTexts(w.sgDest), (QStringList{"  1|電話番号", "  2|名前漢字", "|"}));
    click(w.btnDelete); // the selection followed the moved entry
    EXPECT_EQ(gridTexts(w.sgDest), (QStringList{"  1|電話番号", "|"}));

    click(w.rbMeibo);
    EXPECT_FALSE(w.chkEditDate->isEnabled());
    EXPECT_EQ(w.sgSrc->item(0, 0)->text(), QStringLiteral("電話番号１"));
    EXPECT_EQ(gridTexts(w.sgDest), (QStringList{"|"})); // each source its own layout
    click(w.rbRecvHis);
    EXPECT_EQ(gridTexts(w.sgDest), (QStringList{"  1|電話番号", "|"}));

    for (int i = 1; i < ExportLayout::kMaxEntries; ++i)
        click(w.btnAdd);
    messages.expect("セットできる最大項目数は100項目です  ");
    click(w.btnSet);
    EXPECT_EQ(w.settings().layout().size(), 100);
}

TEST_F(ExportWindows, ListRefusesAnEmptyTableOrLayoutAndSavesTheSettings) {
    TFileExport w(*env);
    w.show();
    messages.expect("着信対応履歴ファイルにはデータが登録されていません  ");
    click(w.btnList);
    addCall("0312345678", At(2026, 1, 1));
    messages.expect("出力項目をセットしてください  ");
    click(w.btnList);
    EXPECT_FALSE(ini->hasSection("FILE EXPORT"));

    click(w.btnSetAll);
    click(w.chkBindDblQuote);
    ModalScript script;
    script.then<TRecvHisFileExportList>(
        [](TRecvHisFileExportList& list) { click(list.btnCancel); });
    click(w.btnList);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(ini->readBool("FILE EXPORT", "BindDblQuote", false));
    EXPECT_EQ(ini->readString("FILE EXPORT", "RecvHisLayout28"), "27");
    EXPECT_TRUE(ini->hasKey("FILE EXPORT RECVHIS LIST", "Width"));
}

TEST_F(ExportWindows, CompletionCountsCharactersPutOutAsQuestionMarksUntilUtf8IsChosen) {
    addCall("0312345678", At(2026, 1, 1), "𠮷野家", "😀");
    const auto out = folders.scratch() / "calls.csv";
    env->chooseFile = [&](QWidget*, const QString&, const QString&, int& index) {
        index = 2;
        return QString::fromStdString(out.string());
    };
    TFileExport w(*env);
    w.show();
    click(w.btnSetAll);
    click(w.rbRange[2]);
    click(w.rbNormal);
    auto exportAll = [&] {
        ModalScript script;
        script.then<TRecvHisFileExportList>([](TRecvHisFileExportList& list) {
            click(list.btnExport);
            click(list.btnCancel);
        });
        click(w.btnList);
        EXPECT_TRUE(script.finished());
    };
    messages.expect("1件すべてをテキストファイルに出力します", MessageResult::Yes)
        .expect("出力件数 = 1件\r\n\r\nShift_JISで表せない文字が2文字あったため");
    exportAll();
    EXPECT_NE(ReadBytes(out).find(cp932::encode("?野家")), std::string::npos);

    click(w.chkOutUtf8);
    messages.expect("1件すべてをテキストファイルに出力します", MessageResult::Yes)
        .expect("へ出力します", MessageResult::No)
        .expect("既にあるファイルを指定しました", MessageResult::Yes)
        .expect("出力件数 = 1件");
    exportAll();
    EXPECT_EQ(messages.shown().back().text.find("Shift_JIS"), std::string::npos);
    EXPECT_TRUE(ini->readBool("FILE EXPORT", "OutUtf8", false));
    const std::string bytes = ReadBytes(out);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(bytes.find("𠮷野家"), std::string::npos);
    EXPECT_NE(bytes.find("😀"), std::string::npos);
}

TEST_F(ExportWindows, RosterChoiceTellsAboutTheAddressBookWhenItIsTheRoster) {
    env->usePbAdrs = true;
    TFileExport w(*env);
    w.show();
    messages.expect("ここでのテキストファイル出力は着信帳の登録名簿が対象です");
    click(w.rbMeibo);
    EXPECT_TRUE(messages.allAnswered());
}

TEST(RangeSpecification, FieldsStayOrderedAndRefuseTextsOutOfRange) {
    TRangeSpecification d(10, 2, 5);
    d.show();
    EXPECT_EQ(d.lblTotal->text(), QStringLiteral("10"));
    d.edtBegin->setFocus();
    d.edtBegin->selectAll();
    QTest::keyClicks(d.edtBegin, "7");
    QTest::keyClick(d.edtBegin, Qt::Key_Return); // Enter moves on to the end field
    EXPECT_EQ(d.begin(), 7);
    EXPECT_EQ(d.end(), 7);
    d.edtEnd->selectAll();
    QTest::keyClicks(d.edtEnd, "3");
    QTest::keyClick(d.edtEnd, Qt::Key_Return);
    EXPECT_EQ(d.begin(), 3);
    EXPECT_EQ(d.end(), 3);
    // An emptied field takes its previous value back; letters and numbers
    // past the total cannot be typed at all.
    d.edtEnd->selectAll();
    QTest::keyClick(d.edtEnd, Qt::Key_Backspace);
    QTest::keyClicks(d.edtEnd, "x");
    QTest::keyClick(d.edtEnd, Qt::Key_Return);
    EXPECT_EQ(d.end(), 3);
    d.edtEnd->selectAll();
    QTest::keyClicks(d.edtEnd, "11");
    QTest::keyClick(d.edtEnd, Qt::Key_Return);
    EXPECT_EQ(d.end(), 1); // the second "1" was refused
    EXPECT_EQ(d.begin(), 1);
    QTest::keyClick(d.edtEnd, Qt::Key_Up);
    EXPECT_EQ(d.end(), 2);
    EXPECT_EQ(d.begin(), 1);
}

TEST_F(ExportWindows, ThirdToThirdWritesTheThirdMatchingCallInListOrder) {
    for (int day = 1; day <= 5; ++day)
        addCall("031234000" + std::to_string(day), At(2026, 6, day), "会社" + std::to_string(day));
    ExportSettings settings;
    settings.range = ExportRange::Numeric;
    settings.options.OutHeader = false;
    settings.layouts[0].addColumn({4});
    ini->writeInteger("FILE EXPORT", "Type", 1);
    const auto out = folders.scratch() / "third.csv";
    std::string offered;
    env->chooseFile = [&](QWidget*, const QString& start, const QString&, int& index) {
        offered = start.toStdString();
        index = 2;
        return QString::fromStdString((folders.scratch() / "third").string());
    };
    TRecvHisFileExportList list(*env, settings);
    list.show();
    ASSERT_EQ(list.keys().size(), 5u);
    messages
        .expect("3件目のデータをテキストファイルに出力します  \r\nよろしいですか？  ",
                MessageResult::Yes)
        .expect("対象件数 = 1件\r\n出力件数 = 1件");
    ModalScript script;
    script.then<TRangeSpecification>([](TRangeSpecification& d) {
        EXPECT_EQ(d.begin(), 1);
        EXPECT_EQ(d.end(), 5);
        d.edtBegin->setValue(3);
        d.edtEnd->setValue(3);
        click(d.btnOK);
    });
    click(list.btnExport);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(offered, (dataFolder / "Rireki.txt").string());
    EXPECT_EQ(TextLines(ReadBytes(out)), (std::vector<std::string>{"会社3"}));

    // The remembered file is offered again; "いいえ" keeps it, and appending
    // is chosen at the overwrite question.
    messages.expect("3件目のデータを", MessageResult::Yes)
        .expect("へ出力します", MessageResult::No)
        .expect("既にあるファイルを指定しました", MessageResult::No)
        .expect("出力件数 = 1件");
    ModalScript again;
    again.then<TRangeSpecification>([](TRangeSpecification& d) {
        EXPECT_EQ(d.begin(), 3); // the last range is offered
        click(d.btnOK);
    });
    click(list.btnExport);
    EXPECT_TRUE(again.finished());
    EXPECT_EQ(TextLines(ReadBytes(out)), (std::vector<std::string>{"会社3", "会社3"}));
}

TEST_F(ExportWindows, PicturesOfTheSettingsAndTheRetrievalWindows) {
    ExportSettings settings;
    settings.layouts[0].addColumn({0, 1});
    settings.layouts[0].addColumn({2});
    settings.layouts[0].addColumn({4, 6});
    settings.layouts[0].addColumn({19});
    settings.options.EditDate = true;
    settings.write(*ini);
    TFileExport w(*env);
    w.resize(720, 600);
    w.show();
    CheckAndSavePicture(w, "file-export.png");

    std::vector<AdapterHistoryRecord> stored;
    for (const char* line :
         {"0312345678,20261205,091500", "P,20261205,101230", "0466123456,20261204,174405",
          "09012345678,20261204,120000", "C,20261203,080102"}) {
        AdapterHistoryRecord r{};
        const std::string text = line;
        const auto a = text.find(','), b = text.rfind(',');
        std::memcpy(r.Number, text.data(), a);
        std::memcpy(r.Date, text.data() + a + 1, 8);
        std::memcpy(r.Time, text.data() + b + 1, 6);
        stored.push_back(r);
    }
    messages.expect("接続機器から着信履歴を読み込みます", MessageResult::Yes);
    TGetReceiveHistory h(dm, messages, &hyphenation,
                         {[&](auto& out) {
                              out = stored;
                              return true;
                          },
                          {}});
    h.show();
    QTest::qWait(50);
    ASSERT_EQ(h.lbxHistory->topLevelItemCount(), 5);
    h.lbxHistory->topLevelItem(1)->setSelected(true);
    h.lbxHistory->topLevelItem(2)->setSelected(true);
    CheckAndSavePicture(h, "get-receive-history.png");
}

} // namespace
} // namespace kanata::test
