// Simulated driver-control library (Dravolib.dll for tests and the demo).
// Answers every operation from the world file, which it reads afresh on each
// call; keeps the adapter's run-time state (initialised adapter, soft AP on,
// values set by the caller); raises queued events from a thread of its own;
// records every call in sim_calls.log and the last soft AP and sharing
// records in sim_last_<Operation>.bin. docs/simulator.md is its contract.
#include "adapter/dravo.h"
#include "sim/dravo_sim.h"
#include "sim/sim_parse.h"
#include "sim/world.h"

#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

HMODULE gModule = nullptr;
// Guards every member of gState and the call counter; held for a whole
// operation so that the log's order is the order the calls took effect.
CRITICAL_SECTION gLock;
unsigned gSeq = 0;

// A value that comes from the world and that an operation may change: the
// operation's value holds until the world's own entry changes.
struct SimKnob {
    bool bSynced;
    std::wstring seen;  // the world's text when last looked at ("\x01" = missing)
    bool bOverride;
    int32_t value;
};

// Failure injection bookkeeping of one operation.
struct SimFailState {
    std::wstring armed;  // the [fail]/[failcount]/[failgen] texts the count belongs to
    int used;
};

struct SimState {
    bool bInit;                      // an adapter is initialised (InitAdapter ok, no DoUnplug since)
    GUID adapter;                    // the initialised adapter
    DravoEventCallbackFn callback;   // last callback given to a successful InitAdapter
    bool bCallbackSet;
    bool bActive;                    // soft AP runs (before [softap] dropped is applied)
    char ssid[32];                   // SSID of the last accepted configuration
    SimKnob radio, tool, ics;
    std::map<std::string, SimFailState> fails;
    LONGLONG eventOffset;            // bytes of sim_events.txt already consumed
    bool bEventThread;
};
SimState gState;

std::string Utf8(const std::wstring& w) { return SimToUtf8(w); }
std::wstring Wide(const char* s) { return SimFromUtf8(s); }

// Narrow (ANSI code page) text of a fixed field, as UTF-8 for the log.
std::string AnsiFieldUtf8(const char* field, size_t size) {
    size_t n = strnlen(field, size);
    if (n == 0) return std::string();
    int wn = MultiByteToWideChar(CP_ACP, 0, field, (int)n, nullptr, 0);
    std::wstring w(wn, L'\0');
    MultiByteToWideChar(CP_ACP, 0, field, (int)n, &w[0], wn);
    return Utf8(w);
}

// Copies a UTF-16 text into a narrow field; false when it does not fit with its terminator.
bool PutAnsiField(const std::wstring& text, char* field, size_t size) {
    memset(field, 0, size);
    if (text.empty()) return true;
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    if (n <= 0 || (size_t)n >= size) return false;
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), field, n, nullptr, nullptr);
    return true;
}

// A text value for the log: double-quoted, with \" \\ and \xNN for control bytes.
std::string Quote(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20 || c == 0x7F) {
            char esc[8];
            snprintf(esc, sizeof esc, "\\x%02X", c);
            out += esc;
        } else {
            out += (char)c;
        }
    }
    return out + "\"";
}

// One write per line: with FILE_APPEND_DATA each write lands at the end as a whole.
void AppendBytes(const std::wstring& path, const std::string& bytes) {
    for (int attempt = 0; attempt < 100; attempt++) {
        HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD put = 0;
            WriteFile(f, bytes.data(), (DWORD)bytes.size(), &put, nullptr);
            CloseHandle(f);
            return;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION && GetLastError() != ERROR_ACCESS_DENIED) return;
        Sleep(2);
    }
}

// Whole-file replace, so a reader sees the previous record or the new one.
void WriteWhole(const std::wstring& path, const void* data, size_t size) {
    std::wstring temp = path + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                        std::to_wstring(GetCurrentThreadId());
    HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD put = 0;
    BOOL ok = WriteFile(f, data, (DWORD)size, &put, nullptr) && put == size;
    CloseHandle(f);
    if (!ok || !MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) DeleteFileW(temp.c_str());
}

int KnobRead(SimKnob& k, const SimWorld& w, const wchar_t* section, const wchar_t* key, int def) {
    std::wstring now = w.Get(section, key, L"\x01");
    if (!k.bSynced || now != k.seen) {
        k.bSynced = true;
        k.seen = now;
        k.bOverride = false;
    }
    if (k.bOverride) return k.value;
    int32_t v = def;
    if (now != L"\x01" && !SimParseInt(now, &v)) v = def;
    return v;
}

