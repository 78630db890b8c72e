#include "plugins/common/CallData.h"

#include "plugins/common/Cp932Text.h"

#include <cstdio>

namespace kanata::adapter {

bool isReasonCode(std::string_view text) {
    return text.size() == 1 && std::string_view("POCS$").find(text[0]) != std::string_view::npos;
}

std::optional<std::string> numberDigits(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digits.push_back(c);
        else if (c != '-')
            return std::nullopt;
    }
    if (digits.empty())
        return std::nullopt;
    return digits;
}

std::string callDataLine(std::string_view numberOrReason, std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return callDataLine(numberOrReason, local);
}

std::string callDataLine(std::string_view numberOrReason, const std::tm& when) {
    std::string line(numberOrReason.substr(0, kNumberField));
    line.resize(kNumberField, ' ');
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "  %04d/%02d/%02d  %02d:%02d:%02d", when.tm_year + 1900,
                  when.tm_mon + 1, when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
    return line + stamp;
}

void EventPoster::callData(const std::string& line) const {
    post(WM_LINE_CALLDATA, 0, line);
}

void EventPoster::error(std::int32_t code, std::string_view textUtf8) const {
    post(WM_LINE_ERROR, code, toCp932(textUtf8));
}

void EventPoster::notice(std::int32_t code, std::string_view textUtf8) const {
    post(WM_LINE_NOTICE, code, toCp932(textUtf8));
}

void EventPoster::post(std::uint32_t message, std::int32_t code, const std::string& cp932) const {
    if (!host_ || !host_->vtbl || !host_->vtbl->post)
        return;
    LineEventData data{code, static_cast<std::int32_t>(cp932.size()), cp932.c_str()};
    host_->vtbl->post(host_, message, 0, reinterpret_cast<std::intptr_t>(&data));
}

std::string trimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace kanata::adapter
