// Draws the history list over a few dozen realistic calls. The picture is
// written to $KANATA_SCREENSHOT_DIR when that is set (for the documentation);
// the test itself checks that rows are really drawn.
#include "history/gui/ListRowView.h"
#include "history/gui/THistoryList.h"
#include "history/gui/THistorySearch.h"
#include "intake/gui/IntakeFlags.h"
#include "settings/IniFile.h"
#include "tests/history/HistoryTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>

namespace kanata {
namespace {

struct Caller {
    const char* tel;
    const char* corp;
    const char* name;
    const char* rank;
    const char* item1;
};

const Caller kCallers[] = {
    {"03-3456-7890", "株式会社さくら商事", "山田　太郎", "A", "見積依頼"},
    {"045-212-3344", "有限会社みなと工務店", "佐藤　花子", "B", "納期確認"},
    {"090-1234-5678", "", "鈴木　一郎", "", "折り返し希望"},
    {"P", "", "", "", ""},
    {"06-6123-4567", "大阪精機株式会社", "田中　誠", "A", "修理依頼"},
    {"0466-22-1188", "湘南フーズ株式会社", "高橋　美咲", "C", "注文"},
    {"C", "", "", "", ""},
    {"052-951-0101", "名古屋物流センター", "伊藤　健", "B", "配送の件"},
    {"011-222-3333", "北海道ファーム合同会社", "渡辺　由美", "", "資料請求"},
    {"0120-123-456", "全国サポートセンター", "", "", "問い合わせ"},
    {"O", "", "", "", ""},
    {"092-711-2020", "九州電機工業株式会社", "中村　隆", "A", "請求書"},
};

class HistoryScreenshot : public test::HistoryTable {};

TEST_F(HistoryScreenshot, ListWithJapaneseCallsIsDrawn) {
    std::vector<RecvHisRow> rows;
    const DateTime newest{2026, 12, 5, 17, 42, 10, 0};
    for (int i = 0; i < 36; ++i) {
        const Caller& c = kCallers[(i * 5) % std::size(kCallers)];
        RecvHisRow row = test::CallAt(DateTime::fromDays(newest.toDays() - i * 0.137));
        row.RecNo = 36 - i;
        row.Tel = c.tel;
        std::string digits;
        for (const char* p = c.tel; *p; ++p)
            if (*p != '-')
                digits += *p;
        row.SchTel = digits;
        row.CorpKanji = c.corp;
        row.NameKanji = c.name;
        row.Rank = c.rank;
        row.SelItem1 = c.item1;
        row.SelItem2 = i % 4 == 0 ? "至急" : "";
        row.SelItem3 = i % 3 == 0 ? "受付：木村" : "受付：小林";
        row.Division = c.corp[0] ? (i % 2 ? "1" : "0") : "";
        rows.push_back(row);
    }
    store(rows);

    IntakeFlags flags;
    IniFile ini(folders.scratch() / "Kanata195.ini");
    ini.writeBool("HISTORY LIST", "AllWeek", true);
    ini.writeInteger("HISTORY LIST", "Width", 900);
    ini.writeInteger("HISTORY LIST", "Height", 460);
    HistoryListOptions options;
    options.ListMaxCount = 30;
    {
        THistoryList list(*dm, flags, messages, ini, options,
                          [] { return DateTime{2026, 12, 5, 17, 45, 0, 0}; });
        QCoreApplication::sendPostedEvents(&list);
        list.show();
        list.SelectRow(2, true);
        list.SetOpenRow(5);
        QApplication::processEvents();
        const QImage image = list.grab().toImage();
        ASSERT_FALSE(image.isNull());
        // Row 3 is selected: some of its pixels carry the highlight colour.
        const QRect rowRect = list.lbxRecvHis->visualRect(list.model()->index(2, 4));
        const QPoint origin = list.lbxRecvHis->viewport()->mapTo(&list, rowRect.topLeft());
        EXPECT_EQ(image.pixelColor(origin + QPoint(2, 2)),
                  list.palette().color(QPalette::Active, QPalette::Highlight));
        const QByteArray dir = qgetenv("KANATA_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            image.save(QString::fromLocal8Bit(dir) + "/history-list.png");
            THistorySearch search(list.condition(), QDate(2026, 12, 5), &list);
            search.chkDate->setChecked(true);
            search.dtpBegin->setDate(QDate(2026, 12, 1));
            search.edtCorpKanji->setText(QStringLiteral("株式会社"));
            search.show();
            QApplication::processEvents();
            search.grab().save(QString::fromLocal8Bit(dir) + "/history-search.png");
        }
        list.close();
    }
}

} // namespace
} // namespace kanata
