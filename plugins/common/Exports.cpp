// The seven functions of the adapter interface. Compiled into each adapter
// library, which defines thisLibrary() with its own models.
#include "intake/AdapterAbi.h"
#include "plugins/common/AdapterLibrary.h"

using kanata::adapter::thisLibrary;

extern "C" {

int32_t GetKTComm3Version(int32_t* version) {
    return thisLibrary().version(version);
}

int32_t GetKinds2(int32_t extendMode, int32_t* count, AdapterKind* buffer) {
    return thisLibrary().kinds(extendMode, count, buffer);
}

int32_t OpenCommLine(AdapterHostObject* window, int32_t port, int32_t kindId) {
    return thisLibrary().open(window, port, kindId);
}

// The first argument is reserved (always 0); the CTI flag has no meaning for
// these adapters.
int32_t OpenCommLineEx(int32_t, AdapterHostObject* window, int32_t port, int32_t kindId, int32_t) {
    return thisLibrary().open(window, port, kindId);
}

int32_t CloseCommLine(void) {
    return thisLibrary().close();
}

int32_t KTCommDial(int32_t line, const char* number) {
    return thisLibrary().dial(line, number);
}

int32_t GetHistory(int32_t kindId, int32_t* count, AdapterHistoryRecord* buffer) {
    return thisLibrary().history(kindId, count, buffer);
}

} // extern "C"
