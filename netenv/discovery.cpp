// Adapter discovery: the supported USB adapters among the PC's network-class
// devices (SetupAPI and the configuration manager), their registry details,
// the MAC address table from GetAdaptersInfo, and the plug/unplug watch.
#include "netenv/discovery.h"

#include "app/log.h"
#include "app/messages.h"
#include "app/shared_lock.h"

#include <cfgmgr32.h>
#include <iphlpapi.h>
#include <setupapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

MacEntry gMacTable[MAC_TABLE_MAX];
int gMacCount = 0;
HANDLE gWatchDevicesThread = nullptr;

#define NET_CLASS_KEY L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\"

// Copies at most size-1 bytes of a narrow text and always terminates.
static void CopyField(char* field, size_t size, const char* text) {
    size_t n = strnlen(text, size - 1);
    memcpy(field, text, n);
    field[n] = '\0';
}

// UTF-16 to the ANSI code page, cut to the field without splitting a
// double-byte character; empty when the conversion fails.
static void WideToAnsiField(const wchar_t* text, char* field, int size) {
    field[0] = '\0';
    int need = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (need <= 0) return;
    char* all = (char*)malloc(need);
    if (!all) return;
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, all, need, nullptr, nullptr) > 0) {
        int cut = 0;
        while (all[cut]) {
            int step = IsDBCSLeadByte((BYTE)all[cut]) && all[cut + 1] ? 2 : 1;
            if (cut + step > size - 1) break;
            cut += step;
        }
        memcpy(field, all, cut);
        field[cut] = '\0';
    }
    free(all);
}

// One REG_SZ value of at most `bytes` bytes into `out` (room for bytes/2 + 1
// characters); empty when it is missing, of another type or too long.
static void ReadRegText(HKEY key, const wchar_t* name, wchar_t* out, DWORD bytes) {
    DWORD type = 0, size = bytes;
    memset(out, 0, bytes + sizeof(wchar_t));
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, (BYTE*)out, &size);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        out[0] = L'\0';
        if (rc != ERROR_SUCCESS) SetLastError(rc);
        return;
    }
    out[size / sizeof(wchar_t)] = L'\0';  // size <= bytes: within the spare character
}

