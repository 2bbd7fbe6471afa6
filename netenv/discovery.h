// Adapter discovery: the supported adapters among the PC's network devices,
// the MAC address table, and the thread that watches for plug and unplug.
#pragma once
#include <windows.h>

#define NIC_MODEL_MAX 32
#define NIC_RECORD_MAX 32
#define MAC_TABLE_MAX 32

struct NicModel {
    char hardwareId[256];
    char model[128];
    char chip[128];
    int kind;  // -1 in empty rows
};

struct NicDeviceRecord {
    GUID guid;  // NetCfgInstanceId
    char hardwareId[256];
    char model[128];
    char chip[128];
    char connectionName[256];
    char maker[128];
    char driverVersion[128];
    char driverDate[128];
};

struct MacEntry {
    wchar_t adapterName[260];  // the adapter's GUID text
    wchar_t description[260];
    BYTE address[8];
    int addressLength;
    int type;
};

// Fills the 32-row table: every row empty with kind -1, row 0 the RTL8188EUS.
void BuildShippedModelTable(NicModel table[NIC_MODEL_MAX]);

// 1 after a full walk, 0 when the "Net" class or the device set cannot be had,
// -1 when a connection key cannot be opened (records filled so far stay).
int EnumerateAdapters(const NicModel table[NIC_MODEL_MAX], NicDeviceRecord records[NIC_RECORD_MAX]);

// Rebuilds the MAC table from GetAdaptersInfo; 1 on success, 0 on failure
// (the table keeps its old rows).
int RefreshMacTable();

// The MAC table; copy rows out under SHARED_RECORD_GUARD.
extern MacEntry gMacTable[MAC_TABLE_MAX];
extern int gMacCount;

// Polls the adapters once a second and posts WM_DRAVO_EVENT code 17 to the
// main window on every change. Never returns.
DWORD WINAPI ThreadWatchDevices(LPVOID);
extern HANDLE gWatchDevicesThread;
