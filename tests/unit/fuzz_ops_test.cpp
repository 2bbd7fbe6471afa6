// A driver-control library that answers nonsense: garbage status records,
// texts without terminators, counts negative and huge, malformed GUID texts,
// event codes out of range and events from many threads at once. The
// operations clamp, terminate and log; nothing is lost and nothing crashes.
#include "adapter/bind.h"
#include "adapter/ops.h"
#include "app/log.h"
#include "app/messages.h"
#include "softap/events.h"
#include "ops_fake_dravo.h"

#include "fuzz_util.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

void FillRandom(void* p, size_t n, std::mt19937& rng) {
    uint8_t* b = (uint8_t*)p;
    for (size_t i = 0; i < n; i++) b[i] = (uint8_t)(rng() % 3 == 0 ? 0x20 + rng() % 0x5F : rng());
}

int32_t NastyCount(std::mt19937& rng) {
    static const int32_t values[] = {INT_MIN, -1000000, -2, -1, 0, 1, 9, 10, 11, 32, 33, 1000000, INT_MAX};
    return rng() % 2 ? values[rng() % (sizeof values / sizeof values[0])] : (int32_t)rng();
}

std::string LogText() {
    std::ifstream in("ui_log.log", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

template <class T>
struct GuardedRecord {
    uint8_t before[32];
    T record;
    uint8_t after[32];
    GuardedRecord() {
        memset(before, 0xA5, sizeof before);
        memset(after, 0xA5, sizeof after);
        memset(&record, 0x5A, sizeof record);
    }
    bool Intact() const {
        for (int i = 0; i < 32; i++)
            if (before[i] != 0xA5 || after[i] != 0xA5) return false;
        return true;
    }
};

class OpsFuzz : public ::testing::Test {
protected:
    CScriptedDravo fake;
    void SetUp() override {
        DeleteFileA("ui_log.log");
        gUiLogSwitch = 0;
        gDravo = &fake;
        memset(&currentAdapter, 0, sizeof(currentAdapter));
    }
    void TearDown() override {
        gDravo = nullptr;
        gUiLogSwitch = 0;
        DeleteFileA("ui_log.log");
    }
};

// A reference reading of a GUID text: 36 characters (or 38 in braces) with
// hex digits and dashes in their places.
bool ReferenceGuid(const std::wstring& text, GUID* out) {
    std::wstring s = text;
    if (s.size() == 38 && s[0] == L'{' && s[37] == L'}') s = s.substr(1, 36);
    if (s.size() != 36) return false;
    uint8_t bytes[16];
    int n = 0;
    for (size_t i = 0; i < 36;) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (s[i] != L'-') return false;
            i++;
            continue;
        }
        int v[2];
        for (int k = 0; k < 2; k++) {
            wchar_t c = s[i + k];
            if (c >= L'0' && c <= L'9') v[k] = c - L'0';
            else if (c >= L'a' && c <= L'f') v[k] = c - L'a' + 10;
            else if (c >= L'A' && c <= L'F') v[k] = c - L'A' + 10;
            else return false;
        }
        bytes[n++] = (uint8_t)(v[0] * 16 + v[1]);
        i += 2;
    }
    out->Data1 = (uint32_t)bytes[0] << 24 | (uint32_t)bytes[1] << 16 | (uint32_t)bytes[2] << 8 | bytes[3];
    out->Data2 = (uint16_t)(bytes[4] << 8 | bytes[5]);
    out->Data3 = (uint16_t)(bytes[6] << 8 | bytes[7]);
    memcpy(out->Data4, bytes + 8, 8);
    return true;
}


}  // namespace

// Garbage status records: the SSID comes back terminated inside its member,
// the station count is never negative, and nothing is written past the record.
TEST_F(OpsFuzz, GarbageStatusRecordsAreReadSafely) {
    std::mt19937 rng(1234);
    for (int i = 0; i < 3000; i++) {
        FillRandom(&fake.apStatus, sizeof fake.apStatus, rng);
        if (rng() % 3 == 0) fake.apStatus.staNum = NastyCount(rng);
        fake.status[14] = rng() % 4 == 0 ? (int)rng() : 0;
        GuardedRecord<SoftApStatus> st;
        int ret = UIQuerySoftApStatus(&st.record);
        ASSERT_EQ(fake.status[14], ret);
        ASSERT_TRUE(st.Intact()) << "case " << i;
        if (ret != 0) {
            // Written on success only.
            const uint8_t* b = (const uint8_t*)&st.record;
            for (size_t k = 0; k < sizeof st.record; k++) ASSERT_EQ(0x5A, b[k]) << "case " << i;
            continue;
        }
        ASSERT_LT(wcsnlen(st.record.ssid, Q8_NAME_MAX), (size_t)Q8_NAME_MAX) << "case " << i;
        ASSERT_LE(wcsnlen(st.record.ssid, Q8_NAME_MAX), sizeof fake.apStatus.ssid);
        ASSERT_EQ(fake.apStatus.active, st.record.bActive);
        ASSERT_EQ(fake.apStatus.staNum < 0 ? 0 : fake.apStatus.staNum, st.record.staNum);

        stationCount = 77;
        fake.status[14] = 0;
        ASSERT_EQ(0, UIQuerySoftApStaList());
        ASSERT_EQ(fake.apStatus.staNum < 0 ? 0 : fake.apStatus.staNum, stationCount.load());
    }
}

