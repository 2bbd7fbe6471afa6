// The utility's main job under Wine: the real Q8.exe brings the hotspot up
// on a simulated adapter, shares a connection, and follows every outside
// happening. Seen from outside: the log, config.ini and the library's own
// record of the calls it received.
#include "desktop.h"
#include "harness.h"

#include "adapter/keyrules.h"
#include "sim/sim_edit.h"

#include <algorithm>
#include <windows.h>
#include <tlhelp32.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

const wchar_t kLanGuid[] = L"{5C8A0D1E-1111-2222-3333-444455556666}";
const wchar_t kLan2Guid[] = L"{5C8A0D1E-2222-2222-3333-444455556666}";
const wchar_t kPppoeGuid[] = L"{5C8A0D1E-6666-2222-3333-444455556666}";

class SoftAp : public Q8E2eTest {
protected:
    // An adapter plugged in (MAC 00-E0-4C-81-92-A3) and one connected LAN connection.
    void PlugAdapter() { ASSERT_TRUE(SimPlugAdapter(box.world, 0, SimPlugOptions())); }
    void AddConnection(const wchar_t* name, const wchar_t* guid, int media, int status) {
        ASSERT_TRUE(SimAddIcsConnection(box.world, name, guid, media, status));
    }
    void Apply() {
        std::wstring error;
        ASSERT_EQ(0, box.ApplyWorld(&error)) << SimToUtf8(error);
    }
    void Start(const Q8StartOptions& o = Q8StartOptions()) {
        ASSERT_TRUE(box.InstallProgram());
        ASSERT_TRUE(q8.Start(box, o));
        ASSERT_NE(nullptr, q8.WaitForMainWindow()) << box.Log();
    }
    // The tray shows the state on every change: "{RefreshTray} state=N ".
    bool WaitForState(int state, DWORD ms = E2E_DEADLINE_MS) {
        std::string line = "{RefreshTray} state=" + std::to_string(state) + " ";
        return WaitForLogAfter(line, ms);
    }
    // Waits for `text` in the part of the log written after Mark().
    bool WaitForLogAfter(const std::string& text, DWORD ms = E2E_DEADLINE_MS) {
        return E2eWaitUntil([&] { return box.Log().find(text, mark) != std::string::npos; }, ms);
    }
    void Mark() {
        mark = box.Log().size();
        callMark = Operations().size();
    }
    size_t CountAfterMark(const std::string& text) const {
        std::string log = box.Log();
        size_t n = 0;
        for (size_t p = log.find(text, mark); p != std::string::npos; p = log.find(text, p + 1)) ++n;
        return n;
    }
    // Operation names of sim_calls.log in call order ("<seq> <Operation> ret=...").
    std::vector<std::string> Operations() const {
        std::vector<std::string> ops;
        std::istringstream in(box.Calls());
        std::string seq, op, rest;
        while (in >> seq >> op) {
            std::getline(in, rest);
            ops.push_back(op);
        }
        return ops;
    }
    std::vector<std::string> OperationsAfterMark() const {
        std::vector<std::string> all = Operations();
        return std::vector<std::string>(all.begin() + std::min(callMark, all.size()), all.end());
    }
    // The last sim_calls.log line of an operation.
    std::string LastCall(const char* op) const {
        std::istringstream in(box.Calls());
        std::string line, found;
        std::string needle = std::string(" ") + op + " ";
        while (std::getline(in, line))
            if (line.find(needle) != std::string::npos) found = line;
        return found;
    }
    std::wstring Config(const wchar_t* section, const wchar_t* key) const { return E2eConfigValue(section, key); }
    void WriteConfig(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
        ASSERT_TRUE(E2eWriteConfigValue(section, key, value));
    }
    // Adapter and connection present, but InitAdapter answers 7: the bring-up
    // stays in its first step, the creating look up, until the world changes.
    void StartWithInitFailing() {
        PlugAdapter();
        AddConnection(L"本地连接", kLanGuid, 3, 2);
        box.world.SetInt(L"library", L"init", 7);
        Apply();
        Start();
    }
    // A table row of its own: Q8 ended, settings cleared, a fresh sandbox and
    // world with the adapter plugged in.
    void NextCase(const char* name) {
        q8.Stop();
        E2eClearDataFolder();
        ASSERT_TRUE(box.Create(SimFromUtf8(name)));
        box.world = SimWorld();
        mark = callMark = 0;  // a new log and call record
        PlugAdapter();
    }
    void Send(UINT msg, WPARAM w, LPARAM l) { SendMessageW(q8.MainWindow(), msg, w, l); }
    // A full bring-up from a running utility: plug, then wait for the hotspot.
    void BringUp() {
        PlugAdapter();
        AddConnection(L"本地连接", kLanGuid, 3, 2);
        Apply();
        Start();
        ASSERT_TRUE(WaitForState(8)) << box.Log();
    }

