#include "data/CallRecord.h"

#include <gtest/gtest.h>

using namespace kanata;

namespace {

CallRecord filled() {
    CallRecord r;
    r.MeiboRecNo = 12;
    r.SchTel[2] = "0355550101";
    r.CorpKanji = "見本商事";
    r.Latitude = 128482400;
    r.RecvDateTime = 46000.25;
    r.ExtLink = std::vector<std::string>{"/srv/a.pdf", "https://example.jp/"};
    r.Note = std::vector<std::string>{"一行目"};
    return r;
}

TEST(CallRecord, CopyHasItsOwnLists) {
    CallRecord original = filled();
    CallRecord copy = original;
    EXPECT_EQ(copy, original);
    copy.ExtLink->push_back("added");
    (*copy.Note)[0] = "changed";
    EXPECT_EQ(original.ExtLink->size(), 2u);
    EXPECT_EQ((*original.Note)[0], "一行目");
}

TEST(CallRecord, ClearLeavesZerosEmptyTextsAndNoLists) {
    CallRecord r = filled();
    r.clear();
    EXPECT_EQ(r, CallRecord{});
    EXPECT_FALSE(r.ExtLink.has_value());
    EXPECT_FALSE(r.Note.has_value());
    EXPECT_EQ(r.SchTel[2], "");
    EXPECT_EQ(r.RecvDateTime, 0.0);
}

TEST(CallRecord, FitToWidthsCutsInCodePage932Bytes) {
    CallRecord r;
    r.NameKanji = "山田" + std::string(27, 'x'); // 31 bytes, field of 30
    r.NameKana = "ﾔﾏﾀﾞﾀﾛｳ";                      // half-width: 8 bytes, fits
    r.Tdfkn = "abc鹿児島県";                     // 3 + 8 bytes into 8: no half character
    r.SchTel[0] = "035555010199";
    r.fitToWidths();
    EXPECT_EQ(r.NameKanji, "山田" + std::string(26, 'x'));
    EXPECT_EQ(r.NameKana, "ﾔﾏﾀﾞﾀﾛｳ");
    EXPECT_EQ(r.Tdfkn, "abc鹿児");
    EXPECT_EQ(r.SchTel[0], "03555501019");
}

} // namespace
