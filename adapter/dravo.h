// Interface of the driver-control library Dravolib.dll: the factory export,
// the control object's operation table, the event callback and the fixed
// records exchanged with it. The library is built with the Windows compiler,
// so every declaration here follows that compiler's 32-bit x86 layout:
// one table entry per virtual member, in declaration order, no virtual
// destructor, members called __thiscall (object in ECX, callee pops).
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

#define DRAVO_THISCALL __attribute__((thiscall))

// Library event codes, passed to the callback and posted as WM_DRAVO_EVENT.
enum DravoEvent {
    WFF_EVENT_RADIO_STATUS_CHANGE = 8,
    WFF_EVENT_CTRL_TOOL_CHANGE = 10,
    WFF_EVENT_STA_JOIN = 11,
    WFF_EVENT_STA_LEAVE = 12,
    WFF_EVENT_SAP_AVAILABL = 13,
    WFF_EVENT_SAP_NOTAVAILABL = 14,
    WFF_EVENT_STA_JOIN_ERROR_CIPHER = 15,
    WFF_EVENT_SOFTAP_REBOOT = 16,
    WFF_EVENT_NIC_CONTROL_CHANGE = 17,
    WFF_SERVICE_UNRUN = 18,
    WFF_SERVICE_RUN = 19,
};

// The callback the library calls, from any thread, with one event code.
typedef int(__cdecl* DravoEventCallbackFn)(int event);

#pragma pack(push, 1)

// Soft AP configuration, 436 bytes.
struct DravoSoftApConfig {
    int32_t ssidLength;      // 0: narrow SSID length without terminator
    char ssid[32];           // 4
    int32_t const16;         // 36: always 16
    uint8_t opaque40[4];     // 40
    int32_t frequencyMHz;    // 44: always 2462
    uint8_t opaque48[4];     // 48
    uint16_t const100;       // 52: always 100
    uint8_t opaque54[2];     // 54
    int32_t keyed;           // 56: 1 when encrypt != 1
    int32_t auth;            // 60
    int32_t encrypt;         // 64
    uint8_t opaque68[292];   // 68
    int32_t keyLength;       // 360: narrow key length without terminator
    int32_t const2;          // 364: always 2
    char key[64];            // 368: plain key, narrow
    int32_t hideSSIDtype;    // 432
};

// Soft AP status buffer, 1232 bytes, filled by QuerySoftApStatus.
struct DravoSoftApStatus {
    int32_t active;          // 0
    uint8_t opaque4[20];     // 4
    char ssid[32];           // 24
    uint8_t bssid[6];        // 56
    uint8_t opaque62[394];   // 62
    int32_t staNum;          // 456
    uint8_t opaque460[772];  // 460
};

// One network connection of the PC, 332 bytes.
struct DravoIcsEntry {
    GUID guid;               // 0
    char name[256];          // 16
    char guidText[52];       // 272
    int32_t status;          // 324: 2 = connected
    int32_t mediaType;       // 328: NETCON_MEDIATYPE
};

// Sharing request, 668 bytes.
struct DravoIcsSetting {
    DravoIcsEntry publicConn;   // 0: the connection that is shared
    DravoIcsEntry privateConn;  // 332: the soft AP adapter's own connection
    int32_t trailer;            // 664: always -1
};

#pragma pack(pop)

