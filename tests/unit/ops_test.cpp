// Adapter control operations against a scripted control object: the bytes of
// every record sent, the conversions, the answers read back, the unbound and
// failing cases, and the log lines.
#include "adapter/bind.h"
#include "adapter/ops.h"
#include "app/log.h"
#include "netenv/discovery.h"
#include "ops_fake_dravo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

uint32_t U32At(const void* record, int offset) {
    uint32_t v;
    memcpy(&v, (const uint8_t*)record + offset, 4);
    return v;
}

uint16_t U16At(const void* record, int offset) {
    uint16_t v;
    memcpy(&v, (const uint8_t*)record + offset, 2);
    return v;
}

std::string BytesAt(const void* record, int offset, int count) {
    return std::string((const char*)record + offset, count);
}

bool AllZero(const void* record, int from, int to) {
    for (int i = from; i < to; i++)
        if (((const uint8_t*)record)[i] != 0) return false;
    return true;
}

// The log's messages, one per line, without the time and thread prefix.
std::vector<std::string> LogMessages() {
    std::ifstream in("ui_log.log", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    std::string all = s.str();
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find("\r\n", pos);
        if (end == std::string::npos) end = all.size();
        std::string line = all.substr(pos, end - pos);
        size_t cut = line.find("] ");
        lines.push_back(cut == std::string::npos ? line : line.substr(cut + 2));
        pos = end + 2;
    }
    return lines;
}

bool LogHas(const std::string& message) {
    for (const std::string& l : LogMessages())
        if (l == message) return true;
    return false;
}

SoftApCfgInfo Config(const wchar_t* ssid, const wchar_t* key, int encrypt, int auth) {
    SoftApCfgInfo c = {};
    wcscpy(c.ssid, ssid);
    wcscpy(c.key, key);
    c.encrypt = encrypt;
    c.auth = auth;
    c.hideSSIDtype = 1;
    c.channel = 6;
    c.frequency = 2437;
    return c;
}

const GUID kGuid = {0x5C8A0D1E, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const wchar_t kGuidText[] = L"{5C8A0D1E-1111-2222-3333-444455556666}";

class AdapterOps : public ::testing::Test {
protected:
    CScriptedDravo fake;
    void SetUp() override {
        DeleteFileA("ui_log.log");
        gUiLogSwitch = 1;
        gDravo = &fake;
        memset(&currentAdapter, 0, sizeof(currentAdapter));
    }
    void TearDown() override {
        gDravo = nullptr;
        gUiLogSwitch = 0;
    }
};

// ---- DravoSoftApConfig ----

struct ConfigOpRow {
    const char* name;
    int (*op)(SoftApCfgInfo);
    int slot;
};
const ConfigOpRow kConfigOps[] = {
    {"UISetSoftApMode", UISetSoftApMode, 11},
    {"UISetSoftapParam", UISetSoftapParam, 13},
    {"UISetSoftapParam2", UISetSoftapParam2, 12},
};

TEST_F(AdapterOps, SoftApConfigCarriesEveryFieldAtItsOffset) {
    struct Case { int encrypt, auth, keyed; } cases[] = {{4, 9, 1}, {1, 1, 0}};
    for (const ConfigOpRow& op : kConfigOps) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(op.name) + (c.keyed ? " keyed" : " open"));
            fake.status[op.slot] = 0;
            ASSERT_EQ(0, op.op(Config(L"Q8_8192A3", L"12345678", c.encrypt, c.auth)));
            ASSERT_EQ(op.slot, fake.lastSlot);
            const DravoSoftApConfig* r = &fake.lastConfig;
            EXPECT_EQ(9u, U32At(r, 0));
            EXPECT_EQ(std::string("Q8_8192A3", 9), BytesAt(r, 4, 9));
            EXPECT_TRUE(AllZero(r, 13, 36));
            EXPECT_EQ(16u, U32At(r, 36));
            EXPECT_EQ(2462u, U32At(r, 44));  // channel 6 / 2437 MHz configured, not sent
            EXPECT_EQ(100u, U16At(r, 52));
            EXPECT_EQ((uint32_t)c.keyed, U32At(r, 56));
            EXPECT_EQ((uint32_t)c.auth, U32At(r, 60));
            EXPECT_EQ((uint32_t)c.encrypt, U32At(r, 64));
            EXPECT_EQ(8u, U32At(r, 360));
            EXPECT_EQ(2u, U32At(r, 364));
            EXPECT_EQ("12345678", BytesAt(r, 368, 8));  // also for an open network
            EXPECT_TRUE(AllZero(r, 376, 432));
            EXPECT_EQ(1u, U32At(r, 432));
            EXPECT_TRUE(AllZero(r, 40, 44));
            EXPECT_TRUE(AllZero(r, 48, 52));
            EXPECT_TRUE(AllZero(r, 54, 56));
            EXPECT_TRUE(AllZero(r, 68, 360));
        }
    }
}

