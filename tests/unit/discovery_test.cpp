// Adapter discovery through Wine's real SetupAPI, registry and IP Helper,
// with the simulated adapters written by the host side of the world and the
// stand-in cfgmgr32.dll answering the started status.
#include "netenv/discovery.h"

#include "adapter/ops.h"
#include "app/log.h"
#include "app/messages.h"
#include "app/shared_lock.h"
#include "sim/host/host_world.h"

#include <gtest/gtest.h>
#include <iphlpapi.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const wchar_t* kNetClassKey = L"System\\CurrentControlSet\\Control\\Class\\{4d36e972-e325-11ce-bfc1-08002be10318}";

std::string Ansi(const std::wstring& text) {
    char buf[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buf, sizeof buf, nullptr, nullptr);
    return buf;
}

GUID GuidOf(const std::wstring& text) {
    GUID g = {};
    EXPECT_TRUE(GuidFromText(text.c_str(), &g)) << SimToUtf8(text);
    return g;
}

bool IsZero(const void* p, size_t size) {
    const unsigned char* b = (const unsigned char*)p;
    for (size_t i = 0; i < size; i++)
        if (b[i]) return false;
    return true;
}

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

class Discovery : public ::testing::Test {
protected:
    void SetUp() override { Apply(); }
    void TearDown() override {
        world = SimWorld();
        Apply();
    }

    // Plugs adapter n; `guidIndex` names its interface {0000000N-...}.
    void Plug(int n, int guidIndex) {
        std::wstring sec = L"adapter" + std::to_wstring(n);
        world.SetInt(sec, L"present", 1);
        world.Set(sec, L"guid", SimInterfaceGuid(guidIndex));
    }
    void Set(int n, const wchar_t* key, const std::wstring& value) { world.Set(L"adapter" + std::to_wstring(n), key, value); }

    int Apply() {
        std::wstring error;
        int code = SimApplyHostWorld(world, &error);
        EXPECT_EQ(SIM_HOST_OK, code) << SimToUtf8(error);
        return code;
    }

    int Enumerate() {
        NicModel table[NIC_MODEL_MAX];
        BuildShippedModelTable(table);
        return EnumerateAdapters(table, records);
    }

    SimWorld world;
    NicDeviceRecord records[NIC_RECORD_MAX];
};

TEST_F(Discovery, ShippedTableHasOneRow) {
    NicModel table[NIC_MODEL_MAX];
    memset(table, 0x55, sizeof table);
    BuildShippedModelTable(table);
    EXPECT_STREQ("USB\\VID_0BDA&PID_8179", table[0].hardwareId);
    EXPECT_STREQ("R5", table[0].model);
    EXPECT_STREQ("8188EUS", table[0].chip);
    EXPECT_EQ(3, table[0].kind);
    for (int r = 1; r < NIC_MODEL_MAX; r++) {
        EXPECT_EQ(-1, table[r].kind) << r;
        EXPECT_TRUE(IsZero(table[r].hardwareId, sizeof table[r].hardwareId)) << r;
    }
}

TEST_F(Discovery, NoAdapterGivesEmptyRecordsAndAnEmptyList) {
    memset(records, 0x55, sizeof records);
    EXPECT_EQ(1, Enumerate());
    EXPECT_TRUE(IsZero(records, sizeof records));
    ControlNicList list;
    memset(&list, 0x55, sizeof list);
    EXPECT_EQ(0, UIGetControlNicList(&list));
    EXPECT_EQ(0, list.count);
}

TEST_F(Discovery, NoNetClassGivesZero) {
    // The class key holds no adapters now; the next apply writes it again.
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_LOCAL_MACHINE, kNetClassKey));
    memset(records, 0x55, sizeof records);
    EXPECT_EQ(0, Enumerate());
    EXPECT_TRUE(IsZero(records, sizeof records));
}

TEST_F(Discovery, PluggedAdapterIsReadWhole) {
    Plug(0, 3);
    Set(0, L"instanceId", L"USB\\VID_0BDA&PID_8179\\00E04C000001");
    Set(0, L"connectionName", L"无线网络连接 2");
    Set(0, L"mfg", L"Realtek");
    Set(0, L"driverVersion", L"1030.4.507.2013");
    Set(0, L"driverDate", L"5-7-2013");
    Apply();
    ASSERT_EQ(1, Enumerate());
    const NicDeviceRecord& r = records[0];
    GUID expected = GuidOf(L"{00000003-0000-0000-0000-4E6574446576}");
    EXPECT_EQ(0, memcmp(&r.guid, &expected, sizeof(GUID)));
    EXPECT_STREQ("USB\\VID_0BDA&PID_8179", r.hardwareId);
    EXPECT_STREQ("R5", r.model);
    EXPECT_STREQ("8188EUS", r.chip);
    EXPECT_EQ(Ansi(L"无线网络连接 2"), r.connectionName);
    EXPECT_STREQ("Realtek", r.maker);
    EXPECT_STREQ("1030.4.507.2013", r.driverVersion);
    EXPECT_STREQ("5-7-2013", r.driverDate);
    EXPECT_TRUE(IsZero(&records[1], sizeof(NicDeviceRecord) * (NIC_RECORD_MAX - 1)));

    ControlNicList list = {};
    EXPECT_EQ(0, UIGetControlNicList(&list));
    ASSERT_EQ(1, list.count);
    EXPECT_STREQ(L"{00000003-0000-0000-0000-4E6574446576}", list.entries[0].guid);
}

