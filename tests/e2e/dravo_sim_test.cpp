// The simulated driver-control library loaded in-process, as Q8 loads it:
// records arrive byte for byte, failure injection counts, record rules,
// events through the callback, the connection list, and a call log that
// keeps every line when two threads call at once.
#include "adapter/dravo.h"
#include "sim/dravo_sim.h"
#include "sim/world.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

const wchar_t kAdapterGuid[] = L"{00000003-0000-0000-0000-4E6574446576}";
const GUID kAdapter = {0x00000003, 0, 0, {0x00, 0x00, 0x4E, 0x65, 0x74, 0x44, 0x65, 0x76}};

std::wstring gDir;    // the world's folder, inside the test's working directory
IDravo* gLib = nullptr;

std::mutex gEventsLock;
std::vector<int> gEvents;
int __cdecl RecordEvent(int code) {
    std::lock_guard<std::mutex> hold(gEventsLock);
    gEvents.push_back(code);
    return 1;
}

std::wstring InDir(const wchar_t* name) { return gDir + L"\\" + name; }

std::string ReadBytes(const std::wstring& path) { return SimReadFile(path); }

std::vector<std::string> CallLines() {
    std::vector<std::string> lines;
    std::string all = ReadBytes(InDir(L"sim_calls.log"));
    size_t pos = 0;
    while (pos < all.size()) {
        size_t nl = all.find("\r\n", pos);
        if (nl == std::string::npos) nl = all.size();
        lines.push_back(all.substr(pos, nl - pos));
        pos = nl + 2;
    }
    return lines;
}

// The last logged call of `op`, without its sequence number.
std::string LastCall(const char* op) {
    std::vector<std::string> lines = CallLines();
    std::string tag = std::string(" ") + op + " ";
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        size_t at = it->find(tag);
        if (at != std::string::npos) return it->substr(at + 1);
    }
    return "";
}

bool WaitFor(bool (*done)(), DWORD ms) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
    return true;
}

void AppendEvents(const char* text) {
    HANDLE f = CreateFileW(InDir(L"sim_events.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    DWORD put = 0;
    WriteFile(f, text, (DWORD)strlen(text), &put, nullptr);
    CloseHandle(f);
}

// A record that keeps every rule, its opaque bytes filled with a pattern
// so that a byte lost or moved on the way shows.
DravoSoftApConfig GoodConfig() {
    DravoSoftApConfig c;
    uint8_t* bytes = (uint8_t*)&c;
    for (size_t i = 0; i < sizeof c; i++) bytes[i] = (uint8_t)(i * 7 + 1);
    memset(c.ssid, 0, sizeof c.ssid);
    strcpy(c.ssid, "Q8_8192A3");
    c.ssidLength = 9;
    c.const16 = 16;
    c.frequencyMHz = 2462;
    c.const100 = 100;
    c.keyed = 1;
    c.auth = 9;
    c.encrypt = 4;
    memset(c.key, 0, sizeof c.key);
    strcpy(c.key, "wert2345");
    c.keyLength = 8;
    c.const2 = 2;
    c.hideSSIDtype = 1;
    return c;
}

class SimLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        gDir = std::wstring(cwd) + L"\\simworld";
        CreateDirectoryW(gDir.c_str(), nullptr);
        SetEnvironmentVariableW(L"Q8SIM_WORLD", InDir(L"sim_world.ini").c_str());
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring dll(self);
        dll = dll.substr(0, dll.rfind(L'\\') + 1) + L"Dravolib.dll";
        HMODULE m = LoadLibraryW(dll.c_str());
        ASSERT_NE(nullptr, m);
        NewDravoFn factory = (NewDravoFn)GetProcAddress(m, "NewDravo");
        ASSERT_NE(nullptr, factory);
        gLib = factory();
        ASSERT_NE(nullptr, gLib);
    }

    void SetUp() override {
        ASSERT_NE(nullptr, gLib);
        for (const wchar_t* f : {L"sim_calls.log", L"sim_events.txt", L"sim_last_SetSoftApMode.bin",
                                 L"sim_last_SetIcsConnection.bin"})
            DeleteFileW(InDir(f).c_str());
        world.sections.clear();
        world.Set(L"adapter0", L"present", L"1");
        world.Set(L"adapter0", L"guid", kAdapterGuid);
        world.Set(L"adapter0", L"mac", L"00-E0-4C-81-92-A3");
        world.Set(L"ics", L"count", L"1");
        world.Set(L"ics", L"conn0", L"本地连接|{5C8A0D1E-1111-2222-3333-444455556666}|3|2");
        Save();
    }

    void Save() { ASSERT_TRUE(world.Save(InDir(L"sim_world.ini"))); }

    // Each test arms its own failures: a fresh generation restarts the counts.
    void Arm(const wchar_t* op, const wchar_t* status, const wchar_t* count) {
        static int generation = 0;
        world.Set(L"fail", op, status);
        world.Set(L"failcount", op, count);
        world.SetInt(L"failgen", op, ++generation);
        Save();
    }

    SimWorld world;
};