    size_t mark = 0;
    size_t callMark = 0;
};

bool Contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

// The log is written in the ANSI code page; the sources are UTF-8.
std::string Acp(const char* utf8) {
    std::wstring wide = SimFromUtf8(utf8);
    char out[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out, sizeof out, nullptr, nullptr);
    return out;
}

// Keeps the operations of `names` only, in order.
std::vector<std::string> Only(const std::vector<std::string>& ops, const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const std::string& op : ops)
        if (std::find(names.begin(), names.end(), op) != names.end()) out.push_back(op);
    return out;
}

TEST_F(SoftAp, PlugBringsAFreshHotspotUpInTheSpecifiedOrder) {
    AddConnection(L"本地连接", kLanGuid, 3, 2);
    Apply();
    Start();
    ASSERT_TRUE(WaitForState(0)) << box.Log();  // the first check finds no adapter
    Mark();
    PlugAdapter();
    Apply();
    ASSERT_TRUE(WaitForLogAfter("{EventManage} WFF_EVENT_NIC_CONTROL_CHANGE")) << box.Log();
    ASSERT_TRUE(WaitForLogAfter("SOFTAP OnSoftapCreated")) << box.Log() << box.Calls();
    EXPECT_TRUE(WaitForState(8)) << box.Log();

    std::string log = box.Log().substr(mark);
    const char* road[] = {"{ControlNicChange} Card changed", "{UIInitAdapter} ret=0",
                          "{ThreadWaitNicInitOk} 0 times strSSid = Q8_8192A3", "{EventManage} WFF_EVENT_RADIO_STATUS_CHANGE",
                          "{InitSoftap} SOFTAP_NotCreated", "{InitSoftap} strSSid = Q8_8192A3",
                          "{UISetSoftApMode} ssid=Q8_8192A3", "{UISetSoftApMode} encryptMode=4",
                          "{CommonSelectIcsConnectionEx} gIcsInfo.networkName = 本地连接",
                          "{UISetIcsConnection} ret=0", "SOFTAP OnSoftapCreated"};
    size_t at = 0;
    for (const char* step : road) {
        size_t next = log.find(Acp(step), at);
        EXPECT_NE(std::string::npos, next) << "missing or out of order: " << step << "\n" << log;
        if (next != std::string::npos) at = next;
    }
    // The library sees the bring-up in this order (the radio is asked once for
    // the radio event and once more by the set-up itself).
    std::vector<std::string> ops = OperationsAfterMark();
    auto shared = std::find(ops.begin(), ops.end(), "SetIcsConnection");
    ASSERT_NE(ops.end(), shared) << box.Calls();
    std::vector<std::string> expected = {"InitAdapter",        "SetControlTool",      "QueryNicRadioStatus",
                                         "QueryServiceStatus", "QueryNicRadioStatus", "SetSoftApMode",
                                         "QuerySoftApStatus",  "QueryIcsConnection",  "SetIcsConnection"};
    EXPECT_EQ(expected, Only(std::vector<std::string>(ops.begin(), shared + 1), expected));

    // The fresh network was stored: MAC-derived name, a random key, AES with WPA2-PSK, channel 6.
    EXPECT_EQ(L"Q8_8192A3", Config(L"SOFTAP", L"ssid"));
    EXPECT_EQ(L"ENCRYPT_AES", Config(L"SOFTAP", L"encrypt"));
    EXPECT_EQ(L"AUTH_WPA2PSK", Config(L"SOFTAP", L"auth"));
    EXPECT_EQ(L"6", Config(L"SOFTAP", L"channel"));
    EXPECT_EQ(L"2437", Config(L"SOFTAP", L"frequency"));
    EXPECT_EQ(L"{00000003-0000-0000-0000-4E6574446576}", Config(L"GLOBAL", L"nicGuid"));
    wchar_t key[512];
    wcscpy(key, Config(L"SOFTAP", L"key").c_str());
    DecodeStoredKey(key, 512);
    std::string plain = SimToUtf8(key);
    EXPECT_TRUE(std::regex_match(plain, std::regex("[wertyuipasdfhjkzxcvbnm]{5}[2-9]{3}"))) << plain;
    std::string set = LastCall("SetSoftApMode");
    EXPECT_TRUE(Contains(set, "ssid=\"Q8_8192A3\"")) << set;
    EXPECT_TRUE(Contains(set, "key=\"" + plain + "\"")) << set;
    EXPECT_TRUE(Contains(set, "encrypt=4")) << set;
    EXPECT_TRUE(Contains(set, "auth=9")) << set;
    std::string ics = LastCall("SetIcsConnection");
    EXPECT_TRUE(Contains(ics, "privateGuid=\"{00000003-0000-0000-0000-4E6574446576}\"")) << ics;
}

