// Pictures of the windows for the documentation: run with
// KANATA_SCREENSHOT_DIR=docs/screenshots to write them; skipped otherwise.
#include "data/CallRecord.h"
#include "data/DateTime.h"
#include "data/TDMKanata195.h"
#include "settings/IniFile.h"
#include "tests/support/Screenshots.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempFolders.h"
#include "views/gui/TInputList.h"
#include "views/gui/TOutputItem.h"
#include "views/gui/TReceiveView.h"
#include "views/gui/TReceiveViewMini.h"

#include <QLineEdit>
#include <QListWidget>

#include <gtest/gtest.h>

using namespace kanata;

namespace {

class Screenshots : public ::testing::Test {
protected:
    void SetUp() override {
        if (!screenshots.wanted())
            GTEST_SKIP() << "KANATA_SCREENSHOT_DIR not set";
    }
    static CallRecord knownCaller() {
        CallRecord r{.RecNo = 0,
                     .SchTel = {"0332114567", "09012345678"},
                     .Tel = {"03-3211-4567", "090-1234-5678"},
                     .Pos = "100-0005",
                     .Tdfkn = "東京都",
                     .Adrs1 = "千代田区",
                     .Adrs2 = "丸の内二丁目4-1",
                     .Adrs3 = "丸の内ビルディング 12階",
                     .JisCode = "13101",
                     .KajoCode = "025002",
                     .CorpKana = "ヤマダショウジ",
                     .CorpKanji = "山田商事株式会社",
                     .NameKana = "ヤマダ タロウ",
                     .NameKanji = "山田 太郎",
                     .PrivCorp = 1,
                     .Memo1 = "月末締め翌月払い",
                     .Memo2 = "担当: 営業二課 佐藤",
                     .Rank = "Ａ",
                     .EMail = "taro@yamada-shoji.example",
                     .Msg = 1,
                     .Msg1 = "至急折り返し希望",
                     .Msg2 = "請求書の件",
                     .BGColor = "$80FFFF",
                     .ExtLink = std::vector<std::string>{"https://yamada-shoji.example/"},
                     .Note = std::vector<std::string>{"午前中は不在がち", "FAXは 03-3211-4568"}};
        // The call itself.
        r.RecvDateTime = DateTime{2026, 12, 6, 10, 42, 5, 0}.toDays();
        r.PrevRecvDateTime = DateTime{2026, 11, 28, 16, 3, 51, 0}.toDays();
        r.Division = 1;
        r.SelItem1 = "見積依頼";
        r.SelItem3 = "鈴木";
        return r;
    }

    kanata::test::Screenshots screenshots;
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
    dm.Rank().Save();
    dm.SelItem(1).Save();
    IniFile ini(folders.scratch() / "Kanata195.ini");
    {
        TReceiveView view(dm, messages, {}, ini);
        view.setAttribute(Qt::WA_DeleteOnClose, false);
        view.LoadCallRecord(knownCaller());
        screenshots.save(view, "receive-view-known.png");
    }
    {
        TReceiveView view(dm, messages, {}, ini);
        view.setAttribute(Qt::WA_DeleteOnClose, false);
        CallRecord withheld;
        withheld.Tel[0] = "P";
        withheld.SchTel[0] = "P";
        withheld.RecvDateTime = DateTime{2026, 12, 6, 11, 15, 30, 0}.toDays();
        view.LoadCallRecord(withheld);
        screenshots.save(view, "receive-view-withheld.png");
    }
    {
        TReceiveViewMini mini(ini, true, false, nullptr);
        mini.setAttribute(Qt::WA_DeleteOnClose, false);
        mini.ShowInMiniView(knownCaller());
        screenshots.save(mini, "receive-view-mini.png");
    }
    {
        TOutputItem dialog(OutputItemSettings{}, false, {"内容", "メモ", "受付"}, messages);
        screenshots.save(dialog, "output-item.png");
    }
    {
        TInputList dialog({{" ランク ", &dm.Rank()},
                           {" 内容 ", &dm.SelItem(1)},
                           {" メモ ", &dm.SelItem(2)},
                           {" 受付 ", &dm.SelItem(3)}},
                          messages, 1);
        dialog.lbxNames->item(0)->setSelected(true);
        screenshots.save(dialog, "input-list.png");
    }
}

} // namespace