TEST_F(SimLibrary, SoftApRecordArrivesByteForByteAndTheApRuns) {
    ASSERT_EQ(0, gLib->InitAdapter(kAdapter, RecordEvent));
    DravoSoftApConfig c = GoodConfig();
    ASSERT_EQ(0, gLib->SetSoftApMode(&c));

    std::string bin = ReadBytes(InDir(L"sim_last_SetSoftApMode.bin"));
    ASSERT_EQ(sizeof c, bin.size());
    EXPECT_EQ(0, memcmp(&c, bin.data(), sizeof c));
    EXPECT_EQ("SetSoftApMode ret=0 ssid=\"Q8_8192A3\" encrypt=4 auth=9 key=\"wert2345\" hide=1 keyed=1 active=1",
              LastCall("SetSoftApMode"));

    world.Set(L"softap", L"stations", L"3");
    Save();
    DravoSoftApStatus st;
    memset(&st, 0xCC, sizeof st);
    ASSERT_EQ(0, gLib->QuerySoftApStatus(&st));
    EXPECT_EQ(1, st.active);
    EXPECT_STREQ("Q8_8192A3", st.ssid);
    EXPECT_EQ(3, st.staNum);
    const uint8_t mac[6] = {0x00, 0xE0, 0x4C, 0x81, 0x92, 0xA3};
    EXPECT_EQ(0, memcmp(mac, st.bssid, 6));

    // A vanished soft AP reports inactive; StopSoftap ends it for good.
    world.Set(L"softap", L"dropped", L"1");
    Save();
    ASSERT_EQ(0, gLib->QuerySoftApStatus(&st));
    EXPECT_EQ(0, st.active);
    EXPECT_EQ(0, st.staNum);
    world.Set(L"softap", L"dropped", L"0");
    Save();
    ASSERT_EQ(0, gLib->StopSoftap());
    ASSERT_EQ(0, gLib->QuerySoftApStatus(&st));
    EXPECT_EQ(0, st.active);
}

TEST_F(SimLibrary, NarrowTextsAreLoggedInUtf8) {
    ASSERT_EQ(0, gLib->InitAdapter(kAdapter, RecordEvent));
    DravoSoftApConfig c = GoodConfig();
    memset(c.ssid, 0, sizeof c.ssid);
    WideCharToMultiByte(CP_ACP, 0, L"网络\"1\"", -1, c.ssid, sizeof c.ssid, nullptr, nullptr);
    c.ssidLength = (int32_t)strlen(c.ssid);
    ASSERT_EQ(0, gLib->SetSoftApMode(&c));
    EXPECT_NE(std::string::npos, LastCall("SetSoftApMode").find("ssid=\"\xE7\xBD\x91\xE7\xBB\x9C\\\"1\\\"\""))
        << LastCall("SetSoftApMode");
}

TEST_F(SimLibrary, InjectedFailuresCountAndLeaveOutValuesAlone) {
    Arm(L"QueryNicRadioStatus", L"0x1F", L"2");
    const int expected[] = {31, 31, 0, 0};
    for (int want : expected) {
        int32_t radio = 77;
        EXPECT_EQ(want, gLib->QueryNicRadioStatus(&radio));
        EXPECT_EQ(want ? 77 : 1, radio);
    }
    EXPECT_EQ("QueryNicRadioStatus ret=0 radio=1", LastCall("QueryNicRadioStatus"));

    // Without a count every call fails, and the record still arrives.
    ASSERT_EQ(0, gLib->InitAdapter(kAdapter, RecordEvent));
    Arm(L"SetSoftApMode", L"-5", L"-1");
    DravoSoftApConfig c = GoodConfig();
    for (int i = 0; i < 3; i++) EXPECT_EQ(-5, gLib->SetSoftApMode(&c));
    EXPECT_EQ(sizeof c, ReadBytes(InDir(L"sim_last_SetSoftApMode.bin")).size());
    EXPECT_NE(std::string::npos, LastCall("SetSoftApMode").find(" injected=1"));
}