// Garbage connection lists with any count: the list's count is clamped to
// 0..10, every text is terminated, entries past the count stay empty.
TEST_F(OpsFuzz, GarbageConnectionListsAreClamped) {
    std::mt19937 rng(5678);
    for (int i = 0; i < 2000; i++) {
        FillRandom(fake.icsEntries, sizeof fake.icsEntries, rng);
        fake.icsCount = NastyCount(rng);
        fake.status[6] = rng() % 5 == 0 ? 3 : 0;
        GuardedRecord<IcsConnectionList> list;
        int ret = UIQueryIcsConnection(&list.record);
        ASSERT_TRUE(list.Intact()) << "case " << i;
        ASSERT_EQ(10, fake.offeredCount);
        if (ret != 0) continue;
        int want = fake.icsCount < 0 ? 0 : (fake.icsCount > 10 ? 10 : fake.icsCount);
        ASSERT_EQ(want, list.record.count) << "answered " << fake.icsCount;
        for (int k = 0; k < Q8_ICS_MAX; k++) {
            const IcsConnection& c = list.record.entries[k];
            ASSERT_LT(wcsnlen(c.networkName, Q8_NAME_MAX), (size_t)Q8_NAME_MAX);
            ASSERT_LT(wcsnlen(c.guid, Q8_GUID_TEXT_MAX), (size_t)Q8_GUID_TEXT_MAX);
            if (k >= want) {
                ASSERT_EQ(0, c.networkName[0]);
                ASSERT_EQ(0, c.guid[0]);
                continue;
            }
            ASSERT_EQ(fake.icsEntries[k].mediaType, c.mediaType);
            ASSERT_EQ(fake.icsEntries[k].status == 2 ? 1 : 0, c.connected);
        }
    }
}

// Named cases with the log on: each nonsense answer leaves its line.
TEST_F(OpsFuzz, NonsenseAnswersAreLogged) {
    gUiLogSwitch = 1;
    IcsConnectionList list;
    memset(fake.icsEntries, 'x', sizeof fake.icsEntries);  // no terminator anywhere
    for (int32_t count : {INT_MIN, -1, 11, INT_MAX}) {
        fake.icsCount = count;
        ASSERT_EQ(0, UIQueryIcsConnection(&list));
        EXPECT_EQ(count < 0 ? 0 : 10, list.count);
        std::string line = "count " + std::to_string(count) + " outside 0..10";
        EXPECT_NE(std::string::npos, LogText().find(line)) << line;
        if (count > 0) {
            EXPECT_EQ(std::wstring(255, L'x'), list.entries[9].networkName);
            EXPECT_EQ(std::wstring(52, L'x'), list.entries[9].guid);
        }
    }
    EXPECT_NE(std::string::npos, LogText().find("field without terminator"));
    fake.apStatus = {};
    fake.apStatus.staNum = -5;
    memset(fake.apStatus.ssid, 'y', sizeof fake.apStatus.ssid);
    SoftApStatus st;
    ASSERT_EQ(0, UIQuerySoftApStatus(&st));
    EXPECT_EQ(0, st.staNum);
    EXPECT_EQ(std::wstring(32, L'y'), st.ssid);
    EXPECT_NE(std::string::npos, LogText().find("station count -5 out of range, using 0"));
}

