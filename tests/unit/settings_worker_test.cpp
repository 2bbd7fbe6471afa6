// The panel's settings workers against a scripted library whose two settings
// calls block until the test lets them go: the newest request is the last
// one the adapter hears, one call at a time under apLock, and every worker
// thread ends once nothing is left.
#include "adapter/bind.h"
#include "adapter/ops.h"
#include "adapter/secmode.h"
#include "app/log.h"
#include "scripted_dravo.h"
#include "softap/softap.h"
#include "softap/settings_worker.h"

#include "test_log.h"

#include "test_threads.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

enum { SLOT_SET_PARAM2 = 12, SLOT_SET_PARAM = 13 };

const DWORD kDeadlineMs = 30000;  // never reached unless the code under test is broken

// What one settings call received, seen from inside the library.
struct SeenCall {
    int slot;
    std::string ssid;
    std::string key;
    int encrypt, auth, hide;
    bool bApLockHeld;
};

std::ostream& operator<<(std::ostream& os, const SeenCall& c) {
    return os << "{slot " << c.slot << " ssid \"" << c.ssid << "\" key \"" << c.key << "\" encrypt " << c.encrypt
              << " auth " << c.auth << " hide " << c.hide << (c.bApLockHeld ? " under apLock}" : " WITHOUT apLock}");
}

std::string Field(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }


// Settings calls block until `release` is set; everything else answers as scripted.
class BlockingDravo final : public ScriptedDravo {
public:
    BlockingDravo() {
        entered = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~BlockingDravo() {
        for (HANDLE t : threads) CloseHandle(t);
        CloseHandle(entered);
        CloseHandle(release);
    }
    int DRAVO_THISCALL SetSoftapParam2(const DravoSoftApConfig* c) override { return Blocked(SLOT_SET_PARAM2, c); }
    int DRAVO_THISCALL SetSoftapParam(const DravoSoftApConfig* c) override { return Blocked(SLOT_SET_PARAM, c); }

    std::vector<SeenCall> Seen() {
        std::lock_guard<std::mutex> guard(lock);
        return seen;
    }
    int MostAtOnce() {
        std::lock_guard<std::mutex> guard(lock);
        return mostAtOnce;
    }
    // Waits for every thread that ever called in to end.
    bool CallingThreadsEnded() {
        std::lock_guard<std::mutex> guard(lock);
        return WaitForMultipleObjects((DWORD)threads.size(), threads.data(), TRUE, kDeadlineMs) == WAIT_OBJECT_0;
    }
    size_t CallingThreadCount() {
        std::lock_guard<std::mutex> guard(lock);
        return threads.size();
    }

    HANDLE entered;  // set as each settings call begins
    HANDLE release;  // settings calls return once it is set

private:
    int Blocked(int slot, const DravoSoftApConfig* c) {
        SeenCall call = {slot,      Field(c->ssid, sizeof c->ssid), Field(c->key, sizeof c->key),
                         c->encrypt, c->auth, c->hideSSIDtype, !FreeForAnotherThread(apLock)};
        {
            std::lock_guard<std::mutex> guard(lock);
            seen.push_back(call);
            if (++running > mostAtOnce) mostAtOnce = running;
            NoteThread();
        }
        SetEvent(entered);
        WaitForSingleObject(release, kDeadlineMs);
        std::lock_guard<std::mutex> guard(lock);
        --running;
        return 0;
    }
    void NoteThread() {
        if (!threadIds.insert(GetCurrentThreadId()).second) return;
        HANDLE self = nullptr;
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, SYNCHRONIZE, FALSE, 0);
        threads.push_back(self);
    }

    std::mutex lock;
    std::vector<SeenCall> seen;
    std::set<DWORD> threadIds;
    std::vector<HANDLE> threads;
    int running = 0, mostAtOnce = 0;
};

SoftApCfgInfo Config(const wchar_t* ssid, const wchar_t* key, int encrypt, int auth, int hide) {
    SoftApCfgInfo c = {};
    wcscpy(c.ssid, ssid);
    wcscpy(c.key, key);
    c.encrypt = encrypt;
    c.auth = auth;
    c.hideSSIDtype = hide;
    c.channel = 6;
    c.frequency = 2437;
    return c;
}

// One kind of change: how it is requested, where it lands in the library.
struct Kind {
    const char* what;
    void (*request)(const SoftApCfgInfo&);
    bool (*busy)();
    int slot;
};

const Kind kKinds[] = {
    {"new name and key", RequestSoftapParam, SoftapParamWorkerBusy, SLOT_SET_PARAM},
    {"hidden name", RequestSoftapParam2, SoftapParam2WorkerBusy, SLOT_SET_PARAM2},
};

bool Idle() { return !SoftapParamWorkerBusy() && !SoftapParam2WorkerBusy(); }

bool WaitUntilIdle() {
    for (DWORD waited = 0; waited < kDeadlineMs && !Idle(); ++waited) Sleep(1);
    return Idle();
}

std::vector<std::string> Ssids(const std::vector<SeenCall>& calls) {
    std::vector<std::string> out;
    for (const SeenCall& c : calls) out.push_back(c.ssid);
    return out;
}

std::string Text(const std::vector<SeenCall>& calls) {
    std::string out;
    for (const SeenCall& c : calls) out += ::testing::PrintToString(c) + "\n";
    return out;
}