TEST_F(SimLibrary, ARecordThatBreaksItsLayoutIsRefused) {
    struct Row {
        const char* bad;
        void (*spoil)(DravoSoftApConfig*);
    };
    const Row rows[] = {
        {"ssid", [](DravoSoftApConfig* c) { memset(c->ssid, 0, sizeof c->ssid); c->ssidLength = 0; }},
        {"ssidLength", [](DravoSoftApConfig* c) { c->ssidLength = 8; }},
        {"frequency", [](DravoSoftApConfig* c) { c->frequencyMHz = 2437; }},
        {"const100", [](DravoSoftApConfig* c) { c->const100 = 0; }},
        {"keyed", [](DravoSoftApConfig* c) { c->keyed = 0; }},
        {"key", [](DravoSoftApConfig* c) { memset(c->key, 0, sizeof c->key); c->keyLength = 0; }},
        {"auth", [](DravoSoftApConfig* c) { c->auth = 7; }},
    };
    ASSERT_EQ(0, gLib->InitAdapter(kAdapter, RecordEvent));
    for (const Row& r : rows) {
        DravoSoftApConfig c = GoodConfig();
        r.spoil(&c);
        EXPECT_EQ(DRAVOSIM_E_BAD_RECORD, gLib->SetSoftapParam(&c)) << r.bad;
        std::string call = LastCall("SetSoftapParam"), tail = std::string(" bad=") + r.bad;
        EXPECT_TRUE(call.size() > tail.size() && call.compare(call.size() - tail.size(), tail.size(), tail) == 0)
            << call;
    }
    // An open network still carries its key text; that is fine.
    DravoSoftApConfig open = GoodConfig();
    open.encrypt = 1;
    open.auth = 1;
    open.keyed = 0;
    EXPECT_EQ(0, gLib->SetSoftapParam(&open));

    // Soft AP work needs an initialised adapter that is still plugged in.
    ASSERT_EQ(0, gLib->DoUnplug());
    EXPECT_EQ(DRAVOSIM_E_NOT_INIT, gLib->SetSoftApMode(&open));
    world.Set(L"adapter0", L"present", L"0");
    Save();
    EXPECT_EQ(DRAVOSIM_E_NO_ADAPTER, gLib->InitAdapter(kAdapter, RecordEvent));
    world.Set(L"adapter0", L"present", L"1");
    world.Set(L"library", L"init", L"7");
    Save();
    EXPECT_EQ(7, gLib->InitAdapter(kAdapter, RecordEvent));
}

