// Host side of the simulated world: writes each plugged [adapterN] into
// Wine's registry the way Windows keeps a network adapter (device key,
// driver key, connection key), stores the devnode status that the stand-in
// cfgmgr32.dll reports, and makes a veth interface with the adapter's MAC in
// the run's private network namespace. Layout: docs/simulator.md.
#include "sim/host/host_world.h"
#include "sim/unix_run.h"

#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <vector>

#define SIM_ADAPTER_MAX 8
#define NET_CLASS_GUID L"{4d36e972-e325-11ce-bfc1-08002be10318}"

static const wchar_t ENUM_KEY[] = L"System\\CurrentControlSet\\Enum\\";
static const wchar_t CLASS_KEY[] = L"System\\CurrentControlSet\\Control\\Class\\" NET_CLASS_GUID;
static const wchar_t NETWORK_KEY[] =
    L"System\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
// What the last apply wrote, per adapter, so that it can be taken away again.
static const wchar_t RECORD_KEY[] = L"Software\\Q8Sim\\Host\\adapter";

// Devnode status bits as Windows reports a running USB network adapter.
#define SIM_DN_RUNNING 0x0180600A    // DN_DRIVER_LOADED|DN_STARTED|DN_DISABLEABLE|DN_REMOVABLE|DN_NT_*
#define SIM_DN_DISABLED 0x01806400   // DN_HAS_PROBLEM|DN_DISABLEABLE|DN_REMOVABLE|DN_NT_*
#define SIM_DN_NO_SHOW 0x40000000    // DN_NO_SHOW_IN_DM
#define SIM_PROBLEM_DISABLED 22      // CM_PROB_DISABLED

struct HostAdapter {
    bool present = false;
    std::wstring instanceId;
    std::wstring guid;
    std::wstring driverKey;  // "0800" + N under the Net class key
    std::wstring mac;        // "00:e0:4c:81:92:a3"; empty = no interface
    int ifIndex = 0;         // interface index the GUID names; 0 = none
    bool connection = true;
    std::wstring connectionName, mfg, driverVersion, driverDate;
    DWORD status = SIM_DN_RUNNING;
    DWORD problem = 0;
};

std::wstring SimInterfaceGuid(int index) {
    wchar_t text[48];
    _snwprintf(text, 48, L"{%08X-0000-0000-0000-4E6574446576}", (unsigned)index);
    text[47] = L'\0';
    return text;
}

// The interface index of a Wine interface GUID; 0 for any other GUID.
static int InterfaceIndexOf(const std::wstring& guid) {
    unsigned index = 0;
    wchar_t tail[40] = {};
    if (guid.size() != 38 || swscanf(guid.c_str(), L"{%8X-%36ls", &index, tail) != 2) return 0;
    if (_wcsicmp(tail, L"0000-0000-0000-4E6574446576}") != 0) return 0;
    return index >= 2 && index <= 9999 ? (int)index : 0;
}

// "00-E0-4C-81-92-A3" (or with colons) to "00:e0:4c:81:92:a3"; false if malformed.
static bool NormalizeMac(const std::wstring& text, std::wstring* mac) {
    if (text.size() != 17) return false;
    std::wstring out;
    for (size_t i = 0; i < 17; i++) {
        wchar_t c = text[i];
        if (i % 3 == 2) {
            if (c != L'-' && c != L':') return false;
            out += L':';
        } else {
            if (!iswxdigit(c)) return false;
            out += (wchar_t)towlower(c);
        }
    }
    *mac = out;
    return true;
}

// Three non-empty parts "enumerator\device\instance", as the Enum key nests them.
static bool SplitInstanceId(const std::wstring& id, std::wstring parts[3]) {
    size_t a = id.find(L'\\');
    size_t b = a == std::wstring::npos ? a : id.find(L'\\', a + 1);
    if (b == std::wstring::npos || id.find(L'\\', b + 1) != std::wstring::npos || id.size() > 200) return false;
    parts[0] = id.substr(0, a);
    parts[1] = id.substr(a + 1, b - a - 1);
    parts[2] = id.substr(b + 1);
    return !parts[0].empty() && !parts[1].empty() && !parts[2].empty();
}

