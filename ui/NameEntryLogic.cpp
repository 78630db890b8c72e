#include "ui/NameEntryLogic.h"

#include "data/Cp932.h"
#include "data/WideTrim.h"
#include "data/WidthConversion.h"

#include <array>
#include <cctype>

namespace kanata {
namespace {

// UTF-8 characters of a text, one by one.
template <typename F> void eachCharacter(std::string_view utf8, F f) {
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        f(utf8.substr(i, len));
        i += len;
    }
}

struct KanaPair {
    const char* hiragana;
    const char* halfWidth;
};

constexpr std::array<KanaPair, 76> kPlain = {{
    {"あ", "ｱ"},  {"い", "ｲ"},  {"う", "ｳ"},  {"え", "ｴ"},  {"お", "ｵ"},  {"か", "ｶ"},
    {"き", "ｷ"},  {"く", "ｸ"},  {"け", "ｹ"},  {"こ", "ｺ"},  {"さ", "ｻ"},  {"し", "ｼ"},
    {"す", "ｽ"},  {"せ", "ｾ"},  {"そ", "ｿ"},  {"た", "ﾀ"},  {"ち", "ﾁ"},  {"つ", "ﾂ"},
    {"て", "ﾃ"},  {"と", "ﾄ"},  {"な", "ﾅ"},  {"に", "ﾆ"},  {"ぬ", "ﾇ"},  {"ね", "ﾈ"},
    {"の", "ﾉ"},  {"は", "ﾊ"},  {"ひ", "ﾋ"},  {"ふ", "ﾌ"},  {"へ", "ﾍ"},  {"ほ", "ﾎ"},
    {"ま", "ﾏ"},  {"み", "ﾐ"},  {"む", "ﾑ"},  {"め", "ﾒ"},  {"も", "ﾓ"},  {"や", "ﾔ"},
    {"ゆ", "ﾕ"},  {"よ", "ﾖ"},  {"ら", "ﾗ"},  {"り", "ﾘ"},  {"る", "ﾙ"},  {"れ", "ﾚ"},
    {"ろ", "ﾛ"},  {"わ", "ﾜ"},  {"を", "ｦ"},  {"ん", "ﾝ"},  {"ぁ", "ｧ"},  {"ぃ", "ｨ"},
    {"ぅ", "ｩ"},  {"ぇ", "ｪ"},  {"ぉ", "ｫ"},  {"っ", "ｯ"},  {"ゃ", "ｬ"},  {"ゅ", "ｭ"},
    {"ょ", "ｮ"},  {"ー", "ｰ"},  {"、", "､"},  {"。", "｡"},  {"が", "ｶﾞ"}, {"ぎ", "ｷﾞ"},
    {"ぐ", "ｸﾞ"}, {"げ", "ｹﾞ"}, {"ご", "ｺﾞ"}, {"ざ", "ｻﾞ"}, {"じ", "ｼﾞ"}, {"ず", "ｽﾞ"},
    {"ぜ", "ｾﾞ"}, {"ぞ", "ｿﾞ"}, {"だ", "ﾀﾞ"}, {"ぢ", "ﾁﾞ"}, {"づ", "ﾂﾞ"}, {"で", "ﾃﾞ"},
    {"ど", "ﾄﾞ"}, {"ヴ", "ｳﾞ"}, {"ば", "ﾊﾞ"}, {"ぱ", "ﾊﾟ"},
}};
constexpr std::array<KanaPair, 8> kMoreVoiced = {{
    {"び", "ﾋﾞ"},
    {"ぶ", "ﾌﾞ"},
    {"べ", "ﾍﾞ"},
    {"ぼ", "ﾎﾞ"},
    {"ぴ", "ﾋﾟ"},
    {"ぷ", "ﾌﾟ"},
    {"ぺ", "ﾍﾟ"},
    {"ぽ", "ﾎﾟ"},
}};

const char* lookupKana(std::string_view c) {
    for (const auto& p : kPlain)
        if (c == p.hiragana)
            return p.halfWidth;
    for (const auto& p : kMoreVoiced)
        if (c == p.hiragana)
            return p.halfWidth;
    return nullptr;
}

bool isLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isOneOf(unsigned char c, std::string_view set) {
    return set.find(static_cast<char>(c)) != std::string_view::npos;
}

int byteLength(std::string_view utf8) {
    return static_cast<int>(cp932::byteWidth(utf8));
}

// The UTF-8 text of the first `bytes` code page 932 bytes (never splitting).
std::string firstBytes(std::string_view utf8, int bytes) {
    return cp932::cutToWidth(utf8, bytes < 0 ? 0 : static_cast<std::size_t>(bytes));
}

std::string fromByte(std::string_view utf8, int bytes) {
    const std::string head = firstBytes(utf8, bytes);
    return std::string(utf8.substr(head.size()));
}

void cutToMax(EditText& e) {
    if (e.maxLength > 0)
        e.text = cp932::cutToWidth(e.text, static_cast<std::size_t>(e.maxLength));
}

} // namespace