void KnobSet(SimKnob& k, const SimWorld& w, const wchar_t* section, const wchar_t* key, int value) {
    KnobRead(k, w, section, key, 0);
    k.bOverride = true;
    k.value = value;
}

// Index of the adapter section with this GUID that is plugged in and started, or -1.
int FindAdapter(const SimWorld& w, const GUID& guid) {
    for (int i = 0; i < DRAVOSIM_MAX_ADAPTERS; i++) {
        std::wstring section = L"adapter" + std::to_wstring(i);
        if (!w.HasSection(section)) continue;
        GUID g;
        if (!SimParseGuid(w.Get(section, L"guid"), &g) || memcmp(&g, &guid, sizeof g) != 0) continue;
        if (w.GetInt(section, L"present", 0) != 1 || w.GetInt(section, L"started", 1) == 0) continue;
        return i;
    }
    return -1;
}

// The initialised adapter is still plugged in; when it is not, its soft AP is gone with it.
bool AdapterStillThere(const SimWorld& w) {
    if (gState.bInit && FindAdapter(w, gState.adapter) >= 0) return true;
    gState.bActive = false;
    return false;
}

bool GuidIsZero(const GUID& g) {
    static const GUID zero = {};
    return memcmp(&g, &zero, sizeof g) == 0;
}

// One operation in progress: holds the lock, the world as it is now, and
// the log line being built.
class CSimCall {
public:
    explicit CSimCall(const char* op) : m_op(op) {
        EnterCriticalSection(&gLock);
        m_seq = ++gSeq;
        m_worldPath = SimWorldPath(gModule);
        m_world.Load(m_worldPath);
    }
    ~CSimCall() { LeaveCriticalSection(&gLock); }

    const SimWorld& world() const { return m_world; }

    void Add(const char* name, long long value) { m_args += std::string(" ") + name + "=" + std::to_string(value); }
    void AddText(const char* name, const std::string& utf8) { m_args += std::string(" ") + name + "=" + Quote(utf8); }
    void AddWord(const char* name, const std::string& word) { m_args += std::string(" ") + name + "=" + word; }

    // The record as received, byte for byte, whatever the outcome.
    void SaveRecord(const void* data, size_t size) {
        WriteWhole(SimWorldSibling(m_worldPath, (L"sim_last_" + Wide(m_op) + L".bin").c_str()), data, size);
    }

    // True when [fail] says this call must fail; the status is then kept for FinishInjected.
    bool Injected() {
        std::wstring op = Wide(m_op);
        std::wstring statusText = m_world.Get(L"fail", op);
        int32_t status = 0;
        if (statusText.empty() || !SimParseInt(statusText, &status) || status == 0) {
            gState.fails.erase(m_op);
            return false;
        }
        std::wstring armed = statusText + L"|" + m_world.Get(L"failcount", op) + L"|" + m_world.Get(L"failgen", op);
        SimFailState& f = gState.fails[m_op];
        if (f.armed != armed) {
            f.armed = armed;
            f.used = 0;
        }
        int32_t count = -1;
        std::wstring countText = m_world.Get(L"failcount", op);
        if (!countText.empty() && !SimParseInt(countText, &count)) count = -1;
        if (count >= 0 && f.used >= count) return false;
        f.used++;
        m_injected = status;
        return true;
    }

    int FinishInjected() {
        AddWord("injected", "1");
        return Finish(m_injected);
    }

    int Finish(int status) {
        std::string line = std::to_string(m_seq) + " " + m_op + " ret=" + std::to_string(status) + m_args + "\r\n";
        AppendBytes(SimWorldSibling(m_worldPath, L"sim_calls.log"), line);
        return status;
    }

private:
    const char* m_op;
    unsigned m_seq = 0;
    std::wstring m_worldPath;
    SimWorld m_world;
    std::string m_args;
    int32_t m_injected = 0;
};

