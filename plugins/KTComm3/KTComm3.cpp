// KTComm3.so: the adapter library for analog and INS64 lines. It offers the
// simulator and caller-ID modems on a serial port (README.md).
#include "plugins/KTComm3/CallerIdModem.h"
#include "plugins/common/AdapterLibrary.h"

namespace kanata::adapter {
namespace {

std::unique_ptr<AdapterLine> makeModem(const ModelEntry& kind, EventPoster poster) {
    return std::make_unique<CallerIdModem>(kind, poster);
}

} // namespace

AdapterLibrary& thisLibrary() {
    static AdapterLibrary library(LibraryConfig{
        0x02010000, // 2.1.0.0: OpenCommLineEx is available
        {
            {kModemKindCom, "汎用 Caller ID モデム", 0, 0x1, KT_PORT_COM},
            {kModemKindUsb, "汎用 Caller ID モデム（USB）", 0, 0x1, KT_PORT_USB},
            {kModemKindJapan, "ナンバー・ディスプレイ対応モデム", 0, 0x1, KT_PORT_COM},
            {kSimulatorKindAnalog, "シミュレーター", kSimulatorHistoryCapacity, 0x1, KT_PORT_COM},
        },
        &makeModem});
    return library;
}

} // namespace kanata::adapter