// GUID texts, good and mutated: read as the reference reads them, or the zero
// GUID; the text written back is always the braced upper-case form.
TEST_F(OpsFuzz, MalformedGuidTextsGiveTheZeroGuid) {
    std::mt19937 rng(31337);
    static const wchar_t swaps[] = L"0123456789abcdefABCDEFgG-{}x \x00e9\xff10\x0660";
    for (int i = 0; i < 4000; i++) {
        GUID g;
        FillRandom(&g, sizeof g, rng);
        wchar_t text[Q8_GUID_TEXT_MAX];
        GuidToText(g, text, Q8_GUID_TEXT_MAX);
        std::wstring t = text;
        ASSERT_EQ(38u, t.size());
        if (i % 4 == 1) t = t.substr(1, 36);
        if (i % 4 >= 2) {
            int edits = 1 + (int)(rng() % 3);
            for (int e = 0; e < edits; e++) {
                size_t at = rng() % (t.size() + 1);
                switch (rng() % 3) {
                case 0: if (at < t.size()) t[at] = swaps[rng() % (sizeof swaps / sizeof swaps[0] - 1)]; break;
                case 1: t.insert(at, 1, swaps[rng() % (sizeof swaps / sizeof swaps[0] - 1)]); break;
                default: if (at < t.size()) t.erase(at, 1); break;
                }
            }
        }
        t = t.c_str();  // up to an inserted terminator, as the operations see it
        GUID want = {}, got;
        bool bWant = ReferenceGuid(t, &want);
        bool bGot = GuidFromText(t.c_str(), &got);
        ASSERT_EQ(bWant, bGot) << "\"" << Show(t) << "\"";
        ASSERT_EQ(0, memcmp(&want, &got, sizeof got)) << "\"" << Show(t) << "\"";
        if (i % 4 < 2) ASSERT_EQ(0, memcmp(&g, &got, sizeof got));

        // Sent as the connection to share: GUID (or zero) and its text in the record.
        IcsConnection conn = {};
        wcsncpy(conn.guid, t.c_str(), Q8_GUID_TEXT_MAX - 1);
        wcscpy(conn.networkName, L"net");
        fake.status[9] = 0;
        ASSERT_EQ(0, UISetIcsConnection(conn));
        ASSERT_EQ(0, memcmp(&want, &fake.lastIcs.publicConn.guid, sizeof want));
        ASSERT_NE(nullptr, memchr(fake.lastIcs.publicConn.guidText, 0, sizeof fake.lastIcs.publicConn.guidText));
        ASSERT_EQ(-1, fake.lastIcs.trailer);
    }
}

// Texts into narrow fields of every size: whole or empty, never past the field.
TEST_F(OpsFuzz, TextsIntoNarrowFieldsAreWholeOrEmpty) {
    std::mt19937 rng(2468);
    for (int i = 0; i < 4000; i++) {
        std::wstring text;
        int length = (int)(rng() % 80);
        for (int k = 0; k < length; k++)
            text += (wchar_t)(rng() % 4 == 0 ? 1 + rng() % 0xFFFE : 0x20 + rng() % 0x5F);
        int fieldSize = 1 + (int)(rng() % 70);
        std::vector<char> buf(fieldSize + 64, (char)0xC3);
        char* field = buf.data() + 32;
        int n = WideToField(text.c_str(), field, fieldSize);
        for (int k = 0; k < 32; k++) {
            ASSERT_EQ((char)0xC3, buf[k]);
            ASSERT_EQ((char)0xC3, buf[32 + fieldSize + k]) << "past a " << fieldSize << "-byte field";
        }
        ASSERT_GE(n, 0);
        ASSERT_LT(n, fieldSize);
        ASSERT_EQ(0, field[n]);
        ASSERT_EQ((size_t)n, strlen(field));
        if (n > 0) {
            ASSERT_LE(text.size() + 1, (size_t)fieldSize);
        }
    }
}

// Events from many threads at once, codes in and out of range: every one is
// posted to the main window exactly once; the handler ignores unknown codes
// with a log line.
TEST_F(OpsFuzz, EventsFromManyThreadsAllArrive) {
    HWND wnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, wnd);
    HWND saved = gMainWnd;
    gMainWnd = wnd;
    const int threads = 8, perThread = 700;
    std::vector<std::vector<int>> sent(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; t++) {
        workers.emplace_back([t, &sent]() {
            std::mt19937 rng(100 + t);
            for (int i = 0; i < perThread; i++) {
                int code = rng() % 3 == 0 ? (int)rng() : (int)(rng() % 40) - 10;
                if (DravoEventCallback(code)) sent[t].push_back(code);
            }
        });
    }
    for (std::thread& w : workers) w.join();
    std::map<int, int> want, got;
    size_t total = 0;
    for (auto& s : sent) {
        for (int c : s) want[c]++;
        total += s.size();
    }
    EXPECT_EQ((size_t)threads * perThread, total) << "posts refused";
    MSG msg;
    while (PeekMessageW(&msg, wnd, 0, 0, PM_REMOVE))
        if (msg.message == WM_DRAVO_EVENT) got[(int)msg.lParam]++;
    EXPECT_EQ(want, got);
    gMainWnd = saved;
    DestroyWindow(wnd);

    // Unknown codes: nothing happens but a log line.
    gUiLogSwitch = 1;
    for (int code : {INT_MIN, -1, 0, 7, 9, 20, 1000, INT_MAX}) {
        EXPECT_EQ(0, EventManage(0, (LPARAM)code));
        std::string line = "{EventManage} unknown event " + std::to_string(code);
        EXPECT_NE(std::string::npos, LogText().find(line)) << line;
    }
}