// Wine's registry keeps subkeys sorted: upper-cased UTF-16 over the common
// length, the shorter name first. Devices are listed in that order.
static int CompareKeyNames(const std::wstring& a, const std::wstring& b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; i++) {
        wchar_t x = (wchar_t)towupper(a[i]), y = (wchar_t)towupper(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

static int CompareInstanceIds(const std::wstring& a, const std::wstring& b) {
    std::wstring pa[3], pb[3];
    SplitInstanceId(a, pa);
    SplitInstanceId(b, pb);
    for (int i = 0; i < 3; i++)
        if (int c = CompareKeyNames(pa[i], pb[i])) return c;
    return 0;
}

static HostAdapter ReadAdapter(const SimWorld& world, int n, std::wstring* problems) {
    HostAdapter a;
    std::wstring sec = L"adapter" + std::to_wstring(n);
    a.present = world.HasSection(sec) && world.GetInt(sec, L"present", 0) != 0;
    if (!a.present) return a;
    wchar_t text[64];
    _snwprintf(text, 64, L"USB\\VID_0BDA&PID_8179\\00E04C0000%02X", n + 1);
    text[63] = L'\0';
    a.instanceId = world.Get(sec, L"instanceId", text);
    std::wstring parts[3];
    if (!SplitInstanceId(a.instanceId, parts)) {
        *problems += L"[" + sec + L"] instanceId \"" + a.instanceId + L"\" is not enumerator\\device\\instance; not plugged. ";
        a.present = false;
        return a;
    }
    a.guid = world.Get(sec, L"guid", SimInterfaceGuid(3 + n));
    _snwprintf(text, 64, L"%04d", 800 + n);
    a.driverKey = text;
    _snwprintf(text, 64, L"00-E0-4C-81-92-%02X", 0xA3 + n);
    std::wstring mac = world.Get(sec, L"mac", text);
    if (!mac.empty() && !NormalizeMac(mac, &a.mac))
        *problems += L"[" + sec + L"] mac \"" + mac + L"\" is not six hex bytes; no interface. ";
    a.ifIndex = a.mac.empty() ? 0 : InterfaceIndexOf(a.guid);
    a.connection = world.GetInt(sec, L"connection", 1) != 0;
    a.connectionName = world.Get(sec, L"connectionName", L"无线网络连接 " + std::to_wstring(n + 2));
    a.mfg = world.Get(sec, L"mfg", L"Realtek");
    a.driverVersion = world.Get(sec, L"driverVersion", L"1030.4.507.2013");
    a.driverDate = world.Get(sec, L"driverDate", L"5-7-2013");
    bool started = world.GetInt(sec, L"started", 1) != 0;
    a.status = started ? SIM_DN_RUNNING : SIM_DN_DISABLED;
    a.problem = started ? 0 : SIM_PROBLEM_DISABLED;
    if (world.GetInt(sec, L"hidden", 0) != 0) a.status |= SIM_DN_NO_SHOW;
    return a;
}

// ---- registry ----

static LONG SetText(HKEY key, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ) {
    return RegSetValueExW(key, name, 0, type, (const BYTE*)value.c_str(), (DWORD)((value.size() + 1) * sizeof(wchar_t)));
}

static LONG SetDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value);
}

static std::wstring GetText(HKEY key, const wchar_t* name) {
    wchar_t buf[512] = {};
    DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, (BYTE*)buf, &size) != ERROR_SUCCESS || type != REG_SZ) return L"";
    return buf;
}

static LONG CreateKey(const std::wstring& path, HKEY* key) {
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key, nullptr);
}

static bool KeyIsEmpty(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD subkeys = 1, values = 1;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return subkeys == 0 && values == 0;
}

// Unplugs a device key: the class value goes first, so that SetupAPI stops
// listing the device before its other values vanish.
static void RemoveDeviceKey(const std::wstring& instanceId) {
    std::wstring parts[3];
    if (!SplitInstanceId(instanceId, parts)) return;
    std::wstring path = ENUM_KEY + instanceId;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, L"ClassGUID");
        RegCloseKey(key);
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str());
    // The device and enumerator keys were made for it; drop them once empty.
    std::wstring device = ENUM_KEY + parts[0] + L"\\" + parts[1];
    if (KeyIsEmpty(device)) RegDeleteKeyW(HKEY_LOCAL_MACHINE, device.c_str());
    std::wstring enumerator = ENUM_KEY + parts[0];
    if (KeyIsEmpty(enumerator)) RegDeleteKeyW(HKEY_LOCAL_MACHINE, enumerator.c_str());
}

