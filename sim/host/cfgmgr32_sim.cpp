// Stand-in cfgmgr32.dll for tests and the demo: answers the devnode status
// of the simulated adapters that the host side (host_world.cpp) writes into
// Wine's registry, and hands every other call to Wine's own implementation
// in setupapi.dll (forwarders in cfgmgr32_sim.def). Loaded instead of Wine's
// builtin with WINEDLLOVERRIDES=cfgmgr32=n from the program's folder.
#define _CFGMGR32_  // these exports are defined here, not imported
#include "sim/host/host_world.h"

#include <windows.h>
#include <cfgmgr32.h>

typedef CONFIGRET(WINAPI* StatusExFn)(PULONG, PULONG, DEVINST, ULONG, HMACHINE);
typedef CONFIGRET(WINAPI* DeviceIdFn)(DEVINST, PWSTR, ULONG, ULONG);

static FARPROC SetupApiProc(const char* name) {
    HMODULE setupapi = GetModuleHandleW(L"setupapi.dll");
    if (!setupapi) setupapi = LoadLibraryW(L"setupapi.dll");
    return setupapi ? GetProcAddress(setupapi, name) : nullptr;
}

// The status the host side stored in the device's key; false when the
// device is not one of the simulated adapters.
static bool SimulatedStatus(DEVINST devInst, HMACHINE machine, ULONG* status, ULONG* problem) {
    // Wine's CM_Get_Device_ID_ExW is a stub; the local-machine call works.
    if (machine) return false;
    DeviceIdFn getId = (DeviceIdFn)SetupApiProc("CM_Get_Device_IDW");
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    if (!getId || getId(devInst, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) return false;
    wchar_t path[64 + MAX_DEVICE_ID_LEN] = L"System\\CurrentControlSet\\Enum\\";
    lstrcatW(path, id);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD value = 0, size = sizeof value, type = 0, prob = 0;
    bool found = RegQueryValueExW(key, SIM_HOST_STATUS_VALUE, nullptr, &type, (BYTE*)&value, &size) == ERROR_SUCCESS &&
                 type == REG_DWORD;
    size = sizeof prob;
    if (RegQueryValueExW(key, SIM_HOST_PROBLEM_VALUE, nullptr, &type, (BYTE*)&prob, &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        prob = 0;
    RegCloseKey(key);
    if (!found) return false;
    *status = value;
    *problem = prob;
    return true;
}

extern "C" CONFIGRET WINAPI CM_Get_DevNode_Status_Ex(PULONG status, PULONG problem, DEVINST devInst, ULONG flags,
                                                     HMACHINE machine) {
    if (!status || !problem) return CR_INVALID_POINTER;
    if (flags != 0) return CR_INVALID_FLAG;
    if (SimulatedStatus(devInst, machine, status, problem)) return CR_SUCCESS;
    StatusExFn wine = (StatusExFn)SetupApiProc("CM_Get_DevNode_Status_Ex");
    if (!wine) return CR_FAILURE;
    return wine(status, problem, devInst, flags, machine);
}

extern "C" CONFIGRET WINAPI CM_Get_DevNode_Status(PULONG status, PULONG problem, DEVINST devInst, ULONG flags) {
    return CM_Get_DevNode_Status_Ex(status, problem, devInst, flags, nullptr);
}
