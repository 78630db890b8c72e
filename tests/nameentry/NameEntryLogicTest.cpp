// The name entry edit's text rules, without a window.
#include "ui/NameEntryLogic.h"
#include "data/Cp932.h"
#include "tests/support/ExpectEach.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kanata;
using kanata::test::ExpectEach;

namespace {

TEST(HalfWidthKana, HiraganaKatakanaLatinAndMarks) {
    ExpectEach(HalfWidthKana, {{"やまだ", "ﾔﾏﾀﾞ"},
                               {"ぱーてぃー、。", "ﾊﾟｰﾃｨｰ､｡"},
                               {"ヴぃっきょ", "ｳﾞｨｯｷｮ"},
                               {"サトウ", "ｻﾄｳ"},
                               {"ｓａｔｏ１", "sato1"},
                               // Kanji and hiragana outside the lists stay double-byte.
                               {"山ゐゎ", "山ゐゎ"}});
    EXPECT_EQ(DropDoubleByte(HalfWidthKana("たなか山ゑ")), "ﾀﾅｶ");
}

// One reading after another, as an input method grows it; true where a
// lookup is posted.
std::vector<bool> queries(const std::vector<std::string>& readings) {
    RomajiTest test;
    std::vector<bool> out;
    for (const auto& r : readings)
        out.push_back(test.ShouldQuery(cp932::encode(r)));
    return out;
}

TEST(RomajiTest, WaitsForUnfinishedLatinSequences) {
    // s, sh: still waiting; "ｼ" (a kana) posts.
    EXPECT_EQ(queries({"s", "sh", "ｼ"}), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(queries({"ﾀ", "ﾀc", "ﾀch"}), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(queries({"k", "ky", "ｷｮ"}), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(queries({"l", "lt"}), (std::vector<bool>{false, false}));
    // A doubled consonant waits; a third one of it posts.
    EXPECT_EQ(queries({"k", "kk"}), (std::vector<bool>{false, false}));
    EXPECT_EQ(queries({"k", "kk", "kkk"}), (std::vector<bool>{false, false, true}));
    // h after a letter that cannot start "?h" posts; after h and h, too.
    EXPECT_EQ(queries({"k", "kh"}), (std::vector<bool>{false, true}));
    EXPECT_EQ(queries({"h", "hh", "hhh"}), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(queries({"t", "tt", "ttt"}), (std::vector<bool>{false, false, true}));
    // y after a vowel posts, after a consonant waits.
    EXPECT_EQ(queries({"a", "ay"}), (std::vector<bool>{false, true}));
    EXPECT_EQ(queries({"n", "ny"}), (std::vector<bool>{false, false}));
    // Two different letters: no longer waiting.
    EXPECT_EQ(queries({"k", "kn"}), (std::vector<bool>{false, true}));
    // A small kana or voiced mark after a pending letter posts.
    EXPECT_EQ(queries({"k", "kｬ"}), (std::vector<bool>{false, true}));
}

TEST(NameKind, SurnameUntilSomethingButBlanksStandsBeforeTheCaret) {
    EXPECT_EQ(NameKindAt({"", 0, 0}), 0);
    EXPECT_EQ(NameKindAt({"山田　", 0, 0}), 0);
    EXPECT_EQ(NameKindAt({" 　", 4, 0}), 0);
    EXPECT_EQ(NameKindAt({"山田　", 6, 0}), 1);
    EXPECT_EQ(NameKindAt({"山田", 4, 0}), 1);
}

TEST(ReadingCapture, AppendsReplacesWhenAllSelectedAndKeepsTheLimit) {
    EditText kana{"ﾔﾏﾀﾞ ", 0, 0, 25};
    CaptureReading({"山田　", 6, 0}, "たろう", kana);
    EXPECT_EQ(kana.text, "ﾔﾏﾀﾞ ﾀﾛｳ");
    // Typing over the fully selected kanji name replaces the reading.
    CaptureReading({"山田　太郎", 0, 10}, "すずき", kana);
    EXPECT_EQ(kana.text, "ｽｽﾞｷ");
    CaptureReading({"", 0, 0}, "さとう山", kana);
    EXPECT_EQ(kana.text, "ｻﾄｳ");
    EditText full{"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄ", 0, 0, 25};
    CaptureReading({"某", 2, 0}, "なにぬねのはひふ", full);
    EXPECT_EQ(full.text.size() > 0, true);
    EXPECT_EQ(cp932::byteWidth(full.text), 25u);
}

TEST(InsertChosenName, SurnameInAnEmptyKanjiEditThenAGivenName) {
    EditText kanji{"", 0, 0, 30};
    EditText kana{"", 0, 0, 25};
    InsertChosenName(kanji, false, &kana, "山田", "ﾔﾏﾀﾞ", 0);
    EXPECT_EQ(kanji.text, "山田　");
    EXPECT_EQ(kanji.selStart, 6);
    EXPECT_EQ(kana.text, "ﾔﾏﾀﾞ ");
    InsertChosenName(kanji, false, &kana, "太郎", "ﾀﾛｳ", 1);
    EXPECT_EQ(kanji.text, "山田　太郎");
    EXPECT_EQ(kanji.selStart, 10);
    EXPECT_EQ(kana.text, "ﾔﾏﾀﾞ ﾀﾛｳ");
}

TEST(InsertChosenName, InTheKanaEditAtTheSelection) {
    EditText kana{"ﾔﾏﾀﾞ ﾀﾛ", 5, 2, 25}; // "ﾀﾛ" selected
    EditText kanji{"山田　", 6, 0, 30};
    InsertChosenName(kana, true, &kanji, "太郎", "ﾀﾛｳ", 1);
    EXPECT_EQ(kana.text, "ﾔﾏﾀﾞ ﾀﾛｳ");
    EXPECT_EQ(kanji.text, "山田　太郎");
    // All of the edit selected: the associate starts again.
    EditText whole{"ｽｽﾞｷ", 0, 4, 25};
    InsertChosenName(whole, true, &kanji, "佐藤", "ｻﾄｳ", 0);
    EXPECT_EQ(whole.text, "ｻﾄｳ ");
    EXPECT_EQ(kanji.text, "佐藤　");
}

TEST(ByteSelection, DoubleByteCharactersCountTwice) {
    EXPECT_EQ(BytesBefore("山田ﾀﾛｳ", 3), 5);
    EXPECT_EQ(CharactersIn("山田ﾀﾛｳ", 5), 3);
    EXPECT_EQ(CharactersIn("山田", 3), 1); // never half a character
    EXPECT_EQ(CharactersIn("ab", 10), 2);
}

} // namespace