// The first layout or value rule a soft AP record breaks, or null.
const char* BrokenConfigRule(const DravoSoftApConfig* c) {
    size_t ssidLen = strnlen(c->ssid, sizeof c->ssid);
    if (ssidLen == 0 || ssidLen >= sizeof c->ssid) return "ssid";
    if (c->ssidLength != (int32_t)ssidLen) return "ssidLength";
    if (c->const16 != 16) return "const16";
    if (c->frequencyMHz != 2462) return "frequency";
    if (c->const100 != 100) return "const100";
    if (c->const2 != 2) return "const2";
    size_t keyLen = strnlen(c->key, sizeof c->key);
    if (keyLen >= sizeof c->key) return "key";
    if (c->keyLength != (int32_t)keyLen) return "keyLength";
    if (c->encrypt < 1 || c->encrypt > 5) return "encrypt";
    if (c->auth < 1 || c->auth > 10 || c->auth == 7) return "auth";
    if (c->keyed != (c->encrypt != 1 ? 1 : 0)) return "keyed";
    if (c->encrypt >= 3 && (keyLen < 8 || keyLen > 63)) return "key";
    if (c->encrypt == 2 && keyLen != 5 && keyLen != 10 && keyLen != 13 && keyLen != 26) return "key";
    return nullptr;
}

void AddConfig(CSimCall& call, const DravoSoftApConfig* c) {
    call.AddText("ssid", AnsiFieldUtf8(c->ssid, sizeof c->ssid));
    call.Add("encrypt", c->encrypt);
    call.Add("auth", c->auth);
    call.AddText("key", AnsiFieldUtf8(c->key, sizeof c->key));
    call.Add("hide", c->hideSSIDtype);
    call.Add("keyed", c->keyed);
}

// SetSoftApMode and its two twins: check, remember the SSID; only SetSoftApMode switches the AP on.
int ApplyConfig(const char* op, const DravoSoftApConfig* config, bool bStart) {
    CSimCall call(op);
    if (!config) {
        call.AddWord("bad", "record");
        return call.Finish(DRAVOSIM_E_BAD_RECORD);
    }
    call.SaveRecord(config, sizeof *config);
    AddConfig(call, config);
    if (call.Injected()) return call.FinishInjected();
    if (!gState.bInit) return call.Finish(DRAVOSIM_E_NOT_INIT);
    if (!AdapterStillThere(call.world())) return call.Finish(DRAVOSIM_E_NO_ADAPTER);
    if (call.world().GetInt(L"library", L"strict", 1) != 0) {
        const char* bad = BrokenConfigRule(config);
        if (bad) {
            call.AddWord("bad", bad);
            return call.Finish(DRAVOSIM_E_BAD_RECORD);
        }
    }
    memset(gState.ssid, 0, sizeof gState.ssid);
    memcpy(gState.ssid, config->ssid, strnlen(config->ssid, sizeof config->ssid - 1));
    if (bStart) gState.bActive = true;
    call.Add("active", gState.bActive ? 1 : 0);
    return call.Finish(0);
}

int Reserved(const char* name) {
    CSimCall call(name);
    return call.Finish(DRAVOSIM_E_RESERVED);
}

void AppendEventLine(const std::wstring& worldPath, const std::string& args, int ret) {
    EnterCriticalSection(&gLock);
    std::string line = std::to_string(++gSeq) + " Event ret=" + std::to_string(ret) + args + "\r\n";
    AppendBytes(SimWorldSibling(worldPath, L"sim_calls.log"), line);
    LeaveCriticalSection(&gLock);
}