TEST_F(SimLibrary, SharingRequestIsCheckedAgainstTheAdapterAndTheConnections) {
    ASSERT_EQ(0, gLib->InitAdapter(kAdapter, RecordEvent));
    DravoIcsSetting s;
    memset(&s, 0, sizeof s);
    GUID pub = {0x5C8A0D1E, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
    s.publicConn.guid = pub;
    strcpy(s.publicConn.guidText, "{5C8A0D1E-1111-2222-3333-444455556666}");
    WideCharToMultiByte(CP_ACP, 0, L"本地连接", -1, s.publicConn.name, sizeof s.publicConn.name, nullptr, nullptr);
    s.privateConn.guid = kAdapter;
    strcpy(s.privateConn.guidText, "{00000003-0000-0000-0000-4E6574446576}");
    s.trailer = -1;

    int32_t ics = 5;
    ASSERT_EQ(0, gLib->QueryIcsStatus(&ics));
    EXPECT_EQ(0, ics);
    ASSERT_EQ(0, gLib->SetIcsConnection(&s));
    std::string bin = ReadBytes(InDir(L"sim_last_SetIcsConnection.bin"));
    ASSERT_EQ(sizeof s, bin.size());
    EXPECT_EQ(0, memcmp(&s, bin.data(), sizeof s));
    EXPECT_NE(std::string::npos, LastCall("SetIcsConnection").find("netname=\"\xE6\x9C\xAC\xE5\x9C\xB0\xE8\xBF\x9E\xE6\x8E\xA5\""));
    ASSERT_EQ(0, gLib->QueryIcsStatus(&ics));
    EXPECT_EQ(1, ics);

    DravoIcsSetting wrong = s;
    wrong.privateConn.guid.Data1 = 4;
    strcpy(wrong.privateConn.guidText, "{00000004-0000-0000-0000-4E6574446576}");
    EXPECT_EQ(DRAVOSIM_E_BAD_RECORD, gLib->SetIcsConnection(&wrong));
    wrong = s;
    wrong.publicConn.guid.Data1 = 0x5C8A0D1F;
    strcpy(wrong.publicConn.guidText, "{5C8A0D1F-1111-2222-3333-444455556666}");
    EXPECT_EQ(DRAVOSIM_E_NO_CONNECTION, gLib->SetIcsConnection(&wrong));
    wrong = s;
    wrong.trailer = 0;
    EXPECT_EQ(DRAVOSIM_E_BAD_RECORD, gLib->SetIcsConnection(&wrong));
}

TEST_F(SimLibrary, ConnectionListSkipsBadLinesAndKeepsToTheCapacity) {
    world.Set(L"ics", L"count", L"4");
    world.Set(L"ics", L"conn1", L"garbage");
    world.Set(L"ics", L"conn2", L"拨号|连接|{5C8A0D1E-7777-2222-3333-444455556666}|6|1");
    Save();
    DravoIcsEntry entries[10];
    int32_t count = 10;
    ASSERT_EQ(0, gLib->QueryIcsConnection(entries, &count));
    ASSERT_EQ(2, count);
    wchar_t name[64];
    MultiByteToWideChar(CP_ACP, 0, entries[1].name, -1, name, 64);
    EXPECT_STREQ(L"拨号|连接", name);  // a '|' in the name is kept: the fields are taken from the right
    EXPECT_STREQ("{5C8A0D1E-7777-2222-3333-444455556666}", entries[1].guidText);
    EXPECT_EQ(0x5C8A0D1Eu, (unsigned)entries[1].guid.Data1);
    EXPECT_EQ(0x7777, entries[1].guid.Data2);
    EXPECT_EQ(1, entries[1].status);
    EXPECT_EQ(6, entries[1].mediaType);
    EXPECT_EQ("QueryIcsConnection ret=0 capacity=10 count=2 skipped=conn1,conn3", LastCall("QueryIcsConnection"));

    count = 1;
    ASSERT_EQ(0, gLib->QueryIcsConnection(entries, &count));
    EXPECT_EQ(1, count);
    count = 0;
    EXPECT_EQ(DRAVOSIM_E_BAD_RECORD, gLib->QueryIcsConnection(entries, &count));
}

bool TwoEventsSeen() {
    std::lock_guard<std::mutex> hold(gEventsLock);
    return gEvents.size() >= 2;
}

TEST_F(SimLibrary, QueuedEventsReachTheCallbackOnce) {
    {
        std::lock_guard<std::mutex> hold(gEventsLock);
        gEvents.clear();
    }
    ASSERT_EQ(0, gLib->InitAdapter(kAdapter, RecordEvent));
    AppendEvents("18\r\nnonsense\r\n");
    AppendEvents("19\r\n");
    ASSERT_TRUE(WaitFor(TwoEventsSeen, 10000));
    // Give a repeat every chance to show before looking.
    AppendEvents("8\r\n");
    ASSERT_TRUE(WaitFor([] {
        std::lock_guard<std::mutex> hold(gEventsLock);
        return gEvents.size() >= 3;
    }, 10000));
    std::lock_guard<std::mutex> hold(gEventsLock);
    EXPECT_EQ((std::vector<int>{18, 19, 8}), gEvents);
    bool skipped = false;
    for (const std::string& l : CallLines())
        if (l.find("Event ret=-1 line=\"nonsense\" skipped=1") != std::string::npos) skipped = true;
    EXPECT_TRUE(skipped);
}

TEST_F(SimLibrary, TwoThreadsCallingAtOnceLoseNoLogLine) {
    const int kPerThread = 200;
    auto caller = [] {
        for (int i = 0; i < kPerThread; i++) {
            int32_t v = 0;
            gLib->QueryServiceStatus(&v);
        }
    };
    std::thread a(caller), b(caller);
    a.join();
    b.join();
    std::set<unsigned long> seqs;
    int calls = 0;
    for (const std::string& l : CallLines()) {
        if (l.find(" QueryServiceStatus ret=0 bStatus=1") == std::string::npos) continue;
        calls++;
        seqs.insert(strtoul(l.c_str(), nullptr, 10));
    }
    EXPECT_EQ(2 * kPerThread, calls);
    EXPECT_EQ((size_t)(2 * kPerThread), seqs.size());
}

}  // namespace
