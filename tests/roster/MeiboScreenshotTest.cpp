// Pictures of the roster windows for the documentation: run with
// KANATA_SCREENSHOT_DIR=docs/screenshots to write them; skipped otherwise.
#include "roster/gui/TMeiboList.h"
#include "roster/gui/TMeiboView.h"
#include "settings/IniFile.h"
#include "tests/roster/RosterFixture.h"
#include "tests/support/Screenshots.h"

#include <QCheckBox>
#include <QTabWidget>

using namespace kanata;
using kanata::test::RosterEntry;

namespace {

class MeiboScreenshots : public kanata::test::RosterFixture {
protected:
    void SetUp() override {
        if (!screenshots.wanted())
            GTEST_SKIP() << "KANATA_SCREENSHOT_DIR not set";
        RosterFixture::SetUp();
        dm.Rank().Add("Ａ");
        dm.Rank().Add("Ｂ");
    }
    void addContact(const char* tel1, const char* tel2, const char* tdfkn, const char* adrs1,
                    const char* adrs2, const char* corp, const char* corpKana, const char* name,
                    const char* nameKana) {
        MeiboRow r = RosterEntry(tel1, tel2);
        r.Pos = "1000005";
        r.Tdfkn = tdfkn;
        r.Adrs1 = adrs1;
        r.Adrs2 = adrs2;
        r.CorpKanji = corp;
        r.CorpKana = corpKana;
        r.NameKanji = name;
        r.NameKana = nameKana;
        r.PrivCorp = "1";
        r.Memo1 = "月末締め翌月払い";
        r.EMail = "info@example.jp";
        r.Rank = "Ａ";
        r.Msg = 1;
        r.Msg1 = "至急折り返し希望";
        r.Msg2 = "請求書の件";
        r.BGColor = "$80FFFF";
        r.ExtLink = "https://yamada-shoji.example/\r\n/home/office/見積書.pdf";
        r.Note = "午前中は不在がち\r\nFAXは 03-3211-4568";
        dm.Meibo().append(r, messages);
    }

    kanata::test::Screenshots screenshots;
};

TEST_F(MeiboScreenshots, ListAndBothEditorTabs) {
    addContact("03-3211-4567", "090-1234-5678", "東京都", "千代田区", "丸の内二丁目4-1",
               "山田商事株式会社", "ﾔﾏﾀﾞｼｮｳｼﾞ", "山田 太郎", "ﾔﾏﾀﾞ ﾀﾛｳ");
    addContact("06-6345-1122", "", "大阪府", "大阪市北区", "梅田一丁目3-1", "浪速精工", "ﾅﾆﾜｾｲｺｳ",
               "佐藤 花子", "ｻﾄｳ ﾊﾅｺ");
    addContact("045-222-3344", "080-9876-5432", "神奈川県", "横浜市中区", "山下町1", "", "",
               "鈴木 一郎", "ｽｽﾞｷ ｲﾁﾛｳ");
    addCall("03-3211-4567", {2026, 12, 1, 10, 5, 0, 0});
    addCall("090-1234-5678", {2026, 12, 4, 15, 30, 12, 0});
    IniFile ini(folders.scratch() / "Kanata195.ini");
    TMeiboList list(dm, messages, ini, MeiboSettings{}, folders.scratch() / "CstmClr.ini");
    list.show();
    list.SelectRow(0, true);
    screenshots.save(list, "meibo-list.png");

    list.btnInquiryClick();
    TMeiboView* view = list.view();
    ASSERT_NE(view, nullptr);
    view->btnHistoryClick();
    screenshots.save(*view, "meibo-view-main.png");
    view->tabPages->setCurrentIndex(1);
    screenshots.save(*view, "meibo-view-sub.png");
}

} // namespace