LONGLONG FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return ((LONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

// Raises every complete line added to sim_events.txt since the last look.
void PollEvents() {
    std::wstring worldPath = SimWorldPath(gModule);
    std::wstring path = SimWorldSibling(worldPath, L"sim_events.txt");
    EnterCriticalSection(&gLock);
    LONGLONG offset = gState.eventOffset;
    LeaveCriticalSection(&gLock);
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size = {};
    GetFileSizeEx(f, &size);
    if (size.QuadPart < offset) offset = 0;  // the queue was replaced (simctl reset): start over
    std::string bytes;
    if (size.QuadPart > offset) {
        LARGE_INTEGER at;
        at.QuadPart = offset;
        SetFilePointerEx(f, at, nullptr, FILE_BEGIN);
        bytes.resize((size_t)(size.QuadPart - offset));
        DWORD got = 0;
        if (!ReadFile(f, &bytes[0], (DWORD)bytes.size(), &got, nullptr)) got = 0;
        bytes.resize(got);
    }
    CloseHandle(f);
    size_t end = bytes.rfind('\n');  // a line without its end is still being written
    if (end == std::string::npos) {
        EnterCriticalSection(&gLock);
        gState.eventOffset = offset;
        LeaveCriticalSection(&gLock);
        return;
    }
    size_t pos = 0;
    while (pos <= end) {
        size_t nl = bytes.find('\n', pos);
        std::string line = bytes.substr(pos, nl - pos);
        pos = nl + 1;
        size_t b = line.find_first_not_of(" \t\r");
        if (b == std::string::npos) continue;
        line = line.substr(b, line.find_last_not_of(" \t\r") - b + 1);
        int32_t code = 0;
        if (!SimParseInt(Wide(line.c_str()), &code)) {
            AppendEventLine(worldPath, " line=" + Quote(line) + " skipped=1", -1);
            continue;
        }
        EnterCriticalSection(&gLock);
        DravoEventCallbackFn cb = gState.callback;
        LeaveCriticalSection(&gLock);
        // The callback posts to the utility's window; called without the lock
        // so that it may call back into the library.
        int ret = cb ? cb(code) : 0;
        AppendEventLine(worldPath, " code=" + std::to_string(code) + " delivered=" + (cb ? "1" : "0"), ret);
    }
    EnterCriticalSection(&gLock);
    gState.eventOffset = offset + (LONGLONG)end + 1;
    LeaveCriticalSection(&gLock);
}

DWORD WINAPI EventThread(void*) {
    for (;;) {
        Sleep(20);
        PollEvents();
    }
    return 0;
}

// Called with the lock held, after the first successful InitAdapter.
void StartEventThread() {
    if (gState.bEventThread) return;
    // The thread runs for the life of the process: keep the code it runs mapped.
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       (LPCWSTR)(void*)&EventThread, &pinned);
    HANDLE t = CreateThread(nullptr, 0, EventThread, nullptr, 0, nullptr);
    if (t) {
        CloseHandle(t);
        gState.bEventThread = true;
    }
}

class SimDravo : public IDravo {
public:
    int DRAVO_THISCALL Reserved0() override { return Reserved("Reserved0"); }

    int DRAVO_THISCALL InitAdapter(GUID adapter, DravoEventCallbackFn callback) override {
        CSimCall call("InitAdapter");
        call.AddWord("guid", Utf8(SimGuidText(adapter)));
        call.Add("callback", callback ? 1 : 0);
        if (call.Injected()) return call.FinishInjected();
        int32_t init = 0;
        if (!SimParseInt(call.world().Get(L"library", L"init", L"0"), &init)) init = 0;
        if (init != 0) return call.Finish(init);
        int index = FindAdapter(call.world(), adapter);
        if (index < 0) return call.Finish(DRAVOSIM_E_NO_ADAPTER);
        if (!gState.bInit || memcmp(&gState.adapter, &adapter, sizeof adapter) != 0) gState.bActive = false;
        gState.bInit = true;
        gState.adapter = adapter;
        gState.callback = callback;
        gState.bCallbackSet = true;
        StartEventThread();
        call.Add("adapter", index);
        return call.Finish(0);
    }

    int DRAVO_THISCALL Reserved2() override { return Reserved("Reserved2"); }

    int DRAVO_THISCALL QueryServiceStatus(int32_t* bStatus) override {
        CSimCall call("QueryServiceStatus");
        if (!bStatus) return BadPointer(call);
        if (call.Injected()) return call.FinishInjected();
        int32_t v = 1;
        if (!SimParseInt(call.world().Get(L"library", L"service", L"1"), &v)) v = 1;
        *bStatus = v;
        call.Add("bStatus", v);
        return call.Finish(0);
    }

    int DRAVO_THISCALL QueryNicRadioStatus(int32_t* radio) override {
        CSimCall call("QueryNicRadioStatus");
        if (!radio) return BadPointer(call);
        if (call.Injected()) return call.FinishInjected();
        *radio = KnobRead(gState.radio, call.world(), L"library", L"radio", 1);
        call.Add("radio", *radio);
        return call.Finish(0);
    }

    int DRAVO_THISCALL Reserved5() override { return Reserved("Reserved5"); }

    int DRAVO_THISCALL QueryIcsConnection(DravoIcsEntry* entries, int32_t* count) override {
        CSimCall call("QueryIcsConnection");
        if (!entries || !count || *count <= 0) {
            if (count) call.Add("capacity", *count);
            return BadPointer(call);
        }
        int32_t capacity = *count;
        call.Add("capacity", capacity);
        if (call.Injected()) return call.FinishInjected();
        std::vector<int> bad;
        std::vector<SimIcsLine> lines = SimIcsLines(call.world(), &bad);
        int32_t filled = 0;
        for (const SimIcsLine& line : lines) {
            if (filled >= capacity) break;
            DravoIcsEntry e;
            memset(&e, 0, sizeof e);
            if (!PutAnsiField(line.name, e.name, sizeof e.name) ||
                !PutAnsiField(line.guidText, e.guidText, sizeof e.guidText)) {
                bad.push_back(line.index);
                continue;
            }
            e.guid = line.guid;
            e.status = line.status;
            e.mediaType = line.mediaType;
            entries[filled++] = e;
        }
        *count = filled;
        call.Add("count", filled);
        if ((int)lines.size() > capacity) call.Add("listed", (long long)lines.size());
        if (!bad.empty()) {
            std::string list;
            for (int i : bad) list += (list.empty() ? "conn" : ",conn") + std::to_string(i);
            call.AddWord("skipped", list);
        }
        return call.Finish(0);
    }

    int DRAVO_THISCALL SetNicRadioStatus(int32_t radio) override {
        CSimCall call("SetNicRadioStatus");
        call.Add("radio", radio);
        if (call.Injected()) return call.FinishInjected();
        if (radio != 0 && radio != 1) return call.Finish(DRAVOSIM_E_BAD_RECORD);
        KnobSet(gState.radio, call.world(), L"library", L"radio", radio);
        return call.Finish(0);
    }

    int DRAVO_THISCALL Reserved8() override { return Reserved("Reserved8"); }

    int DRAVO_THISCALL SetIcsConnection(const DravoIcsSetting* s) override {
        CSimCall call("SetIcsConnection");
        if (!s) return BadPointer(call);
        call.SaveRecord(s, sizeof *s);
        call.AddText("netname", AnsiFieldUtf8(s->publicConn.name, sizeof s->publicConn.name));
        call.AddText("guid", AnsiFieldUtf8(s->publicConn.guidText, sizeof s->publicConn.guidText));
        call.AddText("privateName", AnsiFieldUtf8(s->privateConn.name, sizeof s->privateConn.name));
        call.AddText("privateGuid", AnsiFieldUtf8(s->privateConn.guidText, sizeof s->privateConn.guidText));
        call.Add("trailer", s->trailer);
        if (call.Injected()) return call.FinishInjected();
        if (!gState.bInit) return call.Finish(DRAVOSIM_E_NOT_INIT);
        if (!AdapterStillThere(call.world())) return call.Finish(DRAVOSIM_E_NO_ADAPTER);
        bool bStrict = call.world().GetInt(L"library", L"strict", 1) != 0;
        if (bStrict) {
            const char* bad = BrokenSharingRule(s);
            if (bad) {
                call.AddWord("bad", bad);
                return call.Finish(DRAVOSIM_E_BAD_RECORD);
            }
        }
        bool bKnown = false;
        for (const SimIcsLine& line : SimIcsLines(call.world(), nullptr))
            if (memcmp(&line.guid, &s->publicConn.guid, sizeof line.guid) == 0) bKnown = true;
        if (!bKnown && bStrict) return call.Finish(DRAVOSIM_E_NO_CONNECTION);
        KnobSet(gState.ics, call.world(), L"library", L"icsEnabled", 1);
        return call.Finish(0);
    }

    int DRAVO_THISCALL QueryIcsStatus(int32_t* bEnableICS) override {
        CSimCall call("QueryIcsStatus");
        if (!bEnableICS) return BadPointer(call);
        if (call.Injected()) return call.FinishInjected();
        *bEnableICS = KnobRead(gState.ics, call.world(), L"library", L"icsEnabled", 0);
        call.Add("bEnableICS", *bEnableICS);
        return call.Finish(0);
    }

    int DRAVO_THISCALL SetSoftApMode(const DravoSoftApConfig* c) override { return ApplyConfig("SetSoftApMode", c, true); }
    int DRAVO_THISCALL SetSoftapParam2(const DravoSoftApConfig* c) override {
        return ApplyConfig("SetSoftapParam2", c, false);
    }
    int DRAVO_THISCALL SetSoftapParam(const DravoSoftApConfig* c) override {
        return ApplyConfig("SetSoftapParam", c, false);
    }

    int DRAVO_THISCALL QuerySoftApStatus(DravoSoftApStatus* status) override {
        CSimCall call("QuerySoftApStatus");
        if (!status) return BadPointer(call);
        if (call.Injected()) return call.FinishInjected();
        const SimWorld& w = call.world();
        bool bRuns = gState.bActive && AdapterStillThere(w);
        bool bDropped = w.GetInt(L"softap", L"dropped", 0) != 0;
        memset(status, 0, sizeof *status);
        if (bRuns && !bDropped) {
            status->active = 1;
            memcpy(status->ssid, gState.ssid, sizeof status->ssid);
            int index = FindAdapter(w, gState.adapter);
            SimParseMac(w.Get(L"adapter" + std::to_wstring(index), L"mac"), status->bssid);
            int32_t stations = 0;
            if (!SimParseInt(w.Get(L"softap", L"stations", L"0"), &stations) || stations < 0) stations = 0;
            status->staNum = stations;
        }
        call.Add("active", status->active);
        call.AddText("ssid", AnsiFieldUtf8(status->ssid, sizeof status->ssid));
        call.Add("staNum", status->staNum);
        if (bRuns && bDropped) call.AddWord("dropped", "1");
        return call.Finish(0);
    }

    int DRAVO_THISCALL Reserved15() override { return Reserved("Reserved15"); }

    int DRAVO_THISCALL StopSoftap() override {
        CSimCall call("StopSoftap");
        if (call.Injected()) return call.FinishInjected();
        gState.bActive = false;
        KnobSet(gState.ics, call.world(), L"library", L"icsEnabled", 0);
        return call.Finish(0);
    }

    int DRAVO_THISCALL DoUnplug() override {
        CSimCall call("DoUnplug");
        if (call.Injected()) return call.FinishInjected();
        gState.bActive = false;
        gState.bInit = false;
        KnobSet(gState.ics, call.world(), L"library", L"icsEnabled", 0);
        return call.Finish(0);
    }

    int DRAVO_THISCALL QueryCurControlTool(int32_t* toolType) override {
        CSimCall call("QueryCurControlTool");
        if (!toolType) return BadPointer(call);
        if (call.Injected()) return call.FinishInjected();
        *toolType = KnobRead(gState.tool, call.world(), L"library", L"controlTool", 1);
        call.Add("toolType", *toolType);
        return call.Finish(0);
    }

    int DRAVO_THISCALL SetControlTool(int32_t toolType) override {
        CSimCall call("SetControlTool");
        call.Add("toolType", toolType);
        if (call.Injected()) return call.FinishInjected();
        KnobSet(gState.tool, call.world(), L"library", L"controlTool", toolType);
        return call.Finish(0);
    }

private:
    static int BadPointer(CSimCall& call) {
        call.AddWord("bad", "pointer");
        return call.Finish(DRAVOSIM_E_BAD_RECORD);
    }

    // The first rule a sharing request breaks, or null.
    static const char* BrokenSharingRule(const DravoIcsSetting* s) {
        if (s->trailer != -1) return "trailer";
        const DravoIcsEntry* pub = &s->publicConn;
        GUID g;
        if (strnlen(pub->guidText, sizeof pub->guidText) >= sizeof pub->guidText ||
            !SimParseGuid(Wide(std::string(pub->guidText).c_str()), &g) || GuidIsZero(pub->guid) ||
            memcmp(&g, &pub->guid, sizeof g) != 0)
            return "guid";
        if (strnlen(pub->name, sizeof pub->name) >= sizeof pub->name) return "netname";
        const DravoIcsEntry* own = &s->privateConn;
        if (strnlen(own->guidText, sizeof own->guidText) >= sizeof own->guidText ||
            !SimParseGuid(Wide(std::string(own->guidText).c_str()), &g) ||
            memcmp(&g, &own->guid, sizeof g) != 0 || memcmp(&g, &gState.adapter, sizeof g) != 0)
            return "privateGuid";
        return nullptr;
    }
};

SimDravo gObject;
bool gbCreated = false;

}  // namespace

// The factory: one control object per process. Queued events count from here on.
extern "C" __declspec(dllexport) IDravo* __cdecl NewDravo() {
    CSimCall call("NewDravo");
    if (!gbCreated) {
        gbCreated = true;
        gState.eventOffset = FileSize(SimWorldSibling(SimWorldPath(gModule), L"sim_events.txt"));
    }
    call.Add("events", gState.eventOffset);
    call.Finish(0);
    return &gObject;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        gModule = instance;
        InitializeCriticalSection(&gLock);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
