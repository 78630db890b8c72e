/* Six of the seven adapter functions: KTCommDial is missing on purpose. */
#include "intake/AdapterAbi.h"

#include <stddef.h>

int32_t GetKTComm3Version(int32_t* version) {
    if (version)
        *version = 0x01000000;
    return 0;
}

int32_t GetKinds2(int32_t extendMode, int32_t* count, AdapterKind* buffer) {
    (void)extendMode;
    (void)buffer;
    if (count)
        *count = 0;
    return 0;
}

int32_t OpenCommLine(AdapterHostObject* window, int32_t port, int32_t kindId) {
    (void)window;
    (void)port;
    (void)kindId;
    return 2;
}

int32_t OpenCommLineEx(int32_t reserved, AdapterHostObject* window, int32_t port, int32_t kindId,
                       int32_t cti) {
    (void)reserved;
    (void)cti;
    return OpenCommLine(window, port, kindId);
}

int32_t CloseCommLine(void) {
    return 0;
}

int32_t GetHistory(int32_t kindId, int32_t* count, AdapterHistoryRecord* buffer) {
    (void)kindId;
    (void)buffer;
    if (count)
        *count = 0;
    return 1;
}
