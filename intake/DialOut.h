#pragma once
// Dialling a caller back through the adapter, and the connection details of
// IP telephone equipment kept in KTComm3ip.ini: the rules both dialogs
// follow, without their windows.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kanata {

class IniFile;

inline constexpr const char* kCallTelephoneSection = "CALL TELEPHONE";
inline constexpr const char* kAnalogPortKey = "AnalogPort";

// "ポート１".."ポート５" for the set bits of an adapter model's port mask.
std::vector<std::string> analogPortNames(std::int32_t portMask);
// The port entry to select: `stored` when it exists, else the first (-1
// when there is none).
int chooseAnalogPort(int stored, std::size_t portCount);

// The extension this computer dials from: SIP From for the SIP model,
// IPPBX User for every other optical-line model.
std::string dialExtension(std::int32_t kindId, const IniFile& ipIni);

// The digits the adapter is given for a number text.
std::string dialDigits(const std::string& numberText);

// The question before dialling.
std::string dialQuestion(const std::string& numberText);

// Four dotted decimal parts 0..255, without leading zeros, signs or blanks.
bool isValidIPv4(const std::string& text);

// The fields of the details page of a model (KTComm3ip.ini keys).
enum class IpPbxField { Telno, From, User, Password };
struct IpPbxPage {
    std::vector<IpPbxField> fields;
};
IpPbxPage ipPbxPageFor(std::int32_t kindId);

struct IpPbxValues {
    std::string host, telno, from, user, password;
};

// Reads the values from KTComm3ip.ini.
IpPbxValues readIpPbxValues(const IniFile& ipIni);

// The first failing check of "設定(&S)": the message and the field to focus
// (nullopt field = the IP address).
struct IpPbxProblem {
    std::string message;
    std::optional<IpPbxField> field;
};
std::optional<IpPbxProblem> checkIpPbx(std::int32_t kindId, const IpPbxValues& values);

// Writes Host and the page's keys, and only those.
void writeIpPbxValues(std::int32_t kindId, const IpPbxValues& values, IniFile& ipIni);

} // namespace kanata
