// Pictures of the windows for the documentation: run with
// KANATA_SCREENSHOT_DIR=docs/screenshots to write them; skipped otherwise.
#include "data/DateTime.h"
#include "data/TDMKanata195.h"
#include "lookup/CallRecord.h"
#include "roster/gui/TInputList.h"
#include "settings/IniFile.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "views/gui/TOutputItem.h"
#include "views/gui/TReceiveView.h"
#include "views/gui/TReceiveViewMini.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>

#include <gtest/gtest.h>

using namespace kanata;

namespace {

class Screenshots : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = qEnvironmentVariable("KANATA_SCREENSHOT_DIR");
        if (folder_.isEmpty())
            GTEST_SKIP() << "KANATA_SCREENSHOT_DIR not set";
    }
    void save(QWidget& w, const char* name) {
        w.show();
        QApplication::processEvents();
        const QPixmap picture = w.grab();
        ASSERT_FALSE(picture.isNull());
        EXPECT_TRUE(picture.save(folder_ + QLatin1Char('/') + QLatin1String(name)));
    }
    CallRecord knownCaller() {
        CallRecord r;
        r.RecNo = 0;
        r.Division = 1;
        r.Tel[0] = "03-3211-4567";
        r.SchTel[0] = "0332114567";
        r.Tel[1] = "090-1234-5678";
        r.SchTel[1] = "09012345678";
        r.Pos = "100-0005";
        r.Tdfkn = "東京都";
        r.Adrs1 = "千代田区";
        r.Adrs2 = "丸の内二丁目4-1";
        r.Adrs3 = "丸の内ビルディング 12階";
        r.JisCode = "13101";
        r.KajoCode = "025002";
        r.CorpKana = "ヤマダショウジ";
        r.CorpKanji = "山田商事株式会社";
        r.NameKana = "ヤマダ タロウ";
        r.NameKanji = "山田 太郎";
        r.PrivCorp = 1;
        r.Memo1 = "月末締め翌月払い";
        r.Memo2 = "担当: 営業二課 佐藤";
        r.EMail = "taro@yamada-shoji.example";
        r.Rank = "Ａ";
        r.SelItem1 = "見積依頼";
        r.SelItem3 = "鈴木";
        r.Msg = 1;
        r.Msg1 = "至急折り返し希望";
        r.Msg2 = "請求書の件";
        r.BGColor = "$80FFFF";
        r.ExtLink = std::vector<std::string>{"https://yamada-shoji.example/"};
        r.Note = std::vector<std::string>{"午前中は不在がち", "FAXは 03-3211-4568"};
        r.RecvDateTime = DateTime{2026, 12, 6, 10, 42, 5, 0}.toDays();
        r.PrevRecvDateTime = DateTime{2026, 11, 28, 16, 3, 51, 0}.toDays();
        return r;
    }

    QString folder_;
    kanata::test::TempFolders folders;
    kanata::test::ScriptedMessages messages;
};

TEST_F(Screenshots, Windows) {
    TDMKanata195 dm(folders.scratch() / "Data", messages);
    dm.LoadItemLists(folders.scratch() / "app");
    for (const char* r : {"Ａ", "Ｂ", "Ｃ"})
        dm.Rank().Add(r);
    for (const char* s : {"見積依頼", "問い合わせ", "クレーム"})
        dm.SelItem(1).Add(s);
    IniFile ini(folders.scratch() / "Kanata195.ini");
    {
        TReceiveView view(dm, messages, {}, ini);
        view.setAttribute(Qt::WA_DeleteOnClose, false);
        view.LoadCallRecord(knownCaller());
        save(view, "receive-view-known.png");
    }
    {
        TReceiveView view(dm, messages, {}, ini);
        view.setAttribute(Qt::WA_DeleteOnClose, false);
        CallRecord withheld;
        withheld.Tel[0] = "P";
        withheld.SchTel[0] = "P";
        withheld.RecvDateTime = DateTime{2026, 12, 6, 11, 15, 30, 0}.toDays();
        view.LoadCallRecord(withheld);
        save(view, "receive-view-withheld.png");
    }
    {
        TReceiveViewMini mini(ini, true, false, nullptr);
        mini.setAttribute(Qt::WA_DeleteOnClose, false);
        mini.ShowInMiniView(knownCaller());
        save(mini, "receive-view-mini.png");
    }
    {
        TOutputItem dialog(OutputItemSettings{}, false, {"内容", "メモ", "受付"}, messages);
        save(dialog, "output-item.png");
    }
    {
        TInputList dialog({{" ランク ", &dm.Rank()},
                           {" 内容 ", &dm.SelItem(1)},
                           {" メモ ", &dm.SelItem(2)},
                           {" 受付 ", &dm.SelItem(3)}},
                          messages, 1);
        dialog.lbxNames->item(0)->setSelected(true);
        save(dialog, "input-list.png");
    }
}

} // namespace