TEST_F(SoftAp, FreshNetworkIsStoredBeforeTheHotspotStarts) {
    // A name of blanks counts as no name. Setting the hotspot up fails, yet
    // the new network is already in config.ini.
    WriteConfig(L"SOFTAP", L"ssid", L"\"   \"");
    PlugAdapter();
    AddConnection(L"本地连接", kLanGuid, 3, 2);
    ASSERT_TRUE(SimArmFailure(box.world, L"SetSoftApMode", 5, -1));
    Apply();
    Start();
    ASSERT_TRUE(WaitForState(5)) << box.Log();
    EXPECT_EQ(L"Q8_8192A3", Config(L"SOFTAP", L"ssid"));
    EXPECT_EQ(L"ENCRYPT_AES", Config(L"SOFTAP", L"encrypt"));
    EXPECT_TRUE(Contains(box.Log(), "{ThreadSetSoftApAndIcs} UISetSoftApMode failed 5")) << box.Log();
}

TEST_F(SoftAp, StoredNetworkIsUsedUnchanged) {
    wchar_t stored[512] = L"abcd2345";
    EncodeStoredKey(stored, 512);
    WriteConfig(L"SOFTAP", L"ssid", L"我的热点");
    WriteConfig(L"SOFTAP", L"key", stored);
    WriteConfig(L"SOFTAP", L"encrypt", L"ENCRYPT_TKIP");
    WriteConfig(L"SOFTAP", L"auth", L"AUTH_WPAPSK");
    WriteConfig(L"SOFTAP", L"channel", L"11");
    BringUp();
    std::string set = LastCall("SetSoftApMode");
    EXPECT_TRUE(Contains(set, "key=\"abcd2345\"")) << set;
    EXPECT_TRUE(Contains(set, "encrypt=3")) << set;
    EXPECT_TRUE(Contains(set, "auth=8")) << set;
    EXPECT_TRUE(Contains(box.Log(), Acp("{UISetSoftApMode} ssid=我的热点"))) << box.Log();
    EXPECT_EQ(L"我的热点", Config(L"SOFTAP", L"ssid"));
    EXPECT_EQ(std::wstring(stored), Config(L"SOFTAP", L"key"));
}

struct ChoiceRow {
    const char* what;
    std::vector<std::tuple<const wchar_t*, const wchar_t*, int, int>> connections;
    const char* shared;
};

TEST_F(SoftAp, ConnectionToShareFollowsMediaPriority) {
    const ChoiceRow rows[] = {
        {"PPPoE listed after LAN", {{L"本地连接", kLanGuid, 3, 2}, {L"宽带连接", kPppoeGuid, 6, 2}}, "宽带连接"},
        {"two LAN connections", {{L"本地连接", kLanGuid, 3, 2}, {L"本地连接 2", kLan2Guid, 3, 2}}, "本地连接"},
    };
    for (const ChoiceRow& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_NO_FATAL_FAILURE(NextCase(r.what));
        for (auto& c : r.connections) AddConnection(std::get<0>(c), std::get<1>(c), std::get<2>(c), std::get<3>(c));
        Apply();
        Start();
        ASSERT_TRUE(WaitForState(8)) << box.Log();
        std::string ics = LastCall("SetIcsConnection");
        EXPECT_TRUE(Contains(ics, std::string("netname=\"") + r.shared + "\"")) << ics;
    }
}

