#include "platform/DriveScan.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace kanata {
namespace {

// The mounts table writes blanks and backslashes in names as octal escapes.
std::string unescapeMountField(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.size() == 3 && std::all_of(digits.begin(), digits.end(),
                                                  [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.rfind(prefix, 0) == 0;
}

bool isUnder(const std::string& mountPoint, const std::string& folder) {
    return startsWith(mountPoint, folder + "/");
}

bool isRemovableMedium(const std::string& device, const std::string& mountPoint,
                       const std::string& type) {
    if (type == "iso9660" || type == "udf")
        return true;
    if (startsWith(device, "/dev/sr"))
        return true;
    return isUnder(mountPoint, "/media") || isUnder(mountPoint, "/run/media");
}

bool isNetworkShare(const std::string& type) {
    return type == "nfs" || type == "nfs4" || type == "cifs" || type == "smb3" ||
           type == "fuse.sshfs" || type == "sshfs";
}

} // namespace

std::vector<std::string> scanDrives(bool includeNetwork, const std::filesystem::path& mountsFile) {
    std::vector<std::string> drives;
    std::ifstream in(mountsFile);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type))
            continue;
        device = unescapeMountField(device);
        mountPoint = unescapeMountField(mountPoint);
        bool wanted =
            isRemovableMedium(device, mountPoint, type) || (includeNetwork && isNetworkShare(type));
        while (mountPoint.size() > 1 && mountPoint.back() == '/')
            mountPoint.pop_back();
        if (wanted && std::find(drives.begin(), drives.end(), mountPoint) == drives.end())
            drives.push_back(mountPoint);
    }
    return drives;
}

} // namespace kanata