TEST_F(AdapterOps, ConfigTextsTooLongForTheirFieldsAreSentEmpty) {
    ASSERT_EQ(936u, GetACP()) << "tests run with the Chinese ANSI code page";
    struct Case {
        std::wstring ssid, key;
        int ssidLength, keyLength;
    } cases[] = {
        {std::wstring(31, L's'), std::wstring(63, L'k'), 31, 63},
        {std::wstring(32, L's'), std::wstring(64, L'k'), 0, 0},
        {std::wstring(15, L'\x4E2D') + L"A", std::wstring(31, L'\x4E2D') + L"A", 31, 63},
        {std::wstring(16, L'\x4E2D'), std::wstring(32, L'\x4E2D'), 0, 0},  // 33 and 65 bytes narrow
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ssidLength);
        ASSERT_EQ(0, UISetSoftApMode(Config(c.ssid.c_str(), c.key.c_str(), 4, 9)));
        const DravoSoftApConfig* r = &fake.lastConfig;
        EXPECT_EQ((uint32_t)c.ssidLength, U32At(r, 0));
        EXPECT_EQ((uint32_t)c.keyLength, U32At(r, 360));
        if (c.ssidLength == 0) {
            EXPECT_TRUE(AllZero(r, 4, 36));
        }
        if (c.keyLength == 0) {
            EXPECT_TRUE(AllZero(r, 368, 432));
        }
        EXPECT_EQ(16u, U32At(r, 36));
        EXPECT_EQ(1u, U32At(r, 432));
    }
}

// ---- conversions ----