static LONG WriteAdapter(int n, const HostAdapter& a) {
    HKEY key = nullptr;
    LONG rc = CreateKey(RECORD_KEY + std::to_wstring(n), &key);
    if (rc != ERROR_SUCCESS) return rc;
    SetText(key, L"InstanceId", a.instanceId);
    SetText(key, L"Guid", a.guid);
    SetText(key, L"DriverKey", a.driverKey);
    RegCloseKey(key);

    rc = CreateKey(std::wstring(CLASS_KEY) + L"\\" + a.driverKey, &key);
    if (rc != ERROR_SUCCESS) return rc;
    SetText(key, L"NetCfgInstanceId", a.guid);
    SetText(key, L"DriverVersion", a.driverVersion);
    SetText(key, L"DriverDate", a.driverDate);
    SetText(key, L"DriverDesc", L"802.11n USB Wireless LAN Card");
    RegCloseKey(key);

    std::wstring network = NETWORK_KEY + a.guid;
    if (a.connection) {
        rc = CreateKey(network + L"\\Connection", &key);
        if (rc != ERROR_SUCCESS) return rc;
        SetText(key, L"Name", a.connectionName);
        SetText(key, L"PnpInstanceID", a.instanceId);
        RegCloseKey(key);
    } else {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (network + L"\\Connection").c_str());
    }

    // The device key last, its class value at the very end: the device shows
    // up only when everything discovery reads is in place.
    rc = CreateKey(ENUM_KEY + a.instanceId, &key);
    if (rc != ERROR_SUCCESS) return rc;
    std::wstring parts[3];
    SplitInstanceId(a.instanceId, parts);
    std::wstring hardwareIds = parts[0] + L"\\" + parts[1];
    hardwareIds.push_back(L'\0');
    SetText(key, L"HardwareID", hardwareIds, REG_MULTI_SZ);
    SetText(key, L"Driver", std::wstring(NET_CLASS_GUID) + L"\\" + a.driverKey);
    SetText(key, L"Mfg", a.mfg);
    SetText(key, L"DeviceDesc", L"802.11n USB Wireless LAN Card");
    SetDword(key, SIM_HOST_STATUS_VALUE, a.status);
    SetDword(key, SIM_HOST_PROBLEM_VALUE, a.problem);
    rc = SetText(key, L"ClassGUID", NET_CLASS_GUID);
    RegCloseKey(key);
    return rc;
}

struct Recorded {
    bool exists = false;
    std::wstring instanceId, guid, driverKey;
};

static Recorded ReadRecord(int n) {
    Recorded r;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (RECORD_KEY + std::to_wstring(n)).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return r;
    r.exists = true;
    r.instanceId = GetText(key, L"InstanceId");
    r.guid = GetText(key, L"Guid");
    r.driverKey = GetText(key, L"DriverKey");
    RegCloseKey(key);
    return r;
}

static bool GuidWanted(const std::vector<HostAdapter>& want, const std::wstring& guid) {
    for (const HostAdapter& a : want)
        if (a.present && _wcsicmp(a.guid.c_str(), guid.c_str()) == 0) return true;
    return false;
}

// Takes away what the last apply wrote for adapter n and this one no longer wants.
static void RemoveStale(int n, const Recorded& old, const std::vector<HostAdapter>& want) {
    if (!old.exists) return;
    const HostAdapter& a = want[n];
    bool sameDevice = a.present && _wcsicmp(old.instanceId.c_str(), a.instanceId.c_str()) == 0;
    if (!sameDevice && !old.instanceId.empty()) {
        bool other = false;  // another adapter now lives under that instance ID
        for (const HostAdapter& b : want)
            if (b.present && _wcsicmp(b.instanceId.c_str(), old.instanceId.c_str()) == 0) other = true;
        if (!other) RemoveDeviceKey(old.instanceId);
    }
    if (!old.guid.empty() && !GuidWanted(want, old.guid))
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (NETWORK_KEY + old.guid).c_str());
    if (!a.present) {
        if (!old.driverKey.empty())
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(CLASS_KEY) + L"\\" + old.driverKey).c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (RECORD_KEY + std::to_wstring(n)).c_str());
    }
}

// ---- network interfaces ----

// The namespace the run made for itself ("net:[4026532...]"), or empty.
static std::wstring RunNamespace() {
    wchar_t value[64] = {};
    DWORD n = GetEnvironmentVariableW(L"Q8SIM_NETNS", value, 64);
    return n > 0 && n < 64 ? value : L"";
}

bool SimHostNetworkReady(std::wstring* why) {
    if (!RunNamespace().empty()) {
        if (why) why->clear();
        return true;
    }
    if (why)
        *why = L"no private network namespace for this run (Q8SIM_NETNS is not set; tools/run-tests.sh sets it when "
               L"it can run the tests under unshare -n as root)";
    return false;
}