TEST_F(SoftAp, NoConnectedConnectionStopsTheHotspotAndWatches) {
    PlugAdapter();
    AddConnection(L"本地连接", kLanGuid, 3, 7);
    Apply();
    Start();
    ASSERT_TRUE(WaitForState(1)) << box.Log();
    EXPECT_TRUE(WaitForLog("{CommonSelectIcsConnectionEx} not fit."));
    EXPECT_TRUE(WaitForLog("CZephynDlg::OnSoftapCheckInternet >> CreateThread(ThreadCheckInternet)"));
    EXPECT_TRUE(E2eWaitUntil([&] { return !LastCall("StopSoftap").empty(); })) << box.Calls();
    EXPECT_TRUE(LastCall("SetIcsConnection").empty());

    // The cable comes back: the watch notices and one adapter check rebuilds.
    Mark();
    std::wstring error;
    box.world.Set(L"ics", L"conn0", L"本地连接|{5C8A0D1E-1111-2222-3333-444455556666}|3|2");
    Apply();
    EXPECT_TRUE(WaitForState(8)) << box.Log();
}

TEST_F(SoftAp, SharedConnectionDroppingAndComingBack) {
    BringUp();
    Mark();
    box.world.Set(L"ics", L"conn0", L"本地连接|{5C8A0D1E-1111-2222-3333-444455556666}|3|7");
    Apply();
    ASSERT_TRUE(WaitForState(1)) << box.Log();
    EXPECT_TRUE(E2eWaitUntil([&] {
        std::vector<std::string> ops = OperationsAfterMark();
        return std::find(ops.begin(), ops.end(), "DoUnplug") != ops.end();
    })) << box.Calls();
    Mark();
    box.world.Set(L"ics", L"conn0", L"本地连接|{5C8A0D1E-1111-2222-3333-444455556666}|3|2");
    Apply();
    ASSERT_TRUE(WaitForLogAfter("{EventManage} WFF_EVENT_NIC_CONTROL_CHANGE")) << box.Log();
    EXPECT_TRUE(WaitForState(8)) << box.Log();
    EXPECT_EQ(1u, CountAfterMark("{EventManage} WFF_EVENT_NIC_CONTROL_CHANGE")) << box.Log().substr(mark);
}

struct FaultRow {
    const char* what;
    void (*arm)(SimWorld&);
    void (*disarm)(SimWorld&);
    int state;
    bool stopped;  // the hotspot is stopped again afterwards
};

TEST_F(SoftAp, EveryFaultEndsInItsStateAndALaterBringUpSucceeds) {
    const FaultRow rows[] = {
        {"soft AP mode refused", [](SimWorld& w) { SimArmFailure(w, L"SetSoftApMode", 5, -1); },
         [](SimWorld& w) { SimArmFailure(w, L"SetSoftApMode", 0, 0); }, 5, false},
        {"hotspot not active after set-up", [](SimWorld& w) { w.SetInt(L"softap", L"dropped", 1); },
         [](SimWorld& w) { w.SetInt(L"softap", L"dropped", 0); }, 5, false},
        {"sharing fails twice", [](SimWorld& w) { SimArmFailure(w, L"SetIcsConnection", 6, -1); },
         [](SimWorld& w) { SimArmFailure(w, L"SetIcsConnection", 0, 0); }, 9, true},
    };
    for (const FaultRow& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_NO_FATAL_FAILURE(NextCase(r.what));
        AddConnection(L"本地连接", kLanGuid, 3, 2);
        r.arm(box.world);
        Apply();
        Start();
        ASSERT_TRUE(WaitForState(r.state)) << box.Log();
        if (r.stopped) {
            EXPECT_TRUE(E2eWaitUntil([&] { return !LastCall("StopSoftap").empty(); })) << box.Calls();
        }
        // A second start retries a failed bring-up; it only works if apLock was released.
        Mark();
        r.disarm(box.world);
        Apply();
        CQ8Process again;
        ASSERT_TRUE(again.Start(box));
        EXPECT_TRUE(again.WaitForExit());
        EXPECT_TRUE(WaitForState(8)) << box.Log();
    }
}