TEST(Conversions, WideToFieldFillsWholeOrLeavesEmptyAndNeverPassesTheField) {
    ASSERT_EQ(936u, GetACP()) << "tests run with the Chinese ANSI code page";
    struct Case {
        std::wstring text;
        std::string narrow;  // expected field content; empty = sent empty
    } cases[] = {
        {std::wstring(31, L'a'), std::string(31, 'a')},
        {std::wstring(32, L'a'), ""},
        {L"\x4E2D\x6587", "\xD6\xD0\xCE\xC4"},
        {std::wstring(15, L'\x4E2D') + L"A", [] { std::string s; for (int i = 0; i < 15; i++) s += "\xD6\xD0"; return s + "A"; }()},
        {std::wstring(16, L'\x4E2D'), ""},
        {L"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.narrow.size());
        char buffer[40];
        memset(buffer, 0xCC, sizeof(buffer));
        int n = WideToField(c.text.c_str(), buffer, 32);
        EXPECT_EQ((int)c.narrow.size(), n);
        EXPECT_EQ(c.narrow, std::string(buffer, c.narrow.size()));
        EXPECT_TRUE(AllZero(buffer, (int)c.narrow.size(), 32));
        for (int i = 32; i < 40; i++) EXPECT_EQ((char)0xCC, buffer[i]) << "byte " << i;
    }
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(0, WideToField(nullptr, buffer, 4));
    EXPECT_TRUE(AllZero(buffer, 0, 4));
}

TEST(Conversions, GuidTextsParseBracedOrBareAndAnythingElseGivesZero) {
    const wchar_t* good[] = {kGuidText, L"5C8A0D1E-1111-2222-3333-444455556666",
                             L"{5c8a0d1e-1111-2222-3333-444455556666}"};
    for (const wchar_t* text : good) {
        GUID g;
        EXPECT_TRUE(GuidFromText(text, &g)) << text;
        EXPECT_EQ(0, memcmp(&kGuid, &g, 16));
    }
    const wchar_t* bad[] = {
        nullptr,
        L"",
        L"{5C8A0D1E-1111-2222-3333-444455556666",
        L"5C8A0D1E-1111-2222-3333-444455556666}",
        L"{5C8A0D1E-1111-2222-3333-44445555666}",
        L"{5C8A0D1E-1111-2222-3333-4444555566667}",
        L"{5C8A0D1G-1111-2222-3333-444455556666}",
        L"{5C8A0D1E+1111-2222-3333-444455556666}",
        L"{5C8A0D1E-1111-2222-3333-44445555666\x4E2D}",
        L"{{5C8A0D1E-1111-2222-3333-444455556666}}",
    };
    GUID zero = {};
    for (const wchar_t* text : bad) {
        GUID g;
        memset(&g, 0xFF, sizeof(g));
        EXPECT_FALSE(GuidFromText(text, &g)) << (text ? text : L"(null)");
        EXPECT_EQ(0, memcmp(&zero, &g, 16));
    }
}

TEST(Conversions, GuidToTextIsUpperCaseAndBraced) {
    const GUID g = {0x0a0b0c0d, 0xe0f, 0xab, {0, 1, 0xfe, 0x2f, 0xa0, 0xb, 0xc, 0xdd}};
    wchar_t text[64];
    GuidToText(g, text, 64);
    EXPECT_STREQ(L"{0A0B0C0D-0E0F-00AB-0001-FE2FA00B0CDD}", text);
    GUID back;
    ASSERT_TRUE(GuidFromText(text, &back));
    EXPECT_EQ(0, memcmp(&g, &back, 16));
}

TEST_F(AdapterOps, InitAdapterSendsTheParsedGuidAndTheCallback) {
    fake.status[1] = 0;
    EXPECT_EQ(0, UIInitAdapter(kGuidText));
    EXPECT_EQ(1, fake.lastSlot);
    EXPECT_EQ(0, memcmp(&kGuid, &fake.initGuid, 16));
    EXPECT_EQ((DravoEventCallbackFn)DravoEventCallback, fake.initCallback);

    GUID zero = {};
    fake.status[1] = 31;
    EXPECT_EQ(31, UIInitAdapter(L"not a guid"));
    EXPECT_EQ(0, memcmp(&zero, &fake.initGuid, 16));
}

// ---- DravoIcsSetting ----

TEST_F(AdapterOps, IcsSettingCarriesTheSharedConnectionAndTheAdapterOwn) {
    wcscpy(currentAdapter.guid, L"{11223344-5566-7788-99AA-BBCCDDEEFF00}");
    wcscpy(currentAdapter.connName, L"\x65E0\x7EBF\x7F51\x7EDC\x8FDE\x63A5 2");  // 无线网络连接 2
    IcsConnection conn = {};
    wcscpy(conn.networkName, L"Broadband connection");
    wcscpy(conn.guid, kGuidText);
    conn.mediaType = 3;
    conn.connected = 1;
    ASSERT_EQ(0, UISetIcsConnection(conn));
    wcscpy(conn.networkName, L"LAN");  // a second call starts from a fresh record
    ASSERT_EQ(0, UISetIcsConnection(conn));
    ASSERT_EQ(9, fake.lastSlot);

    const DravoIcsSetting* r = &fake.lastIcs;
    EXPECT_EQ(0, memcmp(&kGuid, r, 16));
    EXPECT_EQ(std::string("LAN\0", 4), BytesAt(r, 16, 4));
    EXPECT_TRUE(AllZero(r, 20, 272));
    EXPECT_EQ(std::string("{5C8A0D1E-1111-2222-3333-444455556666}\0", 39), BytesAt(r, 272, 39));
    EXPECT_TRUE(AllZero(r, 311, 332));  // rest of the text, status and media type

    const GUID own = {0x11223344, 0x5566, 0x7788, {0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00}};
    EXPECT_EQ(0, memcmp(&own, (const uint8_t*)r + 332, 16));
    EXPECT_EQ(std::string("\xCE\xDE\xCF\xDF\xCD\xF8\xC2\xE7\xC1\xAC\xBD\xD3 2\0", 15), BytesAt(r, 348, 15));
    EXPECT_EQ(std::string("{11223344-5566-7788-99AA-BBCCDDEEFF00}\0", 39), BytesAt(r, 604, 39));
    EXPECT_TRUE(AllZero(r, 643, 664));
    EXPECT_EQ(0xFFFFFFFFu, U32At(r, 664));
}

// ---- answers read back ----

TEST_F(AdapterOps, SoftApStatusIsReadFromItsOffsets) {
    ASSERT_EQ(936u, GetACP()) << "tests run with the Chinese ANSI code page";
    fake.apStatus.active = 1;
    strcpy(fake.apStatus.ssid, "\xD6\xD0\xCE\xC4" "AP");
    fake.apStatus.staNum = 3;
    SoftApStatus s = {};
    ASSERT_EQ(0, UIQuerySoftApStatus(&s));
    EXPECT_EQ(14, fake.lastSlot);
    EXPECT_EQ(1, s.bActive);
    EXPECT_STREQ(L"\x4E2D\x6587" L"AP", s.ssid);
    EXPECT_EQ(3, s.staNum);
    EXPECT_TRUE(LogHas("{UIQuerySoftApStatus} ret=0, active=1"));
}

TEST_F(AdapterOps, AnswersWithoutTerminatorOrNegativeCountsStayInBounds) {
    // An SSID filling its whole field with the hardware address right after it.
    memset(fake.apStatus.ssid, 'A', 32);
    memset(fake.apStatus.bssid, 'B', 6);
    fake.apStatus.staNum = -4;
    SoftApStatus s = {};
    ASSERT_EQ(0, UIQuerySoftApStatus(&s));
    EXPECT_EQ(std::wstring(32, L'A'), s.ssid);
    EXPECT_EQ(0, s.staNum);
    stationCount = 9;
    ASSERT_EQ(0, UIQuerySoftApStaList());
    EXPECT_EQ(0, stationCount.load());
    EXPECT_TRUE(LogHas("{UIQuerySoftApStaList} ret=0, num=-4"));

    fake.apStatus.staNum = 4;
    ASSERT_EQ(0, UIQuerySoftApStaList());
    EXPECT_EQ(4, stationCount.load());
}

void SetEntry(DravoIcsEntry* e, const char* name, const char* guidText, int status, int media) {
    strcpy(e->name, name);
    strcpy(e->guidText, guidText);
    e->status = status;
    e->mediaType = media;
}

TEST_F(AdapterOps, IcsConnectionsAreListedWithConnectedFromStatusTwo) {
    ASSERT_EQ(936u, GetACP()) << "tests run with the Chinese ANSI code page";
    SetEntry(&fake.icsEntries[0], "\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3", "{5C8A0D1E-1111-2222-3333-444455556666}", 2, 3);
    SetEntry(&fake.icsEntries[1], "VPN", "{5C8A0D1E-7777-2222-3333-444455556666}", 1, 6);
    SetEntry(&fake.icsEntries[2], "Dial", "{5C8A0D1E-8888-2222-3333-444455556666}", 0, 1);
    fake.icsCount = 3;
    IcsConnectionList list;
    memset(&list, 0x41, sizeof(list));
    ASSERT_EQ(0, UIQueryIcsConnection(&list));
    EXPECT_EQ(10, fake.offeredCount);
    ASSERT_EQ(3, list.count);
    EXPECT_STREQ(L"\x672C\x5730\x8FDE\x63A5", list.entries[0].networkName);  // 本地连接
    EXPECT_STREQ(kGuidText, list.entries[0].guid);
    EXPECT_EQ(3, list.entries[0].mediaType);
    EXPECT_EQ(1, list.entries[0].connected);
    EXPECT_STREQ(L"VPN", list.entries[1].networkName);
    EXPECT_EQ(6, list.entries[1].mediaType);
    EXPECT_EQ(0, list.entries[1].connected);
    EXPECT_EQ(0, list.entries[2].connected);
    EXPECT_TRUE(LogHas("{UIQueryIcsConnection} ret=0, num=3"));
}

TEST_F(AdapterOps, IcsCountOutsideCapacityIsClampedAndLogged) {
    for (int i = 0; i < 10; i++) SetEntry(&fake.icsEntries[i], "C", "{5C8A0D1E-1111-2222-3333-444455556666}", 2, 3);
    struct Case { int answered, listed; } cases[] = {{-1, 0}, {11, 10}, {500, 10}, {10, 10}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answered);
        DeleteFileA("ui_log.log");
        fake.icsCount = c.answered;
        IcsConnectionList list;
        memset(&list, 0x41, sizeof(list));
        ASSERT_EQ(0, UIQueryIcsConnection(&list));
        EXPECT_EQ(c.listed, list.count);
        if (c.listed) {
            EXPECT_STREQ(L"C", list.entries[c.listed - 1].networkName);
        }
        std::string clampLine = "{UIQueryIcsConnection} count " + std::to_string(c.answered) + " outside 0..10, using " +
                                std::to_string(c.listed);
        EXPECT_EQ(c.answered != c.listed, LogHas(clampLine));
    }
}

