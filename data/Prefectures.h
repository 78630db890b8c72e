#pragma once
// The 47 prefectures in the order of their official codes 01..47, with their
// readings in half-width katakana as the phonebook data and the dictionaries
// write them: no small kana (ﾎﾂｶｲﾄﾞｳ, ﾄｳｷﾖｳﾄ) and voiced marks as ﾞ/ﾟ.
#include <array>
#include <string>
#include <string_view>

namespace kanata {

inline constexpr int kPrefectureCount = 47;

// Index i holds the prefecture of official code i + 1.
const std::array<std::string_view, kPrefectureCount>& PrefectureNames();
const std::array<std::string_view, kPrefectureCount>& PrefectureKanaNames();

struct PrefectureSplit {
    std::string prefecture; // empty when not found
    std::string rest;       // the address after the prefecture, or all of it
    bool found = false;
};

// Takes the first prefecture name, in code order, that begins the address.
PrefectureSplit SplitPrefecture(std::string_view address);
// The same over the half-width katakana readings.
PrefectureSplit SplitPrefectureKana(std::string_view kanaAddress);

} // namespace kanata