class SettingsWorker : public ::testing::Test {
protected:
    void SetUp() override {
        apLock = CreateMutexW(nullptr, FALSE, nullptr);
        DeleteFileA("ui_log.log");
        gUiLogSwitch = 1;
    }
    void TearDown() override {
        if (lib) SetEvent(lib->release);  // nothing stays blocked after a failed check
        EXPECT_TRUE(WaitUntilIdle());
        gUiLogSwitch = 0;
        gDravo = nullptr;
        delete lib;
        CloseHandle(apLock);
        apLock = nullptr;
    }
    BlockingDravo& FreshLibrary() {
        if (lib) SetEvent(lib->release);
        EXPECT_TRUE(WaitUntilIdle());
        delete lib;
        lib = new BlockingDravo;
        gDravo = lib;
        return *lib;
    }
    bool CallBegins() { return WaitForSingleObject(lib->entered, kDeadlineMs) == WAIT_OBJECT_0; }

    BlockingDravo* lib = nullptr;
};

TEST_F(SettingsWorker, ThreeQuickRequestsEndWithTheNewestOneCallAtATimeOnOneThread) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.what);
        BlockingDravo& library = FreshLibrary();
        kind.request(Config(L"First", L"aaaa1111", ENCRYPT_AES, AUTH_WPA2PSK, 0));
        ASSERT_TRUE(CallBegins()) << "the first request never reached the library";
        kind.request(Config(L"Second", L"bbbb2222", ENCRYPT_AES, AUTH_WPA2PSK, 1));
        kind.request(Config(L"Third", L"", ENCRYPT_NONE, AUTH_NONE, 1));
        EXPECT_TRUE(kind.busy()) << "a call is still in the library";
        SetEvent(library.release);
        ASSERT_TRUE(WaitUntilIdle()) << Text(library.Seen());

        std::vector<SeenCall> seen = library.Seen();
        // The running call finished; of the two that came meanwhile only the newest was sent.
        EXPECT_EQ((std::vector<std::string>{"First", "Third"}), Ssids(seen)) << Text(seen);
        ASSERT_FALSE(seen.empty());
        const SeenCall& last = seen.back();
        EXPECT_EQ(kind.slot, last.slot) << last;
        EXPECT_EQ("", last.key) << last;
        EXPECT_EQ(ENCRYPT_NONE, last.encrypt) << last;
        EXPECT_EQ(AUTH_NONE, last.auth) << last;
        EXPECT_EQ(1, last.hide) << last;
        for (const SeenCall& c : seen) EXPECT_TRUE(c.bApLockHeld) << c;
        EXPECT_EQ(1, library.MostAtOnce()) << "calls in the library at the same time";
        EXPECT_EQ(1u, library.CallingThreadCount()) << "one worker took every request of its kind";
        EXPECT_TRUE(library.CallingThreadsEnded()) << "the worker thread is still alive";
    }
    // The operations keep their own log lines.
    std::string log = ReadLog();
    EXPECT_NE(std::string::npos, log.find("{UISetSoftapParam} ssid=Third")) << log;
}

TEST_F(SettingsWorker, ARequestAfterTheWorkerEndedStartsAFreshOne) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.what);
        BlockingDravo& library = FreshLibrary();
        SetEvent(library.release);
        kind.request(Config(L"Before", L"aaaa1111", ENCRYPT_AES, AUTH_WPA2PSK, 0));
        ASSERT_TRUE(CallBegins());
        ASSERT_TRUE(WaitUntilIdle());
        kind.request(Config(L"After", L"bbbb2222", ENCRYPT_AES, AUTH_WPA2PSK, 0));
        ASSERT_TRUE(CallBegins()) << "a request after the worker ended was dropped";
        ASSERT_TRUE(WaitUntilIdle());
        std::vector<SeenCall> seen = library.Seen();
        EXPECT_EQ((std::vector<std::string>{"Before", "After"}), Ssids(seen)) << Text(seen);
        EXPECT_TRUE(library.CallingThreadsEnded()) << "a worker thread is still alive";
    }
}

TEST_F(SettingsWorker, ChangesOfBothKindsReachTheAdapterOneAtATime) {
    BlockingDravo& library = FreshLibrary();
    RequestSoftapParam(Config(L"Renamed", L"cccc3333", ENCRYPT_AES, AUTH_WPA2PSK, 0));
    ASSERT_TRUE(CallBegins());
    RequestSoftapParam2(Config(L"Renamed", L"cccc3333", ENCRYPT_AES, AUTH_WPA2PSK, 1));
    EXPECT_TRUE(SoftapParam2WorkerBusy()) << "the hidden-name change does not wait on the UI thread";
    SetEvent(library.release);
    ASSERT_TRUE(WaitUntilIdle());
    std::vector<SeenCall> seen = library.Seen();
    ASSERT_EQ(2u, seen.size()) << Text(seen);
    EXPECT_EQ(SLOT_SET_PARAM, seen[0].slot) << Text(seen);
    EXPECT_EQ(SLOT_SET_PARAM2, seen[1].slot) << Text(seen);
    EXPECT_EQ(1, seen[1].hide) << seen[1];
    EXPECT_EQ(1, library.MostAtOnce()) << "calls in the library at the same time";
    EXPECT_TRUE(library.CallingThreadsEnded());
}

}  // namespace