// ---- unbound, failing, succeeding ----

TEST_F(AdapterOps, UnboundEveryOperationGivesTenWithoutCallOrLog) {
    gDravo = nullptr;
    SoftApStatus s;
    memset(&s, 0x5A, sizeof(s));
    SoftApStatus before = s;
    IcsConnectionList list;
    list.count = 77;
    int ics = 55;
    stationCount = 6;
    SoftApCfgInfo cfg = Config(L"Q8", L"12345678", 4, 9);

    EXPECT_EQ(10, UIInitAdapter(kGuidText));
    EXPECT_EQ(10, UISetSoftApMode(cfg));
    EXPECT_EQ(10, UISetSoftapParam(cfg));
    EXPECT_EQ(10, UISetSoftapParam2(cfg));
    EXPECT_EQ(10, UIStopSoftap());
    EXPECT_EQ(10, UIQuerySoftApStatus(&s));
    EXPECT_EQ(10, UIQuerySoftApStaList());
    EXPECT_EQ(10, UIQueryIcsConnection(&list));
    EXPECT_EQ(10, UISetIcsConnection(IcsConnection{}));
    EXPECT_EQ(10, UIQueryIcsStatus(&ics));
    EXPECT_EQ(10, UIQueryNicRadioStatus());
    EXPECT_EQ(10, UISetNicRadioStatus());
    EXPECT_EQ(10, UIDoUnplug());
    EXPECT_EQ(10, UIQueryServiceStatus());
    EXPECT_EQ(10, UIQueryCurControlTool());
    EXPECT_EQ(10, UISetControlTool());

    EXPECT_EQ(0, fake.callCount);
    EXPECT_EQ(0, memcmp(&before, &s, sizeof(s)));
    EXPECT_EQ(77, list.count);
    EXPECT_EQ(55, ics);
    EXPECT_EQ(6, stationCount.load());
    std::vector<std::string> expected = {"{UIInitAdapter} guid={5C8A0D1E-1111-2222-3333-444455556666}"};
    EXPECT_EQ(expected, LogMessages());
}