TEST_F(Discovery, InstanceIdMatchesWhateverTheCase) {
    // Wine reports instance IDs upper-cased, as Windows does; the lower-case
    // table row checks the comparison from the other side.
    Plug(0, 3);
    Set(0, L"instanceId", L"usb\\vid_0bda&pid_8179\\00e04c0000aa");
    Apply();
    ASSERT_EQ(1, Enumerate());
    EXPECT_STREQ("USB\\VID_0BDA&PID_8179", records[0].hardwareId);

    NicModel table[NIC_MODEL_MAX];
    BuildShippedModelTable(table);
    memset(table[0].hardwareId, 0, sizeof table[0].hardwareId);  // empty rows are skipped
    strcpy(table[4].hardwareId, "usb\\vid_0bda&pid_8179");
    strcpy(table[4].model, "lower");
    ASSERT_EQ(1, EnumerateAdapters(table, records));
    EXPECT_STREQ("lower", records[0].model);
}

TEST_F(Discovery, OnlyRunningSupportedDevicesAreListed) {
    struct Case {
        const wchar_t* key;
        const wchar_t* value;
    } cases[] = {
        {L"started", L"0"},                                       // disabled or failed to start
        {L"hidden", L"1"},                                        // DN_NO_SHOW_IN_DM
        {L"instanceId", L"USB\\VID_0BDA&PID_8178\\00E04C000001"},  // another model
        {L"instanceId", L"USB\\VID_0BDA&PID_817\\00E04C000001"},   // shorter than the hardware ID
    };
    // The odd device comes first in Wine's order; the walk goes on past it.
    for (const Case& c : cases) {
        world = SimWorld();
        Plug(0, 3);
        Set(0, c.key, c.value);
        Plug(1, 4);
        Plug(2, 5);
        Apply();
        ASSERT_EQ(1, Enumerate()) << SimToUtf8(c.value);
        EXPECT_EQ(4u, records[0].guid.Data1) << SimToUtf8(c.value);
        EXPECT_EQ(5u, records[1].guid.Data1) << SimToUtf8(c.value);
        EXPECT_TRUE(IsZero(&records[2], sizeof(NicDeviceRecord))) << SimToUtf8(c.value);
    }
}

TEST_F(Discovery, AdaptersKeepEnumerationOrder) {
    Plug(0, 9);
    Plug(1, 4);
    Apply();
    ASSERT_EQ(1, Enumerate());
    EXPECT_EQ(9u, records[0].guid.Data1);
    EXPECT_EQ(4u, records[1].guid.Data1);
    ControlNicList list = {};
    UIGetControlNicList(&list);
    ASSERT_EQ(2, list.count);
    EXPECT_STREQ(SimInterfaceGuid(9).c_str(), list.entries[0].guid);
    EXPECT_STREQ(SimInterfaceGuid(4).c_str(), list.entries[1].guid);
}

TEST_F(Discovery, SevenAdaptersAreAllRecordedAndFiveListed) {
    for (int n = 0; n < 7; n++) Plug(n, 20 + n);
    Apply();
    ASSERT_EQ(1, Enumerate());
    for (int n = 0; n < 7; n++) EXPECT_EQ((unsigned)(20 + n), records[n].guid.Data1) << n;
    EXPECT_TRUE(IsZero(&records[7], sizeof(NicDeviceRecord)));
    ControlNicList list = {};
    EXPECT_EQ(0, UIGetControlNicList(&list));
    ASSERT_EQ(5, list.count);
    for (int n = 0; n < 5; n++) EXPECT_STREQ(SimInterfaceGuid(20 + n).c_str(), list.entries[n].guid) << n;
}

