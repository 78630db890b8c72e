#include "plugins/KTComm3/SerialDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace kanata::adapter {
namespace {

std::string firstDevice(const std::string& prefix) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0)
            found.push_back(entry.path().string());
    }
    if (found.empty())
        return {};
    // ttyACM10 after ttyACM9: shorter names first.
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return found.front();
}

speed_t speedFor(int baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B9600;
    }
}

} // namespace

std::string serialDeviceFor(const ModelEntry& kind, std::int32_t port) {
    if (kind.portType == KT_PORT_USB) {
        if (const char* v = std::getenv("KANATA_USB"); v && *v)
            return v;
        std::string device = firstDevice("ttyACM");
        return device.empty() ? firstDevice("ttyUSB") : device;
    }
    if (port < 1 || port > 9)
        return {};
    const std::string variable = "KANATA_COM" + std::to_string(port);
    if (const char* v = std::getenv(variable.c_str()); v && *v)
        return v;
    return "/dev/ttyS" + std::to_string(port - 1);
}

int configuredBaud() {
    const char* v = std::getenv("KANATA_MODEM_BAUD");
    const int baud = v ? std::atoi(v) : 9600;
    for (int known : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        if (baud == known)
            return baud;
    return 9600;
}

int openSerialDevice(const std::string& path, int baud, std::int32_t& result) {
    result = 2;
    if (path.empty())
        return -1;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EBUSY)
            result = KT_OPEN_PORT_IN_USE;
        return -1;
    }
    // Another program (or another copy of this one) holding the port.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        result = KT_OPEN_PORT_IN_USE;
        return -1;
    }
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        ::close(fd);
        return -1;
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS | HUPCL);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speedFor(baud));
    cfsetospeed(&tio, speedFor(baud));
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        ::close(fd);
        return -1;
    }
    ioctl(fd, TIOCEXCL);
    tcflush(fd, TCIOFLUSH);
    result = KT_OPEN_OK;
    return fd;
}

} // namespace kanata::adapter
