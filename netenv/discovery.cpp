// Adapter discovery. Placeholder so that the tree links until the SetupAPI
// search lands: no adapter is ever found and the MAC table stays empty.
#include "netenv/discovery.h"

#include <cstring>

MacEntry gMacTable[MAC_TABLE_MAX];
int gMacCount = 0;
HANDLE gWatchDevicesThread = nullptr;

void BuildShippedModelTable(NicModel table[NIC_MODEL_MAX]) {
    memset(table, 0, sizeof(NicModel) * NIC_MODEL_MAX);
    for (int i = 0; i < NIC_MODEL_MAX; i++) table[i].kind = -1;
    strcpy(table[0].hardwareId, "USB\\VID_0BDA&PID_8179");
    strcpy(table[0].model, "R5");
    strcpy(table[0].chip, "8188EUS");
    table[0].kind = 3;
}

int EnumerateAdapters(const NicModel table[NIC_MODEL_MAX], NicDeviceRecord records[NIC_RECORD_MAX]) {
    memset(records, 0, sizeof(NicDeviceRecord) * NIC_RECORD_MAX);
    return 0;
}

int RefreshMacTable() {
    return 0;
}

DWORD WINAPI ThreadWatchDevices(LPVOID) {
    for (;;) Sleep(1000);
}
