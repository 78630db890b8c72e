// KTComm3ip.so: the adapter library for optical (IP) lines. It offers the
// simulator and a SIP extension of an office IP-PBX (README.md).
#include "plugins/KTComm3ip/SipLine.h"
#include "plugins/common/AdapterLibrary.h"
#include "plugins/common/SimulatorSocket.h"

namespace kanata::adapter {
namespace {

std::unique_ptr<AdapterLine> makeSipLine(const ModelEntry&, EventPoster poster) {
    return std::make_unique<SipLine>(poster, workFolder() / kIpAdapterIniName);
}

} // namespace

AdapterLibrary& thisLibrary() {
    static AdapterLibrary library(LibraryConfig{
        0x02010000, // 2.1.0.0: OpenCommLineEx is available
        {
            {kSimulatorKindIp, "シミュレーター", kSimulatorHistoryCapacity, 0, KT_PORT_COM},
            {kSipKindId, "SIP", 0, 0, KT_PORT_COM},
        },
        &makeSipLine});
    return library;
}

} // namespace kanata::adapter