TEST_F(SoftAp, AdapterThatNeverInitialisesEndsInNoCardWhenRemoved) {
    StartWithInitFailing();
    ASSERT_TRUE(WaitForLog("{UIInitAdapter} ret=7")) << box.Log();
    ASSERT_TRUE(WaitForState(3)) << box.Log();
    Mark();
    box.world.SetInt(L"adapter0", L"present", 0);
    Apply();
    EXPECT_TRUE(WaitForState(0)) << box.Log();
    EXPECT_TRUE(WaitForLogAfter("{ControlNicChange} SOFTAP_NoCard")) << box.Log();
    // Back again and able to initialise: the whole road works.
    box.world.SetInt(L"library", L"init", 0);
    box.world.SetInt(L"adapter0", L"present", 1);
    Apply();
    EXPECT_TRUE(WaitForState(8)) << box.Log();
}

TEST_F(SoftAp, UnplugServiceStopAndLostControlEachTakeTheAdapterAway) {
    BringUp();
    // The driver service stops.
    Mark();
    ASSERT_TRUE(box.RaiseEvent(18));
    EXPECT_TRUE(WaitForState(0)) << box.Log();
    EXPECT_TRUE(WaitForLogAfter("{UIQueryServiceStatus} ret=0")) << box.Log();
    // Back up through a retry, then another tool takes control.
    Send(0x1631, 0, 17);
    ASSERT_TRUE(WaitForState(8)) << box.Log();
    Mark();
    box.world.SetInt(L"library", L"controlTool", 0);
    Apply();
    ASSERT_TRUE(box.RaiseEvent(10));
    EXPECT_TRUE(WaitForState(0)) << box.Log();
    EXPECT_TRUE(WaitForLogAfter("{UIQueryCurControlTool} ret=0, toolType=0")) << box.Log();
    // Unplugging: no adapter, and the library is told.
    box.world.SetInt(L"library", L"controlTool", 1);
    Send(0x1631, 0, 17);
    ASSERT_TRUE(WaitForState(8)) << box.Log();
    Mark();
    box.world.SetInt(L"adapter0", L"present", 0);
    Apply();
    EXPECT_TRUE(WaitForLogAfter("{ControlNicChange} SOFTAP_NoCard")) << box.Log();
    EXPECT_TRUE(WaitForState(0)) << box.Log();
    std::vector<std::string> ops = OperationsAfterMark();
    EXPECT_NE(ops.end(), std::find(ops.begin(), ops.end(), "DoUnplug")) << box.Calls();
}

TEST_F(SoftAp, DeviceWatchReportsEachUnplugAndPlugOnce) {
    BringUp();
    Mark();
    box.world.SetInt(L"adapter0", L"present", 0);
    Apply();
    ASSERT_TRUE(WaitForState(0)) << box.Log();
    box.world.SetInt(L"adapter0", L"present", 1);
    Apply();
    ASSERT_TRUE(WaitForState(8)) << box.Log();
    // The bring-up takes seconds, several polls of the watch: a repeated
    // notice for either change would have arrived by now.
    EXPECT_EQ(2u, CountAfterMark("{EventManage} WFF_EVENT_NIC_CONTROL_CHANGE")) << box.Log().substr(mark);
}

// Threads of a process, as another process sees them.
int ThreadCount(DWORD pid) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 te = {};
    te.dwSize = sizeof te;
    int n = 0;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == pid) n++;
    CloseHandle(snap);
    return n;
}

TEST_F(SoftAp, UnplugAndPlugCyclesLeaveNoExtraWatchThreads) {
    BringUp();
    int first = ThreadCount(q8.pid());
    ASSERT_GT(first, 0);
    for (int cycle = 1; cycle <= 5; cycle++) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        Mark();
        box.world.SetInt(L"adapter0", L"present", 0);
        Apply();
        ASSERT_TRUE(WaitForState(0)) << box.Log().substr(mark);
        // The watch sees the adapter gone and ends before the next plug.
        ASSERT_TRUE(WaitForLogAfter("{ThreadCheckInternet} no adapter, ends")) << box.Log().substr(mark);
        box.world.SetInt(L"adapter0", L"present", 1);
        Apply();
        ASSERT_TRUE(WaitForState(8)) << box.Log().substr(mark);
    }
    // Short-lived workers of the last bring-up may still be ending: wait for
    // them, not for a watch that never ends.
    int last = 0;
    EXPECT_TRUE(E2eWaitUntil([&] { return (last = ThreadCount(q8.pid())) <= first; }, 10000))
        << "threads after the first bring-up: " << first << ", after five cycles: " << last;
}