// A value of the device's driver key, opened for this one read.
static void ReadDriverText(HDEVINFO set, SP_DEVINFO_DATA* dev, const wchar_t* name, wchar_t* out, DWORD bytes) {
    out[0] = L'\0';
    HKEY key = SetupDiOpenDevRegKey(set, dev, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return;
    ReadRegText(key, name, out, bytes);
    RegCloseKey(key);
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" into a GUID; false leaves it zero.
static bool ParseGuidText(const char* text, GUID* guid) {
    unsigned int d1 = 0, d2 = 0, d3 = 0, b[8] = {};
    char tail = 0;
    memset(guid, 0, sizeof *guid);
    int got = sscanf(text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}%c", &d1, &d2, &d3, &b[0], &b[1],
                     &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &tail);
    if (got != 11 || strlen(text) != 38) return false;
    guid->Data1 = d1;
    guid->Data2 = (unsigned short)d2;
    guid->Data3 = (unsigned short)d3;
    for (int i = 0; i < 8; i++) guid->Data4[i] = (BYTE)b[i];
    return true;
}

// The first table row whose hardware ID begins the instance ID, ignoring case; -1 if none.
static int MatchModel(const NicModel table[NIC_MODEL_MAX], const wchar_t* instanceId) {
    for (int r = 0; r < NIC_MODEL_MAX; r++) {
        char hardwareId[sizeof table[r].hardwareId];
        CopyField(hardwareId, sizeof hardwareId, table[r].hardwareId);
        if (!hardwareId[0]) continue;
        int wide = MultiByteToWideChar(CP_ACP, 0, hardwareId, -1, nullptr, 0);
        if (wide <= 1) continue;
        if (stricmp_T(hardwareId, instanceId, (size_t)(wide - 1)) == 0) return r;
    }
    return -1;
}

void BuildShippedModelTable(NicModel table[NIC_MODEL_MAX]) {
    memset(table, 0, sizeof(NicModel) * NIC_MODEL_MAX);
    for (int r = 0; r < NIC_MODEL_MAX; r++) table[r].kind = -1;
    strncpy(table[0].hardwareId, "USB\\VID_0BDA&PID_8179", 127);
    strcpy(table[0].model, "R5");
    strcpy(table[0].chip, "8188EUS");
    table[0].kind = 3;
}

// Fills one record from the device's registry details. -1 when the
// connection key cannot be opened.
static int FillRecord(HDEVINFO set, SP_DEVINFO_DATA* dev, const NicModel& row, NicDeviceRecord* rec) {
    CopyField(rec->hardwareId, sizeof rec->hardwareId, row.hardwareId);
    CopyField(rec->model, sizeof rec->model, row.model);
    CopyField(rec->chip, sizeof rec->chip, row.chip);

    wchar_t netCfg[513];
    ReadDriverText(set, dev, L"NetCfgInstanceId", netCfg, 1024);
    char netCfgA[1024];
    WideToAnsiField(netCfg, netCfgA, sizeof netCfgA);
    if (!ParseGuidText(netCfgA, &rec->guid))
        WriteUiLog(L"{EnumerateAdapters} NetCfgInstanceId=%s not a GUID, zero GUID used\n", netCfg);

    wchar_t path[sizeof NET_CLASS_KEY / sizeof(wchar_t) + 512 + 16];
    wcscpy(path, NET_CLASS_KEY);
    wcsncat(path, netCfg, 512);
    wcscat(path, L"\\Connection");
    HKEY conn = nullptr;
    LONG rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &conn);
    if (rc != ERROR_SUCCESS) {
        // RegOpenKeyExW reports its error as the result, not through the thread's last error.
        SetLastError(rc);
        printf("RegOpenKeyEx FAILED (%d).\r\n", (int)rc);
        fflush(stdout);
        return -1;
    }
    wchar_t text[257];
    ReadRegText(conn, L"Name", text, 256);
    RegCloseKey(conn);
    WideToAnsiField(text, rec->connectionName, sizeof rec->connectionName);

    DWORD type = 0;
    memset(text, 0, sizeof text);
    if (!SetupDiGetDeviceRegistryPropertyW(set, dev, SPDRP_MFG, &type, (BYTE*)text, 512, nullptr)) text[0] = L'\0';
    text[256] = L'\0';
    WideToAnsiField(text, rec->maker, sizeof rec->maker);

    ReadDriverText(set, dev, L"DriverVersion", text, 512);
    WideToAnsiField(text, rec->driverVersion, sizeof rec->driverVersion);
    ReadDriverText(set, dev, L"DriverDate", text, 512);
    WideToAnsiField(text, rec->driverDate, sizeof rec->driverDate);
    return 0;
}