// A query operation, the slot it calls, and how to read and reset its out-value.
struct QueryRow {
    const char* name;
    int slot;
    std::function<int()> call;
    std::function<int()> read;
    std::function<void(int)> reset;
};

TEST_F(AdapterOps, QueryResultsAreWrittenOnSuccessOnlyAndStatusPassesThrough) {
    SoftApStatus s;
    IcsConnectionList list;
    int ics = 0;
    const QueryRow rows[] = {
        {"radio", 4, [] { return UIQueryNicRadioStatus(); }, [] { return gRadioState.load(); },
         [](int v) { gRadioState = v; }},
        {"service", 3, [] { return UIQueryServiceStatus(); }, [] { return gServiceState.load(); },
         [](int v) { gServiceState = v; }},
        {"tool", 18, [] { return UIQueryCurControlTool(); }, [] { return gControlTool.load(); },
         [](int v) { gControlTool = v; }},
        {"ics status", 10, [&] { return UIQueryIcsStatus(&ics); }, [&] { return ics; }, [&](int v) { ics = v; }},
        {"stations", 14, [] { return UIQuerySoftApStaList(); }, [] { return stationCount.load(); },
         [](int v) { stationCount = v; }},
        {"ap status", 14, [&] { return UIQuerySoftApStatus(&s); }, [&] { return s.staNum; },
         [&](int v) { s.staNum = v; s.bActive = v; s.ssid[0] = L'Z'; s.ssid[1] = 0; }},
        {"ics list", 6, [&] { return UIQueryIcsConnection(&list); }, [&] { return list.count; },
         [&](int v) { list.count = v; }},
    };
    fake.outValue = 2;
    fake.apStatus.staNum = 2;
    fake.apStatus.active = 1;
    fake.icsCount = 2;
    for (const QueryRow& r : rows) {
        SCOPED_TRACE(r.name);
        r.reset(-99);
        fake.status[r.slot] = 7;
        EXPECT_EQ(7, r.call());
        EXPECT_EQ(r.slot, fake.lastSlot);
        EXPECT_EQ(-99, r.read());
        fake.status[r.slot] = 0;
        EXPECT_EQ(0, r.call());
        EXPECT_EQ(2, r.read());
    }
    EXPECT_STREQ(L"", s.ssid);  // written by the successful call only
    EXPECT_TRUE(LogHas("{UIQueryNicRadioStatus} ret=7, radio=2"));
}

