#ifndef KANATA_INTAKE_ADAPTERABI_H
#define KANATA_INTAKE_ADAPTERABI_H
/*
 * The binary interface of the adapter libraries KTComm3.so (analog and INS64
 * line adapters) and KTComm3ip.so (optical line adapters and IP-PBX).
 *
 * Others may supply these libraries, so everything here is fixed: function
 * names, argument order, record layouts, result codes and message numbers.
 * Plain C, usable from C and C++; the platform's own calling convention.
 * Texts crossing this interface are code page 932 (Shift-JIS as Windows has
 * it), NUL-terminated unless a record gives a fixed size.
 *
 * The "window handle" the program hands to OpenCommLine is a pointer to an
 * AdapterHostObject: a host object whose first member points to a table of
 * functions. The library reports events by calling
 *
 *     host->vtbl->post(host, WM_LINE_CALLDATA, 0, (intptr_t)&eventData);
 *
 * from any thread, at any time while the line is open. The host copies the
 * event's code and text before post returns, so the LineEventData and its
 * text may live on the caller's stack. post never calls back into the
 * library. For WM_LINE_CALLDATA it returns only once the call is written to
 * the program's intake journal on disk (a few milliseconds at most), so a
 * library that acknowledges calls to its device or caller should do so after
 * post has returned: from then on the program will store the call even if
 * it is ended abruptly. The host object stays valid until
 * CloseCommLine has returned; a library must not post after that, so it
 * stops its own threads inside CloseCommLine.
 */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Messages the library posts (wparam unused, lparam points to LineEventData). */
#define WM_LINE_CALLDATA 0x06BE
#define WM_LINE_ERROR 0x06C0
#define WM_LINE_NOTICE 0x06C2

/* Messages the main window posts to itself in reaction to the above. */
#define WM_CALL_PENDING 0x06F0
#define WM_SHOW_LINE_ERROR 0x06F2
#define WM_SHOW_LINE_NOTICE 0x06F4

/* Results of OpenCommLine / OpenCommLineEx. Any other value: the line
 * cannot be opened. */
#define KT_OPEN_OK 0
#define KT_OPEN_PORT_IN_USE 1
#define KT_OPEN_USB_DRIVER_MISSING 31

/* Result of GetHistory; anything else is failure. */
#define KT_HISTORY_OK 0

/* WM_LINE_ERROR codes: 1 is shown to nobody; 200 and above point at the
 * working environment and the devices, the rest at a restart. */
#define KT_ERROR_SILENT 1
#define KT_ERROR_ENVIRONMENT_FIRST 200

/* The version from which OpenCommLineEx may be used (a.b.c.d, a on top). */
#define KT_VERSION_OPEN_LINE_EX 0x02000007

/* AdapterKind.PortType */
#define KT_PORT_COM 0
#define KT_PORT_USB 1
#define KT_PORT_TAPI 2

#if defined(__cplusplus)
#define KT_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define KT_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#pragma pack(push, 1)

/* One supported adapter model, as GetKinds2 writes it. */
typedef struct AdapterKind {
    char Name[50];           /* code page 932, padded with blanks or NULs */
    char Reserved[2];        /* padding, zero */
    int32_t KindId;          /* model identifier; 0 stands for no model */
    int32_t HistoryCapacity; /* past calls the adapter keeps; 0 = none */
    int32_t DialPorts;       /* bit 0 = analog port 1 ... bit 4 = port 5 */
    int32_t PortType;        /* KT_PORT_COM, KT_PORT_USB or KT_PORT_TAPI */
} AdapterKind;
KT_STATIC_ASSERT(sizeof(AdapterKind) == 68, "AdapterKind is 68 bytes");

/* One call the adapter stored itself, as GetHistory writes it: single-byte
 * text, padded with blanks or NULs, no terminating NUL required. */
typedef struct AdapterHistoryRecord {
    char Number[16]; /* caller number, or a reason code as first character */
    char Date[10];   /* "yyyymmdd" */
    char Time[8];    /* "hhnnss" */
} AdapterHistoryRecord;
KT_STATIC_ASSERT(sizeof(AdapterHistoryRecord) == 34, "AdapterHistoryRecord is 34 bytes");

#pragma pack(pop)

/* What lparam of every library message points to. Owned by the library and
 * valid only during the post call. */
typedef struct LineEventData {
    int32_t Code;     /* event code */
    int32_t Length;   /* bytes of Text without the terminating NUL */
    const char* Text; /* NUL-terminated, code page 932 */
} LineEventData;

/* The host object behind the "window handle". */
typedef struct AdapterHostObject AdapterHostObject;
typedef struct AdapterHostVtbl {
    /* Thread-safe; copies what lparam points to before returning. */
    void (*post)(AdapterHostObject* host, uint32_t msg, uintptr_t wparam, intptr_t lparam);
} AdapterHostVtbl;
struct AdapterHostObject {
    const AdapterHostVtbl* vtbl;
};

/* The seven functions, in the order the program resolves them. */
typedef int32_t (*GetKTComm3Version_t)(int32_t* version);
typedef int32_t (*GetKinds2_t)(int32_t extendMode, int32_t* count, AdapterKind* buffer);
typedef int32_t (*OpenCommLine_t)(AdapterHostObject* window, int32_t port, int32_t kindId);
typedef int32_t (*OpenCommLineEx_t)(int32_t reserved, AdapterHostObject* window, int32_t port,
                                    int32_t kindId, int32_t cti);
typedef int32_t (*CloseCommLine_t)(void);
typedef int32_t (*KTCommDial_t)(int32_t line, const char* number);
typedef int32_t (*GetHistory_t)(int32_t kindId, int32_t* count, AdapterHistoryRecord* buffer);

/* Declarations for libraries that implement the interface. */
int32_t GetKTComm3Version(int32_t* version);
int32_t GetKinds2(int32_t extendMode, int32_t* count, AdapterKind* buffer);
int32_t OpenCommLine(AdapterHostObject* window, int32_t port, int32_t kindId);
int32_t OpenCommLineEx(int32_t reserved, AdapterHostObject* window, int32_t port, int32_t kindId,
                       int32_t cti);
int32_t CloseCommLine(void);
int32_t KTCommDial(int32_t line, const char* number);
int32_t GetHistory(int32_t kindId, int32_t* count, AdapterHistoryRecord* buffer);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* KANATA_INTAKE_ADAPTERABI_H */
