#pragma once
// The serial device behind a port number, and opening it raw.
#include "plugins/common/AdapterLibrary.h"

#include <string>

namespace kanata::adapter {

// COM n (1-9): $KANATA_COM<n> when set, else /dev/ttyS<n-1>. The "USB"
// entry (port type USB): $KANATA_USB when set, else the first /dev/ttyACM*,
// else the first /dev/ttyUSB*. Empty when there is none.
std::string serialDeviceFor(const ModelEntry& kind, std::int32_t port);

// Bit rate from $KANATA_MODEM_BAUD, 9600 when unset or unsupported.
int configuredBaud();

// Opens raw, 8N1, no flow control, ignoring carrier, exclusive. Returns the
// descriptor, or -1 with `result` set to an OpenCommLine result.
int openSerialDevice(const std::string& path, int baud, std::int32_t& result);

} // namespace kanata::adapter