static_assert(sizeof(DravoSoftApConfig) == 436, "DravoSoftApConfig size");
static_assert(offsetof(DravoSoftApConfig, ssid) == 4, "ssid");
static_assert(offsetof(DravoSoftApConfig, const16) == 36, "const16");
static_assert(offsetof(DravoSoftApConfig, frequencyMHz) == 44, "frequency");
static_assert(offsetof(DravoSoftApConfig, const100) == 52, "const100");
static_assert(offsetof(DravoSoftApConfig, keyed) == 56, "keyed");
static_assert(offsetof(DravoSoftApConfig, auth) == 60, "auth");
static_assert(offsetof(DravoSoftApConfig, encrypt) == 64, "encrypt");
static_assert(offsetof(DravoSoftApConfig, keyLength) == 360, "keyLength");
static_assert(offsetof(DravoSoftApConfig, const2) == 364, "const2");
static_assert(offsetof(DravoSoftApConfig, key) == 368, "key");
static_assert(offsetof(DravoSoftApConfig, hideSSIDtype) == 432, "hideSSIDtype");
static_assert(sizeof(DravoSoftApStatus) == 1232, "DravoSoftApStatus size");
static_assert(offsetof(DravoSoftApStatus, ssid) == 24, "status ssid");
static_assert(offsetof(DravoSoftApStatus, bssid) == 56, "status bssid");
static_assert(offsetof(DravoSoftApStatus, staNum) == 456, "status staNum");
static_assert(sizeof(DravoIcsEntry) == 332, "DravoIcsEntry size");
static_assert(offsetof(DravoIcsEntry, name) == 16, "entry name");
static_assert(offsetof(DravoIcsEntry, guidText) == 272, "entry guidText");
static_assert(offsetof(DravoIcsEntry, status) == 324, "entry status");
static_assert(offsetof(DravoIcsEntry, mediaType) == 328, "entry mediaType");
static_assert(sizeof(DravoIcsSetting) == 668, "DravoIcsSetting size");
static_assert(offsetof(DravoIcsSetting, privateConn) == 332, "privateConn");
static_assert(offsetof(DravoIcsSetting, trailer) == 664, "trailer");

// The control object. Slot numbers are fixed by the library; the reserved
// slots are never called by the utility but keep the later ones in place.
class IDravo {
public:
    virtual int DRAVO_THISCALL Reserved0() = 0;                                              // 0
    virtual int DRAVO_THISCALL InitAdapter(GUID adapter, DravoEventCallbackFn callback) = 0; // 1
    virtual int DRAVO_THISCALL Reserved2() = 0;                                              // 2
    virtual int DRAVO_THISCALL QueryServiceStatus(int32_t* bStatus) = 0;                     // 3
    virtual int DRAVO_THISCALL QueryNicRadioStatus(int32_t* radio) = 0;                      // 4
    virtual int DRAVO_THISCALL Reserved5() = 0;                                              // 5
    virtual int DRAVO_THISCALL QueryIcsConnection(DravoIcsEntry* entries, int32_t* count) = 0; // 6
    virtual int DRAVO_THISCALL SetNicRadioStatus(int32_t radio) = 0;                         // 7
    virtual int DRAVO_THISCALL Reserved8() = 0;                                              // 8
    virtual int DRAVO_THISCALL SetIcsConnection(const DravoIcsSetting* setting) = 0;         // 9
    virtual int DRAVO_THISCALL QueryIcsStatus(int32_t* bEnableICS) = 0;                      // 10
    virtual int DRAVO_THISCALL SetSoftApMode(const DravoSoftApConfig* config) = 0;           // 11
    virtual int DRAVO_THISCALL SetSoftapParam2(const DravoSoftApConfig* config) = 0;         // 12
    virtual int DRAVO_THISCALL SetSoftapParam(const DravoSoftApConfig* config) = 0;          // 13
    virtual int DRAVO_THISCALL QuerySoftApStatus(DravoSoftApStatus* status) = 0;             // 14
    virtual int DRAVO_THISCALL Reserved15() = 0;                                             // 15
    virtual int DRAVO_THISCALL StopSoftap() = 0;                                             // 16
    virtual int DRAVO_THISCALL DoUnplug() = 0;                                               // 17
    virtual int DRAVO_THISCALL QueryCurControlTool(int32_t* toolType) = 0;                   // 18
    virtual int DRAVO_THISCALL SetControlTool(int32_t toolType) = 0;                         // 19
};

// The factory export "NewDravo": no arguments, returns the object or null.
typedef IDravo*(__cdecl* NewDravoFn)();

#define DRAVO_SLOT_COUNT 20