TEST_F(Discovery, MissingConnectionKeyEndsTheWalkAndKeepsWhatWasFound) {
    Plug(0, 3);
    Plug(1, 4);
    Set(1, L"connection", L"0");
    Plug(2, 5);
    Apply();
    testing::internal::CaptureStdout();
    int result = Enumerate();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(-1, result);
    EXPECT_NE(std::string::npos, out.find("RegOpenKeyEx FAILED (2).\r\n")) << out;
    EXPECT_EQ(3u, records[0].guid.Data1);
    EXPECT_STRNE("", records[0].connectionName);
    // The device without the key keeps what was read before it.
    EXPECT_STREQ("USB\\VID_0BDA&PID_8179", records[1].hardwareId);
    EXPECT_EQ(4u, records[1].guid.Data1);
    EXPECT_STREQ("", records[1].connectionName);
    EXPECT_TRUE(IsZero(&records[2], sizeof(NicDeviceRecord)));
    ControlNicList list = {};
    EXPECT_EQ(0, UIGetControlNicList(&list));
    EXPECT_EQ(2, list.count);
}

TEST_F(Discovery, OddRegistryTextsGiveDefinedFields) {
    // 100 Chinese characters: 200 bytes in the ANSI code page, cut to whole
    // characters inside the 128-byte field.
    std::wstring longDate(100, L'网');
    Plug(0, 3);
    Set(0, L"guid", L"not-a-guid");
    Set(0, L"driverDate", longDate);
    Set(0, L"driverVersion", std::wstring(300, L'9'));  // more than the 512 bytes read
    Apply();
    gUiLogSwitch = 1;
    DeleteFileW(L"ui_log.log");
    int result = Enumerate();
    gUiLogSwitch = 0;
    ASSERT_EQ(1, result);
    EXPECT_TRUE(IsZero(&records[0].guid, sizeof(GUID)));
    EXPECT_STREQ("USB\\VID_0BDA&PID_8179", records[0].hardwareId);
    std::string full = Ansi(longDate);
    size_t cut = strlen(records[0].driverDate);
    EXPECT_LT(cut, sizeof records[0].driverDate);
    EXPECT_GE(cut, sizeof records[0].driverDate - 3);
    EXPECT_EQ(full.substr(0, cut), std::string(records[0].driverDate));
    if (GetACP() == 936) {
        EXPECT_EQ(0u, cut % 2);  // two bytes a character: none split
    }
    EXPECT_STREQ("", records[0].driverVersion);

    FILE* f = _wfopen(L"ui_log.log", L"rb");
    ASSERT_NE(nullptr, f);
    char log[4096] = {};
    fread(log, 1, sizeof log - 1, f);
    fclose(f);
    EXPECT_NE(nullptr, strstr(log, "{EnumerateAdapters} NetCfgInstanceId=not-a-guid")) << log;
}

TEST_F(Discovery, UnpluggedAdapterLeavesNoKeys) {
    Plug(0, 3);
    Set(0, L"instanceId", L"USB\\VID_0BDA&PID_8179\\Q8UNPLUG01");
    Apply();
    const std::wstring device = L"System\\CurrentControlSet\\Enum\\USB\\VID_0BDA&PID_8179\\Q8UNPLUG01";
    const std::wstring network =
        L"System\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\" + SimInterfaceGuid(3);
    ASSERT_TRUE(KeyExists(device));
    ASSERT_TRUE(KeyExists(network + L"\\Connection"));
    ASSERT_TRUE(KeyExists(std::wstring(kNetClassKey) + L"\\0800"));
    world.Set(L"adapter0", L"present", L"0");
    Apply();
    EXPECT_FALSE(KeyExists(device));
    EXPECT_FALSE(KeyExists(network));
    EXPECT_FALSE(KeyExists(std::wstring(kNetClassKey) + L"\\0800"));
    EXPECT_EQ(1, Enumerate());
    EXPECT_TRUE(IsZero(records, sizeof records));
}

TEST_F(Discovery, WorldsWineCannotShowAreReported) {
    // Instance IDs out of adapter order: Wine lists them sorted.
    Plug(0, 3);
    Set(0, L"instanceId", L"USB\\VID_0BDA&PID_8179\\BBB");
    Plug(1, 4);
    Set(1, L"instanceId", L"USB\\VID_0BDA&PID_8179\\AAA");
    std::wstring error;
    EXPECT_EQ(SIM_HOST_BAD_WORLD, SimApplyHostWorld(world, &error));
    EXPECT_NE(std::wstring::npos, error.find(L"order")) << SimToUtf8(error);
    ASSERT_EQ(1, Enumerate());
    EXPECT_EQ(4u, records[0].guid.Data1);
    EXPECT_EQ(3u, records[1].guid.Data1);

    // The same device twice (case does not matter): only the first is plugged.
    world = SimWorld();
    Plug(0, 3);
    Set(0, L"instanceId", L"USB\\VID_0BDA&PID_8179\\SAME");
    Plug(1, 4);
    Set(1, L"instanceId", L"usb\\vid_0bda&pid_8179\\same");
    EXPECT_EQ(SIM_HOST_BAD_WORLD, SimApplyHostWorld(world, &error));
    ASSERT_EQ(1, Enumerate());
    EXPECT_EQ(3u, records[0].guid.Data1);
    EXPECT_TRUE(IsZero(&records[1], sizeof(NicDeviceRecord)));
}

