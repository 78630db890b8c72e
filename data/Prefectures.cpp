#include "data/Prefectures.h"

namespace kanata {
namespace {

constexpr std::array<std::string_view, kPrefectureCount> kNames = {
    "北海道", "青森県", "岩手県", "宮城県", "秋田県", "山形県",   "福島県", "茨城県",
    "栃木県", "群馬県", "埼玉県", "千葉県", "東京都", "神奈川県", "新潟県", "富山県",
    "石川県", "福井県", "山梨県", "長野県", "岐阜県", "静岡県",   "愛知県", "三重県",
    "滋賀県", "京都府", "大阪府", "兵庫県", "奈良県", "和歌山県", "鳥取県", "島根県",
    "岡山県", "広島県", "山口県", "徳島県", "香川県", "愛媛県",   "高知県", "福岡県",
    "佐賀県", "長崎県", "熊本県", "大分県", "宮崎県", "鹿児島県", "沖縄県",
};

constexpr std::array<std::string_view, kPrefectureCount> kKanaNames = {
    "ﾎﾂｶｲﾄﾞｳ", "ｱｵﾓﾘｹﾝ",  "ｲﾜﾃｹﾝ",   "ﾐﾔｷﾞｹﾝ",  "ｱｷﾀｹﾝ",   "ﾔﾏｶﾞﾀｹﾝ", "ﾌｸｼﾏｹﾝ",  "ｲﾊﾞﾗｷｹﾝ",
    "ﾄﾁｷﾞｹﾝ",  "ｸﾞﾝﾏｹﾝ",  "ｻｲﾀﾏｹﾝ",  "ﾁﾊﾞｹﾝ",   "ﾄｳｷﾖｳﾄ",  "ｶﾅｶﾞﾜｹﾝ", "ﾆｲｶﾞﾀｹﾝ", "ﾄﾔﾏｹﾝ",
    "ｲｼｶﾜｹﾝ",  "ﾌｸｲｹﾝ",   "ﾔﾏﾅｼｹﾝ",  "ﾅｶﾞﾉｹﾝ",  "ｷﾞﾌｹﾝ",   "ｼｽﾞｵｶｹﾝ", "ｱｲﾁｹﾝ",   "ﾐｴｹﾝ",
    "ｼｶﾞｹﾝ",   "ｷﾖｳﾄﾌ",   "ｵｵｻｶﾌ",   "ﾋﾖｳｺﾞｹﾝ", "ﾅﾗｹﾝ",    "ﾜｶﾔﾏｹﾝ",  "ﾄﾂﾄﾘｹﾝ",  "ｼﾏﾈｹﾝ",
    "ｵｶﾔﾏｹﾝ",  "ﾋﾛｼﾏｹﾝ",  "ﾔﾏｸﾞﾁｹﾝ", "ﾄｸｼﾏｹﾝ",  "ｶｶﾞﾜｹﾝ",  "ｴﾋﾒｹﾝ",   "ｺｳﾁｹﾝ",   "ﾌｸｵｶｹﾝ",
    "ｻｶﾞｹﾝ",   "ﾅｶﾞｻｷｹﾝ", "ｸﾏﾓﾄｹﾝ",  "ｵｵｲﾀｹﾝ",  "ﾐﾔｻﾞｷｹﾝ", "ｶｺﾞｼﾏｹﾝ", "ｵｷﾅﾜｹﾝ",
};

// A prefix of the UTF-8 text is a prefix in characters as well, since a
// UTF-8 sequence can only match at a character boundary.
PrefectureSplit splitBy(const std::array<std::string_view, kPrefectureCount>& names,
                        std::string_view address) {
    for (std::string_view name : names) {
        if (address.starts_with(name))
            return {std::string(name), std::string(address.substr(name.size())), true};
    }
    return {std::string(), std::string(address), false};
}

} // namespace

const std::array<std::string_view, kPrefectureCount>& PrefectureNames() {
    return kNames;
}
const std::array<std::string_view, kPrefectureCount>& PrefectureKanaNames() {
    return kKanaNames;
}

PrefectureSplit SplitPrefecture(std::string_view address) {
    return splitBy(kNames, address);
}

PrefectureSplit SplitPrefectureKana(std::string_view kanaAddress) {
    return splitBy(kKanaNames, kanaAddress);
}

} // namespace kanata
