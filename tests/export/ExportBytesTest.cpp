// The exact bytes of whole exports with every item, pinned so that work on
// the export's speed cannot change a single byte of what users' other
// programs read.
#include "data/Sqlite.h"
#include "tests/export/ExportFixture.h"
#include "tests/export/PinnedExportBytes.h"

using namespace kanata;
using kanata::test::At;
using kanata::test::ExportFixture;
using namespace kanata::test;

namespace {

// Texts that trip up code page 932 writers: trail bytes 0x5C (ソ 表 能 十),
// the characters whose mapping differs between Shift-JIS tables (～ － ∥ ￢),
// the NEC and IBM extensions (① 髙), half-width katakana, a character code
// page 932 cannot hold (𠮷), and the CSV specials: quotes, commas, line
// breaks, leading and trailing blanks.
class ExportBytes : public ExportFixture {
protected:
    void SetUp() override {
        ExportFixture::SetUp();
        MeiboRow r;
        r.SchTel1 = "0312345678";
        r.Tel1 = "03-1234-5678";
        r.SchTel2 = "09011112222";
        r.Tel2 = "090-1111-2222";
        r.Pos = "1000005";
        r.Tdfkn = "東京都";
        r.Adrs1 = "千代田区丸の内";
        r.Adrs2 = "１－２－３～４";
        r.Adrs3 = "ソ表能十ビル\\5F";
        r.JisCode = "13101";
        r.CorpKana = " ｿﾆｰ\"ｶﾌﾞ\" ";
        r.CorpKanji = "株式会社,\"髙橋\"①";
        r.NameKana = "ﾀｶﾊｼ";
        r.NameKanji = "𠮷田　∥￢";
        r.PrivCorp = "1";
        r.Memo1 = "改行\r\nあり";
        r.Memo2 = "タブ\tあり";
        r.Memo3 = "ダメ文字―ソ";
        r.EMail = "a\"b@example.com";
        r.Rank = "A";
        r.Msg = 1;
        r.Msg1 = "一行目";
        r.Msg2 = "二,行目";
        r.BGColor = "255";
        r.ExtLink = "C:\\表\\ソフト\r\nD:\\";
        r.Note = "一\r\n二\r\n";
        r.AddDateTime = At(2026, 1, 2, 3, 4, 5);
        r.UpdDateTime = At(2026, 12, 31, 23, 59, 58);
        addCaller(r);
        MeiboRow empty;
        empty.SchTel1 = "0612345678";
        empty.Tel1 = "06-1234-5678";
        empty.Pos = "12345";
        addCaller(empty);
        // Storing a record stamps it with the clock: pin the stamps.
        dm.Meibo().table().database().exec(
            "UPDATE Meibo SET AddDateTime = '2026-01-02 03:04:05.000', "
            "UpdDateTime = '2026-12-31 23:59:58.000'");

        addCall("03-1234-5678", At(2026, 5, 6, 7, 8, 9), "ソ表\"能\",十", "髙橋①");
        addCall("090-1111-2222", At(2026, 5, 6, 7, 8, 10), "", "～－∥￢");
        addCall("0477777777", At(2026, 5, 6, 7, 8, 11), "改行\r\nあり", "𠮷");
        addCall("P", At(2026, 5, 6, 7, 8, 12));
        addCall("06-1234-5678", At(2026, 5, 6, 7, 8, 13));
    }

    enum class Shape { Quoted, Edited };
    std::int64_t replaced = 0;

    // Quoted: quotes and the defaults; Edited: no quotes, no header, the
    // numbers as keys, dates and times separated, postal codes unhyphened.
    std::string bytesOf(ExportSource source, Shape shape) {
        const bool quote = shape == Shape::Quoted;
        ExportJob j;
        j.source = source;
        j.layout.setAll(kExportItemCount);
        j.captions = ExportItemCaptions(source, {"内容", "メモ", "受付"});
        j.range = ExportRange::All;
        j.options.BindDblQuote = quote;
        j.options.OutHeader = quote;
        j.options.EditTelHyphen = quote;
        j.options.EditPosHyphen = quote;
        j.options.EditDate = !quote;
        j.options.EditTime = !quote;
        if (source == ExportSource::History)
            UseHistoryOrder(j);
        else
            UseRosterOrder(j, "");
        const auto file = folders.scratch() / "bytes.txt";
        ExportWriter writer(dm.RecvHis(), dm.Meibo(), &hyphenation);
        WriteExportFile(writer, j, file, false);
        replaced = writer.replacedCharacters();
        return test::ReadBytes(file);
    }
};

TEST_F(ExportBytes, HistoryWithEveryItemIsWrittenByteForByte) {
    EXPECT_EQ(bytesOf(ExportSource::History, Shape::Quoted), kPinnedHistoryQuoted);
    EXPECT_EQ(bytesOf(ExportSource::History, Shape::Edited), kPinnedHistoryEdited);
    EXPECT_EQ(replaced, 3);
}

TEST_F(ExportBytes, RosterWithEveryItemIsWrittenByteForByte) {
    EXPECT_EQ(bytesOf(ExportSource::Roster, Shape::Quoted), kPinnedRosterQuoted);
    EXPECT_EQ(bytesOf(ExportSource::Roster, Shape::Edited), kPinnedRosterEdited);
    EXPECT_EQ(replaced, 1);
}

} // namespace