TEST_F(SoftAp, HotspotVanishingAndStationsJoining) {
    BringUp();
    Mark();
    box.world.SetInt(L"softap", L"stations", 2);
    Apply();
    EXPECT_TRUE(WaitForLogAfter("{UIQuerySoftApStaList} ret=0, num=2")) << box.Log();
    EXPECT_TRUE(WaitForLogAfter(Acp("{RefreshTray} state=8 tip=连接到共享WiFi的终端设备有 2 台"))) << box.Log();
    Mark();
    box.world.SetInt(L"softap", L"dropped", 1);
    Apply();
    EXPECT_TRUE(WaitForState(2)) << box.Log();
}

TEST_F(SoftAp, SecondPlugEventDuringBringUpIsIgnored) {
    StartWithInitFailing();
    ASSERT_TRUE(WaitForLog("{UIInitAdapter} ret=7")) << box.Log();
    Send(0x1631, 0, 17);
    EXPECT_TRUE(WaitForLog("{ControlNicChange} is creating..., return")) << box.Log();
    Mark();
    box.world.SetInt(L"library", L"init", 0);
    Apply();
    EXPECT_TRUE(WaitForState(8)) << box.Log();
    EXPECT_EQ(0u, CountAfterMark("{ControlNicChange} Card"));  // no second bring-up began
}

TEST_F(SoftAp, RadioOffWhileCreatingRemovesTheCreatingLook) {
    StartWithInitFailing();
    ASSERT_TRUE(WaitForState(3)) << box.Log();
    ASSERT_TRUE(E2eWaitUntil([&] { return E2eLayeredWindowOf(q8.pid()) != nullptr; })) << "no animation window";
    box.world.SetInt(L"library", L"radio", 0);
    Apply();
    Send(0x1631, 0, 8);
    EXPECT_TRUE(WaitForState(0)) << box.Log();
    EXPECT_TRUE(E2eWaitUntil([&] { return E2eLayeredWindowOf(q8.pid()) == nullptr; }));
}

TEST_F(SoftAp, SecondResumeAfterSuspendRebuildsOnce) {
    BringUp();
    struct PowerRow {
        const char* what;
        std::vector<WPARAM> events;
        size_t rebuilds;
    };
    const PowerRow rows[] = {
        {"one resume", {PBT_APMSUSPEND, PBT_APMRESUMESUSPEND}, 0},
        {"the second resume", {PBT_APMRESUMEAUTOMATIC}, 1},
        {"cancelled query, suspend, two resumes",
         {PBT_APMQUERYSUSPEND, PBT_APMQUERYSUSPENDFAILED, PBT_APMSUSPEND, PBT_APMRESUMESUSPEND, PBT_APMRESUMEAUTOMATIC}, 1},
    };
    for (const PowerRow& r : rows) {
        SCOPED_TRACE(r.what);
        Mark();
        for (WPARAM e : r.events) Send(WM_POWERBROADCAST, e, 0);
        // A key posted now queues behind any rebuild the notices posted; once
        // the window has logged it, that rebuild has begun too.
        PostMessageW(q8.MainWindow(), WM_KEYDOWN, VK_F2, 0);
        EXPECT_TRUE(WaitForLogAfter("(WM_KEYDOWN) wParam = 113")) << box.Log();
        if (r.rebuilds) {
            EXPECT_TRUE(WaitForState(8)) << box.Log();
        }
        EXPECT_EQ(r.rebuilds, CountAfterMark("{EventManage} WFF_EVENT_NIC_CONTROL_CHANGE")) << box.Log().substr(mark);
    }
}

TEST_F(SoftAp, EnterEscapeAndF1DoNotCloseTheMainWindow) {
    BringUp();
    HWND w = q8.MainWindow();
    for (WPARAM key : {VK_RETURN, VK_ESCAPE, VK_F1}) PostMessageW(w, WM_KEYDOWN, key, 0);
    EXPECT_TRUE(WaitForLog("MAIN<<**PreTranslateMessage** (WM_KEYDOWN) wParam = 112")) << box.Log();
    EXPECT_TRUE(Contains(box.Log(), "(WM_KEYDOWN) wParam = 27"));
    EXPECT_TRUE(IsWindow(w));
    EXPECT_TRUE(q8.IsRunning());
}

}  // namespace
