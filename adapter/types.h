// Program-side records of the adapter control layer: UTF-16 texts in fixed
// buffers so that every record can be copied by value between threads.
#pragma once
#include <windows.h>

#define Q8_TEXT_MAX 512      // settings texts are read with a 512-character buffer
#define Q8_GUID_TEXT_MAX 64  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" and spare
#define Q8_NAME_MAX 256
#define Q8_NIC_MAX 5         // adapters kept in a ControlNicList
#define Q8_ICS_MAX 32        // connections kept in an IcsConnectionList

struct SoftApCfgInfo {
    wchar_t ssid[Q8_TEXT_MAX];
    int hideSSIDtype;        // 0 = name broadcast
    int encrypt;             // ENCRYPT_* code
    int auth;                // AUTH_* code
    wchar_t key[Q8_TEXT_MAX];  // plain in gSoftApInfo, stored form in gIniFile
    int channel;
    int frequency;           // MHz
};

struct SoftApStatus {
    int bActive;
    wchar_t ssid[Q8_NAME_MAX];
    int staNum;
};

struct IcsConnection {
    wchar_t networkName[Q8_NAME_MAX];
    wchar_t guid[Q8_GUID_TEXT_MAX];  // braced GUID text
    int mediaType;                   // NETCON_MEDIATYPE
    int connected;                   // 1 when the library reports status 2
};

struct IcsConnectionList {
    int count;
    IcsConnection entries[Q8_ICS_MAX];
};

struct ControlNicEntry {
    wchar_t text0[Q8_NAME_MAX];      // never filled
    wchar_t text1[Q8_NAME_MAX];      // never filled
    wchar_t guid[Q8_GUID_TEXT_MAX];  // adapter GUID text
    wchar_t connName[Q8_NAME_MAX];   // never filled by discovery
};

struct ControlNicList {
    int count;
    ControlNicEntry entries[Q8_NIC_MAX];
};