// The shell script that makes interface q8a<N> (peer q8p<N>) for every
// adapter that has one and removes the others. It works only in the
// namespace named by Q8SIM_NETNS (its second argument), never in another.
static std::string NetworkScript(const std::vector<HostAdapter>& want) {
    std::string s =
        "r=\"$1\"\n"
        "me=$(readlink /proc/self/ns/net) || finish \"cannot read this process's network namespace\"\n"
        "[ \"$me\" = \"$2\" ] || finish \"refused: this process is in network namespace $me, not in $2 (Q8SIM_NETNS)\"\n"
        "command -v ip >/dev/null 2>&1 || finish \"the ip command (iproute2) is missing\"\n"
        "ip link set lo up 2>/dev/null\n"
        "bad=''\n"
        "keep() { ip -o link show dev q8a$1 2>/dev/null | grep -q \"^$2: q8a$1@.* link/ether $3 \"; }\n"
        "add() { keep \"$@\" && return 0\n"
        "  ip link add name q8a$1 index $2 address $3 type veth peer name q8p$1 index $(($2 + 10000)) address $4 2>\"$r.err\" "
        "|| bad=\"$bad q8a$1: $(cat \"$r.err\")\"; }\n";
    std::string clear, make;
    for (int n = 0; n < SIM_ADAPTER_MAX; n++) {
        const HostAdapter& a = want[n];
        char line[200];
        if (a.present && a.ifIndex > 0) {
            std::string mac(a.mac.begin(), a.mac.end());
            snprintf(line, sizeof line, "keep %d %d %s || ip link del q8a%d 2>/dev/null\n", n, a.ifIndex, mac.c_str(), n);
            clear += line;
            snprintf(line, sizeof line, "add %d %d %s 02:51:38:00:00:%02x\n", n, a.ifIndex, mac.c_str(), n);
            make += line;
        } else {
            snprintf(line, sizeof line, "ip link del q8a%d 2>/dev/null\n", n);
            clear += line;
        }
    }
    // Everything unwanted goes first, so that an index can move between adapters.
    s += clear + make;
    s += "rm -f \"$r.err\"\n"
         "[ -z \"$bad\" ] && finish ok\n"
         "finish \"ip link failed:$bad\"\n";
    return s;
}

// Runs the script in the run's namespace and reads its answer.
static int ApplyNetwork(const std::vector<HostAdapter>& want, std::wstring* error) {
    std::string answer;
    if (SimRunUnixScript(NetworkScript(want), {RunNamespace()}, 30000, &answer) && answer == "ok") return SIM_HOST_OK;
    *error += L"network script: " + SimFromUtf8(answer) + L". ";
    return SIM_HOST_NETWORK;
}

// ---- the whole host ----

int SimApplyHostWorld(const SimWorld& world, std::wstring* error) {
    std::wstring problems;
    std::vector<HostAdapter> want;
    for (int n = 0; n < SIM_ADAPTER_MAX; n++) want.push_back(ReadAdapter(world, n, &problems));
    for (int n = 0; n < SIM_ADAPTER_MAX; n++)
        for (int m = 0; m < n; m++)
            if (want[n].present && want[m].present && CompareInstanceIds(want[m].instanceId, want[n].instanceId) == 0) {
                problems += L"[adapter" + std::to_wstring(n) + L"] has the instance ID of [adapter" + std::to_wstring(m) +
                            L"]; not plugged. ";
                want[n].present = false;
            }
    int code = problems.empty() ? SIM_HOST_OK : SIM_HOST_BAD_WORLD;

    HKEY key = nullptr;
    LONG rc = CreateKey(CLASS_KEY, &key);
    if (rc == ERROR_SUCCESS) {
        rc = SetText(key, L"Class", L"Net");
        RegCloseKey(key);
    }
    if (rc != ERROR_SUCCESS) {
        if (error) *error = problems + L"cannot write the Net class key (error " + std::to_wstring(rc) + L").";
        return SIM_HOST_REGISTRY;
    }

    // Interfaces before devices: a plugged adapter's MAC is there by the time it is listed.
    std::wstring netError;
    int netCode = SimHostNetworkReady(nullptr) ? ApplyNetwork(want, &netError) : SIM_HOST_OK;

    // New and changed adapters first, stale keys after: an adapter that stays
    // is never without its keys, even for a moment.
    std::vector<Recorded> old;
    for (int n = 0; n < SIM_ADAPTER_MAX; n++) old.push_back(ReadRecord(n));
    for (int n = 0; n < SIM_ADAPTER_MAX; n++) {
        if (!want[n].present) continue;
        rc = WriteAdapter(n, want[n]);
        if (rc != ERROR_SUCCESS) {
            problems += L"[adapter" + std::to_wstring(n) + L"] registry write failed (error " + std::to_wstring(rc) + L"). ";
            code = SIM_HOST_REGISTRY;
        }
    }
    for (int n = 0; n < SIM_ADAPTER_MAX; n++) RemoveStale(n, old[n], want);

    int last = -1;
    for (int n = 0; n < SIM_ADAPTER_MAX; n++) {
        if (!want[n].present) continue;
        if (last >= 0 && CompareInstanceIds(want[last].instanceId, want[n].instanceId) > 0) {
            problems += L"[adapter" + std::to_wstring(n) + L"] is listed before [adapter" + std::to_wstring(last) +
                        L"]: Wine lists devices in the order of their instance IDs. ";
            if (code == SIM_HOST_OK) code = SIM_HOST_BAD_WORLD;
        }
        last = n;
    }
    if (netCode != SIM_HOST_OK) {
        problems += netError;
        if (code == SIM_HOST_OK) code = netCode;
    }
    if (error) *error = problems;
    return code;
}
