// Changes to the simulated world shared by simctl and the end-to-end harness.
#include "sim/sim_edit.h"

#include "sim/dravo_sim.h"
#include "sim/sim_parse.h"

#include <windows.h>

#include <cwctype>

static std::wstring AdapterSection(int n) { return L"adapter" + std::to_wstring(n); }

static std::wstring CaseOf(std::wstring s, bool bLower) {
    for (wchar_t& c : s) c = bLower ? (wchar_t)towlower(c) : (wchar_t)towupper(c);
    return s;
}

// Defaults of adapter N: the test bench's Realtek adapter, the MAC's last
// byte and the Wine interface number counting up with N.
static void FillAdapterDefaults(SimWorld& w, int n) {
    std::wstring s = AdapterSection(n);
    uint8_t mac[6] = {0x00, 0xE0, 0x4C, 0x81, 0x92, (uint8_t)(0xA3 + n)};
    GUID g = {(unsigned long)(3 + n), 0, 0, {0x00, 0x00, 0x4E, 0x65, 0x74, 0x44, 0x65, 0x76}};
    w.Set(s, L"mac", SimMacText(mac));
    w.Set(s, L"guid", SimGuidText(g));
    w.Set(s, L"connectionName", L"无线网络连接 " + std::to_wstring(n + 2));
    w.Set(s, L"mfg", L"Realtek");
    w.Set(s, L"driverVersion", L"1030.4.507.2013");
    w.Set(s, L"driverDate", L"5-7-2013");
}

static std::wstring InstanceIdFor(const std::wstring& macText) {
    std::wstring hex;
    for (wchar_t c : macText)
        if (c != L'-') hex += c;
    return L"USB\\VID_0BDA&PID_8179\\" + hex;
}

bool SimPlugAdapter(SimWorld& w, int n, const SimPlugOptions& o) {
    if (n < 0 || n >= DRAVOSIM_MAX_ADAPTERS) return false;
    uint8_t mac[6];
    GUID g;
    if (!o.mac.empty() && !SimParseMac(o.mac, mac)) return false;
    if (!o.guid.empty() && !SimParseGuid(o.guid, &g)) return false;
    std::wstring s = AdapterSection(n);
    bool bNew = !w.HasSection(s) || w.Get(s, L"guid").empty();
    if (bNew) FillAdapterDefaults(w, n);
    if (!o.mac.empty()) w.Set(s, L"mac", SimMacText(mac));
    if (bNew || !o.mac.empty()) w.Set(s, L"instanceId", InstanceIdFor(w.Get(s, L"mac")));
    if (!o.guid.empty()) w.Set(s, L"guid", SimGuidText(g));
    w.Set(s, L"guid", CaseOf(w.Get(s, L"guid"), o.bLowerCase));
    w.SetInt(s, L"present", 1);
    w.SetInt(s, L"started", o.bStopped ? 0 : 1);
    w.SetInt(s, L"connection", o.bNoConnection ? 0 : 1);
    return true;
}

bool SimArmFailure(SimWorld& w, const std::wstring& op, int32_t status, int32_t count) {
    bool bKnown = false;
    for (const char* name : kSimOperations)
        if (op == SimFromUtf8(name)) bKnown = true;
    if (!bKnown) return false;
    if (status == 0) {
        w.Erase(L"fail", op);
        w.Erase(L"failcount", op);
        return true;
    }
    w.SetInt(L"fail", op, status);
    w.SetInt(L"failcount", op, count < 0 ? -1 : count);
    // A new generation re-arms the count even when status and count repeat.
    w.SetInt(L"failgen", op, w.GetInt(L"failgen", op, 0) + 1);
    return true;
}

bool SimAddIcsConnection(SimWorld& w, const std::wstring& name, const std::wstring& guid, int32_t mediaType,
                         int32_t status) {
    SimIcsLine line = {};
    if (!SimParseGuid(guid, &line.guid)) return false;
    int slot = SimIcsSlotCount(w);
    if (slot >= DRAVOSIM_MAX_ICS_LINES) return false;
    line.name = name;
    line.guidText = guid;
    line.mediaType = mediaType;
    line.status = status;
    w.Set(L"ics", L"conn" + std::to_wstring(slot), SimIcsLineText(line));
    w.SetInt(L"ics", L"count", slot + 1);
    return true;
}

bool SimAppendEvent(const std::wstring& worldPath, int32_t code) {
    std::string line = std::to_string(code) + "\r\n";
    HANDLE f = CreateFileW(SimWorldSibling(worldPath, L"sim_events.txt").c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = WriteFile(f, line.data(), (DWORD)line.size(), &put, nullptr) && put == line.size();
    CloseHandle(f);
    return ok != FALSE;
}