// ---- MAC table (needs the run's private network namespace) ----

bool FindMac(const std::wstring& guid, MacEntry* found) {
    SHARED_RECORD_GUARD;
    for (int i = 0; i < gMacCount; i++)
        if (guid == gMacTable[i].adapterName) {
            *found = gMacTable[i];
            return true;
        }
    return false;
}

// First of the MAC tests: until an interface has been listed once, a private
// namespace with nothing but lo makes GetAdaptersInfo answer ERROR_NO_DATA.
TEST_F(Discovery, MacTableKeepsItsRowsWhenGetAdaptersInfoFails) {
    ULONG size = 0;
    DWORD rc = GetAdaptersInfo(nullptr, &size);
    if (rc != ERROR_NO_DATA) GTEST_SKIP() << "this host has network interfaces, so GetAdaptersInfo cannot be made to fail";
    {
        SHARED_RECORD_GUARD;
        gMacCount = 1;
        wcscpy(gMacTable[0].adapterName, L"{kept}");
    }
    EXPECT_EQ(0, RefreshMacTable());
    MacEntry row = {};
    EXPECT_TRUE(FindMac(L"{kept}", &row));
}

TEST_F(Discovery, MacTableShowsThePluggedAdaptersAddress) {
    std::wstring why;
    if (!SimHostNetworkReady(&why)) GTEST_SKIP() << SimToUtf8(why);
    // An index of its own: Wine keeps the first address it saw for an index.
    Plug(0, 41);
    Set(0, L"mac", L"00-E0-4C-81-92-A3");
    ASSERT_EQ(SIM_HOST_OK, Apply());
    MacEntry row = {};
    bool found = false;
    for (DWORD start = GetTickCount(); !found && GetTickCount() - start < 20000; Sleep(100))
        found = RefreshMacTable() == 1 && FindMac(SimInterfaceGuid(41), &row);
    ASSERT_TRUE(found) << "the veth interface exists but Wine's GetAdaptersInfo never listed it; is a wineserver for "
                          "this prefix running outside the namespace?";
    const BYTE mac[6] = {0x00, 0xE0, 0x4C, 0x81, 0x92, 0xA3};
    EXPECT_EQ(6, row.addressLength);
    EXPECT_EQ(0, memcmp(mac, row.address, 6));
    EXPECT_EQ(MIB_IF_TYPE_ETHERNET, row.type);
}

// ---- the watch thread ----

// Pumps the window's queue for `ms` and counts WM_DRAVO_EVENT code 17;
// stops early once `stopAt` have come.
int CountChangeEvents(HWND wnd, DWORD ms, int stopAt) {
    int count = 0;
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms && count < stopAt;) {
        MSG msg;
        while (PeekMessageW(&msg, wnd, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_DRAVO_EVENT) {
                EXPECT_EQ(0u, msg.wParam);
                EXPECT_EQ(17, (int)msg.lParam);
                count++;
            }
        }
        Sleep(20);
    }
    return count;
}

TEST_F(Discovery, WatchThreadPostsOneChangePerPlugAndUnplug) {
    HWND wnd = CreateWindowExW(0, L"STATIC", L"watch", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, wnd);
    gMainWnd = wnd;
    gWatchDevicesThread = CreateThread(nullptr, 0, ThreadWatchDevices, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, gWatchDevicesThread);
    // The thread never ends; it keeps watching until the program exits.

    // Nothing changes: nothing is posted (over more than two polls).
    EXPECT_EQ(0, CountChangeEvents(wnd, 2500, 1));

    Plug(0, 3);
    Apply();
    EXPECT_EQ(1, CountChangeEvents(wnd, 15000, 1)) << "plug";
    EXPECT_EQ(0, CountChangeEvents(wnd, 2500, 1)) << "one plug, one event";

    // Details other than the GUID are no change.
    Set(0, L"driverVersion", L"2.0");
    Set(0, L"connectionName", L"renamed");
    Apply();
    EXPECT_EQ(0, CountChangeEvents(wnd, 2500, 1)) << "details";

    world.Set(L"adapter0", L"present", L"0");
    Apply();
    EXPECT_EQ(1, CountChangeEvents(wnd, 15000, 1)) << "unplug";
    EXPECT_EQ(0, CountChangeEvents(wnd, 2500, 1)) << "one unplug, one event";

    gMainWnd = nullptr;
    DestroyWindow(wnd);
}

}  // namespace
