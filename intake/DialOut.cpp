#include "intake/DialOut.h"

#include "settings/IniFile.h"

#include <algorithm>

namespace kanata {
namespace {

constexpr int kSipKind = 211;

bool singleByteOnly(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool digitsAndHyphens(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
}

bool decimalPart(const std::string& part) {
    if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == '0'))
        return false;
    if (!std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    return std::stoi(part) <= 255;
}

IpPbxProblem problem(const char* text, IpPbxField field) {
    return {text, field};
}

} // namespace

std::vector<std::string> analogPortNames(std::int32_t portMask) {
    static const char* const names[] = {"ポート１", "ポート２", "ポート３", "ポート４", "ポート５"};
    std::vector<std::string> ports;
    for (int bit = 0; bit < 5; ++bit)
        if (portMask & (1 << bit))
            ports.emplace_back(names[bit]);
    return ports;
}

int chooseAnalogPort(int stored, std::size_t portCount) {
    if (portCount == 0)
        return -1;
    return stored >= 0 && static_cast<std::size_t>(stored) < portCount ? stored : 0;
}

std::string dialExtension(std::int32_t kindId, const IniFile& ipIni) {
    return kindId == kSipKind ? ipIni.readString("SIP", "From") : ipIni.readString("IPPBX", "User");
}

std::string dialDigits(const std::string& numberText) {
    std::string digits;
    for (char c : numberText)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits;
}

std::string dialQuestion(const std::string& numberText) {
    const auto first = numberText.find_first_not_of(' ');
    const auto last = numberText.find_last_not_of(' ');
    const std::string trimmed =
        first == std::string::npos ? std::string() : numberText.substr(first, last - first + 1);
    return "「" + trimmed + "」に電話をかけます  \r\nよろしいですか？  ";
}

bool isValidIPv4(const std::string& text) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == '.')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts.size() == 4 && std::all_of(parts.begin(), parts.end(), decimalPart);
}

IpPbxPage ipPbxPageFor(std::int32_t kindId) {
    using F = IpPbxField;
    // The SIP line registers with the IP-PBX as an extension of its own,
    // which needs its user and password; both may stay empty for a PBX that
    // sends calls straight to this computer.
    if (kindId == kSipKind)
        return {{F::Telno, F::From, F::User, F::Password}};
    if (kindId >= 221 && kindId <= 228)
        return {{F::User, F::Password}};
    if (kindId == 241)
        return {{F::Telno, F::From, F::User, F::Password}};
    if ((kindId >= 250 && kindId <= 261) || kindId == 299)
        return {{F::Telno}};
    return {{F::Telno, F::From, F::User, F::Password}};
}

IpPbxValues readIpPbxValues(const IniFile& ini) {
    return {ini.readString("IPPBX", "Host"), ini.readString("IPPBX", "Telno"),
            ini.readString("SIP", "From"), ini.readString("IPPBX", "User"),
            ini.readString("IPPBX", "Password")};
}

std::optional<IpPbxProblem> checkIpPbx(std::int32_t kindId, const IpPbxValues& v) {
    using F = IpPbxField;
    if (v.host.empty())
        return IpPbxProblem{"IPアドレスを入力してください  ", std::nullopt};
    if (!isValidIPv4(v.host))
        return IpPbxProblem{"正しいIPアドレスを入力してください  ", std::nullopt};
    if (kindId == kSipKind) {
        if (v.from.empty())
            return problem("内線番号を入力してください  ", F::From);
        if (!singleByteOnly(v.from))
            return problem("内線番号は半角で入力してください  ", F::From);
        if (v.telno.empty())
            return problem("電話番号を入力してください  ", F::Telno);
        if (!digitsAndHyphens(v.telno))
            return problem("電話番号は半角の数字とハイフンで入力してください  ", F::Telno);
    } else if (kindId >= 221 && kindId <= 228) {
        if (v.user.empty())
            return problem("内線番号を入力してください  ", F::User);
        if (!singleByteOnly(v.password))
            return problem("パスワードは半角で入力してください  ", F::Password);
    } else if (kindId == 241) {
        if (v.user.empty())
            return problem("内線番号を入力してください  ", F::User);
        if (v.password.empty())
            return problem("パスワードを入力してください  ", F::Password);
        if (!singleByteOnly(v.password))
            return problem("パスワードは半角で入力してください  ", F::Password);
    }
    return std::nullopt;
}

void writeIpPbxValues(std::int32_t kindId, const IpPbxValues& v, IniFile& ini) {
    ini.writeString("IPPBX", "Host", v.host);
    for (IpPbxField field : ipPbxPageFor(kindId).fields) {
        switch (field) {
        case IpPbxField::Telno:
            ini.writeString("IPPBX", "Telno", v.telno);
            break;
        case IpPbxField::From:
            ini.writeString("SIP", "From", v.from);
            break;
        case IpPbxField::User:
            ini.writeString("IPPBX", "User", v.user);
            break;
        case IpPbxField::Password:
            ini.writeString("IPPBX", "Password", v.password);
            break;
        }
    }
}

} // namespace kanata