std::string HalfWidthKana(std::string_view utf8) {
    std::string out;
    eachCharacter(utf8, [&out](std::string_view c) {
        const char* k = lookupKana(c);
        out += k ? std::string(k) : std::string(c);
    });
    return ToHalfWidth(out);
}

std::string DropDoubleByte(std::string_view utf8) {
    std::string out;
    eachCharacter(utf8, [&out](std::string_view c) {
        if (cp932::byteWidth(c) == 1)
            out += c;
    });
    return out;
}

bool RomajiTest::ShouldQuery(std::string_view r) {
    const std::size_t n = r.size();
    if (n == 0)
        return false;
    const auto c = static_cast<unsigned char>(r[n - 1]);
    if (!pending_ || n == 1) {
        if (isLetter(c)) {
            pending_ = true;
            return false;
        }
        pending_ = false;
        return true;
    }
    const auto p = static_cast<unsigned char>(r[n - 2]);
    const bool hasQ = n > 2;
    const auto q = hasQ ? static_cast<unsigned char>(r[n - 3]) : 0;
    bool post = false;
    if (c == 'h')
        post = !isOneOf(p, "cstwh") || (p == 'h' && hasQ && q == 'h');
    else if (c == 't')
        post = (p != 'l' && p != 't') || (p == 't' && hasQ && q == 't');
    else if (c == 'y')
        post = isOneOf(p, "aeiouvw") || (p == 'y' && hasQ && q == 'y');
    else if (c >= 0xAC && c <= 0xDF)
        post = true;
    else
        post = c != p || (hasQ && q == c);
    if (post)
        pending_ = false;
    return post;
}

int NameKindAt(const EditText& edit) {
    if (edit.text.empty())
        return 0;
    const std::string before = firstBytes(edit.text, edit.selStart);
    // An ideographic space is a blank here too.
    return cp932::trimWide(before).empty() ? 0 : 1;
}

void CaptureReading(const EditText& kanjiEdit, std::string_view resultReading, EditText& kanaEdit) {
    const std::string reading = DropDoubleByte(HalfWidthKana(resultReading));
    if (kanjiEdit.text.empty() || byteLength(kanjiEdit.text) <= kanjiEdit.selLength)
        kanaEdit.text.clear();
    kanaEdit.text += reading;
    cutToMax(kanaEdit);
}

void InsertChosenName(EditText& edit, bool editIsKana, EditText* associate,
                      const std::string& kanji, const std::string& reading, int kind) {
    const std::string t = edit.text;
    std::string kanjiForm = kanji, readingForm = reading;
    if (kind == 0 && edit.selStart == 0) {
        kanjiForm += "　";
        readingForm += " ";
    }
    const std::string& own = editIsKana ? readingForm : kanjiForm;
    const std::string& other = editIsKana ? kanjiForm : readingForm;
    if (associate) {
        if (t.empty() || byteLength(t) <= edit.selLength)
            associate->text.clear();
        associate->text += other;
        cutToMax(*associate);
    }
    edit.text = firstBytes(t, edit.selStart) + own + fromByte(t, edit.selStart + edit.selLength);
    cutToMax(edit);
    edit.selStart = byteLength(edit.text);
    edit.selLength = 0;
}

int BytesBefore(std::string_view utf8, int characters) {
    int bytes = 0, seen = 0;
    eachCharacter(utf8, [&](std::string_view c) {
        if (seen++ < characters)
            bytes += byteLength(c);
    });
    return bytes;
}

int CharactersIn(std::string_view utf8, int bytes) {
    int chars = 0, used = 0;
    eachCharacter(utf8, [&](std::string_view c) {
        const int w = byteLength(c);
        if (used + w <= bytes) {
            used += w;
            ++chars;
        } else {
            used = bytes + 1; // stop counting
        }
    });
    return chars;
}

} // namespace kanata