int EnumerateAdapters(const NicModel table[NIC_MODEL_MAX], NicDeviceRecord records[NIC_RECORD_MAX]) {
    memset(records, 0, sizeof(NicDeviceRecord) * NIC_RECORD_MAX);
    GUID classes[3] = {};
    DWORD found = 0;
    // Success with no GUID means there is no class of that name.
    if (!SetupDiClassGuidsFromNameW(L"Net", classes, 3, &found) || found == 0) return 0;
    HDEVINFO set = SetupDiGetClassDevsW(&classes[0], nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return 0;

    int filled = 0;
    int result = 1;
    for (DWORD index = 0;; index++) {
        SP_DEVINFO_DATA dev = {};
        dev.cbSize = sizeof dev;
        if (!SetupDiEnumDeviceInfo(set, index, &dev)) break;

        ULONG status = 0, problem = 0;
        SP_DEVINFO_LIST_DETAIL_DATA_W detail = {};
        detail.cbSize = sizeof detail;
        if (SetupDiGetDeviceInfoListDetailW(set, &detail))
            CM_Get_DevNode_Status_Ex(&status, &problem, dev.DevInst, 0, detail.RemoteMachineHandle);
        if (!(status & DN_STARTED) || (status & DN_NO_SHOW_IN_DM)) continue;

        wchar_t instanceId[512] = {};
        if (!SetupDiGetDeviceInstanceIdW(set, &dev, instanceId, 512, nullptr)) continue;
        instanceId[511] = L'\0';
        int row = MatchModel(table, instanceId);
        if (row < 0 || filled >= NIC_RECORD_MAX) continue;

        if (FillRecord(set, &dev, table[row], &records[filled]) != 0) {
            result = -1;
            break;
        }
        filled++;
    }
    SetupDiDestroyDeviceInfoList(set);
    return result;
}

int RefreshMacTable() {
    ULONG size = 648;
    IP_ADAPTER_INFO* raw = (IP_ADAPTER_INFO*)malloc(size);
    if (!raw) return 0;
    DWORD rc = GetAdaptersInfo(raw, &size);
    if (rc != NO_ERROR) {
        free(raw);
        raw = (IP_ADAPTER_INFO*)malloc(size ? size : 1);
        if (!raw) return 0;
        rc = GetAdaptersInfo(raw, &size);
    }
    if (rc != NO_ERROR) {
        free(raw);
        WriteUiLog(L"{RefreshMacTable} GetAdaptersInfo ret=%u\n", (unsigned)rc);
        return 0;
    }

    // Built aside, then copied in whole, so readers never see half a table.
    MacEntry* rows = (MacEntry*)calloc(MAC_TABLE_MAX, sizeof(MacEntry));
    if (!rows) {
        free(raw);
        return 0;
    }
    int count = 0;
    for (IP_ADAPTER_INFO* a = raw; a && count < MAC_TABLE_MAX; a = a->Next, count++) {
        MacEntry& row = rows[count];
        a->AdapterName[sizeof a->AdapterName - 1] = '\0';
        a->Description[sizeof a->Description - 1] = '\0';
        if (!MultiByteToWideChar(CP_ACP, 0, a->AdapterName, -1, row.adapterName, 260)) row.adapterName[0] = L'\0';
        WriteUiLog(L"{Adapter} guid = %s\n", row.adapterName);
        if (!MultiByteToWideChar(CP_ACP, 0, a->Description, -1, row.description, 260)) row.description[0] = L'\0';
        UINT length = a->AddressLength < sizeof row.address ? a->AddressLength : sizeof row.address;
        memcpy(row.address, a->Address, length);
        row.addressLength = (int)length;
        row.type = (int)a->Type;
    }
    free(raw);
    {
        SHARED_RECORD_GUARD;
        memcpy(gMacTable, rows, sizeof gMacTable);
        gMacCount = count;
    }
    free(rows);
    return 1;
}

static bool SameGuids(const NicDeviceRecord* a, const NicDeviceRecord* b) {
    for (int i = 0; i < NIC_RECORD_MAX; i++)
        if (memcmp(&a[i].guid, &b[i].guid, sizeof(GUID)) != 0) return false;
    return true;
}

DWORD WINAPI ThreadWatchDevices(LPVOID) {
    // Two snapshots of 32 records: too large for a comfortable stack frame.
    struct Watch {
        NicModel table[NIC_MODEL_MAX];
        NicDeviceRecord before[NIC_RECORD_MAX];
        NicDeviceRecord now[NIC_RECORD_MAX];
    };
    Watch* w = (Watch*)calloc(1, sizeof(Watch));
    if (!w) {
        WriteUiLog(L"{ThreadWatchDevices} out of memory, not watching\n");
        return 1;
    }
    BuildShippedModelTable(w->table);
    EnumerateAdapters(w->table, w->before);
    for (;;) {
        EnumerateAdapters(w->table, w->now);
        if (!SameGuids(w->before, w->now)) {
            // The snapshot just compared becomes the reference, so a second
            // change right after this one is still seen on the next round.
            memcpy(w->before, w->now, sizeof w->before);
            HWND wnd = gMainWnd;
            if (wnd) PostMessageW(wnd, WM_DRAVO_EVENT, 0, 17);
        }
        Sleep(1000);
    }
}