TEST_F(AdapterOps, CommandsCallTheirSlotWithOneAndPassTheStatus) {
    struct Row { int (*op)(); int slot; int32_t arg; } rows[] = {
        {UIStopSoftap, 16, 0}, {UIDoUnplug, 17, 0}, {UISetNicRadioStatus, 7, 1}, {UISetControlTool, 19, 1}};
    for (const Row& r : rows) {
        fake.intArg = 0;
        fake.status[r.slot] = 3;
        EXPECT_EQ(3, r.op());
        EXPECT_EQ(r.slot, fake.lastSlot);
        EXPECT_EQ(r.arg, fake.intArg);
    }
    std::vector<std::string> expected = {
        "{UIStopSoftap} ret=3",
        "{UIDoUnplug} ret=3 ",
        "{UISetNicRadioStatus} ret=3, radio=1",
        "{UISetControlTool} ret=3, toolType=1",
    };
    EXPECT_EQ(expected, LogMessages());
}

// ---- log lines ----

TEST_F(AdapterOps, ConfigLogLinesNameTheOperationAndOmitThePskWhenOpen) {
    fake.status[11] = 0;
    fake.status[12] = 5;
    UISetSoftApMode(Config(L"MyAp", L"secret12", 4, 9));
    UISetSoftApMode(Config(L"OpenAp", L"secret12", 1, 1));
    UISetSoftapParam2(Config(L"Other", L"abcdefgh", 4, 9));
    std::vector<std::string> expected = {
        "{UISetSoftApMode} ssid=MyAp",
        "{UISetSoftApMode} encryptMode=4",
        "{UISetSoftApMode} psk=secret12",
        "{UISetSoftApMode} ret=0",
        "{UISetSoftApMode} ssid=OpenAp",
        "{UISetSoftApMode} encryptMode=1",
        "{UISetSoftApMode} ret=0",
        "{UISetSoftapParam} ssid=Other",
        "{UISetSoftApMode} encryptMode=4",
        "{UISetSoftApMode} psk=abcdefgh",
        "{UISetSoftapParam} ret=5",
    };
    EXPECT_EQ(expected, LogMessages());
}

