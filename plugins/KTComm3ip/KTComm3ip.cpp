// KTComm3ip.so: the adapter library for optical (IP) lines. It offers the
// simulator; real optical-line equipment is not driven yet.
#include "plugins/common/AdapterLibrary.h"

namespace kanata::adapter {

AdapterLibrary& thisLibrary() {
    static AdapterLibrary library(LibraryConfig{
        0x02010000, // 2.1.0.0: OpenCommLineEx is available
        {{kSimulatorKindIp, "シミュレーター", kSimulatorHistoryCapacity, 0, KT_PORT_COM}},
        nullptr});
    return library;
}

} // namespace kanata::adapter