TEST_F(AdapterOps, InitAndSharingLogLines) {
    fake.status[1] = 4;
    IcsConnection conn = {};
    wcscpy(conn.networkName, L"LAN");
    UIInitAdapter(kGuidText);
    UISetIcsConnection(conn);
    std::vector<std::string> expected = {
        "{UIInitAdapter} guid={5C8A0D1E-1111-2222-3333-444455556666}",
        "{UIInitAdapter} ret=4",
        "{UISetIcsConnection} netname=LAN",
        "{UISetIcsConnection} ret=0",
    };
    EXPECT_EQ(expected, LogMessages());
}

// ---- adapter list ----

class NicList : public ::testing::Test {
protected:
    NicDeviceRecord records[NIC_RECORD_MAX];
    ControlNicList list;
    void SetUp() override {
        memset(records, 0, sizeof(records));
        memset(&list, 0x41, sizeof(list));  // stale content everywhere
        DeleteFileA("ui_log.log");
        gUiLogSwitch = 1;
    }
    void TearDown() override { gUiLogSwitch = 0; }
    void Present(int i) {
        strcpy(records[i].hardwareId, "USB\\VID_0BDA&PID_8179");
        records[i].guid = kGuid;
        records[i].guid.Data1 = 0xA0000000u + i;
    }
    static std::wstring TextOf(int i) {
        wchar_t t[64];
        swprintf(t, 64, L"{A000000%X-1111-2222-3333-444455556666}", i);
        return t;
    }
    void ExpectOnlyGuidTexts(const std::vector<int>& recordIndexes) {
        ASSERT_EQ((int)recordIndexes.size(), list.count);
        for (int e = 0; e < Q8_NIC_MAX; e++) {
            ControlNicEntry want = {};
            if (e < list.count) wcscpy(want.guid, TextOf(recordIndexes[e]).c_str());
            EXPECT_EQ(0, memcmp(&want, &list.entries[e], sizeof(want))) << "entry " << e;
        }
    }
};

TEST_F(NicList, PresentRecordsAreListedInOrder) {
    Present(0);
    Present(3);
    records[1].guid = kGuid;  // a GUID without a hardware ID is not an adapter
    EXPECT_EQ(2, FillControlNicList(records, &list));
    ExpectOnlyGuidTexts({0, 3});
    EXPECT_TRUE(LogHas("{UIGetControlNicList} NUM=2"));
}

TEST_F(NicList, OnlyTheFirstFiveOfSevenAreListed) {
    for (int i = 0; i < 7; i++) Present(i);
    EXPECT_EQ(5, FillControlNicList(records, &list));
    ExpectOnlyGuidTexts({0, 1, 2, 3, 4});
    EXPECT_TRUE(LogHas("{UIGetControlNicList} NUM=5"));
}

TEST_F(NicList, EntriesCarryTheAdapterConnectionName) {
    Present(0);
    // "无线网络连接 2" in code page 936, as discovery stores it.
    strcpy(records[0].connectionName, "\xCE\xDE\xCF\xDF\xCD\xF8\xC2\xE7\xC1\xAC\xBD\xD3 2");
    EXPECT_EQ(1, FillControlNicList(records, &list));
    EXPECT_STREQ(L"\x65E0\x7EBF\x7F51\x7EDC\x8FDE\x63A5 2", list.entries[0].connName);
    EXPECT_STREQ(L"", list.entries[0].text0);
    EXPECT_STREQ(L"", list.entries[0].text1);
}

TEST_F(NicList, NoAdapterGivesAnEmptyList) {
    EXPECT_EQ(0, FillControlNicList(records, &list));
    ExpectOnlyGuidTexts({});
    EXPECT_TRUE(LogHas("{UIGetControlNicList} NUM=0"));
}

}  // namespace
